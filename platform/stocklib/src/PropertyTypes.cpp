// The property-definition object types: their descriptions for the storage engine, their
// runtime classes and their accessors.
#include <algorithm>

#include "TypeTable.h"
#include "stocklib/Library.h"
#include "stocklib/Objects.h"

STOCKLIB_DEFINE_OBJECT(Measure, Object)
STOCKLIB_DEFINE_OBJECT(Unit, Object)
STOCKLIB_DEFINE_OBJECT(PropertyNamespace, Object)
STOCKLIB_DEFINE_OBJECT(EntityType, Object)
STOCKLIB_DEFINE_OBJECT(Layer, Object)
STOCKLIB_DEFINE_OBJECT(Tag, Object)
STOCKLIB_DEFINE_OBJECT(CustomProperty, Object)
STOCKLIB_DEFINE_ABSTRACT(AbstractDefinition, Object)
STOCKLIB_DEFINE_OBJECT(PropertyDefinition, AbstractDefinition)
STOCKLIB_DEFINE_OBJECT(ValueDefinition, AbstractDefinition)
STOCKLIB_DEFINE_OBJECT(PropertySet, Object)

namespace stocklib {
namespace detail {

void addPropertyTypes(std::vector<TypeDesc>& out) {
  using OT = ObjectType;
#define STOCKLIB_NAMED_TYPE(T, ROWS, ...) \
  out.push_back(describe<T>(OT::T, #T, OT::None, STOCKLIB_FIELD_DESCS(ROWS), __VA_ARGS__));
  STOCKLIB_NAMED_TYPE(Measure, STOCKLIB_MEASURE_FIELDS, {"name"})
  STOCKLIB_NAMED_TYPE(Unit, STOCKLIB_UNIT_FIELDS, {"name"})
  STOCKLIB_NAMED_TYPE(PropertyNamespace, STOCKLIB_PROPERTY_NAMESPACE_FIELDS, {"name"})
  STOCKLIB_NAMED_TYPE(EntityType, STOCKLIB_ENTITY_TYPE_FIELDS, {"name"})
  STOCKLIB_NAMED_TYPE(Layer, STOCKLIB_LAYER_FIELDS, {"name"})
  STOCKLIB_NAMED_TYPE(Tag, STOCKLIB_TAG_FIELDS, {"name"})
  STOCKLIB_NAMED_TYPE(CustomProperty, STOCKLIB_CUSTOM_PROPERTY_FIELDS, {"name", "type"})
#undef STOCKLIB_NAMED_TYPE
  out.push_back(describe<AbstractDefinition, true>(
      OT::AbstractDefinition, "AbstractDefinition", OT::None,
      STOCKLIB_FIELD_DESCS(STOCKLIB_ABSTRACT_DEFINITION_FIELDS), {"name", "namespace"}));
  out.push_back(describe<PropertyDefinition>(
      OT::PropertyDefinition, "PropertyDefinition", OT::AbstractDefinition,
      STOCKLIB_FIELD_DESCS(STOCKLIB_PROPERTY_DEFINITION_FIELDS), {}));
  out.push_back(
      describe<ValueDefinition>(OT::ValueDefinition, "ValueDefinition", OT::AbstractDefinition,
                                STOCKLIB_FIELD_DESCS(STOCKLIB_VALUE_DEFINITION_FIELDS), {}));
  out.push_back(describe<PropertySet>(
      OT::PropertySet, "PropertySet", OT::None, STOCKLIB_FIELD_DESCS(STOCKLIB_PROPERTY_SET_FIELDS),
      {"name", "namespace"},
      {{"entity_types", ListKind::Refs, OT::EntityType},
       {"property_definitions", ListKind::Children, OT::PropertyDefinition, "namespace"},
       {"value_definitions", ListKind::Children, OT::ValueDefinition, "namespace"}}));
}

}  // namespace detail

namespace {
template <class T>
KcSmartPtr<T> make() {
  return KcRxObjectImpl<T>::createObject();
}
template <class T>
KcSmartPtr<const T> as(const KcSmartPtr<Object>& o) {
  return KcSmartPtr<const T>(static_cast<const T*>(o.get()));
}
}  // namespace

Measure::Measure() : Object(detail::typeDesc(ObjectType::Measure)) {}
KcSmartPtr<Measure> Measure::create(const OdString& name) {
  KcSmartPtr<Measure> m = make<Measure>();
  m->set_name(name);
  return m;
}

Unit::Unit() : Object(detail::typeDesc(ObjectType::Unit)) {}
KcSmartPtr<Unit> Unit::create(const OdString& symbol, double factor, const Measure* measure) {
  KcSmartPtr<Unit> u = make<Unit>();
  u->set_symbol(symbol);
  u->set_factor(factor);
  if (measure) u->set_measure(measure);
  return u;
}
KcSmartPtr<const Measure> Unit::measure() const {
  return as<Measure>(refObject(F::measure));
}
void Unit::set_measure(const Measure* measure) {
  setRef(F::measure, measure);
}

PropertyNamespace::PropertyNamespace() : Object(detail::typeDesc(ObjectType::PropertyNamespace)) {}
KcSmartPtr<PropertyNamespace> PropertyNamespace::create(const OdString& name) {
  KcSmartPtr<PropertyNamespace> n = make<PropertyNamespace>();
  n->set_name(name);
  return n;
}

EntityType::EntityType() : Object(detail::typeDesc(ObjectType::EntityType)) {}
KcSmartPtr<EntityType> EntityType::create(const OdString& name) {
  KcSmartPtr<EntityType> e = make<EntityType>();
  e->set_name(name);
  return e;
}

Layer::Layer() : Object(detail::typeDesc(ObjectType::Layer)) {}
KcSmartPtr<Layer> Layer::create(const OdString& name) {
  KcSmartPtr<Layer> l = make<Layer>();
  l->set_name(name);
  return l;
}

Tag::Tag() : Object(detail::typeDesc(ObjectType::Tag)) {}
KcSmartPtr<Tag> Tag::create(const OdString& name) {
  KcSmartPtr<Tag> t = make<Tag>();
  t->set_name(name);
  return t;
}

CustomProperty::CustomProperty() : Object(detail::typeDesc(ObjectType::CustomProperty)) {}
KcSmartPtr<CustomProperty> CustomProperty::create(const OdString& name, int32_t type) {
  KcSmartPtr<CustomProperty> c = make<CustomProperty>();
  c->set_name(name);
  c->set_type(type);
  return c;
}

AbstractDefinition::AbstractDefinition(const detail::TypeDesc& type) : Object(type) {}
KcSmartPtr<const PropertyNamespace> AbstractDefinition::property_namespace() const {
  return as<PropertyNamespace>(refObject(F::namespace_));
}
PropertyType AbstractDefinition::type() const {
  return PropertyType(static_cast<int32_t>(intField(F::structure)),
                      static_cast<int32_t>(intField(F::type)),
                      static_cast<int32_t>(intField(F::key_type)));
}
void AbstractDefinition::set_type(const PropertyType& type) {
  setInt(F::structure, type.structure);
  setInt(F::type, type.type);
  setInt(F::key_type, type.key_type);
}
KcSmartPtr<const Unit> AbstractDefinition::unit() const {
  return as<Unit>(refObject(F::unit));
}
void AbstractDefinition::set_unit(const Unit* unit) {
  setRef(F::unit, unit);
}
void AbstractDefinition::setNamespace(const PropertyNamespace* ns) {
  setRef(F::namespace_, ns);
}

PropertyDefinition::PropertyDefinition()
    : AbstractDefinition(detail::typeDesc(ObjectType::PropertyDefinition)) {}
KcSmartPtr<PropertyDefinition> PropertyDefinition::create(const OdString& name,
                                                          const PropertyType& type) {
  KcSmartPtr<PropertyDefinition> d = make<PropertyDefinition>();
  d->set_name(name);
  d->set_type(type);
  return d;
}
void PropertyDefinition::clear_defaults() {
  for (int i = F::default_bool; i <= F::default_string; ++i)
    clearField(i);
}

ValueDefinition::ValueDefinition()
    : AbstractDefinition(detail::typeDesc(ObjectType::ValueDefinition)) {}
KcSmartPtr<ValueDefinition> ValueDefinition::create(const OdString& name,
                                                    const PropertyType& type) {
  KcSmartPtr<ValueDefinition> d = make<ValueDefinition>();
  d->set_name(name);
  d->set_type(type);
  return d;
}

namespace {
constexpr int kEntityTypes = 0;
constexpr int kPropertyDefinitions = 1;
constexpr int kValueDefinitions = 2;
}  // namespace

PropertySet::PropertySet() : Object(detail::typeDesc(ObjectType::PropertySet)) {}

KcSmartPtr<PropertySet> PropertySet::create(const PropertyNamespace* ns, const OdString& name) {
  KcSmartPtr<PropertySet> s = make<PropertySet>();
  s->set_name(name);
  if (ns) s->set_property_namespace(ns);
  return s;
}

KcSmartPtr<const PropertyNamespace> PropertySet::property_namespace() const {
  return as<PropertyNamespace>(refObject(F::namespace_));
}

void PropertySet::set_property_namespace(const PropertyNamespace* ns) {
  setRef(F::namespace_, ns);
  for (int list : {kPropertyDefinitions, kValueDefinitions})
    for (detail::Ref& r : listItems(list))
      if (r.object) static_cast<AbstractDefinition*>(r.object.get())->setNamespace(ns);
}

std::vector<KcSmartPtr<const EntityType>> PropertySet::entity_types() const {
  std::vector<KcSmartPtr<const EntityType>> out;
  for (std::size_t i = 0; i < listItems(kEntityTypes).size(); ++i)
    if (KcSmartPtr<Object> o = listObject(kEntityTypes, i)) out.push_back(as<EntityType>(o));
  return out;
}

std::vector<OdString> PropertySet::entity_type_names() const {
  std::vector<OdString> out;
  for (const auto& e : entity_types())
    out.push_back(e->name());
  return out;
}

bool PropertySet::insert_entity_type(const OdString& name) {
  if (name.isEmpty()) return false;
  for (const auto& e : entity_types())
    if (e->name() == name) return false;
  KcSmartPtr<EntityType> type;
  if (std::shared_ptr<Library> lib = library()) type = lib->get<EntityType>(NameKey(name));
  if (!type) type = EntityType::create(name);
  listItems(kEntityTypes).push_back(detail::Ref{type->id(), type});
  notifyModified();
  return true;
}

bool PropertySet::remove_entity_type(const OdString& name) {
  std::vector<detail::Ref>& items = listItems(kEntityTypes);
  for (std::size_t i = 0; i < items.size(); ++i) {
    KcSmartPtr<Object> o = listObject(kEntityTypes, i);
    if (o && static_cast<const EntityType*>(o.get())->name() == name) {
      items.erase(items.begin() + static_cast<std::ptrdiff_t>(i));
      notifyModified();
      return true;
    }
  }
  return false;
}

namespace {
template <class T>
std::vector<KcSmartPtr<T>> children(const std::vector<detail::Ref>& items) {
  std::vector<KcSmartPtr<T>> out;
  out.reserve(items.size());
  for (const detail::Ref& r : items)
    if (r.object) out.emplace_back(static_cast<T*>(r.object.get()));
  return out;
}
bool removeChild(std::vector<detail::Ref>& items, const Object* child) {
  if (!child) return false;
  auto it = std::find_if(items.begin(), items.end(),
                         [&](const detail::Ref& r) { return r.object.get() == child; });
  if (it == items.end() && child->id())
    it = std::find_if(items.begin(), items.end(), [&](const detail::Ref& r) {
      return r.object && r.object->id() == child->id();
    });
  if (it == items.end()) return false;
  items.erase(it);
  return true;
}
bool swapChildren(std::vector<detail::Ref>& items, std::size_t a, std::size_t b) {
  if (a >= items.size() || b >= items.size()) return false;
  std::swap(items[a], items[b]);
  return true;
}
}  // namespace

std::vector<KcSmartPtr<PropertyDefinition>> PropertySet::property_definitions() const {
  return children<PropertyDefinition>(listItems(kPropertyDefinitions));
}

std::vector<KcSmartPtr<ValueDefinition>> PropertySet::value_definitions() const {
  return children<ValueDefinition>(listItems(kValueDefinitions));
}

KcSmartPtr<PropertyDefinition> PropertySet::append_property_definition(const OdString& name,
                                                                       const PropertyType& type) {
  KcSmartPtr<PropertyDefinition> d = PropertyDefinition::create(name, type);
  if (KcSmartPtr<Object> ns = refObject(F::namespace_))
    d->setNamespace(static_cast<const PropertyNamespace*>(ns.get()));
  listItems(kPropertyDefinitions).push_back(detail::Ref{0, d});
  notifyModified();
  return d;
}

KcSmartPtr<ValueDefinition> PropertySet::append_value_definition(const OdString& name,
                                                                 const PropertyType& type) {
  KcSmartPtr<ValueDefinition> d = ValueDefinition::create(name, type);
  if (KcSmartPtr<Object> ns = refObject(F::namespace_))
    d->setNamespace(static_cast<const PropertyNamespace*>(ns.get()));
  listItems(kValueDefinitions).push_back(detail::Ref{0, d});
  notifyModified();
  return d;
}

bool PropertySet::remove_property_definition(const PropertyDefinition* definition) {
  bool done = removeChild(listItems(kPropertyDefinitions), definition);
  if (done) notifyModified();
  return done;
}

bool PropertySet::remove_value_definition(const ValueDefinition* definition) {
  bool done = removeChild(listItems(kValueDefinitions), definition);
  if (done) notifyModified();
  return done;
}

bool PropertySet::swap_property_definitions(std::size_t first, std::size_t second) {
  bool done = swapChildren(listItems(kPropertyDefinitions), first, second);
  if (done) notifyModified();
  return done;
}

bool PropertySet::swap_value_definitions(std::size_t first, std::size_t second) {
  bool done = swapChildren(listItems(kValueDefinitions), first, second);
  if (done) notifyModified();
  return done;
}

void PropertySet::clear_definitions() {
  listItems(kPropertyDefinitions).clear();
  listItems(kValueDefinitions).clear();
  notifyModified();
}

}  // namespace stocklib

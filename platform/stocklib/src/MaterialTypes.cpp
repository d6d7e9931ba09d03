// The material and composition object types: their descriptions for the storage engine, their
// runtime classes and their accessors.
#include "stocklib/Materials.h"

#include <algorithm>

#include "Store.h"
#include "TypeTable.h"
#include "stocklib/Library.h"

STOCKLIB_DEFINE_OBJECT(CustomValue, Object)
STOCKLIB_DEFINE_OBJECT(MaterialType, Object)
STOCKLIB_DEFINE_ABSTRACT(Asset, Object)
STOCKLIB_DEFINE_OBJECT(InformationAsset, Asset)
STOCKLIB_DEFINE_OBJECT(PhysicalAsset, Asset)
STOCKLIB_DEFINE_OBJECT(BimAsset, Asset)
STOCKLIB_DEFINE_OBJECT(Material, Object)
STOCKLIB_DEFINE_OBJECT(CompositionType, Object)
STOCKLIB_DEFINE_OBJECT(Ply, Object)
STOCKLIB_DEFINE_OBJECT(Composition, Object)

namespace stocklib {
namespace detail {

void addMaterialTypes(std::vector<TypeDesc>& out) {
  using OT = ObjectType;
  out.push_back(describe<CustomValue>(OT::CustomValue, "CustomValue", OT::None,
                                      STOCKLIB_FIELD_DESCS(STOCKLIB_CUSTOM_VALUE_FIELDS), {}));
  out.push_back(describe<MaterialType>(OT::MaterialType, "MaterialType", OT::None,
                                       STOCKLIB_FIELD_DESCS(STOCKLIB_MATERIAL_TYPE_FIELDS),
                                       {"name"}));
  out.push_back(describe<Asset, true>(OT::Asset, "Asset", OT::None,
                                      STOCKLIB_FIELD_DESCS(STOCKLIB_ASSET_FIELDS), {"name"}));
  out.push_back(describe<InformationAsset>(OT::InformationAsset, "InformationAsset", OT::Asset,
                                           STOCKLIB_FIELD_DESCS(STOCKLIB_INFORMATION_ASSET_FIELDS),
                                           {}));
  out.push_back(describe<PhysicalAsset>(OT::PhysicalAsset, "PhysicalAsset", OT::Asset,
                                        STOCKLIB_FIELD_DESCS(STOCKLIB_PHYSICAL_ASSET_FIELDS), {}));
  out.push_back(describe<BimAsset>(OT::BimAsset, "BimAsset", OT::Asset,
                                   STOCKLIB_FIELD_DESCS(STOCKLIB_BIM_ASSET_FIELDS), {}));
  out.push_back(describe<Material>(OT::Material, "Material", OT::None,
                                   STOCKLIB_FIELD_DESCS(STOCKLIB_MATERIAL_FIELDS), {"name"},
                                   {{"custom_values", ListKind::Children, OT::CustomValue}}));
  out.push_back(describe<CompositionType>(OT::CompositionType, "CompositionType", OT::None,
                                          STOCKLIB_FIELD_DESCS(STOCKLIB_COMPOSITION_TYPE_FIELDS),
                                          {"name"}));
  out.push_back(
      describe<Ply>(OT::Ply, "Ply", OT::None, STOCKLIB_FIELD_DESCS(STOCKLIB_PLY_FIELDS), {}));
  out.push_back(describe<Composition>(OT::Composition, "Composition", OT::None,
                                      STOCKLIB_FIELD_DESCS(STOCKLIB_COMPOSITION_FIELDS), {"name"},
                                      {{"plies", ListKind::Children, OT::Ply},
                                       {"custom_values", ListKind::Children, OT::CustomValue}}));
}

// Custom values live in a Children list of CustomValue objects; these helpers keep at most one
// value per custom property.
namespace {

bool sameObject(const Object* a, const Object* b) {
  if (!a || !b) return false;
  if (a == b) return true;
  return a->id() != 0 && a->id() == b->id() && a->library() && a->library() == b->library();
}

KcSmartPtr<CustomValue> findCustomValue(const Object& holder, int list,
                                        const CustomProperty* property) {
  if (!property) return KcSmartPtr<CustomValue>();
  for (const Ref& r : Access::lists(holder)[list]) {
    auto* value = static_cast<CustomValue*>(r.object.get());
    if (value && sameObject(value->property().get(), property))
      return KcSmartPtr<CustomValue>(value);
  }
  return KcSmartPtr<CustomValue>();
}

CustomValues customValues(const Object& holder, int list) {
  CustomValues out;
  for (const Ref& r : Access::lists(holder)[list]) {
    auto* value = static_cast<const CustomValue*>(r.object.get());
    if (!value) continue;
    if (KcSmartPtr<const CustomProperty> p = value->property())
      out.emplace(CustomPropertyKey(p), value->value());
  }
  return out;
}

void setCustomValue(Object& holder, int list, const CustomProperty* property,
                    const OdString& text) {
  if (KcSmartPtr<CustomValue> v = findCustomValue(holder, list, property)) {
    v->set_value(text);
    return;
  }
  KcSmartPtr<CustomValue> v = KcRxObjectImpl<CustomValue>::createObject();
  v->set_property(property);
  v->set_value(text);
  Access::lists(holder)[list].push_back(Ref{0, v});
}

[[nodiscard]] bool clearCustomValue(Object& holder, int list, const CustomProperty* property) {
  KcSmartPtr<CustomValue> v = findCustomValue(holder, list, property);
  if (!v) return false;
  auto& items = Access::lists(holder)[list];
  items.erase(std::find_if(items.begin(), items.end(),
                           [&](const Ref& r) { return r.object.get() == v.get(); }));
  return true;
}

}  // namespace
}  // namespace detail

// The custom-value members of a class whose list `list` holds its CustomValue objects.
#define STOCKLIB_DEFINE_CUSTOM_VALUES(T, list)                               \
  CustomValues T::custom_values() const {                                    \
    return detail::customValues(*this, list);                                \
  }                                                                          \
  bool T::has_custom_value(const CustomProperty* p) const {                  \
    return detail::findCustomValue(*this, list, p) != nullptr;               \
  }                                                                          \
  OdString T::custom_value(const CustomProperty* p) const {                  \
    KcSmartPtr<CustomValue> v = detail::findCustomValue(*this, list, p);     \
    return v ? v->value() : OdString();                                      \
  }                                                                          \
  void T::set_custom_value(const CustomProperty* p, const OdString& value) { \
    if (!p) return;                                                          \
    detail::setCustomValue(*this, list, p, value);                           \
    notifyModified();                                                        \
  }                                                                          \
  bool T::clear_custom_value(const CustomProperty* p) {                      \
    bool done = detail::clearCustomValue(*this, list, p);                    \
    if (done) notifyModified();                                              \
    return done;                                                             \
  }

using detail::nonConst;

CustomPropertyKey::CustomPropertyKey(const KcSmartPtr<const CustomProperty>& property)
    : m_property(property) {}
const OdString& CustomPropertyKey::name() const {
  return m_property ? m_property->name() : OdString::kEmpty;
}
int32_t CustomPropertyKey::type() const {
  return m_property ? m_property->type() : 0;
}
uint32_t CustomPropertyKey::id() const {
  return m_property ? m_property->id() : 0;
}
bool CustomPropertyKey::operator<(const CustomPropertyKey& o) const {
  if (int c = name().compare(o.name().c_str())) return c < 0;
  if (type() != o.type()) return type() < o.type();
  if (id() != o.id()) return id() < o.id();
  return m_property.get() < o.m_property.get();
}
bool CustomPropertyKey::operator==(const CustomPropertyKey& o) const {
  return !(*this < o) && !(o < *this);
}

CustomValue::CustomValue() : Object(detail::typeDesc(ObjectType::CustomValue)) {}
KcSmartPtr<const CustomProperty> CustomValue::property() const {
  return KcSmartPtr<const CustomProperty>(
      static_cast<const CustomProperty*>(refObject(F::property).get()));
}
void CustomValue::set_property(const CustomProperty* property) {
  setRef(F::property, property);
}

MaterialType::MaterialType() : Object(detail::typeDesc(ObjectType::MaterialType)) {}
KcSmartPtr<MaterialType> MaterialType::create(const OdString& name) {
  return detail::makeNamed<MaterialType>(name);
}

Asset::Asset(const detail::TypeDesc& type) : Object(type) {}

InformationAsset::InformationAsset() : Asset(detail::typeDesc(ObjectType::InformationAsset)) {}
KcSmartPtr<InformationAsset> InformationAsset::create(const OdString& name) {
  return detail::makeNamed<InformationAsset>(name);
}

PhysicalAsset::PhysicalAsset() : Asset(detail::typeDesc(ObjectType::PhysicalAsset)) {}
KcSmartPtr<PhysicalAsset> PhysicalAsset::create(const OdString& name) {
  return detail::makeNamed<PhysicalAsset>(name);
}

BimAsset::BimAsset() : Asset(detail::typeDesc(ObjectType::BimAsset)) {}
KcSmartPtr<BimAsset> BimAsset::create(const OdString& name) {
  return detail::makeNamed<BimAsset>(name);
}

void AssetKey::values(std::vector<detail::Value>& out) const {
  out.emplace_back(m_name);
}

namespace {
constexpr int kMaterialType = Material::F::type;
constexpr int kInformationAsset = Material::F::information_asset;
constexpr int kPhysicalAsset = Material::F::physical_asset;
constexpr int kBimAsset = Material::F::bim_asset;
constexpr int kMaterialCustomValues = 0;
constexpr int kCompositionType = Composition::F::composition_type;
constexpr int kPlies = 0;
constexpr int kCompositionCustomValues = 1;
}  // namespace

Material::Material() : Object(detail::typeDesc(ObjectType::Material)) {}
KcSmartPtr<Material> Material::create(const OdString& name) {
  return detail::makeNamed<Material>(name);
}
KcSmartPtr<MaterialType> Material::type() const {
  return nonConst<MaterialType>(refObject(kMaterialType));
}
void Material::set_type(const MaterialType* type) {
  setRef(kMaterialType, type);
}

Pattern Material::pattern(int first) const {
  Pattern p;
  p.set_type(static_cast<int32_t>(intField(first, Pattern::kNone)));
  p.set_name(textField(first + 1));
  p.set_scale(realField(first + 2, 1.0));
  p.set_angle(realField(first + 3, 0.0));
  p.set_cross(boolField(first + 4, false));
  return p;
}
void Material::setPattern(int first, const Pattern& p) {
  setInt(first, p.type());
  setText(first + 1, p.name());
  setReal(first + 2, p.scale());
  setReal(first + 3, p.angle());
  setBool(first + 4, p.cross());
}

KcSmartPtr<InformationAsset> Material::information_asset() const {
  return nonConst<InformationAsset>(refObject(kInformationAsset));
}
void Material::set_information_asset(const InformationAsset* a) {
  setRef(kInformationAsset, a);
}
KcSmartPtr<PhysicalAsset> Material::physical_asset() const {
  return nonConst<PhysicalAsset>(refObject(kPhysicalAsset));
}
void Material::set_physical_asset(const PhysicalAsset* a) {
  setRef(kPhysicalAsset, a);
}
KcSmartPtr<BimAsset> Material::bim_asset() const {
  return nonConst<BimAsset>(refObject(kBimAsset));
}
void Material::set_bim_asset(const BimAsset* a) {
  setRef(kBimAsset, a);
}

STOCKLIB_DEFINE_CUSTOM_VALUES(Material, kMaterialCustomValues)

CompositionType::CompositionType() : Object(detail::typeDesc(ObjectType::CompositionType)) {}
KcSmartPtr<CompositionType> CompositionType::create(const OdString& name) {
  return detail::makeNamed<CompositionType>(name);
}

Ply::Ply() : Object(detail::typeDesc(ObjectType::Ply)) {}
KcSmartPtr<Material> Ply::material() const {
  return nonConst<Material>(refObject(F::material));
}
void Ply::set_material(const Material* material) {
  setRef(F::material, material);
}

Composition::Composition() : Object(detail::typeDesc(ObjectType::Composition)) {}
KcSmartPtr<Composition> Composition::create(const OdString& name) {
  return detail::makeNamed<Composition>(name);
}
KcSmartPtr<CompositionType> Composition::composition_type() const {
  return nonConst<CompositionType>(refObject(kCompositionType));
}
void Composition::set_composition_type(const CompositionType* type) {
  setRef(kCompositionType, type);
}

std::size_t Composition::plies_size() const {
  return listItems(kPlies).size();
}
KcSmartPtr<Ply> Composition::ply(std::size_t index) const {
  if (index >= plies_size()) return KcSmartPtr<Ply>();
  return nonConst<Ply>(listObject(kPlies, index));
}
std::vector<KcSmartPtr<Ply>> Composition::plies() const {
  std::vector<KcSmartPtr<Ply>> out;
  for (std::size_t i = 0; i < plies_size(); ++i)
    if (KcSmartPtr<Ply> p = ply(i)) out.push_back(p);
  return out;
}
KcSmartPtr<Ply> Composition::append_ply(const Material* material, double thickness,
                                        MaterialFunction function) {
  return insert_ply(plies_size(), material, thickness, function);
}
KcSmartPtr<Ply> Composition::insert_ply(std::size_t index, const Material* material,
                                        double thickness, MaterialFunction function) {
  KcSmartPtr<Ply> p = KcRxObjectImpl<Ply>::createObject();
  p->set_material(material);
  p->set_thickness(thickness);
  p->set_function(function);
  auto& items = listItems(kPlies);
  items.insert(items.begin() + static_cast<std::ptrdiff_t>(std::min(index, items.size())),
               detail::Ref{0, p});
  notifyModified();
  return p;
}
bool Composition::remove_ply(std::size_t index) {
  auto& items = listItems(kPlies);
  if (index >= items.size()) return false;
  items.erase(items.begin() + static_cast<std::ptrdiff_t>(index));
  notifyModified();
  return true;
}
bool Composition::swap_plies(std::size_t first, std::size_t second) {
  auto& items = listItems(kPlies);
  if (first >= items.size() || second >= items.size()) return false;
  std::swap(items[first], items[second]);
  notifyModified();
  return true;
}
void Composition::clear_plies() {
  listItems(kPlies).clear();
  notifyModified();
}

STOCKLIB_DEFINE_CUSTOM_VALUES(Composition, kCompositionCustomValues)

}  // namespace stocklib

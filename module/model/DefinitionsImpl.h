// The definition interfaces over the library store's objects: each implementation holds one
// reference on the object it wraps and answers empty values when that object is null.
#pragma once

#include "sl_db/IDefinitions.h"
#include "stocklib/Objects.h"

namespace sl_db {
namespace detail {

/// emptyString: the one empty string that string queries answer when there is nothing.
const OdString& emptyString();
/// displayName: the label when asked for and present, else the name.
template <class T>
OdString displayName(const T* object, bool useLabel) {
  if (!object) return OdString();
  return useLabel && object->has_label() ? object->label() : object->name();
}
/// storageType: the storage descriptor of a library type; empty when it has none.
DbPropertyType storageType(const stocklib::PropertyType& type);
/// libraryType: a module type as the library keeps it (key code 0).
inline stocklib::PropertyType libraryType(const PropertyType& type) {
  return stocklib::PropertyType(static_cast<std::int32_t>(type.structure),
                                static_cast<std::int32_t>(type.type), 0);
}
/// as<T>: `object` when it is a T (or derived); null otherwise.
template <class T>
T* as(OdRxObject* object) {
  return object && object->isKindOf(T::desc()) ? static_cast<T*>(object) : nullptr;
}
/// wrapAll<I>: one interface per library object, in order.
template <class I, class T>
std::vector<std::shared_ptr<I>> wrapAll(const std::vector<KcSmartPtr<T>>& objects) {
  std::vector<std::shared_ptr<I>> out;
  out.reserve(objects.size());
  for (const auto& o : objects)
    out.push_back(I::create(o.get()));
  return out;
}
/// boundValueDefinition: the value definition handed out for `object`: a registered
/// provider's own (ValueComputations) when one claims it, else the module's; empty for null.
std::shared_ptr<IValueDefinition> boundValueDefinition(const stocklib::ValueDefinition* object);
/// objectOf<T>: the library object of an interface when it is a T; null otherwise.
template <class T, class I>
T* objectOf(const std::shared_ptr<I>& wrapped) {
  return wrapped ? as<T>(wrapped->object()) : nullptr;
}

}  // namespace detail

/// AbstractDefinitionImpl: the operations both kinds of definition answer alike.
template <class Interface, class T>
class AbstractDefinitionImpl : public Interface {
 public:
  explicit AbstractDefinitionImpl(const T* object) : m_object(const_cast<T*>(object)) {}

  std::uint32_t id() const override { return m_object ? m_object->id() : 0; }
  bool visible() const override { return m_object && m_object->visible(); }
  bool namespaceVisible() const override {
    if (!m_object) return false;
    auto ns = m_object->property_namespace();
    return ns && ns->visible();
  }
  bool hasLabel() const override { return m_object && m_object->has_label(); }
  const OdString& label() const override {
    return m_object ? m_object->label() : detail::emptyString();
  }
  const OdString& ns() const override {
    // The definition keeps its namespace once loaded, so the name outlives this call.
    auto ns = m_object ? m_object->property_namespace() : nullptr;
    return ns ? ns->name() : detail::emptyString();
  }
  const OdString& name() const override {
    return m_object ? m_object->name() : detail::emptyString();
  }
  const OdString& description() const override {
    return m_object ? m_object->description() : detail::emptyString();
  }
  OdString displayName(bool useLabel) const override {
    return detail::displayName(m_object.get(), useLabel);
  }
  PropertyType type() const override {
    stocklib::PropertyType t = m_object ? m_object->type() : stocklib::PropertyType();
    return PropertyType(static_cast<PropertyType::Structure>(t.structure),
                        static_cast<PropertyType::Type>(t.type));
  }
  DbPropertyType dbPropertyType() const override {
    return m_object ? detail::storageType(m_object->type()) : DbPropertyType();
  }
  std::shared_ptr<IUnit> unit() const override {
    return m_object ? IUnit::create(m_object->unit().get()) : nullptr;
  }
  bool isReserved() const override { return false; }
  const OdString& reservedText() const override { return detail::emptyString(); }
  void setLabel(const OdString& label) override {
    if (m_object) m_object->set_label(label);
  }
  void clearLabel() override {
    if (m_object) m_object->clear_label();
  }
  void setName(const OdString& name) override {
    if (m_object) m_object->set_name(name);
  }
  void setDescription(const OdString& description) override {
    if (m_object) m_object->set_description(description);
  }
  void setType(const PropertyType& type) override {
    if (m_object) m_object->set_type(detail::libraryType(type));
  }
  OdRxObject* object() const override { return m_object.get(); }

 protected:
  KcSmartPtr<T> m_object;
};

template <class T>
class PropertyDefinitionImpl final : public AbstractDefinitionImpl<IPropertyDefinition, T> {
  using AbstractDefinitionImpl<IPropertyDefinition, T>::m_object;

 public:
  using AbstractDefinitionImpl<IPropertyDefinition, T>::AbstractDefinitionImpl;

  ObjectTypeWrapper::ObjectType objectType() const override {
    return ObjectTypeWrapper::PropertyDefinition;
  }
  const OdString& typeSpec() const override {
    return m_object ? m_object->type_spec() : detail::emptyString();
  }
  bool reservedFlag() const override { return false; }
  const OdRxObject* reservedObject() const override { return nullptr; }
  bool defaultValue(bool& value) const override {
    return readDefault(value, &T::has_default_bool, &T::default_bool);
  }
  bool defaultValue(std::int32_t& value) const override {
    return readDefault(value, &T::has_default_int, &T::default_int);
  }
  bool defaultValue(double& value) const override {
    return readDefault(value, &T::has_default_double, &T::default_double);
  }
  bool defaultValue(OdString& value) const override {
    return readDefault(value, &T::has_default_string, &T::default_string);
  }
  void setTypeSpec(const OdString& spec) override {
    if (m_object) m_object->set_type_spec(spec);
  }
#define SLDB_EACH_VALUE_TYPE(...)                        \
  bool isValidValue(const __VA_ARGS__&) const override { \
    return true;                                         \
  }
  SLDB_FOR_EACH_VALUE_TYPE
#undef SLDB_EACH_VALUE_TYPE

 private:
  template <class V, class R>
  bool readDefault(V& value, bool (T::*has)() const, R (T::*get)() const) const {
    if (!m_object || !(m_object.get()->*has)()) return false;
    value = (m_object.get()->*get)();
    return true;
  }
};

template <class T>
class ValueDefinitionImpl final : public AbstractDefinitionImpl<IValueDefinition, T> {
  using AbstractDefinitionImpl<IValueDefinition, T>::m_object;

 public:
  using AbstractDefinitionImpl<IValueDefinition, T>::AbstractDefinitionImpl;

  ObjectTypeWrapper::ObjectType objectType() const override {
    return ObjectTypeWrapper::ValueDefinition;
  }
  const OdString& valueSpec() const override {
    return m_object ? m_object->value_spec() : detail::emptyString();
  }
  void setValueSpec(const OdString& spec) override {
    if (m_object) m_object->set_value_spec(spec);
  }
  void reservedUpdate() override {}
  void setUnit(std::shared_ptr<IUnit> unit) override {
    if (m_object) m_object->set_unit(detail::objectOf<stocklib::Unit>(unit));
  }
#define SLDB_EACH_VALUE_TYPE(...)                                                 \
  DynamicPropertyResults::Result computeValue(__VA_ARGS__&, const OdDbObjectPtr&, \
                                              const OdRxObject*) const override { \
    return DynamicPropertyResults::TypeMismatch;                                  \
  }
  SLDB_FOR_EACH_VALUE_TYPE
#undef SLDB_EACH_VALUE_TYPE
};

template <class T>
class PropertySetImpl final : public IPropertySet {
 public:
  explicit PropertySetImpl(const T* object) : m_object(const_cast<T*>(object)) {}

  bool visible() const override { return m_object && m_object->visible(); }
  bool hasLabel() const override { return m_object && m_object->has_label(); }
  bool perInstance() const override { return m_object && m_object->per_instance(); }
  const OdString& label() const override {
    return m_object ? m_object->label() : detail::emptyString();
  }
  const OdString& ns() const override {
    // The set keeps its namespace once loaded, so the name outlives this call.
    auto ns = m_object ? m_object->property_namespace() : nullptr;
    return ns ? ns->name() : detail::emptyString();
  }
  const OdString& name() const override {
    return m_object ? m_object->name() : detail::emptyString();
  }
  std::uint32_t id() const override { return m_object ? m_object->id() : 0; }
  OdString displayName(bool useLabel) const override {
    return detail::displayName(m_object.get(), useLabel);
  }
  std::shared_ptr<IPropertyNamespace> propertyNamespace() const override {
    return m_object ? IPropertyNamespace::create(m_object->property_namespace().get()) : nullptr;
  }
  OdArray<OdString> entityTypes() const override {
    OdArray<OdString> names;
    if (!m_object) return names;
    for (const OdString& name : m_object->entity_type_names())
      names.append(name);
    return names;
  }
  OdRxObject* object() const override { return m_object.get(); }
  std::vector<std::shared_ptr<IPropertyDefinition>> propertyDefinitions() const override {
    return detail::wrapAll<IPropertyDefinition>(
        m_object ? m_object->property_definitions()
                 : std::vector<KcSmartPtr<stocklib::PropertyDefinition>>());
  }
  std::vector<std::shared_ptr<IValueDefinition>> valueDefinitions() const override {
    std::vector<std::shared_ptr<IValueDefinition>> out;
    if (!m_object) return out;
    const auto definitions = m_object->value_definitions();
    out.reserve(definitions.size());
    for (const auto& definition : definitions)
      out.push_back(detail::boundValueDefinition(definition.get()));
    return out;
  }
  void setLabel(const OdString& label) override {
    if (m_object) m_object->set_label(label);
  }
  void setName(const OdString& name) override {
    if (m_object) m_object->set_name(name);
  }
  void setVisible(bool visible) override {
    if (m_object) m_object->set_visible(visible);
  }
  void setPerInstance(bool perInstance) override {
    if (m_object) m_object->set_per_instance(perInstance);
  }
  bool insertEntityType(const OdString& name) override {
    return m_object && m_object->insert_entity_type(name);
  }
  void removeEntityType(const OdString& name) override {
    if (m_object) m_object->remove_entity_type(name);
  }
  std::shared_ptr<IPropertyDefinition> appendPropertyDefinition(const OdString& name,
                                                                const PropertyType& type) override {
    if (!m_object) return nullptr;
    return IPropertyDefinition::create(
        m_object->append_property_definition(name, detail::libraryType(type)).get());
  }
  std::shared_ptr<IValueDefinition> appendValueDefinition(const OdString& name,
                                                          const PropertyType& type) override {
    if (!m_object) return nullptr;
    return IValueDefinition::create(
        m_object->append_value_definition(name, detail::libraryType(type)).get());
  }
  void removePropertyDefinition(std::shared_ptr<IPropertyDefinition> definition) override {
    if (m_object)
      m_object->remove_property_definition(
          detail::objectOf<stocklib::PropertyDefinition>(definition));
  }
  void removeValueDefinition(std::shared_ptr<IValueDefinition> definition) override {
    if (m_object)
      m_object->remove_value_definition(detail::objectOf<stocklib::ValueDefinition>(definition));
  }
  bool swapPropertyDefinitions(std::size_t first, std::size_t second) override {
    return m_object && m_object->swap_property_definitions(first, second);
  }
  bool swapValueDefinitions(std::size_t first, std::size_t second) override {
    return m_object && m_object->swap_value_definitions(first, second);
  }
  void clearDefinitions() override {
    if (m_object) m_object->clear_definitions();
  }
  void clearAllDefinitions() override { clearDefinitions(); }
  void save(std::shared_ptr<ILibrary> library) override;

 private:
  KcSmartPtr<T> m_object;
};

template <class T>
class PropertyNamespaceImpl final : public IPropertyNamespace {
 public:
  explicit PropertyNamespaceImpl(const T* object) : m_object(const_cast<T*>(object)) {}

  const OdString& label() const override {
    return m_object ? m_object->label() : detail::emptyString();
  }
  void setLabel(const OdString& label) override {
    if (m_object) m_object->set_label(label);
  }
  OdString displayName(bool useLabel) const override {
    return detail::displayName(m_object.get(), useLabel);
  }
  const OdString& name() const override {
    return m_object ? m_object->name() : detail::emptyString();
  }
  bool visible() const override { return m_object && m_object->visible(); }
  void setVisible(bool visible) override {
    if (m_object) m_object->set_visible(visible);
  }
  bool editable() const override { return m_object && m_object->editable(); }
  std::uint32_t id() const override { return m_object ? m_object->id() : 0; }
  OdRxObject* object() const override { return m_object.get(); }

 private:
  KcSmartPtr<T> m_object;
};

template <class T>
class PropertyUnitImpl final : public IUnit {
 public:
  explicit PropertyUnitImpl(const T* object) : m_object(const_cast<T*>(object)) {}

  const OdString& label() const override {
    return m_object ? m_object->label() : detail::emptyString();
  }
  const OdString& measureName() const override {
    // The unit keeps its measure once loaded, so the name outlives this call.
    auto measure = m_object ? m_object->measure() : nullptr;
    return measure ? measure->name() : detail::emptyString();
  }
  OdRxObject* object() const override { return m_object.get(); }

 private:
  KcSmartPtr<T> m_object;
};

}  // namespace sl_db

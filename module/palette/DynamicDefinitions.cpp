// Custom-value definitions: a text per custom value, read and written on the object itself.
#include "palette/DynamicDefinitions.h"

#include "palette/PaletteShared.h"
#include "stocklib/Materials.h"

namespace sl_db {

namespace {

template <class Object>
const char* objectWord();
template <>
const char* objectWord<stocklib::Material>() {
  return "Material";
}
template <>
const char* objectWord<stocklib::Composition>() {
  return "Composition";
}

}  // namespace

template <class Object>
class StocklibDynamicPropertyDefinition : public oa::PropertyDefinition {
 public:
  explicit StocklibDynamicPropertyDefinition(const stocklib::CustomProperty* property)
      : m_id(sl_db_::customDefinitionId(property->name())),
        m_property(property),
        m_globalName(OdString(objectWord<Object>()) + property->name()),
        m_namespace(sl_db_::customNamespace()),
        m_category(sl_db_::categoryOf<Object>()) {}

  ut::UUID GUID() const override { return m_id; }
  OdString globalName() const override { return m_globalName; }
  OdString localName() const override { return m_property->name(); }
  const oa::PropertyNamespace* propertyNamespace() const override { return m_namespace; }
  const oa::PropType* type() const override { return oa::PropType::String::getType(); }
  KcSmartPtr<const oa::Attribute> getAttribute(const OdRxClass* attributeClass,
                                               const OdRxObject* object,
                                               const OdRxObject* context) const override {
    if (attributeClass == oa::CategoryAttribute::desc())
      return KcSmartPtr<const oa::Attribute>(&m_category);
    return oa::PropertyDefinition::getAttribute(attributeClass, object, context);
  }
  bool getValue(tdx::PropertyValue& value, const OdRxObject* object,
                const OdRxObject*) const override {
    KcSmartPtr<Object> typed = Object::cast(object);
    if (!typed) return false;
    tdx::PropertyValue read = typed->has_custom_value(m_property)
                                  ? tdx::PropertyValue(typed->custom_value(m_property))
                                  : sl_db_::absent(tdx::PropertyValue::kString);
    value.swap(read);
    return true;
  }
  bool setValue(OdRxObject* object, const tdx::PropertyValue& value,
                const OdRxObject*) const override {
    KcSmartPtr<Object> typed = Object::cast(object);
    if (!typed) return false;
    if (sl_db_::clearing(value, tdx::PropertyValue::kString)) {
      typed->clear_custom_value(m_property);
      return true;
    }
    OdString text;
    if (!value.get(text)) return false;
    typed->set_custom_value(m_property, text);
    return true;
  }

 private:
  ut::UUID m_id;
  KcSmartPtr<const stocklib::CustomProperty> m_property;
  OdString m_globalName;
  const oa::PropertyNamespace* m_namespace;
  OdStaticRxObject<oa::CategoryAttributeImpl> m_category;
};

namespace {

template <class Object>
bool appendFor(oa::PropertyDefinitionArray& out, const Object& object) {
  bool any = false;
  for (const auto& entry : object.custom_values()) {
    const stocklib::CustomProperty* property = entry.first.property().get();
    if (!property) continue;
    out.append(KcRxObjectImpl<StocklibDynamicPropertyDefinition<Object>>::createObject(property));
    any = true;
  }
  return any;
}

}  // namespace

bool appendCustomDefinitions(oa::PropertyDefinitionArray& out, const OdRxObject* object) {
  if (KcSmartPtr<stocklib::Composition> composition = stocklib::Composition::cast(object))
    return appendFor(out, *composition);
  if (KcSmartPtr<stocklib::Material> material = stocklib::Material::cast(object))
    return appendFor(out, *material);
  return false;
}

}  // namespace sl_db

// oa::PropertyDefinition: the framework's default behaviour of palette definitions.
#include "oa/PropertyDefinition.h"

namespace oa {

ODRX_DEFINE_MEMBERS_EX(PropertyDefinition, KcRxObject, OdString("oa::PropertyDefinition"),
                       OdRxObjectPtr(), 0, 0, 0, OdString(), OdString())
PropertyDefinition::~PropertyDefinition() = default;

OdString PropertyDefinition::localName() const {
  return globalName();
}

const PropertyNamespace* PropertyDefinition::propertyNamespace() const {
  return nullptr;
}

OdString PropertyDefinition::description() const {
  return OdString();
}

KcSmartPtr<const Attribute> PropertyDefinition::getAttribute(const OdRxClass* attributeClass,
                                                             const OdRxObject*,
                                                             const OdRxObject*) const {
  if (attributeClass && attributeClass == BooleanValueAttribute::desc() &&
      type() == PropType::Boolean::getType()) {
    return BooleanValueAttribute::getYesNo();
  }
  return KcSmartPtr<const Attribute>();
}

bool PropertyDefinition::isApplicable(const OdRxObject*, const OdRxObject*) const {
  return true;
}

bool PropertyDefinition::isReadOnly(const OdRxObject*, const OdRxObject*) const {
  return false;
}

bool PropertyDefinition::getValue(tdx::PropertyValue&, const OdRxObject*, const OdRxObject*) const {
  return false;
}

bool PropertyDefinition::getChildren(PropertyDefinitionArray&, const OdRxObject*,
                                     const PropertyOptions::Object&) const {
  return false;
}

PropertyDefinitionPtr PropertyDefinition::getParent() const {
  return PropertyDefinitionPtr();
}

bool PropertyDefinition::validateValue(const OdRxObject* object, const tdx::PropertyValue& value,
                                       const OdRxObject* context) const {
  if (isReadOnly(object, context) || value.varies()) return false;
  if (value.state() & tdx::PropertyValue::kNoValue) return true;
  const PropType* valueType = type();
  if (!valueType || value.kind() != valueType->valueKind()) return false;
  if (valueType == PropType::Enumeration::getType()) {
    KcSmartPtr<const Attribute> attribute =
        getAttribute(EnumerationAttribute::desc(), object, context);
    auto items = EnumerationAttribute::cast(attribute.get());
    OdString label;
    if (items && !items->labelOf(value, label)) return false;
  }
  return true;
}

bool PropertyDefinition::setValue(OdRxObject*, const tdx::PropertyValue&, const OdRxObject*) const {
  return false;
}

OdString PropertyDefinition::qualifiedName() const {
  const PropertyNamespace* ns = propertyNamespace();
  if (!ns) return globalName();
  return ns->qualifiedName() + PropertyNamespace::kSeparator + globalName();
}

OdString PropertyDefinition::label() const {
  OdString local = localName();
  return local.isEmpty() ? globalName() : local;
}

}  // namespace oa

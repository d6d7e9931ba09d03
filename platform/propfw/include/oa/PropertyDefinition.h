// oa::PropertyDefinition: one property the palette shows for an object: identity, names, value
// type, attributes, and the reading and writing of its value. Sources derive from it; the
// framework gives the default behaviour documented on each operation.
#pragma once
/// @file
/// One property the palette shows for an object, and how its value is read and written.

#include "OdArray.h"
#include "oa/Attributes.h"
#include "oa/PropType.h"
#include "oa/PropertyNamespace.h"
#include "oa/PropertyOptions.h"
#include "oa/PropfwExport.h"
#include "tdx/PropertyValue.h"
#include "ut/KcRxObject.h"
#include "ut/UUID.h"

namespace oa {

class PropertyDefinition;
using PropertyDefinitionPtr = KcSmartPtr<PropertyDefinition>;
using PropertyDefinitionArray = OdArray<PropertyDefinitionPtr>;

/// Runtime class "oa::PropertyDefinition". Virtual operations in this slot order.
class PROPFW_API PropertyDefinition : public KcRxObject {
  ODRX_DECLARE_MEMBERS_API(PROPFW_API, PropertyDefinition)
 public:
  ~PropertyDefinition() override;

  /// GUID: the definition's identifier.
  virtual ut::UUID GUID() const = 0;
  /// globalName: the name that does not change with the user's language.
  virtual OdString globalName() const = 0;
  /// localName: the label shown; by default globalName().
  virtual OdString localName() const;
  /// propertyNamespace: the namespace, or null (the default). Namespaces outlive definitions.
  virtual const PropertyNamespace* propertyNamespace() const;
  /// description: a longer text about the property; by default empty.
  virtual OdString description() const;
  /// type: the value type (the getType instance of one of the PropType classes); never null.
  virtual const PropType* type() const = 0;
  /// getAttribute: the attribute of class `attributeClass` for `object` in `context`; by default
  /// a BooleanValueAttribute "Yes"/"No" for boolean definitions asked for that class, else null.
  virtual KcSmartPtr<const Attribute> getAttribute(const OdRxClass* attributeClass,
                                                   const OdRxObject* object,
                                                   const OdRxObject* context) const;
  /// isApplicable: whether the property is shown for `object`; by default true.
  virtual bool isApplicable(const OdRxObject* object, const OdRxObject* context) const;
  /// isReadOnly: whether the user may not edit it; by default false.
  virtual bool isReadOnly(const OdRxObject* object, const OdRxObject* context) const;
  /// getValue: reads the value of `object` into `value`; false (and `value` unchanged) when it
  /// cannot be read. By default false.
  virtual bool getValue(tdx::PropertyValue& value, const OdRxObject* object,
                        const OdRxObject* context) const;
  /// getChildren: appends the sub-properties shown under this one to `children`; false when it
  /// has none for `object` (null: for any object). By default false, nothing appended.
  virtual bool getChildren(PropertyDefinitionArray& children, const OdRxObject* object,
                           const PropertyOptions::Object& options) const;
  /// getParent: the definition that made this one as a child, or null (the default).
  virtual PropertyDefinitionPtr getParent() const;
  /// validateValue: whether `value` may be written to `object`. By default: false when the
  /// definition is read-only for the object or the value has kVaries set; true for a value
  /// without value (kNoValue: a request to clear); else the value's kind must be the type's
  /// valueKind(), and for an enumeration with an EnumerationAttribute it must be one of its items.
  virtual bool validateValue(const OdRxObject* object, const tdx::PropertyValue& value,
                             const OdRxObject* context) const;
  /// setValue: writes `value` to `object`; true when written. By default false.
  virtual bool setValue(OdRxObject* object, const tdx::PropertyValue& value,
                        const OdRxObject* context) const;

  /// qualifiedName: the namespace's qualified name, "/", and globalName(); globalName() alone
  /// without namespace.
  OdString qualifiedName() const;
  /// label: localName(), or globalName() when that is empty.
  OdString label() const;
};

}  // namespace oa

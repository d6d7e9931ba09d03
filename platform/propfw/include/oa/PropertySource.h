// oa::PropertySource: a supplier of palette definitions for objects and classes. The framework
// implements the walks and lookups on top of the two getPropertyDefinitions operations.
#pragma once
/// @file
/// A supplier of palette definitions for objects and classes.

#include "OdArray.h"
#include "oa/PropertyDefinition.h"
#include "oa/PropertyOptions.h"
#include "oa/PropfwExport.h"
#include "ut/KcRxObject.h"
#include "ut/UUID.h"

namespace oa {

/// One definition met in a walk over definitions and their children.
struct PropertyInfo {
  PropertyDefinitionPtr definition;
  /// parent: the definition whose child this is; null at the top level.
  PropertyDefinitionPtr parent;
  /// level: 0 at the top level, 1 for children, and so on.
  unsigned int level = 0;
};
using PropertyInfoArray = OdArray<PropertyInfo>;

/// Runtime class "oa::PropertySource". Virtual operations in this slot order.
class PROPFW_API PropertySource : public KcRxObject {
  ODRX_DECLARE_MEMBERS_API(PROPFW_API, PropertySource)
 public:
  /// Children deeper than this are not walked (a guard against definitions that loop).
  static const unsigned int kMaxChildLevel = 16;

  ~PropertySource() override;

  virtual ut::UUID GUID() const = 0;
  virtual OdString name() const = 0;
  /// getAllPropertyDefinitions: appends to `infos` every definition given for `object` with all
  /// option bits, keeping those isApplicable for it, each followed depth-first by its children
  /// (getChildren with all option bits). True when anything was appended.
  virtual bool getAllPropertyDefinitions(PropertyInfoArray& infos, const OdRxObject* object) const;
  /// getPropertyDefinitions: appends the definitions for `object` to `definitions`; true when
  /// anything was appended. By default nothing.
  virtual bool getPropertyDefinitions(PropertyDefinitionArray& definitions,
                                      const OdRxObject* object,
                                      const PropertyOptions::Object& options) const;
  /// getPropertyDefinitions: the same for a class of objects. By default nothing.
  virtual bool getPropertyDefinitions(PropertyDefinitionArray& definitions, const OdRxClass* cls,
                                      const PropertyOptions::Type& options) const;
  /// getPropertyDefinition: the first definition (children included) for `object` whose
  /// qualifiedName() is `qualifiedName` (exact, case-sensitive); null when none.
  virtual PropertyDefinitionPtr getPropertyDefinition(const OdRxObject* object,
                                                      const OdString& qualifiedName) const;
  /// getPropertyDefinition: the first definition for `object` with identifier `id`; null if none.
  virtual PropertyDefinitionPtr getPropertyDefinition(const OdRxObject* object,
                                                      const ut::UUID& id) const;
  /// getPropertyDefinition: by qualified name among the definitions of a class (children asked
  /// with no object); null when none.
  virtual PropertyDefinitionPtr getPropertyDefinition(const OdRxClass* cls,
                                                      const OdString& qualifiedName) const;
  /// getPropertyDefinition: by identifier among the definitions of a class; null when none.
  virtual PropertyDefinitionPtr getPropertyDefinition(const OdRxClass* cls,
                                                      const ut::UUID& id) const;
};
using PropertySourcePtr = KcSmartPtr<PropertySource>;

}  // namespace oa

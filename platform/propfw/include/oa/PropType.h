// oa::PropType: the value types of palette properties, one runtime class each, with one shared
// instance per type reached through getType().
#pragma once
/// @file
/// The value types of palette properties.

#include "oa/PropfwExport.h"
#include "tdx/PropertyValue.h"
#include "ut/KcRxObject.h"

namespace oa {

/// Base of the value types (runtime class "oa::PropType").
class PROPFW_API PropType : public KcRxObject {
  ODRX_DECLARE_MEMBERS_API(PROPFW_API, PropType)
 public:
  ~PropType() override;
  /// name: the type's name ("Boolean", "Real" ...).
  virtual OdString name() const = 0;
  /// valueKind: the kind of palette value that a property of this type holds.
  virtual tdx::PropertyValue::Kind valueKind() const = 0;

  class Boolean;
  class Enumeration;
  class Integer;
  class Real;
  class String;
  class Unsigned;
};

#define OA_DECLARE_PROP_TYPE(Name)                                \
  class PROPFW_API PropType::Name : public PropType {             \
    ODRX_DECLARE_MEMBERS_API(PROPFW_API, Name)                    \
   public:                                                        \
    ~Name() override;                                             \
    OdString name() const override;                               \
    tdx::PropertyValue::Kind valueKind() const override;          \
    /** getType: the shared instance of this type; never null. */ \
    static const PropType* getType();                             \
  };

/// A truth value (boolean palette values).
OA_DECLARE_PROP_TYPE(Boolean)
/// A choice among named items (integer palette values; items by an EnumerationAttribute).
OA_DECLARE_PROP_TYPE(Enumeration)
/// A signed whole number (integer palette values).
OA_DECLARE_PROP_TYPE(Integer)
/// A real number (real palette values).
OA_DECLARE_PROP_TYPE(Real)
/// A text (string palette values).
OA_DECLARE_PROP_TYPE(String)
/// An unsigned whole number (integer palette values, payload read as unsigned).
OA_DECLARE_PROP_TYPE(Unsigned)

#undef OA_DECLARE_PROP_TYPE

}  // namespace oa

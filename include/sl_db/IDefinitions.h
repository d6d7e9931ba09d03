// The property model as other modules see it: property and value definitions, property sets,
// property namespaces and units, each an interface over the library-store object it wraps.
#pragma once
/// @file

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "DbObjectId.h"
#include "OdArray.h"
#include "OdString.h"
#include "dbprops/DbPropertyType.h"
#include "sl_db/DynamicPropertyResult.h"
#include "sl_db/PropertyKey.h"
#include "sl_db/SlDbExport.h"

class OdRxObject;

namespace stocklib {
class PropertyDefinition;
class ValueDefinition;
class PropertySet;
class PropertyNamespace;
class Unit;
}  // namespace stocklib

namespace sl_db {

class ILibrary;
class IUnit;
class IPropertyNamespace;
class IPropertyDefinition;
class IValueDefinition;

///@{
/// SLDB_VALUE_SINGLE_ / SLDB_VALUE_ARRAY_ / SLDB_VALUE_MAP_: the steps of
/// SLDB_FOR_EACH_VALUE_TYPE for single values, arrays and maps; not for use on their own.
#define SLDB_VALUE_SINGLE_(T, C) SLDB_EACH_VALUE_TYPE(T)
#define SLDB_VALUE_ARRAY_(T, C) SLDB_EACH_VALUE_TYPE(DbArray<T>)
#define SLDB_VALUE_MAP_(K, KC, V, VC) SLDB_EACH_VALUE_TYPE(std::map<K, V>)
///@}
/// SLDB_FOR_EACH_VALUE_TYPE: the value types of entity properties, one per storage type, in the
/// storage's order: 18 single values, 13 arrays, 64 maps. Expand it with SLDB_EACH_VALUE_TYPE(...)
/// defined to what each type needs (the type arrives as __VA_ARGS__: a map's type holds a comma).
/// The storage's integers are fixed-width: the 32-bit `long` and `int` are both std::int32_t
/// (unsigned: std::uint32_t) and 64-bit integers are std::int64_t, so the overloads for `int` and
/// `unsigned int` are those of the 32-bit integers and each family has 95 overloads.
#define SLDB_FOR_EACH_VALUE_TYPE \
  DBPROPS_FOR_EACH_TYPE(SLDB_VALUE_SINGLE_, SLDB_VALUE_ARRAY_, SLDB_VALUE_MAP_)

// Every interface here is owned by the std::shared_ptr its create() made, which destroys it as
// its concrete class; the destructors are protected and not virtual. An interface over no
// library object (only reachable through a library object that was null) answers empty values:
// empty strings, false, 0, empty pointers and lists, and its modifiers do nothing.

/// IAbstractDefinition: what property and value definitions share.
class SLDB_API IAbstractDefinition : public std::enable_shared_from_this<IAbstractDefinition> {
 public:
  /// id: the definition's id in its library; 0 when unsaved.
  virtual std::uint32_t id() const = 0;
  /// visible: the definition's visible flag; false for none.
  virtual bool visible() const = 0;
  /// namespaceVisible: the visible flag of the definition's namespace; false without one.
  virtual bool namespaceVisible() const = 0;
  /// hasLabel: the definition has a label of its own.
  virtual bool hasLabel() const = 0;
  /// label: the definition's label; empty without one.
  virtual const OdString& label() const = 0;
  /// ns: the name of the definition's namespace; empty without one.
  virtual const OdString& ns() const = 0;
  /// name: the definition's name, unique in its namespace among its kind.
  virtual const OdString& name() const = 0;
  /// description: the definition's description; empty without one.
  virtual const OdString& description() const = 0;
  /// displayName: the label when `useLabel` and the definition has one, else the name.
  virtual OdString displayName(bool useLabel) const = 0;
  /// type: structure and element code of the library type; its key code is not carried.
  virtual PropertyType type() const = 0;
  /// dbPropertyType: the storage type of the library type; the empty (never valid) descriptor
  /// when a code is outside 0..18, the structure is not 1..3 or the storage has no such type.
  virtual DbPropertyType dbPropertyType() const = 0;
  /// unit: the definition's unit; empty without one.
  virtual std::shared_ptr<IUnit> unit() const = 0;
  ///@{
  /// isReserved / reservedText: always false / empty here.
  virtual bool isReserved() const = 0;
  virtual const OdString& reservedText() const = 0;
  ///@}
  /// objectType: PropertyDefinition or ValueDefinition.
  virtual ObjectTypeWrapper::ObjectType objectType() const = 0;
  /// setLabel: gives the definition `label` as its label.
  virtual void setLabel(const OdString& label) = 0;
  /// clearLabel: removes the label; hasLabel answers false after it.
  virtual void clearLabel() = 0;
  /// setName: renames the definition.
  virtual void setName(const OdString& name) = 0;
  /// setDescription: replaces the description.
  virtual void setDescription(const OdString& description) = 0;
  /// setType: writes the structure and element code with key code 0.
  virtual void setType(const PropertyType& type) = 0;
  /// object: the wrapped library object (no reference added); null for none.
  virtual OdRxObject* object() const = 0;

 protected:
  ///@{
  /// Made, copied and destroyed by the implementations only (through the owning shared_ptr).
  IAbstractDefinition() = default;
  IAbstractDefinition(const IAbstractDefinition&) = default;
  IAbstractDefinition& operator=(const IAbstractDefinition&) = default;
  ~IAbstractDefinition() = default;
  ///@}
};

/// IPropertyDefinition: a value stored per entity and edited by the user. Of its two
/// enable_shared_from_this bases the standard library can register only the unambiguous one,
/// IAbstractDefinition's: call shared_from_this through that base.
class SLDB_API IPropertyDefinition : public std::enable_shared_from_this<IPropertyDefinition>,
                                     public IAbstractDefinition {
 public:
  /// create: a definition over `object` (a reference added); empty for null. Made for
  /// stocklib::PropertyDefinition only.
  template <class T>
  static std::shared_ptr<IPropertyDefinition> create(const T* object);

  /// typeSpec: the library's type specification of the definition; empty without one.
  virtual const OdString& typeSpec() const = 0;
  ///@{
  /// reservedFlag / reservedObject: always false / null here.
  virtual bool reservedFlag() const = 0;
  virtual const OdRxObject* reservedObject() const = 0;
  ///@}
  ///@{
  /// defaultValue: the library's default of that type into `value`; false, `value` unchanged,
  /// when there is none.
  virtual bool defaultValue(bool& value) const = 0;
  virtual bool defaultValue(std::int32_t& value) const = 0;
  virtual bool defaultValue(double& value) const = 0;
  virtual bool defaultValue(OdString& value) const = 0;
  ///@}
  /// setTypeSpec: replaces the type specification.
  virtual void setTypeSpec(const OdString& spec) = 0;
  /// isValidValue: whether `value` may be stored; this module's definitions accept every value.
#define SLDB_EACH_VALUE_TYPE(...) virtual bool isValidValue(const __VA_ARGS__& value) const = 0;
  SLDB_FOR_EACH_VALUE_TYPE
#undef SLDB_EACH_VALUE_TYPE

 protected:
  ///@{
  /// Made, copied and destroyed by the implementations only (through the owning shared_ptr).
  IPropertyDefinition() = default;
  IPropertyDefinition(const IPropertyDefinition&) = default;
  IPropertyDefinition& operator=(const IPropertyDefinition&) = default;
  ~IPropertyDefinition() = default;
  ///@}
};

/// IValueDefinition: a value computed for an entity rather than stored. As for property
/// definitions, shared_from_this works through the IAbstractDefinition base.
class SLDB_API IValueDefinition : public std::enable_shared_from_this<IValueDefinition>,
                                  public IAbstractDefinition {
 public:
  /// create: as IPropertyDefinition::create, for stocklib::ValueDefinition.
  template <class T>
  static std::shared_ptr<IValueDefinition> create(const T* object);

  /// valueSpec: the library's specification of what the value is computed from; empty without
  /// one.
  virtual const OdString& valueSpec() const = 0;
  /// setValueSpec: replaces the value specification.
  virtual void setValueSpec(const OdString& spec) = 0;
  /// reservedUpdate: does nothing here.
  virtual void reservedUpdate() = 0;
  /// setUnit: the unit's library object as the definition's unit; an empty unit when `unit` is
  /// empty or does not wrap a stocklib::Unit.
  virtual void setUnit(std::shared_ptr<IUnit> unit) = 0;
  /// computeValue: `value` for `object` in the palette `context`. This module's definitions
  /// compute nothing and answer TypeMismatch for every type; other modules hand out computing
  /// definitions in their place through ValueComputations.
#define SLDB_EACH_VALUE_TYPE(...)                      \
  virtual DynamicPropertyResults::Result computeValue( \
      __VA_ARGS__& value, const OdDbObjectPtr& object, const OdRxObject* context) const = 0;
  SLDB_FOR_EACH_VALUE_TYPE
#undef SLDB_EACH_VALUE_TYPE

 protected:
  ///@{
  /// Made, copied and destroyed by the implementations only (through the owning shared_ptr).
  IValueDefinition() = default;
  IValueDefinition(const IValueDefinition&) = default;
  IValueDefinition& operator=(const IValueDefinition&) = default;
  ~IValueDefinition() = default;
  ///@}
};

/// IPropertySet: a named group of definitions in a namespace, applying to entity types.
class SLDB_API IPropertySet : public std::enable_shared_from_this<IPropertySet> {
 public:
  /// create: a set over `object` (a reference added); empty for null. Made for
  /// stocklib::PropertySet only.
  template <class T>
  static std::shared_ptr<IPropertySet> create(const T* object);

  /// visible: the set's visible flag; false for none.
  virtual bool visible() const = 0;
  /// hasLabel: the set has a label of its own.
  virtual bool hasLabel() const = 0;
  /// perInstance: the set is attached to single entities rather than to all of its types.
  virtual bool perInstance() const = 0;
  /// label: the set's label; empty without one.
  virtual const OdString& label() const = 0;
  /// ns: the name of the set's namespace; empty without one.
  virtual const OdString& ns() const = 0;
  /// name: the set's name, unique in its namespace.
  virtual const OdString& name() const = 0;
  /// id: the set's id in its library; 0 when unsaved.
  virtual std::uint32_t id() const = 0;
  /// displayName: the label when `useLabel` and the set has one, else the name.
  virtual OdString displayName(bool useLabel) const = 0;
  /// propertyNamespace: the set's namespace; empty without one.
  virtual std::shared_ptr<IPropertyNamespace> propertyNamespace() const = 0;
  /// entityTypes: the names of the entity types, in the library's order.
  virtual OdArray<OdString> entityTypes() const = 0;
  /// object: the wrapped library object (no reference added); null for none.
  virtual OdRxObject* object() const = 0;
  /// propertyDefinitions: the set's property definitions, in the set's order.
  virtual std::vector<std::shared_ptr<IPropertyDefinition>> propertyDefinitions() const = 0;
  /// valueDefinitions: the set's value definitions, in the set's order; a provider's own where
  /// one claims the definition (ValueComputations).
  virtual std::vector<std::shared_ptr<IValueDefinition>> valueDefinitions() const = 0;
  /// setLabel: gives the set `label` as its label.
  virtual void setLabel(const OdString& label) = 0;
  /// setName: renames the set; save throws when the name is taken.
  virtual void setName(const OdString& name) = 0;
  /// setVisible: sets the visible flag.
  virtual void setVisible(bool visible) = 0;
  /// setPerInstance: sets whether the set is attached to single entities.
  virtual void setPerInstance(bool perInstance) = 0;
  /// insertEntityType: false when nothing was added (already there, empty name, no set). Any
  /// name is taken; one that no registered class has makes the set apply to nothing.
  [[nodiscard]] virtual bool insertEntityType(const OdString& name) = 0;
  /// removeEntityType: takes `name` out of the entity types; nothing when it is not there.
  virtual void removeEntityType(const OdString& name) = 0;
  ///@{
  /// appendPropertyDefinition / appendValueDefinition: a new definition at the end, of that
  /// name and type (key code 0); empty when no set is wrapped.
  virtual std::shared_ptr<IPropertyDefinition> appendPropertyDefinition(
      const OdString& name, const PropertyType& type) = 0;
  virtual std::shared_ptr<IValueDefinition> appendValueDefinition(const OdString& name,
                                                                  const PropertyType& type) = 0;
  ///@}
  ///@{
  /// removePropertyDefinition / removeValueDefinition: takes the definition out of the set (it
  /// is deleted from the library when the set is saved); a definition of another kind, or an
  /// empty one, removes nothing.
  virtual void removePropertyDefinition(std::shared_ptr<IPropertyDefinition> definition) = 0;
  virtual void removeValueDefinition(std::shared_ptr<IValueDefinition> definition) = 0;
  ///@}
  ///@{
  /// swapPropertyDefinitions / swapValueDefinitions: false when an index is out of range.
  [[nodiscard]] virtual bool swapPropertyDefinitions(std::size_t first, std::size_t second) = 0;
  [[nodiscard]] virtual bool swapValueDefinitions(std::size_t first, std::size_t second) = 0;
  ///@}
  ///@{
  /// clearDefinitions / clearAllDefinitions: both remove every property and value definition.
  virtual void clearDefinitions() = 0;
  virtual void clearAllDefinitions() = 0;
  ///@}
  /// save: writes the set into the library store of `library`'s wrapper. Throws
  /// stocklib::Exception when `library` is empty, of another class or its library is gone,
  /// and whatever the store throws (read-only library, a name taken). The wrapper's indexes
  /// (sets by class, bindings by key, listings) show the saved set after ILibrary::reload().
  virtual void save(std::shared_ptr<ILibrary> library) = 0;

 protected:
  ///@{
  /// Made, copied and destroyed by the implementations only (through the owning shared_ptr).
  IPropertySet() = default;
  IPropertySet(const IPropertySet&) = default;
  IPropertySet& operator=(const IPropertySet&) = default;
  ~IPropertySet() = default;
  ///@}
};

/// IPropertyNamespace: a named group of property sets.
class SLDB_API IPropertyNamespace : public std::enable_shared_from_this<IPropertyNamespace> {
 public:
  /// create: for stocklib::PropertyNamespace; empty for null.
  template <class T>
  static std::shared_ptr<IPropertyNamespace> create(const T* object);

  /// label: the namespace's label; empty without one.
  virtual const OdString& label() const = 0;
  /// setLabel: gives the namespace `label` as its label.
  virtual void setLabel(const OdString& label) = 0;
  /// displayName: the label when `useLabel` and the namespace has one, else the name.
  virtual OdString displayName(bool useLabel) const = 0;
  /// name: the namespace's name, unique in its library.
  virtual const OdString& name() const = 0;
  /// visible: the namespace's visible flag; false for none.
  virtual bool visible() const = 0;
  /// setVisible: sets the visible flag.
  virtual void setVisible(bool visible) = 0;
  /// editable: the library's editable flag of the namespace; false for none.
  virtual bool editable() const = 0;
  /// id: the namespace's id in its library; 0 when unsaved.
  virtual std::uint32_t id() const = 0;
  /// object: the wrapped library object (no reference added); null for none.
  virtual OdRxObject* object() const = 0;

 protected:
  ///@{
  /// Made, copied and destroyed by the implementations only (through the owning shared_ptr).
  IPropertyNamespace() = default;
  IPropertyNamespace(const IPropertyNamespace&) = default;
  IPropertyNamespace& operator=(const IPropertyNamespace&) = default;
  ~IPropertyNamespace() = default;
  ///@}
};

/// IUnit: a unit of a measure.
class SLDB_API IUnit : public std::enable_shared_from_this<IUnit> {
 public:
  /// create: for stocklib::Unit; empty for null.
  template <class T>
  static std::shared_ptr<IUnit> create(const T* object);

  /// label: the unit's label; empty for none.
  virtual const OdString& label() const = 0;
  /// measureName: the name of the unit's measure; empty without one.
  virtual const OdString& measureName() const = 0;
  /// object: the wrapped library object (no reference added); null for none.
  virtual OdRxObject* object() const = 0;

 protected:
  ///@{
  /// Made, copied and destroyed by the implementations only (through the owning shared_ptr).
  IUnit() = default;
  IUnit(const IUnit&) = default;
  IUnit& operator=(const IUnit&) = default;
  ~IUnit() = default;
  ///@}
};

// The library-store classes the interfaces are made for.
/// create: a property definition over `object` (a reference added); empty for null.
template <>
SLDB_API std::shared_ptr<IPropertyDefinition> IPropertyDefinition::create(
    const stocklib::PropertyDefinition* object);
/// create: a value definition over `object` (a reference added); empty for null.
template <>
SLDB_API std::shared_ptr<IValueDefinition> IValueDefinition::create(
    const stocklib::ValueDefinition* object);
/// create: a property set over `object` (a reference added); empty for null.
template <>
SLDB_API std::shared_ptr<IPropertySet> IPropertySet::create(const stocklib::PropertySet* object);
/// create: a namespace over `object` (a reference added); empty for null.
template <>
SLDB_API std::shared_ptr<IPropertyNamespace> IPropertyNamespace::create(
    const stocklib::PropertyNamespace* object);
/// create: a unit over `object` (a reference added); empty for null.
template <>
SLDB_API std::shared_ptr<IUnit> IUnit::create(const stocklib::Unit* object);

}  // namespace sl_db

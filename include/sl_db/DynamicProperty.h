// DynamicProperty: one user property of one drawing object, bound to a library's property or
// value definition; reads and writes the object's value, stored under the key's string form.
#pragma once
/// @file

#include <cstdint>
#include <memory>
#include <type_traits>

#include "RxObject.h"
#include "dbprops/DbProperty.h"
#include "dbprops/DbPropertyType.h"
#include "sl_db/DynamicPropertyResult.h"
#include "sl_db/PropertyKey.h"
#include "sl_db/SlDbExport.h"

class OdDbObject;

namespace sl_db {

class IAbstractDefinition;
class IPropertyDefinition;
class IValueDefinition;
class IPropertySet;
class ILibrary;

namespace detail {
/// IsStorageType<T>: T is one of the storage's value types (those DbPropertyTraits describes).
template <class T, class = void>
struct IsStorageType : std::false_type {};
/// IsStorageType<T>: true for the described types.
template <class T>
struct IsStorageType<T, std::void_t<decltype(DbPropertyTraits<T>::structure)>> : std::true_type {};
}  // namespace detail

/// SLDB_STORAGE_TYPES_: the message of getValue and setValue for a type the storage cannot hold.
#define SLDB_STORAGE_TYPES_                                                                     \
  "DynamicProperty::getValue/setValue: T must be a storage value type: bool, int8_t, uint8_t, " \
  "int16_t, uint16_t, int32_t (int), uint32_t, int64_t, uint64_t, double, OdString, "           \
  "OdDbHandle, OdDbTypedId, OdGeVector2d, OdGePoint2d, OdGeVector3d, OdGePoint3d, DbBytes, "    \
  "or a DbArray or std::map of them (float: use double; text: OdString)"

/// DynamicProperty: a light value (copies share the object and the definitions). The object
/// must be open for reading to read and for writing to write: reads of an object that is not
/// throw OdError(eNotOpenForRead), writes throw from assertWriteEnabled.
/// Result (Ok, NoValue, InvalidValue, TypeMismatch, NotAvailable) is the outcome of getValue and
/// setValue: NoValue for a read without stored value nor default of T (output reset);
/// InvalidValue for a write the definition rejects; TypeMismatch when T is not the storage type
/// or a value definition lacks a context with an entity; NotAvailable for a read with nothing
/// bound nor stored and a write to an object without container or refused by it.
class SLDB_API DynamicProperty : public DynamicPropertyResults {
 public:
  /// Binds the last property and value definition named `key` (each kind on its own) among the
  /// sets of `library` that apply to `object`; with `resolve` false or no library binds nothing.
  /// `object` must not be null when resolving.
  DynamicProperty(std::shared_ptr<ILibrary> library, OdRxObjectPtr object, const PropertyKey& key,
                  bool resolve);
  /// Binds `definition` (may be empty: then the key is empty) and `set`.
  DynamicProperty(OdRxObjectPtr object, std::shared_ptr<IPropertyDefinition> definition,
                  std::shared_ptr<IPropertySet> set);
  /// Binds the value definition `definition` (may be empty: then the key is empty) and `set`.
  DynamicProperty(OdRxObjectPtr object, std::shared_ptr<IValueDefinition> definition,
                  std::shared_ptr<IPropertySet> set);
  /// Binds by identifier: a property definition (kind 3) or a value definition (kind 4) of the
  /// library's index; anything else binds nothing and leaves the key empty.
  DynamicProperty(std::shared_ptr<ILibrary> library, OdRxObjectPtr object, ObjectKey key);

  /// propertyKey: the namespace and name the value is stored under; empty when nothing names it.
  const PropertyKey& propertyKey() const { return m_key; }
  /// propertySet: the set the bound definition was found in or given with; empty otherwise.
  std::shared_ptr<IPropertySet> propertySet() const { return m_set; }
  /// propertyDefinition: the bound property definition; empty when none.
  std::shared_ptr<IPropertyDefinition> propertyDefinition() const { return m_propertyDefinition; }
  /// valueDefinition: the bound value definition; empty when none.
  std::shared_ptr<IValueDefinition> valueDefinition() const { return m_valueDefinition; }
  /// abstractDefinition: the property definition when bound, else the value definition (or
  /// empty).
  std::shared_ptr<IAbstractDefinition> abstractDefinition() const;
  /// object: the drawing object (may be null).
  const OdRxObjectPtr& object() const { return m_object; }

  /// type: the type stored, else the bound definition's storage type, else the empty type.
  DbPropertyType type() const;
  /// exists: a definition is bound or a value is stored under the name.
  [[nodiscard]] bool exists() const;
  /// isSet: a value is stored and set.
  [[nodiscard]] bool isSet() const;

  /// property: the stored value; empty when none, when a value definition is bound (those are
  /// never stored) or for objects without a property container. The first access brings a
  /// stored value to the property definition's type.
  std::shared_ptr<const DbProperty> property() const;
  /// property: as the const form, for writing: the object must be open for writing.
  std::shared_ptr<DbProperty> property();
  /// createProperty: the stored value, made (empty, of the definition's type) and stored first
  /// when missing; empty without container or property definition, for an invalid type, and
  /// when a value definition is bound (nothing would ever read what it stores).
  std::shared_ptr<DbProperty> createProperty();
  /// setProperty: stores `value` under the name (nothing for objects without container).
  void setProperty(const std::shared_ptr<DbProperty>& value);
  /// resetValue: removes the stored value; false when there was none or no container.
  bool resetValue();

  /// getValue: reads the value as T: the stored one, else (nothing stored, or an empty stored
  /// value) the property definition's default, else a value definition's computation in
  /// `context` (a DynamicPropertyContext with an entity; may be null otherwise). A stored value
  /// the definition's type cannot hold stays stored as it is and reads TypeMismatch (output
  /// reset) as any T but its own. T is one of the storage's value types.
  template <class T>
  [[nodiscard]] Result getValue(T& value, const OdRxObject* context = nullptr) const {
    static_assert(detail::IsStorageType<T>::value, SLDB_STORAGE_TYPES_);
    return read(value, context);
  }
  /// setValue: writes `value`, checked by the property definition, in place when a value is
  /// stored, else as a new stored value of the definition's type (of T when none is bound).
  /// NotAvailable, nothing stored, when a value definition is bound: its reads compute.
  template <class T>
  [[nodiscard]] Result setValue(const T& value) {
    static_assert(detail::IsStorageType<T>::value, SLDB_STORAGE_TYPES_);
    return write(value);
  }

 private:
  template <class T>
  Result read(T& value, const OdRxObject* context) const;
  template <class T>
  Result write(const T& value);
  /// castProperty: brings a stored value to the property definition's type, once; answers the
  /// converted value only when the storage could not keep it (object open for reading only).
  std::shared_ptr<const DbProperty> castProperty() const;
  const OdString& storageName() const;
  /// stored: the value property() answers, as a plain pointer; `copy` keeps an unstored
  /// conversion alive.
  const DbProperty* stored(std::shared_ptr<const DbProperty>& copy) const;
  /// found: the value stored under the name as it stands, or null; `dbObject` is the object as
  /// a drawing object (null when it is none).
  const DbProperty* found(const OdDbObject* dbObject) const;
  std::shared_ptr<const DbProperty> property_(const OdRxObject* object) const;
  std::shared_ptr<DbProperty> property_(OdRxObject* object);

  OdRxObjectPtr m_object;
  PropertyKey m_key;
  mutable OdString m_name;  // m_key.str(), made on first use: every access looks it up
  std::shared_ptr<IPropertyDefinition> m_propertyDefinition;
  std::shared_ptr<IValueDefinition> m_valueDefinition;
  std::shared_ptr<IPropertySet> m_set;
  mutable bool m_storageChecked = false;
  // The last search of the stored value, current while the drawing object's change count is
  // m_foundAt: a palette asks isSet() before every read.
  mutable bool m_foundKept = false;
  mutable std::uint64_t m_foundAt = 0;
  mutable const DbProperty* m_found = nullptr;
};

///@{
/// SLDB_EXTERN_VALUE_ACCESS_ and its steps: reads and writes exist for exactly the
/// storage's value types (int and unsigned int are the 32-bit int32_t and uint32_t here). Defined
/// for the declarations below only and undefined after them.
#define SLDB_EXTERN_VALUE_ACCESS_(...)                                        \
  extern template DynamicProperty::Result DynamicProperty::read<__VA_ARGS__>( \
      __VA_ARGS__&, const OdRxObject*) const;                                 \
  extern template DynamicProperty::Result DynamicProperty::write<__VA_ARGS__>(const __VA_ARGS__&);
#define SLDB_EXTERN_SINGLE_(T, C) SLDB_EXTERN_VALUE_ACCESS_(T)
#define SLDB_EXTERN_ARRAY_(T, C) SLDB_EXTERN_VALUE_ACCESS_(DbArray<T>)
#define SLDB_EXTERN_MAP_(K, KC, V, VC) SLDB_EXTERN_VALUE_ACCESS_(std::map<K, V>)
///@}
DBPROPS_FOR_EACH_TYPE(SLDB_EXTERN_SINGLE_, SLDB_EXTERN_ARRAY_, SLDB_EXTERN_MAP_)
#undef SLDB_EXTERN_SINGLE_
#undef SLDB_EXTERN_ARRAY_
#undef SLDB_EXTERN_MAP_
#undef SLDB_EXTERN_VALUE_ACCESS_

}  // namespace sl_db

// DbProperty: one typed value stored on a drawing object, and DbPropertyContainer<T>, the value
// holding one T. Every DbProperty is a DbPropertyContainer<T> of the supported type T whose
// descriptor type() answers, so typed access checks the descriptor only.
#pragma once
/// @file
/// One typed value stored on a drawing object.

#include <memory>

#include "DbFiler.h"
#include "OdResult.h"
#include "dbprops/DbPropertyType.h"
#include "dbprops/DbpropsExport.h"

template <class T>
class DbPropertyContainer;

class DBPROPS_API DbProperty {
 public:
  DbProperty(const DbProperty&) = delete;
  DbProperty& operator=(const DbProperty&) = delete;

  // Virtual operations in this slot order.
  virtual ~DbProperty();
  /// type: the descriptor of the stored value type; always valid.
  virtual DbPropertyType type() const = 0;
  /// isMapped: true when the value is marked as bound to something outside the storage (the
  /// mark is filed with the value).
  virtual bool isMapped() const;
  /// isSet: true once a value was set; false for a new (empty) or reset value.
  virtual bool isSet() const = 0;
  /// reset: makes the value empty (the default of its type, isSet() false); keeps the mark.
  virtual void reset() = 0;
  /// writeDataToDwg: writes the mark, whether set, and the value (not the descriptor).
  virtual void writeDataToDwg(OdDbDwgFiler* filer) const = 0;
  /// readDataFromDwg: reads what writeDataToDwg wrote for a value of this type. Answers eOk, or
  /// the reason the data was refused (eEndOfFile when it ends early, eBadDrawingFile for unknown
  /// codes, counts larger than the data left, duplicate map keys or values nested too deeply);
  /// on failure the value is unchanged. Never throws for bad data.
  virtual OdResult readDataFromDwg(OdDbDwgFiler* filer) = 0;

  /// setMapped: marks (or unmarks) the value as mapped.
  void setMapped(bool mapped) { m_mapped = mapped; }

  /// get: copies the value (the default of T when not set) into `value`; false, `value`
  /// unchanged, when the stored type is not exactly T's (another width or sign included).
  template <class T>
  bool get(T& value) const;
  /// set: stores `value` (isSet() becomes true); false, nothing changed, when the stored type is
  /// not exactly T's.
  template <class T>
  bool set(const T& value);

  /// clone: a deep copy (nested values copied too), mark included.
  std::shared_ptr<DbProperty> clone() const;

 private:
  template <class T>
  friend class DbPropertyContainer;
  DbProperty(const DbPropertyType& type, void* value) : m_type(type), m_value(value) {}

  // The container's descriptor and T, kept here so that typed access needs no virtual call.
  DbPropertyType m_type;
  void* m_value;
  bool m_set = false;
  bool m_mapped = false;
};

/// DbPropertyContainer<T>: a stored value holding one T of a supported value type.
template <class T>
class DBPROPS_API DbPropertyContainer : public DbProperty {
 public:
  /// An empty value (the default of T, isSet() false).
  DbPropertyContainer() : DbProperty(DbPropertyType::get<T>(), &m_held), m_held() {}
  /// A set value.
  explicit DbPropertyContainer(const T& value)
      : DbProperty(DbPropertyType::get<T>(), &m_held), m_held(value) {
    m_set = true;
  }
  ~DbPropertyContainer() override;

  DbPropertyType type() const override { return DbPropertyType::get<T>(); }
  bool isSet() const override { return m_set; }
  void reset() override;
  void writeDataToDwg(OdDbDwgFiler* filer) const override;
  OdResult readDataFromDwg(OdDbDwgFiler* filer) override;

  /// value: the held value (the default of T when not set).
  const T& value() const { return m_held; }
  void setValue(const T& value) {
    m_held = value;
    m_set = true;
  }

 private:
  T m_held;
};

template <class T>
bool DbProperty::get(T& value) const {
  if (m_type != DbPropertyType::get<T>()) return false;
  value = *static_cast<const T*>(m_value);
  return true;
}

template <class T>
bool DbProperty::set(const T& value) {
  if (m_type != DbPropertyType::get<T>()) return false;
  *static_cast<T*>(m_value) = value;
  m_set = true;
  return true;
}

// Every container is instantiated (and its filing defined) inside the library.
#define DBPROPS_EXTERN_SINGLE_(T, C) extern template class DbPropertyContainer<T>;
#define DBPROPS_EXTERN_ARRAY_(T, C) extern template class DbPropertyContainer<DbArray<T>>;
#define DBPROPS_EXTERN_MAP_(K, KC, V, VC) extern template class DbPropertyContainer<std::map<K, V>>;
DBPROPS_FOR_EACH_TYPE(DBPROPS_EXTERN_SINGLE_, DBPROPS_EXTERN_ARRAY_, DBPROPS_EXTERN_MAP_)
#undef DBPROPS_EXTERN_SINGLE_
#undef DBPROPS_EXTERN_ARRAY_
#undef DBPROPS_EXTERN_MAP_

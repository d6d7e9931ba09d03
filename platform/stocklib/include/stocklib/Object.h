// The base of every library object: identity (id and library), stored fields, per-object
// reactors and the typed save members that every object type gets.
#pragma once
/// @file
/// The base of every library object.

#include <cstdint>
#include <memory>
#include <vector>

#include "stocklib/Keys.h"
#include "stocklib/StocklibExport.h"
#include "stocklib/Types.h"
#include "stocklib/Value.h"
#include "ut/KcRxObject.h"

namespace stocklib {

class Library;
class IdMapping;
class Object;
namespace detail {
struct TypeDesc;
struct Access;
}  // namespace detail

/// ObjectReactor: told about one or more objects. Attach with Object::addReactor; a reactor and
/// an object may die in either order (each detaches from the other).
class STOCKLIB_API ObjectReactor {
 public:
  ObjectReactor() = default;
  ObjectReactor(const ObjectReactor&) = delete;
  ObjectReactor& operator=(const ObjectReactor&) = delete;
  virtual ~ObjectReactor();
  /// modified: a field or list of `object` was changed in memory.
  virtual void modified(const Object* object);
  /// saved: `object` was stored into its library (after the transaction committed).
  virtual void saved(const Object* object);
  /// removed: `object` was removed from its library; it is now unsaved (id 0, no library).
  virtual void removed(const Object* object);

 private:
  friend class Object;
  std::vector<const Object*> m_objects;
};

/// ObjectTraits<T>: the stored type number of T and the key class that names one T uniquely.
template <class T>
struct ObjectTraits;

/// Object: base of library objects. A new object (T::create) has id 0 and no library; a stored
/// one knows both. Objects are not thread-safe.
class STOCKLIB_API Object : public KcRxObject {
  ODRX_DECLARE_MEMBERS_API(STOCKLIB_API, Object)
 public:
  ~Object() override;
  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;

  /// id: the object's id in its library; 0 when it was never saved.
  uint32_t id() const { return m_id; }
  /// objectType: the stored type number of the object's class.
  ObjectType objectType() const;
  /// objectKey: (objectType(), id()).
  ObjectKey objectKey() const { return ObjectKey(objectType(), m_id); }
  /// library: the library holding the object; empty when unsaved or when the library is closed.
  std::shared_ptr<Library> library() const { return m_library.lock(); }

  /// addReactor / removeReactor: attach or detach a reactor (attaching twice adds it once).
  void addReactor(ObjectReactor* reactor) const;
  void removeReactor(ObjectReactor* reactor) const;

  /// saveObject: stores this object into `library` and answers the stored object: into its own
  /// library (or when unsaved) this object itself, updated or given its id; into another
  /// library a stored copy, after copying what it refers to (recorded in `mapping` when given).
  /// Throws Exception for an empty or read-only library, ObjectNotUnique, ConsistencyError.
  KcSmartPtr<Object> saveObject(const std::shared_ptr<Library>& library, IdMapping* mapping);
  /// The constant form never changes this object: an unsaved object is stored as a copy.
  KcSmartPtr<const Object> saveObject(const std::shared_ptr<Library>& library,
                                      IdMapping* mapping) const;

 protected:
  explicit Object(const detail::TypeDesc& type);

  // Field access for the accessors of derived classes, by index in the type's field list (each
  // class names its indexes in its struct F). An index out of range, or a field of another kind
  // than the access (a text read as a real), throws Exception.
  bool hasField(int index) const;
  const OdString& textField(int index) const;
  int64_t intField(int index, int64_t absent = 0) const;
  double realField(int index, double absent = 0.0) const;
  bool boolField(int index, bool absent) const { return intField(index, absent ? 1 : 0) != 0; }
  uint32_t refId(int index) const;
  /// refObject: the referenced object, loaded from the library on first use; null when none.
  KcSmartPtr<Object> refObject(int index) const;
  void setText(int index, const OdString& value);
  void setInt(int index, int64_t value);
  void setReal(int index, double value);
  void setBool(int index, bool value) { setInt(index, value ? 1 : 0); }
  void setRef(int index, const Object* object);
  void clearField(int index);
  /// list items (references or owned children) of the list at `index`.
  std::vector<detail::Ref>& listItems(int index);
  const std::vector<detail::Ref>& listItems(int index) const;
  KcSmartPtr<Object> listObject(int list, std::size_t item) const;
  /// notifyModified: tells the reactors that this object changed.
  void notifyModified();

 private:
  friend struct detail::Access;
  enum Reach : int { kReachText = 1, kReachInt = 2, kReachReal = 4, kReachRef = 8, kReachAny = 15 };
  const detail::Value& field(int index, int reach) const;
  detail::Value& field(int index, int reach);
  const detail::TypeDesc* m_type;
  uint32_t m_id = 0;
  std::weak_ptr<Library> m_library;
  std::vector<detail::Value> m_values;
  std::vector<std::vector<detail::Ref>> m_lists;
  mutable std::vector<ObjectReactor*> m_reactors;
};

}  // namespace stocklib

/// Members every concrete or abstract object class declares: its runtime class and typed saves.
#define STOCKLIB_DECLARE_OBJECT(T)                                                          \
  ODRX_DECLARE_MEMBERS_API(STOCKLIB_API, T)                                                 \
 public:                                                                                    \
  KcSmartPtr<T> save(const std::shared_ptr<::stocklib::Library>& library) {                 \
    return KcSmartPtr<T>(static_cast<T*>(saveObject(library, nullptr).get()));              \
  }                                                                                         \
  KcSmartPtr<T> save(const std::shared_ptr<::stocklib::Library>& library,                   \
                     ::stocklib::IdMapping& mapping) {                                      \
    return KcSmartPtr<T>(static_cast<T*>(saveObject(library, &mapping).get()));             \
  }                                                                                         \
  KcSmartPtr<const T> save(const std::shared_ptr<::stocklib::Library>& library) const {     \
    return KcSmartPtr<const T>(static_cast<const T*>(saveObject(library, nullptr).get()));  \
  }                                                                                         \
  KcSmartPtr<const T> save(const std::shared_ptr<::stocklib::Library>& library,             \
                           ::stocklib::IdMapping& mapping) const {                          \
    return KcSmartPtr<const T>(static_cast<const T*>(saveObject(library, &mapping).get())); \
  }                                                                                         \
  /* save(): into the object's own library; Exception when it has none. */                  \
  KcSmartPtr<T> save() {                                                                    \
    return save(library());                                                                 \
  }                                                                                         \
  KcSmartPtr<const T> save() const {                                                        \
    return save(library());                                                                 \
  }                                                                                         \
                                                                                            \
 private:

namespace stocklib::detail {
/// columnName: the column of the field whose row names it `id`; a field named after a C++
/// keyword is written with a trailing underscore (namespace_), its column without.
constexpr bool sameText(const char* a, const char* b) {
  return *a == *b && (!*a || sameText(a + 1, b + 1));
}
constexpr const char* columnName(const char* id) {
  return sameText(id, "namespace_") ? "namespace" : id;
}
}  // namespace stocklib::detail

// Each field of a stored class is one row X(name, kind, access, since, ...) of the class's field
// list (STOCKLIB_MATERIAL_FIELDS ...), in column order:
//   name    the F index; the column, XML attribute and accessors are named after it.
//   kind    how it is stored (FieldKind): Text, Int, Real, Bool, Length (a real scaled between
//           library units), Ref, Owner, Position.
//   access  the accessors made from the row: Get, name() and set_name() reading the store's
//           default (empty, 0, false) when unset; Has, those and has_name(), clear_name(); Own,
//           none: the class writes its own (another name, type or default).
//   since   the schema version that added the field.
//   ...     the rest of its description: kRequired (NOT NULL) or kOptional, then for a Ref the
//           type referred to and kCascade when saving the holder saves the referent too.
// A list holds a class's own fields; STOCKLIB_FIELDS(PARENT, OWN) makes the class's F (indexes
// and names of the parent's fields and its own) and the accessors of its own. Adding a field is
// one row and the migration that adds its column.
#define STOCKLIB_NO_FIELDS(X)
#define STOCKLIB_FIELD_INDEX(name, ...) name,
#define STOCKLIB_FIELD_NAME(name, ...) ::stocklib::detail::columnName(#name),
#define STOCKLIB_FIELDS(PARENT, OWN)                                                               \
  /** F: the indexes of the fields, in the order of the type description. */                       \
  struct F {                                                                                       \
    enum : int { PARENT(STOCKLIB_FIELD_INDEX) OWN(STOCKLIB_FIELD_INDEX) };                         \
    static constexpr const char* names[] = {PARENT(STOCKLIB_FIELD_NAME) OWN(STOCKLIB_FIELD_NAME)}; \
  };                                                                                               \
  OWN(STOCKLIB_FIELD_ACCESSORS)

#define STOCKLIB_FIELD_ACCESSORS(name, kind, access, ...) STOCKLIB_ACCESS_##access(name, kind)
#define STOCKLIB_ACCESS_Own(name, kind)
#define STOCKLIB_ACCESS_Get(name, kind) STOCKLIB_GET_##kind(name)
#define STOCKLIB_ACCESS_Has(name, kind) STOCKLIB_GET_##kind(name) STOCKLIB_HAS(name)
#define STOCKLIB_HAS(name)    \
  bool has_##name() const {   \
    return hasField(F::name); \
  }                           \
  void clear_##name() {       \
    clearField(F::name);      \
  }
#define STOCKLIB_GET_Text(name)            \
  const OdString& name() const {           \
    return textField(F::name);             \
  }                                        \
  void set_##name(const OdString& value) { \
    setText(F::name, value);               \
  }
#define STOCKLIB_GET_Real(name)   \
  double name() const {           \
    return realField(F::name);    \
  }                               \
  void set_##name(double value) { \
    setReal(F::name, value);      \
  }
#define STOCKLIB_GET_Length(name) STOCKLIB_GET_Real(name)
#define STOCKLIB_GET_Int(name)                      \
  int32_t name() const {                            \
    return static_cast<int32_t>(intField(F::name)); \
  }                                                 \
  void set_##name(int32_t value) {                  \
    setInt(F::name, value);                         \
  }
#define STOCKLIB_GET_Bool(name)       \
  bool name() const {                 \
    return boolField(F::name, false); \
  }                                   \
  void set_##name(bool value) {       \
    setBool(F::name, value);          \
  }

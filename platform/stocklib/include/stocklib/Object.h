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

/// Accessors of an optional text field `field` at `index`: has_field (whether it is set), field
/// (the text, empty when unset), set_field and clear_field.
#define STOCKLIB_OPTIONAL_TEXT(field, index) \
  bool has_##field() const {                 \
    return hasField(index);                  \
  }                                          \
  const OdString& field() const {            \
    return textField(index);                 \
  }                                          \
  void set_##field(const OdString& value) {  \
    setText(index, value);                   \
  }                                          \
  void clear_##field() {                     \
    clearField(index);                       \
  }

/// Accessors of the name field at `index`: name and set_name.
#define STOCKLIB_NAME(index)            \
  const OdString& name() const {        \
    return textField(index);            \
  }                                     \
  void set_name(const OdString& name) { \
    setText(index, name);               \
  }

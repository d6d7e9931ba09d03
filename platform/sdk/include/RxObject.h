// Runtime objects: the reference-counted base OdRxObject, the intrusive OdSmartPtr, the
// counting and static implementations, and the macros that give a class its runtime class.
#pragma once
/// @file
/// Reference-counted runtime objects and their smart pointer.

#include <atomic>
#include <cstddef>
#include <type_traits>
#include <utility>

#include "OdError.h"
#include "OdExport.h"

class OdRxClass;
class OdRxObject;
template <class T>
class OdSmartPtr;
using OdRxObjectPtr = OdSmartPtr<OdRxObject>;

/// Passed to a smart-pointer constructor to take over a reference instead of adding one.
enum OdRxObjMod { kOdRxObjAttach };

/// Makes a new object of a runtime class; may answer an empty pointer.
using OdPseudoConstructorType = OdRxObjectPtr (*)();

class ODSDK_API OdRxObject {
 public:
  OdRxObject() = default;
  OdRxObject(const OdRxObject&) = default;
  OdRxObject& operator=(const OdRxObject&) = default;
  virtual ~OdRxObject();

  /// addRef / release: reference counting; an object deletes itself when the last reference goes.
  virtual void addRef() const = 0;
  virtual void release() const = 0;
  /// numRefs: current reference count (1 for static objects).
  virtual long numRefs() const { return 1; }

  /// desc: the runtime class "OdRxObject".
  static OdRxClass* desc();
  /// isA: the runtime class of this object.
  virtual OdRxClass* isA() const;
  /// queryX: this object with an added reference when it is of class `cls` (or derived), else a
  /// protocol extension registered for `cls` on this object's class chain, else null.
  virtual OdRxObject* queryX(const OdRxClass* cls) const;
  /// x: as queryX, but throws OdError_NotThatKindOfClass instead of answering null.
  OdRxObjectPtr x(const OdRxClass* cls) const;
  /// isKindOf: true when this object's class is `cls` or derived from it.
  bool isKindOf(const OdRxClass* cls) const;
  static OdRxObjectPtr cast(const OdRxObject* object);
};

/// OdSmartPtr<T>: intrusive pointer. Made from a pointer of another class it asks the object for
/// T (queryX) and throws OdError_NotThatKindOfClass when the object is not a T.
template <class T>
class OdSmartPtr {
  using Plain = std::remove_const_t<T>;

 public:
  OdSmartPtr() = default;
  OdSmartPtr(std::nullptr_t) {}
  OdSmartPtr(T* p) : m_p(p) {
    if (m_p) m_p->addRef();
  }
  OdSmartPtr(T* p, OdRxObjMod) : m_p(p) {}
  OdSmartPtr(const OdSmartPtr& o) : OdSmartPtr(o.m_p) {}
  OdSmartPtr(OdSmartPtr&& o) noexcept : m_p(o.m_p) { o.m_p = nullptr; }
  template <class U, std::enable_if_t<std::is_convertible_v<U*, T*>, int> = 0>
  OdSmartPtr(const OdSmartPtr<U>& o) : OdSmartPtr(o.get()) {}
  template <class U, std::enable_if_t<std::is_convertible_v<U*, T*>, int> = 0>
  OdSmartPtr(OdSmartPtr<U>&& o) noexcept : m_p(o.detach()) {}
  /// From an object of an unrelated static type: asks it for T; throws when it is no T.
  template <class U, std::enable_if_t<!std::is_convertible_v<U*, T*> &&
                                          std::is_base_of_v<OdRxObject, std::remove_const_t<U>>,
                                      int> = 0>
  explicit OdSmartPtr(U* p) {
    internalQueryX(p);
  }
  /// From a pointer to another class (say, an opened OdDbObject to OdDbLine): asks the object
  /// for T; throws OdError_NotThatKindOfClass when it is no T, stays empty for empty.
  template <class U, std::enable_if_t<!std::is_convertible_v<U*, T*>, int> = 0>
  OdSmartPtr(const OdSmartPtr<U>& o) {
    internalQueryX(o.get());
  }
  ~OdSmartPtr() {
    if (m_p) m_p->release();
  }

  OdSmartPtr& operator=(const OdSmartPtr& o) {
    OdSmartPtr(o).swap(*this);
    return *this;
  }
  OdSmartPtr& operator=(OdSmartPtr&& o) noexcept {
    OdSmartPtr(std::move(o)).swap(*this);
    return *this;
  }
  template <class U>
  OdSmartPtr& operator=(const OdSmartPtr<U>& o) {
    OdSmartPtr(o).swap(*this);
    return *this;
  }
  OdSmartPtr& operator=(T* p) {
    OdSmartPtr(p).swap(*this);
    return *this;
  }
  OdSmartPtr& operator=(std::nullptr_t) {
    release();
    return *this;
  }

  T* get() const { return m_p; }
  T* operator->() const {
    if (!m_p) throw OdError(eNullObjectPointer);
    return m_p;
  }
  T& operator*() const {
    if (!m_p) throw OdError(eNullObjectPointer);
    return *m_p;
  }
  operator T*() const { return m_p; }
  explicit operator bool() const { return m_p != nullptr; }
  bool isNull() const { return m_p == nullptr; }

  /// attach: takes over `p` without adding a reference.
  void attach(T* p) {
    release();
    m_p = p;
  }
  /// detach: gives up the pointer without releasing it.
  T* detach() {
    T* p = m_p;
    m_p = nullptr;
    return p;
  }
  void release() {
    if (m_p) {
      T* p = m_p;
      m_p = nullptr;
      p->release();
    }
  }
  void swap(OdSmartPtr& o) noexcept { std::swap(m_p, o.m_p); }

  // Both constnesses, so that comparing with a plain pointer is never ambiguous with the
  // built-in comparison reached through `operator T*`.
  bool operator==(Plain* p) const { return m_p == p; }
  bool operator!=(Plain* p) const { return m_p != p; }
  bool operator==(const Plain* p) const { return m_p == p; }
  bool operator!=(const Plain* p) const { return m_p != p; }
  bool operator==(const OdSmartPtr& o) const { return m_p == o.m_p; }
  bool operator!=(const OdSmartPtr& o) const { return m_p != o.m_p; }
  bool operator==(std::nullptr_t) const { return m_p == nullptr; }
  bool operator!=(std::nullptr_t) const { return m_p != nullptr; }
  bool operator<(const OdSmartPtr& o) const { return m_p < o.m_p; }

 private:
  void internalQueryX(const OdRxObject* p) {
    if (!p) return;
    OdRxObject* q = p->queryX(Plain::desc());
    if (!q) throw OdError_NotThatKindOfClass();
    m_p = static_cast<T*>(static_cast<Plain*>(q));
  }

  T* m_p = nullptr;
};

/// OdRxObjectImpl<T>: a T whose reference count starts at 1 and deletes itself at 0. `Enable`
/// lets a family of classes that counts its own references specialise it (drawing objects do).
template <class T, class TInterface = T, class Enable = void>
class OdRxObjectImpl : public T {
 public:
  template <class... Args>
  explicit OdRxObjectImpl(Args&&... args) : T(std::forward<Args>(args)...) {}

  void addRef() const override { m_refs.fetch_add(1, std::memory_order_relaxed); }
  void release() const override {
    if (m_refs.fetch_sub(1, std::memory_order_acq_rel) == 1) delete this;
  }
  long numRefs() const override { return m_refs.load(std::memory_order_relaxed); }

  /// createObject: a new object held by the returned pointer only.
  template <class... Args>
  static OdSmartPtr<TInterface> createObject(Args&&... args) {
    return OdSmartPtr<TInterface>(new OdRxObjectImpl(std::forward<Args>(args)...), kOdRxObjAttach);
  }

 private:
  mutable std::atomic<long> m_refs{1};
};

/// OdStaticRxObject<T>: a T with static or scoped lifetime; reference counting does nothing.
template <class T>
class OdStaticRxObject : public T {
 public:
  template <class... Args>
  explicit OdStaticRxObject(Args&&... args) : T(std::forward<Args>(args)...) {}
  void addRef() const override {}
  void release() const override {}
  long numRefs() const override { return 1; }
};

// Runtime-class members of a class. The class descriptor lives in the class's own source file
// (ODRX_DEFINE_MEMBERS*), is null until rxInit() and null again after rxUninit().
#define ODRX_DECLARE_MEMBERS_API(API, ClassName)                   \
 public:                                                           \
  API static OdSmartPtr<ClassName> cast(const OdRxObject* object); \
  API static OdRxClass* desc();                                    \
  API OdRxClass* isA() const override;                             \
  API OdRxObject* queryX(const OdRxClass* cls) const override;     \
  API static OdRxObjectPtr pseudoConstructor();                    \
  API static OdSmartPtr<ClassName> createObject();                 \
  API static void rxInit();                                        \
  API static void rxInit(AppNameChangeFuncPtr appNameChangeFunc);  \
  API static void rxUninit();                                      \
                                                                   \
 private:                                                          \
  static OdRxClass* g_pDesc;                                       \
                                                                   \
 public:

#define ODRX_DECLARE_MEMBERS(ClassName) ODRX_DECLARE_MEMBERS_API(, ClassName)

#include "RxClass.h"  // IWYU pragma: keep

// Defines the members declared above. `className` is the registered name; `pseudoCtor` makes a
// new object (or answers empty).
#define ODRX_DEFINE_MEMBERS_EX(ClassName, ParentClass, className, pseudoCtor, dwgVer, maintVer,   \
                               proxyFlags, dxfName, appName)                                      \
  OdRxClass* ClassName::g_pDesc = nullptr;                                                        \
  OdSmartPtr<ClassName> ClassName::cast(const OdRxObject* object) {                               \
    if (!object || !g_pDesc) return OdSmartPtr<ClassName>();                                      \
    return OdSmartPtr<ClassName>(static_cast<ClassName*>(object->queryX(g_pDesc)),                \
                                 kOdRxObjAttach);                                                 \
  }                                                                                               \
  OdRxClass* ClassName::desc() {                                                                  \
    return g_pDesc;                                                                               \
  }                                                                                               \
  OdRxClass* ClassName::isA() const {                                                             \
    return g_pDesc;                                                                               \
  }                                                                                               \
  OdRxObject* ClassName::queryX(const OdRxClass* cls) const {                                     \
    return odrxQueryXImpl(this, g_pDesc, cls, [&] { return ParentClass::queryX(cls); });          \
  }                                                                                               \
  OdRxObjectPtr ClassName::pseudoConstructor() {                                                  \
    return pseudoCtor;                                                                            \
  }                                                                                               \
  OdSmartPtr<ClassName> ClassName::createObject() {                                               \
    if (!g_pDesc)                                                                                 \
      throw OdError(eNotRegistered, OdString("class " #ClassName " is not registered"));          \
    return OdSmartPtr<ClassName>(g_pDesc->create());                                              \
  }                                                                                               \
  void ClassName::rxInit() {                                                                      \
    rxInit(nullptr);                                                                              \
  }                                                                                               \
  void ClassName::rxInit(AppNameChangeFuncPtr appNameChangeFunc) {                                \
    g_pDesc = newOdRxClass(className, ParentClass::desc(), &ClassName::pseudoConstructor, dwgVer, \
                           maintVer, proxyFlags, dxfName, appName, appNameChangeFunc);            \
  }                                                                                               \
  void ClassName::rxUninit() {                                                                    \
    deleteOdRxClass(g_pDesc);                                                                     \
    g_pDesc = nullptr;                                                                            \
  }

// A concrete class made by OdRxObjectImpl<ClassName>, registered under its C++ name.
#define ODRX_DEFINE_MEMBERS(ClassName, ParentClass)                                         \
  ODRX_DEFINE_MEMBERS_EX(ClassName, ParentClass, OdString(#ClassName),                      \
                         OdRxObjectPtr(OdRxObjectImpl<ClassName>::createObject()), 0, 0, 0, \
                         OdString(), OdString())

// An abstract class registered under its C++ name: its pseudo-constructor makes nothing.
#define ODRX_NO_CONS_DEFINE_MEMBERS(ClassName, ParentClass)                                      \
  ODRX_DEFINE_MEMBERS_EX(ClassName, ParentClass, OdString(#ClassName), OdRxObjectPtr(), 0, 0, 0, \
                         OdString(), OdString())

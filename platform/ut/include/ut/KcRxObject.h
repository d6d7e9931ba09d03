// The maker's runtime-object helpers: the base KcRxObject, the counting KcRxObjectImpl and the
// intrusive KcSmartPtr, all on top of the SDK's runtime objects.
#pragma once

#include <atomic>
#include <utility>

#include "RxObject.h"
#include "ut/UtExport.h"

/// KcSmartPtr<T>: the maker's intrusive pointer; the same pointer as the SDK's.
template <class T>
using KcSmartPtr = OdSmartPtr<T>;

/// KcRxObject: base of the maker's runtime objects (class "KcRxObject", parent OdRxObject).
class UT_API KcRxObject : public OdRxObject {
  ODRX_DECLARE_MEMBERS_API(UT_API, KcRxObject)
 public:
  ~KcRxObject() override;
};

/// KcRxObjectImpl<T, TInterface>: a T whose reference count starts at 1 when created and that
/// deletes itself when the last reference goes.
template <class T, class TInterface = T>
class KcRxObjectImpl : public T {
 public:
  template <class... Args>
  explicit KcRxObjectImpl(Args&&... args) : T(std::forward<Args>(args)...) {}

  void addRef() const override { m_refs.fetch_add(1, std::memory_order_relaxed); }
  void release() const override {
    if (m_refs.fetch_sub(1, std::memory_order_acq_rel) == 1) delete this;
  }
  long numRefs() const override { return m_refs.load(std::memory_order_relaxed); }

  /// createObject: a new object; the returned pointer holds its only reference.
  template <class... Args>
  static KcSmartPtr<TInterface> createObject(Args&&... args) {
    return KcSmartPtr<TInterface>(new KcRxObjectImpl(std::forward<Args>(args)...),
                                  kOdRxObjAttach);
  }

 private:
  mutable std::atomic<long> m_refs{1};
};

/// newKcRxClass: registers a runtime class of the maker's objects (see newOdRxClass).
UT_API OdRxClass* newKcRxClass(const OdString& name, OdRxClass* parent,
                               OdPseudoConstructorType pseudoConstructor);

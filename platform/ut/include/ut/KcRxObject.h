// The maker's runtime-object helpers: the base KcRxObject, the counting KcRxObjectImpl and the
// intrusive KcSmartPtr, all on top of the SDK's runtime objects.
#pragma once
/// @file
/// Runtime-object helpers on top of the SDK's runtime objects.

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
/// deletes itself when the last reference goes; the SDK's counting implementation.
template <class T, class TInterface = T>
using KcRxObjectImpl = OdRxObjectImpl<T, TInterface>;

/// newKcRxClass: registers a runtime class of the maker's objects (see newOdRxClass).
UT_API OdRxClass* newKcRxClass(const OdString& name, OdRxClass* parent,
                               OdPseudoConstructorType pseudoConstructor);

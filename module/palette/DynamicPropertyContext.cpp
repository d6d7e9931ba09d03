// The palette context's runtime class and its factory functions.
#include "sl_db/DynamicPropertyContext.h"

#include "OdError.h"
#include "RxClass.h"

namespace sl_db {

namespace {
OdRxClass* g_contextClass = nullptr;
}  // namespace

OdRxClass* DynamicPropertyContext::desc() {
  return g_contextClass;
}

OdRxClass* DynamicPropertyContext::isA() const {
  return g_contextClass;
}

OdRxObject* DynamicPropertyContext::queryX(const OdRxClass* cls) const {
  return odrxQueryXImpl(this, g_contextClass, cls, [&] { return OdRxObject::queryX(cls); });
}

OdRxObjectPtr DynamicPropertyContext::pseudoConstructor() {
  return OdRxObjectPtr();
}

KcSmartPtr<DynamicPropertyContext> DynamicPropertyContext::createObject(const OdDbEntity* entity,
                                                                        int64_t plyIndex) {
  return KcRxObjectImpl<DynamicPropertyContextImpl, DynamicPropertyContext>::createObject(entity,
                                                                                          plyIndex);
}

KcSmartPtr<DynamicPropertyContext> DynamicPropertyContext::queryX(const OdRxObject* object) {
  if (!object || !g_contextClass) return KcSmartPtr<DynamicPropertyContext>();
  OdRxObjectPtr found(object->queryX(g_contextClass), kOdRxObjAttach);
  if (!found || !found->isKindOf(g_contextClass)) return KcSmartPtr<DynamicPropertyContext>();
  return KcSmartPtr<DynamicPropertyContext>(static_cast<DynamicPropertyContext*>(found.get()));
}

OdSmartPtr<DynamicPropertyContext> DynamicPropertyContext::createVirtualObject() {
  if (!g_contextClass) {
    throw OdError(eNotRegistered, OdString(L"class DynamicPropertyContext is not registered"));
  }
  OdRxObjectPtr made = g_contextClass->create();
  if (!made || !made->isKindOf(g_contextClass)) return OdSmartPtr<DynamicPropertyContext>();
  return OdSmartPtr<DynamicPropertyContext>(static_cast<DynamicPropertyContext*>(made.get()));
}

void DynamicPropertyContext::rxInit() {
  g_contextClass = newKcRxClass(OdString(L"DynamicPropertyContext"), OdRxObject::desc(),
                                &DynamicPropertyContext::pseudoConstructor);
}

void DynamicPropertyContext::rxUninit() {
  deleteOdRxClass(g_contextClass);  // throws eNotRegistered for null
  g_contextClass = nullptr;
}

const OdDbEntity* DynamicPropertyContext::entity() const {
  return nullptr;
}

int64_t DynamicPropertyContext::plyIndex() const {
  return -1;
}

}  // namespace sl_db

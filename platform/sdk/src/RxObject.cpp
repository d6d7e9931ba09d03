// OdRxObject: the root of runtime objects.
#include "RxObject.h"

OdRxObject::~OdRxObject() = default;

OdRxClass* OdRxObject::isA() const { return OdRxObject::desc(); }

OdRxObject* OdRxObject::queryX(const OdRxClass* cls) const {
  if (!cls) return nullptr;
  if (cls == OdRxObject::desc()) {
    addRef();
    return const_cast<OdRxObject*>(this);
  }
  // A protocol extension registered on this object's class chain.
  OdRxClass* own = isA();
  if (own) {
    OdRxObjectPtr extension = own->getX(cls);
    if (extension) return extension.detach();
  }
  return nullptr;
}

OdRxObjectPtr OdRxObject::x(const OdRxClass* cls) const {
  OdRxObject* p = queryX(cls);
  if (!p) {
    throw OdError_NotThatKindOfClass(isA() ? isA()->name() : OdString(L"?"),
                                     cls ? cls->name() : OdString(L"?"));
  }
  return OdRxObjectPtr(p, kOdRxObjAttach);
}

bool OdRxObject::isKindOf(const OdRxClass* cls) const {
  const OdRxClass* own = isA();
  return own && own->isDerivedFrom(cls);
}

OdRxObjectPtr OdRxObject::cast(const OdRxObject* object) { return OdRxObjectPtr(const_cast<OdRxObject*>(object)); }

namespace {
// The root classes exist from the moment the library is loaded.
struct RegisterRootClasses {
  RegisterRootClasses() {
    OdRxObject::desc();
    OdRxClass::desc();
  }
} registerRootClasses;
}  // namespace

// KcRxObject: registration of the maker's root runtime class.
#include "ut/KcRxObject.h"

ODRX_NO_CONS_DEFINE_MEMBERS(KcRxObject, OdRxObject)

KcRxObject::~KcRxObject() = default;

OdRxClass* newKcRxClass(const OdString& name, OdRxClass* parent,
                        OdPseudoConstructorType pseudoConstructor) {
  return newOdRxClass(name, parent, pseudoConstructor);
}

namespace {
// The root class of the maker's objects exists from the moment the library is loaded.
struct RegisterKcRxObject {
  RegisterKcRxObject() {
    if (!KcRxObject::desc()) KcRxObject::rxInit();
  }
} registerKcRxObject;
}  // namespace

// The process-wide registry of extension kinds.
#include "DbObjectExtension.h"

#include <map>
#include <mutex>

#include "DbImpl.h"

OdDbObjectExtension::~OdDbObjectExtension() = default;

namespace {

struct Registry {
  std::mutex mutex;
  std::map<OdString, OdDbObjectExtensionFactory> factories;
};

Registry& registry() {
  static Registry* r = new Registry;  // never destroyed: kinds may be unregistered at exit
  return *r;
}

}  // namespace

void odDbRegisterObjectExtension(const OdString& kind, OdDbObjectExtensionFactory factory) {
  if (kind.isEmpty() || !factory) {
    throw OdError(eInvalidInput, OdString(L"an extension kind needs a name and a factory"));
  }
  Registry& r = registry();
  std::lock_guard<std::mutex> lock(r.mutex);
  if (!r.factories.emplace(kind, factory).second) {
    throw OdError(eAlreadyRegistered,
                  OdString(L"extension kind ") + kind + L" is already registered");
  }
}

void odDbUnregisterObjectExtension(const OdString& kind) {
  {
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    if (!r.factories.erase(kind)) {
      throw OdError(eNotRegistered, OdString(L"extension kind ") + kind + L" is not registered");
    }
  }
  // The kind's code may go away with its library: keep its data as bytes.
  OdDbDatabase::Impl::extensionKindGone(kind);
}

bool odDbIsObjectExtensionRegistered(const OdString& kind) {
  return OdDbDetail::extensionFactory(kind) != nullptr;
}

OdDbObjectExtensionFactory OdDbDetail::extensionFactory(const OdString& kind) {
  Registry& r = registry();
  std::lock_guard<std::mutex> lock(r.mutex);
  auto it = r.factories.find(kind);
  return it == r.factories.end() ? nullptr : it->second;
}

// The module's process-wide objects, made when the module file is loaded and destroyed in the
// reverse order when it is unloaded: the record reactor, the registry, the record's key and the
// palette context's runtime class.
#include "OdString.h"
#include "binding/DocumentLibrariesImpl.h"
#include "sl_db/DbStockLibManager.h"
#include "sl_db/DocumentLibrariesManager.h"
#include "sl_db/DynamicPropertyContext.h"

namespace {

// One translation unit fixes their order: the registry's destruction may still release
// drawings' bindings, so the reactor those bindings suspend must outlive it.
sl_db::DocumentLibraries::Impl::StockLibManagerReactor g_recordReactor;
OdStaticRxObject<sl_db::DocumentLibrariesManager> g_registry;
const OdString g_recordKey(L"STOCK_LIB_MANAGER");

// Registered only when no one has registered the class yet, and then unregistered by us alone.
struct ContextClassRegistration {
  bool registered = false;
  ContextClassRegistration() {
    if (!sl_db::DynamicPropertyContext::desc()) {
      sl_db::DynamicPropertyContext::rxInit();
      registered = true;
    }
  }
  ~ContextClassRegistration() {
    if (registered && sl_db::DynamicPropertyContext::desc())
      sl_db::DynamicPropertyContext::rxUninit();
  }
} g_contextClass;

}  // namespace

sl_db::DocumentLibraries::Impl::StockLibManagerReactor&
sl_db::DocumentLibraries::Impl::StockLibManagerReactor::instance() {
  return g_recordReactor;
}

sl_db::DocumentLibrariesManager& sl_db::DocumentLibrariesManager::instance() {
  return g_registry;
}

const OdString& DbStockLibManager::dictionaryKey() {
  return g_recordKey;
}

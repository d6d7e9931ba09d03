// The module's process-wide objects, made when the module file is loaded and destroyed in the
// reverse order when it is unloaded: the record reactor, the registry, the record's key.
#include "OdString.h"
#include "binding/DocumentLibrariesImpl.h"
#include "sl_db/DbStockLibManager.h"
#include "sl_db/DocumentLibrariesManager.h"

namespace {

// One translation unit fixes their order: the registry's destruction may still release
// drawings' bindings, so the reactor those bindings suspend must outlive it.
sl_db::DocumentLibraries::Impl::StockLibManagerReactor g_recordReactor;
OdStaticRxObject<sl_db::DocumentLibrariesManager> g_registry;
const OdString g_recordKey(L"STOCK_LIB_MANAGER");

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

// Fuzz target: the drawing's library record with its embedded library. The input is a library
// file (wrapped into a record as a drawing would hold it) or, with a first byte of 'R', the raw
// record fields. A record read whole has its library opened and every stored type read, as a
// binding would; refusals are stocklib::Exception or OdError, never a crash.
#include <vector>

#include "DbMemoryFiler.h"
#include "FuzzSupport.h"
#include "OdError.h"
#include "RxModule.h"
#include "sl_db/DbStockLibManager.h"
#include "stocklib/Library.h"
#include "stocklib/MemFs.h"

namespace {
using Bytes = std::vector<std::uint8_t>;

void append(Bytes& out, const void* p, std::size_t n) {
  out.insert(out.end(), static_cast<const uint8_t*>(p), static_cast<const uint8_t*>(p) + n);
}

void readEveryType(const std::shared_ptr<stocklib::Library>& lib) {
  lib->name();
  lib->locale();
  lib->check();
  // Type by type (numbers past the known ones are refused), so that a type that fails does not
  // hide the others.
  for (int type = 1; type <= 64; ++type) {
    std::vector<KcSmartPtr<stocklib::Object>> all;
    try {
      lib->getObjects(static_cast<stocklib::ObjectType>(type), nullptr, all);
    } catch (const stocklib::Exception&) {
    }
  }
}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  static OdRxModulePtr module = odrxModuleManager()->loadModule(OdString(SLDB_MODULE_PATH));
  return module ? 0 : 1;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  OdSmartPtr<DbStockLibManager> record = DbStockLibManager::createObject();
  Bytes bytes;
  record->OdDbObject::dwgOutFields(odDbCreateMemoryWriter(bytes, OdDbFiler::kFileFiler));
  if (size > 0 && data[0] == 'R') {
    append(bytes, data + 1, size - 1);
  } else {
    const uint8_t head[2] = {1, 1};  // format version, embedded
    const int64_t length = static_cast<int64_t>(size);
    const int32_t none = 0;  // no secondaries, no tags
    append(bytes, head, 2);
    append(bytes, &length, 8);
    append(bytes, data, size);
    append(bytes, &none, 4);
    append(bytes, &none, 4);
  }
  OdResult read;
  try {
    read = record->dwgInFields(
        odDbCreateMemoryReader(bytes.data(), bytes.size(), OdDbFiler::kFileFiler));
  } catch (const OdError&) {
    read = eBadDrawingFile;
  }
  if (read == eOk && record->isPrimaryLibraryEmbedded()) {
    OdString location = OdString(L"memvfs://") + record->primaryLibraryPath();
    stocklib::LibraryManager& manager = stocklib::LibraryManager::instance();
    try {
      if (auto lib = manager.open(location, true)) readEveryType(lib);
      if (auto lib = manager.openChecked(location)) readEveryType(lib);
    } catch (const stocklib::Exception&) {
    }
  }
  stocklib::MemFs::instance().remove(record->primaryLibraryPath());
  return 0;
}

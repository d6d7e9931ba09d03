// Fuzz target: IFC import. Any text is imported or refused with stocklib::Exception; a text
// that imports exports again, and that export imports into an empty library without a fault.
#include "FuzzSupport.h"
#include "stocklib/Ifc.h"
#include "stocklib/Library.h"
#include "stocklib/MemFs.h"

namespace {
std::shared_ptr<stocklib::Library> freshLibrary() {
  OdString name = stocklib::MemFs::instance().createUnique()->filename();
  return stocklib::LibraryManager::instance().create(OdString(L"memvfs://") + name,
                                                     stocklib::kLibraryUnitMillimeter, L"fuzz");
}

void drop(std::shared_ptr<stocklib::Library>& lib) {
  OdString file = lib->filename().mid(9);
  lib.reset();
  stocklib::MemFs::instance().remove(file);
}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  stocklib::register_memvfs();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  auto first = freshLibrary();
  try {
    (void)stocklib::importFromIfc(*first, text);
  } catch (const stocklib::Exception&) {
    drop(first);
    return 0;
  }
  std::string once;
  (void)stocklib::exportToIfc(*first, once);
  auto second = freshLibrary();
  (void)stocklib::importFromIfc(*second, once);  // must not throw
  drop(first);
  drop(second);
  return 0;
}

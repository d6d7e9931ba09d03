// Fuzz target: IFC import. Any text is imported or refused with stocklib::Exception; a text
// that imports exports again, and that export imports into an empty library without a fault.
#include "FuzzLibraries.h"
#include "FuzzSupport.h"
#include "stocklib/Ifc.h"
#include "stocklib/Library.h"
#include "stocklib/MemFs.h"

using fuzz::drop;
using fuzz::freshLibrary;

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

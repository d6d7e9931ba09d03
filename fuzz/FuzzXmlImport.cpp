// Fuzz target: XML import. Any document is imported whole or refused with stocklib::Exception;
// a document that imports is exported, and that export imported into an empty library exports
// to the same text again.
#include <pugixml.hpp>

#include "FuzzLibraries.h"
#include "FuzzSupport.h"
#include "XmlText.h"
#include "stocklib/Library.h"
#include "stocklib/MemFs.h"

using fuzz::drop;
using fuzz::freshLibrary;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  stocklib::register_memvfs();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  pugi::xml_document doc;
  if (!doc.load_buffer(data, size)) return 0;
  pugi::xml_node root = doc.document_element();
  if (!root) return 0;
  auto first = freshLibrary();
  stocklib::Library::ImportOptions options;
  options.unit = size % 2 ? stocklib::kLibraryUnitInch : stocklib::kLibraryUnitMillimeter;
  options.replace = size % 3 == 0;
  try {
    first->importFromXml(root, options);
  } catch (const stocklib::Exception&) {
    drop(first);
    return 0;
  }
  std::string once = sltest::exportedText(*first);
  pugi::xml_document again;
  if (!again.load_string(once.c_str())) __builtin_trap();
  pugi::xml_node againRoot = again.document_element();
  auto second = freshLibrary();
  second->importFromXml(againRoot, stocklib::Library::ImportOptions());  // must not throw
  if (sltest::exportedText(*second) != once) __builtin_trap();
  drop(first);
  drop(second);
  return 0;
}

// In-memory libraries for the fuzz targets that import: one fresh library an input, dropped
// with its file afterwards so that a long run does not fill memory.
#pragma once

#include <memory>

#include "stocklib/Library.h"
#include "stocklib/MemFs.h"

namespace fuzz {

/// freshLibrary: an empty millimetre library in a new in-memory file.
inline std::shared_ptr<stocklib::Library> freshLibrary() {
  OdString name = stocklib::MemFs::instance().createUnique()->filename();
  return stocklib::LibraryManager::instance().create(OdString(L"memvfs://") + name,
                                                     stocklib::kLibraryUnitMillimeter, L"fuzz");
}

/// drop: closes `lib` and removes its in-memory file.
inline void drop(std::shared_ptr<stocklib::Library>& lib) {
  OdString file = lib->filename().mid(9);  // after "memvfs://"
  lib.reset();
  stocklib::MemFs::instance().remove(file);
}

}  // namespace fuzz

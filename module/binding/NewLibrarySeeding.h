// Default content given to libraries that the drawing binding creates or adopts as primary.
#pragma once

#include <memory>

#include "stocklib/Library.h"

class OdDbDatabase;

namespace sl_db::detail {

/// seedCreatedLibrary: fills a library whose file was just made, unless it was filled already
/// (it has a property namespace).
void seedCreatedLibrary(const std::shared_ptr<stocklib::Library>& library, OdDbDatabase* db);
/// seedOpenedPrimary: gives an opened primary without any property namespace the units and the
/// "User" namespace; a read-only library is left alone (it cannot take them).
void seedOpenedPrimary(const std::shared_ptr<stocklib::Library>& library, OdDbDatabase* db);

}  // namespace sl_db::detail

// Default content of libraries the drawing binding creates. The template and units import join
// here when the seeding functions are available; for now new libraries get the "User" namespace.
#include "binding/NewLibrarySeeding.h"

#include <vector>

#include "stocklib/Objects.h"

namespace sl_db::detail {

namespace {

void addUser(const std::shared_ptr<stocklib::Library>& library) {
  library->save(stocklib::PropertyNamespace::create(OdString(L"User")));
}

bool hasNamespace(const std::shared_ptr<stocklib::Library>& library) {
  std::vector<KcSmartPtr<stocklib::PropertyNamespace>> namespaces;
  return library->get(namespaces) != 0;
}

}  // namespace

void seedCreatedLibrary(const std::shared_ptr<stocklib::Library>& library, OdDbDatabase*) {
  // A library stays "new" for as long as it is open, and a second drawing (or a second role in
  // one drawing) gets the same object: only the first user seeds it.
  if (!hasNamespace(library)) addUser(library);
}

void seedOpenedPrimary(const std::shared_ptr<stocklib::Library>& library, OdDbDatabase*) {
  if (library->isReadOnly()) return;
  if (!hasNamespace(library)) addUser(library);
}

}  // namespace sl_db::detail

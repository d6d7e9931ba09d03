// Default content of libraries the drawing binding creates or adopts as primary.
#include "binding/NewLibrarySeeding.h"

#include <vector>

#include "sl_db/Seeding.h"
#include "stocklib/Objects.h"

namespace sl_db::detail {

namespace {

bool hasNamespace(const std::shared_ptr<stocklib::Library>& library) {
  std::vector<KcSmartPtr<stocklib::PropertyNamespace>> namespaces;
  return library->get(namespaces) != 0;
}

// Adds "User" unless a template brought it already.
void addUser(const std::shared_ptr<stocklib::Library>& library) {
  if (library->get<stocklib::PropertyNamespace>(stocklib::NameKey(OdString(L"User")))) return;
  library->save(addUserNamespace());
}

}  // namespace

void seedCreatedLibrary(const std::shared_ptr<stocklib::Library>& library, OdDbDatabase* db) {
  // A library stays "new" for as long as it is open, and a second drawing (or a second role in
  // one drawing) gets the same object: only the first user seeds it.
  if (hasNamespace(library)) return;
  seedNewLibrary(library, db);
  importUnits(library, db);
  addUser(library);
}

void seedOpenedPrimary(const std::shared_ptr<stocklib::Library>& library, OdDbDatabase* db) {
  if (library->isReadOnly() || hasNamespace(library)) return;
  importUnits(library, db);
  addUser(library);
}

}  // namespace sl_db::detail

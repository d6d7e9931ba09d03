// Default content of libraries the drawing binding creates or adopts as primary.
#include "binding/NewLibrarySeeding.h"

#include <vector>

#include "stocklib/Objects.h"

// The seeding functions (template, units) come with their own header; until it is part of the
// build, new libraries get the "User" namespace only.
#if __has_include("sl_db/Seeding.h")
#include "sl_db/Seeding.h"
#define SLDB_HAS_SEEDING 1
#endif

namespace sl_db::detail {

namespace {

bool hasNamespace(const std::shared_ptr<stocklib::Library>& library) {
  std::vector<KcSmartPtr<stocklib::PropertyNamespace>> namespaces;
  return library->get(namespaces) != 0;
}

// Adds "User" unless a template brought it already.
void addUser(const std::shared_ptr<stocklib::Library>& library) {
  if (library->get<stocklib::PropertyNamespace>(stocklib::NameKey(OdString(L"User")))) return;
#ifdef SLDB_HAS_SEEDING
  library->save(addUserNamespace());
#else
  library->save(stocklib::PropertyNamespace::create(OdString(L"User")));
#endif
}

void addUnits(const std::shared_ptr<stocklib::Library>& library, OdDbDatabase* db) {
#ifdef SLDB_HAS_SEEDING
  importUnits(library, db);
#else
  (void)library;
  (void)db;
#endif
}

}  // namespace

void seedCreatedLibrary(const std::shared_ptr<stocklib::Library>& library, OdDbDatabase* db) {
  // A library stays "new" for as long as it is open, and a second drawing (or a second role in
  // one drawing) gets the same object: only the first user seeds it.
  if (hasNamespace(library)) return;
#ifdef SLDB_HAS_SEEDING
  seedNewLibrary(library, db);
#endif
  addUnits(library, db);
  addUser(library);
}

void seedOpenedPrimary(const std::shared_ptr<stocklib::Library>& library, OdDbDatabase* db) {
  if (library->isReadOnly() || hasNamespace(library)) return;
  addUnits(library, db);
  addUser(library);
}

}  // namespace sl_db::detail

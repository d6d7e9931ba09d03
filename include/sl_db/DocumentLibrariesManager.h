// The registry of bound drawings (one DocumentLibraries per drawing, made on first use, deleted
// when the drawing is destroyed) and the one-call accessors to a drawing's libraries.
#pragma once
/// @file

#include <map>
#include <memory>
#include <mutex>

#include "DbDatabase.h"
#include "sl_db/DocumentLibraries.h"
#include "sl_db/EDbType.h"
#include "sl_db/SlDbExport.h"

namespace sl_db {

/// DocumentLibrariesManager: the registry; a reactor of every drawing it holds.
class SLDB_API DocumentLibrariesManager : public OdDbDatabaseReactor {
 public:
  /// Each bound drawing's libraries, ordered by the drawing's address.
  using Map = std::map<const OdDbDatabase*, DocumentLibraries*>;

  /// instance: the process's registry.
  static DocumentLibrariesManager& instance();

  /// get: the drawing's DocumentLibraries, made (single-secondary mode) and bound on first use;
  /// null for a null drawing. Errors of the first binding pass through and leave no entry.
  ///
  /// A call for the same drawing made while its first binding is still running (from an event
  /// handler the binding calls, on the same thread) answers the object being bound: it is
  /// registered before it binds, so the drawing always ends with exactly this one entry.
  DocumentLibraries* get(OdDbDatabase* db);
  /// map: the registry itself; walk it only while holding lock().
  const Map& map() const { return m_map; }
  /// lock: holds the registry's (re-entrant) lock: no drawing is bound or let go by another
  /// thread meanwhile. The holder may bind drawings itself.
  [[nodiscard]] std::unique_lock<std::recursive_mutex> lock() {
    return std::unique_lock<std::recursive_mutex>(m_mutex);
  }

  /// goodbye: the drawing is being destroyed: its DocumentLibraries is deleted (no events).
  void goodbye(const OdDbDatabase* db) override;

  DocumentLibrariesManager();
  /// Deletes what is still registered and detaches from those drawings.
  ~DocumentLibrariesManager() override;

 private:
  std::recursive_mutex m_mutex;
  Map m_map;
};

/// docLibs: DocumentLibrariesManager::instance().get(db); the const form also makes the entry.
SLDB_API DocumentLibraries* docLibs(OdDbDatabase* db);
/// docLibs: as above, for reading; the entry is made (and the drawing bound) all the same.
SLDB_API const DocumentLibraries* docLibs(const OdDbDatabase* db);
/// The bound drawings in drawing-pointer order. Hold DocumentLibrariesManager::instance().lock()
/// from the first call to the end of the walk.
SLDB_API DocumentLibrariesManager::Map::const_iterator docLibs_begin();
/// The end of the bound drawings, as above.
SLDB_API DocumentLibrariesManager::Map::const_iterator docLibs_end();

// Accessors; each binds the drawing on first use. A null drawing gives an empty answer.
/// getPrimary: the drawing's primary library, or empty.
SLDB_API std::shared_ptr<const stocklib::Library> getPrimary(const OdDbDatabase* db);
/// getPrimary: as above, writable; with `initialize` a drawing without a record gets an
/// embedded, seeded primary first.
SLDB_API std::shared_ptr<stocklib::Library> getPrimary(OdDbDatabase* db, bool initialize);
/// getPrimaryLibrary: the shared wrapper of the drawing's primary, or empty.
SLDB_API std::shared_ptr<const Library> getPrimaryLibrary(const OdDbDatabase* db);
/// getPrimaryLibrary: as above, writable, initialising as getPrimary does.
SLDB_API std::shared_ptr<Library> getPrimaryLibrary(OdDbDatabase* db, bool initialize);
/// getLibrary: getPrimaryLibrary(db): the module's wrapper sl_db::Library, not the store's.
SLDB_API std::shared_ptr<const Library> getLibrary(const OdDbDatabase* db);
/// getLibrary: getPrimaryLibrary(db, initialize).
SLDB_API std::shared_ptr<Library> getLibrary(OdDbDatabase* db, bool initialize);
/// getLibrary: library(docLibs(db), type, false): the store's stocklib::Library; never initialises.
SLDB_API std::shared_ptr<stocklib::Library> getLibrary(OdDbDatabase* db, EDbType type);

/// library: kPrimary gives docs->primary(initialize), kSecondary the first secondary (never
/// initialising); empty for null `docs` or another type.
SLDB_API std::shared_ptr<stocklib::Library> library(DocumentLibraries* docs, EDbType type,
                                                    bool initialize);
/// writable: that library exists and is not read-only; never initialises.
SLDB_API bool writable(DocumentLibraries* docs, EDbType type);
/// writable: `library` exists and is not read-only.
SLDB_API bool writable(const std::shared_ptr<const stocklib::Library>& library);

}  // namespace sl_db

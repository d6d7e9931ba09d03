// sl_db::DocumentLibraries: binds one open drawing to its libraries, a primary one (embedded in
// the drawing or an external file) and an ordered list of secondary ones, following the
// drawing's library record (DbStockLibManager). Used from the thread that works on the drawing.
#pragma once
/// @file

#include <memory>
#include <vector>

#include "DbDatabase.h"
#include "DbObjectId.h"
#include "OdString.h"
#include "sl_db/DbStockLibManager.h"
#include "sl_db/SlDbExport.h"
#include "stocklib/Library.h"
#include "stocklib/Objects.h"

namespace sl_db {

class Library;
class DocumentLibrariesManager;

/// DocumentLibraries: one drawing's libraries, reached through docLibs(db); the registry owns it.
class SLDB_API DocumentLibraries {
 public:
  /// How the internal opens find a library: kEmbedded names an in-memory file; kCreate makes the
  /// file when missing (and seeds a new library); kSearch (without kCreate) asks the FileFinder.
  /// Otherwise a location is taken relative to the drawing's folder.
  enum OpenFlags : unsigned { kEmbedded = 1, kCreate = 2, kSearch = 4 };

  class Impl;
  /// The secondary libraries, in list order.
  using Libraries = std::vector<std::shared_ptr<stocklib::Library>>;

  /// Both constructors bind the drawing at once from its record (see refresh). `manager` opens
  /// and creates every library of this object; the first form uses the process's manager.
  DocumentLibraries(OdDbDatabase* db, bool singleSecondary);
  /// As above, with `manager` opening and creating every library of this object.
  DocumentLibraries(stocklib::LibraryManager& manager, OdDbDatabase* db, bool singleSecondary);
  /// Releases the libraries without sending events; the record is not touched.
  ~DocumentLibraries();
  DocumentLibraries(const DocumentLibraries&) = delete;
  DocumentLibraries& operator=(const DocumentLibraries&) = delete;

  /// database: the drawing bound (never null).
  OdDbDatabase* database() const;
  /// stocklibManagerId: the drawing's record, or null when it has none.
  OdDbObjectId stocklibManagerId() const;
  /// stocklibManager: the record open for read, from now on followed (each change rebuilds the
  /// binding); null when the drawing has none.
  OdSmartPtr<const DbStockLibManager> stocklibManager() const;
  /// stocklibManager: the record open in `mode`; with `create` it is made when missing, then
  /// followed and listing the secondaries open now. Null when there is none.
  OdSmartPtr<DbStockLibManager> stocklibManager(OdDb::OpenMode mode, bool create);

  /// refresh: rebuilds the binding from the record. A missing external primary or secondary is
  /// reported to LibraryReactor::onLibraryFileMissing (a record naming no primary file reports
  /// nothing); without a secondary the drawing's default secondary library is opened when it
  /// can be found.
  void refresh();
  /// isInitialized: the drawing has a record.
  bool isInitialized() const;
  /// initialize: gives a drawing without a record an embedded, seeded primary.
  void initialize();
  /// isPrimaryEmbedded: the record says embedded (false without a record); follows the record.
  bool isPrimaryEmbedded() const;

  /// primary: the primary library, or empty. With `initialize`, initialize() runs first.
  std::shared_ptr<const stocklib::Library> primary() const;
  /// primary: as above, writable.
  std::shared_ptr<stocklib::Library> primary(bool initialize);
  /// primaryLibrary: the primary's shared wrapper, or empty.
  std::shared_ptr<const Library> primaryLibrary() const;
  /// primaryLibrary: as above, writable; `initialize` false never makes one (empty if none).
  std::shared_ptr<Library> primaryLibrary(bool initialize);

  /// isSingleSecondary: fewer than two secondaries are open (not the mode of this object).
  bool isSingleSecondary() const;
  /// secondary: the first secondary, or empty.
  std::shared_ptr<stocklib::Library> secondary() const;
  /// secondaries: in the order they were opened.
  const Libraries& secondaries() const;
  /// has: `library` is the primary or a secondary (same object); false for an empty pointer.
  bool has(const std::shared_ptr<const stocklib::Library>& library) const;

  // Changing the binding. Each changes the libraries, then the record; the record's change is
  // turned into one rebuild after the operation.

  /// openEmbeddedPrimary: makes the primary an embedded library (created in an in-memory file
  /// and seeded when new; an earlier external primary is copied into it). An embedded primary
  /// is returned unchanged. A copy that fails throws (stocklib::Exception) and leaves the
  /// drawing bound, and its record naming, the primary it had.
  std::shared_ptr<stocklib::Library> openEmbeddedPrimary();
  /// openPrimary: makes the library at `path` (relative to the drawing's folder, created when
  /// missing) the primary; the old primary is copied into it. An existing file must pass the
  /// store's consistency check (LibraryManager::openChecked; so must an embedded primary when
  /// the drawing is bound). Empty for an empty path or ":memory:" (nothing changes) and when
  /// the library cannot be opened (openFailure says why): the old primary is
  /// reported closed and the record then names no primary, except that an embedded primary is
  /// kept in the record (freeing it would lose its contents) and bound again. A copy that fails
  /// throws (stocklib::Exception) and changes neither the binding nor the record; the new file
  /// holds none of the copy, or all of it when the failure came after its commit.
  std::shared_ptr<stocklib::Library> openPrimary(const OdString& path);
  /// movePrimary: moves the external primary's file to `path` (moveFile; `path` must not exist)
  /// or re-points the primary to the existing file at `path` (!moveFile). Empty, with nothing
  /// changed, for an empty path or ":memory:", a drawing without a record or with an embedded
  /// primary, a target whose existence does not fit, a file that another bound drawing has open
  /// (moveFile; it would go on writing to the removed file), or a failed copy; empty when the moved
  /// library cannot be opened (the copy is removed and the record names no primary).
  std::shared_ptr<stocklib::Library> movePrimary(const OdString& path, bool moveFile);
  /// openSecondary: opens (creating when missing) the library at `path` as a secondary and
  /// records `path`; in single-secondary mode the other secondaries are closed first. Returns
  /// the library, also when it was open already; empty when it cannot be opened or is the
  /// primary.
  std::shared_ptr<stocklib::Library> openSecondary(const OdString& path);
  /// openFailure: why the last openEmbeddedPrimary, openPrimary, movePrimary or openSecondary
  /// gave no library, as the library store named it (one line); empty after one that gave a
  /// library and when the store was not asked (an empty path, no record, no file found, a move
  /// refused before the open).
  OdString openFailure() const;
  /// closeSecondary: closes that secondary (reported closed) and drops the first record path
  /// that the FileFinder resolves to its file name.
  void closeSecondary(Libraries::const_iterator it);

  // Typed access across the drawing's libraries, for every stored type T and its unique key
  // type Key<T>. Absence is an empty answer; errors of the library store pass through.

  /// Key<T>: the unique key type of T (a name, a standard and name...).
  template <class T>
  using Key = typename stocklib::ObjectTraits<T>::unique_key_type;

  /// getFromPrimary: the T of that id (0 asks nothing) or key in the primary library.
  template <class T>
  KcSmartPtr<T> getFromPrimary(unsigned int id) const;
  /// getFromPrimary: as above, by key.
  template <class T>
  KcSmartPtr<T> getFromPrimary(const Key<T>& key) const;
  /// getFromSecondaries: the T of that key in the first secondary library that has one.
  template <class T>
  KcSmartPtr<T> getFromSecondaries(const Key<T>& key) const;
  /// get: the primary's T of that key, else the first secondary's.
  template <class T>
  KcSmartPtr<T> get(const Key<T>& key) const;
  /// getAndSaveToPrimary: as get, but a T found only in a secondary is saved into the primary
  /// (a drawing without a record gets an embedded one first) and the primary's copy returned.
  /// Empty, with nothing stored, when the drawing still has no primary.
  template <class T>
  KcSmartPtr<T> getAndSaveToPrimary(const Key<T>& key);

 private:
  friend class DocumentLibrariesManager;
  struct Unbound {};
  // Makes the object without binding it; the registry binds it once it is registered.
  DocumentLibraries(OdDbDatabase* db, bool singleSecondary, Unbound);

  std::unique_ptr<Impl> m_impl;
};

}  // namespace sl_db

// DocumentLibraries: opening, creating and closing a drawing's libraries, the rebuild from the
// record, the record reactor and its suspension.
#include "sl_db/DocumentLibraries.h"

#include <algorithm>
#include <exception>
#include <optional>

#include "binding/DocumentLibrariesImpl.h"
#include "binding/NewLibrarySeeding.h"
#include "binding/SameFile.h"
#include "sl_db/DocumentLibrariesManager.h"
#include "sl_db/FileFinder.h"
#include "sl_db/LibraryPaths.h"
#include "sl_db/LibraryReactor.h"
#include "sl_db/Seeding.h"
#include "ut/FileUtils.h"

namespace sl_db {

using Impl = DocumentLibraries::Impl;

// ---- The record reactor ----

template <class It>
void Impl::StockLibManagerReactor::hold(It first, It last) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_held[std::this_thread::get_id()].records.insert(first, last);
}

void Impl::StockLibManagerReactor::modified(const OdDbObject* object) {
  const OdDbObjectId id = object->objectId();
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto held = m_held.find(std::this_thread::get_id());
    if (held != m_held.end() && held->second.suspensions > 0) {
      held->second.records.insert(id);
      return;
    }
  }
  // The record is often closed by a smart pointer's destructor, where an error would end the
  // process. A failed rebuild is held instead: the next resume retries it and lets its error
  // reach that caller.
  try {
    if (DocumentLibraries* docs = docLibs(object->database())) docs->refresh();
  } catch (...) {
    hold(&id, &id + 1);
  }
}

void Impl::StockLibManagerReactor::suspend() {
  std::lock_guard<std::mutex> lock(m_mutex);
  ++m_held[std::this_thread::get_id()].suspensions;
}

void Impl::StockLibManagerReactor::resume() {
  // Taken out first: a rebuild may suspend and resume again and must not see this walk.
  std::set<OdDbObjectId> pending;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto held = m_held.find(std::this_thread::get_id());
    if (held == m_held.end() || held->second.suspensions == 0 || --held->second.suspensions > 0)
      return;
    pending.swap(held->second.records);
    m_held.erase(held);
  }
  while (!pending.empty()) {
    const OdDbObjectId id = *pending.begin();
    pending.erase(pending.begin());
    try {
      OdDbDatabase* db = nullptr;
      if (OdDbObjectPtr record = id.openObject(OdDb::kForRead)) db = record->database();
      if (!db) continue;
      if (DocumentLibraries* docs = docLibs(db)) docs->refresh();
    } catch (...) {
      // The drawings not reached yet still follow their records: the next resume rebuilds them.
      hold(pending.begin(), pending.end());
      throw;
    }
  }
}

void Impl::StockLibManagerReactor::forget(const OdDbDatabase* db) {
  std::lock_guard<std::mutex> lock(m_mutex);
  for (auto& [thread, held] : m_held)
    for (auto it = held.records.begin(); it != held.records.end();)
      it = it->database() == db ? held.records.erase(it) : std::next(it);
}

Impl::Suspension::Suspension() : m_uncaught(std::uncaught_exceptions()) {
  StockLibManagerReactor::instance().suspend();
}

Impl::Suspension::~Suspension() noexcept(false) {
  if (std::uncaught_exceptions() == m_uncaught) {
    StockLibManagerReactor::instance().resume();
    return;
  }
  try {
    StockLibManagerReactor::instance().resume();
  } catch (...) {
  }
}

// ---- Impl ----

OdString Impl::resolve(const OdString& location, unsigned flags) const {
  if (namesNoFile(location)) return OdString();
  if (flags & kEmbedded) return OdString(L"memvfs://") + location;
  if ((flags & (kCreate | kSearch)) == kSearch) {
    FileFinder* finder = FileFinder::getInstance();
    OdString found;
    if (!finder || !finder->findReferenceFile(found, location.c_str(), db)) return OdString();
    return found;
  }
  return detail::absoluteLibraryPath(location, db->getFilename());
}

stocklib::LibraryUnit Impl::drawingUnit() const {
  return db->getMEASUREMENT() != 0 ? stocklib::kLibraryUnitMillimeter : stocklib::kLibraryUnitInch;
}

std::shared_ptr<stocklib::Library> Impl::primaryLib() const {
  return primary ? primary->library() : std::shared_ptr<stocklib::Library>();
}

void Impl::missing(const OdString& path, EDbType type, MissingFiles& now) {
  const auto key = std::make_pair(type, path);
  now.insert(key);
  if (reported.count(key)) return;
  if (LibraryReactor* reactor = LibraryReactor::instance())
    reactor->onLibraryFileMissing(db, path, type);
  reported.insert(key);  // only once the handlers had it: a rebuild that failed reports again
}

OdSmartPtr<DbStockLibManager> Impl::openRecord(OdDb::OpenMode mode, bool create) {
  bool created = false;
  OdDbObjectId id = DbStockLibManager::getInstance(*db, create, &created);
  if (id.isNull()) return OdSmartPtr<DbStockLibManager>();
  if (!created) return DbStockLibManager::cast(id.openObject(mode));
  OdSmartPtr<DbStockLibManager> record = DbStockLibManager::cast(id.openObject(OdDb::kForWrite));
  if (!record) return record;
  record->addReactor(&StockLibManagerReactor::instance());
  // By the caller's names, not the files': a record travels with its drawing to other folders
  // and machines, and the default secondary follows this machine's preference.
  for (const OdString& name : secondaryNames)
    if (!name.isEmpty()) record->setSecondaryLibraryPaths().append(name);
  if (mode != OdDb::kForWrite) record->downgradeOpen();
  return record;
}

void Impl::load() {
  // The rebuild may write the record (closing a secondary drops its path); that change is
  // folded into one more rebuild afterwards instead of one nested inside this one.
  Suspension suspension;
  bool hasRecord = false, embedded = false;
  OdString primaryPath;
  OdArray<OdString> secondaryPaths;
  if (OdSmartPtr<DbStockLibManager> record = openRecord(OdDb::kForRead, false)) {
    hasRecord = true;
    embedded = record->isPrimaryLibraryEmbedded();
    primaryPath = record->primaryLibraryPath();
    secondaryPaths = record->secondaryLibraryPaths();
  }  // closed here: what follows may open it for write
  MissingFiles missingNow;
  if (!hasRecord) {
    closePrimary();
  } else if (embedded) {
    openPrimary(primaryPath, kEmbedded);
  } else if (!openPrimary(primaryPath, kSearch) && !namesNoFile(primaryPath)) {
    missing(primaryPath, kPrimary, missingNow);
  }
  Libraries kept, reopened;
  if (hasRecord) {
    kept.swap(secondaries);
    secondaryNames.clear();
    for (const OdString& path : secondaryPaths) {
      auto [library, added] = openSecondary(path, kSearch);
      if (added) {
        reopened.push_back(library);
      } else {
        missing(path, kSecondary, missingNow);
      }
    }
  }
  if (secondaries.empty()) {
    auto [library, added] = openSecondary(defaultSecondaryLibraryPath(db), kSearch, true);
    if (added) reopened.push_back(library);
  }
  // A secondary the record no longer lists (someone else changed it) is closed like any other;
  // one closed while the list was rebuilt was reported then.
  for (const auto& library : kept)
    if (std::find(reopened.begin(), reopened.end(), library) == reopened.end())
      if (LibraryReactor* reactor = LibraryReactor::instance())
        reactor->onClosed(db, library.get());
  for (auto it = reported.begin(); it != reported.end();)
    it = missingNow.count(*it) ? std::next(it) : reported.erase(it);
  // Profiles stored at a wrong scale in an older primary are repaired against the reference.
  std::shared_ptr<stocklib::Library> primaryLibrary = primaryLib();
  if (primaryLibrary && !primaryLibrary->isNew() && !secondaries.empty() && secondaries.front()) {
    detail::repairProfileScales(primaryLibrary, secondaries.front());
  }
}

std::shared_ptr<stocklib::Library> Impl::failedWith(stocklib::LibraryResult result) {
  if (!result) storeFailure = result.message();
  return result;
}

std::shared_ptr<stocklib::Library> Impl::openPrimary(const OdString& location, unsigned flags) {
  OdString resolved = resolve(location, flags);
  if (resolved.isEmpty()) return nullptr;
  std::shared_ptr<Library> old = primary;
  std::shared_ptr<stocklib::Library> oldLib = primaryLib();
  std::shared_ptr<stocklib::Library> library;
  // A primary is written to; its file may come from anyone (a drawing from elsewhere, a path a
  // user typed), so an existing file with dangling references or orphans is refused, not bound.
  if (flags & kCreate) {
    stocklib::LibraryUnit unit = oldLib ? oldLib->unit() : drawingUnit();
    library = failedWith(manager.openChecked(resolved, unit));
    if (library && !oldLib && library->isNew()) detail::seedCreatedLibrary(library, db);
  } else {
    library = failedWith(manager.openChecked(resolved));
    if (library && library == oldLib) {
      // Bound again, its namespaces may have been removed since. It is bound and in use: a
      // failed repair waits for the next rebuild instead of failing the change that caused this.
      try {
        detail::seedOpenedPrimary(library, db);
      } catch (const stocklib::Exception&) {
      }
    } else if (library) {
      detail::seedOpenedPrimary(library, db);
    }
  }
  // The old primary is copied before the binding changes: a copy that fails (a full disk, a
  // damaged source) leaves the drawing bound as it was.
  std::optional<stocklib::IdMapping> copied;
  if (oldLib && library && oldLib != library) {
    copied.emplace(library.get());
    library->copyAll(oldLib, *copied);
  }
  primary = Library::get(library);
  LibraryReactor* reactor = LibraryReactor::instance();
  if (oldLib && oldLib != library && reactor) reactor->onClosed(db, oldLib.get());
  if (library) {
    auto it = std::find(secondaries.begin(), secondaries.end(), library);
    if (it != secondaries.end()) closeSecondary(it);
  }
  if (copied && (reactor = LibraryReactor::instance()))
    reactor->onPrimaryCopy(db, oldLib.get(), *copied);
  return library;
}

std::pair<std::shared_ptr<stocklib::Library>, bool> Impl::openSecondary(const OdString& location,
                                                                        unsigned flags,
                                                                        bool isDefault) {
  OdString resolved = resolve(location, flags & ~kEmbedded);
  if (resolved.isEmpty()) return {nullptr, false};
  std::shared_ptr<stocklib::Library> library;
  if (flags & kCreate) {
    library = failedWith(manager.create(resolved, drawingUnit(), OdString()));
    if (library && library->isNew()) detail::seedCreatedLibrary(library, db);
  } else {
    library = failedWith(manager.open(resolved, false));
  }
  if (!library || library == primaryLib()) return {nullptr, false};
  auto listed = std::find(secondaries.begin(), secondaries.end(), library);
  if (listed != secondaries.end()) {
    // The default secondary named by a caller: from now on a record lists it.
    OdString& name = secondaryNames[listed - secondaries.begin()];
    if (isDefault || !name.isEmpty()) return {library, false};
    name = location;
    return {library, true};
  }
  if (singleSecondary)
    while (!secondaries.empty())
      closeSecondary(secondaries.begin());
  secondaries.push_back(library);
  secondaryNames.push_back(isDefault ? OdString() : location);
  return {library, true};
}

void Impl::closePrimary() {
  if (!primary) return;
  std::shared_ptr<stocklib::Library> library = primaryLib();
  primary.reset();
  if (LibraryReactor* reactor = LibraryReactor::instance()) reactor->onClosed(db, library.get());
}

void Impl::closeSecondary(Libraries::const_iterator it) {
  std::shared_ptr<stocklib::Library> library = *it;
  secondaryNames.erase(secondaryNames.begin() + (it - secondaries.cbegin()));
  secondaries.erase(it);
  if (LibraryReactor* reactor = LibraryReactor::instance()) reactor->onClosed(db, library.get());
  OdSmartPtr<DbStockLibManager> record = openRecord(OdDb::kForWrite, false);
  FileFinder* finder = FileFinder::getInstance();
  if (!record || !finder) return;
  const OdArray<OdString>& paths = record->secondaryLibraryPaths();
  for (unsigned i = 0; i < paths.size(); ++i) {
    OdString found;
    // The same file, not the same spelling: the finder may answer another form of the name.
    if (finder->findReferenceFile(found, paths[i].c_str(), db) &&
        detail::sameFile(found, library->filename())) {
      record->setSecondaryLibraryPaths().removeAt(i);
      return;
    }
  }
}

// ---- DocumentLibraries ----

DocumentLibraries::DocumentLibraries(OdDbDatabase* db, bool singleSecondary, Unbound)
    : m_impl(std::make_unique<Impl>(stocklib::LibraryManager::instance(), db, singleSecondary)) {}

DocumentLibraries::DocumentLibraries(OdDbDatabase* db, bool singleSecondary)
    : DocumentLibraries(db, singleSecondary, Unbound()) {
  m_impl->load();
}

DocumentLibraries::DocumentLibraries(stocklib::LibraryManager& manager, OdDbDatabase* db,
                                     bool singleSecondary)
    : m_impl(std::make_unique<Impl>(manager, db, singleSecondary)) {
  m_impl->load();
}

DocumentLibraries::~DocumentLibraries() {
  // A rebuild held for this drawing would open its record after the drawing is gone.
  Impl::StockLibManagerReactor::instance().forget(m_impl->db);
}

OdDbDatabase* DocumentLibraries::database() const {
  return m_impl->db;
}

OdDbObjectId DocumentLibraries::stocklibManagerId() const {
  return DbStockLibManager::getInstance(*m_impl->db, false, nullptr);
}

OdSmartPtr<const DbStockLibManager> DocumentLibraries::stocklibManager() const {
  OdSmartPtr<DbStockLibManager> record = m_impl->openRecord(OdDb::kForRead, false);
  if (record) record->addReactor(&Impl::StockLibManagerReactor::instance());
  return OdSmartPtr<const DbStockLibManager>(record);
}

OdSmartPtr<DbStockLibManager> DocumentLibraries::stocklibManager(OdDb::OpenMode mode, bool create) {
  return m_impl->openRecord(mode, create);
}

void DocumentLibraries::refresh() {
  m_impl->load();
}

bool DocumentLibraries::isInitialized() const {
  return !stocklibManagerId().isNull();
}

void DocumentLibraries::initialize() {
  if (!isInitialized()) openEmbeddedPrimary();
}

bool DocumentLibraries::isPrimaryEmbedded() const {
  OdSmartPtr<const DbStockLibManager> record = stocklibManager();
  return record && record->isPrimaryLibraryEmbedded();
}

std::shared_ptr<const stocklib::Library> DocumentLibraries::primary() const {
  return m_impl->primaryLib();
}

std::shared_ptr<stocklib::Library> DocumentLibraries::primary(bool init) {
  if (init) initialize();
  return m_impl->primaryLib();
}

std::shared_ptr<const Library> DocumentLibraries::primaryLibrary() const {
  return m_impl->primary;
}

std::shared_ptr<Library> DocumentLibraries::primaryLibrary(bool init) {
  if (init) initialize();
  return m_impl->primary;
}

bool DocumentLibraries::isSingleSecondary() const {
  return m_impl->secondaries.size() < 2;
}

std::shared_ptr<stocklib::Library> DocumentLibraries::secondary() const {
  return m_impl->secondaries.empty() ? nullptr : m_impl->secondaries.front();
}

const DocumentLibraries::Libraries& DocumentLibraries::secondaries() const {
  return m_impl->secondaries;
}

bool DocumentLibraries::has(const std::shared_ptr<const stocklib::Library>& library) const {
  if (!library) return false;
  if (library == m_impl->primaryLib()) return true;
  const auto& list = m_impl->secondaries;
  return std::find(list.begin(), list.end(), library) != list.end();
}

namespace {

/// eraseRecord: takes away a record that a failed call made, leaving the drawing without one.
void eraseRecord(Impl& impl) {
  if (OdSmartPtr<DbStockLibManager> record = impl.openRecord(OdDb::kForWrite, false))
    record->erase();
}

}  // namespace

std::shared_ptr<stocklib::Library> DocumentLibraries::openEmbeddedPrimary() {
  if (isPrimaryEmbedded()) return m_impl->primaryLib();
  m_impl->openFailure = m_impl->storeFailure = OdString();
  Impl::Suspension suspension;
  const bool hadRecord = isInitialized();
  OdString name, before;
  {
    OdSmartPtr<DbStockLibManager> record = m_impl->openRecord(OdDb::kForWrite, true);
    if (!record) return nullptr;
    before = record->primaryLibraryPath();
    record->setPrimaryLibraryEmbedded();
    name = record->primaryLibraryPath();
  }  // closed: opening the library may close a secondary, which writes the record
  // A failed embedding leaves the record as it was: the external primary named again (the
  // rebuild binds it back), or no record at all. A record made here and left would name its
  // in-memory file as an external primary and stop initialize() for good.
  auto restore = [&] {
    if (!hadRecord) {
      eraseRecord(*m_impl);
    } else if (auto record = m_impl->openRecord(OdDb::kForWrite, false)) {
      record->setPrimaryLibraryPath(before);
    }
  };
  std::shared_ptr<stocklib::Library> library;
  try {
    library = m_impl->openPrimary(name, kEmbedded | kCreate);
  } catch (...) {
    restore();
    throw;
  }
  if (!library) {
    m_impl->openFailure = m_impl->storeFailure;
    restore();
  }
  return library;
}

namespace {

// Stores the primary's path in the record; empty when no library came back.
void recordPrimaryPath(Impl& impl, const std::shared_ptr<stocklib::Library>& library,
                       const OdString& path) {
  if (OdSmartPtr<DbStockLibManager> record = impl.openRecord(OdDb::kForWrite, false))
    record->setPrimaryLibraryPath(library ? path : OdString());
}

/// boundElsewhere: whether a registered drawing other than `db` has `library` open.
bool boundElsewhere(const std::shared_ptr<stocklib::Library>& library, const OdDbDatabase* db) {
  if (!library) return false;
  auto registry = DocumentLibrariesManager::instance().lock();
  for (auto it = docLibs_begin(); it != docLibs_end(); ++it) {
    if (it->first == db || !it->second) continue;
    if (it->second->primary() == library) return true;
    for (const auto& secondary : it->second->secondaries())
      if (secondary == library) return true;
  }
  return false;
}

}  // namespace

std::shared_ptr<stocklib::Library> DocumentLibraries::openPrimary(const OdString& path) {
  if (namesNoFile(path)) return nullptr;
  m_impl->openFailure = m_impl->storeFailure = OdString();
  Impl::Suspension suspension;
  const bool hadRecord = isInitialized();
  bool wasEmbedded = false;
  {
    OdSmartPtr<DbStockLibManager> record = m_impl->openRecord(OdDb::kForWrite, true);
    if (!record) return nullptr;
    wasEmbedded = hadRecord && record->isPrimaryLibraryEmbedded();
  }
  std::shared_ptr<stocklib::Library> library;
  try {
    library = m_impl->openPrimary(path, kCreate);
  } catch (...) {
    if (!hadRecord) eraseRecord(*m_impl);
    throw;
  }
  if (!library) m_impl->openFailure = m_impl->storeFailure;
  if (!library && !hadRecord) {
    // As a failed embedding: no record rather than one naming no primary, which would stop
    // initialize() for good.
    eraseRecord(*m_impl);
  } else if (library || !wasEmbedded) {
    recordPrimaryPath(*m_impl, library, path);
  } else {
    // An embedded primary exists only in the record's in-memory file: naming no primary would
    // free it and lose its contents. The record keeps it and it is bound again.
    m_impl->load();
  }
  return library;
}

std::shared_ptr<stocklib::Library> DocumentLibraries::movePrimary(const OdString& path,
                                                                  bool moveFile) {
  if (namesNoFile(path)) return nullptr;
  m_impl->openFailure = m_impl->storeFailure = OdString();
  Impl::Suspension suspension;
  {
    // Not created: a new record would be embedded, so the move would fail having changed the
    // drawing (a record, and an embedded primary from its rebuild).
    OdSmartPtr<DbStockLibManager> record = m_impl->openRecord(OdDb::kForRead, false);
    if (!record || record->isPrimaryLibraryEmbedded()) return nullptr;
  }
  OdString source;
  const OdString target = detail::absoluteLibraryPath(path, m_impl->db->getFilename());
  if (ut::fileExists(target) == moveFile) return nullptr;
  if (moveFile) {
    // The file moved is the one bound, not the one the record's name finds now: saved into
    // another folder, the drawing's relative name may find someone else's file there.
    std::shared_ptr<stocklib::Library> bound = m_impl->primaryLib();
    if (!bound || bound->filename().left(9) == L"memvfs://") return nullptr;
    source = bound->filename();
    // Another drawing bound to the file would go on writing to the removed source.
    if (boundElsewhere(bound, m_impl->db)) return nullptr;
  }
  if (moveFile && !ut::copyFile(source, target, true)) return nullptr;
  m_impl->closePrimary();
  auto library = m_impl->openPrimary(path, kCreate);
  if (!library) m_impl->openFailure = m_impl->storeFailure;
  recordPrimaryPath(*m_impl, library, path);
  if (moveFile) ut::removeFile(library ? source : target);
  return library;
}

std::shared_ptr<stocklib::Library> DocumentLibraries::openSecondary(const OdString& path) {
  Impl::Suspension suspension;
  m_impl->openFailure = m_impl->storeFailure = OdString();
  auto [library, added] = m_impl->openSecondary(path, kCreate);
  if (!library) m_impl->openFailure = m_impl->storeFailure;
  if (added)
    if (OdSmartPtr<DbStockLibManager> record = m_impl->openRecord(OdDb::kForWrite, false))
      record->setSecondaryLibraryPaths().append(path);
  return library;
}

OdString DocumentLibraries::openFailure() const {
  return m_impl->openFailure;
}

void DocumentLibraries::closeSecondary(Libraries::const_iterator it) {
  Impl::Suspension suspension;
  m_impl->closeSecondary(it);
}

}  // namespace sl_db

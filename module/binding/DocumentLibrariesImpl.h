// Private state of DocumentLibraries and the process-wide reactor that follows library records.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <thread>
#include <utility>
#include <vector>

#include "DbObject.h"
#include "sl_db/DocumentLibraries.h"
#include "sl_db/EDbType.h"
#include "sl_db/Library.h"

namespace sl_db {

class DocumentLibraries::Impl {
 public:
  /// Follows the records of bound drawings: a change rebuilds the drawing's binding at once, or,
  /// while suspended, once when the suspension ends. A rebuild that fails at once never throws
  /// from modified(); it is retried when the next suspension ends.
  class StockLibManagerReactor : public OdStaticRxObject<OdDbObjectReactor> {
   public:
    static StockLibManagerReactor& instance();

    void modified(const OdDbObject* object) override;
    /// suspend / resume: suspensions nest on one thread and hold back the rebuilds of records
    /// changed on that thread only (a drawing is used from one thread at a time, so its rebuild
    /// belongs there); that thread's last resume rebuilds every drawing whose record changed
    /// meanwhile, once each. Errors of those rebuilds pass to the caller of that resume.
    void suspend();
    void resume();
    /// forget: drops the held records of `db`, which is going.
    void forget(const OdDbDatabase* db);

   private:
    struct Held {
      int suspensions = 0;
      std::set<OdDbObjectId> records;  // changed while suspended, or whose rebuild failed
    };
    /// hold: keeps records of this thread for its next last resume.
    template <class It>
    void hold(It first, It last);

    std::mutex m_mutex;  // never held while rebuilding
    std::map<std::thread::id, Held> m_held;
  };

  /// Suspends the record reactor for a scope. Leaving the scope normally ends the suspension
  /// and lets errors of the resulting rebuilds out; leaving it by an error restores the flag and
  /// drops such errors, since another one is already on its way.
  class Suspension {
   public:
    Suspension();
    ~Suspension() noexcept(false);
    Suspension(const Suspension&) = delete;
    Suspension& operator=(const Suspension&) = delete;

   private:
    int m_uncaught;
  };

  Impl(stocklib::LibraryManager& manager, OdDbDatabase* db, bool singleSecondary)
      : manager(manager), db(db), singleSecondary(singleSecondary) {}

  /// load: the rebuild from the record.
  void load();
  /// openRecord: the record open in `mode` (made when `create`; a new one is followed and lists
  /// the open secondaries by the names they were opened by, the default one not at all); null
  /// when there is none.
  OdSmartPtr<DbStockLibManager> openRecord(OdDb::OpenMode mode, bool create);
  std::shared_ptr<stocklib::Library> openPrimary(const OdString& location, unsigned flags);
  /// failedWith: the library of `result`; empty, with storeFailure set, when it failed.
  std::shared_ptr<stocklib::Library> failedWith(stocklib::LibraryResult result);
  /// openSecondary: the library and whether it is newly listed (added, or the default secondary
  /// now named by `location`). `isDefault`: opened as the default, which no record pins.
  std::pair<std::shared_ptr<stocklib::Library>, bool> openSecondary(const OdString& location,
                                                                    unsigned flags,
                                                                    bool isDefault = false);
  void closePrimary();
  void closeSecondary(Libraries::const_iterator it);

  /// resolve: the location to open, or empty when there is none (no name, not found).
  OdString resolve(const OdString& location, unsigned flags) const;
  stocklib::LibraryUnit drawingUnit() const;
  std::shared_ptr<stocklib::Library> primaryLib() const;
  using MissingFiles = std::set<std::pair<EDbType, OdString>>;
  /// missing: adds a file the record names and the rebuild did not find to `now`, and reports
  /// it unless it was reported before (until a rebuild finds it or the record stops naming it).
  void missing(const OdString& path, EDbType type, MissingFiles& now);

  stocklib::LibraryManager& manager;
  OdDbDatabase* db;
  bool singleSecondary;
  std::shared_ptr<Library> primary;
  Libraries secondaries;
  /// secondaryNames: beside each secondary, the name a record made later lists it by (the
  /// caller's, so a relative one stays relative); empty for the default secondary.
  std::vector<OdString> secondaryNames;
  /// reported: missing files reported so far, by kind and name.
  MissingFiles reported;
  /// storeFailure: the store's message for the last open in openPrimary or openSecondary that
  /// failed; the public calls clear it first.
  OdString storeFailure;
  /// openFailure: what DocumentLibraries::openFailure answers.
  OdString openFailure;
};

/// Whether a stored library name names a file at all.
inline bool namesNoFile(const OdString& location) {
  return location.isEmpty() || location == L":memory:";
}

}  // namespace sl_db

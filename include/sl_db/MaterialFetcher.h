// Host hook for other modules: one installable material fetcher, owned by a process-wide
// manager. This module stores it and never calls it.
#pragma once
/// @file

#include <memory>

#include "OdString.h"
#include "sl_db/SlDbExport.h"

namespace sl_db {

/// MaterialFetcher: fetches materials from a source outside the drawing's libraries.
struct SLDB_API MaterialFetcher {
  virtual ~MaterialFetcher();
  /// isAvailable: whether the source can be asked now.
  virtual bool isAvailable() const = 0;
  /// fetch: brings the material called `name` into reach; true when it did.
  virtual bool fetch(const OdString& name) = 0;
};

/// MaterialFetcherManager: holds at most one fetcher and owns it.
class SLDB_API MaterialFetcherManager {
 public:
  MaterialFetcherManager() = default;
  MaterialFetcherManager(const MaterialFetcherManager&) = delete;
  MaterialFetcherManager& operator=(const MaterialFetcherManager&) = delete;
  /// Takes the fetcher of `other`, which is left empty.
  MaterialFetcherManager(MaterialFetcherManager&& other) noexcept;
  /// Destroys the fetcher held, then takes the one of `other`, which is left empty.
  MaterialFetcherManager& operator=(MaterialFetcherManager&& other) noexcept;
  ~MaterialFetcherManager();

  /// getInstance: the process-wide manager, created empty on first use.
  static MaterialFetcherManager& getInstance();
  /// setFetcher: takes ownership of `fetcher` (may be empty), destroying the one held before;
  /// always true.
  bool setFetcher(std::unique_ptr<MaterialFetcher> fetcher);
  /// getFetcher: the held fetcher or null; ownership stays with the manager.
  MaterialFetcher* getFetcher() const { return m_fetcher.get(); }

 private:
  std::unique_ptr<MaterialFetcher> m_fetcher;
};

}  // namespace sl_db

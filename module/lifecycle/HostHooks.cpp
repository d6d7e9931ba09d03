// Host hooks: preferences provider, reference-file finder, material fetcher manager.
#include "sl_db/DbPreferencesProvider.h"
#include "sl_db/FileFinder.h"
#include "sl_db/MaterialFetcher.h"

#include "DbDatabase.h"
#include "binding/PathSplit.h"
#include "sl_db/LibraryPaths.h"
#include "ut/FileName.h"
#include "ut/FileUtils.h"

namespace sl_db {

DbPreferencesProvider* DbPreferencesProvider::m_pInstance = nullptr;

DbPreferencesProvider::~DbPreferencesProvider() = default;

void DbPreferencesProvider::setDefaultStocklibImperial(const OdString& path) {
  m_defaultImperial = path;
}
OdString DbPreferencesProvider::getDefaultStocklibImperial() const {
  return m_defaultImperial;
}
void DbPreferencesProvider::setDefaultStocklibMetric(const OdString& path) {
  m_defaultMetric = path;
}
OdString DbPreferencesProvider::getDefaultStocklibMetric() const {
  return m_defaultMetric;
}
void DbPreferencesProvider::setRoamableRootFolder(const OdString& folder) {
  m_roamableRoot = folder;
}
OdString DbPreferencesProvider::getRoamableRootFolder() const {
  return m_roamableRoot;
}

void DbPreferencesProvider::setInstance(DbPreferencesProvider* provider) {
  m_pInstance = provider;
}
DbPreferencesProvider* DbPreferencesProvider::getInstance() {
  return m_pInstance;
}

FileFinder* FileFinder::m_pInstance = nullptr;

FileFinder::~FileFinder() = default;

bool FileFinder::findReferenceFile(OdString& foundPath, const wchar_t* fileName, OdDbDatabase* db) {
  if (!fileName || !db) return false;
  foundPath.empty();
  const OdString name(fileName);
  if (name.isEmpty()) return false;
  // A relative name is the drawing's, never the process's: its working folder may hold another
  // drawing's library of the same name, and binding that one would write into it.
  const OdString drawingFile = db->getFilename();
  const OdString own =
      ut::FileName(name).isRelative() ? detail::absoluteLibraryPath(name, drawingFile) : name;
  if (ut::fileExists(own)) {
    foundPath = own;
    return true;
  }
  // The file's name and extension, in the drawing's folder.
  detail::PathParts drawing = detail::splitPath(drawingFile);
  detail::PathParts file = detail::splitPath(name);
  OdString candidate = drawing.folder + file.base + file.extension;
  if (ut::fileExists(candidate)) {
    foundPath = candidate;
    return true;
  }
  return false;
}

void FileFinder::setInstance(FileFinder* finder) {
  m_pInstance = finder;
}
FileFinder* FileFinder::getInstance() {
  return m_pInstance;
}

MaterialFetcher::~MaterialFetcher() = default;

MaterialFetcherManager::MaterialFetcherManager(MaterialFetcherManager&& other) noexcept
    : m_fetcher(std::move(other.m_fetcher)) {}

MaterialFetcherManager& MaterialFetcherManager::operator=(MaterialFetcherManager&& other) noexcept {
  if (this != &other) m_fetcher = std::move(other.m_fetcher);
  return *this;
}

MaterialFetcherManager::~MaterialFetcherManager() = default;

MaterialFetcherManager& MaterialFetcherManager::getInstance() {
  static MaterialFetcherManager manager;
  return manager;
}

bool MaterialFetcherManager::setFetcher(std::unique_ptr<MaterialFetcher> fetcher) {
  m_fetcher = std::move(fetcher);
  return true;
}

}  // namespace sl_db

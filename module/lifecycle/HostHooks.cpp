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
  if (ut::fileExists(OdString(fileName))) {
    foundPath = fileName;
    return true;
  }
  // A relative path with folders ("sub/lib.stocklib", as stored when the user named it so) is
  // taken in the drawing's folder before its bare name is: the process's own folder is arbitrary.
  const OdString drawingFile = db->getFilename();
  if (!drawingFile.isEmpty() && ut::FileName(OdString(fileName)).isRelative()) {
    OdString beside = detail::absoluteLibraryPath(OdString(fileName), drawingFile);
    if (ut::fileExists(beside)) {
      foundPath = beside;
      return true;
    }
  }
  // The file's name and extension, in the drawing's folder.
  detail::PathParts drawing = detail::splitPath(db->getFilename());
  detail::PathParts file = detail::splitPath(OdString(fileName));
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

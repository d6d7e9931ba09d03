// Library path resolution: defaults per measurement system, support folder, relative paths.
#include "sl_db/LibraryPaths.h"

#include "DbDatabase.h"
#include "sl_db/DbPreferencesProvider.h"
#include "ut/FileName.h"

namespace sl_db {

namespace {

const wchar_t kSupport[] = L"Support";

bool isImperial(const OdDbDatabase* db) {
  return db && db->getMEASUREMENT() == 0;
}

}  // namespace

namespace detail {

OdString joinPath(const OdString& base, const OdString& name) {
  OdString out(base);
  out.replace(L'\\', L'/');
  if (out.isEmpty() || out.getAt(out.getLength() - 1) != L'/') out += L'/';
  out += name;
  return out;
}

OdString supportFolderPath() {
  DbPreferencesProvider* provider = DbPreferencesProvider::getInstance();
  if (!provider) return OdString();
  return joinPath(provider->getRoamableRootFolder(), kSupport);
}

OdString absoluteLibraryPath(const OdString& path, const OdString& basePath) {
  ut::FileName file(path);
  if (file.isRelative()) {
    ut::FileName base(basePath);
    file.makeAbsolute(base.getPath(1));
  }
  return file.getFullPath();
}

}  // namespace detail

OdString hardcodedSecondaryLibraryPath(OdDbDatabase* db) {
  DbPreferencesProvider* provider = DbPreferencesProvider::getInstance();
  if (!provider) return OdString();
  OdString path = detail::joinPath(provider->getRoamableRootFolder(), kSupport);
  path += L"/";
  path += isImperial(db) ? L"imperial.stocklib" : L"metric.stocklib";
  return path;
}

OdString defaultSecondaryLibraryPath(OdDbDatabase* db) {
  DbPreferencesProvider* provider = DbPreferencesProvider::getInstance();
  if (!provider) return OdString();
  OdString preferred = isImperial(db) ? provider->getDefaultStocklibImperial()
                                      : provider->getDefaultStocklibMetric();
  return preferred.isEmpty() ? hardcodedSecondaryLibraryPath(db) : preferred;
}

void storeDefaultSecondaryLibraryPath(const OdString& path, OdDbDatabase* db) {
  DbPreferencesProvider* provider = DbPreferencesProvider::getInstance();
  if (!provider || !db) return;
  if (isImperial(db)) {
    provider->setDefaultStocklibImperial(path);
  } else {
    provider->setDefaultStocklibMetric(path);
  }
}

OdString initLibraryPath(OdDbDatabase*) {
  return detail::supportFolderPath() + L"/stocklib.xml";
}

OdString unitsLibraryPath(OdDbDatabase*) {
  return detail::supportFolderPath() + L"/stocklib_units.xml";
}

}  // namespace sl_db

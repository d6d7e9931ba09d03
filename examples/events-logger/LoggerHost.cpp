// logger-host FOLDER: a minimal host that loads stocklib_db.tx and the logger, changes a drawing's
// libraries in FOLDER, unloads the logger, changes them again and prints the log.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>

#include "DbDatabase.h"
#include "RxModule.h"
#include "sl_db/DbPreferencesProvider.h"
#include "sl_db/DocumentLibraries.h"
#include "sl_db/DocumentLibrariesManager.h"
#include "sl_db/LibraryReactor.h"
#include "stocklib/Library.h"
#include "stocklib/Objects.h"

namespace {

// The reactor's destructor is protected: a host owns a class of its own.
class HostReactor : public sl_db::LibraryReactor {};

void changeLibraries(const std::string& folder) {
  std::filesystem::create_directories(folder);
  OdDbDatabasePtr db = odDbCreateDatabase(true);
  sl_db::DocumentLibraries* docs = sl_db::docLibs(db.get());
  auto primary = docs->openPrimary(OdString::fromUtf8(folder + "/primary.stocklib"));
  if (!primary) throw std::runtime_error("the primary library cannot be made");
  auto tag = primary->save(stocklib::Tag::create(OdString(L"draft")));
  if (primary->remove(tag) != stocklib::Library::kRemoved)
    throw std::runtime_error("the tag was not removed");
  if (!docs->openSecondary(OdString::fromUtf8(folder + "/secondary.stocklib")))
    throw std::runtime_error("the secondary library cannot be made");
  docs->closeSecondary(docs->secondaries().begin());
  docs->openEmbeddedPrimary();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: logger-host FOLDER\n";
    return 2;
  }
  const std::string folder = argv[1];
  const std::string log = folder + "/events.log";
  try {
    auto reactor = std::make_shared<HostReactor>();
    stocklib::LibraryManager::instance().setReactor(reactor);
    odrxModuleManager()->addSearchPath(OdString::fromUtf8(STOCKLIB_DB_MODULE_DIR));
    OdRxModulePtr module = odrxModuleManager()->loadModule(OdString(L"stocklib_db"));
    // New libraries are seeded from the templates of the support folder under this root.
    sl_db::DbPreferencesProvider::getInstance()->setRoamableRootFolder(
        OdString::fromUtf8(STOCKLIB_DB_ROAMING_DIR));

    ::setenv("EVENTS_LOGGER_LOG", log.c_str(), 1);
    OdRxModulePtr logger = odrxModuleManager()->loadModule(OdString::fromUtf8(EVENTS_LOGGER_PATH));
    changeLibraries(folder + "/with-logger");
    odrxModuleManager()->unloadModule(logger);
    changeLibraries(folder + "/without-logger");  // not logged: the handlers are gone

    stocklib::LibraryManager::instance().setReactor(nullptr);
    odrxModuleManager()->unloadModule(module);
  } catch (const OdError& e) {
    std::cerr << "logger-host: " << e.description().toUtf8() << "\n";
    return 1;
  } catch (const std::exception& e) {
    std::cerr << "logger-host: " << e.what() << "\n";
    return 1;
  }
  std::cout << std::ifstream(log).rdbuf();
  return 0;
}

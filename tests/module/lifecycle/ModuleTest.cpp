// The module file: loaded and unloaded by the module manager, its entry points, and what it
// installs and removes.
#include <gmock/gmock.h>

#include "RxDynamicModule.h"
#include "RxModule.h"
#include "TestSupport.h"
#include "sl_db/DbStockLibManager.h"
#include "stocklib/MemFs.h"

extern "C" OdRxModule* odrxCreateModuleObject(OdModuleHandle& handle);
extern "C" void odrxGetAPIVersion(int& major, int& minor, int& majorBuild, int& minorBuild);

TEST(SlDbModule, EntryPointsSecondUninitAndLoadingInstallAndUnloadingRemoves) {
  int version[4] = {0, 0, -1, -1};
  odrxGetAPIVersion(version[0], version[1], version[2], version[3]);
  EXPECT_THAT(version, testing::ElementsAre(22, 4, 0, 0));

  int token1 = 0, token2 = 0;
  OdModuleHandle first = &token1;
  OdRxModule* module = odrxCreateModuleObject(first);
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(first, nullptr);  // taken over by the first call
  OdModuleHandle second = &token2;
  EXPECT_EQ(odrxCreateModuleObject(second), module);
  EXPECT_EQ(second, &token2);  // left alone by later calls
  EXPECT_EQ(module->sysData(), &token1);
  module->initApp();
  module->uninitApp();
  EXPECT_EQ(sltest::odErrorOf([&] { module->uninitApp(); }), eNotRegistered);
  EXPECT_EQ(sl_db::FileFinder::getInstance(), nullptr);
  EXPECT_FALSE(stocklib::memvfs_registered());
  module->deleteModule();

  // Loaded by the module manager: installs, and removes again on unloading.
  ASSERT_EQ(DbStockLibManager::desc(), nullptr);
  OdRxModulePtr loaded = odrxModuleManager()->loadModule(OdString(SLDB_MODULE_PATH));
  ASSERT_TRUE(loaded);
  EXPECT_EQ(loaded->moduleName(), L"stocklib_db.tx");
  ASSERT_NE(DbStockLibManager::desc(), nullptr);
  EXPECT_EQ(DbStockLibManager::desc()->name(), L"StockLibManager");
  EXPECT_TRUE(stocklib::memvfs_registered());
  EXPECT_NE(sl_db::FileFinder::getInstance(), nullptr);
  ASSERT_NE(sl_db::DbPreferencesProvider::getInstance(), nullptr);
  EXPECT_TRUE(sl_db::DbPreferencesProvider::getInstance()->getRoamableRootFolder().isEmpty());

  // The host installs its own; the module clears them anyway when it stops.
  sl_db::FileFinder hostFinder;
  sl_db::DbPreferencesProvider hostProvider;
  sl_db::FileFinder::setInstance(&hostFinder);
  sl_db::DbPreferencesProvider::setInstance(&hostProvider);
  EXPECT_TRUE(odrxModuleManager()->unloadModule(loaded));
  EXPECT_EQ(sl_db::FileFinder::getInstance(), nullptr);
  EXPECT_EQ(sl_db::DbPreferencesProvider::getInstance(), nullptr);
  EXPECT_EQ(DbStockLibManager::desc(), nullptr);
  EXPECT_FALSE(stocklib::memvfs_registered());

  // Load again: a provider installed before initialisation is replaced by the default.
  sl_db::DbPreferencesProvider::setInstance(&hostProvider);
  loaded = odrxModuleManager()->loadModule(OdString(SLDB_MODULE_PATH));
  ASSERT_TRUE(loaded);
  EXPECT_NE(sl_db::DbPreferencesProvider::getInstance(), &hostProvider);
  EXPECT_NE(sl_db::DbPreferencesProvider::getInstance(), nullptr);
  EXPECT_TRUE(odrxModuleManager()->unloadModule(loaded));
}

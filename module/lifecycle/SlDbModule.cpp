// The module object of stocklib_db.tx and its two entry points: what is registered when the
// module starts and stops.
#include <memory>

#include "RxDynamicModule.h"
#include "RxModule.h"
#include "sl_db/DbPreferencesProvider.h"
#include "sl_db/DbStockLibManager.h"
#include "sl_db/FileFinder.h"
#include "stocklib/MemFs.h"

namespace {

class SlDbModule : public OdRxModule {
 public:
  SlDbModule()
      : m_fileFinder(std::make_shared<sl_db::FileFinder>()),
        m_preferences(std::make_shared<sl_db::DbPreferencesProvider>()) {}
  ~SlDbModule() override = default;

  void initApp() override {
    stocklib::register_memvfs();
    DbStockLibManager::rxInit();
    sl_db::FileFinder::setInstance(m_fileFinder.get());
    sl_db::DbPreferencesProvider::setInstance(m_preferences.get());
  }

  void uninitApp() override {
    // Whatever is installed now, the module's defaults or the host's own objects.
    sl_db::DbPreferencesProvider::setInstance(nullptr);
    sl_db::FileFinder::setInstance(nullptr);
    DbStockLibManager::rxUninit();
    stocklib::unregister_memvfs();
  }

 private:
  std::shared_ptr<sl_db::FileFinder> m_fileFinder;
  std::shared_ptr<sl_db::DbPreferencesProvider> m_preferences;
};

}  // namespace

ODRX_DEFINE_DYNAMIC_MODULE(SlDbModule)

// A tiny loadable module for the module-manager tests: it registers a runtime class in initApp,
// unregisters it in uninitApp, and counts both calls in counters the tests read through dlsym.
#include "RxDynamicModule.h"

class SdkTestThing : public OdRxObject {
  ODRX_DECLARE_MEMBERS(SdkTestThing)
};
ODRX_DEFINE_MEMBERS(SdkTestThing, OdRxObject)

namespace {

int g_initCount = 0;
int g_uninitCount = 0;

class SdkTestModule : public OdRxModule {
 public:
  void initApp() override {
    SdkTestThing::rxInit();
    ++g_initCount;
  }
  void uninitApp() override {
    SdkTestThing::rxUninit();
    ++g_uninitCount;
  }
};

}  // namespace

ODRX_DEFINE_DYNAMIC_MODULE(SdkTestModule)

/// sdkTestModuleCounts: how often initApp and uninitApp ran since this file was loaded.
ODRX_MODULE_ENTRY void sdkTestModuleCounts(int& inits, int& uninits) {
  inits = g_initCount;
  uninits = g_uninitCount;
}

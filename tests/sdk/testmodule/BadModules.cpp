// Broken modules for the module-manager tests: one reports a foreign API version, the other
// lacks odrxCreateModuleObject. SDK_TEST_BAD_VERSION=1 selects which one is built.
#include "RxDynamicModule.h"

#ifndef SDK_TEST_BAD_VERSION
#define SDK_TEST_BAD_VERSION 0
#endif

ODRX_MODULE_ENTRY void odrxGetAPIVersion(int& major, int& minor, int& majorBuild, int& minorBuild) {
  major = kOdrxApiMajor + SDK_TEST_BAD_VERSION;
  minor = kOdrxApiMinor;
  majorBuild = minorBuild = 0;
}

#if SDK_TEST_BAD_VERSION
namespace {
class BadVersionModule : public OdRxModule {
 public:
  void initApp() override {}
  void uninitApp() override {}
};
}  // namespace

ODRX_MODULE_ENTRY OdRxModule* odrxCreateModuleObject(OdModuleHandle& handle) {
  return OdRxPosixModule<BadVersionModule>::createModule(handle);
}
#endif

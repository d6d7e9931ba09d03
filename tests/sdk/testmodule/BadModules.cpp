// Broken modules for the module-manager tests: one reports a foreign API version, the other
// lacks odrxCreateModuleObject. SDK_TEST_BAD_VERSION selects which one is built.
#include "RxDynamicModule.h"

ODRX_MODULE_ENTRY void odrxGetAPIVersion(int& major, int& minor, int& majorBuild, int& minorBuild) {
#ifdef SDK_TEST_BAD_VERSION
  major = kOdrxApiMajor + 1;
#else
  major = kOdrxApiMajor;
#endif
  minor = kOdrxApiMinor;
  majorBuild = 0;
  minorBuild = 0;
}

#ifdef SDK_TEST_BAD_VERSION
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

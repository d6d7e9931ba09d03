// Module manager: loading by path and by name, initApp / uninitApp, load counts and locks, the
// entry points' contract, unloading and reloading, and the errors of broken module files.
#include "RxModule.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>

#include "RxClass.h"
#include "RxDynamicModule.h"
#include "ScratchDir.h"

namespace {

const OdString kModulePath = OdString(SDK_TEST_MODULE);
const OdString kThingClass = OdString(L"SdkTestThing");

// The module file's handle when it is mapped into the process, else null (RTLD_NOLOAD only
// looks; the extra reference it takes is given back at once).
void* mappedHandle(const char* path) {
  void* dl = dlopen(path, RTLD_NOW | RTLD_NOLOAD);
  if (dl) dlclose(dl);
  return dl;
}

// The module's own count of initApp calls, read through its entry point.
int inits() {
  auto fn = reinterpret_cast<void (*)(int&, int&)>(
      dlsym(mappedHandle(SDK_TEST_MODULE), "sdkTestModuleCounts"));
  int in = -1, out = -1;
  if (fn) fn(in, out);
  return in;
}

// The error code of loading `pathOrName`, whose message must name each of `parts`.
OdResult loadError(const OdString& pathOrName, std::initializer_list<OdString> parts) {
  try {
    odrxModuleManager()->loadModule(pathOrName);
  } catch (const OdError& e) {
    for (const OdString& part : parts)
      EXPECT_GE(e.description().find(part.c_str()), 0) << e.description().toUtf8();
    return e.code();
  }
  return eOk;
}

}  // namespace

TEST(ModuleManager, LoadsInitialisesUnloadsAndReloads) {
  OdRxModuleManager& manager = OdRxModuleManager::instance();
  for (int round = 0; round < 2; ++round) {
    OdRxModulePtr module = manager.loadModule(kModulePath);
    ASSERT_TRUE(module);
    EXPECT_EQ(inits(), 1);
    EXPECT_EQ(module->moduleName(), OdString(L"sdk_test_module.tx"));
    EXPECT_EQ(module->moduleFilePath().toUtf8(),
              std::filesystem::canonical(SDK_TEST_MODULE).string());
    // The entry points: one module object, whatever handle a later call passes; the API version.
    void* dl = mappedHandle(SDK_TEST_MODULE);
    auto create = reinterpret_cast<OdrxCreateModuleObjectFn>(dlsym(dl, "odrxCreateModuleObject"));
    auto version = reinterpret_cast<OdrxGetApiVersionFn>(dlsym(dl, "odrxGetAPIVersion"));
    ASSERT_TRUE(create && version);
    int token = 0;
    OdModuleHandle handle = &token;
    EXPECT_EQ(create(handle), module.get());
    EXPECT_EQ(handle, &token);
    EXPECT_EQ(module->sysData(), dl);
    int v[4] = {-1, -1, -1, -1};
    version(v[0], v[1], v[2], v[3]);
    EXPECT_EQ(std::vector<int>(v, v + 4), (std::vector<int>{22, 4, 0, 0}));
    // The class the module registered makes objects through code inside the module.
    EXPECT_TRUE(odrxClassDictionary()->getAt(kThingClass)->create());
    auto listed = manager.loadedModules();
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].name, OdString(L"sdk_test_module.tx"));
    EXPECT_EQ(listed[0].loadCount, 1);
    // Held by a pointer, the module object is locked and stays.
    EXPECT_FALSE(manager.unloadModule(OdString(L"sdk_test_module.tx")));
    EXPECT_TRUE(manager.unloadModule(module));
    EXPECT_TRUE(module.isNull());
    EXPECT_FALSE(odrxClassDictionary()->has(kThingClass));
    EXPECT_TRUE(manager.loadedModules().empty());
    EXPECT_EQ(mappedHandle(SDK_TEST_MODULE), nullptr) << "the module file stayed mapped";
    EXPECT_FALSE(manager.unloadModule(OdString(L"sdk_test_module.tx")));
  }
}

TEST(ModuleManager, FindsBareNamesOnTheSearchPathCountsLoadsAndRefusesBrokenModules) {
  OdRxModuleManager& manager = OdRxModuleManager::instance();
  OdString folder = kModulePath.left(kModulePath.reverseFind(L'/'));
  manager.clearSearchPaths();
  EXPECT_EQ(loadError(OdString(L"sdk_test_module"), {L"sdk_test_module.tx"}), eModuleNotFound);
  manager.addSearchPath(OdString(L"/nonexistent-folder"));
  manager.addSearchPath(folder + L"/");
  manager.addSearchPath(folder + L"/");
  EXPECT_EQ(manager.searchPaths().size(), 2u);
  EXPECT_EQ(loadError(OdString(L"no_such_module"), {L"/nonexistent-folder/no_such_module.tx"}),
            eModuleNotFound);

  OdRxModule* byName = manager.loadModule(OdString(L"sdk_test_module")).get();
  ASSERT_TRUE(byName);
  EXPECT_EQ(manager.loadModule(OdString(L"sdk_test_module.tx")).get(), byName);
  EXPECT_EQ(manager.loadModule(kModulePath).get(), byName);
  EXPECT_EQ(manager.loadedModules()[0].loadCount, 3);
  EXPECT_EQ(inits(), 1);
  EXPECT_TRUE(manager.unloadModule(kModulePath));
  EXPECT_TRUE(manager.unloadModule(OdString(L"sdk_test_module")));
  EXPECT_TRUE(odrxClassDictionary()->has(kThingClass));
  EXPECT_EQ(manager.getModule(OdString(L"sdk_test_module")).get(), byName);
  EXPECT_EQ(manager.unloadAll(), 0);
  EXPECT_FALSE(odrxClassDictionary()->has(kThingClass));
  EXPECT_TRUE(manager.getModule(OdString(L"sdk_test_module")).isNull());
  manager.clearSearchPaths();

  // Broken modules give clear errors and stay unloaded.
  const OdString absent(L"/nonexistent-folder/absent.tx");
  EXPECT_EQ(loadError(absent, {absent}), eModuleNotFound);
  EXPECT_EQ(loadError(OdString(), {}), eModuleNotFound);
  EXPECT_EQ(loadError(OdString(SDK_TEST_BADVERSION_MODULE), {L"23.4", L"sdk_test_badversion.tx"}),
            eIncompatibleModule);
  EXPECT_EQ(mappedHandle(SDK_TEST_BADVERSION_MODULE), nullptr);
  EXPECT_EQ(loadError(OdString(SDK_TEST_NOENTRY_MODULE), {L"odrxCreateModuleObject"}),
            eEntryPointNotFound);
  EXPECT_EQ(mappedHandle(SDK_TEST_NOENTRY_MODULE), nullptr);
  // A file that is no shared object at all: the loader's own reason is passed on.
  testsupport::ScratchDir dir;
  const OdString junk = dir.file("not_a_module.tx");
  std::ofstream(junk.toUtf8()) << "not a module\n";
  EXPECT_EQ(loadError(junk, {junk}), eIncompatibleModule);
  EXPECT_TRUE(manager.loadedModules().empty());
}

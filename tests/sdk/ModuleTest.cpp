// Module manager: loading by path and by name, initApp / uninitApp, load counts and locks, the
// entry points' contract, unloading and reloading, and the errors of broken module files.
#include "RxModule.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "RxClass.h"
#include "RxDynamicModule.h"

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

void counts(int& inits, int& uninits) {
  void* dl = dlopen(SDK_TEST_MODULE, RTLD_NOW | RTLD_NOLOAD);
  ASSERT_NE(dl, nullptr);
  auto fn = reinterpret_cast<void (*)(int&, int&)>(dlsym(dl, "sdkTestModuleCounts"));
  ASSERT_NE(fn, nullptr);
  fn(inits, uninits);
  dlclose(dl);
}

OdResult loadError(const OdString& pathOrName, OdString* message = nullptr) {
  try {
    odrxModuleManager()->loadModule(pathOrName);
  } catch (const OdError& e) {
    if (message) *message = e.description();
    return e.code();
  }
  return eOk;
}

bool contains(const OdString& text, const OdString& part) {
  return text.find(part.c_str()) >= 0;
}

}  // namespace

TEST(ModuleManager, LoadsInitialisesUnloadsAndReloads) {
  OdRxModuleManager& manager = OdRxModuleManager::instance();
  for (int round = 0; round < 2; ++round) {
    OdRxModulePtr module = manager.loadModule(kModulePath);
    ASSERT_TRUE(module);
    EXPECT_TRUE(module->isKindOf(OdRxModule::desc()));
    EXPECT_TRUE(odrxClassDictionary()->has(kThingClass));
    int inits = 0, uninits = 0;
    counts(inits, uninits);
    EXPECT_EQ(inits, 1);
    EXPECT_EQ(uninits, 0);

    EXPECT_EQ(module->moduleName(), OdString(L"sdk_test_module.tx"));
    char* real = realpath(SDK_TEST_MODULE, nullptr);
    EXPECT_EQ(module->moduleFilePath(), OdString::fromUtf8(real));
    std::free(real);
    // The handle stored at creation is the file's dlopen handle.
    EXPECT_EQ(module->sysData(), mappedHandle(SDK_TEST_MODULE));

    // The class the module registered makes objects through code inside the module.
    EXPECT_TRUE(odrxClassDictionary()->getAt(kThingClass)->create());

    auto listed = manager.loadedModules();
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].name, OdString(L"sdk_test_module.tx"));
    EXPECT_EQ(listed[0].loadCount, 1);

    // Held by a pointer, the module object is locked and stays.
    EXPECT_EQ(module->numRefs(), 1);
    EXPECT_FALSE(manager.unloadModule(OdString(L"sdk_test_module.tx")));
    EXPECT_EQ(manager.loadedModules().size(), 1u);

    EXPECT_TRUE(manager.unloadModule(module));
    EXPECT_TRUE(module.isNull());
    EXPECT_FALSE(odrxClassDictionary()->has(kThingClass));
    EXPECT_TRUE(manager.loadedModules().empty());
    EXPECT_EQ(mappedHandle(SDK_TEST_MODULE), nullptr) << "the module file stayed mapped";
    EXPECT_FALSE(manager.unloadModule(OdString(L"sdk_test_module.tx")));
  }
}

TEST(ModuleManager, SecondLoadRaisesTheLoadCount) {
  OdRxModuleManager& manager = OdRxModuleManager::instance();
  OdRxModule* first = manager.loadModule(kModulePath).get();
  OdRxModule* second = manager.loadModule(kModulePath).get();
  EXPECT_EQ(first, second);
  ASSERT_EQ(manager.loadedModules().size(), 1u);
  EXPECT_EQ(manager.loadedModules()[0].loadCount, 2);
  int inits = 0, uninits = 0;
  counts(inits, uninits);
  EXPECT_EQ(inits, 1);

  EXPECT_TRUE(manager.unloadModule(kModulePath));
  EXPECT_TRUE(odrxClassDictionary()->has(kThingClass));
  EXPECT_EQ(manager.getModule(OdString(L"sdk_test_module")).get(), first);
  EXPECT_TRUE(manager.unloadModule(OdString(L"sdk_test_module")));
  EXPECT_FALSE(odrxClassDictionary()->has(kThingClass));
  EXPECT_TRUE(manager.getModule(OdString(L"sdk_test_module")).isNull());
}

TEST(ModuleManager, FindsBareNamesOnTheSearchPath) {
  OdRxModuleManager& manager = OdRxModuleManager::instance();
  OdString folder = kModulePath.left(kModulePath.reverseFind(L'/'));
  OdString message;
  manager.clearSearchPaths();
  EXPECT_EQ(loadError(OdString(L"sdk_test_module"), &message), eModuleNotFound);
  EXPECT_TRUE(contains(message, L"sdk_test_module.tx")) << message.toUtf8();

  manager.addSearchPath(OdString(L"/nonexistent-folder"));
  manager.addSearchPath(folder + L"/");
  manager.addSearchPath(folder + L"/");
  EXPECT_EQ(manager.searchPaths().size(), 2u);
  EXPECT_EQ(loadError(OdString(L"no_such_module"), &message), eModuleNotFound);
  EXPECT_TRUE(contains(message, L"/nonexistent-folder/no_such_module.tx")) << message.toUtf8();

  OdRxModulePtr byName = manager.loadModule(OdString(L"sdk_test_module"));
  ASSERT_TRUE(byName);
  EXPECT_EQ(manager.loadModule(OdString(L"sdk_test_module.tx")), byName);
  EXPECT_EQ(manager.loadModule(kModulePath), byName);
  EXPECT_EQ(manager.loadedModules()[0].loadCount, 3);
  byName = nullptr;
  EXPECT_EQ(manager.unloadAll(), 0);
  EXPECT_FALSE(odrxClassDictionary()->has(kThingClass));
  manager.clearSearchPaths();
}

TEST(ModuleManager, CreateEntryPointMakesOneObjectAndKeepsLaterHandles) {
  OdRxModulePtr module = odrxModuleManager()->loadModule(kModulePath);
  void* dl = dlopen(SDK_TEST_MODULE, RTLD_NOW | RTLD_NOLOAD);
  ASSERT_NE(dl, nullptr);
  auto create = reinterpret_cast<OdrxCreateModuleObjectFn>(dlsym(dl, "odrxCreateModuleObject"));
  auto version = reinterpret_cast<OdrxGetApiVersionFn>(dlsym(dl, "odrxGetAPIVersion"));
  ASSERT_NE(create, nullptr);
  ASSERT_NE(version, nullptr);

  int token = 0;
  OdModuleHandle handle = &token;
  EXPECT_EQ(create(handle), module.get());
  EXPECT_EQ(handle, &token);
  EXPECT_EQ(module->sysData(), dl);

  std::vector<int> v = {-1, -1, -1, -1};
  version(v[0], v[1], v[2], v[3]);
  EXPECT_EQ(v, (std::vector<int>{22, 4, 0, 0}));
  dlclose(dl);
  EXPECT_TRUE(odrxModuleManager()->unloadModule(module));
}

TEST(ModuleManager, BrokenModulesGiveClearErrorsAndStayUnloaded) {
  OdString message;
  EXPECT_EQ(loadError(OdString(L"/nonexistent-folder/absent.tx"), &message), eModuleNotFound);
  EXPECT_TRUE(contains(message, L"/nonexistent-folder/absent.tx")) << message.toUtf8();
  EXPECT_EQ(loadError(OdString(), &message), eModuleNotFound);

  EXPECT_EQ(loadError(OdString(SDK_TEST_BADVERSION_MODULE), &message), eIncompatibleModule);
  EXPECT_TRUE(contains(message, L"23.4")) << message.toUtf8();
  EXPECT_TRUE(contains(message, L"sdk_test_badversion.tx")) << message.toUtf8();
  EXPECT_EQ(mappedHandle(SDK_TEST_BADVERSION_MODULE), nullptr);

  EXPECT_EQ(loadError(OdString(SDK_TEST_NOENTRY_MODULE), &message), eEntryPointNotFound);
  EXPECT_TRUE(contains(message, L"odrxCreateModuleObject")) << message.toUtf8();
  EXPECT_EQ(mappedHandle(SDK_TEST_NOENTRY_MODULE), nullptr);

  // A file that is no shared object at all: the loader's own reason is passed on.
  std::string junk = testing::TempDir() + "not_a_module_" + std::to_string(getpid()) + ".tx";
  std::FILE* f = std::fopen(junk.c_str(), "w");
  ASSERT_NE(f, nullptr);
  std::fputs("not a module\n", f);
  std::fclose(f);
  EXPECT_EQ(loadError(OdString::fromUtf8(junk), &message), eIncompatibleModule);
  EXPECT_TRUE(contains(message, OdString::fromUtf8(junk))) << message.toUtf8();
  std::remove(junk.c_str());

  EXPECT_TRUE(odrxModuleManager()->loadedModules().empty());
}

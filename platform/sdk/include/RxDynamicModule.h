// The module template OdRxPosixModule<T> and the macro that gives a module file its two entry
// points. Include it in exactly one source file of a module.
#pragma once
/// @file
/// What a loadable module file includes to give itself its entry points.

#include <dlfcn.h>

#include <atomic>
#include <climits>
#include <cstdlib>
#include <string>

#include "RxModule.h"

/// OdRxPosixModule<T>: a module class T (deriving from OdRxModule, defining initApp and
/// uninitApp) completed with the module handle, a lock count and the module file's path. There
/// is one object per module file, made by createModule.
template <class T>
class OdRxPosixModule : public T {
 public:
  /// createModule: the module file's object. The first call makes it, keeps `handle` and sets
  /// the caller's `handle` to null; later calls answer the same object and leave `handle` alone.
  static OdRxModule* createModule(OdModuleHandle& handle) {
    if (!s_singleton) {
      s_singleton = new OdRxPosixModule(handle);
      handle = nullptr;
    }
    return s_singleton;
  }
  /// singleton: the module file's object, or null before createModule and after deleteModule.
  static OdRxModule* singleton() { return s_singleton; }

  /// Lock counting: never deletes; the count never goes below zero.
  void addRef() const override { m_locks.fetch_add(1, std::memory_order_relaxed); }
  void release() const override {
    long n = m_locks.load(std::memory_order_relaxed);
    while (n > 0 && !m_locks.compare_exchange_weak(n, n - 1, std::memory_order_relaxed)) {
    }
  }
  long numRefs() const override { return m_locks.load(std::memory_order_relaxed); }

  OdModuleHandle sysData() const override { return m_handle; }

  OdString moduleFilePath() const override {
    // Any address inside this file names it; dli_fname is the name it was opened under.
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void*>(&OdRxPosixModule::createModule), &info) ||
        !info.dli_fname) {
      return OdString();
    }
    char* resolved = realpath(info.dli_fname, nullptr);
    std::string path = resolved ? resolved : info.dli_fname;
    std::free(resolved);
    return OdString::fromUtf8(path);
  }

  OdString moduleName() const override {
    OdString path = moduleFilePath();
    return path.mid(path.reverseFind(L'/') + 1);
  }

  void deleteModule() override {
    if (s_singleton == this) s_singleton = nullptr;
    delete this;
  }

 private:
  explicit OdRxPosixModule(OdModuleHandle handle) : m_handle(handle) {}

  OdModuleHandle m_handle;
  mutable std::atomic<long> m_locks{0};
  static inline OdRxPosixModule* s_singleton = nullptr;
};

#define ODRX_MODULE_ENTRY extern "C" __attribute__((visibility("default")))

/// ODRX_DEFINE_DYNAMIC_MODULE(ModuleClass): defines the module file's entry points
/// odrxCreateModuleObject (the single OdRxPosixModule<ModuleClass>) and odrxGetAPIVersion
/// (22, 4, 0, 0), exported under their plain names.
#define ODRX_DEFINE_DYNAMIC_MODULE(ModuleClass)                                     \
  ODRX_MODULE_ENTRY OdRxModule* odrxCreateModuleObject(OdModuleHandle& handle) {    \
    return OdRxPosixModule<ModuleClass>::createModule(handle);                      \
  }                                                                                 \
  ODRX_MODULE_ENTRY void odrxGetAPIVersion(int& major, int& minor, int& majorBuild, \
                                           int& minorBuild) {                       \
    major = kOdrxApiMajor;                                                          \
    minor = kOdrxApiMinor;                                                          \
    majorBuild = kOdrxApiMajorBuild;                                                \
    minorBuild = kOdrxApiMinorBuild;                                                \
  }

/// Types of the two entry points, as the module manager resolves them.
using OdrxCreateModuleObjectFn = OdRxModule* (*)(OdModuleHandle&);
using OdrxGetApiVersionFn = void (*)(int&, int&, int&, int&);

// The module manager: finds module files, loads them with dlopen, checks their API version,
// creates and initialises their module objects, and unloads them.
#include "RxModule.h"

#include <dlfcn.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <string>

#include "RxClass.h"
#include "RxDynamicModule.h"

OdRxModule::~OdRxModule() = default;

OdRxClass* OdRxModule::desc() {
  static OdRxClass* cls = newOdRxClass(OdString(L"OdRxModule"), OdRxObject::desc());
  return cls;
}

OdRxClass* OdRxModule::isA() const {
  return OdRxModule::desc();
}

OdRxObject* OdRxModule::queryX(const OdRxClass* cls) const {
  return odrxQueryXImpl(this, OdRxModule::desc(), cls, [&] { return OdRxObject::queryX(cls); });
}

namespace {

struct Entry {
  OdString name;       // file name
  OdString path;       // absolute path
  OdString requested;  // first name or path given to loadModule
  void* dl = nullptr;
  OdRxModule* module = nullptr;
  int loadCount = 0;
};

bool isFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// Absolute, symlink-free form of an existing path; the path itself when it cannot be resolved.
std::string canonical(const std::string& path) {
  char* resolved = realpath(path.c_str(), nullptr);
  std::string out = resolved ? resolved : path;
  std::free(resolved);
  return out;
}

OdString lastDlError() {
  const char* text = dlerror();
  return OdString::fromUtf8(text ? std::string(text) : std::string("no detail"));
}

OdString fileNameOf(const OdString& path) {
  return path.mid(path.reverseFind(L'/') + 1);
}

// Closes a file opened here; used on every failure path of a load.
void closeQuietly(void* dl) {
  if (dl) dlclose(dl);
}

}  // namespace

struct OdRxModuleManager::Impl {
  mutable std::recursive_mutex mutex;
  std::vector<OdString> searchPaths;
  std::vector<Entry> modules;  // load order

  Entry* find(const OdString& name) {
    for (Entry& e : modules) {
      if (e.path == name || e.name == name || e.requested == name) return &e;
    }
    // A bare name without ".tx" matches the file name with it.
    if (name.find(L'/') < 0) {
      OdString withSuffix = name + L".tx";
      for (Entry& e : modules) {
        if (e.name == withSuffix) return &e;
      }
    }
    return nullptr;
  }

  Entry* find(const OdRxModule* module) {
    for (Entry& e : modules) {
      if (e.module == module) return &e;
    }
    return nullptr;
  }

  // The file a loadModule argument names; throws eModuleNotFound when there is none.
  std::string locate(const OdString& pathOrName) const {
    if (pathOrName.isEmpty()) throw OdError(eModuleNotFound, OdString(L"no module name given"));
    if (pathOrName.find(L'/') >= 0) {
      std::string path = pathOrName.toUtf8();
      if (!isFile(path)) {
        throw OdError(eModuleNotFound, OdString(L"module file ") + pathOrName + L" not found");
      }
      return path;
    }
    OdString fileName = pathOrName;
    if (fileName.getLength() < 3 || fileName.right(3) != L".tx") fileName += L".tx";
    OdString tried;
    for (const OdString& folder : searchPaths) {
      OdString candidate = folder;
      if (candidate.right(1) != L"/") candidate += L'/';
      candidate += fileName;
      std::string path = candidate.toUtf8();
      if (isFile(path)) return path;
      tried += tried.isEmpty() ? candidate : OdString(L", ") + candidate;
    }
    throw OdError(eModuleNotFound, OdString(L"module ") + fileName +
                                       L" not found on the search path" +
                                       (tried.isEmpty() ? OdString(L" (no folder given)")
                                                        : OdString(L" (tried ") + tried + L")"));
  }

  // Unloads a module whose load count is spent; throws what uninitApp throws, leaving it
  // loaded. uninitApp may itself unload other modules, so the entry is looked up again.
  void unload(OdRxModule* module) {
    module->uninitApp();
    Entry* e = find(module);
    if (!e) return;  // uninitApp unloaded its own module
    void* dl = e->dl;
    modules.erase(modules.begin() + (e - modules.data()));
    module->deleteModule();
    closeQuietly(dl);
  }
};

OdRxModuleManager::OdRxModuleManager() : m_impl(new Impl) {}
OdRxModuleManager::~OdRxModuleManager() {
  delete m_impl;
}

OdRxModuleManager& OdRxModuleManager::instance() {
  // Never destroyed: modules may still be loaded when static objects go.
  static OdRxModuleManager* manager = new OdRxModuleManager;
  return *manager;
}

OdRxModuleManager* odrxModuleManager() {
  return &OdRxModuleManager::instance();
}

void OdRxModuleManager::addSearchPath(const OdString& folder) {
  std::lock_guard<std::recursive_mutex> lock(m_impl->mutex);
  if (folder.isEmpty()) return;
  auto& paths = m_impl->searchPaths;
  if (std::find(paths.begin(), paths.end(), folder) == paths.end()) paths.push_back(folder);
}

std::vector<OdString> OdRxModuleManager::searchPaths() const {
  std::lock_guard<std::recursive_mutex> lock(m_impl->mutex);
  return m_impl->searchPaths;
}

void OdRxModuleManager::clearSearchPaths() {
  std::lock_guard<std::recursive_mutex> lock(m_impl->mutex);
  m_impl->searchPaths.clear();
}

OdRxModulePtr OdRxModuleManager::loadModule(const OdString& pathOrName) {
  std::lock_guard<std::recursive_mutex> lock(m_impl->mutex);
  if (pathOrName.find(L'/') < 0) {
    if (Entry* e = m_impl->find(pathOrName)) {
      ++e->loadCount;
      return OdRxModulePtr(e->module);
    }
  }
  std::string file = m_impl->locate(pathOrName);
  OdString path = OdString::fromUtf8(canonical(file));
  for (Entry& e : m_impl->modules) {
    if (e.path == path) {
      ++e.loadCount;
      return OdRxModulePtr(e.module);
    }
  }

  dlerror();
  void* dl = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!dl) {
    throw OdError(eIncompatibleModule,
                  OdString(L"cannot load module ") + path + L": " + lastDlError());
  }
  auto entryPoint = [&](const char* symbol) {
    dlerror();
    void* address = dlsym(dl, symbol);
    if (!address) {
      OdString detail = lastDlError();
      closeQuietly(dl);
      throw OdError(eEntryPointNotFound, OdString(L"module ") + path + L" has no entry point " +
                                             OdString(symbol) + L": " + detail);
    }
    return address;
  };
  auto getVersion = reinterpret_cast<OdrxGetApiVersionFn>(entryPoint("odrxGetAPIVersion"));
  auto create = reinterpret_cast<OdrxCreateModuleObjectFn>(entryPoint("odrxCreateModuleObject"));

  int major = 0, minor = 0, majorBuild = 0, minorBuild = 0;
  getVersion(major, minor, majorBuild, minorBuild);
  if (major != kOdrxApiMajor || minor != kOdrxApiMinor) {
    closeQuietly(dl);
    throw OdError(eIncompatibleModule,
                  OdString::formatted(L"module %ls is built for API %d.%d, not %d.%d", path.c_str(),
                                      major, minor, kOdrxApiMajor, kOdrxApiMinor));
  }

  OdRxModule* module = nullptr;
  try {
    OdModuleHandle handle = dl;
    module = create(handle);
  } catch (...) {
    closeQuietly(dl);
    throw;
  }
  if (!module) {
    closeQuietly(dl);
    throw OdError(eEntryPointNotFound,
                  OdString(L"module ") + path + L": odrxCreateModuleObject made no module object");
  }
  try {
    module->initApp();
  } catch (...) {
    module->deleteModule();
    closeQuietly(dl);
    throw;
  }

  Entry e;
  e.name = fileNameOf(path);
  e.path = path;
  e.requested = pathOrName;
  e.dl = dl;
  e.module = module;
  e.loadCount = 1;
  m_impl->modules.push_back(e);
  return OdRxModulePtr(module);
}

bool OdRxModuleManager::unloadModule(const OdString& name) {
  std::lock_guard<std::recursive_mutex> lock(m_impl->mutex);
  Entry* e = m_impl->find(name);
  if (!e) return false;
  if (e->loadCount > 1) {
    --e->loadCount;
    return true;
  }
  if (e->module->numRefs() > 0) return false;
  m_impl->unload(e->module);
  return true;
}

bool OdRxModuleManager::unloadModule(OdRxModulePtr& module) {
  std::lock_guard<std::recursive_mutex> lock(m_impl->mutex);
  Entry* e = m_impl->find(module.get());
  if (!e) return false;
  OdString path = e->path;
  module = nullptr;
  return unloadModule(path);
}

OdRxModulePtr OdRxModuleManager::getModule(const OdString& name) const {
  std::lock_guard<std::recursive_mutex> lock(m_impl->mutex);
  Entry* e = m_impl->find(name);
  return e ? OdRxModulePtr(e->module) : OdRxModulePtr();
}

std::vector<OdRxModuleManager::LoadedModule> OdRxModuleManager::loadedModules() const {
  std::lock_guard<std::recursive_mutex> lock(m_impl->mutex);
  std::vector<LoadedModule> out;
  for (const Entry& e : m_impl->modules)
    out.push_back(LoadedModule{e.name, e.path, e.loadCount});
  return out;
}

int OdRxModuleManager::unloadAll() {
  std::lock_guard<std::recursive_mutex> lock(m_impl->mutex);
  for (std::size_t i = m_impl->modules.size(); i-- > 0;) {
    if (i >= m_impl->modules.size()) continue;  // an uninitApp unloaded others
    OdRxModule* module = m_impl->modules[i].module;
    if (module->numRefs() == 0) m_impl->unload(module);
  }
  return static_cast<int>(m_impl->modules.size());
}

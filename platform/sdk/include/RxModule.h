// Modules: the module object OdRxModule that a loadable module file hands to the SDK, and the
// module manager that loads module files with dlopen, checks their API version and runs them.
#pragma once
/// @file
/// Loadable modules and the manager that loads them.

#include <vector>

#include "OdError.h"
#include "OdExport.h"
#include "OdString.h"
#include "RxObject.h"

/// The system's handle of a loaded module file (the dlopen handle).
using OdModuleHandle = void*;

/// The API version every module must report through odrxGetAPIVersion.
constexpr int kOdrxApiMajor = 22;
constexpr int kOdrxApiMinor = 4;
constexpr int kOdrxApiMajorBuild = 0;
constexpr int kOdrxApiMinorBuild = 0;

/// OdRxModule: one module file's object. Modules derive from it and define initApp and
/// uninitApp; OdRxPosixModule<T> (RxDynamicModule.h) supplies the rest. Its reference count is
/// a lock count: addRef / release never delete the object, deleteModule does.
class ODSDK_API OdRxModule : public OdRxObject {
 public:
  ~OdRxModule() override;

  /// desc: the runtime class "OdRxModule", made on first use.
  static OdRxClass* desc();
  OdRxClass* isA() const override;
  OdRxObject* queryX(const OdRxClass* cls) const override;

  /// initApp: called by the module manager once the module object exists; registers what the
  /// module offers. An error thrown here makes the load fail.
  virtual void initApp() = 0;
  /// uninitApp: called by the module manager before the module object is deleted.
  virtual void uninitApp() = 0;
  /// moduleName: the module file's name without its folder ("name.tx"); empty when unknown.
  virtual OdString moduleName() const = 0;
  /// moduleFilePath: the module file's absolute path; empty when unknown.
  virtual OdString moduleFilePath() const = 0;
  /// sysData: the module handle stored when the module object was made (may be null).
  virtual OdModuleHandle sysData() const = 0;
  /// deleteModule: deletes this object and forgets it as its file's single module object.
  virtual void deleteModule() = 0;
};

using OdRxModulePtr = OdSmartPtr<OdRxModule>;

/// OdRxModuleManager: the process-wide list of loaded module files. All members are
/// thread-safe; a module's initApp may load further modules.
class ODSDK_API OdRxModuleManager {
 public:
  /// A loaded module as listed by loadedModules.
  struct LoadedModule {
    OdString name;      ///< file name ("name.tx")
    OdString path;      ///< absolute path of the file
    int loadCount = 0;  ///< loads not yet matched by an unload
  };

  /// instance: the manager (made on first use, never destroyed).
  static OdRxModuleManager& instance();

  /// addSearchPath: appends a folder in which bare module names are looked for, in the order
  /// added; an empty folder or one already listed is ignored. Nothing is read from the
  /// environment: the host passes every folder.
  void addSearchPath(const OdString& folder);
  /// searchPaths: the folders, in search order.
  std::vector<OdString> searchPaths() const;
  void clearSearchPaths();

  /// loadModule: loads a module and answers its object, locked by the returned pointer.
  /// `pathOrName` with a "/" is a file path used as is; otherwise it is a module name: a module
  /// already loaded under that file name, else the first "<folder>/<name>" on the search path
  /// (".tx" added when the name lacks it). A module already loaded from the same file is
  /// answered again with its load count raised. Throws OdError: eModuleNotFound (no such file),
  /// eIncompatibleModule (the file cannot be loaded, or reports an API version other than
  /// 22.4), eEntryPointNotFound (an entry point is missing or yields no module object); any
  /// error from initApp passes through. After a failure nothing of that file stays loaded.
  OdRxModulePtr loadModule(const OdString& pathOrName);

  /// unloadModule: lowers the load count of the module loaded under this file name, path or
  /// name given to loadModule; at zero it calls uninitApp, deletes the module object and closes
  /// the file. Answers false, changing nothing, when no such module is loaded or when the last
  /// unload finds the module object still locked (someone holds a pointer to it). An error
  /// from uninitApp passes through and leaves the module loaded.
  bool unloadModule(const OdString& name);
  /// unloadModule: as above for a module object; drops the caller's pointer first.
  bool unloadModule(OdRxModulePtr& module);

  /// getModule: the loaded module with this file name or path (locked by the pointer), or null.
  OdRxModulePtr getModule(const OdString& name) const;
  /// loadedModules: every loaded module, in load order.
  std::vector<LoadedModule> loadedModules() const;

  /// unloadAll: unloads every unlocked module, last loaded first, whatever its load count;
  /// answers how many modules stay loaded.
  int unloadAll();

  OdRxModuleManager(const OdRxModuleManager&) = delete;
  OdRxModuleManager& operator=(const OdRxModuleManager&) = delete;

 private:
  OdRxModuleManager();
  ~OdRxModuleManager();
  struct Impl;
  Impl* m_impl;
};

/// odrxModuleManager: OdRxModuleManager::instance().
ODSDK_API OdRxModuleManager* odrxModuleManager();

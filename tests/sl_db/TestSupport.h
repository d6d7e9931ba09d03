// Shared fixtures of the module's tests: a scratch folder and a provider installed for a scope.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>

#include "OdString.h"
#include "sl_db/DbPreferencesProvider.h"
#include "sl_db/FileFinder.h"

/// Lets GoogleTest print strings in failure messages.
inline void PrintTo(const OdString& s, std::ostream* os) {
  *os << '"' << s.toUtf8() << '"';
}

namespace sltest {

/// A fresh folder, removed at the end of the test.
class ScratchDir {
 public:
  ScratchDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "sldb-XXXXXX").string();
    m_path = ::mkdtemp(pattern.data());
  }
  ~ScratchDir() { std::filesystem::remove_all(m_path); }
  OdString path() const { return OdString(m_path.c_str()); }
  OdString file(const char* name) const { return OdString((m_path + "/" + name).c_str()); }
  /// touch: creates an empty file `name` (folders included) and answers its path.
  OdString touch(const char* name) const {
    std::filesystem::path p = std::filesystem::path(m_path) / name;
    std::filesystem::create_directories(p.parent_path());
    std::ofstream(p.string()).put('x');
    return OdString(p.string().c_str());
  }

 private:
  std::string m_path;
};

/// Installs a provider and a finder for one scope and restores what was installed before.
class InstalledHooks {
 public:
  InstalledHooks()
      : m_oldProvider(sl_db::DbPreferencesProvider::getInstance()),
        m_oldFinder(sl_db::FileFinder::getInstance()) {
    sl_db::DbPreferencesProvider::setInstance(&provider);
    sl_db::FileFinder::setInstance(&finder);
  }
  ~InstalledHooks() {
    sl_db::DbPreferencesProvider::setInstance(m_oldProvider);
    sl_db::FileFinder::setInstance(m_oldFinder);
  }
  sl_db::DbPreferencesProvider provider;
  sl_db::FileFinder finder;

 private:
  sl_db::DbPreferencesProvider* m_oldProvider;
  sl_db::FileFinder* m_oldFinder;
};

}  // namespace sltest

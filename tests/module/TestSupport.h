// Shared fixtures of the module's tests: a scratch folder and a provider installed for a scope.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>

#include "OdError.h"
#include "OdString.h"
#include "ScratchDir.h"
#include "sl_db/DbPreferencesProvider.h"
#include "sl_db/FileFinder.h"

/// Lets GoogleTest print strings in failure messages.
inline void PrintTo(const OdString& s, std::ostream* os) {
  *os << '"' << s.toUtf8() << '"';
}

namespace sltest {

using testsupport::ScratchDir;

/// odErrorOf: the code of the OdError `f` throws; eOk when it throws none.
template <class F>
OdResult odErrorOf(F&& f) {
  try {
    f();
  } catch (const OdError& e) {
    return e.code();
  }
  return eOk;
}

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

// A fresh folder for one test, removed with everything in it at the end of the test.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "OdString.h"

namespace testsupport {

class ScratchDir {
 public:
  ScratchDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "sltest-XXXXXX").string();
    m_path = ::mkdtemp(pattern.data());
  }
  ~ScratchDir() { std::filesystem::remove_all(m_path); }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  OdString path() const { return OdString(m_path.c_str()); }
  OdString file(const char* name) const { return OdString((m_path + "/" + name).c_str()); }
  /// touch: creates a one-byte file `name` (folders included) and answers its path.
  OdString touch(const char* name) const {
    std::filesystem::path p = std::filesystem::path(m_path) / name;
    std::filesystem::create_directories(p.parent_path());
    std::ofstream(p.string()).put('x');
    return OdString(p.string().c_str());
  }

 private:
  std::string m_path;
};

}  // namespace testsupport

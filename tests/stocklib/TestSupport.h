// Shared fixtures of the library-store tests: a temporary folder and an event recorder, and
// what the tests include.
#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>
#include <pugixml.hpp>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "DataRows.h"
#include "FaultInjection.h"
#include "XmlText.h"
#include "odb/session.hxx"
#include "stocklib/Library.h"
#include "stocklib/Materials.h"
#include "stocklib/MemFs.h"
#include "stocklib/Objects.h"
#include "stocklib/Profiles.h"

namespace sltest {

/// thrown: the message of the `E` that `run` throws; empty when it throws none.
template <class E = stocklib::Exception, class Run>
std::string thrown(Run run) {
  try {
    run();
  } catch (const E& e) {
    return e.what();
  }
  return std::string();
}

/// count: how many objects of type T `lib` holds.
template <class T>
std::size_t count(const std::shared_ptr<stocklib::Library>& lib) {
  std::vector<KcSmartPtr<T>> all;
  return lib->get(all);
}

/// importXml: imports the document `xml` into `lib`, or the file `xml` names when it ends in .xml.
inline void importXml(stocklib::Library& lib, const std::string& xml,
                      const stocklib::Library::ImportOptions& options = {},
                      const stocklib::Library::Progress& progress = {}) {
  pugi::xml_document doc;
  const bool file = xml.size() > 4 && xml.compare(xml.size() - 4, 4, ".xml") == 0;
  ASSERT_TRUE(file ? doc.load_file(xml.c_str()) : doc.load_string(xml.c_str())) << xml;
  pugi::xml_node root = doc.first_child();
  lib.importFromXml(root, options, progress);
}

/// A folder removed after the test, with the reactor and in-memory file system reset.
class TempDir : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/stocklib-test-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    m_dir = pattern;
    stocklib::register_memvfs();
  }
  void TearDown() override {
    stocklib::LibraryManager::instance().setReactor(std::shared_ptr<stocklib::Library::Reactor>());
    stocklib::unregister_memvfs();
    std::error_code ec;
    std::filesystem::remove_all(m_dir, ec);
  }
  OdString path(const char* name) const { return OdString::fromUtf8(m_dir + "/" + name); }
  /// library: a new library file `name` in the folder (or the open one of that name).
  std::shared_ptr<stocklib::Library> library(
      const char* name, stocklib::LibraryUnit unit = stocklib::kLibraryUnitMillimeter) const {
    return stocklib::LibraryManager::instance().create(path(name), unit, L"");
  }
  std::string pathUtf8(const char* name) const { return m_dir + "/" + name; }
  /// sqlOn: runs statements on the closed library file `name` behind the store's back.
  void sqlOn(const char* name, const char* statements) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(pathUtf8(name).c_str(), &db), SQLITE_OK);
    char* err = nullptr;
    EXPECT_EQ(sqlite3_exec(db, statements, nullptr, nullptr, &err), SQLITE_OK) << err;
    sqlite3_free(err);
    sqlite3_close(db);
  }

  std::string m_dir;
};

/// Records every library event as a line of text, in order.
class Recorder : public stocklib::Library::Reactor {
  using Lib = std::shared_ptr<const stocklib::Library>;
  using Key = stocklib::ObjectKey;
  static std::string id(const Key& k) { return std::to_string(k.id); }

 public:
  std::vector<std::string> events;
  int keepId = 0;  // onRemove answers kKeepObject for this id
  void onSaved(const Lib&, const Key& k) override { events.push_back("saved " + id(k)); }
  stocklib::RemoveResolution onRemove(const Lib&, const Key& k) override {
    events.push_back("remove " + id(k));
    return static_cast<int>(k.id) == keepId ? stocklib::kKeepObject : stocklib::kRemoveObject;
  }
  void onRemoved(const Lib&, const Key& k) override { events.push_back("removed " + id(k)); }
  void onModified(const Lib&, stocklib::ObjectType t) override {
    events.push_back("modified " + std::to_string(static_cast<int>(t)));
  }
};

}  // namespace sltest

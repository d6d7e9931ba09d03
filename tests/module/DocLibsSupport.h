// Fixture of the drawing-binding tests: the module loaded, hooks pointing into a scratch folder
// and a library reactor that records the drawing events it receives.
#pragma once

#include <algorithm>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "DbDatabase.h"
#include "RxModule.h"
#include "TestSupport.h"
#include "sl_db/DocumentLibraries.h"
#include "sl_db/DocumentLibrariesManager.h"
#include "sl_db/LibraryReactor.h"
#include "stocklib/Library.h"
#include "stocklib/Objects.h"

namespace sltest {

using Events = std::vector<std::string>;

/// Records drawing events as readable lines: "closed <file>", "copy <file>", "missing P|S <path>".
class RecordingReactor : public sl_db::LibraryReactor {
 public:
  RecordingReactor() {
    addOnClosedHandler(OdString("rec"), [this](OdDbDatabase*, const stocklib::Library* lib) {
      events.push_back("closed " + lib->filename().toUtf8());
    });
    addOnPrimaryCopyHandler(OdString("rec"), [this](OdDbDatabase*, const stocklib::Library* lib,
                                                    const stocklib::IdMapping& m) {
      events.push_back("copy " + lib->filename().toUtf8());
      lastMapping = m.entries();
    });
  }
  void onLibraryFileMissing(OdDbDatabase* db, const OdString& path, sl_db::EDbType type) override {
    events.push_back(std::string("missing ") + (type == sl_db::kPrimary ? "P " : "S ") +
                     path.toUtf8());
    if (onMissing) onMissing(db);
  }
  /// take: the events recorded since the last take, forgotten.
  Events take() { return std::exchange(events, {}); }
  /// failMissing: the next `times` missing-file events throw from the handler.
  void failMissing(int times) {
    onMissing = [this, times](OdDbDatabase*) mutable {
      if (times-- > 0) throw std::runtime_error("handler failed");
    };
  }
  Events events;
  std::map<stocklib::ObjectKey, uint32_t> lastMapping;
  std::function<void(OdDbDatabase*)> onMissing;
};

class DocLibsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_module = odrxModuleManager()->loadModule(OdString(SLDB_MODULE_PATH)));
    m_hooks = std::make_unique<InstalledHooks>();
    m_hooks->provider.setRoamableRootFolder(dir.path());
    m_oldReactor = stocklib::LibraryManager::instance().reactor();
    stocklib::LibraryManager::instance().setReactor(&reactor);
  }
  /// A new drawing (metric unless told otherwise) and its binding.
  static std::pair<OdDbDatabasePtr, sl_db::DocumentLibraries*> newDrawing(bool metric = true) {
    OdDbDatabasePtr db = odDbCreateDatabase(metric);
    return {db, sl_db::docLibs(db.get())};
  }
  void TearDown() override {
    stocklib::LibraryManager::instance().setReactor(m_oldReactor);
    m_hooks.reset();
    odrxModuleManager()->unloadModule(m_module);
  }

  /// A library file made in the scratch folder holding tags of the given names.
  std::shared_ptr<stocklib::Library> makeLibrary(
      const char* name, const std::vector<const char*>& tags,
      stocklib::LibraryUnit unit = stocklib::kLibraryUnitMillimeter) {
    auto lib = stocklib::LibraryManager::instance().create(dir.file(name), unit, OdString());
    for (const char* tag : tags)
      lib->save(stocklib::Tag::create(OdString(tag)));
    return lib;
  }
  static bool hasTag(const std::shared_ptr<const stocklib::Library>& lib, const char* tag) {
    return lib && lib->get<stocklib::Tag>(stocklib::NameKey(OdString(tag)));
  }
  static std::vector<std::string> secondaryPaths(sl_db::DocumentLibraries* docs) {
    std::vector<std::string> out;
    if (auto record = docs->stocklibManager(OdDb::kForRead, false))
      for (const OdString& p : record->secondaryLibraryPaths())
        out.push_back(p.toUtf8());
    return out;
  }
  /// Writes a record naming an external primary and these secondaries, before any binding.
  static void writeRecord(OdDbDatabase* db, const OdString& primary,
                          const std::vector<OdString>& secondaries) {
    auto record = openRecord(db, OdDb::kForWrite, true);
    record->setPrimaryLibraryPath(primary);
    for (const OdString& path : secondaries)
      record->setSecondaryLibraryPaths().append(path);
  }
  static OdSmartPtr<DbStockLibManager> openRecord(OdDbDatabase* db, OdDb::OpenMode mode,
                                                  bool create = false) {
    return DbStockLibManager::cast(
        DbStockLibManager::getInstance(*db, create, nullptr).openObject(mode));
  }
  /// How many "missing" events the reactor has recorded.
  long missingEvents() const {
    return std::count_if(reactor.events.begin(), reactor.events.end(),
                         [](const std::string& e) { return e.rfind("missing", 0) == 0; });
  }
  static bool bound(const OdDbDatabase* db) {
    return std::any_of(sl_db::docLibs_begin(), sl_db::docLibs_end(),
                       [&](const auto& e) { return e.first == db; });
  }

  ScratchDir dir;
  RecordingReactor reactor;

 private:
  OdRxModulePtr m_module;
  std::unique_ptr<InstalledHooks> m_hooks;
  std::shared_ptr<stocklib::Library::Reactor> m_oldReactor;
};

}  // namespace sltest

// Library files of earlier schema versions: the fixtures the schema-1 code wrote read back as it
// read them, upgrade when opened writable (all or nothing under injected faults), and stay as
// they are when opened read-only; a file of a version it does not read is refused.
#include "TestSupport.h"

using namespace stocklib;
using sltest::FaultVfs;

namespace {
class Migration : public sltest::TempDir {
 protected:
  /// fixture: a copy of tests/fixtures/schema1/`name` in the folder.
  OdString fixture(const std::string& name) {
    std::filesystem::copy_file(std::string(SL_FIXTURE_DIR) + "/schema1/" + name, m_dir + "/" + name,
                               std::filesystem::copy_options::overwrite_existing);
    return path(name.c_str());
  }
  static std::string fileText(const std::string& file) {
    std::ifstream in(std::string(SL_FIXTURE_DIR) + "/schema1/" + file);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  /// number: the first column of the first row `query` answers on the closed file `name`; -1
  /// when it answers nothing.
  int number(const char* name, const std::string& query) const {
    sqlite3* db = nullptr;
    int out = -1;
    sqlite3_stmt* s = nullptr;
    if (sqlite3_open_v2(pathUtf8(name).c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
        sqlite3_prepare_v2(db, query.c_str(), -1, &s, nullptr) == SQLITE_OK &&
        sqlite3_step(s) == SQLITE_ROW)
      out = sqlite3_column_int(s, 0);
    sqlite3_finalize(s);
    sqlite3_close(db);
    return out;
  }
  int userVersion(const char* name) const { return number(name, "PRAGMA user_version"); }
};
}  // namespace

TEST_F(Migration, SchemaOneFixturesReadBackEqualCheckAndUpgrade) {
  for (std::string name : {"metric", "imperial", "every_type"}) {
    SCOPED_TRACE(name);
    std::string file = name + ".stocklib";
    OdString location = fixture(file);
    const std::string expected = fileText(name + ".xml");
    ASSERT_FALSE(expected.empty());
    for (bool readOnly : {true, false}) {
      auto lib = LibraryManager::instance().open(location, readOnly);
      ASSERT_TRUE(lib) << lib.message().toUtf8();
      EXPECT_EQ(lib->schemaVersion(), readOnly ? 1 : kLibrarySchemaVersion);
      EXPECT_EQ(sltest::toolExportText(*lib), expected);
      EXPECT_EQ(lib->check(), std::vector<OdString>());
      std::vector<KcSmartPtr<IShapeProfile>> shapes;
      ASSERT_GT(lib->get(shapes), 0u);
      EXPECT_EQ(shapes[0]->flange_slope(), 0.0);
      EXPECT_EQ(userVersion(file.c_str()), readOnly ? 1 : kLibrarySchemaVersion);
      if (!readOnly) {
        shapes[0]->set_flange_slope(0.14);
        shapes[0]->save(lib);
      }
    }
    EXPECT_TRUE(sltest::integrityOk(pathUtf8(file.c_str())));
    auto lib = LibraryManager::instance().open(location, true);
    ASSERT_TRUE(lib) << lib.message().toUtf8();
    EXPECT_EQ(lib->check(), std::vector<OdString>());
    std::vector<KcSmartPtr<IShapeProfile>> shapes;
    lib->get(shapes);
    EXPECT_EQ(shapes[0]->flange_slope(), 0.14);
  }
}

TEST_F(Migration, UpgradeFailedByAnInjectedFaultLeavesTheVersionOneFile) {
  const std::string expected = fileText("every_type.xml");
  FaultVfs& vfs = FaultVfs::instance();
  vfs.install();
  vfs.arm(0, false);
  ASSERT_TRUE(LibraryManager::instance().open(fixture("every_type.stocklib"), false));
  const uint64_t total = vfs.count();
  ASSERT_GT(total, 3u);
  int failures = 0;
  for (bool persistent : {false, true}) {
    for (uint64_t at : sltest::faultPoints(total)) {
      SCOPED_TRACE((persistent ? "from operation " : "at operation ") + std::to_string(at));
      OdString location = fixture("every_type.stocklib");
      vfs.arm(at, persistent);
      ErrorCode code = LibraryManager::instance().open(location, false).code();
      const bool opened = code == ErrorCode::kNone,
                 upgradeFailed = code == ErrorCode::kUpgradeFailed;
      vfs.arm(0, false);
      failures += upgradeFailed;
      // A writable connection rolls back what a failed commit left in the journal.
      sqlOn("every_type.stocklib", "SELECT count(*) FROM sqlite_master");
      EXPECT_TRUE(sltest::integrityOk(pathUtf8("every_type.stocklib")));
      int version = userVersion("every_type.stocklib");
      if (upgradeFailed || opened) {
        EXPECT_EQ(version, opened ? kLibrarySchemaVersion : 1);
      }
      // No step of the upgrade stays without the others.
      EXPECT_EQ(number("every_type.stocklib",
                       "SELECT count(*) FROM pragma_table_info("
                       "'o_IShapeProfile') WHERE name='flange_slope'"),
                version == 1 ? 0 : 1);
      auto lib = LibraryManager::instance().open(location, true);
      ASSERT_TRUE(lib) << lib.message().toUtf8();
      EXPECT_EQ(lib->schemaVersion(), version);
      EXPECT_EQ(lib->check(), std::vector<OdString>());
      EXPECT_EQ(sltest::toolExportText(*lib), expected);
    }
  }
  vfs.uninstall();
  EXPECT_GT(failures, 0) << "no fault reached the upgrade";
}

TEST_F(Migration, MissingColumnsAnswerDefaultsReadOnlyAndAreAddedWritable) {
  // A file from before a field existed: the column is not there at all.
  OdString location = fixture("every_type.stocklib");
  sqlOn("every_type.stocklib", "ALTER TABLE o_PhysicalAsset DROP COLUMN thermal_conductivity");
  {
    auto lib = LibraryManager::instance().open(location, true);
    ASSERT_TRUE(lib) << lib.message().toUtf8();
    auto steel = lib->get<PhysicalAsset>(NameKey(L"Steel S235"));
    ASSERT_TRUE(steel);
    EXPECT_EQ(steel->density(), 7850);
    EXPECT_FALSE(steel->has_thermal_conductivity());
    EXPECT_EQ(lib->check(), std::vector<OdString>());
  }
  auto lib = LibraryManager::instance().open(location, false);
  ASSERT_TRUE(lib) << lib.message().toUtf8();
  auto steel = lib->get<PhysicalAsset>(NameKey(L"Steel S235"));
  ASSERT_TRUE(steel);
  steel->set_thermal_conductivity(50);
  steel->save(lib);
  EXPECT_EQ(lib->get<PhysicalAsset>(NameKey(L"Steel S235"))->thermal_conductivity(), 50);
}

TEST_F(Migration, VersionsOutsideTheReadOnesAreRefusedInOneLineNamingBoth) {
  OdString location = fixture("every_type.stocklib");
  for (int version : {0, 3}) {
    sqlOn("every_type.stocklib", ("PRAGMA user_version=" + std::to_string(version)).c_str());
    for (bool readOnly : {true, false}) {
      auto refused = LibraryManager::instance().open(location, readOnly);
      EXPECT_EQ(refused.code(), ErrorCode::kUnknownVersion);
      std::string error = refused.message().toUtf8();
      EXPECT_NE(error.find("schema version " + std::to_string(version)), std::string::npos)
          << error;
      EXPECT_NE(error.find("1 to " + std::to_string(kLibrarySchemaVersion)), std::string::npos)
          << error;
      EXPECT_EQ(error.find('\n'), std::string::npos) << error;
    }
    EXPECT_EQ(userVersion("every_type.stocklib"), version);
  }
}

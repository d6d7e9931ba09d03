// A drawing saved by the schema-1 code: its embedded primary is upgraded when the drawing binds
// it, reads back as that code read it, and travels upgraded at the next save; the values on its
// entity still read back.
#include <filesystem>
#include <fstream>
#include <sstream>

#include "../sldb/SldbRun.h"
#include "DocLibsSupport.h"
#include "XmlText.h"
#include "sl_db/DbStockLibManager.h"

using sltest::DocLibsTest;

namespace {
std::string fixtureText(const char* name) {
  std::ifstream in(std::string(SL_FIXTURE_DIR) + "/schema1/" + name);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

/// storedVersion: the schema version of the embedded primary as the drawing file holds it,
/// read without binding the drawing.
int storedVersion(const OdString& drawing) {
  OdDbDatabasePtr db = odDbCreateDatabase(true);
  db->readFile(drawing);
  DbStockLibManagerPtr record =
      DbStockLibManager::getInstance(*db, false, nullptr).safeOpenObject();
  auto lib = stocklib::LibraryManager::instance().open(
      OdString(L"memvfs://") + record->primaryLibraryPath(), true);
  return lib ? lib->schemaVersion() : -1;
}

}  // namespace

TEST_F(DocLibsTest, SchemaOneEmbeddedPrimaryIsUpgradedOnBindAndSavedUpgraded) {
  const OdString old = dir.file("old.sldrw"), saved = dir.file("saved.sldrw");
  std::filesystem::copy_file(std::string(SL_FIXTURE_DIR) + "/schema1/embedded.sldrw", old.toUtf8());
  ASSERT_EQ(storedVersion(old), 1);
  {
    OdDbDatabasePtr db = odDbCreateDatabase(true);
    db->readFile(old);
    sl_db::DocumentLibraries* docs = sl_db::docLibs(db.get());
    auto primary = docs->primary();
    ASSERT_TRUE(primary && docs->isPrimaryEmbedded() && !primary->isReadOnly() &&
                primary->schemaVersion() == stocklib::kLibrarySchemaVersion);
    EXPECT_EQ(primary->check(), std::vector<OdString>());
    EXPECT_EQ(sltest::toolExportText(*primary), fixtureText("embedded.xml"));
    db->writeFile(saved);
  }
  EXPECT_EQ(storedVersion(saved), stocklib::kLibrarySchemaVersion);
  // The entity's values and the definitions they answer to, as the schema-1 tool printed them.
  EXPECT_EQ(sldbtest::run(dir.path().toUtf8(), SLDB_TOOL_PATH, "props saved.sldrw 4").data,
            fixtureText("embedded.props.txt"));
}

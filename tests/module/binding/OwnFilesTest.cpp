// The binding writes, moves and removes only the library files its drawing names: relative names
// are the drawing's, a move takes the file that is bound, a failed embedding leaves no record,
// files are compared as files; records stay portable and changes made elsewhere are reported.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "../sldb/SldbRun.h"
#include "DataRows.h"
#include "DocLibsSupport.h"
#include "ut/FileUtils.h"

using sltest::DocLibsTest;

namespace {

/// Runs the scope in another working folder.
class WorkingFolder {
 public:
  explicit WorkingFolder(const OdString& folder) : m_old(std::filesystem::current_path()) {
    std::filesystem::current_path(folder.toUtf8());
  }
  ~WorkingFolder() { std::filesystem::current_path(m_old); }

 private:
  std::filesystem::path m_old;
};

std::size_t namespaceCount(const std::shared_ptr<const stocklib::Library>& lib) {
  std::vector<KcSmartPtr<stocklib::PropertyNamespace>> all;
  return lib->get(all);
}

class OwnFiles : public DocLibsTest {
 protected:
  /// Makes the folders dir/NAME.
  void folders(std::initializer_list<const char*> names) {
    for (const char* name : names)
      std::filesystem::create_directories(dir.file(name).toUtf8());
  }
  /// A new drawing saved as dir/NAME.
  OdDbDatabasePtr savedDrawing(const char* name) {
    OdDbDatabasePtr db = odDbCreateDatabase(true);
    db->writeFile(dir.file(name));
    return db;
  }
};

}  // namespace

TEST_F(OwnFiles, ARelativeNameIsTheDrawingsNeverTheWorkingFolders) {
  // Another drawing's primary lies in the working folder under the same name.
  folders({"c", "d", "e"});
  auto theirs = makeLibrary("c/p.stocklib", {"theirs"});
  WorkingFolder cwd(dir.file("c"));

  OdDbDatabasePtr db = savedDrawing("d/d.sldrw");
  sl_db::DocumentLibraries* docs = sl_db::docLibs(db.get());
  auto mine = docs->openPrimary(OdString("p.stocklib"));
  ASSERT_TRUE(mine && mine->filename() == dir.file("d/p.stocklib"));
  // The rebuild after the call binds what the call returned.
  EXPECT_TRUE(docs->primary() == mine &&
              docs->stocklibManager()->primaryLibraryPath() == OdString("p.stocklib"));
  EXPECT_EQ(namespaceCount(theirs), 0u);  // not bound, so not seeded either

  // A record naming a file the drawing's folder lacks binds nothing from the working folder.
  OdDbDatabasePtr other = savedDrawing("e/e.sldrw");
  writeRecord(other.get(), OdString("p.stocklib"), {OdString("p.stocklib")});
  reactor.events.clear();
  sl_db::DocumentLibraries* otherDocs = sl_db::docLibs(other.get());
  EXPECT_FALSE(otherDocs->primary() || !otherDocs->secondaries().empty() || namespaceCount(theirs));
  EXPECT_EQ(reactor.events, (sltest::Events{"missing P p.stocklib", "missing S p.stocklib"}));
}

TEST_F(OwnFiles, MovingThePrimaryMovesTheBoundFileOnly) {
  folders({"a", "b"});
  OdDbDatabasePtr db = savedDrawing("a/d.sldrw");
  sl_db::DocumentLibraries* docs = sl_db::docLibs(db.get());
  ASSERT_TRUE(docs->openPrimary(OdString("p.stocklib")));
  docs->primary(false)->save(stocklib::Tag::create(OdString("mine")));

  // Saved beside an unrelated library of the record's name: that one is not the drawing's.
  auto unrelated = makeLibrary("b/p.stocklib", {"theirs"});
  db->writeFile(dir.file("b/d.sldrw"));
  auto moved = docs->movePrimary(OdString("q.stocklib"), true);
  ASSERT_TRUE(moved && moved->filename() == dir.file("b/q.stocklib"));
  EXPECT_TRUE(hasTag(moved, "mine") && !hasTag(moved, "theirs") && docs->primary() == moved &&
              !ut::fileExists(dir.file("a/p.stocklib")));
  EXPECT_TRUE(hasTag(unrelated, "theirs") && !hasTag(unrelated, "mine"));
}

TEST_F(OwnFiles, AFailedFirstEmbeddingLeavesTheDrawingWithoutARecord) {
  std::ofstream(dir.touch("Support/stocklib.xml").toUtf8())
      << "<StockLibrary><Bogus/></StockLibrary>";
  OdDbDatabasePtr db = odDbCreateDatabase(true);
  sl_db::DocumentLibraries* docs = sl_db::docLibs(db.get());
  reactor.events.clear();
  EXPECT_THROW(docs->primary(true), stocklib::Exception);
  EXPECT_THROW(docs->openPrimary(dir.file("p.stocklib")), stocklib::Exception);
  EXPECT_FALSE(docs->openPrimary(dir.file("no/such/folder/p.stocklib")));
  EXPECT_FALSE(docs->isInitialized() || docs->primary());
  std::filesystem::remove(dir.file("Support/stocklib.xml").toUtf8());
  // initialize() works again.
  EXPECT_TRUE(docs->primary(true) && docs->isPrimaryEmbedded() && reactor.events.empty());
}

TEST_F(OwnFiles, ANewRecordKeepsTheGivenNamesAndLeavesTheDefaultToThePreference) {
  folders({"Support"});
  auto shipped = makeLibrary("Support/metric.stocklib", {});
  auto office = makeLibrary("office.stocklib", {});
  OdDbDatabasePtr db = savedDrawing("d.sldrw");
  sl_db::DocumentLibraries* docs = sl_db::docLibs(db.get());
  ASSERT_EQ(docs->secondaries(), (sl_db::DocumentLibraries::Libraries{shipped}));
  ASSERT_TRUE(docs->openEmbeddedPrimary() && secondaryPaths(docs).empty());
  // Not pinned: a later preference is followed.
  sl_db::DbPreferencesProvider::getInstance()->setDefaultStocklibMetric(office->filename());
  docs->refresh();
  EXPECT_EQ(docs->secondaries(), (sl_db::DocumentLibraries::Libraries{office}));
  // Named by a caller, the default is kept in the record.
  EXPECT_EQ(docs->openSecondary(office->filename()), office);
  EXPECT_EQ(secondaryPaths(docs), (sltest::Events{office->filename().toUtf8()}));

  // A secondary opened by a relative name before there is a record is listed by that name.
  OdDbDatabasePtr other = savedDrawing("e.sldrw");
  sl_db::DocumentLibraries* otherDocs = sl_db::docLibs(other.get());
  auto near = otherDocs->openSecondary(OdString("near.stocklib"));
  ASSERT_TRUE(near && near->filename() == dir.file("near.stocklib"));
  ASSERT_TRUE(otherDocs->openEmbeddedPrimary());
  EXPECT_EQ(secondaryPaths(otherDocs), (sltest::Events{"near.stocklib"}));
  EXPECT_EQ(otherDocs->secondaries(), (sl_db::DocumentLibraries::Libraries{near}));
}

TEST_F(OwnFiles, CommandLinePathsMeanTheWorkingFolderAndNoOtherFileIsWritten) {
  const std::string root = dir.path().toUtf8();
  folders({"c", "d"});
  makeLibrary("d/s.stocklib", {"T"}).reset();
  for (auto row : sltest::dataRows("binding-own-files.txt", 4)) {
    SCOPED_TRACE(row[0] + ": sldb " + row[1]);
    for (std::size_t at; (at = row[2].find('$')) != std::string::npos;)
      row[2].replace(at, 1, root);
    const auto run = sldbtest::sldb(root + "/" + row[0], row[1]);
    EXPECT_EQ(run.rc, 0) << run.out;
    EXPECT_NE(run.out.find(row[2]), std::string::npos) << run.out;
    std::istringstream files(row[3]);
    for (std::string file; files >> file;)
      EXPECT_EQ(std::filesystem::exists(root + "/" + file.substr(1)), file[0] == '+') << file;
  }
  auto theirs = stocklib::LibraryManager::instance().open(dir.file("c/p.stocklib"), true);
  EXPECT_TRUE(theirs && !hasTag(theirs, "T"));
}

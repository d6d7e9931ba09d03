// Library paths: defaults per measurement system, the support folder, relative paths, and the
// reference-file lookup next to the drawing.
#include "DbDatabase.h"
#include "TestSupport.h"
#include "sl_db/LibraryPaths.h"

using namespace sl_db;

TEST(LibraryPaths, SupportFolderAndDefaults) {
  sltest::InstalledHooks hooks;
  OdDbDatabasePtr metric = odDbCreateDatabase(true);
  OdDbDatabasePtr imperial = odDbCreateDatabase(false);

  hooks.provider.setRoamableRootFolder(L"D:\\roam\\");
  EXPECT_EQ(hardcodedSecondaryLibraryPath(metric), L"D:/roam/Support/metric.stocklib");
  EXPECT_EQ(hardcodedSecondaryLibraryPath(imperial), L"D:/roam/Support/imperial.stocklib");
  EXPECT_EQ(hardcodedSecondaryLibraryPath(nullptr), L"D:/roam/Support/metric.stocklib");
  hooks.provider.setRoamableRootFolder(L"D:\\roam");
  EXPECT_EQ(initLibraryPath(nullptr), L"D:/roam/Support/stocklib.xml");
  EXPECT_EQ(unitsLibraryPath(imperial), L"D:/roam/Support/stocklib_units.xml");

  // Only the metric preference set: imperial drawings fall back to the built-in path.
  hooks.provider.setRoamableRootFolder(L"/r");
  hooks.provider.setDefaultStocklibMetric(L"C:\\libs\\mine.stocklib");
  EXPECT_EQ(defaultSecondaryLibraryPath(metric), L"C:\\libs\\mine.stocklib");
  EXPECT_EQ(defaultSecondaryLibraryPath(imperial), L"/r/Support/imperial.stocklib");

  storeDefaultSecondaryLibraryPath(L"/x.stocklib", nullptr);
  EXPECT_TRUE(hooks.provider.getDefaultStocklibMetric() == L"C:\\libs\\mine.stocklib" &&
              hooks.provider.getDefaultStocklibImperial().isEmpty());
  storeDefaultSecondaryLibraryPath(L"/imp.stocklib", imperial);
  EXPECT_EQ(hooks.provider.getDefaultStocklibImperial(), L"/imp.stocklib");
  EXPECT_EQ(hooks.provider.getDefaultStocklibMetric(), L"C:\\libs\\mine.stocklib");

  // Without a provider there are no preferences at all.
  DbPreferencesProvider::setInstance(nullptr);
  EXPECT_TRUE(defaultSecondaryLibraryPath(metric).isEmpty() &&
              hardcodedSecondaryLibraryPath(metric).isEmpty());
  EXPECT_TRUE(initLibraryPath(metric) == L"/stocklib.xml" &&
              unitsLibraryPath(metric) == L"/stocklib_units.xml");
  storeDefaultSecondaryLibraryPath(L"/y", metric);  // nothing to store into, no crash
}

TEST(LibraryPaths, JoinAndAbsolute) {
  EXPECT_EQ(detail::joinPath(L"", L"a"), L"/a");
  EXPECT_EQ(detail::joinPath(L"x\\y\\", L"a"), L"x/y/a");
  const OdString longName(L'n', 400);  // long paths are not cut
  const std::pair<OdString, OdString> absolute[] = {{L"lib/a.stocklib", L"/p/q/lib/a.stocklib"},
                                                    {L"..\\a.stocklib", L"/p/a.stocklib"},
                                                    {L"/abs/a.stocklib", L"/abs/a.stocklib"},
                                                    {longName, OdString(L"/p/q/") + longName}};
  for (const auto& [name, expected] : absolute)
    EXPECT_EQ(detail::absoluteLibraryPath(name, L"/p/q/d.sldrw"), expected);
}

TEST(FileFinder, FindsTheFileOrItsNameNextToTheDrawing) {
  sltest::ScratchDir dir;
  OdDbDatabasePtr db = odDbCreateDatabase(true);
  db->writeFile(dir.file("d.sldrw"));
  FileFinder finder;

  OdString found(L"untouched");
  EXPECT_FALSE(finder.findReferenceFile(found, nullptr, db) ||
               finder.findReferenceFile(found, L"x", nullptr) || found != L"untouched");
  // Not there, not next to the drawing.
  EXPECT_FALSE(finder.findReferenceFile(found, L"lib\\x.stocklib", db) || !found.isEmpty());

  // A path that does not exist: its name and extension in the drawing's folder. An existing path
  // as given, folders too. A relative path with folders: in the drawing's folder, wherever the
  // process runs, before a file of the same name beside the drawing.
  const OdString beside = dir.touch("x.stocklib"), deep = dir.touch("sub/y.stocklib"),
                 nested = dir.touch("sub/x.stocklib");
  const std::pair<OdString, OdString> cases[] = {{L"lib\\x.stocklib", beside},
                                                 {L"/elsewhere/x.stocklib", beside},
                                                 {deep, deep},
                                                 {dir.path(), dir.path()},
                                                 {L"sub/x.stocklib", nested}};
  for (const auto& [name, expected] : cases) {
    EXPECT_TRUE(finder.findReferenceFile(found, name.c_str(), db)) << name.toUtf8();
    EXPECT_EQ(found, expected);
  }

  // A drawing deep in folders (a path far over 260 characters) finds its neighbour.
  std::string deepFolder;
  for (int i = 0; i < 3; ++i)
    deepFolder += std::string(120, char('a' + i)) + "/";
  OdString neighbour = dir.touch((deepFolder + "z.stocklib").c_str());
  OdDbDatabasePtr deepDb = odDbCreateDatabase(true);
  deepDb->writeFile(dir.file((deepFolder + "d.sldrw").c_str()));
  EXPECT_GT(deepDb->getFilename().getLength(), 360);
  EXPECT_TRUE(finder.findReferenceFile(found, L"/nowhere/z.stocklib", deepDb) &&
              found == neighbour);
}

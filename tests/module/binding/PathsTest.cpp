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
  EXPECT_EQ(hooks.provider.getDefaultStocklibMetric(), L"C:\\libs\\mine.stocklib");
  EXPECT_TRUE(hooks.provider.getDefaultStocklibImperial().isEmpty());
  storeDefaultSecondaryLibraryPath(L"/imp.stocklib", imperial);
  EXPECT_EQ(hooks.provider.getDefaultStocklibImperial(), L"/imp.stocklib");
  EXPECT_EQ(hooks.provider.getDefaultStocklibMetric(), L"C:\\libs\\mine.stocklib");

  // Without a provider there are no preferences at all.
  DbPreferencesProvider::setInstance(nullptr);
  EXPECT_TRUE(defaultSecondaryLibraryPath(metric).isEmpty());
  EXPECT_TRUE(hardcodedSecondaryLibraryPath(metric).isEmpty());
  EXPECT_EQ(initLibraryPath(metric), L"/stocklib.xml");
  EXPECT_EQ(unitsLibraryPath(metric), L"/stocklib_units.xml");
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
  EXPECT_FALSE(finder.findReferenceFile(found, nullptr, db));
  EXPECT_FALSE(finder.findReferenceFile(found, L"x", nullptr));
  EXPECT_EQ(found, L"untouched");
  // Not there, not next to the drawing.
  EXPECT_FALSE(finder.findReferenceFile(found, L"lib\\x.stocklib", db));
  EXPECT_TRUE(found.isEmpty());

  // The name and extension of a path that does not exist, found in the drawing's folder.
  OdString beside = dir.touch("x.stocklib");
  EXPECT_TRUE(finder.findReferenceFile(found, L"lib\\x.stocklib", db));
  EXPECT_EQ(found, beside);
  EXPECT_TRUE(finder.findReferenceFile(found, L"/elsewhere/x.stocklib", db));
  EXPECT_EQ(found, beside);

  // An existing path is found as given, folders too.
  OdString deep = dir.touch("sub/y.stocklib");
  EXPECT_TRUE(finder.findReferenceFile(found, deep.c_str(), db));
  EXPECT_EQ(found, deep);
  EXPECT_TRUE(finder.findReferenceFile(found, dir.path().c_str(), db));
  // A relative path with folders is taken in the drawing's folder, wherever the process runs,
  // before a file of the same name beside the drawing.
  OdString nested = dir.touch("sub/x.stocklib");
  EXPECT_TRUE(finder.findReferenceFile(found, L"sub/x.stocklib", db));
  EXPECT_EQ(found, nested);

  // A drawing deep in folders (a path far over 260 characters) finds its neighbour.
  std::string deepFolder;
  for (int i = 0; i < 3; ++i)
    deepFolder += std::string(120, char('a' + i)) + "/";
  OdString neighbour = dir.touch((deepFolder + "z.stocklib").c_str());
  OdDbDatabasePtr deepDb = odDbCreateDatabase(true);
  deepDb->writeFile(dir.file((deepFolder + "d.sldrw").c_str()));
  EXPECT_GT(deepDb->getFilename().getLength(), 360);
  EXPECT_TRUE(finder.findReferenceFile(found, L"/nowhere/z.stocklib", deepDb));
  EXPECT_EQ(found, neighbour);
}

// ut::FileName: normal form, relative and absolute paths, folders, names and long paths.
#include "ut/FileName.h"

#include <gtest/gtest.h>

#include <string>

#include "DataRows.h"

using ut::FileName;

namespace {
FileName name(const wchar_t* path) {
  return FileName(OdString(path));
}
}  // namespace

TEST(FileName, NormalisesAndResolvesAgainstTheDrawingsFolder) {
  for (const auto& row : sltest::dataRows("filename-paths.txt", 3)) {
    SCOPED_TRACE(row[0]);
    FileName stored{OdString(row[0].c_str())};
    EXPECT_EQ(stored.isRelative(), row[0].empty() || (row[0][0] != '/' && row[0][0] != '\\'));
    if (!row[1].empty() && stored.isRelative())
      stored.makeAbsolute(FileName(OdString(row[1].c_str())).getPath(1));
    EXPECT_EQ(stored.getFullPath().toUtf8(), row[2]);
  }
  EXPECT_EQ(name(L"a/b").makeAbsolute(OdString()).getFullPath(), OdString(L"a/b"));
  EXPECT_EQ(name(L"a/b").makeAbsolute(OdString(L"top/")).getFullPath(), OdString(L"top/a/b"));
  EXPECT_EQ(FileName().makeAbsolute(OdString(L"/f")).getFullPath(), OdString(L"/f"));
}

TEST(FileName, ClimbsFoldersAndSplitsNames) {
  for (const auto& row : sltest::dataRows("filename-folders.txt", 4)) {
    FileName path{OdString(row[0].c_str())};
    EXPECT_EQ(path.getPath(std::stoi(row[1])).toUtf8(), row[2]) << row[0] << " up " << row[1];
    EXPECT_EQ(path.getExtension().toUtf8(), row[3]) << row[0];
  }
  EXPECT_EQ(name(L"/a/b/c.tar.gz").getName(), OdString(L"c.tar.gz"));

  // Far past 260 characters, every segment stays.
  OdString path, expected;
  for (int i = 0; i < 60; ++i) {
    path += OdString::formatted(L"\\folder%02d", i);
    if (i < 59) expected += OdString::formatted(L"/folder%02d", i);
  }
  FileName deep(path + L"\\..\\n\u00e9\U0001F600.txt");
  EXPECT_EQ(deep.getFullPath(), expected + L"/n\u00e9\U0001F600.txt");
  EXPECT_EQ(deep.getPath(1), expected);
}

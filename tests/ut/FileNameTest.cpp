// ut::FileName: normal form, relative and absolute paths, folders, names and long paths.
#include "ut/FileName.h"

#include <gtest/gtest.h>

using ut::FileName;

namespace {
FileName name(const wchar_t* path) {
  return FileName(OdString(path));
}
}  // namespace

TEST(FileName, NormalisesAndResolvesAgainstTheDrawingsFolder) {
  // Stored path, the drawing it is resolved against, what comes out.
  struct Case {
    const wchar_t *stored, *drawing;
    const char* full;
  } cases[] = {
      {L"C:\\roam\\Support\\", nullptr, "C:/roam/Support"},
      {L"\\\\a\\.\\b//c.txt", nullptr, "/a/b/c.txt"},
      {L"/a/b/../c/./d/..", nullptr, "/a/c"},
      {L"/../../a", nullptr, "/a"},
      {L"//", nullptr, "/"},
      {L"../a/../../b", nullptr, "../../b"},
      {L"a/..", nullptr, "."},
      {L"", nullptr, ""},
      {L"a/..b/c..", nullptr, "a/..b/c.."},  // dots inside names are names
      {L"lib\\x.stocklib", L"\\p\\q\\d.dwg", "/p/q/lib/x.stocklib"},
      {L"../shared/x.stocklib", L"/p/q/d.dwg", "/p/shared/x.stocklib"},
      {L"/abs//x.stocklib", L"/p/d.dwg", "/abs/x.stocklib"},
      {L"x.stocklib", L"/d.dwg", "/x.stocklib"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(OdString(c.stored).toUtf8());
    FileName stored = name(c.stored);
    EXPECT_EQ(stored.isRelative(), c.stored[0] != L'/' && c.stored[0] != L'\\');
    if (c.drawing && stored.isRelative()) stored.makeAbsolute(name(c.drawing).getPath(1));
    EXPECT_EQ(stored.getFullPath().toUtf8(), c.full);
  }
  EXPECT_EQ(name(L"a/b").makeAbsolute(OdString()).getFullPath(), OdString(L"a/b"));
  EXPECT_EQ(name(L"a/b").makeAbsolute(OdString(L"top/")).getFullPath(), OdString(L"top/a/b"));
  EXPECT_EQ(FileName().makeAbsolute(OdString(L"/f")).getFullPath(), OdString(L"/f"));
}

TEST(FileName, ClimbsFoldersAndSplitsNames) {
  FileName abs = name(L"/a/b/c.tar.gz");
  EXPECT_EQ(abs.getPath(1), OdString(L"/a/b"));
  EXPECT_EQ(abs.getPath(3), OdString(L"/"));
  EXPECT_EQ(abs.getPath(7), OdString(L"/"));
  EXPECT_EQ(abs.getPath(-2), OdString(L"/a/b/c.tar.gz"));
  EXPECT_EQ(abs.getName(), OdString(L"c.tar.gz"));
  EXPECT_EQ(abs.getExtension(), OdString(L"gz"));
  EXPECT_EQ(name(L"c.txt").getPath(3), OdString(L"../.."));
  EXPECT_EQ(name(L"../x").getPath(2), OdString(L"../.."));
  EXPECT_EQ(name(L"/a/.profile").getExtension(), OdString());
  EXPECT_EQ(name(L"/a.d/file").getExtension(), OdString());

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

// ut::FileName: normal form, relative and absolute paths, joining, folders, long paths.
#include "ut/FileName.h"

#include <gtest/gtest.h>

using ut::FileName;

namespace {
std::string full(const wchar_t* path) {
  return FileName(OdString(path)).getFullPath().toUtf8();
}
}  // namespace

TEST(FileName, NormalisesSeparatorsDotsAndTrailingSlashes) {
  EXPECT_EQ(full(L"C:\\roam\\Support\\"), "C:/roam/Support");
  EXPECT_EQ(full(L"/a//b///c.txt"), "/a/b/c.txt");
  EXPECT_EQ(full(L"\\\\a\\.\\b\\"), "/a/b");
  EXPECT_EQ(full(L"/a/b/../c/./d/.."), "/a/c");
  EXPECT_EQ(full(L"/../../a"), "/a");
  EXPECT_EQ(full(L"/"), "/");
  EXPECT_EQ(full(L"//"), "/");
  EXPECT_EQ(full(L"../a/../../b"), "../../b");
  EXPECT_EQ(full(L"a/.."), ".");
  EXPECT_EQ(full(L"./"), ".");
  EXPECT_EQ(full(L""), "");
  EXPECT_EQ(full(L"a/..b/c.."), "a/..b/c..");  // dots inside names are names
  EXPECT_EQ(FileName(OdString(L"\\x\\y")), FileName(OdString(L"/x/y/")));
}

TEST(FileName, RelativePathsLandInTheFolderAbsoluteOnesPassThrough) {
  EXPECT_TRUE(FileName(OdString(L"lib/x.stocklib")).isRelative());
  EXPECT_TRUE(FileName(OdString(L"")).isRelative());
  EXPECT_TRUE(FileName(OdString(L"..")).isRelative());
  EXPECT_FALSE(FileName(OdString(L"/lib/x.stocklib")).isRelative());
  EXPECT_FALSE(FileName(OdString(L"\\lib")).isRelative());

  // How a library path stored in a drawing is resolved against the drawing's own file.
  auto resolve = [](const wchar_t* stored, const wchar_t* drawing) {
    FileName name{OdString(stored)};
    if (name.isRelative()) name.makeAbsolute(FileName(OdString(drawing)).getPath(1));
    return name.getFullPath().toUtf8();
  };
  EXPECT_EQ(resolve(L"x.stocklib", L"/p/d.dwg"), "/p/x.stocklib");
  EXPECT_EQ(resolve(L"lib\\x.stocklib", L"\\p\\q\\d.dwg"), "/p/q/lib/x.stocklib");
  EXPECT_EQ(resolve(L"../shared/x.stocklib", L"/p/q/d.dwg"), "/p/shared/x.stocklib");
  EXPECT_EQ(resolve(L"/abs//x.stocklib", L"/p/d.dwg"), "/abs/x.stocklib");
  EXPECT_EQ(resolve(L"x.stocklib", L"/d.dwg"), "/x.stocklib");

  FileName relative(OdString(L"a/b"));
  EXPECT_EQ(relative.makeAbsolute(OdString()).getFullPath(), OdString(L"a/b"));
  EXPECT_EQ(relative.makeAbsolute(OdString(L"top/")).getFullPath(), OdString(L"top/a/b"));
  EXPECT_TRUE(relative.isRelative());
  EXPECT_EQ(FileName().makeAbsolute(OdString(L"/f")).getFullPath(), OdString(L"/f"));
}

TEST(FileName, ClimbsFoldersAndSplitsNames) {
  FileName abs(OdString(L"/a/b/c.tar.gz"));
  EXPECT_EQ(abs.getPath(0), OdString(L"/a/b/c.tar.gz"));
  EXPECT_EQ(abs.getPath(1), OdString(L"/a/b"));
  EXPECT_EQ(abs.getPath(3), OdString(L"/"));
  EXPECT_EQ(abs.getPath(7), OdString(L"/"));
  EXPECT_EQ(abs.getPath(-2), OdString(L"/a/b/c.tar.gz"));
  EXPECT_EQ(abs.getName(), OdString(L"c.tar.gz"));
  EXPECT_EQ(abs.getExtension(), OdString(L"gz"));

  FileName rel(OdString(L"c.txt"));
  EXPECT_EQ(rel.getPath(1), OdString(L"."));
  EXPECT_EQ(rel.getPath(3), OdString(L"../.."));
  EXPECT_EQ(FileName(OdString(L"../x")).getPath(2), OdString(L"../.."));
  EXPECT_EQ(FileName().getPath(1), OdString());

  EXPECT_EQ(FileName(OdString(L"/")).getName(), OdString());
  EXPECT_EQ(FileName(OdString(L"/a/.profile")).getExtension(), OdString());
  EXPECT_EQ(FileName(OdString(L"/a.d/file")).getExtension(), OdString());
}

TEST(FileName, LongPathsKeepEverySegment) {
  OdString path;
  for (int i = 0; i < 60; ++i)
    path += OdString::formatted(L"\\folder%02d", i);
  path += L"\\..\\name\u00e9\U0001F600.txt";
  FileName name(path);
  OdString full = name.getFullPath();
  EXPECT_GT(full.getLength(), 500);
  EXPECT_EQ(full.left(18), OdString(L"/folder00/folder01"));
  OdString tail(L"/folder58/name\u00e9\U0001F600.txt");
  EXPECT_EQ(full.right(tail.getLength()), tail);
  EXPECT_EQ(name.getPath(1).right(9), OdString(L"/folder58"));
}

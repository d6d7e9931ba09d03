// ut::fileExists, ut::copyFile and ut::removeFile on real files in a temporary folder.
#include "ut/FileUtils.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "ScratchDir.h"

namespace {

class Files : public testing::Test {
 protected:
  std::string path(const std::string& name) const { return dir.file(name.c_str()).toUtf8(); }
  OdString od(const std::string& name) const { return dir.file(name.c_str()); }

  static void write(const std::string& file, const std::string& bytes) {
    std::ofstream out(file, std::ios::binary);
    out << bytes;
  }
  static std::string read(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  // The names in the folder, so that a test can see that no temporary file stayed.
  std::set<std::string> entries() const {
    std::set<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir.path().toUtf8()))
      names.insert(e.path().filename().string());
    return names;
  }

  testsupport::ScratchDir dir;
};

std::string someBytes(std::size_t size) {
  std::string bytes(size, '\0');
  unsigned state = 12345;
  for (char& c : bytes) {
    state = state * 1103515245u + 12345u;
    c = static_cast<char>(state >> 24);
  }
  return bytes;
}

}  // namespace

TEST_F(Files, ExistenceOfFilesAndFoldersAndRemovingFilesOnly) {
  write(path("f\xc3\xa9.txt"), "x");
  ASSERT_EQ(mkdir(path("sub").c_str(), 0755), 0);
  ASSERT_EQ(symlink(path("gone").c_str(), path("dangling").c_str()), 0);
  EXPECT_TRUE(ut::fileExists(OdString::fromUtf8(path("f\xc3\xa9.txt"))));
  EXPECT_TRUE(ut::fileExists(od("sub")));
  EXPECT_TRUE(ut::fileExists(od("sub/")));
  EXPECT_FALSE(ut::fileExists(od("missing")));
  EXPECT_FALSE(ut::fileExists(od("dangling")));
  EXPECT_FALSE(ut::fileExists(OdString()));

  EXPECT_TRUE(ut::removeFile(OdString::fromUtf8(path("f\xc3\xa9.txt"))));
  EXPECT_FALSE(ut::fileExists(OdString::fromUtf8(path("f\xc3\xa9.txt"))));
  EXPECT_FALSE(ut::removeFile(OdString::fromUtf8(path("f\xc3\xa9.txt"))));
  EXPECT_FALSE(ut::removeFile(od("sub")));
  EXPECT_TRUE(ut::fileExists(od("sub")));
  EXPECT_FALSE(ut::removeFile(OdString()));
}

TEST_F(Files, CopyPlacesACompleteCopyAndHonoursOverwrite) {
  const std::string bytes = someBytes(3 * 1000 * 1000 + 7);
  write(path("source.bin"), bytes);
  ASSERT_EQ(chmod(path("source.bin").c_str(), 0640), 0);

  ASSERT_TRUE(ut::copyFile(od("source.bin"), od("target.bin"), false));
  EXPECT_EQ(read(path("target.bin")), bytes);
  struct stat st {};
  ASSERT_EQ(stat(path("target.bin").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);

  // An existing target is refused without overwrite and left as it was.
  write(path("other.bin"), "old");
  EXPECT_FALSE(ut::copyFile(od("source.bin"), od("other.bin"), false));
  EXPECT_EQ(read(path("other.bin")), "old");
  EXPECT_TRUE(ut::copyFile(od("source.bin"), od("other.bin"), true));
  EXPECT_EQ(read(path("other.bin")), bytes);

  // Empty files and copying a file onto itself.
  write(path("empty"), "");
  EXPECT_TRUE(ut::copyFile(od("empty"), od("empty2"), false));
  EXPECT_EQ(read(path("empty2")), "");
  EXPECT_TRUE(ut::copyFile(od("source.bin"), od("source.bin"), true));
  EXPECT_EQ(read(path("source.bin")), bytes);

  EXPECT_EQ(entries(),
            (std::set<std::string>{"source.bin", "target.bin", "other.bin", "empty", "empty2"}));
}

TEST_F(Files, FailedCopiesLeaveNoPartialFile) {
  write(path("source"), "data");
  ASSERT_EQ(mkdir(path("folder").c_str(), 0755), 0);
  const std::set<std::string> before = entries();

  EXPECT_FALSE(ut::copyFile(od("missing"), od("t1"), true));
  EXPECT_FALSE(ut::copyFile(od("folder"), od("t2"), true));
  EXPECT_FALSE(ut::copyFile(od("source"), od("no/such/folder/t3"), true));
  EXPECT_FALSE(ut::copyFile(od("source"), od("folder"), true));  // a folder is not replaced
  EXPECT_FALSE(ut::copyFile(OdString(), od("t4"), true));
  EXPECT_FALSE(ut::copyFile(od("source"), OdString(), true));
  // A source whose reading fails at once (the process's memory at address 0).
  EXPECT_FALSE(ut::copyFile(OdString(L"/proc/self/mem"), od("t5"), true));

  EXPECT_EQ(entries(), before);
  EXPECT_TRUE(ut::fileExists(od("folder")));
}

TEST_F(Files, PathsLongerThan260Characters) {
  std::string deep = dir.path().toUtf8();
  for (int i = 0; i < 12; ++i)
    deep += "/a_rather_long_folder_name_number_" + std::to_string(i);
  ASSERT_TRUE(std::filesystem::create_directories(deep));
  ASSERT_GT(deep.size(), 400u);
  write(path("short"), "payload");
  OdString target = OdString::fromUtf8(deep + "/copied.txt");
  EXPECT_TRUE(ut::copyFile(od("short"), target, false));
  EXPECT_TRUE(ut::fileExists(target));
  EXPECT_EQ(read(deep + "/copied.txt"), "payload");
  EXPECT_TRUE(ut::removeFile(target));
  EXPECT_FALSE(ut::fileExists(target));
}

// ut::fileExists, ut::copyFile and ut::removeFile on real files in a temporary folder.
#include "ut/FileUtils.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "ScratchDir.h"

namespace {

class Files : public testing::Test {
 protected:
  OdString od(const std::string& name) const { return dir.file(name.c_str()); }
  std::string path(const std::string& name) const { return od(name).toUtf8(); }
  void write(const std::string& name, const std::string& bytes) const {
    std::ofstream(path(name), std::ios::binary) << bytes;
  }
  std::string read(const std::string& name) const {
    std::stringstream s;
    s << std::ifstream(path(name), std::ios::binary).rdbuf();
    return s.str();
  }
  // The entries of the folder, so that a test can see that no temporary file stayed.
  long entries() const { return std::distance(std::filesystem::directory_iterator(path("")), {}); }

  testsupport::ScratchDir dir;
};

}  // namespace

TEST_F(Files, ExistenceAndFailedCopiesAndRemovalsThatLeaveEverythingAsItWas) {
  const std::string source = "f\xc3\xa9.txt";
  write(source, "data");
  ASSERT_EQ(mkdir(path("folder").c_str(), 0755), 0);
  ASSERT_EQ(symlink(path("gone").c_str(), path("dangling").c_str()), 0);
  EXPECT_TRUE(ut::fileExists(od(source)) && ut::fileExists(od("folder/")));
  EXPECT_FALSE(ut::fileExists(od("dangling")) || ut::fileExists(OdString()));
  // Missing, a folder, into a missing folder, over a folder, empty paths, and a source whose
  // reading fails at once (the process's memory at address 0).
  const std::pair<OdString, OdString> refused[] = {{od("missing"), od("t1")},
                                                   {od("folder"), od("t2")},
                                                   {od(source), od("no/such/t3")},
                                                   {od(source), od("folder")},
                                                   {OdString(), od("t4")},
                                                   {od(source), OdString()},
                                                   {OdString(L"/proc/self/mem"), od("t5")}};
  for (const auto& [from, to] : refused)
    EXPECT_FALSE(ut::copyFile(from, to, true)) << from.toUtf8() << " to " << to.toUtf8();
  EXPECT_EQ(entries(), 3);  // no partial copy stayed
  EXPECT_FALSE(ut::removeFile(od("folder")));
  EXPECT_TRUE(ut::fileExists(od("folder")));
  EXPECT_TRUE(ut::removeFile(od(source)));
  EXPECT_FALSE(ut::fileExists(od(source)) || ut::removeFile(od(source)));
}

TEST_F(Files, CopyPlacesACompleteCopyAndHonoursOverwrite) {
  std::string bytes(3 * 1000 * 1000 + 7, '\0');
  for (std::size_t i = 0; i < bytes.size(); ++i)
    bytes[i] = static_cast<char>(i * 131 + i / 977);
  write("source", bytes);
  ASSERT_EQ(chmod(path("source").c_str(), 0640), 0);
  ASSERT_TRUE(ut::copyFile(od("source"), od("target"), false));
  EXPECT_EQ(read("target"), bytes);
  struct stat st {};
  ASSERT_EQ(stat(path("target").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  // An existing target is refused without overwrite and left as it was.
  write("other", "old");
  EXPECT_FALSE(ut::copyFile(od("source"), od("other"), false));
  EXPECT_EQ(read("other"), "old");
  EXPECT_TRUE(ut::copyFile(od("source"), od("other"), true));
  EXPECT_EQ(read("other"), bytes);
  EXPECT_TRUE(ut::copyFile(od("source"), od("source"), true));
  EXPECT_EQ(read("source"), bytes);
  write("empty", "");
  EXPECT_TRUE(ut::copyFile(od("empty"), od("target"), true));
  EXPECT_EQ(read("target"), "");
  EXPECT_EQ(entries(), 4);
}

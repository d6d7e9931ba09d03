// The command-line host's library commands, run as a user runs them: exit codes, the one-line
// failures, and a drawing saved only when its libraries changed.
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>

#include "TestSupport.h"

namespace {

struct Outcome {
  int rc;
  std::string out;
};

/// Runs sldb with `args` in `folder`, stdout and stderr together.
Outcome sldb(const std::string& folder, const std::string& args) {
  // The leak checker's thread tracer cannot walk the thread-local storage of modules unloaded
  // before exit, and sldb unloads its modules; leaks are checked in this process instead.
  std::string command = "cd '" + folder + "' && ASAN_OPTIONS=\"$ASAN_OPTIONS:detect_leaks=0\" " +
                        SLDB_TOOL_PATH + " --roaming '" + folder + "' " + args + " 2>&1";
  Outcome run{-1, {}};
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return run;
  char buffer[512];
  while (std::fgets(buffer, sizeof buffer, pipe))
    run.out += buffer;
  int status = pclose(pipe);
  run.rc = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

int lines(const std::string& text) {
  return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

}  // namespace

TEST(Tool, LibraryCommandsBindADrawingAndSaveOnlyOnChange) {
  sltest::ScratchDir dir;
  const std::string d = dir.path().toUtf8();
  ASSERT_EQ(sldb(d, "new d.dwg").rc, 0);
  auto stamp = [&] { return std::filesystem::last_write_time(d + "/d.dwg"); };

  Outcome init = sldb(d, "init d.dwg");
  EXPECT_EQ(init.rc, 0) << init.out;
  EXPECT_NE(init.out.find("saved"), std::string::npos);
  auto before = stamp();
  Outcome again = sldb(d, "init d.dwg");
  EXPECT_EQ(again.rc, 0);
  EXPECT_EQ(again.out.find("saved"), std::string::npos);
  EXPECT_EQ(stamp(), before);

  EXPECT_EQ(sldb(d, "add-secondary d.dwg sec.stocklib").rc, 0);
  Outcome verbose = sldb(d, "--verbose set-primary d.dwg p.stocklib");
  EXPECT_EQ(verbose.rc, 0) << verbose.out;
  EXPECT_NE(verbose.out.find("event: primary received a copy"), std::string::npos);
  Outcome info = sldb(d, "info d.dwg");
  EXPECT_NE(info.out.find("primary:   p.stocklib"), std::string::npos) << info.out;
  EXPECT_NE(info.out.find("secondary: sec.stocklib"), std::string::npos) << info.out;
  Outcome list = sldb(d, "list d.dwg property-namespace --from primary");
  EXPECT_EQ(list.out, "p.stocklib:\n  User\n");

  EXPECT_EQ(sldb(d, "move-primary d.dwg moved.stocklib").rc, 0);
  EXPECT_TRUE(std::filesystem::exists(d + "/moved.stocklib"));
  EXPECT_FALSE(std::filesystem::exists(d + "/p.stocklib"));
  EXPECT_EQ(sldb(d, "close-secondary d.dwg sec.stocklib").rc, 0);

  // Each failure is one line and a non-zero exit, and the drawing is left alone.
  before = stamp();
  for (const char* bad :
       {"info missing.dwg", "init missing.dwg", "list d.dwg material", "fetch d.dwg tag nothing",
        "move-primary d.dwg sec.stocklib", "move-primary d.dwg absent.stocklib --repoint",
        "close-secondary d.dwg sec.stocklib", "set-primary d.dwg /no/such/folder/x.stocklib",
        "add-secondary d.dwg moved.stocklib"}) {
    Outcome r = sldb(d, bad);
    EXPECT_NE(r.rc, 0) << bad;
    EXPECT_EQ(lines(r.out), 1) << bad << ": " << r.out;
  }
  EXPECT_EQ(stamp(), before);
}

TEST(Tool, DemoFetchesFromTheDefaultLibraryIntoAnEmbeddedPrimary) {
  sltest::ScratchDir dir;
  Outcome demo = sldb(dir.path().toUtf8(), "demo");
  EXPECT_EQ(demo.rc, 0) << demo.out;
  EXPECT_NE(demo.out.find("library record: embedded primary"), std::string::npos) << demo.out;
  EXPECT_NE(demo.out.find("1 layer, 1 tag"), std::string::npos) << demo.out;
  EXPECT_NE(demo.out.find("3 layer, 2 tag"), std::string::npos) << demo.out;
}

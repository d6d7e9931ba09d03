// The command-line host's library commands, run as a user runs them: exit codes, the one-line
// failures, and a drawing saved only when its libraries changed.
#include <sqlite3.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>

#include "TestSupport.h"
#include "stocklib/Library.h"
#include "stocklib/Objects.h"

namespace {

struct Outcome {
  int rc;
  std::string out;
};

/// The root folder of the shipped support data of the build.
std::string shippedRoot() {
  return std::filesystem::path(SL_SUPPORT_DIR).parent_path().string();
}

/// Runs sldb with `args` in `folder`, with the roaming root `roaming` (default: `folder`),
/// stdout and stderr together.
Outcome sldb(const std::string& folder, const std::string& args, std::string roaming = {}) {
  if (roaming.empty()) roaming = folder;
  // The leak checker's thread tracer cannot walk the thread-local storage of modules unloaded
  // before exit, and sldb unloads its modules; leaks are checked in this process instead.
  std::string command = "cd '" + folder + "' && ASAN_OPTIONS=\"$ASAN_OPTIONS:detect_leaks=0\" " +
                        SLDB_TOOL_PATH + " --roaming '" + roaming + "' " + args + " 2>&1";
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
       {"info missing.dwg", "init missing.dwg", "list d.dwg beam", "fetch d.dwg tag nothing",
        "move-primary d.dwg sec.stocklib", "move-primary d.dwg absent.stocklib --repoint",
        "close-secondary d.dwg sec.stocklib", "set-primary d.dwg /no/such/folder/x.stocklib",
        "add-secondary d.dwg moved.stocklib"}) {
    Outcome r = sldb(d, bad);
    EXPECT_NE(r.rc, 0) << bad;
    EXPECT_EQ(lines(r.out), 1) << bad << ": " << r.out;
  }
  EXPECT_EQ(stamp(), before);
}

TEST(Tool, MaterialsAndProfilesAreListedAndFetchedByTheirNames) {
  sltest::ScratchDir dir;
  const std::string d = dir.path().toUtf8();
  const std::string shipped = shippedRoot();
  ASSERT_EQ(sldb(d, "new d.dwg").rc, 0);
  ASSERT_EQ(sldb(d, "init d.dwg", shipped).rc, 0);

  Outcome materials = sldb(d, "list d.dwg material --from secondaries", shipped);
  EXPECT_NE(materials.out.find("\n  Concrete C30/37\n"), std::string::npos) << materials.out;
  Outcome profiles = sldb(d, "list d.dwg profile --from secondaries", shipped);
  EXPECT_NE(profiles.out.find("\n  EN 10365 HEA 200\n"), std::string::npos) << profiles.out;

  // A profile is found by standard, name and size, also when the standard's name has spaces.
  Outcome fetch = sldb(d, "fetch d.dwg profile 'EN 10365 HEA 200'", shipped);
  EXPECT_EQ(fetch.rc, 0) << fetch.out;
  EXPECT_NE(fetch.out.find("saved d.dwg"), std::string::npos) << fetch.out;
  EXPECT_EQ(sldb(d, "fetch d.dwg material 'Concrete C30/37'", shipped).rc, 0);
  Outcome inPrimary = sldb(d, "list d.dwg profile --from primary", shipped);
  EXPECT_NE(inPrimary.out.find(":\n  EN 10365 HEA 200\n"), std::string::npos) << inPrimary.out;
  Outcome again = sldb(d, "fetch d.dwg profile 'EN 10365 HEA 200'", shipped);
  EXPECT_EQ(again.rc, 0);
  EXPECT_EQ(again.out.find("saved"), std::string::npos) << "already in the primary: " << again.out;
  Outcome info = sldb(d, "info d.dwg", shipped);
  EXPECT_NE(info.out.find("1 profile"), std::string::npos) << info.out;

  // Without a default library (none in the scratch folder), a new drawing has none at all.
  ASSERT_EQ(sldb(d, "new bare.dwg").rc, 0);
  for (const char* bad : {"list bare.dwg material", "fetch bare.dwg material 'Concrete C30/37'"}) {
    Outcome r = sldb(d, bad);
    EXPECT_NE(r.rc, 0) << bad;
    EXPECT_EQ(lines(r.out), 1) << bad << ": " << r.out;
  }
  for (const char* bad : {"fetch d.dwg profile 'EN 10365 HEA 999'", "fetch d.dwg profile HEA",
                          "fetch d.dwg property-set Anything", "fetch d.dwg beam 'HEA 200'",
                          "fetch d.dwg material 'Concrete C99/99'"}) {
    Outcome r = sldb(d, bad, shipped);
    EXPECT_NE(r.rc, 0) << bad;
    EXPECT_EQ(lines(r.out), 1) << bad << ": " << r.out;
  }
}

TEST(Tool, LanguageNamesTheObjectsOfNewLibraries) {
  sltest::ScratchDir dir;
  const std::string d = dir.path().toUtf8();
  const std::string shipped = shippedRoot();
  ASSERT_EQ(sldb(d, "new d.dwg").rc, 0);
  Outcome german = sldb(d, "--lang de set-primary d.dwg p.stocklib", shipped);
  ASSERT_EQ(german.rc, 0) << german.out;
  auto library =
      stocklib::LibraryManager::instance().open(OdString::fromUtf8(d + "/p.stocklib"), true);
  ASSERT_TRUE(library);
  auto user = library->get<stocklib::PropertyNamespace>(stocklib::NameKey(OdString(L"User")));
  ASSERT_TRUE(user);
  EXPECT_EQ(user->label(), OdString(L"Benutzer"));

  for (const char* bad : {"--lang xx init d.dwg", "--lang ../../de init d.dwg", "--lang"}) {
    Outcome r = sldb(d, bad, shipped);
    EXPECT_NE(r.rc, 0) << bad;
    EXPECT_EQ(lines(r.out), 1) << bad << ": " << r.out;
  }
}

TEST(Tool, DemoFetchesAMaterialAndAProfileIntoAnEmbeddedPrimary) {
  sltest::ScratchDir dir;
  Outcome demo = sldb(dir.path().toUtf8(), "demo", shippedRoot());
  EXPECT_EQ(demo.rc, 0) << demo.out;
  EXPECT_NE(demo.out.find("library record: embedded primary"), std::string::npos) << demo.out;
  EXPECT_NE(demo.out.find("fetched the material 'Concrete C30/37' and the profile"),
            std::string::npos)
      << demo.out;
  // The profile's copy keeps the shipped dimensions, and survives the save and reload.
  EXPECT_NE(demo.out.find("height 190 width 200"), std::string::npos) << demo.out;
  EXPECT_NE(demo.out.find("(embedded)\n      unit mm, writable\n      holds"), std::string::npos)
      << demo.out;
  EXPECT_NE(demo.out.find(" 1 profile"), std::string::npos) << demo.out;
}

TEST(Tool, HostileLibrariesAreRefusedInOneLineAndNothingChanges) {
  sltest::ScratchDir dir;
  const std::string d = dir.path().toUtf8();
  ASSERT_EQ(sldb(d, "new d.dwg").rc, 0);
  ASSERT_EQ(sldb(d, "init d.dwg").rc, 0);
  auto make = [&](const char* name, const char* sql) {
    {
      auto lib = stocklib::LibraryManager::instance().create(OdString::fromUtf8(d + "/" + name),
                                                             stocklib::kLibraryUnitMillimeter, L"");
      ASSERT_TRUE(lib);
      stocklib::Tag::create(L"T")->save(lib);
    }
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((d + "/" + name).c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sql;
    sqlite3_close(db);
  };
  // A trigger that eats every new object, and a library whose tag lost its object entry.
  make("trigger.stocklib",
       "CREATE TRIGGER eat AFTER INSERT ON objects BEGIN DELETE FROM objects WHERE id=new.id; END");
  make("orphan.stocklib", "PRAGMA foreign_keys=OFF; DELETE FROM objects");
  auto stamp = std::filesystem::last_write_time(d + "/d.dwg");
  for (const auto& [file, named] :
       {std::pair<const char*, const char*>{"trigger.stocklib", "trigger eat"},
        {"orphan.stocklib", "Tag rows of no object"}}) {
    Outcome r = sldb(d, std::string("set-primary d.dwg ") + file);
    EXPECT_EQ(r.rc, 1) << r.out;
    EXPECT_EQ(lines(r.out), 1) << r.out;
    EXPECT_NE(r.out.find(named), std::string::npos) << r.out;
  }
  EXPECT_EQ(std::filesystem::last_write_time(d + "/d.dwg"), stamp);
  Outcome info = sldb(d, "info d.dwg");
  EXPECT_NE(info.out.find("embedded"), std::string::npos) << info.out;
}

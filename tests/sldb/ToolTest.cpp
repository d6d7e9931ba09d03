// The command-line host's library commands, run as a user runs them: exit codes, the one-line
// failures, and a drawing saved only when its libraries changed.
#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "SldbRun.h"
#include "TestSupport.h"
#include "sl_db/ProfileNames.h"
#include "stocklib/Library.h"
#include "stocklib/Objects.h"

using namespace sldbtest;

TEST(Tool, LibraryCommandsBindADrawingAndSaveOnlyOnChange) {
  Drawing w(false);
  // Hostile libraries: a trigger that eats every new object, a tag that lost its object entry.
  auto make = [&](const char* name, const char* sql) {
    {
      auto lib = stocklib::LibraryManager::instance().create(OdString::fromUtf8(w.d + "/" + name),
                                                             stocklib::kLibraryUnitMillimeter, L"");
      ASSERT_TRUE(lib);
      stocklib::Tag::create(L"T")->save(lib);
    }
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((w.d + "/" + name).c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sql;
    sqlite3_close(db);
  };
  make("trigger.stocklib",
       "CREATE TRIGGER eat AFTER INSERT ON objects BEGIN DELETE FROM objects WHERE id=new.id; END");
  make("orphan.stocklib", "PRAGMA foreign_keys=OFF; DELETE FROM objects");
  const auto before = w.stamp();
  EXPECT_EQ(runTable(w, "library.txt", {{"$D", w.d}}), 27);
  EXPECT_TRUE(std::filesystem::exists(w.d + "/moved.stocklib"));
  EXPECT_FALSE(std::filesystem::exists(w.d + "/p.stocklib"));
  EXPECT_NE(w.stamp(), before);
  // The language names the objects of a new library.
  ASSERT_EQ(sldb(w.d, "--lang de set-primary bare.dwg de.stocklib --create", shippedRoot()).rc, 0);
  auto library =
      stocklib::LibraryManager::instance().open(OdString::fromUtf8(w.d + "/de.stocklib"), true);
  ASSERT_TRUE(library);
  auto user = library->get<stocklib::PropertyNamespace>(stocklib::NameKey(OdString(L"User")));
  ASSERT_TRUE(user);
  EXPECT_EQ(user->label(), OdString(L"Benutzer"));
}

TEST(Tool, ProfilesAndMaterialsAreListedFetchedMeasuredAndDrawn) {
  Drawing w;
  EXPECT_EQ(runTable(w, "profiles.txt"), 9);
  const std::string profiles = w.run("list d.dwg profile --from secondaries").out;
  auto at = [&](const char* name) { return profiles.find(std::string("\n  ") + name + "\n"); };
  EXPECT_LT(at("EN 10365 IPE 600"), at("Round column 300"));
  // The JSON documents hold the text's figures.
  Outcome info = w.run("info d.dwg");
  const nlohmann::json infoJson = nlohmann::json::parse(w.run("info d.dwg --json").out);
  EXPECT_TRUE(has(info.out, "objects:     " + infoJson["objects"].dump() + "\n"));
  EXPECT_EQ(infoJson["record"]["state"], "embedded");
  EXPECT_EQ(infoJson["libraries"][0]["holds"]["profile"], 2) << infoJson.dump();
  EXPECT_TRUE(has(info.out, infoJson["libraries"][0]["holds"]["material"].dump() + " material"))
      << infoJson.dump();
  const nlohmann::json listed =
      nlohmann::json::parse(w.run("list d.dwg profile --from secondaries --json").out);
  EXPECT_EQ(static_cast<int>(listed["libraries"][0]["names"].size()) + 1, lines(profiles));

  // The published HEA 200 (53.8 cm2, 3690 cm4, 430 cm3 plastic), 42.3 kg/m of the library's
  // steel, found as typed; in millimetres when asked.
  nlohmann::json section = nlohmann::json::parse(w.run("section d.dwg hea200 --json").out);
  auto value = [&](const char* key) { return section.value(key, -1.0); };
  EXPECT_EQ(section["profile"], "EN 10365 HEA 200") << section.dump();
  EXPECT_EQ(section["units"]["second_moment_y"], "cm4") << section.dump();
  EXPECT_NEAR(value("area"), 53.8, 0.27);
  EXPECT_NEAR(value("second_moment_y"), 3690, 20);
  EXPECT_NEAR(value("plastic_modulus_y"), 430, 2.2);
  EXPECT_NEAR(value("elastic_modulus_y"), value("second_moment_y") / 9.5, 1e-9);
  EXPECT_NEAR(value("mass_per_length"), 42.3, 0.2);
  section = nlohmann::json::parse(
      w.run("section d.dwg 'EN 10365 HEA 200' --json --unit mm --density 1000").out);
  EXPECT_NEAR(value("area"), 5380, 27);
  EXPECT_NEAR(value("mass_per_length"), value("area") * 1e-3, 1e-9);
  // US shapes in inches with their axes named x and y, and pounds per foot.
  ASSERT_EQ(w.run("new i.dwg --imperial").rc + w.run("init i.dwg").rc, 0);
  section = nlohmann::json::parse(w.run("section i.dwg W14x90 --json").out);
  EXPECT_EQ(section["unit"], "in");
  EXPECT_EQ(section["axes"]["y"], "x");
  EXPECT_NEAR(value("mass_per_length"), 90, 1.8);
  EXPECT_TRUE(has(w.run("section i.dwg W14x90").out, "\n  Zx "));
  std::ifstream in(w.d + "/hea.svg");
  std::string svg((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_TRUE(has(svg, "<svg xmlns=\"http://www.w3.org/2000/svg\""));

  // The module's parser of full names, on the shipped catalogue: only a whole, exact name.
  auto metric = stocklib::LibraryManager::instance().open(
      OdString::fromUtf8(std::string(SL_SUPPORT_DIR) + "/metric.stocklib"), true);
  ASSERT_TRUE(metric);
  for (const char* text : {"", "EN 10365 HEA", "HEA 200", "en 10365 hea 200", "EN 10365 HEA 200 "})
    EXPECT_FALSE(sl_db::parseProfileKey(*metric, OdString::fromUtf8(text))) << text;
  std::optional<stocklib::ProfileKey> key = sl_db::parseProfileKey(*metric, L"EN 10365 HEA 200");
  ASSERT_TRUE(key);
  EXPECT_EQ(key->standard() + L"|" + key->name() + L"|" + key->size(), L"EN 10365|HEA|200");
}

// The command lines of data/commands.txt, each with its exit code and the texts it prints.
TEST(Tool, HelpForTheHostAndEachCommandAndOneLineForWrongUsage) {
  Drawing w;
  const std::string line = w.line(), circle = w.run("add-entity d.dwg circle 0,0,0 5").data;
  const auto before = w.stamp();
  EXPECT_GT(runTable(w, "commands.txt",
                     {{"$LINE", line},
                      {"$CIRCLE", circle.substr(0, circle.size() - 1)},
                      {"$DATA", SL_TEST_DATA_DIR},
                      {"$TESTMODULE", SDK_TEST_MODULE},
                      {"$MODULE", SLDB_MODULE_PATH},
                      {"$NOENTRY", SDK_TEST_NOENTRY}}),
            60);
  EXPECT_EQ(w.stamp(), before);
  const std::string help = w.run("--help").out;
  EXPECT_TRUE(w.run("help").out == help && w.run("").out == help) << help;
  for (const char* file : {"n.dwg", "x.svg", "ofice.stocklib"})
    EXPECT_FALSE(std::filesystem::exists(w.d + "/" + file)) << file;
}

TEST(Tool, PropertyValuesAreSetListedResetAndRefused) {
  Drawing w;  // seeded from the shipped support files
  const std::string line = w.line();
  // add-entity prints the handle and nothing else.
  Outcome added = w.run("add-entity d.dwg circle 0,0,0 5");
  EXPECT_TRUE(added.status.empty() && lines(added.out) == 1) << added.out;
  EXPECT_EQ(runTable(w, "values.txt", {{"$LINE", line}}), 11);
  ASSERT_EQ(w.run("set-prop d.dwg " + line + " Thickness~Geometry 200").rc, 0);
  const nlohmann::json json = nlohmann::json::parse(w.run("props d.dwg " + line + " --json").out);
  ASSERT_EQ(json["properties"].size(), 5u) << json.dump();
  auto property = [&](int i) { return json["properties"][i]; };
  EXPECT_EQ(property(0)["value"], 200.0);
  EXPECT_EQ(property(0)["source"], "stored");
  EXPECT_EQ(property(2)["value"], false);
  EXPECT_TRUE(property(4)["value"].is_null());
  EXPECT_EQ(property(4)["result"], "TypeMismatch");
}

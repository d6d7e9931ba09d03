// The command-line host's library commands, run as a user runs them: exit codes, the one-line
// failures, and a drawing saved only when its libraries changed.
#include <sqlite3.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "SldbRun.h"
#include "TestSupport.h"
#include "sl_db/ProfileNames.h"
#include "stocklib/Library.h"
#include "stocklib/Objects.h"

using sldbtest::expectRefused;
using sldbtest::expectShows;
using sldbtest::has;
using sldbtest::lines;
using sldbtest::Outcome;
using sldbtest::shippedRoot;
using sldbtest::sldb;

TEST(Tool, LibraryCommandsBindADrawingAndSaveOnlyOnChange) {
  sldbtest::Drawing w(false);
  const auto before = w.stamp();
  EXPECT_EQ(sldbtest::runTable(w, "library.txt", {{"$D", w.d}}), 21);
  EXPECT_TRUE(std::filesystem::exists(w.d + "/moved.stocklib"));
  EXPECT_FALSE(std::filesystem::exists(w.d + "/p.stocklib"));
  EXPECT_NE(w.stamp(), before);
}

TEST(Tool, MaterialsAndProfilesAreListedAndFetchedByTheirNames) {
  sldbtest::Drawing w;
  const std::string profiles = w.run("list d.dwg profile --from secondaries").out;
  EXPECT_TRUE(has(profiles, "\n  EN 10365 HEA 200\n")) << profiles;
  EXPECT_TRUE(has(w.run("list d.dwg material --from secondaries"), "\n  Concrete C30/37\n"));
  // A profile is found by standard, name and size, also when the standard's name has spaces.
  expectShows(w.run("fetch d.dwg profile 'EN 10365 HEA 200'"), {"saved d.dwg"});
  EXPECT_EQ(w.run("fetch d.dwg material 'Concrete C30/37'").rc, 0);
  EXPECT_TRUE(has(w.run("list d.dwg profile --from primary"), ":\n  EN 10365 HEA 200\n"));
  Outcome again = w.run("fetch d.dwg profile 'EN 10365 HEA 200'");
  EXPECT_EQ(again.rc, 0);
  EXPECT_FALSE(has(again.out, "saved")) << "already in the primary: " << again.out;
  // The JSON documents hold the text's figures.
  Outcome info = w.run("info d.dwg");
  const nlohmann::json infoJson = nlohmann::json::parse(w.run("info d.dwg --json").out);
  EXPECT_TRUE(has(info.out, "objects:     " + infoJson["objects"].dump() + "\n"));
  EXPECT_EQ(infoJson["record"]["state"], "embedded");
  EXPECT_EQ(infoJson["libraries"][0]["holds"]["profile"], 1) << infoJson.dump();
  EXPECT_TRUE(has(info.out, infoJson["libraries"][0]["holds"]["material"].dump() + " material"))
      << infoJson.dump();
  const nlohmann::json listed =
      nlohmann::json::parse(w.run("list d.dwg profile --from secondaries --json").out);
  EXPECT_EQ(static_cast<int>(listed["libraries"][0]["names"].size()) + 1, lines(profiles));

  // Without a default library (none in the scratch folder), a new drawing has none at all.
  ASSERT_EQ(sldb(w.d, "new bare.dwg").rc, 0);
  expectRefused(w.d, {"list bare.dwg material", "fetch bare.dwg material 'Concrete C30/37'"});

  // The module's parser of full names, on the shipped catalogue: only a whole, exact name.
  // Each case: the text and the key's standard|name|size ("" for none).
  auto metric = stocklib::LibraryManager::instance().open(
      OdString::fromUtf8(std::string(SL_SUPPORT_DIR) + "/metric.stocklib"), true);
  ASSERT_TRUE(metric);
  for (const auto& [text, wanted] :
       std::vector<std::array<std::string, 2>>{{"EN 10365 HEA 200", "EN 10365|HEA|200"},
                                               {"", ""},
                                               {"EN 10365 HEA", ""},
                                               {"HEA 200", ""},
                                               {"en 10365 hea 200", ""},
                                               {"EN 10365 HEA 200 ", ""}}) {
    std::optional<stocklib::ProfileKey> key =
        sl_db::parseProfileKey(*metric, OdString::fromUtf8(text));
    EXPECT_EQ(key ? (key->standard() + L"|" + key->name() + L"|" + key->size()).toUtf8() : "",
              wanted)
        << text;
  }
}

TEST(Tool, LanguageNamesTheObjectsOfNewLibraries) {
  sltest::ScratchDir dir;
  const std::string d = dir.path().toUtf8();
  const std::string shipped = shippedRoot();
  ASSERT_EQ(sldb(d, "new d.dwg").rc, 0);
  ASSERT_EQ(sldb(d, "--lang de set-primary d.dwg p.stocklib --create", shipped).rc, 0);
  auto library =
      stocklib::LibraryManager::instance().open(OdString::fromUtf8(d + "/p.stocklib"), true);
  ASSERT_TRUE(library);
  auto user = library->get<stocklib::PropertyNamespace>(stocklib::NameKey(OdString(L"User")));
  ASSERT_TRUE(user);
  EXPECT_EQ(user->label(), OdString(L"Benutzer"));
}

// The command lines of data/commands.txt, each with its exit code and the texts it prints.
TEST(Tool, HelpForTheHostAndEachCommandAndOneLineForWrongUsage) {
  sldbtest::Drawing w;
  const std::string line = w.line(), circle = w.run("add-entity d.dwg circle 0,0,0 5").data;
  const auto before = w.stamp();
  EXPECT_GT(sldbtest::runTable(w, "commands.txt",
                               {{"$LINE", line}, {"$CIRCLE", circle.substr(0, circle.size() - 1)}}),
            50);
  EXPECT_EQ(w.stamp(), before);
  const std::string help = w.run("--help").out;
  EXPECT_TRUE(w.run("help").out == help && w.run("").out == help) << help;
  for (const char* file : {"n.dwg", "x.svg", "ofice.stocklib"})
    EXPECT_FALSE(std::filesystem::exists(w.d + "/" + file)) << file;
}

TEST(Tool, ModulesNamedAreLoadedAfterTheModule) {
  sltest::ScratchDir dir;
  const std::string d = dir.path().toUtf8();
  ASSERT_EQ(sldb(d, "new d.dwg").rc, 0);
  const std::string module = std::string("--module ") + SDK_TEST_MODULE;
  // The build's stocklib_db.tx named again replaces the default copy, it is not loaded twice.
  Outcome both = sldb(d, module + " --module " + SLDB_MODULE_PATH + " info d.dwg");
  EXPECT_EQ(both.rc, 0) << both.out;
  EXPECT_TRUE(has(both.out, "library record: no library record")) << both.out;
  for (const std::string& bad : {std::string(SDK_TEST_NOENTRY), d + "/absent.tx"}) {
    Outcome r = sldb(d, module + " --module " + bad + " info d.dwg");
    EXPECT_EQ(r.rc, 1) << r.out;
    EXPECT_EQ(lines(r.out), 1) << r.out;
    EXPECT_TRUE(has(r.out, std::filesystem::path(bad).filename().string())) << r.out;
  }
}

TEST(Tool, DemoFetchesAMaterialAndAProfileIntoAnEmbeddedPrimary) {
  sltest::ScratchDir dir;
  // The profile's copy keeps the shipped dimensions; a line's value is read back after reopening.
  expectShows(sldb(dir.path().toUtf8(), "demo", shippedRoot()),
              {"library record: embedded primary",
               "fetched the material 'Concrete C30/37' and the profile", "height 190 width 200",
               "Thickness~Geometry  set Linear~Geometry  property  double  150 (stored)"});
}

TEST(Tool, PropertyValuesAreSetListedResetAndRefused) {
  sldbtest::Drawing w;  // seeded from the shipped support files
  const std::string line = w.line();
  // add-entity prints the handle and nothing else.
  Outcome added = w.run("add-entity d.dwg circle 0,0,0 5");
  EXPECT_TRUE(added.status.empty() && lines(added.out) == 1) << added.out;
  ASSERT_EQ(w.run("set-prop d.dwg " + line + " Thickness~Geometry 200").rc, 0);
  const nlohmann::json json = nlohmann::json::parse(w.run("props d.dwg " + line + " --json").out);
  ASSERT_EQ(json["properties"].size(), 5u) << json.dump();
  auto property = [&](int i) { return json["properties"][i]; };
  EXPECT_EQ(property(0)["value"], 200.0);
  EXPECT_EQ(property(0)["source"], "stored");
  EXPECT_EQ(property(2)["value"], false);
  EXPECT_TRUE(property(4)["value"].is_null());
  EXPECT_EQ(property(4)["result"], "TypeMismatch");
  EXPECT_EQ(sldbtest::runTable(w, "values.txt", {{"$LINE", line}}), 11);
}

TEST(Tool, ProfilesListInNaturalOrderWithSectionPropertiesAndPictures) {
  sldbtest::Drawing w;
  const std::string d = w.d;

  // Full names, user-defined ones without their standard, in natural order.
  const std::string list = w.run("list d.dwg profile --from secondaries").out;
  auto at = [&](const char* name) { return list.find(std::string("\n  ") + name + "\n"); };
  EXPECT_NE(at("Round column 300"), std::string::npos) << list;
  EXPECT_FALSE(has(list, "user defined")) << list;
  EXPECT_LT(at("EN 10365 IPE 80"), at("EN 10365 IPE 100"));
  EXPECT_LT(at("EN 10365 IPE 600"), at("Round column 300"));
  EXPECT_EQ(w.run("fetch d.dwg profile 'Round column 300'").rc, 0);

  // The published HEA 200 (53.8 cm2, 3690 cm4, 430 cm3 plastic), 42.3 kg/m of the library's
  // steel, found as typed; in millimetres when asked.
  Outcome json = w.run("section d.dwg hea200 --json");
  ASSERT_EQ(json.rc, 0) << json.out;
  nlohmann::json section = nlohmann::json::parse(json.out);
  auto value = [&](const char* key) { return section.value(key, -1.0); };
  EXPECT_EQ(section["profile"], "EN 10365 HEA 200") << json.out;
  EXPECT_EQ(section["units"]["second_moment_y"], "cm4") << json.out;
  EXPECT_NEAR(value("area"), 53.8, 0.27);
  EXPECT_NEAR(value("second_moment_y"), 3690, 20);
  EXPECT_NEAR(value("plastic_modulus_y"), 430, 2.2);
  EXPECT_NEAR(value("elastic_modulus_y"), value("second_moment_y") / 9.5, 1e-9);
  EXPECT_NEAR(value("mass_per_length"), 42.3, 0.2);
  section = nlohmann::json::parse(
      w.run("section d.dwg 'EN 10365 HEA 200' --json --unit mm --density 1000").out);
  EXPECT_NEAR(value("area"), 5380, 27);
  EXPECT_NEAR(value("mass_per_length"), value("area") * 1e-3, 1e-9);
  // Four digits, also where rounding reaches the next decade (a centroid at 9.99999...).
  Outcome text = w.run("section d.dwg 'HEA 200'");
  expectShows(text,
              {" 3692 cm\xE2\x81\xB4", " 10.00 cm ", "Wpl,y ", "0 deg", "(Steel S235, 7850 kg/m"});
  EXPECT_FALSE(has(text.out, "-0 ")) << text.out;
  // Two standards share a tube's name: both are listed; a miss suggests the nearest.
  EXPECT_TRUE(
      has(w.run("section d.dwg chs114.3x5"), "'EN 10210-2 CHS 114.3x5', 'EN 10219-2 CHS 114.3x5'"));
  EXPECT_TRUE(has(w.run("section d.dwg HEA205"), "nearest: 'EN 10365 HEA 200'"));
  // US shapes in inches with their axes named x and y, and pounds per foot.
  ASSERT_EQ(w.run("new i.dwg --imperial").rc + w.run("init i.dwg").rc, 0);
  section = nlohmann::json::parse(w.run("section i.dwg W14x90 --json").out);
  EXPECT_EQ(section["unit"], "in");
  EXPECT_EQ(section["axes"]["y"], "x");
  EXPECT_NEAR(value("mass_per_length"), 90, 1.8);
  EXPECT_TRUE(has(w.run("section i.dwg W14x90").out, "\n  Zx "));

  Outcome draw = w.run("draw d.dwg profile 'EN 10365 HEA 200' hea.svg");
  EXPECT_EQ(draw.rc, 0) << draw.out;
  std::ifstream in(d + "/hea.svg");
  std::string svg((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_TRUE(has(svg, "<svg xmlns=\"http://www.w3.org/2000/svg\""));

  EXPECT_FALSE(std::filesystem::exists(d + "/x.svg"));
}

TEST(Tool, HostileLibrariesAreRefusedInOneLineAndNothingChanges) {
  sldbtest::Drawing w(false);
  const std::string d = w.d;
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
  const auto stamp = w.stamp();
  for (const auto& [file, named] :
       {std::pair<const char*, const char*>{"trigger.stocklib", "trigger eat"},
        {"orphan.stocklib", "Tag rows of no object"}}) {
    Outcome r = sldb(d, std::string("set-primary d.dwg ") + file);
    EXPECT_EQ(r.rc, 1) << r.out;
    EXPECT_EQ(lines(r.out), 1) << r.out;
    EXPECT_TRUE(has(r.out, named)) << r.out;
  }
  EXPECT_EQ(w.stamp(), stamp);
  EXPECT_TRUE(has(sldb(d, "info d.dwg"), "embedded"));
}

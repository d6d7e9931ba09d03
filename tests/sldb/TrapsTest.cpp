// The command line's traps for a new user: properties of their own on walls, typos that must not
// create or remove anything, and output a script can read.
#include <filesystem>
#include <functional>
#include <string>

#include <nlohmann/json.hpp>

#include "SldbRun.h"
#include "TestSupport.h"

using namespace sldbtest;

namespace {

// madeOf: `text` is not empty and holds only characters of `allowed`.
bool madeOf(const std::string& text, const char* allowed) {
  return !text.empty() && text.find_first_not_of(allowed) == std::string::npos;
}

}  // namespace

TEST(Traps, AUserDefinesPropertiesAndSetsForWallsAndGivesALineValues) {
  Drawing w;
  EXPECT_EQ(runTable(w, "walls.txt", {{"$LINE", w.line()}}), 24);
  EXPECT_EQ(runTable(w, "definitions.txt"), 19);
}

TEST(Traps, OutputAScriptCanReadAndWhatAPersonLooksForIsThere) {
  Drawing w;
  // A library is named by its file or as embedded, never by its in-memory name.
  const nlohmann::json listed =
      nlohmann::json::parse(w.run("list d.dwg property-namespace --json").data);
  ASSERT_EQ(listed["libraries"].size(), 2u) << listed.dump();
  EXPECT_EQ(listed["libraries"][0]["library"], "embedded");
  EXPECT_EQ(listed["libraries"][1]["library"], w.shipped + "/Support/metric.stocklib");
  // Data on stdout, status on stderr.
  Outcome fetched = w.run("fetch d.dwg material 'Concrete C30/37'");
  EXPECT_TRUE(fetched.data.empty() && !fetched.status.empty()) << fetched.out;

  // Every key of the JSON documents is snake_case (class and type names are data).
  std::function<void(const nlohmann::json&, const std::string&)> snake =
      [&](const nlohmann::json& j, const std::string& where) {
        if (j.is_array())
          for (const auto& e : j)
            snake(e, where);
        if (!j.is_object()) return;
        for (const auto& [key, value] : j.items()) {
          EXPECT_TRUE(madeOf(key, "abcdefghijklmnopqrstuvwxyz0123456789_")) << where << ": " << key;
          if (key != "classes" && key != "holds") snake(value, where);
        }
      };
  for (const char* command : {"info d.dwg --json", "defs d.dwg --json",
                              "section d.dwg 'EN 10365 HEA 200' --json --density 7850"})
    snake(nlohmann::json::parse(w.run(command).data), command);
  // The definitions, defaults typed.
  const nlohmann::json defs = nlohmann::json::parse(w.run("defs d.dwg --json").data);
  const nlohmann::json* linear = nullptr;
  for (const auto& ns : defs["namespaces"])
    for (const auto& set : ns["sets"])
      if (ns["name"] == "Geometry" && set["name"] == "Linear") linear = &set;
  ASSERT_TRUE(linear) << defs.dump();
  EXPECT_EQ((*linear)["entity_types"], nlohmann::json({"OdDbLine", "OdDbPolyline"}));
  EXPECT_TRUE((*linear)["definitions"][0]["default"].is_number());

  const std::string line = w.line();
  const std::string circle = w.run("add-entity d.dwg circle 1,2,0 5").data;
  ASSERT_EQ(w.run("set-prop d.dwg " + line + " Thickness~Geometry 200").rc, 0);
  ASSERT_EQ(w.run("set-prop d.dwg " + line + " Finish~Geometry 'lime, \"white\"'").rc, 0);

  // entities --json: class, geometry and the stored values, numbers as numbers.
  const nlohmann::json entities = nlohmann::json::parse(w.run("entities d.dwg --json").data);
  ASSERT_EQ(entities["entities"].size(), 2u) << entities.dump();
  const nlohmann::json& first = entities["entities"][0];
  EXPECT_EQ(first["handle"], line);
  EXPECT_EQ(first["geometry"]["end"], nlohmann::json({1000.0, 0.0, 0.0}));
  EXPECT_EQ(first["values"]["Thickness~Geometry"], 200.0);
  EXPECT_EQ(entities["entities"][1]["values"], nlohmann::json::object());

  // schedule: one row per entity, one column per property, defaults included; CSV quoted.
  Outcome csv = w.run("schedule d.dwg");
  ASSERT_EQ(csv.rc, 0) << csv.out;
  EXPECT_EQ(csv.data.substr(0, csv.data.find('\n')),
            "handle,class,Thickness~Geometry,Finish~Geometry,LoadBearing~Geometry,Count~Geometry,"
            "Length~Geometry,Cover~Geometry,Mark~Geometry,Area~Geometry");
  EXPECT_TRUE(has(csv, "\n" + line + ",OdDbLine,200,\"lime, \"\"white\"\"\",false,1,,,,\n"))
      << csv.out;
  EXPECT_TRUE(has(csv, "\n" + circle.substr(0, circle.size() - 1) + ",OdDbCircle,,,,,,25,,\n"))
      << csv.out;
  EXPECT_EQ(lines(csv.data), 3);
  const nlohmann::json schedule = nlohmann::json::parse(w.run("schedule d.dwg --json").data);
  EXPECT_EQ(schedule["entities"][0]["values"]["Count~Geometry"], 1) << schedule.dump();
  EXPECT_TRUE(schedule["entities"][0]["values"]["Length~Geometry"].is_null());

  const std::string version = w.run("--version").data;
  EXPECT_TRUE(version.rfind("sldb ", 0) == 0 && version.back() == '\n' &&
              madeOf(version.substr(5, version.size() - 6), "0123456789."))
      << version;
}

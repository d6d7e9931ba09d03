// The host's property-definition commands end to end: every command reopens the drawing that
// the one before saved, bad input is one line and leaves the drawing alone.
#include <filesystem>
#include <string>

#include <nlohmann/json.hpp>

#include "SldbRun.h"
#include "TestSupport.h"

using namespace sldbtest;

TEST(Tool, DefinitionsAreListedAddedAndRemovedThroughTheLibraryInterface) {
  sltest::ScratchDir dir;
  const std::string d = dir.path().toUtf8(), shipped = shippedRoot();
  ASSERT_EQ(sldb(d, "new d.dwg").rc, 0);
  ASSERT_EQ(sldb(d, "init d.dwg", shipped).rc, 0);
  auto stamp = [&] { return std::filesystem::last_write_time(d + "/d.dwg"); };

  auto before = stamp();
  Outcome defs = sldb(d, "defs d.dwg");
  EXPECT_EQ(defs.rc, 0) << defs.out;
  EXPECT_TRUE(has(defs,
                  "namespace Geometry\n  set Linear: OdDbLine, OdDbPolyline\n"
                  "    Thickness~Geometry  property  double  unit mm  default 0\n"))
      << defs.out;
  EXPECT_TRUE(has(defs, "    Length~Geometry  value  double  unit mm\n")) << defs.out;
  EXPECT_TRUE(has(defs, "namespace User\n")) << defs.out;
  // The JSON document holds the same definitions, defaults typed.
  const nlohmann::json json = nlohmann::json::parse(sldb(d, "defs d.dwg --json").out);
  const nlohmann::json* linear = nullptr;
  for (const auto& ns : json["namespaces"])
    for (const auto& set : ns["sets"])
      if (ns["name"] == "Geometry" && set["name"] == "Linear") linear = &set;
  ASSERT_TRUE(linear) << json.dump();
  EXPECT_EQ((*linear)["entity_types"], nlohmann::json({"OdDbLine", "OdDbPolyline"}));
  EXPECT_EQ((*linear)["per_instance"], false);
  int printed = 0;
  for (const auto& def : (*linear)["definitions"]) {
    std::string line = "    " + def["key"].get<std::string>() + "  " +
                       def["kind"].get<std::string>() + "  " + def["type"].get<std::string>();
    if (!def["unit"].is_null()) line += "  unit " + def["unit"].get<std::string>();
    printed += has(defs, line);
  }
  EXPECT_EQ(printed, static_cast<int>((*linear)["definitions"].size()));
  EXPECT_EQ((*linear)["definitions"][0]["default"], 0.0);
  EXPECT_TRUE((*linear)["definitions"][0]["default"].is_number());
  EXPECT_EQ(stamp(), before) << "listing saves nothing";

  // A new set in an existing namespace; a map keeps its key type through the save.
  Outcome add = sldb(d, "def-add d.dwg Fire~Geometry Rating 'map<string, double>'");
  EXPECT_EQ(add.rc, 0) << add.out;
  EXPECT_TRUE(has(add, "created the property set Fire~Geometry") && has(add, "saved d.dwg"));
  Outcome value = sldb(d, "def-add d.dwg Fire~Geometry Spans 'array<double>' --value");
  EXPECT_EQ(value.rc, 0) << value.out;
  EXPECT_FALSE(has(value, "created")) << value.out;
  Outcome fire = sldb(d, "defs d.dwg --namespace Geometry");
  EXPECT_TRUE(has(fire,
                  "  set Fire: no entity types\n"
                  "    Rating~Geometry  property  map<string,double>\n"
                  "    Spans~Geometry  value  array<double>\n"))
      << fire.out;
  EXPECT_FALSE(has(fire, "namespace User")) << fire.out;

  Outcome rm = sldb(d, "def-rm d.dwg Rating~Geometry");
  EXPECT_EQ(rm.rc, 0) << rm.out;
  EXPECT_TRUE(has(rm, "Rating~Geometry: removed\nsaved d.dwg")) << rm.out;
  EXPECT_FALSE(has(sldb(d, "defs d.dwg"), "Rating~Geometry"));

  before = stamp();
  expectRefused(
      d,
      {"def-add d.dwg Fire~Nowhere X double", "def-add d.dwg Fire~Geometry X 'array<uint8>'",
       "def-add d.dwg Fire~Geometry X 'map<string>'", "def-add d.dwg Fire~Geometry X real",
       "def-add d.dwg Fire~Geometry Spans bool", "def-add d.dwg Fire~Geometry Thickness bool",
       "def-add d.dwg Fire X double", "def-add d.dwg Fire~Geometry 'A~B' double",
       "def-rm d.dwg Rating~Geometry", "def-rm d.dwg Rating", "defs d.dwg --namespace Nowhere",
       "defs missing.dwg", "def-add missing.dwg Fire~Geometry X double"},
      shipped);
  EXPECT_EQ(stamp(), before);
  ASSERT_EQ(sldb(d, "new bare.dwg").rc, 0);
  Outcome bare = sldb(d, "defs bare.dwg");
  EXPECT_NE(bare.rc, 0);
  EXPECT_TRUE(has(bare, "bare.dwg has no primary library")) << bare.out;
}

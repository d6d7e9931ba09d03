// The host's property-definition commands end to end: every command reopens the drawing that
// the one before saved, bad input is one line and leaves the drawing alone.
#include <filesystem>
#include <string>

#include <nlohmann/json.hpp>

#include "SldbRun.h"
#include "TestSupport.h"

using namespace sldbtest;

TEST(Tool, DefinitionsAreListedAddedAndRemovedThroughTheLibraryInterface) {
  Drawing w;
  const std::string d = w.d;
  auto before = w.stamp();
  expectShows(sldb(d, "defs d.dwg"),
              {"namespace Geometry\n  set Linear: OdDbLine, OdDbPolyline\n"
               "    Thickness~Geometry  property  double  unit mm  default 0\n",
               "    Length~Geometry  value  double  unit mm\n", "namespace User\n"});
  // The JSON document holds the same definitions, defaults typed.
  const nlohmann::json json = nlohmann::json::parse(sldb(d, "defs d.dwg --json").out);
  const nlohmann::json* linear = nullptr;
  for (const auto& ns : json["namespaces"])
    for (const auto& set : ns["sets"])
      if (ns["name"] == "Geometry" && set["name"] == "Linear") linear = &set;
  ASSERT_TRUE(linear) << json.dump();
  EXPECT_EQ((*linear)["entity_types"], nlohmann::json({"OdDbLine", "OdDbPolyline"}));
  EXPECT_TRUE((*linear)["definitions"][0]["default"].is_number());
  EXPECT_EQ(w.stamp(), before) << "listing saves nothing";

  // A new set in an existing namespace; a map keeps its key type through the save.
  expectShows(sldb(d, "def-add d.dwg Fire~Geometry Rating 'map<string, double>'"),
              {"created the property set Fire~Geometry", "saved d.dwg"});
  Outcome value = sldb(d, "def-add d.dwg Fire~Geometry Spans 'array<double>' --value");
  EXPECT_FALSE(has(value, "created")) << value.out;
  Outcome fire = sldb(d, "defs d.dwg --namespace Geometry");
  EXPECT_TRUE(has(fire,
                  "  set Fire: no entity types\n"
                  "    Rating~Geometry  property  map<string,double>\n"
                  "    Spans~Geometry  value  array<double>\n"))
      << fire.out;
  EXPECT_FALSE(has(fire, "namespace User")) << fire.out;

  Outcome rm = sldb(d, "def-rm d.dwg Rating~Geometry");
  EXPECT_TRUE(has(rm, "Rating~Geometry: removed\nsaved d.dwg")) << rm.out;
  EXPECT_FALSE(has(sldb(d, "defs d.dwg"), "Rating~Geometry"));

  before = w.stamp();
  expectRefused(
      d,
      {"def-add d.dwg Fire~Nowhere X double", "def-add d.dwg Fire~Geometry X 'array<uint8>'",
       "def-add d.dwg Fire~Geometry X 'map<string>'", "def-add d.dwg Fire~Geometry X real",
       "def-add d.dwg Fire~Geometry Spans bool", "def-add d.dwg Fire~Geometry Thickness bool",
       "def-add d.dwg Fire X double", "def-add d.dwg Fire~Geometry 'A~B' double",
       "def-rm d.dwg Rating~Geometry", "def-rm d.dwg Rating", "defs d.dwg --namespace Nowhere",
       "defs missing.dwg", "def-add missing.dwg Fire~Geometry X double"},
      w.shipped);
  EXPECT_EQ(w.stamp(), before);
  ASSERT_EQ(sldb(d, "new bare.dwg").rc, 0);
  Outcome bare = sldb(d, "defs bare.dwg");
  EXPECT_NE(bare.rc, 0);
  EXPECT_TRUE(has(bare, "bare.dwg has no primary library")) << bare.out;
}

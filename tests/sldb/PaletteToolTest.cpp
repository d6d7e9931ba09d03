// sldb palette end to end: a shipped material's and composition's palette, German labels, edits
// saved into the primary, and refused edits that change nothing.
#include <nlohmann/json.hpp>

#include "SldbRun.h"
#include "TestSupport.h"

using sldbtest::expectRefused;
using sldbtest::has;
using sldbtest::lines;
using sldbtest::Outcome;
using sldbtest::sldb;

TEST(ToolPalette, ShowsAndEditsAMaterialAndAComposition) {
  sltest::ScratchDir dir;
  const std::string d = dir.path().toUtf8();
  // A copy of the shipped support data: nothing here may change the build's own libraries.
  std::filesystem::copy(SL_SUPPORT_DIR, d + "/Support", std::filesystem::copy_options::recursive);
  const std::string root = d;
  ASSERT_EQ(sldb(d, "new d.dwg").rc, 0);
  const std::string concrete = "palette d.dwg material 'Concrete C30/37'";

  Outcome shown = sldb(d, concrete, root);
  ASSERT_EQ(shown.rc, 0) << shown.out;
  for (const char* line :
       {"[STOCKLIB-Static]\n  Physical Material\n    Name: Concrete C30/37\n",
        "    Type: Concrete (read-only)\n", "    Cut pattern type: Predefined (read-only)\n",
        "      Cut pattern angle: 0 rad (read-only)\n",
        "    Thermal conductivity: 2 W/(m\u00B7K)\n",
        "      Cut pattern name: CONCRETE (read-only)\n", "    Density: 2400 kg/m\u00B3\n",
        "    Unique code: no value\n", "    Union section: Yes\n",
        "    Default function: Structure\n",
        "[STOCKLIB-Dynamic]\n  Physical Material\n    Reaction to fire: A1\n"})
    EXPECT_TRUE(has(shown, line)) << line << "\n" << shown.out;
  EXPECT_FALSE(has(shown, "saved"));

  Outcome german = sldb(d, "--lang de " + concrete, root);
  for (const char* line :
       {"  Physisches Material\n    Name: Concrete C30/37\n", "    Standardfunktion: Tragwerk\n",
        "      Schnittmustername: CONCRETE (schreibgeschützt)\n", ": Ja\n", ": kein Wert\n"})
    EXPECT_TRUE(has(german, line)) << line << "\n" << german.out;
  EXPECT_TRUE(has(sldb(d, "--lang de palette d.dwg composition 'Ground slab'", root),
                  "    gesamt: 550 mm\n"));

  // Edits on the shipped material land in a new primary; the secondary keeps its values.
  Outcome edited = sldb(d,
                        concrete +
                            " --set Density=2.5 --set 'Reaction to fire=B' "
                            "--set 'Default function=Insulation'",
                        root);
  ASSERT_EQ(edited.rc, 0) << edited.out;
  EXPECT_TRUE(has(edited, "saved d.dwg"));
  Outcome primary = sldb(d, concrete + " --from primary", root);
  for (const char* line : {"    Density: 2.5 kg/m\u00B3\n", "    Reaction to fire: B\n",
                           "    Default function: Insulation\n"})
    EXPECT_TRUE(has(primary, line)) << line << "\n" << primary.out;
  EXPECT_TRUE(
      has(sldb(d, concrete + " --from secondaries", root), "    Density: 2400 kg/m\u00B3\n"));
  EXPECT_EQ(sldb(d, "--lang de " + concrete + " --set Rohdichte=", root).rc, 0);
  EXPECT_TRUE(has(sldb(d, concrete, root), "    Density: no value\n"));

  // Refused edits: one line, non-zero, nothing saved even when an earlier edit was good.
  const auto stamp = std::filesystem::last_write_time(d + "/d.dwg");
  std::vector<std::string> refused;
  for (const char* bad :
       {"--set Type=Wood", "--set Density=abc", "--set Density", "--from elsewhere", "--set Nope=1",
        "--set 'Default function=9'", "--set 'Union section=maybe'",
        "--set Name=Other --set 'Cut pattern name=X'"})
    refused.push_back(concrete + " " + bad);
  expectRefused(d, refused, root);
  EXPECT_EQ(std::filesystem::last_write_time(d + "/d.dwg"), stamp);
  EXPECT_TRUE(has(sldb(d, concrete + " --from primary", root), "    Name: Concrete C30/37\n"));
  Outcome paint = sldb(d, "palette d.dwg material 'Acrylic paint' --set Density=1", root);
  EXPECT_EQ(lines(paint.out), 1) << paint.out;
  EXPECT_TRUE(has(paint, "'Acrylic paint' has no physical asset")) << paint.out;
  EXPECT_NE(sldb(d, "palette d.dwg profile X", root).rc, 0);

  const std::string roof = "palette d.dwg composition 'Flat roof, warm deck'";
  Outcome composition = sldb(d, roof, root);
  for (const char* line :
       {"  Composition\n    Name: Flat roof, warm deck\n", "    Type: Roof\n",
        "    Variable ply max thickness: no value\n", "    Structural ply: 4 (counted from 0)\n",
        "    Variable ply min thickness: 100 mm\n", "    Plies: 5 (read-only)\n",
        "[Plies] (counted from 0)\n    0: Gravel, 50 mm\n", "    total: 424 mm\n"})
    EXPECT_TRUE(has(composition, line)) << line << "\n" << composition.out;
  const nlohmann::json json = nlohmann::json::parse(sldb(d, roof + " --json", root).data);
  EXPECT_EQ(json["plies"][2]["material"], "PIR 023");
  EXPECT_EQ(json["total_thickness"], 424);
  const auto properties = json["properties"];
  auto named = [&](const char* name) {
    for (const auto& p : properties)
      if (p["name"] == name) return p;
    return nlohmann::json();
  };
  EXPECT_EQ(named("FirstCorePly")["value"], 2);
  EXPECT_EQ(named("VariablePlyMinThickness")["unit"], "mm");
  EXPECT_TRUE(named("VariablePlyMaxThickness")["value"].is_null());
  Outcome slab =
      sldb(d, roof + " --set Type=Slab --set 'Variable ply=' --set 'Structural ply=3'", root);
  ASSERT_EQ(slab.rc, 0) << slab.out;
  for (const char* line : {"    Type: Slab\n", "    Variable ply: no value\n",
                           "    Structural ply: 3 (counted from 0)\n"})
    EXPECT_TRUE(has(slab, line)) << line << "\n" << slab.out;
  expectRefused(d, {roof + " --set Type=Igloo", roof + " --set 'Structural ply=-1'"}, root);
}

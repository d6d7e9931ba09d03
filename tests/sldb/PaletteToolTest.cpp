// sldb palette end to end: a shipped material's and composition's palette, German labels, edits
// saved into the primary, and refused edits that change nothing.
#include "SldbRun.h"
#include "TestSupport.h"

using sldbtest::lines;
using sldbtest::Outcome;
using sldbtest::sldb;

namespace {

bool has(const Outcome& run, const std::string& text) {
  return run.out.find(text) != std::string::npos;
}

}  // namespace

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
        "      Cut pattern name: CONCRETE (read-only)\n", "    Density: 2400\n",
        "    Unique code: no value\n", "    Union section: Yes\n",
        "    Default function: Structure\n",
        "[STOCKLIB-Dynamic]\n  Physical Material\n    Reaction to fire: A1\n"})
    EXPECT_TRUE(has(shown, line)) << line << "\n" << shown.out;
  EXPECT_FALSE(has(shown, "saved"));

  Outcome german = sldb(d, "--lang de " + concrete, root);
  EXPECT_TRUE(has(german, "  Physisches Material\n    Name: Concrete C30/37\n")) << german.out;
  EXPECT_TRUE(has(german, "    Standardfunktion: Tragwerk\n"));
  EXPECT_TRUE(has(german, "      Schnittmustername: CONCRETE (read-only)\n"));

  // Edits on the shipped material land in a new primary; the secondary keeps its values.
  Outcome edited = sldb(d,
                        concrete +
                            " --set Density=2.5 --set 'Reaction to fire=B' "
                            "--set 'Default function=Insulation'",
                        root);
  ASSERT_EQ(edited.rc, 0) << edited.out;
  EXPECT_TRUE(has(edited, "saved d.dwg"));
  Outcome primary = sldb(d, concrete + " --from primary", root);
  EXPECT_TRUE(has(primary, "    Density: 2.5\n")) << primary.out;
  EXPECT_TRUE(has(primary, "    Reaction to fire: B\n"));
  EXPECT_TRUE(has(primary, "    Default function: Insulation\n"));
  EXPECT_TRUE(has(sldb(d, concrete + " --from secondaries", root), "    Density: 2400\n"));
  EXPECT_EQ(sldb(d, "--lang de " + concrete + " --set Rohdichte=", root).rc, 0);
  EXPECT_TRUE(has(sldb(d, concrete, root), "    Density: no value\n"));

  // Refused edits: one line, non-zero, nothing saved even when an earlier edit was good.
  const auto stamp = std::filesystem::last_write_time(d + "/d.dwg");
  for (const char* bad :
       {"--set Type=Wood", "--set Density=abc", "--set Density", "--from elsewhere", "--set Nope=1",
        "--set 'Default function=9'", "--set 'Union section=maybe'",
        "--set Name=Other --set 'Cut pattern name=X'"}) {
    Outcome refused = sldb(d, concrete + " " + bad, root);
    EXPECT_NE(refused.rc, 0) << bad;
    EXPECT_EQ(lines(refused.out), 1) << refused.out;
  }
  EXPECT_EQ(std::filesystem::last_write_time(d + "/d.dwg"), stamp);
  EXPECT_TRUE(has(sldb(d, concrete + " --from primary", root), "    Name: Concrete C30/37\n"));
  EXPECT_NE(sldb(d, "palette d.dwg material 'No such'", root).rc, 0);
  EXPECT_NE(sldb(d, "palette d.dwg profile X", root).rc, 0);

  const std::string roof = "palette d.dwg composition 'Flat roof, warm deck'";
  Outcome composition = sldb(d, roof, root);
  EXPECT_TRUE(has(composition, "  Composition\n    Name: Flat roof, warm deck\n"))
      << composition.out;
  EXPECT_TRUE(has(composition, "    Type: Roof\n"));
  EXPECT_TRUE(has(composition, "    Variable ply max thickness: no value\n"));
  Outcome slab =
      sldb(d, roof + " --set Type=Slab --set 'Variable ply=' --set 'Structural ply=3'", root);
  ASSERT_EQ(slab.rc, 0) << slab.out;
  EXPECT_TRUE(has(slab, "    Type: Slab\n"));
  EXPECT_TRUE(has(slab, "    Variable ply: no value\n"));
  EXPECT_TRUE(has(slab, "    Structural ply: 3\n"));
  EXPECT_NE(sldb(d, roof + " --set Type=Igloo", root).rc, 0);
  EXPECT_NE(sldb(d, roof + " --set 'Structural ply=-1'", root).rc, 0);
}

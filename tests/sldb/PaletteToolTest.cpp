// sldb palette end to end: a shipped material's and composition's palette, German labels, edits
// saved into the primary, and refused edits that change nothing.
#include <nlohmann/json.hpp>

#include "SldbRun.h"
#include "TestSupport.h"

TEST(ToolPalette, ShowsAndEditsAMaterialAndAComposition) {
  sldbtest::Drawing w(false);
  // A copy of the shipped support data: nothing here may change the build's own libraries.
  std::filesystem::copy(SL_SUPPORT_DIR, w.d + "/Support", std::filesystem::copy_options::recursive);
  ASSERT_EQ(w.run("new d.dwg --force").rc, 0);
  const std::string roof = "palette d.dwg composition 'Flat roof, warm deck'";
  EXPECT_EQ(sldbtest::runTable(w, "palette.txt",
                               {{"$C", "palette d.dwg material 'Concrete C30/37'"}, {"$R", roof}}),
            23);

  const nlohmann::json json =
      nlohmann::json::parse(w.run(roof + " --from secondaries --json").data);
  EXPECT_EQ(json["plies"][2]["material"], "PIR 023");
  EXPECT_EQ(json["total_thickness"], 424);
  auto named = [&](const char* name) {
    for (const auto& p : json["properties"])
      if (p["name"] == name) return p;
    return nlohmann::json();
  };
  EXPECT_EQ(named("FirstCorePly")["value"], 2);
  EXPECT_EQ(named("VariablePlyMinThickness")["unit"], "mm");
  EXPECT_TRUE(named("VariablePlyMaxThickness")["value"].is_null());
}

// sldb composition and the composition pictures end to end: thermal figures as text and JSON,
// refusals in one line, and every shipped composition drawn into an SVG a renderer accepts.
#include <cstdlib>
#include <filesystem>

#include <nlohmann/json.hpp>

#include "SldbRun.h"
#include "TestSupport.h"

using sldbtest::has;
using sldbtest::Outcome;
using sldbtest::shippedRoot;
using sldbtest::sldb;

TEST(ToolComposition, PrintsThermalFiguresAndDrawsEveryShippedComposition) {
  sltest::ScratchDir dir;
  const std::string d = dir.path().toUtf8();
  const std::string shipped = shippedRoot();
  ASSERT_EQ(sldb(d, "new m.dwg").rc, 0);
  ASSERT_EQ(sldb(d, "new i.dwg --imperial").rc, 0);

  // Render, XPS and concrete of the shipped wall, by hand.
  const double wall = 0.13 + 0.010 / 1.0 + 0.120 / 0.034 + 0.250 / 2.3 + 0.04;
  Outcome json = sldb(d, "composition m.dwg 'Concrete wall 250, insulated' --json", shipped);
  ASSERT_EQ(json.rc, 0) << json.out;
  const nlohmann::json figures = nlohmann::json::parse(json.data);
  EXPECT_EQ(figures["heat_flow"], "horizontal");
  EXPECT_NEAR(figures["total_resistance"].get<double>(), wall, 1e-6);
  EXPECT_NEAR(figures["u_value"].get<double>(), 1 / wall, 1e-6);
  ASSERT_EQ(figures["plies"].size(), 3u);
  EXPECT_EQ(figures["plies"][1]["material"], "XPS 034");
  EXPECT_NEAR(figures["plies"][1]["resistance"].get<double>(), 0.120 / 0.034, 1e-6);

  // Heat flowing downward instead, and the render outside a ventilated ply 0.
  Outcome down = sldb(d,
                      "composition m.dwg 'Concrete wall 250, insulated' --heat-flow downward "
                      "--ventilated 0",
                      shipped);
  ASSERT_EQ(down.rc, 0) << down.out;
  char total[64];
  std::snprintf(total, sizeof total, "R = %.3f", 0.17 + 0.120 / 0.034 + 0.250 / 2.3 + 0.17);
  EXPECT_TRUE(has(down.out, total) && has(down.out, "ventilated") &&
              has(down.out, "Rsi 0.17, Rse 0.17"))
      << down.out;

  // Every shipped composition, metric and imperial, draws; the renderer reads each picture.
  const bool renderer = std::system("command -v rsvg-convert >/dev/null 2>&1") == 0;
  int drawn = 0;
  for (const char* drawing : {"m.dwg", "i.dwg"}) {
    Outcome list =
        sldb(d, std::string("list ") + drawing + " composition --from secondaries --json", shipped);
    ASSERT_EQ(list.rc, 0) << list.out;
    const nlohmann::json listed = nlohmann::json::parse(list.data);
    for (const auto& name : listed["libraries"][0]["names"]) {
      const std::string svg = d + "/c" + std::to_string(drawn++) + ".svg";
      Outcome draw = sldb(
          d,
          std::string("draw ") + drawing + " composition '" + name.get<std::string>() + "' " + svg,
          shipped);
      ASSERT_EQ(draw.rc, 0) << name << ": " << draw.out;
      if (renderer) {
        EXPECT_EQ(std::system(("rsvg-convert -o '" + svg + ".png' '" + svg + "'").c_str()), 0)
            << name;
        EXPECT_GT(std::filesystem::file_size(svg + ".png"), 1000u) << name;
      }
    }
  }
  EXPECT_GE(drawn, 13);
  if (!renderer) GTEST_SKIP() << "rsvg-convert is not installed: the pictures were not rendered";
}

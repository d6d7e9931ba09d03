// SVG pictures read back as a browser would: the drawn outline encloses the computed area, and
// a composition's plies stand in order with widths to scale and hatches by pattern type.
#include "sl_db/SectionDrawing.h"

#include <gtest/gtest.h>

#include <pugixml.hpp>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "ScratchDir.h"
#include "sl_db/ProfileHelpers.h"
#include "sl_db/SectionProperties.h"
#include "stocklib/Library.h"

using namespace stocklib;

namespace {

/// The area enclosed by an SVG path of M, L, A and Z commands (absolute), each subpath taken
/// whole; the largest subpath counts as the outside, the others as holes.
double pathArea(std::string d) {
  for (std::size_t i = 0; i < d.size(); ++i)
    if (std::isalpha(static_cast<unsigned char>(d[i]))) d.insert(i++ + 1, " ");
  std::istringstream in(d);
  std::vector<double> loops;
  double sx = 0, sy = 0, x = 0, y = 0, loop = 0, r, skip, large, sweep, nx, ny;
  auto edge = [&](double ex, double ey) {
    loop += (x * -ey - ex * -y) / 2;  // screen y runs down: flipped back here
    x = ex, y = ey;
  };
  for (char c; in >> c;) {
    if (c == 'M') {
      in >> x >> y, sx = x, sy = y, loop = 0;
    } else if (c == 'L' && in >> nx >> ny) {
      edge(nx, ny);
    } else if (c == 'A' && in >> r >> skip >> skip >> large >> sweep >> nx >> ny) {
      double half = std::asin(std::min(1.0, std::hypot(nx - x, ny - y) / (2 * r)));
      if (large != 0) half = 3.141592653589793 - half;
      edge(nx, ny);
      // The segment between chord and arc; sweep 1 turns clockwise on screen.
      loop += (sweep != 0 ? -1 : 1) * r * r * (half - std::sin(half) * std::cos(half));
    } else if (c == 'Z') {
      edge(sx, sy);
      loops.push_back(std::fabs(loop));
    }
  }
  std::sort(loops.rbegin(), loops.rend());
  double area = loops.empty() ? 0 : loops[0];
  for (std::size_t i = 1; i < loops.size(); ++i)
    area -= loops[i];
  return area;
}

template <class Shape>
KcSmartPtr<Profile> shape(const std::vector<std::pair<const char*, double>>& dims) {
  auto p = Shape::create(ProfileName::create(L"T", ProfileStandard::create(L"EN").get()).get(),
                         OdString(L"1"));
  for (const auto& [name, value] : dims)
    p->set_dimension(static_cast<std::size_t>(p->dimension_index(OdString::fromUtf8(name))), value);
  return KcSmartPtr<Profile>(p.get());
}

}  // namespace

TEST(SectionDrawing, TheDrawnOutlineEnclosesTheComputedArea) {
  std::vector<KcSmartPtr<Profile>> profiles = {
      shape<IShapeProfile>({{"height", 200},
                            {"width", 100},
                            {"web_thickness", 5.6},
                            {"flange_thickness", 8.5},
                            {"fillet_radius", 12}}),
      shape<RectangleHollowProfile>({{"height", 200},
                                     {"width", 100},
                                     {"wall_thickness", 8},
                                     {"outer_radius", 12},
                                     {"inner_radius", 8}}),
      shape<LShapeProfile>({{"height", 150},
                            {"width", 90},
                            {"thickness", 10},
                            {"root_radius", 12},
                            {"toe_radius", 6}}),
  };
  for (const auto& p : profiles) {
    const std::string svg = sl_db::profileSvg(p.get());
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_string(svg.c_str())) << svg;
    pugi::xml_node root = doc.child("svg");
    EXPECT_STREQ(root.attribute("xmlns").value(), "http://www.w3.org/2000/svg");
    EXPECT_STREQ(root.child_value("title"), "EN T 1");
    pugi::xml_node group = root.find_child_by_attribute("g", "class", "section");
    double k = group.attribute("data-px-per-unit").as_double();
    ASSERT_GT(k, 0);
    double drawn =
        pathArea(group.find_child_by_attribute("path", "class", "outline").attribute("d").value()) /
        (k * k);
    auto props = sl_db::sectionProperties(p.get());
    ASSERT_TRUE(props);
    EXPECT_NEAR(drawn, props->area, props->area * 1e-5) << svg;
    // The centroid is marked where the properties put it.
    auto centroid = root.find_child_by_attribute("circle", "class", "centroid");
    auto bounds = sl_db::outlineBounds(*sl_db::profileOutline(p.get()));
    double left = group.parent()
                      .find_child_by_attribute("line", "class", "axis")
                      .attribute("x1")
                      .as_double() +
                  15;
    EXPECT_NEAR((centroid.attribute("cx").as_double() - left) / k, props->centroidY - bounds.minX,
                1e-3);
  }
  EXPECT_EQ(sl_db::profileSvg(nullptr), "");
  EXPECT_EQ(sl_db::profileSvg(shape<IShapeProfile>({{"height", 200}}).get()), "");
}

TEST(SectionDrawing, EveryShippedProfileIsDrawnInsideItsViewWithItsFiguresAndRenders) {
  testsupport::ScratchDir dir;
  std::set<int> rendered;
  for (const char* file : {"/metric.stocklib", "/imperial.stocklib"}) {
    auto library = LibraryManager::instance().open(
        OdString::fromUtf8(std::string(SL_SUPPORT_DIR) + file), true);
    ASSERT_TRUE(library) << file;
    const bool inches = library->unit() == kLibraryUnitInch;
    std::vector<KcSmartPtr<Profile>> profiles;
    library->get(profiles);
    EXPECT_GT(profiles.size(), 50u) << file;
    for (const auto& p : profiles) {
      const std::string what = sl_db::fullProfileName(p.get()).toUtf8();
      const std::string svg = sl_db::profileSvg(p.get());
      pugi::xml_document doc;
      ASSERT_TRUE(doc.load_string(svg.c_str())) << what;
      pugi::xml_node root = doc.child("svg");
      const double width = root.attribute("width").as_double();
      const double height = root.attribute("height").as_double();
      std::string labels;
      for (pugi::xpath_node n : root.select_nodes("//*[@x or @x1 or @cx]")) {
        pugi::xml_node e = n.node();
        for (const char* a : {"x", "x1", "x2", "cx"})
          if (pugi::xml_attribute v = e.attribute(a)) {
            EXPECT_GE(v.as_double(), 0) << what << " " << e.name() << " " << a;
            EXPECT_LE(v.as_double(), width) << what << " " << e.name() << " " << a;
          }
        for (const char* a : {"y", "y1", "y2", "cy"})
          if (pugi::xml_attribute v = e.attribute(a)) {
            EXPECT_GE(v.as_double(), 0) << what << " " << e.name() << " " << a;
            EXPECT_LE(v.as_double(), height) << what << " " << e.name() << " " << a;
          }
        if (std::string(e.name()) == "text") labels += std::string(e.child_value()) + "\n";
      }
      // The tables' names and units, the title block, and no field names.
      const std::vector<std::string> wanted =
          inches ? std::vector<std::string>{"\nA = ",   " in\xC2\xB2\n",    "\nIx = ",
                                            "\nSx = ",  "\nZx = ",          "\nrx = ",
                                            " lb/ft\n", "library: imperial"}
                 : std::vector<std::string>{
                       "\nA = ",     " cm\xC2\xB2\n", "\nIy = ", "\nWel,y = ",
                       "\nWpl,y = ", "\niy = ",       " kg/m\n", "library: metric"};
      for (const std::string& label : wanted)
        EXPECT_NE(labels.find(label), std::string::npos) << what << " lacks " << label << labels;
      EXPECT_NE(labels.find("centroid from O: "), std::string::npos) << what;
      EXPECT_EQ(labels.find('_'), std::string::npos) << what << labels;
      // One of each shape is rendered as a viewer would.
      if (rendered.insert(int(p->objectType())).second) {
        const std::string in = dir.file("p.svg").toUtf8(), out = dir.file("p.png").toUtf8();
        std::ofstream(in) << svg;
        EXPECT_EQ(std::system(("rsvg-convert '" + in + "' -o '" + out + "'").c_str()), 0) << what;
        EXPECT_GT(std::filesystem::file_size(out), 1000u) << what;
      }
    }
  }
  // US sizes in sixteenths of an inch where they are one (0.44 is not); angles carry their
  // principal axes with the angle.
  auto w = shape<IShapeProfile>({{"height", 14},
                                 {"width", 14.5},
                                 {"web_thickness", 0.4375},
                                 {"flange_thickness", 0.44},
                                 {"fillet_radius", 0.6}});
  auto inchLibrary =
      LibraryManager::instance().create(dir.file("in.stocklib"), kLibraryUnitInch, OdString());
  const std::string us = sl_db::profileSvg(w->save(inchLibrary).get());
  for (const char* label : {">tw = 7/16 in<", ">b = 14-1/2 in<", ">h = 14 in<", ">tf = 0.44 in<"})
    EXPECT_NE(us.find(label), std::string::npos) << label;
  const std::string angle = sl_db::profileSvg(
      shape<LShapeProfile>({{"height", 150}, {"width", 90}, {"thickness", 10}}).get());
  EXPECT_NE(angle.find("u (\xCE\xB1 = "), std::string::npos);
}

TEST(SectionDrawing, PliesStandInOrderToScaleHatchedByTheirPatternType) {
  auto brick = Material::create(L"Brick");
  brick->set_cut_pattern(Pattern(Pattern::kPredefined, L"BRICK"));
  auto wool = Material::create(L"Mineral wool");
  wool->set_cut_pattern(Pattern(Pattern::kUserDefined, L"", 1.0, 0.5, true));
  auto plaster = Material::create(L"Plaster");  // no pattern
  auto wall = Composition::create(L"Wall & <outer>");
  wall->append_ply(brick.get(), 115);
  wall->append_ply(wool.get(), 140);
  wall->append_ply(brick.get(), 175);
  wall->append_ply(plaster.get(), 15);
  wall->set_first_core_ply(1);
  wall->set_last_core_ply(2);
  wall->set_structural_ply(2);
  wall->set_variable_ply(1);

  const std::string svg = sl_db::compositionSvg(wall.get());
  pugi::xml_document doc;
  ASSERT_TRUE(doc.load_string(svg.c_str())) << svg;
  pugi::xml_node root = doc.child("svg");
  EXPECT_STREQ(root.child_value("title"), "Wall & <outer>");
  pugi::xml_node group = root.find_child_by_attribute("g", "class", "plies");
  double k = group.attribute("data-px-per-unit").as_double();
  const std::vector<std::string> names = {"Brick", "Mineral wool", "Brick", "Plaster"};
  const std::vector<double> thickness = {115, 140, 175, 15};
  const std::vector<int> types = {Pattern::kPredefined, Pattern::kUserDefined, Pattern::kPredefined,
                                  Pattern::kNone};
  std::size_t i = 0;
  double x = -1;
  for (pugi::xml_node rect : group.children("rect")) {
    ASSERT_LT(i, names.size());
    EXPECT_EQ(rect.attribute("data-material").value(), names[i]);
    if (x >= 0) {
      EXPECT_NEAR(rect.attribute("x").as_double(), x, 1e-3) << i;
    }
    x = rect.attribute("x").as_double() + rect.attribute("width").as_double();
    EXPECT_NEAR(rect.attribute("width").as_double() / k, thickness[i], 1e-3) << i;
    EXPECT_EQ(std::string(rect.attribute("class").value()), i == 2 ? "ply structural" : "ply");
    std::string fill = rect.attribute("fill").value();
    if (types[i] == Pattern::kNone) {
      EXPECT_EQ(fill, "#ffffff");
    } else {
      ASSERT_EQ(fill.rfind("url(#", 0), 0u) << fill;
      pugi::xml_node pattern = root.child("defs").find_child_by_attribute(
          "pattern", "id", fill.substr(5, fill.size() - 6).c_str());
      EXPECT_EQ(pattern.attribute("data-pattern-type").as_int(), types[i]) << i;
    }
    ++i;
  }
  EXPECT_EQ(i, names.size());
  std::vector<std::string> marks;
  for (pugi::xml_node t : root.children("text"))
    if (std::string(t.attribute("class").value()) == "mark") marks.push_back(t.child_value());
  EXPECT_EQ(marks, (std::vector<std::string>{"var", "S", "core"}));
  EXPECT_NE(svg.find("total 445 mm"), std::string::npos);

  EXPECT_EQ(sl_db::compositionSvg(Composition::create(L"Empty").get()), "");
  EXPECT_EQ(sl_db::compositionSvg(nullptr), "");
}

// SVG pictures read back as a browser would: the drawn outline encloses the computed area, and
// a composition's plies stand in order with widths to scale and hatches by pattern type.
#include "sl_db/SectionDrawing.h"

#include <gtest/gtest.h>

#include <pugixml.hpp>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <numeric>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "DataRows.h"
#include "ProfileTestSupport.h"
#include "ScratchDir.h"
#include "sl_db/ProfileHelpers.h"
#include "sl_db/SectionProperties.h"
#include "sl_db/ThermalResistance.h"
#include "stocklib/Library.h"

using namespace stocklib;
using sltest::material;
using sltest::shape;

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
  return loops.empty() ? 0 : 2 * loops[0] - std::accumulate(loops.begin(), loops.end(), 0.0);
}

/// Every point an element outside the hatch definitions is placed at lies inside the view.
void expectInView(pugi::xml_node root, const std::string& what) {
  const double size[] = {root.attribute("width").as_double(), root.attribute("height").as_double()};
  for (pugi::xpath_node n : root.select_nodes("//*[not(ancestor::defs)][@x or @x1 or @cx]"))
    for (const char* a : {"x", "x1", "x2", "cx", "y", "y1", "y2", "cy"})
      if (pugi::xml_attribute v = n.node().attribute(a)) {
        EXPECT_TRUE(v.as_double() >= 0 && v.as_double() <= size[a[0] == 'y' || a[1] == 'y'])
            << what << " " << n.node().name() << " " << a << " = " << v.value();
      }
}

std::vector<std::string> texts(pugi::xml_node root, const char* cls) {
  std::vector<std::string> found;
  for (pugi::xpath_node t : root.select_nodes("//text"))
    if (!cls || std::string(t.node().attribute("class").value()) == cls)
      found.push_back(t.node().child_value());
  return found;
}

}  // namespace

TEST(SectionDrawing, EveryShippedProfileIsDrawnInsideItsViewWithItsFiguresAndRenders) {
  testsupport::ScratchDir dir;
  std::set<int> rendered;
  const auto said = sltest::dataRows("profiles-labels.txt", 2);
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
      expectInView(root, what);
      std::string labels;
      for (const std::string& t : texts(root, nullptr))
        labels += t + "\n";
      for (const auto& r : said)
        if (r[0] == "any" || r[0] == (inches ? "imperial" : "metric")) {
          EXPECT_NE(labels.find(r[1]), std::string::npos) << what << " lacks " << r[1] << labels;
        }
      EXPECT_EQ(labels.find('_'), std::string::npos) << what << labels;  // no field names
      if (!rendered.insert(int(p->objectType())).second) continue;
      // One of each shape: its outline encloses the computed area, the centroid is marked where
      // the properties put it, and a viewer renders it.
      pugi::xml_node group = root.find_child_by_attribute("g", "class", "section");
      const double k = group.attribute("data-px-per-unit").as_double();
      auto props = sl_db::sectionProperties(p.get());
      ASSERT_TRUE(props && k > 0) << what;
      const double drawn = pathArea(
          group.find_child_by_attribute("path", "class", "outline").attribute("d").value());
      EXPECT_NEAR(drawn / (k * k), props->area, props->area * 1e-5) << what;
      auto at = [&](const char* tag, const char* cls, const char* a) {
        return root.find_child_by_attribute(tag, "class", cls).attribute(a).as_double();
      };
      EXPECT_NEAR((at("circle", "centroid", "cx") - at("line", "axis", "x1") - 15) / k,
                  props->centroidY - sl_db::outlineBounds(*sl_db::profileOutline(p.get())).minX,
                  1e-3)
          << what;
      const std::string in = dir.file("p.svg").toUtf8(), out = dir.file("p.png").toUtf8();
      std::ofstream(in) << svg;
      EXPECT_EQ(std::system(("rsvg-convert '" + in + "' -o '" + out + "'").c_str()), 0) << what;
      EXPECT_GT(std::filesystem::file_size(out), 1000u) << what;
    }
  }
  EXPECT_TRUE(sl_db::profileSvg(nullptr).empty() &&
              sl_db::profileSvg(shape<IShapeProfile>("height 200").get()).empty());
  // US sizes in sixteenths of an inch where they are one (0.44 is not); angles carry their
  // principal axes with the angle.
  auto w = shape<IShapeProfile>(
      "height 14 width 14.5 web_thickness 0.4375 flange_thickness 0.44 fillet_radius 0.6");
  auto inchLibrary =
      LibraryManager::instance().create(dir.file("in.stocklib"), kLibraryUnitInch, OdString());
  const std::string us = sl_db::profileSvg(w->save(inchLibrary).get());
  for (const char* label : {">tw = 7/16 in<", ">b = 14-1/2 in<", ">h = 14 in<", ">tf = 0.44 in<"})
    EXPECT_NE(us.find(label), std::string::npos) << label;
  const std::string angle =
      sl_db::profileSvg(shape<LShapeProfile>("height 150 width 90 thickness 10").get());
  EXPECT_NE(angle.find("u (\xCE\xB1 = "), std::string::npos);
}

TEST(SectionDrawing, PliesStandInOrderToScaleHatchedByTheirKind) {
  auto wall = Composition::create(L"Wall & <outer>"), roof = Composition::create(L"Roof");
  wall->set_type(Composition::kWall);
  roof->set_type(Composition::kRoof);  // which lies with its first ply on top
  std::map<std::string, std::pair<Composition*, std::vector<std::string>>> drawn = {
      {"wall", {wall.get(), {}}}, {"roof", {roof.get(), {}}}};
  const std::vector<std::string> functions = {"none",     "structure", "substrate", "insulation",
                                              "finish 1", "finish 2",  "membrane"};
  for (const auto& r : sltest::dataRows("profiles-plies.txt", 8)) {
    const OdString name = OdString::fromUtf8(r[1]), type = OdString::fromUtf8(r[3]);
    const Pattern pattern =
        r[4] == "user defined" ? Pattern(Pattern::kUserDefined, L"", 1, 0.5, true)
        : r[4].empty()         ? Pattern()
                               : Pattern(Pattern::kPredefined, OdString::fromUtf8(r[4]));
    auto& [composition, kinds] = drawn.at(r[0]);
    const auto function = std::find(functions.begin(), functions.end(), r[6]) - functions.begin();
    composition->append_ply(material(name, std::stod(r[2]), type, pattern).get(), std::stod(r[5]),
                            MaterialFunction(function));
    kinds.push_back(r[7]);
  }
  wall->set_first_core_ply(1);
  wall->set_last_core_ply(2);
  wall->set_structural_ply(2);
  wall->set_variable_ply(1);
  wall->set_variable_ply_min_thickness(80);

  for (const auto& [name, made] : drawn) {
    const auto& [composition, expected] = made;
    const bool lying = name == "roof";
    SCOPED_TRACE(name);
    const std::string svg = sl_db::compositionSvg(composition);
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_string(svg.c_str())) << svg;
    pugi::xml_node root = doc.child("svg");
    expectInView(root, svg);
    pugi::xml_node group = root.find_child_by_attribute("g", "class", "plies");
    const double k = group.attribute("data-px-per-unit").as_double();
    ASSERT_GT(k, 0);
    const char *from = lying ? "y" : "x", *size = lying ? "height" : "width";
    std::size_t i = 0;
    double at = group.child("rect").attribute(from).as_double();
    std::vector<std::string> fills;
    std::string labels;
    for (const std::string& t : texts(root, "label"))
      labels += "\n" + t + "\n";
    for (pugi::xml_node rect : group.children("rect")) {
      ASSERT_LT(i, expected.size());
      auto ply = composition->ply(i);
      EXPECT_NEAR(rect.attribute(from).as_double(), at, 1e-3) << i;
      at = rect.attribute(from).as_double() + rect.attribute(size).as_double();
      EXPECT_NEAR(rect.attribute(size).as_double() / k, ply->thickness(), 1e-3) << i;
      EXPECT_EQ(rect.attribute("data-kind").value(), expected[i]) << i;
      const std::string cls = rect.attribute("class").value();
      EXPECT_EQ(cls.find("structural") != std::string::npos, i == composition->structural_ply());
      EXPECT_EQ(cls.find("thin") != std::string::npos, ply->thickness() * k < 3) << i;
      char label[64];
      std::snprintf(label, sizeof label, "\n%s %g mm\n", ply->material()->name().toUtf8().c_str(),
                    ply->thickness());
      EXPECT_NE(labels.find(label), std::string::npos) << label;
      fills.push_back(rect.attribute("fill").value());
      ++i;
    }
    EXPECT_EQ(i, expected.size());
    // The figures under the picture, with a U-value (the roof) or the plies that have none.
    const std::vector<std::string> shown = texts(root, "figures");
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].rfind(sl_db::thermalSummary(*sl_db::thermalFigures(composition)), 0), 0u)
        << shown[0];
    EXPECT_EQ(shown[0].find("no U-value") == std::string::npos, lying);
    if (lying) {
      std::sort(fills.begin(), fills.end());
      EXPECT_EQ(std::unique(fills.begin(), fills.end()), fills.end()) << "a fill per kind";
      continue;
    }
    pugi::xml_node pattern = root.child("defs").find_child_by_attribute(
        "pattern", "id", fills[1].substr(5, fills[1].size() - 6).c_str());
    EXPECT_EQ(pattern.attribute("data-pattern-type").as_int(), Pattern::kUserDefined);
    EXPECT_EQ(texts(root, "mark"), (std::vector<std::string>{"var", "S", "core"}));
    for (const char* part : {"min 80 mm, max none", "total 445.2 mm"})
      EXPECT_NE(labels.find(part), std::string::npos) << part;
  }
  EXPECT_TRUE(sl_db::compositionSvg(Composition::create(L"Empty").get()).empty() &&
              sl_db::compositionSvg(nullptr).empty());
}

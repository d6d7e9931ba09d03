// SVG pictures of cross-sections and compositions, written with pugixml (8-bit build: every
// text is UTF-8). Screen y runs downwards, so the section's y is flipped on the way out.
#include "sl_db/SectionDrawing.h"

#include <pugixml.hpp>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <sstream>

#include "sl_db/ProfileHelpers.h"
#include "sl_db/SectionProperties.h"
#include "sl_db/ThermalResistance.h"
#include "stocklib/Library.h"

namespace sl_db {

namespace {

constexpr double kPi = 3.141592653589793;

// Set when a number that is not finite was asked for: the drawing is then not given out.
thread_local bool t_nonFinite = false;

std::string number(double value) {
  if (!std::isfinite(value)) t_nonFinite = true;
  char text[32];
  std::snprintf(text, sizeof text, "%.6g", std::fabs(value) < 1e-9 ? 0.0 : value);
  return text;
}

std::string unitName(const std::shared_ptr<stocklib::Library>& library) {
  return library && library->unit() == stocklib::kLibraryUnitInch ? "in" : "mm";
}

pugi::xml_node element(pugi::xml_node parent, const char* name,
                       std::initializer_list<std::pair<const char*, std::string>> attributes) {
  pugi::xml_node node = parent.append_child(name);
  for (const auto& [key, value] : attributes)
    node.append_attribute(key) = value.c_str();
  return node;
}

pugi::xml_node text(pugi::xml_node parent, double x, double y, const std::string& content,
                    const char* anchor = "start", const char* cls = "label") {
  pugi::xml_node node =
      element(parent, "text",
              {{"x", number(x)}, {"y", number(y)}, {"text-anchor", anchor}, {"class", cls}});
  node.text() = content.c_str();
  return node;
}

pugi::xml_node line(pugi::xml_node parent, double x1, double y1, double x2, double y2,
                    const char* cls) {
  return element(parent, "line",
                 {{"x1", number(x1)},
                  {"y1", number(y1)},
                  {"x2", number(x2)},
                  {"y2", number(y2)},
                  {"class", cls}});
}

pugi::xml_document newDocument(double width, double height, const std::string& title,
                               const char* style) {
  pugi::xml_document doc;
  pugi::xml_node svg = element(doc, "svg",
                               {{"xmlns", "http://www.w3.org/2000/svg"},
                                {"width", number(width)},
                                {"height", number(height)},
                                {"viewBox", "0 0 " + number(width) + " " + number(height)}});
  svg.append_child("title").text() = title.c_str();
  svg.append_child("style").text() = style;
  element(svg, "rect", {{"width", "100%"}, {"height", "100%"}, {"fill", "white"}});
  return doc;
}

std::string serialise(const pugi::xml_document& doc) {
  std::ostringstream out;
  // Control characters are not XML 1.0 text, even as references: a name holding one loses it.
  doc.save(out, "  ", pugi::format_default | pugi::format_skip_control_chars, pugi::encoding_utf8);
  return out.str();
}

/// A dimension line between two points with its text beside its middle.
void dimension(pugi::xml_node parent, double x1, double y1, double x2, double y2,
               const std::string& label, bool vertical) {
  line(parent, x1, y1, x2, y2, "dim");
  const double tick = 5;
  if (vertical) {
    line(parent, x1 - tick, y1, x1 + tick, y1, "dim");
    line(parent, x2 - tick, y2, x2 + tick, y2, "dim");
    pugi::xml_node t = text(parent, x1 + 14, (y1 + y2) / 2, label, "middle");
    t.append_attribute("transform") =
        ("rotate(-90 " + number(x1 + 14) + " " + number((y1 + y2) / 2) + ")").c_str();
  } else {
    line(parent, x1, y1 - tick, x1, y1 + tick, "dim");
    line(parent, x2, y2 - tick, x2, y2 + tick, "dim");
    text(parent, (x1 + x2) / 2, y1 + 18, label, "middle");
  }
}

const char kProfileStyle[] =
    ".outline{fill:#d8dde6;stroke:#1f2a44;stroke-width:1.5;fill-rule:evenodd}"
    ".dim{stroke:#555;stroke-width:0.8}.axis{stroke:#b03030;stroke-width:0.8;"
    "stroke-dasharray:8 3 2 3}.principal{stroke:#2e7d32;stroke-width:0.8;stroke-dasharray:6 3}"
    ".label{font:12px sans-serif;fill:#222}.title{font:bold 16px sans-serif;fill:#111}"
    ".centroid{fill:none;stroke:#b03030;stroke-width:1.2}.frame{fill:none;stroke:#1f2a44;"
    "stroke-width:1}.leader{stroke:#555;stroke-width:0.8;fill:none}";

/// A length as the library's engineers write it: millimetres with their decimals; inches as
/// sixteenths where the length is one ("5/16 in", "1-1/2 in"), else with decimals.
std::string lengthText(double value, bool inches) {
  if (!inches) return number(value) + " mm";
  const double sixteenths = std::round(value * 16);
  if (std::fabs(value * 16 - sixteenths) > 0.02 || sixteenths <= 0) return number(value) + " in";
  long whole = long(sixteenths) / 16, part = long(sixteenths) % 16, over = 16;
  while (part > 0 && part % 2 == 0)
    part /= 2, over /= 2;
  std::string text = whole > 0 ? std::to_string(whole) : "";
  if (part > 0) text += (whole > 0 ? "-" : "") + std::to_string(part) + "/" + std::to_string(over);
  return text + " in";
}

/// The symbol the tables give a dimension; its own name, spaced, for one they do not.
std::string dimensionSymbol(const std::string& name) {
  static const std::pair<const char*, const char*> symbols[] = {{"height", "h"},
                                                                {"width", "b"},
                                                                {"diameter", "d"},
                                                                {"web_thickness", "tw"},
                                                                {"flange_thickness", "tf"},
                                                                {"thickness", "t"},
                                                                {"wall_thickness", "t"},
                                                                {"fillet_radius", "r"},
                                                                {"root_radius", "r1"},
                                                                {"toe_radius", "r2"},
                                                                {"inner_radius", "ri"},
                                                                {"outer_radius", "ro"},
                                                                {"radius", "r"},
                                                                {"flange_slope", "slope"},
                                                                {"lip_length", "c"},
                                                                {"top_width", "bt"},
                                                                {"bottom_width", "bb"},
                                                                {"top_flange_thickness", "tft"},
                                                                {"bottom_flange_thickness", "tfb"}};
  for (const auto& [key, symbol] : symbols)
    if (name == key) return symbol;
  std::string spaced = name;
  std::replace(spaced.begin(), spaced.end(), '_', ' ');
  return spaced;
}

}  // namespace

std::string profileSvg(const stocklib::Profile* profile) {
  std::optional<SectionOutline> outline = profileOutline(profile);
  if (!outline) return std::string();
  std::optional<SectionProperties> props = sectionProperties(profile);
  if (!props) return std::string();
  t_nonFinite = false;
  const bool inches = props->unit == stocklib::kLibraryUnitInch;
  const std::string unit = inches ? "in" : "mm";
  const auto shape = stocklib::ParametrizedProfile::cast(profile);
  auto dim = [&](const char* name) {
    if (!shape) return 0.0;
    for (std::size_t i = 0; i < shape->dimension_count(); ++i)
      if (shape->dimension_name(i) == OdString::fromUtf8(name)) return shape->dimension(i);
    return 0.0;
  };

  const OutlineBounds bounds = outlineBounds(*outline);
  const double minX = bounds.minX, maxX = bounds.maxX, minY = bounds.minY, maxY = bounds.maxY;
  const double w = maxX - minX, h = maxY - minY;
  const double k = 360.0 / std::max(w, h);
  const double left = 70, top = 60, legend = 250, titleHeight = 70;
  const double width = left + w * k + 90 + legend;
  const double height = std::max(top + h * k + 90, top + 330.0) + titleHeight;
  auto X = [&](double x) { return left + (x - minX) * k; };
  auto Y = [&](double y) { return top + (maxY - y) * k; };

  const std::string name = fullProfileName(profile).toUtf8();
  const std::string title = name.empty() ? profile->size().toUtf8() : name;
  pugi::xml_document doc = newDocument(width, height, title, kProfileStyle);
  pugi::xml_node svg = doc.child("svg");
  text(svg, left, 28, title, "start", "title");

  std::string d;
  for (const SectionContour& c : outline->contours) {
    for (std::size_t i = 0; i < c.points.size(); ++i) {
      const auto& p = c.points[i];
      const auto& q = c.points[(i + 1) % c.points.size()];
      if (i == 0) d += "M" + number(X(p.x)) + " " + number(Y(p.y));
      if (p.bulge == 0) {
        if (i + 1 < c.points.size()) d += " L" + number(X(q.x)) + " " + number(Y(q.y));
        continue;
      }
      double chord = std::hypot(q.x - p.x, q.y - p.y);
      double r = chord / (2 * std::sin(2 * std::atan(std::fabs(p.bulge)))) * k;
      // The flip keeps what the viewer sees: a counter-clockwise arc stays one, and SVG's
      // sweep flag 1 means clockwise on screen.
      d += " A" + number(r) + " " + number(r) + " 0 " + (std::fabs(p.bulge) > 1 ? "1" : "0") +
           (p.bulge > 0 ? " 0 " : " 1 ") + number(X(q.x)) + " " + number(Y(q.y));
    }
    d += " Z ";
  }
  pugi::xml_node group = element(
      svg, "g", {{"class", "section"}, {"data-px-per-unit", number(k)}, {"data-unit", unit}});
  element(group, "path", {{"class", "outline"}, {"d", d}});

  // Centroidal axes, principal axes when turned (kept inside the drawing), and the centroid.
  const double cx = X(props->centroidY), cy = Y(props->centroidZ);
  line(svg, X(minX) - 15, cy, X(maxX) + 15, cy, "axis");
  line(svg, cx, Y(maxY) - 15, cx, Y(minY) + 15, "axis");
  text(svg, X(maxX) + 18, cy + 4, inches ? "x" : "y");
  text(svg, cx + 4, Y(maxY) - 18, inches ? "y" : "z");
  if (std::fabs(props->alpha) > 1e-6 && std::fabs(std::fabs(props->alpha) - kPi / 2) > 1e-6) {
    const double ux = std::cos(props->alpha), uy = -std::sin(props->alpha);
    // As far as the box of the outline reaches along each axis.
    auto reach = [&](double dx, double dy) {
      double t = 1e300;
      if (std::fabs(dx) > 1e-12)
        t = std::min(t, (dx > 0 ? X(maxX) - cx : cx - X(minX)) / std::fabs(dx));
      if (std::fabs(dy) > 1e-12)
        t = std::min(t, (dy > 0 ? Y(minY) - cy : cy - Y(maxY)) / std::fabs(dy));
      return t;
    };
    const double ru = reach(ux, uy), rv = reach(uy, -ux);
    const double bu = reach(-ux, -uy), bv = reach(-uy, ux);
    line(svg, cx - ux * bu, cy - uy * bu, cx + ux * ru, cy + uy * ru, "principal");
    line(svg, cx - uy * bv, cy + ux * bv, cx + uy * rv, cy - ux * rv, "principal");
    char angle[48];
    std::snprintf(angle, sizeof angle, "u (\xCE\xB1 = %.1f\xC2\xB0)", props->alpha * 180 / kPi);
    text(svg, cx + ux * ru * 0.6 + 4, cy + uy * ru * 0.6 - 4, angle);
    text(svg, cx + uy * rv * 0.6 + 4, cy - ux * rv * 0.6 - 4, "v");
  }
  element(svg, "circle",
          {{"class", "centroid"}, {"cx", number(cx)}, {"cy", number(cy)}, {"r", "5"}});
  line(svg, cx - 7, cy, cx + 7, cy, "centroid");
  line(svg, cx, cy - 7, cx, cy + 7, "centroid");
  // The origin the centroid is given from: the lower left corner of the outline's box.
  text(svg, X(minX) - 14, Y(minY) + 14, "O", "end");

  // Overall width and height, then the shape's own thicknesses where they are read.
  dimension(svg, X(minX), Y(minY) + 30, X(maxX), Y(minY) + 30,
            (shape ? "b = " : "") + lengthText(w, inches), false);
  dimension(svg, X(maxX) + 40, Y(maxY), X(maxX) + 40, Y(minY),
            (shape ? "h = " : "") + lengthText(h, inches), true);
  auto across = [&](const char* symbol, double x1, double x2, double y) {
    const double value = std::fabs(x2 - x1);
    line(svg, X(x1), Y(y), X(x2), Y(y), "dim");
    text(svg, std::max(X(x1), X(x2)) + 4, Y(y) - 4,
         std::string(symbol) + " = " + lengthText(value, inches));
  };
  auto upright = [&](const char* symbol, double x, double y1, double y2) {
    line(svg, X(x), Y(y1), X(x), Y(y2), "dim");
    text(svg, X(x) + 4, std::min(Y(y1), Y(y2)) - 4,
         std::string(symbol) + " = " + lengthText(std::fabs(y2 - y1), inches));
  };
  using stocklib::ObjectType;
  const double tw = dim("web_thickness"), tf = dim("flange_thickness");
  const double bw = dim("width"), ht = dim("height");
  switch (profile->objectType()) {
    case ObjectType::IShapeProfile:
      across("tw", (bw - tw) / 2, (bw + tw) / 2, ht / 2);
      upright("tf", bw * 3 / 4, ht - tf, ht);
      break;
    case ObjectType::UShapeProfile:
      across("tw", 0, tw, ht / 2);
      upright("tf", bw / 2, ht - tf, ht);
      break;
    case ObjectType::ZShapeProfile:
      across("tw", bw - tw, bw, ht / 2);
      upright("tf", 2 * bw - tw - bw / 4, ht - tf, ht);
      break;
    case ObjectType::TShapeProfile:
      across("tw", (bw - tw) / 2, (bw + tw) / 2, (ht - tf) / 2);
      upright("tf", bw * 7 / 8, ht - tf, ht);
      break;
    case ObjectType::LShapeProfile:
      across("t", 0, dim("thickness"), ht * 3 / 4);
      break;
    case ObjectType::RectangleHollowProfile:
    case ObjectType::CShapeProfile:
      across("t", 0, dim("wall_thickness"), ht / 2);
      break;
    case ObjectType::CircleHollowProfile:
      upright("t", w / 2, h - dim("wall_thickness"), h);
      break;
    default:
      break;
  }
  // Each radius by a leader to the first arc of that radius.
  if (shape) {
    for (std::size_t i = 0; i < shape->dimension_count(); ++i) {
      const std::string field = shape->dimension_name(i).toUtf8();
      const double r = shape->dimension(i);
      if (field.find("radius") == std::string::npos || !(r > 0) || field == "radius") continue;
      bool drawn = false;
      for (const SectionContour& c : outline->contours) {
        for (std::size_t j = 0; j < c.points.size() && !drawn; ++j) {
          const auto& p = c.points[j];
          const auto& q = c.points[(j + 1) % c.points.size()];
          if (p.bulge == 0 || std::fabs(std::fabs(p.bulge) - 1) < 1e-9) continue;
          const double half = 2 * std::atan(std::fabs(p.bulge));
          const double chord = std::hypot(q.x - p.x, q.y - p.y);
          if (std::fabs(chord / (2 * std::sin(half)) - r) > 1e-6 * r) continue;
          // The arc's midpoint, off the chord by its sagitta.
          const double mx = (p.x + q.x) / 2, my = (p.y + q.y) / 2, sag = r * (1 - std::cos(half));
          const double sign = p.bulge > 0 ? 1 : -1;
          const double ax = mx + sign * (q.y - p.y) / chord * sag;
          const double ay = my - sign * (q.x - p.x) / chord * sag;
          const double lx = std::min(X(ax) + 30, width - legend - 10), ly = Y(ay) - 24;
          element(svg, "path",
                  {{"class", "leader"},
                   {"d", "M" + number(X(ax)) + " " + number(Y(ay)) + " L" + number(lx) + " " +
                             number(ly)}});
          text(svg, lx + 2, ly, dimensionSymbol(field) + " = " + lengthText(r, inches));
          drawn = true;
        }
      }
    }
  }
  if (const double slope = dim("flange_slope"); slope > 0)
    text(svg, X(maxX) - 4, Y(maxY - tf) + 18, "slope " + number(slope * 100) + " %", "end");

  // The figures as the tables name them, in cm (or inches).
  const double lx = X(maxX) + 90;
  double ly = top + 10;
  auto legendLine = [&](const std::string& s, const char* cls = "label") {
    text(svg, lx, ly, s, "start", cls);
    ly += 16;
  };
  const double toTable = inches ? 1.0 : 0.1;
  const std::string tu = inches ? "in" : "cm";
  auto figure = [&](const char* en, const char* us, double value, int power) {
    static const char* const powers[] = {
        "", "", "\xC2\xB2", "\xC2\xB3", "\xE2\x81\xB4", "", "\xE2\x81\xB6"};
    legendLine(std::string(inches ? us : en) + " = " +
               figureText(value * std::pow(toTable, power)) + " " + tu + powers[power]);
  };
  legendLine(getProfileShapeLabel(profile->objectType(), false).toUtf8(), "title");
  if (shape) {
    for (std::size_t i = 0; i < shape->dimension_count(); ++i) {
      if (!shape->has_dimension(i)) continue;
      const std::string field = shape->dimension_name(i).toUtf8();
      legendLine(dimensionSymbol(field) + " = " +
                 (shape->dimension_is_length(i) ? lengthText(shape->dimension(i), inches)
                  : field == "flange_slope"     ? number(shape->dimension(i) * 100) + " %"
                                                : number(shape->dimension(i))));
    }
  }
  ly += 8;
  figure("A", "A", props->area, 2);
  figure("Iy", "Ix", props->Iy, 4);
  figure("Iz", "Iy", props->Iz, 4);
  figure("Wel,y", "Sx", props->WelY, 3);
  figure("Wpl,y", "Zx", props->WplY, 3);
  figure("iy", "rx", props->iy, 1);
  if (props->It) figure("It", "J", *props->It, 4);
  if (props->Iw) figure("Iw", "Cw", *props->Iw, 6);
  OdString material;
  if (std::optional<double> density = profileDensity(profile, &material)) {
    const double kgPerM = props->massPerLength(*density);
    legendLine(inches ? "W = " + figureText(kgPerM * 0.3048 / 0.45359237) + " lb/ft"
                      : "G = " + figureText(kgPerM) + " kg/m");
  }
  legendLine("centroid from O: " + figureText(props->centroidY * toTable) + ", " +
             figureText(props->centroidZ * toTable) + " " + tu);

  // The title block: full name, standard, library and scale.
  const double by = height - titleHeight + 10, bw2 = width - 20;
  element(svg, "rect",
          {{"class", "frame"},
           {"x", "10"},
           {"y", number(by)},
           {"width", number(bw2)},
           {"height", number(titleHeight - 20)}});
  KcSmartPtr<stocklib::ProfileName> profileName = profile->name();
  KcSmartPtr<stocklib::ProfileStandard> standard = profileName ? profileName->standard() : nullptr;
  std::shared_ptr<stocklib::Library> library = profile->library();
  // 96 px to the inch on screen; the scale is the drawing's to the real section.
  const double real = k / (inches ? 96.0 : 96.0 / 25.4);
  const std::string scale = real >= 1 ? number(std::round(real * 10) / 10) + ":1"
                                      : "1:" + number(std::round(10 / real) / 10);
  text(svg, 20, by + 20, title, "start", "title");
  text(svg, 20, by + 40,
       "standard: " + (standard ? standard->name().toUtf8() : std::string("none")) +
           " \xC2\xB7 library: " + (library ? library->name().toUtf8() : std::string("none")) +
           " \xC2\xB7 scale " + scale + " at 96 px/in");
  if (t_nonFinite) return std::string();
  return serialise(doc);
}

namespace {

const char kCompositionStyle[] =
    ".ply{stroke:#1f2a44;stroke-width:1}.structural{stroke-width:3}.thin{stroke:#111;"
    "stroke-width:4}.label{font:12px sans-serif;fill:#222}.title{font:bold 16px sans-serif;"
    "fill:#111}.dim{stroke:#555;stroke-width:0.8}.mark{font:bold 12px sans-serif;fill:#8a1c1c}"
    ".core{fill:none;stroke:#8a1c1c;stroke-width:1.5}.hatch{stroke:#333;stroke-width:0.7;"
    "fill:none}.grain{fill:#555}.leader{stroke:#555;stroke-width:0.7;fill:none}.figures{font:"
    "bold 13px sans-serif;fill:#111}";

/// The kinds of material a reader recognises in a section, each with its own hatch; kPattern
/// falls back to the material's own cut pattern.
enum class Kind {
  kPattern,
  kInsulation,
  kConcrete,
  kMasonry,
  kTimber,
  kSteel,
  kGypsum,
  kMembrane,
  kAir,
  kGravel,
  kGlass
};

const char* kindName(Kind kind) {
  static const char* const kNames[] = {"pattern", "insulation", "concrete", "masonry",
                                       "timber",  "steel",      "gypsum",   "membrane",
                                       "air",     "gravel",     "glass"};
  return kNames[static_cast<int>(kind)];
}

std::string lowered(const OdString& text) {
  std::string s = text.toUtf8();
  for (char& c : s)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

/// The kind by what the ply does, then the material's type, pattern name and name: a membrane
/// or an insulating ply reads as such whatever it is made of.
Kind kindOf(const stocklib::Material* material, stocklib::MaterialFunction function) {
  if (!material) return Kind::kPattern;
  KcSmartPtr<stocklib::MaterialType> materialType = material->type();
  const std::string type = materialType ? lowered(materialType->name()) : std::string(),
                    pattern = lowered(material->cut_pattern().name()),
                    name = lowered(material->name());
  auto has = [](const std::string& text, const char* word) {
    return text.find(word) != std::string::npos;
  };
  if (function == stocklib::kFunctionMembrane || has(name, "membrane")) return Kind::kMembrane;
  if (type == "gas") return Kind::kAir;
  if (function == stocklib::kFunctionInsulation || has(pattern, "insulation"))
    return Kind::kInsulation;
  if (has(name, "gypsum") || has(name, "plaster") || has(name, "render")) return Kind::kGypsum;
  if (has(pattern, "gravel") || has(name, "gravel") || has(name, "crushed stone"))
    return Kind::kGravel;
  if (type == "glass" || has(pattern, "glass")) return Kind::kGlass;
  if (type == "concrete" || has(pattern, "concrete")) return Kind::kConcrete;
  if (type == "masonry" || type == "stone" || type == "ceramic" || has(pattern, "brick") ||
      has(pattern, "stone"))
    return Kind::kMasonry;
  if (type == "wood" || has(pattern, "wood")) return Kind::kTimber;
  if (type == "metal" || has(pattern, "steel")) return Kind::kSteel;
  return Kind::kPattern;
}

pugi::xml_node tile(pugi::xml_node defs, const std::string& id, double w, double h,
                    const char* background, double angle = 0) {
  pugi::xml_node p = element(defs, "pattern",
                             {{"id", id},
                              {"patternUnits", "userSpaceOnUse"},
                              {"width", number(w)},
                              {"height", number(h)},
                              {"patternTransform", "rotate(" + number(angle) + ")"}});
  element(p, "rect", {{"width", number(w)}, {"height", number(h)}, {"fill", background}});
  return p;
}

void dot(pugi::xml_node parent, double x, double y, double r, const char* cls) {
  element(parent, "circle",
          {{"cx", number(x)}, {"cy", number(y)}, {"r", number(r)}, {"class", cls}});
}

/// The fill of a recognised kind: its pattern, made once per picture.
std::string kindFill(pugi::xml_node defs, Kind kind) {
  if (kind == Kind::kMembrane) return "#333333";
  if (kind == Kind::kAir) return "#eef6fb";
  const std::string id = std::string("hatch-") + kindName(kind);
  if (defs.find_child_by_attribute("pattern", "id", id.c_str())) return "url(#" + id + ")";
  pugi::xml_node p;
  switch (kind) {
    case Kind::kInsulation:  // the batt's wave
      p = tile(defs, id, 16, 8, "#fdf6e3");
      element(p, "path", {{"class", "hatch"}, {"d", "M0 4 Q2 0 4 4 T8 4 T12 4 T16 4"}});
      break;
    case Kind::kConcrete:  // stones in the mix
      p = tile(defs, id, 12, 12, "#ececec");
      dot(p, 2, 3, 0.8, "grain");
      dot(p, 8, 9, 0.6, "grain");
      dot(p, 9.5, 2.5, 0.7, "grain");
      element(p, "path", {{"class", "hatch"}, {"d", "M3 9 l2 -3 l1.5 3 z"}});
      break;
    case Kind::kMasonry:
      p = tile(defs, id, 6, 6, "#f6e0d6", -45);
      line(p, 0, 3, 6, 3, "hatch");
      break;
    case Kind::kTimber:  // the cross of sawn timber, apart from the insulation's wave
      p = tile(defs, id, 10, 10, "#f3e2c4");
      line(p, 0, 0, 10, 10, "hatch");
      line(p, 10, 0, 0, 10, "hatch");
      break;
    case Kind::kSteel:
      p = tile(defs, id, 4, 4, "#dfe3e8", -45);
      line(p, 0, 1, 4, 1, "hatch");
      line(p, 0, 2.4, 4, 2.4, "hatch");
      break;
    case Kind::kGypsum:
      p = tile(defs, id, 4, 4, "#f7f7f2");
      dot(p, 2, 2, 0.5, "grain");
      break;
    case Kind::kGravel:
      p = tile(defs, id, 10, 10, "#eee8dc");
      element(p, "circle", {{"cx", "3"}, {"cy", "3"}, {"r", "2"}, {"class", "hatch"}});
      element(p, "circle", {{"cx", "8"}, {"cy", "7.5"}, {"r", "1.6"}, {"class", "hatch"}});
      break;
    default:  // glass
      p = tile(defs, id, 10, 10, "#d6ecf5", -45);
      line(p, 0, 5, 10, 5, "hatch");
      break;
  }
  return "url(#" + id + ")";
}

/// A hatch for a ply by its material's cut pattern type: none is left plain; user-defined
/// lines follow the pattern's angle and scale (crossed when it says so); a predefined pattern
/// is drawn as slanted lines spaced by its name, so that neighbouring materials differ; a
/// custom one as a cross.
std::string hatchFill(pugi::xml_node defs, std::size_t index, const stocklib::Pattern& pattern) {
  const int type = pattern.type();
  if (type == stocklib::Pattern::kNone) return "#ffffff";
  const std::string id = "hatch" + std::to_string(index);
  const double turned = pattern.angle() * 180 / kPi;
  double angle = turned, spacing = 8;
  if (type == stocklib::Pattern::kUserDefined) {
    spacing = 8 * std::min(2.0, std::max(0.5, pattern.scale()));
  } else if (type == stocklib::Pattern::kPredefined) {
    std::size_t hash = 0;
    for (char c : pattern.name().toUtf8())
      hash = hash * 31 + static_cast<unsigned char>(c);
    angle = 45 + turned;
    spacing = 5 + 2 * static_cast<double>(hash % 4);
  }
  const bool cross = type == stocklib::Pattern::kCustom || pattern.cross();
  pugi::xml_node p = tile(defs, id, spacing, spacing, "#f4f1ea", -angle);
  p.append_attribute("data-pattern-type") = type;
  line(p, 0, spacing / 2, spacing, spacing / 2, "hatch");
  if (cross) line(p, spacing / 2, 0, spacing / 2, spacing, "hatch");
  return "url(#" + id + ")";
}

// Text is measured at about 7 px a character of 12 px type, enough for the view box to hold it.
double textWidth(const std::string& s) {
  std::size_t characters = 0;
  for (char c : s)
    characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return 7.0 * static_cast<double>(characters);
}

}  // namespace

std::string compositionSvg(const stocklib::Composition* composition) {
  if (!composition) return std::string();
  std::vector<KcSmartPtr<stocklib::Ply>> plies = composition->plies();
  double total = 0;
  for (const auto& ply : plies)
    total += std::max(0.0, ply->thickness());
  if (plies.empty() || !(total > 0) || !std::isfinite(total)) return std::string();
  t_nonFinite = false;
  const std::string unit = unitName(composition->library());
  // Walls stand with the exterior on the left; roofs and slabs lie with their top up. `along`
  // runs through the plies, `across` along the band.
  const bool lying = composition->type() == stocklib::Composition::kRoof ||
                     composition->type() == stocklib::Composition::kSlab;
  const double along = lying ? 300 : 400, across = lying ? 360 : 240, k = along / total;
  const double left = lying ? 120 : 60, top = lying ? 70 : 100;
  const double bandRight = left + (lying ? across : along),
               bandBottom = top + (lying ? along : across);
  auto thickness = [](const stocklib::Ply& ply) { return std::max(0.0, ply.thickness()); };

  // Labels stand in a column right of the band, one row each, joined to their ply by a leader.
  std::vector<std::string> labels;
  double labelsWidth = 0;
  for (const auto& ply : plies) {
    KcSmartPtr<stocklib::Material> material = ply->material();
    labels.push_back((material ? material->name().toUtf8() : "(no material)") + " " +
                     number(thickness(*ply)) + " " + unit);
    labelsWidth = std::max(labelsWidth, textWidth(labels.back()));
  }
  // Rows: a wall's follow each other from the top; a lying band's stand beside their ply,
  // pushed down where plies are too thin for a row each.
  std::vector<double> rows;
  for (double at = 0; rows.size() < plies.size();) {
    const double middle = at + thickness(*plies[rows.size()]) * k / 2;
    at += thickness(*plies[rows.size()]) * k;
    rows.push_back(lying ? std::max(top + middle + 4, rows.empty() ? 0 : rows.back() + 18)
                         : top + 20 + 18.0 * static_cast<double>(rows.size()));
  }
  const double labelX = bandRight + 60;
  const std::string name = composition->name().toUtf8();

  // The legend: the marks, the variable ply's range, then the thermal figures.
  std::vector<std::pair<std::string, const char*>> legend;
  const std::size_t firstCore = composition->first_core_ply(),
                    lastCore = composition->last_core_ply(),
                    structuralPly = composition->structural_ply();
  const bool hasCore = firstCore <= lastCore && lastCore < plies.size();
  const bool hasVariable =
      composition->has_variable_ply() && composition->variable_ply() < plies.size();
  legend.emplace_back("S  structural ply (ply " + std::to_string(structuralPly) + ")", "label");
  if (hasCore)
    legend.emplace_back(
        "core  plies " + std::to_string(firstCore) + " to " + std::to_string(lastCore), "label");
  if (hasVariable)
    legend.emplace_back("var  variable ply (ply " + std::to_string(composition->variable_ply()) +
                            "): min " + number(composition->variable_ply_min_thickness()) + " " +
                            unit + ", max " +
                            (composition->has_variable_ply_max_thickness()
                                 ? number(composition->variable_ply_max_thickness()) + " " + unit
                                 : std::string("none")),
                        "label");
  legend.emplace_back("plies counted from 0, " +
                          std::string(lying ? "top first" : "exterior first") + "; total " +
                          number(total) + " " + unit,
                      "label");
  if (std::optional<ThermalFigures> figures = thermalFigures(composition))
    legend.emplace_back(
        thermalSummary(*figures) + " (heat flow " + heatFlowName(figures->direction) + ")",
        "figures");

  double legendWidth = 0;
  for (const auto& row : legend)
    legendWidth = std::max(legendWidth, textWidth(row.first));
  const double labelsBottom = rows.back();
  const double legendTop = std::max(bandBottom + (lying ? 40 : 70), labelsBottom + 20);
  const double width =
      std::max({labelX + labelsWidth + 20, left + legendWidth + 20, textWidth(name) * 1.4 + 40});
  const double height = legendTop + 18.0 * static_cast<double>(legend.size()) + 10;

  pugi::xml_document doc = newDocument(width, height, name, kCompositionStyle);
  pugi::xml_node svg = doc.child("svg");
  text(svg, width / 2, 28, name, "middle", "title");
  if (lying) {
    text(svg, left, top - 10, "top", "start");
    text(svg, left, bandBottom + 20, "bottom", "start");
  } else {
    text(svg, left, top - 50, "exterior", "start");
    text(svg, bandRight, top - 50, "interior", "end");
  }
  pugi::xml_node defs = svg.append_child("defs");
  pugi::xml_node group = element(svg, "g",
                                 {{"class", "plies"},
                                  {"data-px-per-unit", number(k)},
                                  {"data-unit", unit},
                                  {"data-direction", lying ? "vertical" : "horizontal"}});
  pugi::xml_node notes = element(svg, "g", {{"class", "labels"}});

  double at = 0, coreFrom = -1, coreTo = -1;
  for (std::size_t i = 0; i < plies.size(); ++i) {
    const stocklib::Ply& ply = *plies[i];
    KcSmartPtr<stocklib::Material> material = ply.material();
    const double t = thickness(ply), size = t * k, middle = at + size / 2;
    const Kind kind = kindOf(material.get(), ply.function());
    // A ply too thin for its hatch to show is drawn as a thick line.
    const bool thin = size < 3;
    std::string fill = thin                     ? "#111111"
                       : kind != Kind::kPattern ? kindFill(defs, kind)
                       : material               ? hatchFill(defs, i, material->cut_pattern())
                                                : "#ffffff";
    std::string cls = "ply";
    if (i == structuralPly) cls += " structural";
    if (thin) cls += " thin";
    const double x = lying ? left : left + at, y = lying ? top + at : top;
    const double w = lying ? across : size, h = lying ? size : across;
    pugi::xml_node rect = element(group, "rect",
                                  {{"class", cls},
                                   {"x", number(x)},
                                   {"y", number(y)},
                                   {"width", number(w)},
                                   {"height", number(h)},
                                   {"fill", fill},
                                   {"data-kind", kindName(kind)},
                                   {"data-material", material ? material->name().toUtf8() : ""},
                                   {"data-thickness", number(t)}});
    rect.append_child("title").text() = labels[i].c_str();
    if (thin) {
      if (lying)
        line(group, left, top + middle, bandRight, top + middle, "thin");
      else
        line(group, left + middle, top, left + middle, bandBottom, "thin");
    }

    // The leader: from a dot in the ply to its label's row.
    const double row = rows[i];
    const double dotX = lying ? left + across * 0.7 : left + middle,
                 dotY = lying ? top + middle : row - 4;
    element(notes, "circle", {{"cx", number(dotX)}, {"cy", number(dotY)}, {"r", "2"}});
    element(notes, "polyline",
            {{"class", "leader"},
             {"points", number(dotX) + "," + number(dotY) + " " + number(bandRight + 20) + "," +
                            number(dotY) + " " + number(labelX - 6) + "," + number(row - 4)}});
    text(notes, labelX, row, labels[i]);

    std::string marks;
    if (i == structuralPly) marks += "S";
    if (hasVariable && i == composition->variable_ply()) marks += marks.empty() ? "var" : " var";
    if (!marks.empty()) {
      if (lying)
        text(svg, left - 8, top + middle + 4, marks, "end", "mark");
      else
        text(svg, left + middle, top - 8, marks, "middle", "mark");
    }
    if (hasCore && i >= firstCore && i <= lastCore) {
      if (coreFrom < 0) coreFrom = at;
      coreTo = at + size;
    }
    at += size;
  }
  if (coreFrom >= 0) {
    if (lying) {
      element(svg, "path",
              {{"class", "core"},
               {"d", "M" + number(left - 44) + " " + number(top + coreFrom) + " h-8 V" +
                         number(top + coreTo) + " h8"}});
      text(svg, left - 56, top + (coreFrom + coreTo) / 2 + 4, "core", "end", "mark");
    } else {
      element(svg, "path",
              {{"class", "core"},
               {"d", "M" + number(left + coreFrom) + " " + number(top - 26) + " v-8 H" +
                         number(left + coreTo) + " v8"}});
      text(svg, left + (coreFrom + coreTo) / 2, top - 38, "core", "middle", "mark");
    }
  }
  if (lying)
    dimension(svg, left - 110, top, left - 110, bandBottom, number(total) + " " + unit, true);
  else
    dimension(svg, left, bandBottom + 30, bandRight, bandBottom + 30, number(total) + " " + unit,
              false);
  double legendY = legendTop;
  for (const auto& [content, cls] : legend) {
    text(svg, left, legendY, content, "start", cls);
    legendY += 18;
  }
  if (t_nonFinite) return std::string();
  return serialise(doc);
}

}  // namespace sl_db

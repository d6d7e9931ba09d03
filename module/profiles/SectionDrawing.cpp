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
  doc.save(out, "  ", pugi::format_default, pugi::encoding_utf8);
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
    ".centroid{fill:none;stroke:#b03030;stroke-width:1.2}";

}  // namespace

std::string profileSvg(const stocklib::Profile* profile) {
  std::optional<SectionOutline> outline = profileOutline(profile);
  if (!outline) return std::string();
  std::optional<SectionProperties> props = sectionProperties(profile);
  if (!props) return std::string();
  t_nonFinite = false;
  const std::string unit = unitName(profile->library());

  const OutlineBounds bounds = outlineBounds(*outline);
  const double minX = bounds.minX, maxX = bounds.maxX, minY = bounds.minY, maxY = bounds.maxY;
  const double w = maxX - minX, h = maxY - minY;
  const double k = 360.0 / std::max(w, h);
  const double left = 70, top = 60, legend = 200;
  const double width = left + w * k + 80 + legend, height = top + h * k + 90;
  auto X = [&](double x) { return left + (x - minX) * k; };
  auto Y = [&](double y) { return top + (maxY - y) * k; };

  const std::string name = fullProfileName(profile).toUtf8();
  pugi::xml_document doc = newDocument(width, height, name, kProfileStyle);
  pugi::xml_node svg = doc.child("svg");
  text(svg, width / 2, 28, name.empty() ? profile->size().toUtf8() : name, "middle", "title");

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

  // Centroidal axes, principal axes when turned, and the centroid.
  const double cx = X(props->centroidY), cy = Y(props->centroidZ),
               reach = std::max(w, h) * k / 2 + 20;
  line(svg, X(minX) - 15, cy, X(maxX) + 15, cy, "axis");
  line(svg, cx, Y(maxY) - 15, cx, Y(minY) + 15, "axis");
  text(svg, X(maxX) + 18, cy + 4, "y");
  text(svg, cx + 4, Y(maxY) - 18, "z");
  if (std::fabs(props->alpha) > 1e-6 && std::fabs(std::fabs(props->alpha) - kPi / 2) > 1e-6) {
    double ux = std::cos(props->alpha), uy = -std::sin(props->alpha);
    line(svg, cx - ux * reach, cy - uy * reach, cx + ux * reach, cy + uy * reach, "principal");
    line(svg, cx + uy * reach, cy - ux * reach, cx - uy * reach, cy + ux * reach, "principal");
    text(svg, cx + ux * reach + 4, cy + uy * reach, "u");
    text(svg, cx - uy * reach + 4, cy + ux * reach, "v");
  }
  element(svg, "circle",
          {{"class", "centroid"}, {"cx", number(cx)}, {"cy", number(cy)}, {"r", "5"}});
  line(svg, cx - 7, cy, cx + 7, cy, "centroid");
  line(svg, cx, cy - 7, cx, cy + 7, "centroid");

  dimension(svg, X(minX), Y(minY) + 30, X(maxX), Y(minY) + 30, number(w) + " " + unit, false);
  dimension(svg, X(maxX) + 40, Y(maxY), X(maxX) + 40, Y(minY), number(h) + " " + unit, true);

  // The shape's own dimensions and the main properties, listed beside the drawing.
  double ly = top + 10, lx = X(maxX) + 80;
  auto legendLine = [&](const std::string& s) {
    text(svg, lx, ly, s);
    ly += 16;
  };
  legendLine(getProfileShapeLabel(profile->objectType(), false).toUtf8());
  if (auto shape = stocklib::ParametrizedProfile::cast(profile)) {
    for (std::size_t i = 0; i < shape->dimension_count(); ++i) {
      if (!shape->has_dimension(i)) continue;
      legendLine(shape->dimension_name(i).toUtf8() + " " + number(shape->dimension(i)) +
                 (shape->dimension_is_length(i) ? " " + unit : ""));
    }
  }
  ly += 8;
  legendLine("A " + number(props->area) + " " + unit + "\xC2\xB2");
  legendLine("Iy " + number(props->Iy) + " " + unit + "\xE2\x81\xB4");
  legendLine("Iz " + number(props->Iz) + " " + unit + "\xE2\x81\xB4");
  legendLine("centroid (" + number(props->centroidY) + ", " + number(props->centroidZ) + ")");
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

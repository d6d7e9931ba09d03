// SVG pictures of cross-sections and compositions, written with pugixml (8-bit build: every
// text is UTF-8). Screen y runs downwards, so the section's y is flipped on the way out.
#include "sl_db/SectionDrawing.h"

#include <pugixml.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>

#include "sl_db/ProfileHelpers.h"
#include "sl_db/SectionProperties.h"
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
    ".ply{stroke:#1f2a44;stroke-width:1}.structural{stroke-width:3}.label{font:12px "
    "sans-serif;fill:#222}.title{font:bold 16px sans-serif;fill:#111}.dim{stroke:#555;"
    "stroke-width:0.8}.mark{font:bold 12px sans-serif;fill:#8a1c1c}.core{fill:none;stroke:"
    "#8a1c1c;stroke-width:1.5}.hatch{stroke:#333;stroke-width:0.7}";

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
  const std::string size = number(spacing);
  pugi::xml_node p = element(defs, "pattern",
                             {{"id", id},
                              {"patternUnits", "userSpaceOnUse"},
                              {"width", size},
                              {"height", size},
                              {"patternTransform", "rotate(" + number(-angle) + ")"},
                              {"data-pattern-type", std::to_string(type)}});
  element(p, "rect", {{"width", size}, {"height", size}, {"fill", "#f4f1ea"}});
  line(p, 0, spacing / 2, spacing, spacing / 2, "hatch");
  if (cross) line(p, spacing / 2, 0, spacing / 2, spacing, "hatch");
  return "url(#" + id + ")";
}

}  // namespace

std::string compositionSvg(const stocklib::Composition* composition) {
  if (!composition) return std::string();
  std::vector<KcSmartPtr<stocklib::Ply>> plies = composition->plies();
  double total = 0;
  for (const auto& ply : plies)
    total += std::max(0.0, ply->thickness());
  if (plies.empty() || !(total > 0) || !std::isfinite(total)) return std::string();
  const std::string unit = unitName(composition->library());
  // Labels stand upright below their plies: room for the longest, at about 6 px a character.
  std::size_t longest = 0;
  for (const auto& ply : plies) {
    KcSmartPtr<stocklib::Material> material = ply->material();
    longest = std::max(longest, (material ? material->name().toUtf8().size() : 13) + 16);
  }
  const double k = 480.0 / total, left = 60, top = 90, bandHeight = 260;
  const double width = left * 2 + total * k, height = top + bandHeight + 6.0 * longest + 50;
  const std::string name = composition->name().toUtf8();
  pugi::xml_document doc = newDocument(width, height, name, kCompositionStyle);
  pugi::xml_node svg = doc.child("svg");
  text(svg, width / 2, 28, name, "middle", "title");
  text(svg, left, top - 40, "exterior", "start");
  text(svg, left + total * k, top - 40, "interior", "end");
  pugi::xml_node defs = svg.append_child("defs");
  pugi::xml_node group =
      element(svg, "g", {{"class", "plies"}, {"data-px-per-unit", number(k)}, {"data-unit", unit}});

  const std::size_t firstCore = composition->first_core_ply(),
                    lastCore = composition->last_core_ply();
  double x = left, coreFrom = -1, coreTo = -1;
  for (std::size_t i = 0; i < plies.size(); ++i) {
    const auto& ply = plies[i];
    KcSmartPtr<stocklib::Material> material = ply->material();
    const double t = std::max(0.0, ply->thickness()), pw = t * k;
    const std::string materialName = material ? material->name().toUtf8() : "(no material)";
    std::string fill = material ? hatchFill(defs, i, material->cut_pattern()) : "#ffffff";
    bool structural = i == composition->structural_ply();
    pugi::xml_node rect = element(group, "rect",
                                  {{"class", structural ? "ply structural" : "ply"},
                                   {"x", number(x)},
                                   {"y", number(top)},
                                   {"width", number(pw)},
                                   {"height", number(bandHeight)},
                                   {"fill", fill},
                                   {"data-material", materialName},
                                   {"data-thickness", number(t)}});
    rect.append_child("title").text() = (materialName + ", " + number(t) + " " + unit).c_str();
    // Names stand upright below their ply, so that thin plies keep readable labels.
    pugi::xml_node label = text(svg, x + pw / 2 + 4, top + bandHeight + 12,
                                materialName + " " + number(t) + " " + unit, "end");
    label.append_attribute("transform") =
        ("rotate(-90 " + number(x + pw / 2 + 4) + " " + number(top + bandHeight + 12) + ")")
            .c_str();
    std::string marks;
    if (structural) marks += "S";
    if (composition->has_variable_ply() && i == composition->variable_ply())
      marks += marks.empty() ? "var" : " var";
    if (!marks.empty()) text(svg, x + pw / 2, top - 8, marks, "middle", "mark");
    if (i >= firstCore && i <= lastCore) {
      if (coreFrom < 0) coreFrom = x;
      coreTo = x + pw;
    }
    x += pw;
  }
  if (coreFrom >= 0 && lastCore >= firstCore && lastCore < plies.size()) {
    element(svg, "path",
            {{"class", "core"},
             {"d", "M" + number(coreFrom) + " " + number(top - 26) + " v-8 H" + number(coreTo) +
                       " v8"}});
    text(svg, (coreFrom + coreTo) / 2, top - 38, "core", "middle", "mark");
  }
  dimension(svg, left, height - 30, left + total * k, height - 30,
            "total " + number(total) + " " + unit, false);
  return serialise(doc);
}

}  // namespace sl_db

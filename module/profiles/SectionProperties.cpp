// Cross-sections of every profile shape as loops of lines and arcs, and their area integrals:
// straight edges by the shoelace sums, arcs as the chord plus a signed circular segment.
#include "sl_db/SectionProperties.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "SectionFigures.h"
#include "stocklib/Library.h"

namespace sl_db {

namespace {

constexpr double kPi = 3.141592653589793;
using stocklib::OutlinePoint;
using Points = std::vector<OutlinePoint>;

// ---- Outlines ----

/// Corner: a vertex of a polygon whose corner is rounded with `radius` (0: sharp).
struct Corner {
  double x;
  double y;
  double radius = 0.0;
};

/// rounded: the loop through `corners` with each corner replaced by a tangent arc; empty when
/// two arcs overlap on an edge or an edge has no length.
std::optional<Points> rounded(const std::vector<Corner>& corners) {
  const std::size_t n = corners.size();
  std::vector<double> cut(n, 0.0), turn(n, 0.0);
  for (std::size_t i = 0; i < n; ++i) {
    const Corner& prev = corners[(i + n - 1) % n];
    const Corner& c = corners[i];
    const Corner& next = corners[(i + 1) % n];
    double ux = c.x - prev.x, uy = c.y - prev.y, vx = next.x - c.x, vy = next.y - c.y;
    if (std::hypot(ux, uy) <= 0 || std::hypot(vx, vy) <= 0) return std::nullopt;
    turn[i] = std::atan2(ux * vy - uy * vx, ux * vx + uy * vy);
    cut[i] = c.radius * std::tan(std::fabs(turn[i]) / 2);
  }
  Points points;
  for (std::size_t i = 0; i < n; ++i) {
    const Corner& c = corners[i];
    const Corner& next = corners[(i + 1) % n];
    double length = std::hypot(next.x - c.x, next.y - c.y);
    if (cut[i] + cut[(i + 1) % n] > length * (1 + 1e-12)) return std::nullopt;
    const Corner& prev = corners[(i + n - 1) % n];
    double inLength = std::hypot(c.x - prev.x, c.y - prev.y);
    if (cut[i] > 0) {
      points.push_back({c.x - (c.x - prev.x) / inLength * cut[i],
                        c.y - (c.y - prev.y) / inLength * cut[i], std::tan(turn[i] / 4)});
      points.push_back(
          {c.x + (next.x - c.x) / length * cut[i], c.y + (next.y - c.y) / length * cut[i], 0.0});
    } else {
      points.push_back({c.x, c.y, 0.0});
    }
  }
  return points;
}

/// Reads the dimensions of a shape; `ok` turns false when a length is missing or not positive.
template <class Shape>
struct Dims {
  const Shape& shape;
  bool ok = true;
  double length(double (Shape::*get)() const) {
    double v = (shape.*get)();
    if (!(v > 0) || !std::isfinite(v)) ok = false;
    return v;
  }
  double radius(double (Shape::*get)() const) {
    double v = (shape.*get)();
    if (!(v >= 0) || !std::isfinite(v)) ok = false;
    return v;
  }
};

SectionContour circle(double cx, double cy, double r, bool hole) {
  return {{{cx - r, cy, 1.0}, {cx + r, cy, 1.0}}, hole};
}

std::optional<SectionOutline> loops(std::vector<std::optional<Points>> parts, bool ok) {
  if (!ok) return std::nullopt;
  SectionOutline outline;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (!parts[i]) return std::nullopt;
    outline.contours.push_back({std::move(*parts[i]), i > 0});
  }
  return outline;
}

std::optional<SectionOutline> rectangleLoops(double w, double h, double ro, double t, double ri,
                                             bool ok) {
  if (!ok || (t > 0 && 2 * t >= std::min(w, h))) return std::nullopt;
  std::vector<std::optional<Points>> parts = {
      rounded({{0, 0, ro}, {w, 0, ro}, {w, h, ro}, {0, h, ro}})};
  if (t > 0)
    parts.push_back(rounded({{t, t, ri}, {w - t, t, ri}, {w - t, h - t, ri}, {t, h - t, ri}}));
  return loops(std::move(parts), ok);
}

/// An I section of two flanges centred on one web; `cx` is the web's centre line.
std::optional<SectionOutline> iLoops(double h, double bt, double bb, double tw, double tft,
                                     double tfb, double r, bool ok) {
  if (!ok || tw >= std::min(bt, bb) || tft + tfb >= h) return std::nullopt;
  double cx = std::max(bt, bb) / 2, wl = cx - tw / 2, wr = cx + tw / 2;
  return loops({rounded({{cx - bb / 2, 0},
                         {cx + bb / 2, 0},
                         {cx + bb / 2, tfb},
                         {wr, tfb, r},
                         {wr, h - tft, r},
                         {cx + bt / 2, h - tft},
                         {cx + bt / 2, h},
                         {cx - bt / 2, h},
                         {cx - bt / 2, h - tft},
                         {wl, h - tft, r},
                         {wl, tfb, r},
                         {cx - bb / 2, tfb}})},
               ok);
}

/// A crane rail drawn as head, web and foot (both rails share their dimensions).
template <class Rail>
std::optional<SectionOutline> railLoops(const Rail& rail) {
  Dims<Rail> d{rail};
  double h = d.length(&Rail::height), hw = d.length(&Rail::head_width);
  double hh = d.length(&Rail::head_height), tw = d.length(&Rail::web_thickness);
  double bw = d.length(&Rail::base_width), bh = d.length(&Rail::base_height);
  return iLoops(h, hw, bw, tw, hh, bh, 0, d.ok);
}

// One outline builder per shape, overloaded on the shape class; outlineOf dispatches over
// the shape table, so a shape without its builder here does not compile.
using namespace stocklib;
std::optional<SectionOutline> shapeOutline(const CircleProfile& profile) {
  Dims<CircleProfile> d{profile};
  double r = d.length(&CircleProfile::diameter) / 2;
  if (!d.ok) return std::nullopt;
  return SectionOutline{{circle(r, r, r, false)}};
}

std::optional<SectionOutline> shapeOutline(const CircleHollowProfile& profile) {
  Dims<CircleHollowProfile> d{profile};
  double r = d.length(&CircleHollowProfile::diameter) / 2;
  double t = d.length(&CircleHollowProfile::wall_thickness);
  if (!d.ok || t >= r) return std::nullopt;
  return SectionOutline{{circle(r, r, r, false), circle(r, r, r - t, true)}};
}

std::optional<SectionOutline> shapeOutline(const EllipseProfile& profile) {
  Dims<EllipseProfile> d{profile};
  double h = d.length(&EllipseProfile::height), w = d.length(&EllipseProfile::width);
  if (!d.ok) return std::nullopt;
  SectionContour loop;
  const int n = 128;
  for (int i = 0; i < n; ++i) {
    double a = 2 * kPi * i / n;
    loop.points.push_back({w / 2 + w / 2 * std::cos(a), h / 2 + h / 2 * std::sin(a), 0.0});
  }
  SectionOutline outline{{loop}};
  outline.ellipseWidth = w;
  outline.ellipseHeight = h;
  return outline;
}

std::optional<SectionOutline> shapeOutline(const RectangleProfile& profile) {
  Dims<RectangleProfile> d{profile};
  double h = d.length(&RectangleProfile::height), w = d.length(&RectangleProfile::width);
  return rectangleLoops(w, h, 0, 0, 0, d.ok);
}

std::optional<SectionOutline> shapeOutline(const RoundedRectangleProfile& profile) {
  Dims<RoundedRectangleProfile> d{profile};
  double h = d.length(&RoundedRectangleProfile::height);
  double w = d.length(&RoundedRectangleProfile::width);
  double r = d.radius(&RoundedRectangleProfile::radius);
  return rectangleLoops(w, h, r, 0, 0, d.ok);
}

std::optional<SectionOutline> shapeOutline(const RectangleHollowProfile& profile) {
  Dims<RectangleHollowProfile> d{profile};
  double h = d.length(&RectangleHollowProfile::height);
  double w = d.length(&RectangleHollowProfile::width);
  double t = d.length(&RectangleHollowProfile::wall_thickness);
  double ri = d.radius(&RectangleHollowProfile::inner_radius);
  double ro = d.radius(&RectangleHollowProfile::outer_radius);
  return rectangleLoops(w, h, ro, t, ri, d.ok);
}

std::optional<SectionOutline> shapeOutline(const TrapeziumProfile& profile) {
  Dims<TrapeziumProfile> d{profile};
  double h = d.length(&TrapeziumProfile::height);
  double bw = d.length(&TrapeziumProfile::bottom_width);
  double tw = d.length(&TrapeziumProfile::top_width);
  double c = bw / 2 + profile.top_offset();
  return loops({rounded({{0, 0}, {bw, 0}, {c + tw / 2, h}, {c - tw / 2, h}})}, d.ok);
}

std::optional<SectionOutline> shapeOutline(const CraneRailAShapeProfile& profile) {
  return railLoops(profile);
}

std::optional<SectionOutline> shapeOutline(const CraneRailFShapeProfile& profile) {
  return railLoops(profile);
}

std::optional<SectionOutline> shapeOutline(const TShapeProfile& profile) {
  Dims<TShapeProfile> d{profile};
  double h = d.length(&TShapeProfile::height), w = d.length(&TShapeProfile::width);
  double tw = d.length(&TShapeProfile::web_thickness);
  double tf = d.length(&TShapeProfile::flange_thickness);
  double r = d.radius(&TShapeProfile::fillet_radius);
  if (!d.ok || tw >= w || tf >= h) return std::nullopt;
  double l = (w - tw) / 2, rt = (w + tw) / 2;
  return loops({rounded({{l, 0},
                         {rt, 0},
                         {rt, h - tf, r},
                         {w, h - tf},
                         {w, h},
                         {0, h},
                         {0, h - tf},
                         {l, h - tf, r}})},
               true);
}

std::optional<SectionOutline> shapeOutline(const ZShapeProfile& profile) {
  Dims<ZShapeProfile> d{profile};
  double h = d.length(&ZShapeProfile::height), w = d.length(&ZShapeProfile::width);
  double tw = d.length(&ZShapeProfile::web_thickness);
  double tf = d.length(&ZShapeProfile::flange_thickness);
  double r = d.radius(&ZShapeProfile::fillet_radius);
  if (!d.ok || tw >= w || 2 * tf >= h) return std::nullopt;
  // Each flange is `width` wide over the web: the lower one leftwards, the upper rightwards.
  return loops({rounded({{0, 0},
                         {w, 0},
                         {w, h - tf, r},
                         {2 * w - tw, h - tf},
                         {2 * w - tw, h},
                         {w - tw, h},
                         {w - tw, tf, r},
                         {0, tf}})},
               true);
}

std::optional<SectionOutline> shapeOutline(const CShapeProfile& profile) {
  Dims<CShapeProfile> d{profile};
  double h = d.length(&CShapeProfile::height), w = d.length(&CShapeProfile::width);
  double t = d.length(&CShapeProfile::wall_thickness);
  double ri = d.radius(&CShapeProfile::inner_radius);
  double lip = profile.lip_length();
  if (!d.ok || !(lip >= 0) || 2 * t >= h || t >= w || (lip > 0 && (lip <= t || 2 * lip > h)))
    return std::nullopt;
  double ro = ri + t;
  if (lip == 0) {
    return loops({rounded({{0, 0, ro},
                           {w, 0},
                           {w, t},
                           {t, t, ri},
                           {t, h - t, ri},
                           {w, h - t},
                           {w, h},
                           {0, h, ro}})},
                 true);
  }
  return loops({rounded({{0, 0, ro},
                         {w, 0, ro},
                         {w, lip},
                         {w - t, lip},
                         {w - t, t, ri},
                         {t, t, ri},
                         {t, h - t, ri},
                         {w - t, h - t, ri},
                         {w - t, h - lip},
                         {w, h - lip},
                         {w, h, ro},
                         {0, h, ro}})},
               true);
}

std::optional<SectionOutline> shapeOutline(const UShapeProfile& profile) {
  Dims<UShapeProfile> d{profile};
  double h = d.length(&UShapeProfile::height), w = d.length(&UShapeProfile::width);
  double tw = d.length(&UShapeProfile::web_thickness);
  double tf = d.length(&UShapeProfile::flange_thickness);
  double r = d.radius(&UShapeProfile::fillet_radius);
  double slope = profile.flange_slope();
  if (!d.ok || !(slope >= 0) || slope >= 1 || tw >= w) return std::nullopt;
  // The flange thickness is the one at half the flange width from the web's back.
  double mid = w / 2;
  double atWeb = tf + slope * (mid - tw), atToe = tf - slope * (w - mid);
  if (atToe <= 0 || 2 * atWeb >= h) return std::nullopt;
  double toe = slope > 0 ? r * kTaperedChannelToeRatio : 0.0;
  return loops({rounded({{0, 0},
                         {w, 0},
                         {w, atToe, toe},
                         {tw, atWeb, r},
                         {tw, h - atWeb, r},
                         {w, h - atToe, toe},
                         {w, h},
                         {0, h}})},
               true);
}

std::optional<SectionOutline> shapeOutline(const LShapeProfile& profile) {
  Dims<LShapeProfile> d{profile};
  double h = d.length(&LShapeProfile::height), w = d.length(&LShapeProfile::width);
  double t = d.length(&LShapeProfile::thickness);
  double r1 = d.radius(&LShapeProfile::root_radius);
  double r2 = d.radius(&LShapeProfile::toe_radius);
  if (!d.ok || t >= std::min(w, h)) return std::nullopt;
  // A toe cannot be rounder than the leg is thick; thin angles of the tables give it half
  // the root radius all the same.
  r2 = std::min(r2, t);
  return loops({rounded({{0, 0}, {w, 0}, {w, t, r2}, {t, t, r1}, {t, h, r2}, {0, h}})}, true);
}

std::optional<SectionOutline> shapeOutline(const IShapeProfile& profile) {
  Dims<IShapeProfile> d{profile};
  double h = d.length(&IShapeProfile::height), w = d.length(&IShapeProfile::width);
  double tw = d.length(&IShapeProfile::web_thickness);
  double tf = d.length(&IShapeProfile::flange_thickness);
  double r = d.radius(&IShapeProfile::fillet_radius);
  double slope = profile.flange_slope();
  if (!(slope >= 0) || slope >= 1) return std::nullopt;
  if (slope == 0) return iLoops(h, w, w, tw, tf, tf, r, d.ok);
  if (!d.ok || tw >= w) return std::nullopt;
  // The flange thickness is the one at a quarter of the width from the tip.
  double atWeb = tf + slope * (w / 4 - tw / 2), atToe = tf - slope * w / 4;
  if (atToe <= 0 || 2 * atWeb >= h) return std::nullopt;
  // A toe cannot be rounder than the tip is thick; thin tips of the tables keep half of it.
  double wl = (w - tw) / 2, wr = (w + tw) / 2, toe = std::min(r * kTaperedIToeRatio, atToe / 2);
  return loops({rounded({{0, 0},
                         {w, 0},
                         {w, atToe, toe},
                         {wr, atWeb, r},
                         {wr, h - atWeb, r},
                         {w, h - atToe, toe},
                         {w, h},
                         {0, h},
                         {0, h - atToe, toe},
                         {wl, h - atWeb, r},
                         {wl, atWeb, r},
                         {0, atToe, toe}})},
               true);
}

std::optional<SectionOutline> shapeOutline(const AsymmetricIShapeProfile& profile) {
  Dims<AsymmetricIShapeProfile> d{profile};
  double h = d.length(&AsymmetricIShapeProfile::height);
  double bt = d.length(&AsymmetricIShapeProfile::top_width);
  double bb = d.length(&AsymmetricIShapeProfile::bottom_width);
  double tw = d.length(&AsymmetricIShapeProfile::web_thickness);
  double tft = d.length(&AsymmetricIShapeProfile::top_flange_thickness);
  double tfb = d.length(&AsymmetricIShapeProfile::bottom_flange_thickness);
  double r = d.radius(&AsymmetricIShapeProfile::fillet_radius);
  return iLoops(h, bt, bb, tw, tft, tfb, r, d.ok);
}

std::optional<SectionOutline> shapeOutline(const CustomProfile& profile) {
  Points points = profile.outline();
  if (points.size() < 3) return std::nullopt;
  for (const OutlinePoint& p : points)
    if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.bulge)) return std::nullopt;
  return SectionOutline{{{std::move(points), false}}};
}

std::optional<SectionOutline> outlineOf(const Profile& profile) {
  switch (profile.objectType()) {
#define SL_DB_SHAPE_OUTLINE(T, DIMENSIONS) \
  case ObjectType::T:                      \
    return shapeOutline(static_cast<const T&>(profile));
    STOCKLIB_SHAPES(SL_DB_SHAPE_OUTLINE)
#undef SL_DB_SHAPE_OUTLINE
    case ObjectType::CustomProfile:
      return shapeOutline(static_cast<const CustomProfile&>(profile));
    default:
      return std::nullopt;
  }
}

// ---- Integrals ----

/// Moments: the integrals of 1, x, y, x², y² and xy over a region.
struct Moments {
  double a = 0, x = 0, y = 0, xx = 0, yy = 0, xy = 0;
  Moments& operator+=(const Moments& m) {
    a += m.a, x += m.x, y += m.y, xx += m.xx, yy += m.yy, xy += m.xy;
    return *this;
  }
  Moments scaled(double s) const { return {a * s, x * s, y * s, xx * s, yy * s, xy * s}; }
};

using Arc = detail::ArcGeometry;
using detail::arcOf;

/// The circular segment between an arc and its chord, counted with the arc's sign.
Moments segment(const Arc& arc) {
  double r = arc.r, a = arc.half, s = std::sin(a), c = std::cos(a);
  // In the arc's own frame (centre at the origin, midpoint on the positive first axis).
  double area = r * r * (a - s * c);
  double first = 2.0 / 3.0 * r * r * r * s * s * s;
  double along =
      std::pow(r, 4) / 8 * (2 * a + std::sin(2 * a)) - std::pow(r, 4) * c * c * c * s / 2;
  double across =
      std::pow(r, 4) / 8 * (2 * a - std::sin(2 * a)) - std::pow(r, 4) * s * s * s * c / 6;
  double ux = arc.nx, uy = arc.ny, cx = arc.cx, cy = arc.cy;
  Moments m;
  m.a = area;
  m.x = cx * area + ux * first;
  m.y = cy * area + uy * first;
  m.xx = cx * cx * area + 2 * cx * ux * first + ux * ux * along + uy * uy * across;
  m.yy = cy * cy * area + 2 * cy * uy * first + uy * uy * along + ux * ux * across;
  m.xy = cx * cy * area + (cx * uy + cy * ux) * first + ux * uy * (along - across);
  return m.scaled(arc.sign);
}

/// The signed moments of one loop (counter-clockwise positive) and its length.
Moments loopMoments(const Points& points, double& length) {
  Moments m;
  length = 0;
  for (std::size_t i = 0; i < points.size(); ++i) {
    const OutlinePoint& p = points[i];
    const OutlinePoint& q = points[(i + 1) % points.size()];
    double cross = p.x * q.y - q.x * p.y;
    m.a += cross / 2;
    m.x += (p.x + q.x) * cross / 6;
    m.y += (p.y + q.y) * cross / 6;
    m.xx += (p.x * p.x + p.x * q.x + q.x * q.x) * cross / 12;
    m.yy += (p.y * p.y + p.y * q.y + q.y * q.y) * cross / 12;
    m.xy += (p.x * q.y + 2 * p.x * p.y + 2 * q.x * q.y + q.x * p.y) * cross / 24;
    double chord = std::hypot(q.x - p.x, q.y - p.y);
    if (p.bulge != 0 && chord > 0) {
      Arc arc = arcOf(p, q);
      m += segment(arc);
      length += 2 * arc.half * arc.r;
    } else {
      length += chord;
    }
  }
  return m;
}

/// Widens [lo, hi] boxes by a loop's points and the extreme points of its arcs.
void extend(const Points& points, double box[4]) {
  auto add = [&](double x, double y) {
    box[0] = std::min(box[0], x), box[1] = std::max(box[1], x);
    box[2] = std::min(box[2], y), box[3] = std::max(box[3], y);
  };
  for (std::size_t i = 0; i < points.size(); ++i) {
    const OutlinePoint& p = points[i];
    const OutlinePoint& q = points[(i + 1) % points.size()];
    add(p.x, p.y);
    if (p.bulge == 0 || (p.x == q.x && p.y == q.y)) continue;
    Arc arc = arcOf(p, q);
    double start = std::atan2(p.y - arc.cy, p.x - arc.cx);
    for (int k = 0; k < 4; ++k) {
      double angle = k * kPi / 2;
      double from = arc.sign > 0 ? angle - start : start - angle;
      from = std::fmod(std::fmod(from, 2 * kPi) + 2 * kPi, 2 * kPi);
      if (from <= 2 * arc.half)
        add(arc.cx + arc.r * std::cos(angle), arc.cy + arc.r * std::sin(angle));
    }
  }
}

}  // namespace

OutlineBounds outlineBounds(const SectionOutline& outline) {
  double box[4] = {std::numeric_limits<double>::max(), -std::numeric_limits<double>::max(),
                   std::numeric_limits<double>::max(), -std::numeric_limits<double>::max()};
  for (const SectionContour& c : outline.contours)
    extend(c.points, box);
  if (box[0] > box[1]) return OutlineBounds();
  return {box[0], box[1], box[2], box[3]};
}

std::optional<SectionOutline> profileOutline(const stocklib::Profile* profile) {
  if (!profile) return std::nullopt;
  std::optional<SectionOutline> outline = outlineOf(*profile);
  if (!outline || profile->objectType() == stocklib::ObjectType::CustomProfile) return outline;
  OutlineBounds box = outlineBounds(*outline);
  for (SectionContour& c : outline->contours) {
    for (OutlinePoint& p : c.points) {
      p.x -= box.minX;
      p.y -= box.minY;
    }
  }
  return outline;
}

namespace {

// crossesItself: true when two edges of the loop that are not neighbours cross (arcs as chords).
bool crossesItself(const Points& pts) {
  const std::size_t n = pts.size();
  auto side = [](const OutlinePoint& a, const OutlinePoint& b, const OutlinePoint& c) {
    const double v = (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
    return (v > 0) - (v < 0);
  };
  for (std::size_t i = 0; i < n; ++i) {
    const OutlinePoint& a = pts[i];
    const OutlinePoint& b = pts[(i + 1) % n];
    for (std::size_t j = i + 2; j < n; ++j) {
      if (i == 0 && j == n - 1) continue;  // the closing edge meets the first
      const OutlinePoint& c = pts[j];
      const OutlinePoint& d = pts[(j + 1) % n];
      if (side(a, b, c) * side(a, b, d) < 0 && side(c, d, a) * side(c, d, b) < 0) return true;
    }
  }
  return false;
}

// nonFinite: the name of the first figure of `s` that is not a finite number, or null.
const wchar_t* nonFinite(const SectionProperties& s) {
  const std::pair<const wchar_t*, double> figures[] = {{L"area", s.area},
                                                       {L"centroid y", s.centroidY},
                                                       {L"centroid z", s.centroidZ},
                                                       {L"Iy", s.Iy},
                                                       {L"Iz", s.Iz},
                                                       {L"Iyz", s.Iyz},
                                                       {L"Iu", s.Iu},
                                                       {L"Iv", s.Iv},
                                                       {L"alpha", s.alpha},
                                                       {L"Wel,y", s.WelY},
                                                       {L"Wel,z", s.WelZ},
                                                       {L"iy", s.iy},
                                                       {L"iz", s.iz},
                                                       {L"perimeter", s.perimeter},
                                                       {L"Wpl,y", s.WplY},
                                                       {L"Wpl,z", s.WplZ}};
  for (const auto& [name, value] : figures)
    if (!std::isfinite(value)) return name;
  return nullptr;
}

}  // namespace

std::optional<SectionProperties> sectionProperties(const SectionOutline& outline,
                                                   stocklib::LibraryUnit unit, OdString* why) {
  auto refuse = [why](const OdString& reason) -> std::optional<SectionProperties> {
    if (why) *why = reason;
    return std::nullopt;
  };
  if (why) *why = OdString();
  for (const SectionContour& c : outline.contours)
    if (crossesItself(c.points)) return refuse(L"its outline crosses itself");
  Moments total;
  SectionProperties s;
  s.unit = unit;
  for (const SectionContour& c : outline.contours) {
    double length = 0;
    Moments m = loopMoments(c.points, length);
    // Loops count by their role, whichever way they run.
    total += m.scaled((m.a < 0 ? -1.0 : 1.0) * (c.hole ? -1.0 : 1.0));
    if (!c.hole) s.perimeter += length;
  }
  const OutlineBounds bounds = outlineBounds(outline);
  double box[4] = {bounds.minX, bounds.maxX, bounds.minY, bounds.maxY};
  if (outline.ellipseWidth > 0 && outline.ellipseHeight > 0) {
    double a = outline.ellipseWidth / 2, b = outline.ellipseHeight / 2;
    double cx = (box[0] + box[1]) / 2, cy = (box[2] + box[3]) / 2;
    double area = kPi * a * b;
    total = {area,
             cx * area,
             cy * area,
             area * (cx * cx + a * a / 4),
             area * (cy * cy + b * b / 4),
             area * cx * cy};
    double hsum = (a - b) * (a - b) / ((a + b) * (a + b));
    s.perimeter = kPi * (a + b) * (1 + 3 * hsum / (10 + std::sqrt(4 - 3 * hsum)));
    box[0] = cx - a, box[1] = cx + a, box[2] = cy - b, box[3] = cy + b;
  }
  if (!(total.a > 0)) return refuse(L"its outline has no area");
  s.area = total.a;
  s.centroidY = total.x / total.a;
  s.centroidZ = total.y / total.a;
  // About the centroid: the outline's x is the section's y axis, its y the z axis.
  s.Iy = total.yy - total.a * s.centroidZ * s.centroidZ;
  s.Iz = total.xx - total.a * s.centroidY * s.centroidY;
  s.Iyz = total.xy - total.a * s.centroidY * s.centroidZ;
  // Rounding leaves a trace of a product in symmetric sections; it must not turn their axes.
  if (std::fabs(s.Iyz) <= 1e-10 * (std::fabs(s.Iy) + std::fabs(s.Iz))) s.Iyz = 0;
  double mean = (s.Iy + s.Iz) / 2, half = (s.Iy - s.Iz) / 2;
  double radius = std::hypot(half, s.Iyz);
  s.Iu = mean + radius;
  s.Iv = mean - radius;
  s.alpha = radius > 1e-12 * std::fabs(mean) ? std::atan2(-s.Iyz, half) / 2 : 0.0;
  if (s.alpha <= -kPi / 2) s.alpha += kPi;
  s.WelY = s.Iy / std::max(box[3] - s.centroidZ, s.centroidZ - box[2]);
  s.WelZ = s.Iz / std::max(box[1] - s.centroidY, s.centroidY - box[0]);
  s.iy = std::sqrt(s.Iy / s.area);
  s.iz = std::sqrt(s.Iz / s.area);
  detail::addPlasticModuli(outline, s);
  if (const wchar_t* figure = nonFinite(s))
    return refuse(OdString(L"its ") + figure + L" is not a finite number");
  return s;
}

std::optional<SectionProperties> sectionProperties(const stocklib::Profile* profile,
                                                   OdString* why) {
  std::optional<SectionOutline> outline = profileOutline(profile);
  if (!outline) {
    if (why) *why = L"a dimension is missing or they do not fit together";
    return std::nullopt;
  }
  std::shared_ptr<stocklib::Library> library = profile->library();
  std::optional<SectionProperties> s = sectionProperties(
      *outline, library ? library->unit() : stocklib::kLibraryUnitMillimeter, why);
  if (s) detail::addShapeFigures(*profile, *outline, *s);
  return s;
}

namespace detail {

ArcGeometry arcOf(const stocklib::OutlinePoint& p, const stocklib::OutlinePoint& q) {
  double dx = q.x - p.x, dy = q.y - p.y, chord = std::hypot(dx, dy);
  double sign = p.bulge > 0 ? 1.0 : -1.0;
  double half = 2 * std::atan(std::fabs(p.bulge));
  double r = chord / (2 * std::sin(half));
  // A counter-clockwise arc bulges to the right of its chord.
  double nx = sign * dy / chord, ny = -sign * dx / chord;
  double mx = (p.x + q.x) / 2, my = (p.y + q.y) / 2, back = r * std::cos(half);
  return {mx - nx * back, my - ny * back, r, half, nx, ny, sign};
}

}  // namespace detail

}  // namespace sl_db

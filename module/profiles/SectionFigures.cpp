// Plastic moduli by clipping the outline at the axis that halves its area (Green's theorem on
// the part above, so the cut itself adds nothing), torsion and warping constants by the shape's
// formulas, and the shear centre of open shapes from the warping function on a grid.
#include "SectionFigures.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <limits>
#include <vector>

#include "stocklib/Library.h"
#include "stocklib/Materials.h"

namespace sl_db::detail {

namespace {

constexpr double kPi = 3.141592653589793;
using stocklib::OutlinePoint;

// ---- Plastic moduli ----

/// Above: the area above a horizontal line and its first moment about that line.
struct Above {
  double area = 0, moment = 0;
};

/// One edge as a curve of t in [0, 1]: a straight line or an arc of a circle.
struct Edge {
  double x0, y0, x1, y1;
  bool arc = false;
  double cx = 0, cy = 0, r = 0, start = 0, sweep = 0;

  void at(double t, double& x, double& y, double& dx, double& dy) const {
    if (!arc) {
      x = x0 + (x1 - x0) * t, y = y0 + (y1 - y0) * t, dx = x1 - x0, dy = y1 - y0;
      return;
    }
    const double a = start + sweep * t;
    x = cx + r * std::cos(a), y = cy + r * std::sin(a);
    dx = -r * std::sin(a) * sweep, dy = r * std::cos(a) * sweep;
  }
};

Edge edgeOf(const OutlinePoint& p, const OutlinePoint& q) {
  Edge e{p.x, p.y, q.x, q.y};
  if (p.bulge == 0 || (p.x == q.x && p.y == q.y)) return e;
  const ArcGeometry g = arcOf(p, q);
  e.arc = true, e.cx = g.cx, e.cy = g.cy, e.r = g.r;
  e.start = std::atan2(p.y - g.cy, p.x - g.cx), e.sweep = g.sign * 2 * g.half;
  return e;
}

/// The parameters in (0, 1) at which `e` crosses the height `c`, in order; `count` of them.
int crossings(const Edge& e, double c, double ts[16]) {
  int count = 0;
  if (!e.arc) {
    if ((e.y0 - c) * (e.y1 - c) < 0) ts[count++] = (c - e.y0) / (e.y1 - e.y0);
    return count;
  }
  const double k = (c - e.cy) / e.r;
  if (!(std::fabs(k) < 1)) return 0;
  for (double base : {std::asin(k), kPi - std::asin(k)}) {
    for (int n = -3; n <= 3; ++n) {
      const double t = (base + 2 * kPi * n - e.start) / e.sweep;
      if (t > 0 && t < 1 && count < 16) ts[count++] = t;
    }
  }
  std::sort(ts, ts + count);
  return count;
}

/// The signed (counter-clockwise positive) area of the loop above `c` and its moment about c:
/// the integrals of x dy and of -(y - c)^2 / 2 dx, both nothing along the cut.
Above above(const std::vector<OutlinePoint>& points, double c) {
  static const double nodes[4] = {0.1834346424956498, 0.5255324099163290, 0.7966664774136267,
                                  0.9602898564975363};
  static const double weights[4] = {0.3626837833783620, 0.3137066458778873, 0.2223810344533745,
                                    0.1012285362903763};
  Above sum;
  for (std::size_t i = 0; i < points.size(); ++i) {
    const Edge e = edgeOf(points[i], points[(i + 1) % points.size()]);
    if (!e.arc) {
      // A straight edge in closed form: the part above the line, exactly.
      double x0 = e.x0, y0 = e.y0, x1 = e.x1, y1 = e.y1;
      if (y0 < c && y1 < c) continue;
      if ((y0 < c) != (y1 < c)) {
        const double xc = x0 + (x1 - x0) * (c - y0) / (y1 - y0);
        (y0 < c ? x0 : x1) = xc;
        (y0 < c ? y0 : y1) = c;
      }
      const double a = y0 - c, b = y1 - c;
      sum.area += (x0 + x1) / 2 * (y1 - y0);
      sum.moment -= (x1 - x0) * (a * a + a * b + b * b) / 6;
      continue;
    }
    double ts[18] = {0.0};
    const int count = crossings(e, c, ts + 1) + 2;
    ts[count - 1] = 1.0;
    for (int k = 0; k + 1 < count; ++k) {
      double x, y, dx, dy;
      e.at((ts[k] + ts[k + 1]) / 2, x, y, dx, dy);
      if (y < c) continue;
      // Eight points integrate an arc of up to an eighth of a turn to rounding.
      const int parts =
          e.arc ? int(std::ceil(std::fabs(e.sweep) * (ts[k + 1] - ts[k]) / (kPi / 4))) : 1;
      const double length = (ts[k + 1] - ts[k]) / parts;
      for (int part = 0; part < parts; ++part) {
        const double half = length / 2, mid = ts[k] + length * part + half;
        for (int n = 0; n < 8; ++n) {
          const double t = mid + (n % 2 ? -1 : 1) * nodes[n / 2] * half, w = weights[n / 2] * half;
          e.at(t, x, y, dx, dy);
          sum.area += w * x * dy;
          sum.moment -= w * (y - c) * (y - c) / 2 * dx;
        }
      }
    }
  }
  return sum;
}

/// The plastic modulus about the horizontal axis that halves the area; `axis` is set to it.
double plasticModulus(const std::vector<SectionContour>& contours, double area, double centroid,
                      double& axis) {
  double lo = std::numeric_limits<double>::max(), hi = -lo;
  for (const SectionContour& c : contours)
    for (const OutlinePoint& p : c.points)
      lo = std::min(lo, p.y), hi = std::max(hi, p.y);
  // Each loop counts by its role, whichever way it runs.
  std::vector<double> signs;
  for (const SectionContour& c : contours)
    signs.push_back((above(c.points, lo - 1).area < 0 ? -1.0 : 1.0) * (c.hole ? -1.0 : 1.0));
  lo -= (hi - lo), hi += (hi - lo) / 2;  // arcs reach beyond their points
  auto upper = [&](double c) {
    Above total;
    for (std::size_t i = 0; i < contours.size(); ++i) {
      const Above a = above(contours[i].points, c);
      total.area += signs[i] * a.area, total.moment += signs[i] * a.moment;
    }
    return total;
  };
  for (int i = 0; i < 200 && hi - lo > 1e-13 * std::fabs(hi); ++i)
    (upper((lo + hi) / 2).area > area / 2 ? lo : hi) = (lo + hi) / 2;
  axis = (lo + hi) / 2;
  // What lies below counts with its distance: its moment is the whole one less the upper part.
  return 2 * upper(axis).moment - area * (centroid - axis);
}

// ---- Torsion and warping ----

/// A plate's share of the thin-walled torsion sum: a t^3 / 3 less the loss at each free end.
double plate(double a, double t, int freeEnds) {
  if (freeEnds == 0) return a * t * t * t / 3;
  const double loss =
      freeEnds == 2 ? 0.21 * (1 - std::pow(t / a, 4) / 12) : 0.105 * (1 - std::pow(t / a, 4) / 192);
  return a * t * t * t * (1.0 / 3 - loss * t / a);
}

/// The fillet's share where a web of `tw` meets a flange of `tf` midway (a tee).
double teeJoint(double tf, double tw, double r) {
  const double alpha = std::min(tf, tw) / std::max(tf, tw) * (0.15 + 0.1 * r / tf);
  const double d = ((tf + r) * (tf + r) + r * tw + tw * tw / 4) / (2 * r + tf);
  return alpha * std::pow(d, 4);
}

/// The fillet's share where two plates meet at a corner (an angle's heel).
double cornerJoint(double t1, double t2, double r) {
  const double alpha = 0.07 * std::min(t1, t2) / std::max(t1, t2);
  const double d = 2 * ((3 * r + t1 + t2) - std::sqrt(2 * (2 * r + t1) * (2 * r + t2)));
  return alpha * std::pow(d, 4);
}

/// The solid rectangle's torsion constant, b >= t: the series of its exact solution.
double solidRectangle(double b, double t) {
  if (b < t) std::swap(b, t);
  double sum = 0;
  for (int n = 1; n < 200; n += 2)
    sum += std::tanh(n * kPi * b / (2 * t)) / std::pow(n, 5);
  return b * t * t * t / 3 * (1 - 192 / std::pow(kPi, 5) * t / b * sum);
}

/// The closed thin wall of a hollow rectangle (Bredt) with the wall's own open share; corners
/// rounded by the mean of the two radii.
double hollowRectangle(double h, double b, double t, double ro, double ri) {
  const double rc = (ro + ri) / 2;
  const double p = 2 * ((b - t) + (h - t)) - 2 * rc * (4 - kPi);
  const double ah = (b - t) * (h - t) - rc * rc * (4 - kPi);
  return t * t * t * p / 3 + 2 * (2 * ah * t / p) * ah;
}

/// Channels and zeds: two flanges joined at corners to one web; warping on the centre lines.
void flangedWeb(double h, double b, double tw, double tf, double r, bool zed,
                SectionProperties& s) {
  s.It = 2 * plate(b, tf, 2) + plate(h - 2 * tf, tw, 0) + 2 * cornerJoint(tf, tw, r);
  const double bm = b - tw / 2, hm = h - tf, k = zed ? 1 : 3;
  s.Iw = tf * std::pow(bm, 3) * hm * hm / 12 * (k * bm * tf + 2 * hm * tw) /
         (2 * k * bm * tf + hm * tw);
}

// ---- Shear centre ----

/// The shear centre of `outline`, the pole whose warping function is orthogonal to both
/// axes, from the St Venant warping function on square cells of side about `step`. Empty when
/// the grid holds no cells or the solution does not settle.
std::optional<SectionPoint> shearCentre(const SectionOutline& outline, double step) {
  // The loops as polygons fine enough for the grid.
  std::vector<std::vector<std::pair<double, double>>> polygons;
  for (const SectionContour& c : outline.contours) {
    auto& poly = polygons.emplace_back();
    for (std::size_t i = 0; i < c.points.size(); ++i) {
      const Edge e = edgeOf(c.points[i], c.points[(i + 1) % c.points.size()]);
      const int n = e.arc ? std::max(4, int(std::ceil(std::fabs(e.sweep) / (kPi / 64)))) : 1;
      for (int k = 0; k < n; ++k) {
        double x, y, dx, dy;
        e.at(double(k) / n, x, y, dx, dy);
        poly.emplace_back(x, y);
      }
    }
  }
  auto inside = [&](double x, double y) {
    bool in = false;
    for (const auto& poly : polygons)
      for (std::size_t i = 0, j = poly.size() - 1; i < poly.size(); j = i++)
        if ((poly[i].second > y) != (poly[j].second > y) &&
            x < poly[j].first + (y - poly[j].second) * (poly[i].first - poly[j].first) /
                                    (poly[i].second - poly[j].second))
          in = !in;
    return in;
  };
  const OutlineBounds box = outlineBounds(outline);
  const double w = box.maxX - box.minX, ht = box.maxY - box.minY;
  if (!std::isfinite(w) || !std::isfinite(ht)) return std::nullopt;
  // At most 60000 cells in all and along either side: a sliver of a section must not ask for
  // more cells than an int counts.
  step = std::max({step, std::sqrt(w * ht / 60000), w / 60000, ht / 60000});
  if (!(step > 0) || !std::isfinite(step)) return std::nullopt;
  // Centred on the box, so that a symmetric outline gets a symmetric grid.
  const int nx = int(std::ceil(w / step)), ny = int(std::ceil(ht / step));
  const double x0 = (box.minX + box.maxX - nx * step) / 2,
               y0 = (box.minY + box.maxY - ny * step) / 2;
  std::vector<int> index(std::size_t(nx) * ny, -1);
  std::vector<double> xs, ys;
  for (int j = 0; j < ny; ++j) {
    for (int i = 0; i < nx; ++i) {
      const double x = x0 + (i + 0.5) * step, y = y0 + (j + 0.5) * step;
      if (!inside(x, y)) continue;
      index[std::size_t(j) * nx + i] = int(xs.size());
      xs.push_back(x), ys.push_back(y);
    }
  }
  const std::size_t n = xs.size();
  if (n < 4) return std::nullopt;
  // The grid's own centroid and moments, so that the answer is consistent with its cells.
  double gx = 0, gy = 0;
  for (std::size_t k = 0; k < n; ++k)
    gx += xs[k] / n, gy += ys[k] / n;
  double ixx = 0, iyy = 0, ixy = 0;
  for (std::size_t k = 0; k < n; ++k) {
    xs[k] -= gx, ys[k] -= gy;
    ixx += xs[k] * xs[k] + step * step / 12, iyy += ys[k] * ys[k] + step * step / 12;
    ixy += xs[k] * ys[k];
  }
  // Neighbours (-1 outside) and the flux the boundary faces impose, d(phi)/dn = y nx - x ny.
  std::vector<int> nbr(4 * n);
  std::vector<double> rhs(n, 0.0);
  const int di[4] = {1, -1, 0, 0}, dj[4] = {0, 0, 1, -1};
  for (int j = 0; j < ny; ++j) {
    for (int i = 0; i < nx; ++i) {
      const int k = index[std::size_t(j) * nx + i];
      if (k < 0) continue;
      for (int f = 0; f < 4; ++f) {
        const int ii = i + di[f], jj = j + dj[f];
        const int m =
            ii >= 0 && ii < nx && jj >= 0 && jj < ny ? index[std::size_t(jj) * nx + ii] : -1;
        nbr[4 * k + f] = m;
        if (m < 0) {
          const double fx = xs[k] + di[f] * step / 2, fy = ys[k] + dj[f] * step / 2;
          rhs[k] += (fy * di[f] - fx * dj[f]) * step;
        }
      }
    }
  }
  // Conjugate gradients on the grid's Laplacian, which is singular only by a constant.
  auto apply = [&](const std::vector<double>& v, std::vector<double>& out) {
    for (std::size_t k = 0; k < n; ++k) {
      double s = 0;
      for (int f = 0; f < 4; ++f)
        if (const int m = nbr[4 * k + f]; m >= 0) s += v[k] - v[m];
      out[k] = s;
    }
  };
  double mean = 0;
  for (double v : rhs)
    mean += v / n;
  for (double& v : rhs)
    v -= mean;
  std::vector<double> phi(n, 0.0), r = rhs, p = rhs, ap(n);
  double rr = 0, bb = 0;
  for (double v : rhs)
    bb += v * v;
  rr = bb;
  for (std::size_t it = 0; it < 20 * n && rr > 1e-24 * bb; ++it) {
    apply(p, ap);
    double pap = 0;
    for (std::size_t k = 0; k < n; ++k)
      pap += p[k] * ap[k];
    if (!(pap > 0)) break;
    const double a = rr / pap;
    double next = 0;
    for (std::size_t k = 0; k < n; ++k) {
      phi[k] += a * p[k], r[k] -= a * ap[k];
      next += r[k] * r[k];
    }
    for (std::size_t k = 0; k < n; ++k)
      p[k] = r[k] + next / rr * p[k];
    rr = next;
  }
  if (!(rr <= 1e-16 * bb)) return std::nullopt;
  double px = 0, py = 0;
  for (std::size_t k = 0; k < n; ++k)
    px += phi[k] * xs[k], py += phi[k] * ys[k];
  // The pole moved to (sy, sz) changes phi by -sz x + sy y; both products must vanish there.
  const double det = ixy * ixy - iyy * ixx;
  if (!(std::fabs(det) > 0)) return std::nullopt;
  return SectionPoint{gx + (ixx * py - ixy * px) / det, gy + (-px * iyy + ixy * py) / det};
}

}  // namespace

void addPlasticModuli(const SectionOutline& outline, SectionProperties& s) {
  if (outline.ellipseWidth > 0 && outline.ellipseHeight > 0) {
    const double a = outline.ellipseWidth / 2, b = outline.ellipseHeight / 2;
    s.WplY = 4.0 / 3 * a * b * b, s.WplZ = 4.0 / 3 * a * a * b;
    s.plasticAxisY = s.centroidY, s.plasticAxisZ = s.centroidZ;
    return;
  }
  s.WplY = plasticModulus(outline.contours, s.area, s.centroidZ, s.plasticAxisZ);
  // About the vertical axis: the same with x and y exchanged, which mirrors every arc.
  std::vector<SectionContour> turned = outline.contours;
  for (SectionContour& c : turned)
    for (OutlinePoint& p : c.points)
      p = {p.y, p.x, -p.bulge};
  s.WplZ = plasticModulus(turned, s.area, s.centroidY, s.plasticAxisY);
}

void addShapeFigures(const stocklib::Profile& profile, const SectionOutline& outline,
                     SectionProperties& s) {
  using namespace stocklib;
  const SectionPoint centroid{s.centroidY, s.centroidZ};
  switch (profile.objectType()) {
    case ObjectType::CircleProfile: {
      const double d = static_cast<const CircleProfile&>(profile).diameter();
      s.It = kPi * std::pow(d, 4) / 32;
      s.shearCentre = centroid;
      break;
    }
    case ObjectType::CircleHollowProfile: {
      const auto& c = static_cast<const CircleHollowProfile&>(profile);
      const double d = c.diameter(), inner = d - 2 * c.wall_thickness();
      s.It = kPi * (std::pow(d, 4) - std::pow(inner, 4)) / 32;
      s.shearCentre = centroid;
      break;
    }
    case ObjectType::EllipseProfile: {
      const auto& e = static_cast<const EllipseProfile&>(profile);
      const double a = e.width() / 2, b = e.height() / 2;
      s.It = kPi * std::pow(a * b, 3) / (a * a + b * b);
      s.shearCentre = centroid;
      break;
    }
    case ObjectType::RectangleProfile: {
      const auto& r = static_cast<const RectangleProfile&>(profile);
      s.It = solidRectangle(r.width(), r.height());
      s.shearCentre = centroid;
      break;
    }
    case ObjectType::RoundedRectangleProfile:
      s.shearCentre = centroid;
      break;
    case ObjectType::RectangleHollowProfile: {
      const auto& r = static_cast<const RectangleHollowProfile&>(profile);
      s.It = hollowRectangle(r.height(), r.width(), r.wall_thickness(), r.outer_radius(),
                             r.inner_radius());
      s.shearCentre = centroid;
      break;
    }
    case ObjectType::IShapeProfile: {
      const auto& i = static_cast<const IShapeProfile&>(profile);
      const double h = i.height(), b = i.width(), tw = i.web_thickness(), tf = i.flange_thickness();
      s.It =
          2 * plate(b, tf, 2) + plate(h - 2 * tf, tw, 0) + 2 * teeJoint(tf, tw, i.fillet_radius());
      s.Iw = s.Iz * (h - tf) * (h - tf) / 4;
      s.shearCentre = centroid;
      break;
    }
    case ObjectType::AsymmetricIShapeProfile: {
      const auto& i = static_cast<const AsymmetricIShapeProfile&>(profile);
      const double h = i.height(), bt = i.top_width(), bb = i.bottom_width();
      const double tw = i.web_thickness(), tt = i.top_flange_thickness();
      const double tb = i.bottom_flange_thickness(), r = i.fillet_radius();
      s.It = plate(bt, tt, 2) + plate(bb, tb, 2) + plate(h - tt - tb, tw, 0) + teeJoint(tt, tw, r) +
             teeJoint(tb, tw, r);
      // Each flange warps about the web; they share the twist by their stiffness.
      const double top = tt * std::pow(bt, 3) / 12, bottom = tb * std::pow(bb, 3) / 12;
      const double hs = h - (tt + tb) / 2;
      s.Iw = hs * hs * top * bottom / (top + bottom);
      s.shearCentre = SectionPoint{std::max(bt, bb) / 2, tb / 2 + hs * top / (top + bottom)};
      break;
    }
    case ObjectType::TShapeProfile: {
      const auto& t = static_cast<const TShapeProfile&>(profile);
      const double h = t.height(), tw = t.web_thickness(), tf = t.flange_thickness();
      s.It = plate(t.width(), tf, 2) + plate(h - tf, tw, 1) + teeJoint(tf, tw, t.fillet_radius());
      break;
    }
    case ObjectType::UShapeProfile: {
      const auto& u = static_cast<const UShapeProfile&>(profile);
      flangedWeb(u.height(), u.width(), u.web_thickness(), u.flange_thickness(), u.fillet_radius(),
                 false, s);
      s.shearCentre = shearCentre(outline, std::min(u.web_thickness(), u.flange_thickness()) / 8);
      // On the axis of symmetry, which the cells meet only to their size.
      if (s.shearCentre) s.shearCentre->z = s.centroidZ;
      break;
    }
    case ObjectType::ZShapeProfile: {
      const auto& z = static_cast<const ZShapeProfile&>(profile);
      flangedWeb(z.height(), z.width(), z.web_thickness(), z.flange_thickness(), z.fillet_radius(),
                 true, s);
      s.shearCentre = centroid;
      break;
    }
    case ObjectType::LShapeProfile: {
      const auto& l = static_cast<const LShapeProfile&>(profile);
      const double t = l.thickness();
      s.It =
          plate(l.height(), t, 2) + plate(l.width() - t, t, 1) + cornerJoint(t, t, l.root_radius());
      // Where the legs' centre lines meet, as the design rules take it.
      s.shearCentre = SectionPoint{t / 2, t / 2};
      break;
    }
    case ObjectType::CShapeProfile: {
      // Cold formed: one wall along its centre line.
      const auto& c = static_cast<const CShapeProfile&>(profile);
      const double t = c.wall_thickness(), lip = c.lip_length();
      const double line =
          (c.height() - t) + 2 * (c.width() - t) + (lip > 0 ? 2 * (lip - t / 2) : 0);
      s.It = line * t * t * t / 3;
      s.shearCentre = shearCentre(outline, t / 8);
      if (s.shearCentre) s.shearCentre->z = s.centroidZ;
      break;
    }
    default:
      break;
  }
  // Figures beyond the range of doubles are left out rather than given.
  if (s.It && !std::isfinite(*s.It)) s.It.reset();
  if (s.Iw && !std::isfinite(*s.Iw)) s.Iw.reset();
  if (s.shearCentre && !(std::isfinite(s.shearCentre->y) && std::isfinite(s.shearCentre->z)))
    s.shearCentre.reset();
}

}  // namespace sl_db::detail

namespace sl_db {

std::string figureText(double value) {
  if (!std::isfinite(value)) return std::isnan(value) ? "nan" : value > 0 ? "inf" : "-inf";
  if (value == 0) return "0";
  const int exponent = int(std::floor(std::log10(std::fabs(value))));
  char text[40];
  if (exponent > 9 || exponent < -4) {
    std::snprintf(text, sizeof text, "%.3e", value);
  } else {
    const double step = std::pow(10.0, exponent - 3), rounded = std::round(value / step) * step;
    // 9.9996 rounds up into the next decade: one decimal fewer.
    const int digits = std::fabs(rounded) >= std::pow(10.0, exponent + 1) ? exponent + 1 : exponent;
    std::snprintf(text, sizeof text, "%.*f", std::max(0, 3 - digits), rounded);
  }
  const std::string out = text;
  return out.find_first_not_of("-0.") == std::string::npos ? "0" : out;
}

std::optional<double> profileDensity(const stocklib::Profile* profile, OdString* material) {
  if (material) *material = OdString();
  std::shared_ptr<stocklib::Library> library = profile ? profile->library() : nullptr;
  if (!library) return std::nullopt;
  const int32_t kind = profile->profile_type();
  const std::string prefix = kind & stocklib::kProfileStructuralSteel      ? "steel"
                             : kind & stocklib::kProfileStructuralConcrete ? "concrete"
                                                                           : "";
  if (prefix.empty()) return std::nullopt;
  std::vector<KcSmartPtr<stocklib::Material>> materials;
  library->get(materials);
  for (const auto& m : materials) {
    std::string lower = m->name().toUtf8();
    for (char& c : lower)
      c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    KcSmartPtr<stocklib::PhysicalAsset> asset = m->physical_asset();
    if (lower.rfind(prefix, 0) != 0 || !asset || !asset->has_density()) continue;
    const double density = asset->density();
    if (!(density > 0) || !std::isfinite(density)) continue;
    if (material) *material = m->name();
    return density;
  }
  return std::nullopt;
}

}  // namespace sl_db

// Section properties of profiles computed from their dimensions: each shape becomes an outline
// of straight edges and circular arcs, whose area integrals are taken exactly.
#pragma once
/// @file

#include <optional>
#include <string>
#include <vector>

#include "sl_db/SlDbExport.h"
#include "stocklib/Profiles.h"
#include "stocklib/Types.h"

namespace sl_db {

/// SectionContour: one closed loop of a cross-section. Each point's bulge (tangent of a quarter
/// of the arc's angle, positive counter-clockwise) bends the edge to the next point.
struct SectionContour {
  /// points: the loop's corners in order, closing back to the first; each carries its bulge.
  std::vector<stocklib::OutlinePoint> points;
  /// hole: the loop is cut out of the section (its area counts negative).
  bool hole = false;
};

/// SectionOutline: the loops of a cross-section in its own plane: x across (the section's y
/// axis), y upwards (its z axis). Parametrized shapes are placed with the lower-left corner of
/// their bounding box at the origin; a custom outline keeps its own coordinates.
struct SectionOutline {
  /// contours: the outer loops and holes; empty for no section.
  std::vector<SectionContour> contours;
  ///@{
  /// ellipseWidth / ellipseHeight: the loops approximate an ellipse of these full axes whose
  /// properties are taken in closed form; 0 for every other shape.
  double ellipseWidth = 0.0;
  double ellipseHeight = 0.0;
  ///@}
};

/// SectionPoint: a point in the outline's coordinates (y across, z upwards).
struct SectionPoint {
  ///@{
  /// y / z: the point's coordinates.
  double y = 0.0;
  double z = 0.0;
  ///@}
};

/// SectionProperties: lengths in the library's unit (area in unit², second moments in unit⁴);
/// y is the horizontal axis (the strong axis of a beam standing upright), z the vertical one.
struct SectionProperties {
  /// unit: the length unit of every figure below (millimetres or inches).
  stocklib::LibraryUnit unit = stocklib::kLibraryUnitMillimeter;
  /// area: the area of the outer loops less the holes; positive whenever the properties exist.
  double area = 0.0;
  ///@{
  /// centroidY / centroidZ: the centroid in the outline's coordinates.
  double centroidY = 0.0;
  double centroidZ = 0.0;
  ///@}
  ///@{
  /// Iy / Iz / Iyz: second moments and product about the centroidal y and z axes.
  double Iy = 0.0;
  double Iz = 0.0;
  double Iyz = 0.0;
  ///@}
  ///@{
  /// Iu / Iv: the largest and smallest second moments (principal axes).
  double Iu = 0.0;
  double Iv = 0.0;
  ///@}
  /// alpha: the angle from the y axis to the u axis, radians in (-pi/2, pi/2],
  /// counter-clockwise positive.
  double alpha = 0.0;
  ///@{
  /// WelY / WelZ: elastic moduli, Iy over the farthest fibre's z distance and Iz over its y
  /// distance from the centroid.
  double WelY = 0.0;
  double WelZ = 0.0;
  ///@}
  ///@{
  /// iy / iz: radii of gyration.
  double iy = 0.0;
  double iz = 0.0;
  ///@}
  ///@{
  /// WplY / WplZ: plastic moduli (unit³), the first moments of both halves about the plastic
  /// neutral axes, the horizontal one at height plasticAxisZ, the vertical one at plasticAxisY.
  double WplY = 0.0;
  double WplZ = 0.0;
  double plasticAxisY = 0.0;
  double plasticAxisZ = 0.0;
  ///@}
  /// It: the St Venant torsion constant (unit⁴). Exact for circles, hollow circles, ellipses
  /// and solid rectangles (the series of the rectangle's solution). Hollow rectangles: Bredt's
  /// closed thin wall on the wall's centre line, corners rounded by the mean radius, plus the
  /// wall's open share t³p/3. Rolled open shapes (I, tee, channel, zed, angle): the thin-walled
  /// sum of their plates, a t³ (1/3 - 0.21 t/a (1 - t⁴/12a⁴)) with both ends free, the 0.105 and
  /// 192 form with one, a t³/3 between flanges, plus α D⁴ per fillet (D the inscribed circle's
  /// diameter; tee joints α = t/t1 (0.15 + 0.1 r/tf), corners α = 0.07 t/t1). Lipped channels:
  /// t³/3 along the centre line. Empty for every other shape.
  std::optional<double> It;
  /// Iw: the warping constant (unit⁶) about the shear centre. I sections: Iz (h - tf)²/4;
  /// asymmetric ones hs² I1 I2 / (I1 + I2) by their flanges; channels and zeds the thin-walled
  /// forms on the centre lines. Empty for every other shape.
  std::optional<double> Iw;
  /// shearCentre: the centre of twist in the outline's coordinates. Symmetric shapes: the
  /// centroid; asymmetric I sections on their flanges' centre lines; angles where the legs'
  /// centre lines meet; channels and lipped channels from the section's own warping function
  /// (solved on a grid of cells an eighth of the thinnest wall). Empty for every other shape.
  std::optional<SectionPoint> shearCentre;
  /// perimeter: the length of the outer loops (holes left out): the painted surface per length.
  double perimeter = 0.0;

  /// massPerLength: kg per metre for a density in kg/m³.
  double massPerLength(double densityKgPerM3) const {
    const double metres = unit == stocklib::kLibraryUnitInch ? 0.0254 : 0.001;
    return area * metres * metres * densityKgPerM3;
  }
};

/// OutlineBounds: the smallest box holding every loop, arcs included.
struct OutlineBounds {
  ///@{
  /// minX / maxX / minY / maxY: the box's edges in the outline's coordinates.
  double minX = 0, maxX = 0, minY = 0, maxY = 0;
  ///@}
};

/// outlineBounds: the box of `outline`; all zero for an outline without points.
SLDB_API OutlineBounds outlineBounds(const SectionOutline& outline);

/// profileOutline: the cross-section of `profile`. Empty for a null profile, an abstract one,
/// a shape with a length missing or not positive (radii may be 0), dimensions that do not fit
/// together (a wall as thick as the section, radii longer than their edges), or a custom
/// outline of fewer than three points or without area.
[[nodiscard]] SLDB_API std::optional<SectionOutline> profileOutline(
    const stocklib::Profile* profile);

/// sectionProperties: the properties of `outline`; empty when its area is not positive, when a
/// loop crosses itself (arcs taken as their chords), and when a figure is not a finite number.
/// `why`, when given, then says which (empty when the properties exist).
[[nodiscard]] SLDB_API std::optional<SectionProperties> sectionProperties(
    const SectionOutline& outline, stocklib::LibraryUnit unit, OdString* why = nullptr);

/// sectionProperties: the properties of `profile` in its library's unit (millimetres for a
/// profile in no library); empty whenever profileOutline is, and as the outline's are. `why`,
/// when given, then says why in a phrase ("a dimension is missing or they do not fit
/// together", "its outline crosses itself", "its Iy is not a finite number").
[[nodiscard]] SLDB_API std::optional<SectionProperties> sectionProperties(
    const stocklib::Profile* profile, OdString* why = nullptr);

/// figureText: `value` to 4 significant digits as engineers read figures ("53.83", "3692",
/// "108200"), in exponent form only beyond 10^10 or below 10^-4; "0" for anything that rounds to
/// nothing (never "-0"); "nan" or "inf" as such.
SLDB_API std::string figureText(double value);

/// profileDensity: the density (kg/m³) that gives `profile` its mass: that of the first material
/// of its library, in id order, named for the profile's kind ("Steel..." for structural steel,
/// "Concrete..." for structural concrete) with a density above 0. Empty for a profile of no
/// library or of another kind, or when no such material has one; `material`, when given, then
/// names the material (empty when none).
SLDB_API std::optional<double> profileDensity(const stocklib::Profile* profile,
                                              OdString* material = nullptr);

/// Tapered channels carry no toe radius of their own: the tables give them half the root
/// radius, and so does the outline.
constexpr double kTaperedChannelToeRatio = 0.5;
/// Tapered I sections likewise: their tables give the toe 0.6 of the root radius.
constexpr double kTaperedIToeRatio = 0.6;

}  // namespace sl_db

// The figures of a section beyond its area integrals: plastic moduli from the outline, and the
// torsion and warping constants and shear centre from the shape's own dimensions.
#pragma once

#include "sl_db/SectionProperties.h"

namespace sl_db::detail {

/// ArcGeometry: the circle through an outline edge that carries a bulge.
struct ArcGeometry {
  double cx, cy, r;
  double half;    ///< half the included angle
  double nx, ny;  ///< unit vector from the centre to the arc's midpoint
  double sign;    ///< +1 counter-clockwise, -1 clockwise
};

/// arcOf: the arc from `p` to `q` by `p`'s bulge (which must not be 0, nor the chord empty).
ArcGeometry arcOf(const stocklib::OutlinePoint& p, const stocklib::OutlinePoint& q);

/// addPlasticModuli: sets WplY, WplZ and the plastic axes of `s`, whose area and centroid are
/// already those of `outline`.
void addPlasticModuli(const SectionOutline& outline, SectionProperties& s);

/// addShapeFigures: sets It, Iw and the shear centre of `s` where `profile`'s shape has them;
/// `outline` is the profile's, `s` already holds its other figures.
void addShapeFigures(const stocklib::Profile& profile, const SectionOutline& outline,
                     SectionProperties& s);

}  // namespace sl_db::detail

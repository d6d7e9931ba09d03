// Pictures of profiles and compositions as standalone SVG documents: a cross-section to scale
// with its dimensions, centroid and axes; a composition's plies to scale with their hatches.
#pragma once
/// @file

#include <string>

#include "sl_db/SlDbExport.h"
#include "stocklib/Materials.h"
#include "stocklib/Profiles.h"

namespace sl_db {

/// profileSvg: an SVG document (UTF-8) of the profile's cross-section to scale: the outline
/// with its arcs (class "outline"), overall width and height dimensioned, the other dimensions
/// listed, centroid and centroidal axes (and principal axes when they are turned) marked, the
/// full name as title. The outline group carries the drawing scale in "data-px-per-unit".
/// Empty for a profile that has no outline (see profileOutline) or no section properties, and
/// when a coordinate of the drawing would not be a finite number.
SLDB_API std::string profileSvg(const stocklib::Profile* profile);

/// compositionSvg: an SVG document of the plies from exterior (left) to interior (right) to
/// scale, each a rect of class "ply" hatched by its material's cut pattern type and labelled
/// with the material's name and the thickness; core plies, the structural ply and the variable
/// ply marked; the total thickness dimensioned. Empty for a null composition or one without
/// plies or of no thickness.
SLDB_API std::string compositionSvg(const stocklib::Composition* composition);

}  // namespace sl_db

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

/// compositionSvg: an SVG document of the plies to scale, in their stored order: a wall (and any
/// type but roof and slab) standing with its first ply, the exterior, on the left; a roof or
/// slab lying with its first ply on top. Each ply is a rect of class "ply" whose "data-kind"
/// names the kind of material it is hatched as ("insulation", "concrete", "masonry", "timber",
/// "steel", "gypsum", "membrane", "air", "gravel", "glass"; "pattern": by its material's cut
/// pattern type); a ply under 3 px is drawn as a thick line (class "thin"). Every ply has a
/// label (material and thickness) joined to it by a leader; the structural ply, the variable
/// ply and the core are marked and explained in a legend with the variable ply's range; the
/// thermal figures (thermalSummary) stand last, class "figures". Empty for a null composition,
/// one without plies or of no thickness.
SLDB_API std::string compositionSvg(const stocklib::Composition* composition);

}  // namespace sl_db

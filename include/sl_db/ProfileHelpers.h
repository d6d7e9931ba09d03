// Helpers that other modules use to present profiles and material hatch patterns: full profile
// names, profiles by id for a drawing, the natural order of profile lists, shape and type labels.
#pragma once
/// @file

#include <vector>

#include "OdString.h"
#include "sl_db/SlDbExport.h"
#include "stocklib/Materials.h"
#include "stocklib/Profiles.h"
#include "ut/LexiNumericalSorter.h"

class OdDbDatabase;

namespace sl_db {

/// EHatchViewType: which hatch pattern of a material is meant.
enum EHatchViewType : int { kCut = 0, kSurface = 1 };

/// hatchPattern: a copy of the material's cut (kCut) or surface (kSurface) pattern; a default
/// pattern for an empty material or any other view value.
SLDB_API stocklib::Pattern hatchPattern(const KcSmartPtr<const stocklib::Material>& material,
                                        EHatchViewType view);
/// setPatternScale: sets the scale of the cut pattern (view 0) or else the surface pattern, in
/// memory; the caller saves the material. `material` must not be empty.
SLDB_API void setPatternScale(KcSmartPtr<stocklib::Material>& material, EHatchViewType view,
                              double scale);
/// setPatternAngle: as setPatternScale for the angle, given in degrees (stored in radians).
SLDB_API void setPatternAngle(KcSmartPtr<stocklib::Material>& material, EHatchViewType view,
                              double degrees);

/// getUserDefinedLabel: "user defined", the standard name of profiles without a real standard.
SLDB_API OdString getUserDefinedLabel();

/// fullProfileName: "STANDARD NAME SIZE" ("DIN HEA 200"); the standard is left out when absent
/// or named exactly "user defined", the size when it is exactly "0". Empty for an absent
/// profile or one without a profile name.
SLDB_API OdString fullProfileName(const stocklib::Profile* profile);
/// fullProfileName: the full name of getProfileById(profileId, db); empty when none.
SLDB_API OdString fullProfileName(unsigned int profileId, OdDbDatabase* db);

/// getProfileById: the profile of that id in the drawing's primary library, else in its first
/// secondary library. Empty for id 0, for a drawing without a primary library (its secondary is
/// then not asked), and when neither holds the id. Library-store errors pass to the caller.
SLDB_API KcSmartPtr<stocklib::Profile> getProfileById(unsigned int profileId, OdDbDatabase* db);

/// sortProfiles: sorts in place (unstable): profiles with a standard first, by standard name,
/// then profile name (code units), then size in natural order with imperial fractions read as
/// numbers (1-1/4 < 1-1/2 < 2). Errors while sorting are dropped and leave the order reached.
SLDB_API void sortProfiles(std::vector<KcSmartPtr<stocklib::Profile>>& profiles);

/// fractionTokenHook: rewrites "W-N/D" and "N/D" runs of a token list into one double token
/// when N/D is a proper fraction with a power-of-two denominator (2/3, 5/4 and 1/2/3 stay).
SLDB_API void fractionTokenHook(ut::LexiNumericalSorter::Tokens& tokens);

/// getProfileShapeLabel: "IShape" for IShapeProfile and so on ("IShapeProfile" with the
/// suffix); empty for a type that is no profile shape ("Profile" with the suffix).
SLDB_API OdString getProfileShapeLabel(stocklib::ObjectType type, bool withSuffix);
/// getProfileTypeLabel: "Generic", "Structural Steel"...; empty for any other value, including
/// combinations of bits.
SLDB_API OdString getProfileTypeLabel(stocklib::ProfileType type);

}  // namespace sl_db

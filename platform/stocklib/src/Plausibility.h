// The values no real object can have (a ply of no thickness, a ply number past the last ply, a
// flange thicker than half its section), judged alike for an object an import is about to store
// and for one a check reads back.
#pragma once

#include <string>
#include <vector>

#include "stocklib/Object.h"

namespace stocklib::detail {

/// implausible: one line per value of `object` (and of the plies a composition owns) that no
/// real object can have, each naming the field and the value ("ply 1 thickness -50 is not
/// positive"); empty when every value is plausible or absent. Checks physical, BIM and material
/// codes, compositions and profile shapes; other classes answer empty. Throws what loading a
/// stored object's plies throws.
std::vector<std::string> implausible(const Object& object);

/// describeObject: the class and the name of `object` for a message (`Composition "Wall"`;
/// a profile by its profile name and size, `IShapeProfile "HEA 200"`).
std::string describeObject(const Object& object);

}  // namespace stocklib::detail

// Profiles by the full name a person reads and types ("EN 10365 HEA 200", "AISC W 14x90"). A
// standard's name may hold spaces, so the text alone does not say where the standard ends and
// the name begins: a library's names decide.
#pragma once
/// @file

#include <optional>

#include "OdString.h"
#include "sl_db/SlDbExport.h"
#include "stocklib/Library.h"
#include "stocklib/Profiles.h"

namespace sl_db {

/// findProfileByFullName: the first profile of `library`, in the store's order, whose
/// fullProfileName is `fullName` exactly; empty when none is or `fullName` is empty.
/// Library-store errors pass to the caller.
SLDB_API KcSmartPtr<stocklib::Profile> findProfileByFullName(const stocklib::Library& library,
                                                             const OdString& fullName);

/// profileKey: the key of `profile` (its standard's, its profile name's and its size); empty
/// parts for a profile without a name or standard.
SLDB_API stocklib::ProfileKey profileKey(const stocklib::Profile& profile);

/// parseProfileKey: the key of the profile whose full name in `library` is `fullName`, the form
/// fullProfileName prints; empty, never a throw for any text, when the library holds none.
SLDB_API std::optional<stocklib::ProfileKey> parseProfileKey(const stocklib::Library& library,
                                                             const OdString& fullName);

}  // namespace sl_db

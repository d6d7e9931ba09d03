// Finding a profile of a drawing's libraries by the full name that `sldb list` prints, or as a
// person types it.
#pragma once

#include <string>

#include "OdString.h"
#include "sl_db/DocumentLibraries.h"
#include "stocklib/Profiles.h"

namespace sldb {

/// findProfile: the first profile, in the primary library and then in the secondaries in list
/// order, whose full name is `name`; empty when none has it. Nothing is copied.
KcSmartPtr<stocklib::Profile> findProfile(const sl_db::DocumentLibraries& docs,
                                          const OdString& name);

/// findProfileAsTyped: the profile whose full name is `typed`, else the one whose full name, or
/// name and size without the standard, reads as `typed` with letter case and spaces ignored
/// ("hea200", "W14x90"). Empty when none or several do; `why` then lists the candidates in one
/// line, or the nearest full names for a miss.
KcSmartPtr<stocklib::Profile> findProfileAsTyped(const sl_db::DocumentLibraries& docs,
                                                 const std::string& typed, std::string& why);

}  // namespace sldb

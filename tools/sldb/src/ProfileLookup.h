// Finding a profile of a drawing's libraries by the full name that `sldb list` prints.
#pragma once

#include "OdString.h"
#include "sl_db/DocumentLibraries.h"
#include "stocklib/Profiles.h"

namespace sldb {

/// findProfile: the first profile, in the primary library and then in the secondaries in list
/// order, whose full name is `name`; empty when none has it. Nothing is copied.
KcSmartPtr<stocklib::Profile> findProfile(const sl_db::DocumentLibraries& docs,
                                          const OdString& name);

}  // namespace sldb

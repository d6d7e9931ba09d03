// The module's property-palette sources: one manager "STOCKLIB" holding the static source (the
// fixed properties of materials and compositions) and the dynamic source (their custom values).
#pragma once
/// @file

#include "oa/PropertySource.h"
#include "oa/PropertySourceManager.h"
#include "sl_db/SlDbExport.h"
#include "ut/KcRxObject.h"

// Identifiers (of the manager, the sources, the categories and every definition) are
// version-5 UUIDs of URLs on the host "sl-db.invalid": the ".invalid" name is reserved, so no
// company or product can hold it, and the values never change between runs or builds.

namespace sl_db {

/// stocklibPropertySources: the process-wide manager "STOCKLIB". Made on the first call; on
/// every call it is given the static source, then the dynamic source, when it holds none, so a
/// caller always finds exactly these two, static first. Never freed before the process ends.
SLDB_API oa::PropertySourceManager& stocklibPropertySources();

/// createStocklibStaticPropertySource: a further reference to the one static source
/// "STOCKLIB-Static". It lists definitions only when bit 0 of the options is set, and only for
/// an object whose class is exactly stocklib::Material or stocklib::Composition (a derived class
/// or a null object gets nothing). Reads and writes go straight to the object; saving it is the
/// caller's business.
SLDB_API KcSmartPtr<oa::PropertySource> createStocklibStaticPropertySource();

/// createStocklibDynamicPropertySource: a further reference to the one dynamic source
/// "STOCKLIB-Dynamic". With bit 1 of the options set, a stocklib::Composition or stocklib::Material
/// (derived classes included) gets one new string definition per custom value, in the order of
/// custom_values(); anything else gets nothing.
SLDB_API KcSmartPtr<oa::PropertySource> createStocklibDynamicPropertySource();

}  // namespace sl_db

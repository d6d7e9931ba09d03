// Where a drawing's libraries are: the default secondary library per measurement system, the
// support folder and its templates, and stored paths made absolute against the drawing.
// Composed paths use "/"; nothing here checks that a composed path exists.
#pragma once
/// @file

#include "OdString.h"
#include "sl_db/SlDbExport.h"

class OdDbDatabase;

namespace sl_db {

/// hardcodedSecondaryLibraryPath: ROOT/Support/metric.stocklib, or imperial.stocklib for a
/// drawing whose MEASUREMENT is 0 (metric for a null drawing); empty without a preferences
/// provider.
SLDB_API OdString hardcodedSecondaryLibraryPath(OdDbDatabase* db);
/// defaultSecondaryLibraryPath: the preference for the drawing's measurement system, unchanged,
/// or the built-in path when that preference is empty; empty without a provider.
SLDB_API OdString defaultSecondaryLibraryPath(OdDbDatabase* db);
/// storeDefaultSecondaryLibraryPath: remembers `path` as the preference for the drawing's
/// measurement system; does nothing without a provider or a drawing.
SLDB_API void storeDefaultSecondaryLibraryPath(const OdString& path, OdDbDatabase* db);
/// initLibraryPath: the support folder's "stocklib.xml" (the drawing is ignored).
SLDB_API OdString initLibraryPath(OdDbDatabase* db);
/// unitsLibraryPath: the support folder's "stocklib_units.xml" (the drawing is ignored).
SLDB_API OdString unitsLibraryPath(OdDbDatabase* db);

namespace detail {
/// supportFolderPath: ROOT/Support with "/" separators; empty without a provider.
SLDB_API OdString supportFolderPath();
/// joinPath: `base` with "\" turned into "/", then one "/" unless it ends in one, then `name`.
SLDB_API OdString joinPath(const OdString& base, const OdString& name);
/// absoluteLibraryPath: a relative `path` taken in the folder of the file `basePath`; an
/// absolute one unchanged (normalised).
SLDB_API OdString absoluteLibraryPath(const OdString& path, const OdString& basePath);
}  // namespace detail

}  // namespace sl_db

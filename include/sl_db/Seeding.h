// Default content of new libraries: the initial template, the units and their defaults chosen
// from a drawing's units, the "User" namespace, and translated names of seeded objects.
// Internal operations of the drawing binding, exported so that tests can call them directly.
#pragma once
/// @file

#include <memory>

#include "OdString.h"
#include "sl_db/SlDbExport.h"
#include "stocklib/Library.h"
#include "stocklib/Objects.h"
#include "stocklib/Profiles.h"

class OdDbDatabase;

namespace sl_db::detail {

/// seedNewLibrary: fills a newly created library from the support folder's initial XML file:
/// its meta locale and region, then its objects (lengths read as inches when meta Unit is
/// "Inch", millimetres when "Millimeter", else in the library's unit). A missing file seeds the
/// fourteen default material types under translated names instead; a file that does not load
/// for another reason (malformed, unreadable) seeds nothing. Errors of the store pass through.
SLDB_API void seedNewLibrary(const std::shared_ptr<stocklib::Library>& library, OdDbDatabase* db);
/// importUnits: imports the support folder's units XML file (objects already present are kept)
/// and then sets default units; nothing happens when the file does not load.
SLDB_API void importUnits(const std::shared_ptr<stocklib::Library>& library, OdDbDatabase* db);
/// setDefaultUnits: gives LENGTH, AREA, VOLUME and MASS a default unit when they have none,
/// chosen from the drawing's INSUNITS (or its MEASUREMENT when INSUNITS names no table row; a
/// null drawing counts as metric). An existing unit of the measure with the wanted factor is
/// reused; otherwise one is made. A missing measure is created first.
SLDB_API void setDefaultUnits(const std::shared_ptr<stocklib::Library>& library, OdDbDatabase* db);
/// addUserNamespace: a new, unsaved namespace "User" labelled with the translation of "User".
SLDB_API KcSmartPtr<stocklib::PropertyNamespace> addUserNamespace();
/// translate: the installed catalogue's translation of `word`; the word itself without one.
SLDB_API OdString translate(const OdString& word);
/// repairProfileScales: rescales and saves each profile of `primary` that equals, up to one
/// length factor, the first profile of `secondary` with the same size text and class. Profiles
/// without such a match, or equal to one of those candidates already, are left alone; nothing
/// happens when either library is empty or `primary` is read-only (it is used as it is).
SLDB_API void repairProfileScales(const std::shared_ptr<stocklib::Library>& primary,
                                  const std::shared_ptr<const stocklib::Library>& secondary);

}  // namespace sl_db::detail

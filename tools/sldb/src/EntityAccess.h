// Entities as the entity and value commands reach them: by handle.
#pragma once

#include <string>

#include "DbDatabase.h"
#include "DbEntity.h"

namespace sldb {

/// handleText: the handle of `id` in upper-case hexadecimal.
std::string handleText(const OdDbObjectId& id);
/// entityAt: the entity of handle `text` (hexadecimal), opened as asked; UsageError for text
/// that is no handle, Failure when the drawing has no such object or it is not an entity.
OdDbEntityPtr entityAt(OdDbDatabase* db, const std::string& text, OdDb::OpenMode mode);
/// damageNote: "" for an entity whose stored values all read, else "its stored values could not
/// be read: " and why.
std::string damageNote(const OdDbObject* entity);
/// damagedEntities: how many objects of `db` hold stored values that cannot be read.
int damagedEntities(OdDbDatabase* db);

}  // namespace sldb

// Drawings and entities as the entity and value commands reach them: by file name and by handle.
#pragma once

#include <string>

#include "DbDatabase.h"
#include "DbEntity.h"

namespace sldb {

/// openDrawing: the drawing at `path`; Failure when there is none, the reader's OdError when it
/// is not a drawing. `forChange` holds its change lock until the drawing goes (an OdError naming
/// the holder when another process changes it).
OdDbDatabasePtr openDrawing(const std::string& path, bool forChange = false);
/// damageNote: "" for an entity whose stored values all read, else "its stored values could not
/// be read: " and why.
std::string damageNote(const OdDbObject* entity);
/// saveDrawing: writes `db` to `path` and says so.
void saveDrawing(OdDbDatabase* db, const std::string& path);
/// handleText: the handle of `id` in upper-case hexadecimal.
std::string handleText(const OdDbObjectId& id);
/// entityAt: the entity of handle `text` (hexadecimal), opened as asked; UsageError for text
/// that is no handle, Failure when the drawing has no such object or it is not an entity.
OdDbEntityPtr entityAt(OdDbDatabase* db, const std::string& text, OdDb::OpenMode mode);

}  // namespace sldb

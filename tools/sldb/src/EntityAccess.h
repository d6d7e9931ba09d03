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

}  // namespace sldb

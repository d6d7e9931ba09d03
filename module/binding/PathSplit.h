// Splitting a path into folder, base name and extension; both "/" and "\" separate, since
// stored library paths may come from drawings made on other systems.
#pragma once

#include "OdString.h"

namespace sl_db {
namespace detail {

struct PathParts {
  OdString folder;     // up to and including the last separator; empty when none
  OdString base;       // the file name without its extension
  OdString extension;  // from the last "." of the file name on; empty when none
};

inline PathParts splitPath(const OdString& path) {
  PathParts parts;
  int slash = -1;
  for (int i = path.getLength() - 1; i >= 0; --i) {
    if (path.getAt(i) == L'/' || path.getAt(i) == L'\\') {
      slash = i;
      break;
    }
  }
  parts.folder = path.left(slash + 1);
  OdString name = path.mid(slash + 1);
  int dot = name.reverseFind(L'.');
  if (dot < 0) {
    parts.base = name;
  } else {
    parts.base = name.left(dot);
    parts.extension = name.mid(dot);
  }
  return parts;
}

}  // namespace detail
}  // namespace sl_db

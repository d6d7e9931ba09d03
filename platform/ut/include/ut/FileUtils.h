// File helpers of the utility library: existence, a copy that never leaves a partial target,
// removal. Paths are OdString, passed to the system as UTF-8; no length limit of our own.
#pragma once
/// @file
/// File helpers: existence, a copy that never leaves a partial target, removal.

#include "OdString.h"
#include "ut/UtExport.h"

namespace ut {

/// fileExists: true when a file or folder exists at `path` (existence only, no access rights;
/// a symbolic link counts when its target exists). False for the empty path.
UT_API bool fileExists(const OdString& path);

/// copyFile: copies the file `source` to `target`. The bytes go to a temporary file in the
/// target's folder, which is flushed to disk and then renamed into place, so `target` is either
/// untouched or the complete copy. With `overwrite` false an existing `target` is refused (also
/// one that appears during the copy). The copy keeps the source's permission bits. Answers
/// false, leaving no temporary file and no partial target, when the source is missing or not a
/// regular file, the target folder is missing or not writable, the target is refused, or any
/// read or write fails.
UT_API bool copyFile(const OdString& source, const OdString& target, bool overwrite);

/// removeFile: removes the file (or symbolic link) at `path`; true when it was removed. False
/// when there is nothing there, it is a folder, or the system refuses.
UT_API bool removeFile(const OdString& path);

}  // namespace ut

// The change lock of drawing files: one changer at a time from reading a drawing to saving it.
// Every write takes it too, so that no write lands while another changer holds the drawing.
#pragma once
/// @file
/// The change lock that lets one changer at a time read and save a drawing.

#include "DbDatabase.h"
#include "OdExport.h"

/// odDbReadFileForChange: reads `path` into `db` as OdDbDatabase::readFile does, after taking
/// the drawing's change lock; `db` holds it until it is destroyed or reads a file again, and
/// writes `path` under it. The lock is an advisory lock on "<drawing>.lock" beside the drawing,
/// dropped by the system when its process dies, so that a lock left by a killed process is taken
/// over. Throws OdError(eFileLocked, "the drawing is being changed by process N") when another
/// changer holds it (another drawing of this process included), leaving `db` as it was; the
/// reader's errors otherwise.
ODSDK_API void odDbReadFileForChange(OdDbDatabase* db, const OdString& path);

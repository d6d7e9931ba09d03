// A seam for fault injection in the drawing writer: tests make its Nth file operation fail, as
// a full disk or a failing device would, and check that nothing is lost.
#pragma once
/// @file
/// Fault injection in the drawing writer, for tests.

#include <cstdint>

#include "OdExport.h"

/// odDbSetWriteFault: from now on, the `failAt`-th file operation of drawing writes (counting
/// every write, sync, close and rename from 1; 0 turns faults off) fails with an I/O error,
/// and with `persistent` every later one too (a full disk). Resets the count. Process-wide.
ODSDK_API void odDbSetWriteFault(std::uint64_t failAt, bool persistent);
/// odDbWriteOperations: the file operations of drawing writes counted since the last
/// odDbSetWriteFault.
ODSDK_API std::uint64_t odDbWriteOperations();

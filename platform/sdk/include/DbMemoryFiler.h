// Filers over memory: write an object's data into a byte vector, or read it back from bytes.
// Readers check every read against the bytes left and throw OdError(eEndOfFile) past the end.
#pragma once
/// @file
/// Filers that write object data to bytes in memory and read it back.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "DbFiler.h"

/// odDbCreateMemoryWriter: a writer appending to `out` (which must outlive the filer).
ODSDK_API OdDbDwgFilerPtr odDbCreateMemoryWriter(std::vector<std::uint8_t>& out,
                                                 OdDbFiler::FilerType type,
                                                 OdDbDatabase* db = nullptr);
/// odDbCreateMemoryReader: a reader of `size` bytes at `data` (which must outlive the filer).
ODSDK_API OdDbDwgFilerPtr odDbCreateMemoryReader(const std::uint8_t* data, std::size_t size,
                                                 OdDbFiler::FilerType type,
                                                 OdDbDatabase* db = nullptr);

// IFC 4 exchange of a library: its materials, compositions and profiles as an IFC project library.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "stocklib/Library.h"

#define STOCKLIB_IFC_API __attribute__((visibility("default")))

namespace stocklib {

/// IfcExportSummary: what an export wrote, and one line per object it could not write.
struct IfcExportSummary {
  std::size_t materials = 0;
  std::size_t layerSets = 0;
  std::size_t profiles = 0;
  std::vector<OdString> skipped;
};

/// exportToIfc: the whole of `library` as one IFC 4 STEP file in `out` (replaced): a project in
/// the library's length unit, a project library declaring one type per composition, every
/// material with its property sets, every composition as a layer set, every profile of a shape
/// IFC 4 has a class for. Objects it cannot write are named in the summary, not in `out`.
/// Throws Exception when the library cannot be read.
[[nodiscard]] STOCKLIB_IFC_API IfcExportSummary exportToIfc(const Library& library,
                                                            std::string& out);

}  // namespace stocklib

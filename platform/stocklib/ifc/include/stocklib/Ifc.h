// IFC 4 exchange of a library: its materials, compositions, profiles and property sets as an IFC
// project library.
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
  std::size_t propertySets = 0;
  std::vector<OdString> skipped;
};

/// exportToIfc: the whole of `library` as one IFC 4 STEP file in `out` (replaced): a project in
/// the library's length unit, a project library declaring one type per composition and per
/// profile, every material with its property sets, every composition as a layer set, every
/// profile (crane rails and custom outlines as arbitrary closed profiles) with a material profile
/// set, every property set as a property set template. Objects it cannot write (a custom outline
/// of fewer than 2 vertices) are named in the summary, not in `out`.
/// Throws Exception when the library cannot be read.
[[nodiscard]] STOCKLIB_IFC_API IfcExportSummary exportToIfc(const Library& library,
                                                            std::string& out);

/// IfcImportSummary: what an import read, and one line per object it left out ("#id Class: why").
struct IfcImportSummary {
  std::size_t materials = 0;
  std::size_t layerSets = 0;
  std::size_t profiles = 0;
  std::size_t propertySets = 0;
  std::vector<OdString> skipped;
};

/// importFromIfc: reads the materials (with their property sets), layer sets, profiles and
/// property set templates (a set the library has is skipped) of an
/// IFC 4 or IFC 2x3 STEP file `text` into `library` in one transaction, lengths converted from
/// the file's unit; names already taken get -2, -3... Throws Exception naming the fault of a
/// damaged or hostile file (truncated, unknown entity, dangling reference, number out of range,
/// another schema); the library is then unchanged.
[[nodiscard]] STOCKLIB_IFC_API IfcImportSummary importFromIfc(Library& library,
                                                              const std::string& text);

}  // namespace stocklib

// A deep comparison of stored values by their filed bytes, and the table of every value type of
// the storage with a sample value of each.
#pragma once

#include <cstdint>
#include <vector>

#include "DbMemoryFiler.h"
#include "dbprops/DbProperties.h"
#include "dbprops/DbProperty.h"

namespace samples {

/// writer, reader: the SDK's memory filers over `bytes` (which must outlive them).
inline OdDbDwgFilerPtr writer(std::vector<std::uint8_t>& bytes) {
  return odDbCreateMemoryWriter(bytes, OdDbFiler::kFileFiler);
}
inline OdDbDwgFilerPtr reader(const std::vector<std::uint8_t>& bytes) {
  return odDbCreateMemoryReader(bytes.data(), bytes.size(), OdDbFiler::kFileFiler);
}

/// filed: the bytes a value files as (descriptor and data): equal bytes, equal values.
inline std::vector<std::uint8_t> filed(const DbProperty& value) {
  std::vector<std::uint8_t> bytes;
  OdDbDwgFilerPtr out = writer(bytes);
  out->wrInt32(value.type().structure());
  out->wrInt32(value.type().type());
  out->wrInt32(value.type().keyType());
  value.writeDataToDwg(out.get());
  return bytes;
}

/// filedOut: the bytes a container files as: equal bytes, equal values and set keys.
inline std::vector<std::uint8_t> filedOut(const DbProperties& container) {
  std::vector<std::uint8_t> bytes;
  container.dwgOut(writer(bytes).get());
  return bytes;
}

/// One supported value type: its descriptor (from the list of types, not from the traits), the
/// typed check and a set value.
struct TypeCase {
  DbPropertyType type;
  bool (*typed)(DbProperty&);
  DbPropertyPtr (*sample)();
};

/// everyType: every supported value type, in the order of the list of types.
std::vector<TypeCase> everyType();

}  // namespace samples

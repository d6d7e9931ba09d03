// A deep comparison of stored values by their filed bytes, and the table of every value type of
// the storage with a sample value of each.
#pragma once

#include <cstdint>
#include <vector>

#include "DbMemoryFiler.h"
#include "dbprops/DbProperty.h"

namespace samples {

/// Bytes filed through the SDK's memory filers: written with `out`, read from the start with
/// `in` (each call a new reader).
class FiledBytes {
 public:
  FiledBytes() = default;
  explicit FiledBytes(std::vector<std::uint8_t> bytes) : m_bytes(std::move(bytes)) {}
  FiledBytes(const FiledBytes&) = delete;
  FiledBytes& operator=(const FiledBytes&) = delete;

  OdDbDwgFiler* out() {
    if (!m_writer) m_writer = odDbCreateMemoryWriter(m_bytes, OdDbFiler::kFileFiler);
    return m_writer.get();
  }
  OdDbDwgFilerPtr in() const {
    return odDbCreateMemoryReader(m_bytes.data(), m_bytes.size(), OdDbFiler::kFileFiler);
  }
  const std::vector<std::uint8_t>& bytes() const { return m_bytes; }

 private:
  std::vector<std::uint8_t> m_bytes;
  OdDbDwgFilerPtr m_writer;  // after m_bytes: destroyed first
};

/// filed: the bytes a value files as (descriptor and data): equal bytes, equal values.
inline std::vector<std::uint8_t> filed(const DbProperty& value) {
  FiledBytes filed;
  DbPropertyType type = value.type();
  filed.out()->wrInt32(type.structure());
  filed.out()->wrInt32(type.type());
  filed.out()->wrInt32(type.keyType());
  value.writeDataToDwg(filed.out());
  return filed.bytes();
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

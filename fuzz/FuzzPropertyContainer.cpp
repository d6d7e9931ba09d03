// Fuzz target: an entity's property container data. Whatever the reader makes of the bytes is
// written and read back the same (values, damage and bytes); the sound values stored again
// through setProperty in a fresh container read back whole and equal.
#include <vector>

#include "DbMemoryFiler.h"
#include "dbprops/DbProperties.h"

namespace {

std::vector<std::uint8_t> filed(const DbProperties& c) {
  std::vector<std::uint8_t> bytes;
  c.dwgOut(odDbCreateMemoryWriter(bytes, OdDbFiler::kFileFiler).get());
  return bytes;
}

void read(DbProperties& c, const std::uint8_t* data, std::size_t size) {
  if (c.dwgIn(odDbCreateMemoryReader(data, size, OdDbFiler::kFileFiler).get()) != eOk)
    __builtin_trap();
}

std::vector<std::uint8_t> filedValue(const DbProperty& v) {
  std::vector<std::uint8_t> bytes;
  v.writeDataToDwg(odDbCreateMemoryWriter(bytes, OdDbFiler::kFileFiler).get());
  return bytes;
}

bool sameValues(const DbProperties& a, const DbProperties& b) {
  if (a.size() != b.size()) return false;
  for (auto i = a.begin(), j = b.begin(); i != a.end(); ++i, ++j) {
    if (i->first != j->first || filedValue(*i->second) != filedValue(*j->second)) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  OdStaticRxObject<DbProperties> first;
  read(first, data, size);
  if (first.isDamaged() == first.damage().isEmpty()) __builtin_trap();
  const std::vector<std::uint8_t> out = filed(first);
  OdStaticRxObject<DbProperties> second;
  read(second, out.data(), out.size());
  if (!sameValues(first, second) || second.isDamaged() != first.isDamaged() ||
      second.unreadableCount() != first.unreadableCount() || filed(second) != out) {
    __builtin_trap();
  }

  OdStaticRxObject<DbProperties> fresh;
  for (const auto& entry : first)
    if (!fresh.setProperty(entry.first, entry.second->clone())) __builtin_trap();
  const std::vector<std::uint8_t> stored = filed(fresh);
  OdStaticRxObject<DbProperties> back;
  read(back, stored.data(), stored.size());
  if (back.isDamaged() || !sameValues(back, fresh)) __builtin_trap();
  return 0;
}

// Fuzz target: a value as `set-prop` parses it, then converted to another storage type as a
// definition's type asks (castProperty). The first six bytes choose the two types; the rest is
// the text. A conversion stores a value of the new type that prints and parses back as itself;
// a failed one leaves the stored value exactly as it was.
#include <string>

#include "dbprops/DbProperties.h"
#include "sl_db/ValueText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  if (size < 6) return 0;
  const DbPropertyType from(data[0] % 5, data[1] % 21, data[2] % 21);
  const DbPropertyType to(data[3] % 5, data[4] % 21, data[5] % 21);
  std::string error;
  std::shared_ptr<DbProperty> value = sl_db::parseValue(
      std::string(reinterpret_cast<const char*>(data) + 6, size - 6), from, error);
  OdStaticRxObject<DbProperties> container;
  if (!value || !container.setProperty(L"v", value)) return 0;
  const std::string before = sl_db::formatValue(*value);
  std::shared_ptr<DbProperty> cast = container.castProperty(L"v", to);
  std::shared_ptr<const DbProperty> stored = std::as_const(container).getProperty(L"v");
  if (!stored) __builtin_trap();
  if (!cast) {
    if (!(stored->type() == from) || sl_db::formatValue(*stored) != before) __builtin_trap();
    return 0;
  }
  if (!(cast->type() == to) || stored.get() != cast.get()) __builtin_trap();
  const std::string printed = sl_db::formatValue(*cast);
  std::shared_ptr<DbProperty> again = sl_db::parseValue(printed, to, error);
  if (!again || sl_db::formatValue(*again) != printed) __builtin_trap();
  return 0;
}

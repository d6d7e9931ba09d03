// Fuzz target: the command line's value text. The first three bytes choose a storage type
// (structure, element and key codes, invalid ones included); the rest is the text. A refusal
// says why; a value has the asked type and prints as text that parses to the same printout.
#include <string>

#include "sl_db/ValueText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  const DbPropertyType type(data[0] % 5, data[1] % 21, data[2] % 21);
  const std::string text(reinterpret_cast<const char*>(data) + 3, size - 3);
  std::string error;
  std::shared_ptr<DbProperty> value = sl_db::parseValue(text, type, error);
  if (!value) {
    if (error.empty()) __builtin_trap();
    return 0;
  }
  if (!value->isSet() || !(value->type() == type)) __builtin_trap();
  const std::string printed = sl_db::formatValue(*value);
  std::shared_ptr<DbProperty> again = sl_db::parseValue(printed, type, error);
  if (!again || sl_db::formatValue(*again) != printed) __builtin_trap();
  return 0;
}

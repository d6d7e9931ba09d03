// Fuzz target: property key strings. Every key that can be stored prints and parses back as
// itself; any text parses, and its key prints and parses back to the same key.
#include "FuzzSupport.h"
#include "sl_db/PropertyKey.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  fuzz::Parts parts(data, size);
  OdString ns = fuzz::wide(parts.next());
  OdString name = fuzz::wide(parts.next());
  sl_db::PropertyKey key(ns, name);
  bool storable = ns.find(L'~') < 0 && (!ns.isEmpty() || name.find(L'~') < 0);
  if (storable && sl_db::PropertyKey::fromString(key.str()) != key) __builtin_trap();

  sl_db::PropertyKey parsed = sl_db::PropertyKey::fromString(ns);
  if (sl_db::PropertyKey::fromString(parsed.str()) != parsed) __builtin_trap();
  return 0;
}

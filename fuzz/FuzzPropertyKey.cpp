// Fuzz target: property key strings. Every key that can be stored prints and parses back as
// itself; any text parses, and a parsed key the store could hold round-trips.
#include "FuzzSupport.h"
#include "sl_db/PropertyKey.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  fuzz::Parts parts(data, size);
  OdString ns = fuzz::wide(parts.next());
  OdString name = fuzz::wide(parts.next());
  // The store refuses a "~" in a namespace, and in a name without a namespace.
  auto storable = [](const sl_db::PropertyKey& k) {
    return k.ns().find(L'~') < 0 && (!k.ns().isEmpty() || k.name().find(L'~') < 0);
  };
  sl_db::PropertyKey key(ns, name);
  if (storable(key) && sl_db::PropertyKey::fromString(key.str()) != key) __builtin_trap();

  // Any text parses; what it parses to round-trips whenever the store could hold it.
  sl_db::PropertyKey parsed = sl_db::PropertyKey::fromString(ns);
  if (storable(parsed) && sl_db::PropertyKey::fromString(parsed.str()) != parsed) __builtin_trap();
  return 0;
}

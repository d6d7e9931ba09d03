// Fuzz target: gettext .mo catalogues. Any bytes give a catalogue or an error, never a crash;
// a catalogue answers for the words it holds.
#include <string>

#include "FuzzSupport.h"
#include "stocklib/Translations.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  OdString error;
  auto catalogue = stocklib::Translations::parseMo(bytes, &error);
  if (!catalogue && error.isEmpty()) __builtin_trap();  // a refusal says why
  if (catalogue) {
    OdString out;
    catalogue->translate(OdString(L"Steel"), out);
  }
  return 0;
}

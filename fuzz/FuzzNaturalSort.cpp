// Fuzz target: the lexicographic-numeric sorter is a strict weak order on every triple of texts
// (irreflexive, asymmetric, transitive, and equivalence transitive).
#include "FuzzSupport.h"
#include "ut/LexiNumericalSorter.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  fuzz::Parts parts(data, size);
  const OdString t[3] = {fuzz::wide(parts.next()), fuzz::wide(parts.next()),
                         fuzz::wide(parts.next())};
  ut::LexiNumericalSorter less;
  auto equivalent = [&](const OdString& a, const OdString& b) {
    return !less(a, b) && !less(b, a);
  };
  for (const OdString& a : t)
    if (less(a, a)) __builtin_trap();
  for (const OdString& a : t)
    for (const OdString& b : t) {
      if (less(a, b) && less(b, a)) __builtin_trap();
      for (const OdString& c : t) {
        if (less(a, b) && less(b, c) && !less(a, c)) __builtin_trap();
        if (equivalent(a, b) && equivalent(b, c) && !equivalent(a, c)) __builtin_trap();
      }
    }
  return 0;
}

// Numbers as text for people: the shortest decimal form that reads back as the same number,
// the same under every locale.
#pragma once
/// @file
/// Numbers as shortest, locale-independent text.

#include "OdString.h"
#include "ut/UtExport.h"

namespace ut {

/// realText: the shortest text that reads back as exactly `value` ("0.1", "100", "1e+20",
/// "-0"; of equally short forms the plain one), always with "." as the decimal point; "nan",
/// "inf" or "-inf" for those.
UT_API OdString realText(double value);

/// realFromText: true with the number in `out` when the whole of `text` is a decimal number
/// ("1.5", "+2", "-3e-4", "." as the decimal point under every locale) of finite value; false,
/// `out` unchanged, for anything else (empty, trailing characters, out of range, nan, inf).
UT_API bool realFromText(const OdString& text, double& out);

}  // namespace ut

// Shortest exact decimal text of a double, independent of the process's locale.
#include "ut/NumberText.h"

#include <charconv>
#include <cmath>
#include <string>

namespace ut {

OdString realText(double value) {
  if (std::isnan(value)) return OdString(L"nan");
  if (std::isinf(value)) return OdString(value < 0 ? L"-inf" : L"inf");
  char buffer[64];
  std::to_chars_result written = std::to_chars(buffer, buffer + sizeof buffer, value);
  return OdString::fromUtf8(std::string(buffer, written.ptr));
}

bool realFromText(const OdString& text, double& out) {
  const std::string utf8 = text.toUtf8();
  const char* begin = utf8.data();
  const char* end = begin + utf8.size();
  if (begin != end && *begin == '+') {
    ++begin;
    if (begin != end && *begin == '-') return false;
  }
  double value = 0.0;
  std::from_chars_result read = std::from_chars(begin, end, value);
  if (read.ec != std::errc() || read.ptr != end || !std::isfinite(value)) return false;
  out = value;
  return true;
}

}  // namespace ut

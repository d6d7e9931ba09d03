// Names and texts read from files, made safe for a terminal or a text file.
#include "Shown.h"

#include <algorithm>

namespace sldb {

std::string shown(const std::string& utf8) {
  static const char kHex[] = "0123456789abcdef";
  std::string out;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    const auto next = i + 1 < utf8.size() ? static_cast<unsigned char>(utf8[i + 1]) : 0;
    if (c < 0x20 || c == 0x7f) {
      out += {'\\', 'x', kHex[c >> 4], kHex[c & 15]};
    } else if (c == 0xc2 && next >= 0x80 && next <= 0x9f) {  // U+0080..U+009F
      out += {'\\', 'u', '0', '0', kHex[next >> 4], kHex[next & 15]};
      ++i;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

std::string shownLines(const std::string& utf8) {
  std::string out;
  for (std::size_t begin = 0; begin <= utf8.size();) {
    const std::size_t end = std::min(utf8.find('\n', begin), utf8.size());
    out += shown(utf8.substr(begin, end - begin));
    if (end < utf8.size()) out += '\n';
    begin = end + 1;
  }
  return out;
}

}  // namespace sldb

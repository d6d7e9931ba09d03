// ut::LexiNumericalSorter: splitting texts into number and text tokens and comparing the lists.
#include "ut/LexiNumericalSorter.h"

#include <climits>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

namespace ut {
namespace {

bool isDigit(wchar_t c) {
  return c >= L'0' && c <= L'9';
}
bool isOwnToken(wchar_t c) {
  return c == L'/' || c == L'-';
}

int compareNumbers(double a, double b) {
  bool nanA = std::isnan(a), nanB = std::isnan(b);
  if (nanA || nanB) return nanA == nanB ? 0 : (nanA ? 1 : -1);
  return a < b ? -1 : (b < a ? 1 : 0);
}

}  // namespace

LexiNumericalSorter::Tokens LexiNumericalSorter::tokenize(const OdString& text) {
  Tokens out;
  const wchar_t* s = text.c_str();
  const std::size_t n = static_cast<std::size_t>(text.getLength());
  std::size_t i = 0;
  while (i < n) {
    std::size_t start = i;
    if (isDigit(s[i])) {
      while (i < n && isDigit(s[i]))
        ++i;
      bool decimal = i + 1 < n && s[i] == L'.' && isDigit(s[i + 1]);
      if (decimal) {
        ++i;
        while (i < n && isDigit(s[i]))
          ++i;
      }
      std::string digits;
      for (std::size_t k = start; k < i; ++k)
        digits += static_cast<char>(s[k]);
      if (!decimal) {
        // Leading zeros do not count against the size of an int.
        std::size_t first = digits.find_first_not_of('0');
        std::size_t significant = first == std::string::npos ? 0 : digits.size() - first;
        if (significant <= 9 ||
            (significant == 10 && digits.compare(first, 10, "2147483647") <= 0)) {
          out.emplace_back(static_cast<int>(std::strtol(digits.c_str(), nullptr, 10)));
          continue;
        }
      }
      out.emplace_back(std::strtod(digits.c_str(), nullptr));
    } else if (isOwnToken(s[i])) {
      out.emplace_back(OdString(s + i, 1));
      ++i;
    } else {
      while (i < n && !isDigit(s[i]) && !isOwnToken(s[i]))
        ++i;
      out.emplace_back(OdString(s + start, static_cast<int>(i - start)));
    }
  }
  return out;
}

LexiNumericalSorter::Tokens LexiNumericalSorter::tokens(const OdString& text) const {
  Tokens out = tokenize(text);
  if (m_hook) m_hook(out);
  return out;
}

double LexiNumericalSorter::getAsDouble(const Token& token) {
  switch (token.which()) {
    case 0:
      return boost::get<double>(token);
    case 2:
      return static_cast<double>(boost::get<int>(token));
    default:
      return std::numeric_limits<double>::quiet_NaN();
  }
}

int LexiNumericalSorter::compareTokens(const Tokens& a, const Tokens& b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const bool textA = isText(a[i]), textB = isText(b[i]);
    int c;
    if (textA != textB) {
      c = textA ? 1 : -1;
    } else if (textA) {
      const OdString& x = boost::get<OdString>(a[i]);
      const OdString& y = boost::get<OdString>(b[i]);
      c = odCompareUtf16(x.c_str(), static_cast<std::size_t>(x.getLength()), y.c_str(),
                         static_cast<std::size_t>(y.getLength()));
    } else {
      c = compareNumbers(getAsDouble(a[i]), getAsDouble(b[i]));
    }
    if (c != 0) return c;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

bool LexiNumericalSorter::isLess(const OdString& a, const OdString& b) const {
  int c = compareTokens(tokens(a), tokens(b));
  if (c != 0) return c < 0;
  return a < b;
}

}  // namespace ut

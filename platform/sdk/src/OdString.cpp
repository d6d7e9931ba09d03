// OdString: shared-buffer wide string, UTF-8 conversion and UTF-16 ordering.
#include "OdString.h"

#include <algorithm>
#include <cstdarg>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <vector>

const OdString OdString::kEmpty;

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool isValidCodePoint(char32_t c) {
  return c < 0x110000 && (c < 0xD800 || c > 0xDFFF);
}

// UTF-16 sort key of one code point: characters above U+FFFF sort as their high surrogate
// (0xD800..0xDBFF) would, that is below U+E000..U+FFFF.
inline std::uint32_t utf16Key(wchar_t c) {
  auto u = static_cast<std::uint32_t>(c);
  if (u >= 0x10000) return 0xD800 + ((u - 0x10000) >> 10);
  return u;
}

inline std::uint32_t utf16Low(wchar_t c) {
  auto u = static_cast<std::uint32_t>(c);
  return 0xDC00 + ((u - 0x10000) & 0x3FF);
}

OdString vformat(const wchar_t* fmt, va_list args) {
  std::vector<wchar_t> buffer(256);
  for (;;) {
    va_list copy;
    va_copy(copy, args);
    int n = std::vswprintf(buffer.data(), buffer.size(), fmt, copy);
    va_end(copy);
    if (n >= 0 && static_cast<std::size_t>(n) < buffer.size()) return OdString(buffer.data(), n);
    // vswprintf gives -1 both for a short buffer and for an encoding error; stop growing at 64 MiB.
    if (buffer.size() >= (std::size_t(1) << 24)) return OdString();
    buffer.resize(buffer.size() * 4);
  }
}

}  // namespace

int odCompareUtf16(const wchar_t* a, std::size_t aLength, const wchar_t* b, std::size_t bLength) {
  std::size_t n = std::min(aLength, bLength);
  for (std::size_t i = 0; i < n; ++i) {
    if (a[i] == b[i]) continue;
    std::uint32_t ka = utf16Key(a[i]);
    std::uint32_t kb = utf16Key(b[i]);
    if (ka != kb) return ka < kb ? -1 : 1;
    // Same high surrogate: the low surrogates decide.
    std::uint32_t la = utf16Low(a[i]);
    std::uint32_t lb = utf16Low(b[i]);
    if (la != lb) return la < lb ? -1 : 1;
  }
  if (aLength == bLength) return 0;
  return aLength < bLength ? -1 : 1;
}

int odCompareUtf16(const wchar_t* a, const wchar_t* b) {
  return odCompareUtf16(a, std::wcslen(a), b, std::wcslen(b));
}

OdString::OdString(const wchar_t* text) {
  if (text && *text) m_data = std::make_shared<const std::wstring>(text);
}

OdString::OdString(const wchar_t* text, int length) {
  if (text && length > 0)
    m_data = std::make_shared<const std::wstring>(text, static_cast<std::size_t>(length));
}

OdString::OdString(wchar_t ch, int count) {
  if (count > 0) m_data = std::make_shared<const std::wstring>(static_cast<std::size_t>(count), ch);
}

OdString::OdString(const char* utf8) {
  if (utf8 && *utf8) *this = fromUtf8(utf8, std::strlen(utf8));
}

OdString::OdString(const std::wstring& text) {
  if (!text.empty()) m_data = std::make_shared<const std::wstring>(text);
}

OdString::OdString(std::wstring&& text) {
  if (!text.empty()) m_data = std::make_shared<const std::wstring>(std::move(text));
}

OdString& OdString::operator=(const wchar_t* text) {
  *this = OdString(text);
  return *this;
}

namespace {

// Decodes UTF-8 into `out`, each invalid sequence as U+FFFD; false when there was one.
bool decodeUtf8(const char* data, std::size_t size, std::wstring& out) {
  bool valid = true;
  out.reserve(size);
  const auto* p = reinterpret_cast<const unsigned char*>(data);
  const unsigned char* end = p + size;
  while (p < end) {
    unsigned char c = *p;
    char32_t cp;
    int extra;
    if (c < 0x80) {
      cp = c;
      extra = 0;
    } else if ((c & 0xE0) == 0xC0) {
      cp = c & 0x1F;
      extra = 1;
    } else if ((c & 0xF0) == 0xE0) {
      cp = c & 0x0F;
      extra = 2;
    } else if ((c & 0xF8) == 0xF0) {
      cp = c & 0x07;
      extra = 3;
    } else {
      out.push_back(static_cast<wchar_t>(kReplacement));
      valid = false;
      ++p;
      continue;
    }
    if (end - p <= extra) {
      out.push_back(static_cast<wchar_t>(kReplacement));
      return false;
    }
    bool ok = true;
    for (int i = 1; i <= extra; ++i) {
      if ((p[i] & 0xC0) != 0x80) {
        ok = false;
        break;
      }
      cp = (cp << 6) | (p[i] & 0x3F);
    }
    static constexpr char32_t kMin[] = {0, 0x80, 0x800, 0x10000};
    if (!ok || cp < kMin[extra] || !isValidCodePoint(cp)) {
      out.push_back(static_cast<wchar_t>(kReplacement));
      valid = false;
      ++p;
      continue;
    }
    out.push_back(static_cast<wchar_t>(cp));
    p += extra + 1;
  }
  return valid;
}

}  // namespace

OdString OdString::fromUtf8(const char* data, std::size_t size) {
  std::wstring out;
  decodeUtf8(data, size, out);
  return OdString(std::move(out));
}

bool OdString::isValidUtf8(const std::string& text) {
  std::wstring out;
  return decodeUtf8(text.data(), text.size(), out);
}

bool OdString::isBlank() const {
  // Unicode's white space, whatever the locale.
  auto space = [](wchar_t w) {
    const auto c = static_cast<char32_t>(w);
    return c == ' ' || (c >= 0x09 && c <= 0x0D) || c == 0x85 || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F ||
           c == 0x205F || c == 0x3000;
  };
  return !m_data || std::all_of(m_data->begin(), m_data->end(), space);
}

std::string OdString::toUtf8() const {
  std::string out;
  if (!m_data) return out;
  out.reserve(m_data->size());
  for (wchar_t w : *m_data) {
    auto c = static_cast<char32_t>(w);
    if (!isValidCodePoint(c)) c = kReplacement;
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (c >> 12)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (c >> 18)));
      out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return out;
}

const std::wstring& OdString::str() const {
  static const std::wstring empty;
  return m_data ? *m_data : empty;
}

std::wstring& OdString::mutableData() {
  // Detach before writing: other copies keep the old data.
  if (!m_data || m_data.use_count() != 1) {
    m_data = m_data ? std::make_shared<const std::wstring>(*m_data)
                    : std::make_shared<const std::wstring>();
  }
  return const_cast<std::wstring&>(*m_data);
}

void OdString::setAt(int index, wchar_t ch) {
  mutableData()[static_cast<std::size_t>(index)] = ch;
}

OdString OdString::left(int count) const {
  if (count <= 0) return OdString();
  if (count >= getLength()) return *this;
  return OdString(c_str(), count);
}

OdString OdString::right(int count) const {
  int length = getLength();
  if (count <= 0) return OdString();
  if (count >= length) return *this;
  return OdString(c_str() + (length - count), count);
}

OdString OdString::mid(int start) const {
  return mid(start, getLength());
}

OdString OdString::mid(int start, int count) const {
  int length = getLength();
  if (start < 0) start = 0;
  if (start >= length || count <= 0) return OdString();
  if (count > length - start) count = length - start;
  if (start == 0 && count == length) return *this;
  return OdString(c_str() + start, count);
}

int OdString::find(wchar_t ch, int start) const {
  if (start < 0 || start >= getLength()) return -1;
  auto pos = m_data->find(ch, static_cast<std::size_t>(start));
  return pos == std::wstring::npos ? -1 : static_cast<int>(pos);
}

int OdString::find(const wchar_t* text, int start) const {
  if (!text || start < 0 || start > getLength()) return -1;
  auto pos = str().find(text, static_cast<std::size_t>(start));
  return pos == std::wstring::npos ? -1 : static_cast<int>(pos);
}

int OdString::reverseFind(wchar_t ch) const {
  if (isEmpty()) return -1;
  auto pos = m_data->rfind(ch);
  return pos == std::wstring::npos ? -1 : static_cast<int>(pos);
}

OdString& OdString::replace(wchar_t from, wchar_t to) {
  if (find(from) < 0) return *this;
  std::replace(mutableData().begin(), mutableData().end(), from, to);
  return *this;
}

OdString& OdString::replace(const wchar_t* from, const wchar_t* to) {
  if (!from || !*from || isEmpty()) return *this;
  std::wstring f(from), t(to ? to : L"");
  const std::wstring& s = str();
  if (s.find(f) == std::wstring::npos) return *this;
  std::wstring out;
  std::size_t pos = 0;
  for (;;) {
    std::size_t hit = s.find(f, pos);
    if (hit == std::wstring::npos) break;
    out.append(s, pos, hit - pos).append(t);
    pos = hit + f.size();
  }
  out.append(s, pos, std::wstring::npos);
  *this = OdString(out);
  return *this;
}

OdString& OdString::trimLeft() {
  const std::wstring& s = str();
  std::size_t i = 0;
  while (i < s.size() && std::iswspace(static_cast<wint_t>(s[i])))
    ++i;
  if (i > 0) *this = OdString(s.substr(i));
  return *this;
}

OdString& OdString::trimRight() {
  const std::wstring& s = str();
  std::size_t n = s.size();
  while (n > 0 && std::iswspace(static_cast<wint_t>(s[n - 1])))
    --n;
  if (n < s.size()) *this = OdString(s.substr(0, n));
  return *this;
}

OdString& OdString::makeUpper() {
  if (isEmpty()) return *this;
  for (wchar_t& c : mutableData())
    c = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
  return *this;
}

OdString& OdString::makeLower() {
  if (isEmpty()) return *this;
  for (wchar_t& c : mutableData())
    c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
  return *this;
}

OdString& OdString::empty() {
  m_data.reset();
  return *this;
}

OdString& OdString::format(const wchar_t* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  *this = vformat(fmt, args);
  va_end(args);
  return *this;
}

OdString OdString::formatted(const wchar_t* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  OdString result = vformat(fmt, args);
  va_end(args);
  return result;
}

OdString& OdString::operator+=(const OdString& other) {
  if (other.isEmpty()) return *this;
  if (isEmpty()) return *this = other;
  mutableData().append(other.str());
  return *this;
}

OdString& OdString::operator+=(const wchar_t* text) {
  if (!text || !*text) return *this;
  mutableData().append(text);
  return *this;
}

OdString& OdString::operator+=(wchar_t ch) {
  mutableData().push_back(ch);
  return *this;
}

int OdString::compare(const wchar_t* text) const {
  if (!text) text = L"";
  return odCompareUtf16(c_str(), static_cast<std::size_t>(getLength()), text, std::wcslen(text));
}

int OdString::compare(const OdString& other) const {
  return odCompareUtf16(c_str(), static_cast<std::size_t>(getLength()), other.c_str(),
                        static_cast<std::size_t>(other.getLength()));
}

int OdString::iCompare(const wchar_t* text) const {
  OdString a(*this), b(text);
  a.makeLower();
  b.makeLower();
  return a.compare(b);
}

bool OdString::operator==(const OdString& other) const {
  if (m_data == other.m_data) return true;
  return str() == other.str();
}

bool OdString::operator==(const wchar_t* text) const {
  return std::wcscmp(c_str(), text ? text : L"") == 0;
}

std::size_t OdString::hash() const {
  return std::hash<std::wstring>()(str());
}

OdString operator+(const OdString& a, const OdString& b) {
  OdString r(a);
  r += b;
  return r;
}

OdString operator+(const OdString& a, const wchar_t* b) {
  OdString r(a);
  r += b;
  return r;
}

OdString operator+(const wchar_t* a, const OdString& b) {
  OdString r(a);
  r += b;
  return r;
}

OdString operator+(const OdString& a, wchar_t b) {
  OdString r(a);
  r += b;
  return r;
}

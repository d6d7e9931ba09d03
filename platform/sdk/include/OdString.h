// OdString: the SDK's wide string. Copies share their character data until one of them is
// written, so "the same string" can be recognised by identity of its data (sharesDataWith).
#pragma once
/// @file
/// The SDK's wide string.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "OdExport.h"

class ODSDK_API OdString {
 public:
  /// The shared empty string.
  static const OdString kEmpty;

  OdString() = default;
  OdString(const wchar_t* text);
  OdString(const wchar_t* text, int length);
  OdString(wchar_t ch, int count);
  /// Builds from UTF-8 text (ASCII is the common case); invalid sequences become U+FFFD.
  OdString(const char* utf8);
  explicit OdString(const std::wstring& text);
  /// Takes over the characters of `text` without copying them.
  explicit OdString(std::wstring&& text);
  OdString(const OdString&) = default;
  OdString(OdString&&) noexcept = default;
  OdString& operator=(const OdString&) = default;
  OdString& operator=(OdString&&) noexcept = default;
  OdString& operator=(const wchar_t* text);
  ~OdString() = default;

  /// fromUtf8: decodes UTF-8; invalid sequences become U+FFFD.
  static OdString fromUtf8(const char* data, std::size_t size);
  static OdString fromUtf8(const std::string& text) { return fromUtf8(text.data(), text.size()); }
  /// isValidUtf8: true when `text` decodes without a replacement (no invalid sequence).
  static bool isValidUtf8(const std::string& text);
  /// toUtf8: encodes as UTF-8 (characters that are not valid code points become U+FFFD).
  std::string toUtf8() const;

  int getLength() const { return m_data ? static_cast<int>(m_data->size()) : 0; }
  bool isEmpty() const { return !m_data || m_data->empty(); }
  /// isBlank: true when empty or made only of white space.
  bool isBlank() const;
  /// c_str: the characters, zero-terminated; never null.
  const wchar_t* c_str() const { return m_data ? m_data->c_str() : L""; }
  operator const wchar_t*() const { return c_str(); }
  const std::wstring& str() const;

  wchar_t getAt(int index) const { return (*m_data)[static_cast<std::size_t>(index)]; }
  wchar_t operator[](int index) const { return getAt(index); }
  void setAt(int index, wchar_t ch);

  /// sharesDataWith: true when both strings use the very same character data (a copy never
  /// written since), false otherwise; two empty strings share nothing unless both are copies of
  /// one non-empty buffer.
  bool sharesDataWith(const OdString& other) const { return m_data && m_data == other.m_data; }

  OdString left(int count) const;
  OdString right(int count) const;
  OdString mid(int start) const;
  OdString mid(int start, int count) const;
  /// find / reverseFind: index of the character or text, or -1.
  int find(wchar_t ch, int start = 0) const;
  int find(const wchar_t* text, int start = 0) const;
  int reverseFind(wchar_t ch) const;

  OdString& replace(wchar_t from, wchar_t to);
  OdString& replace(const wchar_t* from, const wchar_t* to);
  OdString& trimLeft();
  OdString& trimRight();
  OdString& makeUpper();
  OdString& makeLower();
  OdString& empty();

  /// format: printf-style formatting with wide format (`%ls` for wide text, `%d`, `%g` ...).
  OdString& format(const wchar_t* fmt, ...);
  static OdString formatted(const wchar_t* fmt, ...);

  OdString& operator+=(const OdString& other);
  OdString& operator+=(const wchar_t* text);
  OdString& operator+=(wchar_t ch);

  /// compare: <0, 0, >0 ordering by UTF-16 code units, case-sensitive.
  int compare(const wchar_t* text) const;
  /// compare: the same against the whole of `other`, also past an embedded zero character.
  int compare(const OdString& other) const;
  /// iCompare: as compare, but ignoring case of the characters.
  int iCompare(const wchar_t* text) const;

  bool operator==(const OdString& other) const;
  bool operator!=(const OdString& other) const { return !(*this == other); }
  bool operator==(const wchar_t* text) const;
  bool operator!=(const wchar_t* text) const { return !(*this == text); }
  /// Ordering by UTF-16 code units, so that std::map<OdString, ...> sorts as the files expect.
  bool operator<(const OdString& other) const { return compare(other) < 0; }
  bool operator>(const OdString& other) const { return compare(other) > 0; }

  std::size_t hash() const;

 private:
  std::wstring& mutableData();

  std::shared_ptr<const std::wstring> m_data;
};

ODSDK_API OdString operator+(const OdString& a, const OdString& b);
ODSDK_API OdString operator+(const OdString& a, const wchar_t* b);
ODSDK_API OdString operator+(const wchar_t* a, const OdString& b);
ODSDK_API OdString operator+(const OdString& a, wchar_t b);

inline bool operator==(const wchar_t* a, const OdString& b) {
  return b == a;
}
inline bool operator!=(const wchar_t* a, const OdString& b) {
  return !(b == a);
}

/// odCompareUtf16: <0, 0, >0 comparing two wide texts as sequences of UTF-16 code units taken as
/// unsigned numbers (characters above U+FFFF compare as their surrogate pairs would).
ODSDK_API int odCompareUtf16(const wchar_t* a, const wchar_t* b);
ODSDK_API int odCompareUtf16(const wchar_t* a, std::size_t aLength, const wchar_t* b,
                             std::size_t bLength);

/// Strict weak order by UTF-16 code units, for sorted containers and algorithms.
struct OdStringLessUtf16 {
  bool operator()(const OdString& a, const OdString& b) const { return a < b; }
};

namespace std {
template <>
struct hash<OdString> {
  std::size_t operator()(const OdString& s) const noexcept { return s.hash(); }
};
}  // namespace std

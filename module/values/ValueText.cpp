// Parsing and printing property values as text.
#include "sl_db/ValueText.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <sstream>
#include <type_traits>
#include <vector>

#include "dbprops/DbPropertyContainer.h"

namespace sl_db {

namespace {

struct ParseError {
  std::string message;
};

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
    s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
    s.remove_suffix(1);
  return s;
}

[[noreturn]] void fail(const std::string& what, std::string_view text) {
  throw ParseError{"expected " + what + ", not '" + std::string(text) + "'"};
}

// Splits at `separator` outside quotes and brackets; an empty text gives no parts.
std::vector<std::string_view> splitTopLevel(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  if (trim(text).empty()) return parts;
  int depth = 0;
  bool quoted = false;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (quoted) {
      if (c == '\\' && i + 1 < text.size())
        ++i;
      else if (c == '"')
        quoted = false;
    } else if (c == '"') {
      quoted = true;
    } else if (c == '(' || c == '[' || c == '{') {
      ++depth;
    } else if (c == ')' || c == ']' || c == '}') {
      if (--depth < 0) fail("balanced brackets", text);
    } else if (c == separator && depth == 0) {
      parts.push_back(text.substr(start, i - start));
      start = i + 1;
    }
  }
  if (quoted) fail("a closing quote", text);
  if (depth != 0) fail("balanced brackets", text);
  parts.push_back(text.substr(start));
  return parts;
}

// The text inside `open` ... `close` when `text` is so enclosed; `required` makes it an error.
bool unwrap(std::string_view& text, char open, char close, bool required, const char* what) {
  text = trim(text);
  if (text.size() >= 2 && text.front() == open && text.back() == close) {
    text = text.substr(1, text.size() - 2);
    return true;
  }
  if (required) fail(std::string(what) + " in " + open + " " + close, text);
  return false;
}

double parseReal(std::string_view text) {
  std::string s(trim(text));
  if (s.empty()) fail("a number", text);
  char* end = nullptr;
  errno = 0;
  double value = std::strtod(s.c_str(), &end);
  // Subnormals are finite numbers, as the palette takes them; a text that only rounds to 0 is not.
  if (*end != '\0' || !std::isfinite(value) || (errno == ERANGE && value == 0))
    fail("a finite number", text);
  return value;
}

template <class T>
T parseInteger(std::string_view text) {
  std::string s(trim(text));
  if (s.empty() || s[0] == '+' || (std::is_unsigned_v<T> && s[0] == '-'))
    fail("a whole number", text);
  char* end = nullptr;
  errno = 0;
  if constexpr (std::is_signed_v<T>) {
    long long v = std::strtoll(s.c_str(), &end, 10);
    if (*end != '\0' || errno == ERANGE || v < std::numeric_limits<T>::min() ||
        v > std::numeric_limits<T>::max())
      fail("a whole number that fits", text);
    return static_cast<T>(v);
  } else {
    unsigned long long v = std::strtoull(s.c_str(), &end, 10);
    if (*end != '\0' || errno == ERANGE || v > std::numeric_limits<T>::max())
      fail("a whole number that fits", text);
    return static_cast<T>(v);
  }
}

std::uint64_t parseHex(std::string_view text) {
  std::string_view s = trim(text);
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) s.remove_prefix(2);
  if (s.empty() || s.size() > 16) fail("a hexadecimal handle", text);
  std::uint64_t value = 0;
  for (char c : s) {
    int digit = c >= '0' && c <= '9'   ? c - '0'
                : c >= 'a' && c <= 'f' ? c - 'a' + 10
                : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                       : -1;
    if (digit < 0) fail("a hexadecimal handle", text);
    value = value * 16 + static_cast<std::uint64_t>(digit);
  }
  return value;
}

OdString parseText(std::string_view text) {
  std::string_view s = trim(text);
  if (s.empty() || s.front() != '"') return OdString::fromUtf8(std::string(s));
  if (s.size() < 2 || s.back() != '"') fail("text closed by a quote", text);
  std::string out;
  for (std::size_t i = 1; i + 1 < s.size(); ++i) {
    if (s[i] == '\\') {
      if (i + 2 >= s.size()) fail("an escape before the closing quote", text);
      out += s[++i];
    } else if (s[i] == '"') {
      fail("text with inner quotes escaped", text);
    } else {
      out += s[i];
    }
  }
  return OdString::fromUtf8(out);
}

std::vector<double> parseCoordinates(std::string_view text, std::size_t count) {
  unwrap(text, '(', ')', false, "");
  std::vector<std::string_view> parts = splitTopLevel(text, ',');
  if (parts.size() != count) fail(std::to_string(count) + " coordinates separated by commas", text);
  std::vector<double> values;
  for (std::string_view part : parts)
    values.push_back(parseReal(part));
  return values;
}

template <class T>
T parseElement(std::string_view text);

template <class T>
struct ElementParser {
  static T parse(std::string_view text) {
    if constexpr (std::is_same_v<T, bool>) {
      std::string_view s = trim(text);
      if (s == "true") return true;
      if (s == "false") return false;
      fail("true or false", text);
    } else if constexpr (std::is_integral_v<T>) {
      return parseInteger<T>(text);
    } else if constexpr (std::is_same_v<T, double>) {
      return parseReal(text);
    } else if constexpr (std::is_same_v<T, OdString>) {
      return parseText(text);
    } else if constexpr (std::is_same_v<T, OdDbHandle>) {
      return OdDbHandle(parseHex(text));
    } else if constexpr (std::is_same_v<T, OdGePoint2d> || std::is_same_v<T, OdGeVector2d>) {
      std::vector<double> c = parseCoordinates(text, 2);
      return T(c[0], c[1]);
    } else if constexpr (std::is_same_v<T, OdGePoint3d> || std::is_same_v<T, OdGeVector3d>) {
      std::vector<double> c = parseCoordinates(text, 3);
      return T(c[0], c[1], c[2]);
    } else if constexpr (std::is_same_v<T, DbBytes>) {
      std::string_view s = trim(text);
      if (s.size() % 2 != 0) fail("hexadecimal pairs", text);
      DbBytes bytes;
      for (std::size_t i = 0; i < s.size(); i += 2) {
        // Two digits at most: parseHex of a pair cannot exceed a byte.
        if (s[i] == 'x' || s[i] == 'X' || s[i + 1] == 'x' || s[i + 1] == 'X')
          fail("hexadecimal pairs", text);
        bytes.push_back(static_cast<unsigned char>(parseHex(s.substr(i, 2))));
      }
      return bytes;
    } else {
      // Typed ids name objects of an open drawing; nested values have no text form.
      (void)text;
      throw ParseError{"typed ids and nested values cannot be given as text"};
    }
  }
};

template <class T, class A>
struct ElementParser<OdArray<T, A>> {
  static OdArray<T, A> parse(std::string_view text) {
    unwrap(text, '[', ']', true, "an array");
    OdArray<T, A> out;
    for (std::string_view part : splitTopLevel(text, ','))
      out.append(parseElement<T>(part));
    return out;
  }
};

template <class K, class V>
struct ElementParser<std::map<K, V>> {
  static std::map<K, V> parse(std::string_view text) {
    unwrap(text, '{', '}', true, "a map");
    std::map<K, V> out;
    for (std::string_view item : splitTopLevel(text, ',')) {
      std::vector<std::string_view> kv = splitTopLevel(item, ':');
      if (kv.size() != 2) fail("a key and a value separated by a colon", item);
      if (!out.emplace(parseElement<K>(kv[0]), parseElement<V>(kv[1])).second)
        fail("keys that differ", item);
    }
    return out;
  }
};

template <class T>
T parseElement(std::string_view text) {
  return ElementParser<T>::parse(text);
}

// ---- Printing ----

std::string quoted(const OdString& text) {
  std::string out = "\"";
  for (char c : text.toUtf8()) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

// The shortest form that reads back as the same number, without an exponent where the
// number's digits allow one of 17 places.
std::string real(double value) {
  std::string text;
  for (int precision = 1; precision <= 17; ++precision) {
    std::ostringstream out;
    out.precision(precision);
    out << value;
    text = out.str();
    if (std::strtod(text.c_str(), nullptr) == value && text.find('e') == std::string::npos) break;
  }
  return text;
}

template <class T>
std::string formatElement(const T& value, bool inner);

template <class T>
struct ElementPrinter {
  static std::string print(const T& value, bool inner) {
    if constexpr (std::is_same_v<T, bool>) {
      return value ? "true" : "false";
    } else if constexpr (std::is_integral_v<T>) {
      return std::to_string(value);
    } else if constexpr (std::is_same_v<T, double>) {
      return real(value);
    } else if constexpr (std::is_same_v<T, OdString>) {
      return inner ? quoted(value) : value.toUtf8();
    } else if constexpr (std::is_same_v<T, OdDbHandle>) {
      return value.ascii().toUtf8();
    } else if constexpr (std::is_same_v<T, OdDbTypedId>) {
      return value.handle().ascii().toUtf8();
    } else if constexpr (std::is_same_v<T, OdGePoint2d> || std::is_same_v<T, OdGeVector2d>) {
      std::string s = real(value.x) + "," + real(value.y);
      return inner ? "(" + s + ")" : s;
    } else if constexpr (std::is_same_v<T, OdGePoint3d> || std::is_same_v<T, OdGeVector3d>) {
      std::string s = real(value.x) + "," + real(value.y) + "," + real(value.z);
      return inner ? "(" + s + ")" : s;
    } else if constexpr (std::is_same_v<T, DbBytes>) {
      static const char digits[] = "0123456789abcdef";
      std::string s;
      for (unsigned char b : value) {
        s += digits[b >> 4];
        s += digits[b & 15];
      }
      return s;
    } else {
      return value ? "<nested " + typeName(value->type()) + ">" : "<nested none>";
    }
  }
};

template <class T, class A>
struct ElementPrinter<OdArray<T, A>> {
  static std::string print(const OdArray<T, A>& value, bool) {
    // Walked by iterator: indexing an array of bool answers a reference to a temporary.
    std::string s = "[";
    for (auto it = value.begin(); it != value.end(); ++it)
      s += (it == value.begin() ? "" : ", ") + formatElement(static_cast<T>(*it), true);
    return s + "]";
  }
};

template <class K, class V>
struct ElementPrinter<std::map<K, V>> {
  static std::string print(const std::map<K, V>& value, bool) {
    std::string s = "{";
    for (const auto& [k, v] : value)
      s += (s.size() > 1 ? ", " : "") + formatElement(k, true) + ": " + formatElement(v, true);
    return s + "}";
  }
};

template <class T>
std::string formatElement(const T& value, bool inner) {
  return ElementPrinter<T>::print(value, inner);
}

const char* elementName(std::int32_t code) {
  static const char* const names[] = {"bool",     "int8",    "uint8",    "int16",    "uint16",
                                      "int32",    "uint32",  "int64",    "uint64",   "double",
                                      "string",   "handle",  "typed-id", "vector2d", "point2d",
                                      "vector3d", "point3d", "bytes",    "nested"};
  return code >= 0 && code < DbPropertyType::kTypeCount ? names[code] : "?";
}

}  // namespace

std::shared_ptr<DbProperty> parseValue(std::string_view text, const DbPropertyType& type,
                                       std::string& error) {
  std::shared_ptr<DbProperty> made;
  try {
    bool known = visitValueType(type, [&](auto tag) {
      using T = typename decltype(tag)::type;
      made = std::make_shared<DbPropertyContainer<T>>(parseElement<T>(text));
    });
    if (!known) error = "the type " + typeName(type) + " holds no values";
  } catch (const ParseError& e) {
    error = e.message;
    made.reset();
  }
  return made;
}

std::string formatValue(const DbProperty& value) {
  std::string text;
  visitValueType(value.type(), [&](auto tag) {
    using T = typename decltype(tag)::type;
    T held{};
    if (value.get<T>(held)) text = formatElement(held, false);
  });
  return text;
}

std::string typeName(const DbPropertyType& type) {
  if (!type.isValid()) return "none";
  switch (type.structure()) {
    case DbPropertyType::kArray:
      return std::string("array of ") + elementName(type.type());
    case DbPropertyType::kMap:
      return std::string("map of ") + elementName(type.keyType()) + " to " +
             elementName(type.type());
    default:
      return elementName(type.type());
  }
}

}  // namespace sl_db

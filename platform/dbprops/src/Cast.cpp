// Conversion of stored values between value types: numbers, text, and arrays and maps of them
// element by element. Values are taken apart into cells (one variant alternative per element
// code) and built again as the target type.
#include "Cast.h"

#include "ut/NumberText.h"

#include <cerrno>
#include <cmath>
#include <cwchar>
#include <limits>
#include <type_traits>
#include <variant>
#include <vector>

#include "ValueIo.h"

namespace dbprops_detail {

namespace {

// The alternative index of a cell is its element code.
using Cell = std::variant<bool, std::int8_t, std::uint8_t, std::int16_t, std::uint16_t,
                          std::int32_t, std::uint32_t, std::int64_t, std::uint64_t, double,
                          OdString, OdDbHandle, OdDbTypedId, OdGeVector2d, OdGePoint2d,
                          OdGeVector3d, OdGePoint3d, DbBytes, DbPropertyPtr>;

struct Cells {
  std::int32_t structure = 0;
  std::vector<Cell> keys;
  std::vector<Cell> values;
};

template <class T>
void collect(const T& value, Cells& cells) {
  cells.values.emplace_back(std::in_place_type<T>, value);
}
template <class E, class A>
void collect(const OdArray<E, A>& value, Cells& cells) {
  for (const E& item : value)
    cells.values.emplace_back(std::in_place_type<E>, item);
}
template <class K, class V>
void collect(const std::map<K, V>& value, Cells& cells) {
  for (const auto& item : value) {
    cells.keys.emplace_back(std::in_place_type<K>, item.first);
    cells.values.emplace_back(std::in_place_type<V>, item.second);
  }
}

// Numbers ---------------------------------------------------------------------------------

// fitsInteger: whether the whole number `v` has a value of type E.
template <class E, class S>
bool fitsInteger(S v) {
  if constexpr (std::is_signed_v<S>) {
    if (v < 0) {
      return std::is_signed_v<E> && static_cast<std::int64_t>(v) >=
                                        static_cast<std::int64_t>(std::numeric_limits<E>::min());
    }
  }
  return static_cast<std::uint64_t>(v) <= static_cast<std::uint64_t>(std::numeric_limits<E>::max());
}

// numberTo: the number `v` as an E when it has an exact value of that type.
template <class E, class S>
bool numberTo(S v, E& out) {
  if constexpr (std::is_same_v<S, bool>) {
    return numberTo<E>(static_cast<std::int32_t>(v ? 1 : 0), out);
  } else if constexpr (std::is_same_v<E, bool>) {
    if (v != 0 && v != 1) return false;
    out = v == 1;
    return true;
  } else if constexpr (std::is_same_v<E, double>) {
    if constexpr (std::is_same_v<S, double>) {
      out = v;
      return true;
    } else {
      double d = static_cast<double>(v);
      // 2^63 and 2^64 are the first doubles out of the 64-bit ranges.
      constexpr double kLimit =
          std::is_signed_v<S> ? 9223372036854775808.0 : 18446744073709551616.0;
      if (!(d < kLimit) || static_cast<S>(d) != v) return false;
      out = d;
      return true;
    }
  } else if constexpr (std::is_same_v<S, double>) {
    if (!std::isfinite(v) || std::trunc(v) != v) return false;
    constexpr int bits = std::numeric_limits<E>::digits;  // value bits, sign excluded
    const double upper = std::ldexp(1.0, bits);
    const double lower = std::is_signed_v<E> ? -upper : 0.0;
    if (v < lower || v >= upper) return false;
    out = static_cast<E>(v);
    return true;
  } else {
    if (!fitsInteger<E>(v)) return false;
    out = static_cast<E>(v);
    return true;
  }
}

template <class S>
OdString numberText(S v) {
  if constexpr (std::is_same_v<S, bool>) {
    return OdString(v ? L"true" : L"false");
  } else if constexpr (std::is_same_v<S, double>) {
    return ut::realText(v);
  } else if constexpr (std::is_signed_v<S>) {
    return OdString::formatted(L"%lld", static_cast<long long>(v));
  } else {
    return OdString::formatted(L"%llu", static_cast<unsigned long long>(v));
  }
}

// textTo: the number written in `text` (surrounding spaces aside) as an E when it fits.
template <class E>
bool textTo(const OdString& source, E& out) {
  OdString text = source;
  text.trimLeft();
  text.trimRight();
  if (text.isEmpty()) return false;
  const wchar_t* begin = text.c_str();
  wchar_t* end = nullptr;
  errno = 0;
  if constexpr (std::is_same_v<E, bool>) {
    if (text == L"true" || text == L"1") {
      out = true;
      return true;
    }
    if (text == L"false" || text == L"0") {
      out = false;
      return true;
    }
    return false;
  } else if constexpr (std::is_same_v<E, double>) {
    return ut::realFromText(text, out);
  } else if constexpr (std::is_signed_v<E>) {
    long long v = std::wcstoll(begin, &end, 10);
    if (*end != 0 || errno == ERANGE) return false;
    return numberTo<E>(static_cast<std::int64_t>(v), out);
  } else {
    if (begin[0] == L'-') return false;  // the unsigned parser would wrap it around
    unsigned long long v = std::wcstoull(begin, &end, 10);
    if (*end != 0 || errno == ERANGE) return false;
    return numberTo<E>(static_cast<std::uint64_t>(v), out);
  }
}

// toElement: the cell as an element of type E, by the conversion rules.
template <class E>
bool toElement(const Cell& cell, E& out) {
  if (const E* same = std::get_if<E>(&cell)) {
    out = *same;
    return true;
  }
  return std::visit(
      [&](const auto& v) -> bool {
        using S = std::decay_t<decltype(v)>;
        if constexpr (std::is_arithmetic_v<S> && std::is_arithmetic_v<E>) {
          return numberTo<E>(v, out);
        } else if constexpr (std::is_arithmetic_v<S> && std::is_same_v<E, OdString>) {
          out = numberText(v);
          return true;
        } else if constexpr (std::is_same_v<S, OdString> && std::is_arithmetic_v<E>) {
          return textTo<E>(v, out);
        } else {
          return false;
        }
      },
      cell);
}

template <class T>
bool build(const Cells& cells, T& out) {
  if (cells.structure != DbPropertyType::kSingle || cells.values.size() != 1) return false;
  return toElement(cells.values.front(), out);
}
template <class E, class A>
bool build(const Cells& cells, OdArray<E, A>& out) {
  if (cells.structure != DbPropertyType::kArray) return false;
  out.reserve(static_cast<unsigned int>(cells.values.size()));
  for (const Cell& cell : cells.values) {
    E item{};
    if (!toElement(cell, item)) return false;
    out.push_back(std::move(item));
  }
  return true;
}
template <class K, class V>
bool build(const Cells& cells, std::map<K, V>& out) {
  if (cells.structure != DbPropertyType::kMap) return false;
  for (std::size_t i = 0; i < cells.values.size(); ++i) {
    K key{};
    V value{};
    if (!toElement(cells.keys[i], key) || !toElement(cells.values[i], value)) return false;
    if (!out.emplace(std::move(key), std::move(value)).second) return false;  // keys collided
  }
  return true;
}

}  // namespace

std::shared_ptr<DbProperty> convert(const DbProperty& value, const DbPropertyType& type) {
  std::shared_ptr<DbProperty> result = type.createProperty();
  if (!result) return result;
  result->setMapped(value.isMapped());
  if (!value.isSet()) return result;

  Cells cells;
  cells.structure = value.type().structure();
  visitType(value.type(), [&](auto* tag) {
    using S = std::remove_pointer_t<decltype(tag)>;
    collect(static_cast<const DbPropertyContainer<S>&>(value).value(), cells);
  });
  bool built = false;
  visitType(type, [&](auto* tag) {
    using T = std::remove_pointer_t<decltype(tag)>;
    T converted{};
    built = build(cells, converted) && result->set(converted);
  });
  return built ? result : nullptr;
}

}  // namespace dbprops_detail

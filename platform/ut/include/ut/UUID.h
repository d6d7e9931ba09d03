// ut::UUID: 128-bit identifiers; name-based ones (version 5, SHA-1) are made from a namespace
// identifier and a text, so the same text always gives the same identifier.
#pragma once
/// @file
/// 128-bit identifiers, name-based ones included.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "OdString.h"
#include "ut/UtExport.h"

namespace ut {

class UT_API UUID {
 public:
  using Bytes = std::array<std::uint8_t, 16>;

  /// The namespace of URL names (6ba7b811-9dad-11d1-80b4-00c04fd430c8).
  static const UUID s_cURLNameSpace;
  /// The namespace of DNS names (6ba7b810-9dad-11d1-80b4-00c04fd430c8).
  static const UUID s_cDNSNameSpace;

  /// The nil identifier (all zero).
  constexpr UUID() : m_bytes{} {}
  constexpr explicit UUID(const Bytes& bytes) : m_bytes(bytes) {}

  /// generate: the version-5 identifier of `text` (its UTF-8 bytes) in this namespace.
  UUID generate(const OdString& text) const;
  /// generate: the same for 8-bit text, taken byte for byte.
  UUID generate(const std::string& text) const;
  UUID generate(const char* text) const { return generate(std::string(text ? text : "")); }

  /// fromString: parses the 36-character text form (either case, no braces); false and `out`
  /// unchanged for anything else.
  static bool fromString(const OdString& text, UUID& out);
  /// toString: lower-case text form, 8-4-4-4-12 hexadecimal digits.
  OdString toString() const;

  bool isNull() const;
  /// version: the version number held in the identifier (5 for name-based SHA-1 ones).
  int version() const { return m_bytes[6] >> 4; }
  const Bytes& bytes() const { return m_bytes; }
  std::size_t hash() const;

  bool operator==(const UUID& o) const { return m_bytes == o.m_bytes; }
  bool operator!=(const UUID& o) const { return m_bytes != o.m_bytes; }
  bool operator<(const UUID& o) const { return m_bytes < o.m_bytes; }

 private:
  Bytes m_bytes;
};

}  // namespace ut

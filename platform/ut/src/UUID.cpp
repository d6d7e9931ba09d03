// ut::UUID: text form and version-5 name-based identifiers.
#include "ut/UUID.h"

#include <boost/uuid/name_generator_sha1.hpp>
#include <boost/uuid/uuid.hpp>

#include <algorithm>
#include <functional>

namespace ut {

const UUID UUID::s_cURLNameSpace(UUID::Bytes{0x6b, 0xa7, 0xb8, 0x11, 0x9d, 0xad, 0x11, 0xd1, 0x80,
                                             0xb4, 0x00, 0xc0, 0x4f, 0xd4, 0x30, 0xc8});
const UUID UUID::s_cDNSNameSpace(UUID::Bytes{0x6b, 0xa7, 0xb8, 0x10, 0x9d, 0xad, 0x11, 0xd1, 0x80,
                                             0xb4, 0x00, 0xc0, 0x4f, 0xd4, 0x30, 0xc8});

UUID UUID::generate(const OdString& text) const {
  return generate(text.toUtf8());
}

UUID UUID::generate(const std::string& text) const {
  boost::uuids::uuid ns;
  std::copy(m_bytes.begin(), m_bytes.end(), ns.begin());
  boost::uuids::name_generator_sha1 generator(ns);
  boost::uuids::uuid id = generator(text.data(), text.size());
  Bytes out;
  std::copy(id.begin(), id.end(), out.begin());
  return UUID(out);
}

bool UUID::fromString(const OdString& text, UUID& out) {
  if (text.getLength() != 36) return false;
  Bytes bytes{};
  int nibble = 0;
  for (int i = 0; i < 36; ++i) {
    wchar_t c = text.getAt(i);
    if (i == 8 || i == 13 || i == 18 || i == 23) {
      if (c != L'-') return false;
      continue;
    }
    int v;
    if (c >= L'0' && c <= L'9') {
      v = c - L'0';
    } else if (c >= L'a' && c <= L'f') {
      v = c - L'a' + 10;
    } else if (c >= L'A' && c <= L'F') {
      v = c - L'A' + 10;
    } else {
      return false;
    }
    bytes[static_cast<std::size_t>(nibble / 2)] |=
        static_cast<std::uint8_t>(nibble % 2 ? v : v << 4);
    ++nibble;
  }
  out = UUID(bytes);
  return true;
}

OdString UUID::toString() const {
  static const wchar_t kHex[] = L"0123456789abcdef";
  std::wstring s;
  s.reserve(36);
  for (std::size_t i = 0; i < m_bytes.size(); ++i) {
    if (i == 4 || i == 6 || i == 8 || i == 10) s.push_back(L'-');
    s.push_back(kHex[m_bytes[i] >> 4]);
    s.push_back(kHex[m_bytes[i] & 0xF]);
  }
  return OdString(s);
}

bool UUID::isNull() const {
  return std::all_of(m_bytes.begin(), m_bytes.end(), [](std::uint8_t b) { return b == 0; });
}

std::size_t UUID::hash() const {
  std::size_t h = 0;
  for (std::uint8_t b : m_bytes)
    h = h * 131 + b;
  return h;
}

}  // namespace ut

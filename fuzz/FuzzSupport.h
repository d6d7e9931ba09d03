// Helpers shared by the fuzz targets: splitting an input into parts, text conversion, a scratch
// file per process, and the drawing checksum that mutated inputs are fixed up with.
#pragma once

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "OdString.h"

namespace fuzz {

/// Parts: reads an input as pieces separated by a zero byte; missing pieces are empty.
class Parts {
 public:
  Parts(const uint8_t* data, std::size_t size)
      : m_text(reinterpret_cast<const char*>(data), size) {}
  std::string next() {
    if (m_at > m_text.size()) return std::string();
    std::size_t end = m_text.find('\0', m_at);
    if (end == std::string::npos) end = m_text.size();
    std::string piece = m_text.substr(m_at, end - m_at);
    m_at = end + 1;
    return piece;
  }

 private:
  std::string m_text;
  std::size_t m_at = 0;
};

/// wide: bytes taken as UTF-8 (invalid sequences as the converter treats them).
inline OdString wide(const std::string& bytes) {
  return OdString::fromUtf8(bytes.data(), bytes.size());
}

/// scratchPath: a file name of this process for inputs that readers take from files.
inline std::string scratchPath(const char* suffix) {
  return "/tmp/sl-fuzz-" + std::to_string(::getpid()) + suffix;
}

/// writeFile: `size` bytes to `path`; false when that fails.
inline bool writeFile(const std::string& path, const void* data, std::size_t size) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(data, 1, size, f) == size;
  return std::fclose(f) == 0 && ok;
}

/// crc32c: CRC-32C (Castagnoli), as drawings end with; bitwise, inputs are small.
inline uint32_t crc32c(const uint8_t* p, std::size_t n) {
  uint32_t crc = 0xFFFFFFFFu;
  for (std::size_t i = 0; i < n; ++i) {
    crc ^= p[i];
    for (int k = 0; k < 8; ++k)
      crc = (crc >> 1) ^ (0x82F63B78u & (0u - (crc & 1u)));
  }
  return ~crc;
}

/// withChecksum: `data` with its last four bytes replaced by the checksum of the rest, so that
/// mutations reach the parser instead of stopping at the checksum.
inline std::string withChecksum(const uint8_t* data, std::size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  if (bytes.size() < 20) return bytes;
  uint32_t crc = crc32c(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size() - 4);
  for (int i = 0; i < 4; ++i)
    bytes[bytes.size() - 4 + i] = static_cast<char>((crc >> (8 * i)) & 0xFF);
  return bytes;
}

}  // namespace fuzz

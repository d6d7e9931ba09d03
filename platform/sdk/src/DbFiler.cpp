// The filer interfaces' out-of-line parts and the private buffer filers.
#include "DbFiler.h"

#include "DbFilerImpl.h"

#include <algorithm>

OdDbFiler::~OdDbFiler() = default;
OdDbDwgFiler::~OdDbDwgFiler() = default;

namespace OdDbDetail {

void wrongDirection(const char* what) {
  throw OdError(eNotApplicable, OdString(what));
}

// A reader cannot write.
void BufferReader::wrBool(bool) {
  wrongDirection("a reading filer cannot write");
}
void BufferReader::wrInt8(std::int8_t) {
  wrongDirection("a reading filer cannot write");
}
void BufferReader::wrUInt8(std::uint8_t) {
  wrongDirection("a reading filer cannot write");
}
void BufferReader::wrInt16(std::int16_t) {
  wrongDirection("a reading filer cannot write");
}
void BufferReader::wrInt32(std::int32_t) {
  wrongDirection("a reading filer cannot write");
}
void BufferReader::wrInt64(std::int64_t) {
  wrongDirection("a reading filer cannot write");
}
void BufferReader::wrDouble(double) {
  wrongDirection("a reading filer cannot write");
}
void BufferReader::wrBytes(const void*, std::size_t) {
  wrongDirection("a reading filer cannot write");
}
void BufferReader::wrString(const OdString&) {
  wrongDirection("a reading filer cannot write");
}
void BufferReader::wrDbHandle(const OdDbHandle&) {
  wrongDirection("a reading filer cannot write");
}
void BufferReader::wrPoint2d(const OdGePoint2d&) {
  wrongDirection("a reading filer cannot write");
}
void BufferReader::wrPoint3d(const OdGePoint3d&) {
  wrongDirection("a reading filer cannot write");
}
void BufferReader::wrVector2d(const OdGeVector2d&) {
  wrongDirection("a reading filer cannot write");
}
void BufferReader::wrVector3d(const OdGeVector3d&) {
  wrongDirection("a reading filer cannot write");
}

void BufferReader::need(std::size_t size) const {
  if (size > static_cast<std::size_t>(m_end - m_p)) {
    throw OdError(eEndOfFile,
                  OdString::formatted(L"%d bytes wanted, %d left",
                                      static_cast<int>(std::min<std::size_t>(size, 1u << 30)),
                                      static_cast<int>(m_end - m_p)));
  }
}

bool BufferReader::rdBool() {
  std::uint8_t b = get<std::uint8_t>();
  if (b > 1) throw OdError(eBadDrawingFile, OdString::formatted(L"boolean byte %d", int(b)));
  return b == 1;
}

OdString BufferReader::rdString() {
  std::uint32_t size = get<std::uint32_t>();
  const std::uint8_t* at = take(size);  // checked against what is left before anything is made
  return OdString::fromUtf8(reinterpret_cast<const char*>(at), size);
}

OdGePoint2d BufferReader::rdPoint2d() {
  double x = rdDouble();
  return OdGePoint2d(x, rdDouble());
}
OdGePoint3d BufferReader::rdPoint3d() {
  double x = rdDouble();
  double y = rdDouble();
  return OdGePoint3d(x, y, rdDouble());
}
OdGeVector2d BufferReader::rdVector2d() {
  double x = rdDouble();
  return OdGeVector2d(x, rdDouble());
}
OdGeVector3d BufferReader::rdVector3d() {
  double x = rdDouble();
  double y = rdDouble();
  return OdGeVector3d(x, y, rdDouble());
}

namespace {

std::uint32_t crc32cTable(std::uint32_t crc, const std::uint8_t* p, std::size_t size) {
  static const auto table = [] {
    struct T {
      std::uint32_t v[256];
    } t{};
    for (std::uint32_t i = 0; i < 256; ++i) {
      std::uint32_t c = i;
      for (int k = 0; k < 8; ++k)
        c = (c >> 1) ^ (0x82F63B78u & (0u - (c & 1u)));
      t.v[i] = c;
    }
    return t;
  }();
  for (std::size_t i = 0; i < size; ++i)
    crc = table.v[(crc ^ p[i]) & 0xFF] ^ (crc >> 8);
  return crc;
}

#if defined(__x86_64__)
// The processor's CRC-32C instruction, 8 bytes at a time.
__attribute__((target("sse4.2"))) std::uint32_t crc32cHw(std::uint32_t crc, const std::uint8_t* p,
                                                         std::size_t size) {
  std::uint64_t c = crc;
  while (size >= 8) {
    std::uint64_t word;
    std::memcpy(&word, p, 8);
    c = __builtin_ia32_crc32di(c, word);
    p += 8;
    size -= 8;
  }
  std::uint32_t c32 = static_cast<std::uint32_t>(c);
  while (size--)
    c32 = __builtin_ia32_crc32qi(c32, *p++);
  return c32;
}
#endif

}  // namespace

std::uint32_t crc32c(std::uint32_t crc, const void* data, std::size_t size) {
  const auto* p = static_cast<const std::uint8_t*>(data);
  crc = ~crc;
#if defined(__x86_64__)
  static const bool hw = __builtin_cpu_supports("sse4.2");
  crc = hw ? crc32cHw(crc, p, size) : crc32cTable(crc, p, size);
#else
  crc = crc32cTable(crc, p, size);
#endif
  return ~crc;
}

}  // namespace OdDbDetail

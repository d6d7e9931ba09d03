// Private filers: a writer that appends to a byte buffer and a reader over a byte range, both
// in the drawing file's little-endian encoding (see docs/FORMATS.md).
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "DbFiler.h"

namespace OdDbDetail {

/// Appends every value to `out`.
class BufferWriter : public OdStaticRxObject<OdDbDwgFiler> {
 public:
  BufferWriter(std::vector<std::uint8_t>& out, FilerType type, OdDbDatabase* db = nullptr)
      : m_out(out), m_type(type), m_db(db) {}
  FilerType filerType() const override { return m_type; }
  OdDbDatabase* database() const override { return m_db; }
  std::uint64_t bytesLeft() const override { return 0; }

  bool rdBool() override;
  std::int8_t rdInt8() override;
  std::uint8_t rdUInt8() override;
  std::int16_t rdInt16() override;
  std::int32_t rdInt32() override;
  std::int64_t rdInt64() override;
  double rdDouble() override;
  void rdBytes(void* buffer, std::size_t size) override;
  OdString rdString() override;
  OdDbHandle rdDbHandle() override;
  OdGePoint2d rdPoint2d() override;
  OdGePoint3d rdPoint3d() override;
  OdGeVector2d rdVector2d() override;
  OdGeVector3d rdVector3d() override;

  void wrBool(bool value) override { put<std::uint8_t>(value ? 1 : 0); }
  void wrInt8(std::int8_t value) override { put(value); }
  void wrUInt8(std::uint8_t value) override { put(value); }
  void wrInt16(std::int16_t value) override { put(value); }
  void wrInt32(std::int32_t value) override { put(value); }
  void wrInt64(std::int64_t value) override { put(value); }
  void wrDouble(double value) override { put(value); }
  void wrBytes(const void* buffer, std::size_t size) override {
    if (size)
      m_out.insert(m_out.end(), static_cast<const std::uint8_t*>(buffer),
                   static_cast<const std::uint8_t*>(buffer) + size);
  }
  void wrString(const OdString& value) override;
  void wrDbHandle(const OdDbHandle& value) override { put<std::uint64_t>(value.value()); }
  void wrPoint2d(const OdGePoint2d& v) override { wrDouble(v.x), wrDouble(v.y); }
  void wrPoint3d(const OdGePoint3d& v) override { wrDouble(v.x), wrDouble(v.y), wrDouble(v.z); }
  void wrVector2d(const OdGeVector2d& v) override { wrDouble(v.x), wrDouble(v.y); }
  void wrVector3d(const OdGeVector3d& v) override { wrDouble(v.x), wrDouble(v.y), wrDouble(v.z); }

 private:
  // The machines we build for are little-endian; the format is too.
  template <class T>
  void put(T value) {
    std::size_t at = m_out.size();
    m_out.resize(at + sizeof(T));
    std::memcpy(m_out.data() + at, &value, sizeof(T));
  }
  std::vector<std::uint8_t>& m_out;
  FilerType m_type;
  OdDbDatabase* m_db;
};

/// Reads from [data, data + size); asking for more than is left throws OdError(eEndOfFile),
/// a malformed value OdError(eBadDrawingFile).
class BufferReader : public OdStaticRxObject<OdDbDwgFiler> {
 public:
  BufferReader(const std::uint8_t* data, std::size_t size, FilerType type,
               OdDbDatabase* db = nullptr)
      : m_p(data), m_end(data + size), m_type(type), m_db(db) {}
  FilerType filerType() const override { return m_type; }
  OdDbDatabase* database() const override { return m_db; }
  std::uint64_t bytesLeft() const override { return static_cast<std::uint64_t>(m_end - m_p); }
  const std::uint8_t* position() const { return m_p; }
  /// take: the next `size` bytes, skipped; throws like every read when fewer are left.
  const std::uint8_t* take(std::size_t size) {
    need(size);
    const std::uint8_t* at = m_p;
    m_p += size;
    return at;
  }

  bool rdBool() override;
  std::int8_t rdInt8() override { return get<std::int8_t>(); }
  std::uint8_t rdUInt8() override { return get<std::uint8_t>(); }
  std::int16_t rdInt16() override { return get<std::int16_t>(); }
  std::int32_t rdInt32() override { return get<std::int32_t>(); }
  std::int64_t rdInt64() override { return get<std::int64_t>(); }
  double rdDouble() override { return get<double>(); }
  void rdBytes(void* buffer, std::size_t size) override {
    if (size) std::memcpy(buffer, take(size), size);
  }
  OdString rdString() override;
  OdDbHandle rdDbHandle() override { return OdDbHandle(get<std::uint64_t>()); }
  OdGePoint2d rdPoint2d() override;
  OdGePoint3d rdPoint3d() override;
  OdGeVector2d rdVector2d() override;
  OdGeVector3d rdVector3d() override;

  void wrBool(bool) override;
  void wrInt8(std::int8_t) override;
  void wrUInt8(std::uint8_t) override;
  void wrInt16(std::int16_t) override;
  void wrInt32(std::int32_t) override;
  void wrInt64(std::int64_t) override;
  void wrDouble(double) override;
  void wrBytes(const void*, std::size_t) override;
  void wrString(const OdString&) override;
  void wrDbHandle(const OdDbHandle&) override;
  void wrPoint2d(const OdGePoint2d&) override;
  void wrPoint3d(const OdGePoint3d&) override;
  void wrVector2d(const OdGeVector2d&) override;
  void wrVector3d(const OdGeVector3d&) override;

 private:
  void need(std::size_t size) const;
  template <class T>
  T get() {
    T value;
    std::memcpy(&value, take(sizeof(T)), sizeof(T));
    return value;
  }
  const std::uint8_t* m_p;
  const std::uint8_t* m_end;
  FilerType m_type;
  OdDbDatabase* m_db;
};

/// crc32c: the CRC-32C (Castagnoli) of `size` bytes, continuing from `crc` (0 to start).
std::uint32_t crc32c(std::uint32_t crc, const void* data, std::size_t size);

}  // namespace OdDbDetail

// Private filers: the writers' shared encoding, a writer that appends to a byte buffer, one that
// sizes, and a reader over a byte range, in the drawing file's little-endian encoding
// (see docs/FORMATS.md).
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "DbFiler.h"

namespace OdDbDetail {

/// wrongDirection: throws OdError(eNotApplicable, what); for a filer asked to go the other way.
[[noreturn]] void wrongDirection(const char* what);

/// The encoding of every value, in one place for all writers: each value reaches
/// `Out::append(const void* data, std::size_t size)` of the derived writer as bytes in file order.
/// Reading throws OdError(eNotApplicable).
template <class Out>
class WriterOf : public OdStaticRxObject<OdDbDwgFiler> {
 public:
  WriterOf(FilerType type, OdDbDatabase* db) : m_type(type), m_db(db) {}
  FilerType filerType() const override { return m_type; }
  OdDbDatabase* database() const override { return m_db; }
  std::uint64_t bytesLeft() const override { return 0; }

  bool rdBool() override { cannotRead(); }
  std::int8_t rdInt8() override { cannotRead(); }
  std::uint8_t rdUInt8() override { cannotRead(); }
  std::int16_t rdInt16() override { cannotRead(); }
  std::int32_t rdInt32() override { cannotRead(); }
  std::int64_t rdInt64() override { cannotRead(); }
  double rdDouble() override { cannotRead(); }
  void rdBytes(void*, std::size_t) override { cannotRead(); }
  OdString rdString() override { cannotRead(); }
  OdDbHandle rdDbHandle() override { cannotRead(); }
  OdGePoint2d rdPoint2d() override { cannotRead(); }
  OdGePoint3d rdPoint3d() override { cannotRead(); }
  OdGeVector2d rdVector2d() override { cannotRead(); }
  OdGeVector3d rdVector3d() override { cannotRead(); }

  void wrBool(bool value) override { put<std::uint8_t>(value ? 1 : 0); }
  void wrInt8(std::int8_t value) override { put(value); }
  void wrUInt8(std::uint8_t value) override { put(value); }
  void wrInt16(std::int16_t value) override { put(value); }
  void wrInt32(std::int32_t value) override { put(value); }
  void wrInt64(std::int64_t value) override { put(value); }
  void wrDouble(double value) override { put(value); }
  void wrBytes(const void* buffer, std::size_t size) override {
    if (size) static_cast<Out*>(this)->append(buffer, size);
  }
  // A count of UTF-8 bytes, then the bytes.
  void wrString(const OdString& value) override {
    std::string utf8 = value.toUtf8();
    put<std::uint32_t>(static_cast<std::uint32_t>(utf8.size()));
    wrBytes(utf8.data(), utf8.size());
  }
  void wrDbHandle(const OdDbHandle& value) override { put<std::uint64_t>(value.value()); }
  void wrPoint2d(const OdGePoint2d& v) override { wrDouble(v.x), wrDouble(v.y); }
  void wrPoint3d(const OdGePoint3d& v) override { wrDouble(v.x), wrDouble(v.y), wrDouble(v.z); }
  void wrVector2d(const OdGeVector2d& v) override { wrDouble(v.x), wrDouble(v.y); }
  void wrVector3d(const OdGeVector3d& v) override { wrDouble(v.x), wrDouble(v.y), wrDouble(v.z); }

 private:
  [[noreturn]] static void cannotRead() { wrongDirection("a writing filer cannot read"); }
  // The machines we build for are little-endian; the format is too.
  template <class T>
  void put(T value) {
    static_cast<Out*>(this)->append(&value, sizeof(T));
  }
  FilerType m_type;
  OdDbDatabase* m_db;
};

/// appendBytes: `size` bytes at `data` added to the end of `out`.
inline void appendBytes(std::vector<std::uint8_t>& out, const void* data, std::size_t size) {
  const auto* p = static_cast<const std::uint8_t*>(data);
  out.insert(out.end(), p, p + size);
}

/// Appends every value to `out`.
class BufferWriter : public WriterOf<BufferWriter> {
 public:
  BufferWriter(std::vector<std::uint8_t>& out, FilerType type, OdDbDatabase* db = nullptr)
      : WriterOf(type, db), m_out(out) {}
  void append(const void* data, std::size_t size) { appendBytes(m_out, data, size); }

 private:
  std::vector<std::uint8_t>& m_out;
};

/// Counts every byte written and keeps them in `kept` while the count stays within `keepLimit`;
/// once past it, `kept` is emptied and only counting goes on (with a limit of 0 nothing is kept).
class SizingWriter : public WriterOf<SizingWriter> {
 public:
  SizingWriter(std::vector<std::uint8_t>& kept, std::size_t keepLimit, FilerType type,
               OdDbDatabase* db)
      : WriterOf(type, db), m_kept(kept), m_limit(keepLimit) {}
  void append(const void* data, std::size_t size) {
    m_size += size;
    if (m_size <= m_limit) {
      appendBytes(m_kept, data, size);
    } else if (!m_kept.empty()) {
      m_kept.clear();
    }
  }
  /// size: the bytes written so far.
  std::uint64_t size() const { return m_size; }
  /// keptAll: whether `kept` holds every byte written.
  bool keptAll() const { return m_size <= m_limit; }

 private:
  std::vector<std::uint8_t>& m_kept;
  std::uint64_t m_limit;
  std::uint64_t m_size = 0;
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

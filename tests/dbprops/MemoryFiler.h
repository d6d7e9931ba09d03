// A filer over a byte buffer, for filing values in tests without a drawing.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "DbFiler.h"
#include "OdError.h"

class MemoryFiler : public OdDbDwgFiler {
 public:
  explicit MemoryFiler(FilerType type = kFileFiler, OdDbDatabase* db = nullptr)
      : m_type(type), m_db(db) {}
  explicit MemoryFiler(std::vector<unsigned char> bytes) : m_bytes(std::move(bytes)) {}

  void addRef() const override {}
  void release() const override {}
  FilerType filerType() const override { return m_type; }
  OdDbDatabase* database() const override { return m_db; }
  std::uint64_t bytesLeft() const override { return m_bytes.size() - m_pos; }

  const std::vector<unsigned char>& bytes() const { return m_bytes; }
  std::vector<unsigned char>& bytes() { return m_bytes; }
  void rewind() { m_pos = 0; }

  bool rdBool() override { return rd<std::uint8_t>() != 0; }
  std::int8_t rdInt8() override { return rd<std::int8_t>(); }
  std::uint8_t rdUInt8() override { return rd<std::uint8_t>(); }
  std::int16_t rdInt16() override { return rd<std::int16_t>(); }
  std::int32_t rdInt32() override { return rd<std::int32_t>(); }
  std::int64_t rdInt64() override { return rd<std::int64_t>(); }
  double rdDouble() override { return rd<double>(); }
  void rdBytes(void* buffer, std::size_t size) override {
    need(size);
    std::memcpy(buffer, m_bytes.data() + m_pos, size);
    m_pos += size;
  }
  OdString rdString() override {
    std::uint32_t size = rd<std::uint32_t>();
    need(size);
    std::string text(reinterpret_cast<const char*>(m_bytes.data() + m_pos), size);
    m_pos += size;
    return OdString::fromUtf8(text);
  }
  OdDbHandle rdDbHandle() override { return OdDbHandle(rd<std::uint64_t>()); }
  OdGePoint2d rdPoint2d() override {
    double x = rdDouble();
    return OdGePoint2d(x, rdDouble());
  }
  OdGePoint3d rdPoint3d() override {
    double x = rdDouble(), y = rdDouble();
    return OdGePoint3d(x, y, rdDouble());
  }
  OdGeVector2d rdVector2d() override {
    double x = rdDouble();
    return OdGeVector2d(x, rdDouble());
  }
  OdGeVector3d rdVector3d() override {
    double x = rdDouble(), y = rdDouble();
    return OdGeVector3d(x, y, rdDouble());
  }

  void wrBool(bool v) override { wr<std::uint8_t>(v ? 1 : 0); }
  void wrInt8(std::int8_t v) override { wr(v); }
  void wrUInt8(std::uint8_t v) override { wr(v); }
  void wrInt16(std::int16_t v) override { wr(v); }
  void wrInt32(std::int32_t v) override { wr(v); }
  void wrInt64(std::int64_t v) override { wr(v); }
  void wrDouble(double v) override { wr(v); }
  void wrBytes(const void* buffer, std::size_t size) override {
    const auto* p = static_cast<const unsigned char*>(buffer);
    m_bytes.insert(m_bytes.end(), p, p + size);
  }
  void wrString(const OdString& v) override {
    std::string text = v.toUtf8();
    wr(static_cast<std::uint32_t>(text.size()));
    wrBytes(text.data(), text.size());
  }
  void wrDbHandle(const OdDbHandle& v) override { wr<std::uint64_t>(v.value()); }
  void wrPoint2d(const OdGePoint2d& v) override {
    wr(v.x);
    wr(v.y);
  }
  void wrPoint3d(const OdGePoint3d& v) override {
    wr(v.x);
    wr(v.y);
    wr(v.z);
  }
  void wrVector2d(const OdGeVector2d& v) override {
    wr(v.x);
    wr(v.y);
  }
  void wrVector3d(const OdGeVector3d& v) override {
    wr(v.x);
    wr(v.y);
    wr(v.z);
  }

 private:
  void need(std::size_t size) {
    if (size > m_bytes.size() - m_pos) throw OdError(eEndOfFile);
  }
  template <class T>
  T rd() {
    need(sizeof(T));
    T v;
    std::memcpy(&v, m_bytes.data() + m_pos, sizeof(T));
    m_pos += sizeof(T);
    return v;
  }
  template <class T>
  void wr(T v) {
    wrBytes(&v, sizeof(T));
  }

  FilerType m_type = kFileFiler;
  OdDbDatabase* m_db = nullptr;
  std::vector<unsigned char> m_bytes;
  std::size_t m_pos = 0;
};

// Shared fixtures of the drawing tests: a scratch folder, reactors that count, and a test
// object that files one value of every kind.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "DbDatabase.h"
#include "DbObject.h"
#include "ScratchDir.h"

namespace dbtest {

using testsupport::ScratchDir;

inline std::vector<std::uint8_t> readBytes(const OdString& path) {
  std::ifstream in(path.toUtf8(), std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

inline void writeBytes(const OdString& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path.toUtf8(), std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

/// One value of every kind the filer carries.
class AllKinds : public OdDbObject {
  ODRX_DECLARE_MEMBERS(AllKinds)
 public:
  bool b = false;
  std::int8_t i8 = 0;
  std::uint8_t u8 = 0;
  std::int16_t i16 = 0;
  std::uint16_t u16 = 0;
  std::int32_t i32 = 0;
  std::uint32_t u32 = 0;
  std::int64_t i64 = 0;
  std::uint64_t u64 = 0;
  double d = 0;
  std::vector<std::uint8_t> bytes;
  OdString text;
  OdDbHandle handle;
  OdGePoint2d p2;
  OdGePoint3d p3;
  OdGeVector2d v2;
  OdGeVector3d v3;

  void fillSample() {
    assertWriteEnabled();
    b = true;
    i8 = -128;
    u8 = 255;
    i16 = -32768;
    u16 = 65535;
    i32 = -2147483647 - 1;
    u32 = 4294967295u;
    i64 = INT64_MIN;
    u64 = UINT64_MAX;
    d = -1.5e300;
    bytes = {0, 1, 2, 0xFE, 0xFF};
    text = OdString(L"Stahl \u00e4 \u20ac \U0001F600");
    handle = OdDbHandle(0xABCDEF0123ull);
    p2 = {1.25, -2.5};
    p3 = {3, 4, 5};
    v2 = {-0.0, 1e-300};
    v3 = {7, 8, 9};
  }
  bool sameAs(const AllKinds& o) const {
    return b == o.b && i8 == o.i8 && u8 == o.u8 && i16 == o.i16 && u16 == o.u16 && i32 == o.i32 &&
           u32 == o.u32 && i64 == o.i64 && u64 == o.u64 && d == o.d && bytes == o.bytes &&
           text == o.text && handle == o.handle && p2 == o.p2 && p3 == o.p3 && v2 == o.v2 &&
           v3 == o.v3;
  }

  void dwgOutFields(OdDbDwgFiler* f) const override {
    OdDbObject::dwgOutFields(f);
    f->wrBool(b);
    f->wrInt8(i8);
    f->wrUInt8(u8);
    f->wrInt16(i16);
    f->wrUInt16(u16);
    f->wrInt32(i32);
    f->wrUInt32(u32);
    f->wrInt64(i64);
    f->wrUInt64(u64);
    f->wrDouble(d);
    f->wrUInt32(static_cast<std::uint32_t>(bytes.size()));
    f->wrBytes(bytes.data(), bytes.size());
    f->wrString(text);
    f->wrDbHandle(handle);
    f->wrPoint2d(p2);
    f->wrPoint3d(p3);
    f->wrVector2d(v2);
    f->wrVector3d(v3);
  }
  OdResult dwgInFields(OdDbDwgFiler* f) override {
    OdResult r = OdDbObject::dwgInFields(f);
    if (r != eOk) return r;
    b = f->rdBool();
    i8 = f->rdInt8();
    u8 = f->rdUInt8();
    i16 = f->rdInt16();
    u16 = f->rdUInt16();
    i32 = f->rdInt32();
    u32 = f->rdUInt32();
    i64 = f->rdInt64();
    u64 = f->rdUInt64();
    d = f->rdDouble();
    std::uint32_t n = f->rdUInt32();
    if (n > f->bytesLeft()) return eBadDrawingFile;
    bytes.resize(n);
    f->rdBytes(bytes.data(), n);
    text = f->rdString();
    handle = f->rdDbHandle();
    p2 = f->rdPoint2d();
    p3 = f->rdPoint3d();
    v2 = f->rdVector2d();
    v3 = f->rdVector3d();
    return eOk;
  }
};

/// Registers AllKinds for the life of the object.
struct AllKindsClass {
  AllKindsClass() { AllKinds::rxInit(); }
  ~AllKindsClass() { AllKinds::rxUninit(); }
};

/// Counts what an object reactor hears.
class CountingObjectReactor : public OdDbObjectReactor {
 public:
  int modifiedCount = 0;
  int erasedCount = 0;
  int goodbyeCount = 0;
  bool reopenedOnModified = false;
  void modified(const OdDbObject* object) override {
    ++modifiedCount;
    bool read = !object->objectId().openObject(OdDb::kForRead).isNull();
    bool write = !object->objectId().openObject(OdDb::kForWrite).isNull();  // the read ended
    reopenedOnModified = read && write;
  }
  void erased(const OdDbObject*, bool) override { ++erasedCount; }
  void goodbye(const OdDbObject*) override { ++goodbyeCount; }
};

}  // namespace dbtest

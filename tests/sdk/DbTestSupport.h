// Shared fixtures of the drawing tests: a scratch folder, reactors that count, and a test
// object that files one value of every kind.
#pragma once

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <tuple>
#include <vector>

#include "DbDatabase.h"
#include "DbObject.h"
#include "DbObjectExtension.h"
#include "ScratchDir.h"

namespace dbtest {

using testsupport::ScratchDir;

inline std::vector<std::uint8_t> readBytes(const OdString& path) {
  std::ifstream in(path.toUtf8(), std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// Every kind the filer carries but bytes: type, member, sample value, filer call suffix.
#define DBTEST_KINDS_(X)                                                 \
  X(bool, b, true, Bool)                                                 \
  X(std::int8_t, i8, -128, Int8)                                         \
  X(std::uint8_t, u8, 255, UInt8)                                        \
  X(std::int16_t, i16, -32768, Int16)                                    \
  X(std::uint16_t, u16, 65535, UInt16)                                   \
  X(std::int32_t, i32, INT32_MIN, Int32)                                 \
  X(std::uint32_t, u32, UINT32_MAX, UInt32)                              \
  X(std::int64_t, i64, INT64_MIN, Int64)                                 \
  X(std::uint64_t, u64, UINT64_MAX, UInt64)                              \
  X(double, d, -1.5e300, Double)                                         \
  X(OdString, text, OdString(L"Stahl \u00e4 \u20ac \U0001F600"), String) \
  X(OdDbHandle, handle, OdDbHandle(0xABCDEF0123ull), DbHandle)           \
  X(OdGePoint2d, p2, OdGePoint2d(1.25, -2.5), Point2d)                   \
  X(OdGePoint3d, p3, OdGePoint3d(3, 4, 5), Point3d)                      \
  X(OdGeVector2d, v2, OdGeVector2d(-0.0, 1e-300), Vector2d)              \
  X(OdGeVector3d, v3, OdGeVector3d(7, 8, 9), Vector3d)

/// One value of every kind the filer carries.
class AllKinds : public OdDbObject {
  ODRX_DECLARE_MEMBERS(AllKinds)
 public:
#define DBTEST_MEMBER_(T, n, sample, F) T n{};
  DBTEST_KINDS_(DBTEST_MEMBER_)
#undef DBTEST_MEMBER_
  std::vector<std::uint8_t> bytes;

  void fillSample() {
    assertWriteEnabled();
#define DBTEST_FILL_(T, n, sample, F) n = sample;
    DBTEST_KINDS_(DBTEST_FILL_)
#undef DBTEST_FILL_
    bytes = {0, 1, 2, 0xFE, 0xFF};
  }
  bool sameAs(const AllKinds& o) const {
#define DBTEST_SAME_(T, n, sample, F) &&n == o.n
    return bytes == o.bytes DBTEST_KINDS_(DBTEST_SAME_);
#undef DBTEST_SAME_
  }
  /// isSample: holds what fillSample() puts in.
  bool isSample() const {
    OdSmartPtr<AllKinds> sample = AllKinds::createObject();
    sample->fillSample();
    return sameAs(*sample);
  }

  void dwgOutFields(OdDbDwgFiler* f) const override {
    OdDbObject::dwgOutFields(f);
#define DBTEST_OUT_(T, n, sample, F) f->wr##F(n);
    DBTEST_KINDS_(DBTEST_OUT_)
#undef DBTEST_OUT_
    f->wrUInt32(static_cast<std::uint32_t>(bytes.size()));
    for (std::size_t at = 0; at < bytes.size(); at += 64u << 10)  // large data goes in blocks
      f->wrBytes(bytes.data() + at, std::min<std::size_t>(64u << 10, bytes.size() - at));
  }
  OdResult dwgInFields(OdDbDwgFiler* f) override {
    OdResult r = OdDbObject::dwgInFields(f);
    if (r != eOk) return r;
#define DBTEST_IN_(T, n, sample, F) n = f->rd##F();
    DBTEST_KINDS_(DBTEST_IN_)
#undef DBTEST_IN_
    std::uint32_t n = f->rdUInt32();
    if (n > f->bytesLeft()) return eBadDrawingFile;
    bytes.resize(n);
    f->rdBytes(bytes.data(), n);
    return eOk;
  }
};

/// errorCode: the code of the OdError `call` throws; eOk when it throws none.
template <class F>
OdResult errorCode(F&& call, OdString* description = nullptr) {
  try {
    call();
  } catch (const OdError& e) {
    if (description) *description = e.description();
    return e.code();
  }
  return eOk;
}

/// filesIn: the number of plain files in `folder`.
inline int filesIn(const OdString& folder) {
  int files = 0;
  for (auto& e : std::filesystem::directory_iterator(folder.toUtf8()))
    files += e.is_regular_file();
  return files;
}

/// Extension data of two values.
class Note : public OdDbObjectExtension {
 public:
  OdString text;
  std::int32_t number = 0;
  void dwgOut(OdDbDwgFiler* f) const override {
    f->wrString(text);
    f->wrInt32(number);
  }
  OdResult dwgIn(OdDbDwgFiler* f) override {
    text = f->rdString();
    number = f->rdInt32();
    return eOk;
  }
  static OdDbObjectExtensionPtr make() { return OdRxObjectImpl<Note>::createObject(); }
  static OdSmartPtr<Note> of(const OdString& text, std::int32_t number) {
    OdSmartPtr<Note> n = OdRxObjectImpl<Note>::createObject();
    std::tie(n->text, n->number) = std::tie(text, number);
    return n;
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
  int modifiedCount = 0, erasedCount = 0, goodbyeCount = 0;
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

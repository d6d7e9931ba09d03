// Saving objects of every size, up to several MiB of byte runs, and objects that file differently
// each time they are asked: the file holds exactly what a memory filer makes of each object.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "DbDatabase.h"
#include "DbDictionary.h"
#include "DbMemoryFiler.h"
#include "DbProxyObject.h"
#include "DbTestSupport.h"

namespace dbstreamtest {

/// Strings and small values around a byte run filed in 64 KiB blocks.
class Payload : public OdDbObject {
  ODRX_DECLARE_MEMBERS(Payload)
 public:
  OdString name;
  std::vector<std::uint8_t> bytes;
  double scale = 0;
  void fill(std::size_t size, int seed) {
    name = OdString::formatted(L"Stahl \u00e4 \u20ac %d", seed);
    bytes.resize(size);
    for (std::size_t k = 0; k < size; ++k)
      bytes[k] = static_cast<std::uint8_t>(k * 131 + static_cast<std::size_t>(seed));
    scale = 0.5 + seed;
  }
  void dwgOutFields(OdDbDwgFiler* f) const override {
    OdDbObject::dwgOutFields(f);
    f->wrString(name);
    f->wrInt32(static_cast<std::int32_t>(bytes.size() % 977));
    f->wrUInt64(bytes.size());
    for (std::size_t at = 0; at < bytes.size(); at += 64u << 10)
      f->wrBytes(bytes.data() + at, std::min<std::size_t>(64u << 10, bytes.size() - at));
    f->wrDouble(scale);
    f->wrString(name + L"\U0001F600");
  }
  OdResult dwgInFields(OdDbDwgFiler* f) override {
    OdResult r = OdDbObject::dwgInFields(f);
    if (r != eOk) return r;
    name = f->rdString();
    std::int32_t check = f->rdInt32();
    std::uint64_t n = f->rdUInt64();
    if (n > f->bytesLeft() || check != static_cast<std::int32_t>(n % 977)) return eBadDrawingFile;
    bytes.resize(static_cast<std::size_t>(n));
    f->rdBytes(bytes.data(), bytes.size());
    scale = f->rdDouble();
    if (f->rdString() != name + L"\U0001F600") return eBadDrawingFile;
    return eOk;
  }
};
ODRX_DEFINE_MEMBERS(Payload, OdDbObject)

/// Files `first` bytes of data the first time it is asked, `later` bytes every time after.
class Fickle : public OdDbObject {
  ODRX_DECLARE_MEMBERS(Fickle)
 public:
  std::size_t first = 0;
  std::size_t later = 0;
  mutable int calls = 0;
  void dwgOutFields(OdDbDwgFiler* f) const override {
    OdDbObject::dwgOutFields(f);
    std::vector<std::uint8_t> data(calls++ == 0 ? first : later, 7);
    f->wrBytes(data.data(), data.size());
  }
};
ODRX_DEFINE_MEMBERS(Fickle, OdDbObject)

}  // namespace dbstreamtest

namespace {

using dbstreamtest::Fickle;
using dbstreamtest::Payload;
using dbtest::ScratchDir;

std::vector<std::uint8_t> memoryBytes(const OdDbObject* object) {
  std::vector<std::uint8_t> out;
  object->dwgOutFields(odDbCreateMemoryWriter(out, OdDbFiler::kFileFiler, object->database()));
  return out;
}

TEST(DbFileStream, ObjectsOfEverySizeFileAsInMemory) {
  ScratchDir dir;
  OdString first = dir.file("s1.sldrw"), second = dir.file("s2.sldrw");
  // Around the sizes where the writer changes course (memory or streaming, buffer or `write`),
  // a large object, and many small ones after it.
  const std::size_t sizes[] = {0,
                               1000,
                               (64u << 10) - 60,
                               (64u << 10) - 40,
                               64u << 10,
                               (1u << 20) - 1,
                               1u << 20,
                               (1u << 20) + 1,
                               6u << 20,
                               3,
                               17};
  std::vector<OdDbHandle> handles;
  std::vector<std::vector<std::uint8_t>> expected;
  Payload::rxInit();
  {
    OdDbDatabasePtr db = odDbCreateDatabase();
    OdDbDictionaryPtr nod = db->getNamedObjectsDictionaryId().safeOpenObject(OdDb::kForWrite);
    int seed = 0;
    for (std::size_t size : sizes) {
      OdSmartPtr<Payload> p = Payload::createObject();
      p->fill(size, seed);
      handles.push_back(nod->setAt(OdString::formatted(L"p%d", seed++), p).handle());
    }
    for (int k = 0; k < 300; ++k) {
      OdSmartPtr<Payload> p = Payload::createObject();
      p->fill(static_cast<std::size_t>(k), seed);
      handles.push_back(nod->setAt(OdString::formatted(L"p%d", seed++), p).handle());
    }
    nod = nullptr;
    for (OdDbHandle h : handles) {
      OdSmartPtr<Payload> p = db->getOdDbObjectId(h).safeOpenObject();
      expected.push_back(memoryBytes(p.get()));
    }
    db->writeFile(first);

    OdDbDatabasePtr back = odDbCreateDatabase();
    back->readFile(first);
    for (std::size_t i = 0; i < handles.size(); ++i) {
      OdSmartPtr<Payload> was = db->getOdDbObjectId(handles[i]).safeOpenObject();
      OdSmartPtr<Payload> now = back->getOdDbObjectId(handles[i]).safeOpenObject();
      ASSERT_EQ(now->bytes, was->bytes) << i;
      EXPECT_EQ(now->name, was->name);
      EXPECT_EQ(now->scale, was->scale);
    }
  }
  Payload::rxUninit();

  // Unknown now: every object keeps the exact bytes its record held, which must be the bytes a
  // memory filer made; written again, they make the same file.
  OdDbDatabasePtr db = odDbCreateDatabase();
  db->readFile(first);
  for (std::size_t i = 0; i < handles.size(); ++i) {
    OdDbProxyObjectPtr proxy = db->getOdDbObjectId(handles[i]).safeOpenObject();
    ASSERT_TRUE(proxy->data() == expected[i]) << "object " << i;
  }
  db->writeFile(second);
  EXPECT_TRUE(dbtest::readBytes(first) == dbtest::readBytes(second));
}

TEST(DbFileStream, ObjectFilingDifferentlyTwiceFailsTheSave) {
  ScratchDir dir;
  OdString path = dir.file("f.sldrw"), fresh = dir.file("g.sldrw");
  Fickle::rxInit();
  {
    OdDbDatabasePtr db = odDbCreateDatabase();
    db->writeFile(path);
    std::vector<std::uint8_t> before = dbtest::readBytes(path);
    OdSmartPtr<Fickle> fickle = Fickle::createObject();
    {
      OdDbDictionaryPtr nod = db->getNamedObjectsDictionaryId().safeOpenObject(OdDb::kForWrite);
      nod->setAt(OdString(L"fickle"), fickle);
    }
    // More, then fewer bytes the second time, for an object too large to be filed only once.
    const std::size_t later[] = {(3u << 20) + 1, (3u << 20) - 8};
    for (std::size_t size : later) {
      fickle->first = 3u << 20;
      fickle->later = size;
      for (const OdString& target : {path, fresh}) {
        fickle->calls = 0;
        OdString why;
        EXPECT_EQ(dbtest::errorCode([&] { db->writeFile(target); }, &why), eFileWriteError);
        EXPECT_NE(why.find(L"Fickle"), -1) << why.toUtf8();
      }
      EXPECT_TRUE(dbtest::readBytes(path) == before);
      EXPECT_FALSE(std::filesystem::exists(fresh.toUtf8()));
      EXPECT_EQ(dbtest::filesIn(dir.path()), 1);
    }
    // Consistent again: it saves.
    fickle->later = fickle->first;
    db->writeFile(fresh);
    EXPECT_EQ(dbtest::filesIn(dir.path()), 2);
  }
  Fickle::rxUninit();
}

}  // namespace

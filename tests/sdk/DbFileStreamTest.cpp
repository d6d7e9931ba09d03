// Saving objects of every size, up to several MiB of byte runs, and objects that file differently
// each time they are asked: the file holds exactly what a memory filer makes of each object.
#include <gtest/gtest.h>

#include "DbDatabase.h"
#include "DbDictionary.h"
#include "DbMemoryFiler.h"
#include "DbProxyObject.h"
#include "DbTestSupport.h"

namespace dbstreamtest {

/// Files `first` bytes of data the first time it is asked, `later` bytes every time after.
class Fickle : public OdDbObject {
  ODRX_DECLARE_MEMBERS(Fickle)
 public:
  std::size_t first = 0, later = 0;
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
using dbtest::AllKinds;
using dbtest::ScratchDir;

TEST(DbFileStream, ObjectsOfEverySizeFileAsInMemory) {
  ScratchDir dir;
  OdString first = dir.file("s1.sldrw"), second = dir.file("s2.sldrw");
  // Around the sizes where the writer changes course (memory or streaming, buffer or `write`),
  // a large object, and many small ones after it.
  const std::size_t k64 = 64u << 10, m1 = 1u << 20;
  std::vector<std::size_t> sizes = {0, 1000, k64 - 60, k64 - 40, k64, m1 - 1, m1, m1 + 1, 6 * m1};
  for (std::size_t k = 0; k < 300; ++k)
    sizes.push_back(k);
  std::vector<OdDbHandle> handles;
  std::vector<std::vector<std::uint8_t>> expected, contents;
  {
    dbtest::AllKindsClass allKinds;
    OdDbDatabasePtr db = odDbCreateDatabase();
    OdDbDictionaryPtr nod = db->getNamedObjectsDictionaryId().safeOpenObject(OdDb::kForWrite);
    for (std::size_t i = 0; i < sizes.size(); ++i) {
      OdSmartPtr<AllKinds> p = AllKinds::createObject();
      p->fillSample();
      p->bytes.resize(sizes[i]);
      for (std::size_t k = 0; k < sizes[i]; ++k)
        p->bytes[k] = static_cast<std::uint8_t>(k * 131 + i);
      contents.push_back(p->bytes);
      handles.push_back(nod->setAt(OdString::formatted(L"p%d", int(i)), p).handle());
      std::vector<std::uint8_t> filed;
      p->dwgOutFields(odDbCreateMemoryWriter(filed, OdDbFiler::kFileFiler, db.get()));
      expected.push_back(filed);
    }
    nod = nullptr;
    db->writeFile(first);
    OdDbDatabasePtr back = odDbCreateDatabase();
    back->readFile(first);
    for (std::size_t i = 0; i < handles.size(); ++i) {
      OdSmartPtr<AllKinds> now = back->getOdDbObjectId(handles[i]).safeOpenObject();
      ASSERT_EQ(now->bytes, contents[i]) << i;
    }
  }

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
    OdDbDictionaryPtr(db->getNamedObjectsDictionaryId().safeOpenObject(OdDb::kForWrite))
        ->setAt(OdString(L"fickle"), fickle);
    // More, then fewer bytes the second time, for an object too large to be filed only once.
    for (std::size_t size : {(3u << 20) + 1, (3u << 20) - 8}) {
      fickle->first = 3u << 20;
      fickle->later = size;
      for (const OdString& target : {path, fresh}) {
        fickle->calls = 0;
        OdString why;
        EXPECT_EQ(dbtest::errorCode([&] { db->writeFile(target); }, &why), eFileWriteError);
        EXPECT_NE(why.find(L"Fickle"), -1) << why.toUtf8();
      }
      EXPECT_TRUE(dbtest::readBytes(path) == before);
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

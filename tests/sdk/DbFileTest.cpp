// The drawing file: round trips of system variables, dictionaries, entities, every filed value
// kind, extension data of registered and unregistered kinds, and proxies kept byte for byte.
#include <gtest/gtest.h>

#include "DbDatabase.h"
#include "DbDictionary.h"
#include "DbEntity.h"
#include "DbFileFaults.h"
#include "DbProxyObject.h"
#include "DbTestSupport.h"

namespace dbfiletest {

/// Fails in the middle of a save, after other objects were written.
class Exploding : public OdDbObject {
  ODRX_DECLARE_MEMBERS(Exploding)
 public:
  void dwgOutFields(OdDbDwgFiler* f) const override {
    OdDbObject::dwgOutFields(f);
    throw OdError(eFileWriteError, OdString(L"injected failure"));
  }
};
ODRX_DEFINE_MEMBERS(Exploding, OdDbObject)

}  // namespace dbfiletest

namespace {

using dbtest::AllKinds;
using dbtest::Note;
using dbtest::ScratchDir;

TEST(DbFile, RoundTripOfContents) {
  ScratchDir dir;
  dbtest::AllKindsClass allKinds;
  OdString path = dir.file("a.sldrw");
  OdDbHandle lineHandle, kindsHandle, goneHandle;
  {
    OdDbDatabasePtr db = odDbCreateDatabase(false);
    db->setINSUNITS(OdDb::kUnitsFeet);
    OdDbBlockTableRecordPtr ms = db->getModelSpaceId().safeOpenObject(OdDb::kForWrite);
    OdDbLinePtr line = OdDbLine::createObject();
    line->setStartPoint(OdGePoint3d(1, 2, 3));
    line->setEndPoint(OdGePoint3d(4, 5, 6));
    line->setColorIndex(7);
    lineHandle = ms->appendOdDbEntity(line).handle();
    OdDbCirclePtr circle = OdDbCircle::createObject();
    circle->setRadius(2.5);
    ms->appendOdDbEntity(circle);
    OdDbPolylinePtr pl = OdDbPolyline::createObject();
    pl->addVertexAt(0, OdGePoint2d(0, 0));
    pl->addVertexAt(1, OdGePoint2d(1, 0));
    pl->addVertexAt(2, OdGePoint2d(1, 1));
    pl->setClosed(true);
    ms->appendOdDbEntity(pl);
    OdDbDictionaryPtr nod = db->getNamedObjectsDictionaryId().safeOpenObject(OdDb::kForWrite);
    OdDbDictionaryPtr sub = OdDbDictionary::createObject();
    nod->setAt(OdString(L"SUB"), sub);
    OdSmartPtr<AllKinds> kinds = AllKinds::createObject();
    kinds->fillSample();
    kindsHandle = sub->setAt(OdString(L"kinds"), kinds).handle();
    OdDbLinePtr gone = OdDbLine::createObject();
    goneHandle = ms->appendOdDbEntity(gone).handle();
    gone->erase();  // erased objects are not saved, their handles are not given again
    db->writeFile(path);
    EXPECT_EQ(db->getFilename(), path);
  }
  OdDbDatabasePtr db = odDbCreateDatabase();
  db->readFile(path);
  EXPECT_EQ(db->getFilename(), path);
  EXPECT_EQ(db->getMEASUREMENT(), 0);
  EXPECT_EQ(db->getINSUNITS(), 2);
  EXPECT_EQ(db->numObjects(), 7u);  // nod, ms, 3 entities, sub, kinds

  OdDbBlockTableRecordPtr ms = db->getModelSpaceId().safeOpenObject();
  auto ids = ms->entityIds();
  ASSERT_EQ(ids.size(), 3u);
  EXPECT_EQ(ids[0].handle(), lineHandle);
  OdDbLinePtr line = ids[0].safeOpenObject();
  EXPECT_EQ(line->startPoint(), OdGePoint3d(1, 2, 3));
  EXPECT_EQ(line->endPoint(), OdGePoint3d(4, 5, 6));
  EXPECT_EQ(line->colorIndex(), 7);
  EXPECT_EQ(line->ownerId(), db->getModelSpaceId());
  EXPECT_EQ(OdDbCirclePtr(ids[1].safeOpenObject())->radius(), 2.5);
  OdDbPolylinePtr pl = ids[2].safeOpenObject();
  EXPECT_EQ(pl->numVerts(), 3u);
  EXPECT_EQ(pl->getPointAt(2), OdGePoint2d(1, 1));
  EXPECT_TRUE(pl->isClosed());

  OdDbDictionaryPtr nod = db->getNamedObjectsDictionaryId().safeOpenObject();
  OdDbDictionaryPtr sub = nod->getAt(OdString(L"SUB"), OdDb::kForRead);
  ASSERT_FALSE(sub.isNull());
  OdSmartPtr<AllKinds> kinds = sub->getAt(OdString(L"kinds"), OdDb::kForRead);
  ASSERT_FALSE(kinds.isNull());
  EXPECT_EQ(kinds->objectId().handle(), kindsHandle);
  EXPECT_TRUE(kinds->isSample());
  // New objects never reuse a handle of the file, nor one of an object erased before saving.
  EXPECT_GT(kindsHandle.value(), lineHandle.value());
  EXPECT_GT(db->handseed().value(), goneHandle.value());
}

TEST(DbFile, ExtensionDataOfRegisteredAndUnknownKinds) {
  ScratchDir dir;
  OdString first = dir.file("ext1.sldrw"), second = dir.file("ext2.sldrw");
  const OdString known(L"test.note"), unknown(L"test.later");
  odDbRegisterObjectExtension(known, &Note::make);
  odDbRegisterObjectExtension(unknown, &Note::make);
  {
    OdDbDatabasePtr db = odDbCreateDatabase();
    OdDbObjectPtr nod = db->getNamedObjectsDictionaryId().safeOpenObject(OdDb::kForWrite);
    nod->setExtension(known, Note::of(OdString(L"kept"), 42));
    nod->setExtension(unknown, Note::of(OdString(L"bytes"), -1));
    nod = nullptr;
    odDbUnregisterObjectExtension(unknown);  // live data becomes bytes
    EXPECT_THROW(odDbUnregisterObjectExtension(unknown), OdError);
    db->writeFile(first);
  }
  {
    OdDbDatabasePtr db = odDbCreateDatabase();
    db->readFile(first);
    OdDbObjectPtr nod = db->getNamedObjectsDictionaryId().safeOpenObject();
    auto* n = dynamic_cast<Note*>(nod->extension(known));
    ASSERT_NE(n, nullptr);
    EXPECT_EQ(n->text, OdString(L"kept"));
    EXPECT_EQ(n->number, 42);
    EXPECT_EQ(nod->extension(unknown), nullptr);  // kept as bytes
    EXPECT_EQ(nod->extensionKinds().size(), 2u);
    nod = nullptr;
    db->writeFile(second);
    odDbRegisterObjectExtension(unknown, &Note::make);
    nod = db->getNamedObjectsDictionaryId().safeOpenObject();
    n = dynamic_cast<Note*>(nod->extension(unknown));  // converted once the kind is known
    ASSERT_NE(n, nullptr);
    EXPECT_EQ(n->text, OdString(L"bytes"));
  }
  EXPECT_EQ(dbtest::readBytes(first), dbtest::readBytes(second));
  OdDbDatabasePtr db = odDbCreateDatabase();
  db->readFile(second);
  OdDbObjectPtr nod = db->getNamedObjectsDictionaryId().safeOpenObject();
  auto* n = dynamic_cast<Note*>(nod->extension(unknown));
  ASSERT_NE(n, nullptr);
  EXPECT_EQ(n->number, -1);
  odDbUnregisterObjectExtension(unknown);
  odDbUnregisterObjectExtension(known);
}

TEST(DbFile, ProxyKeepsUnknownClassByteForByte) {
  ScratchDir dir;
  OdString first = dir.file("p1.sldrw"), second = dir.file("p2.sldrw");
  OdDbHandle handle;
  {
    dbtest::AllKindsClass allKinds;
    OdDbDatabasePtr db = odDbCreateDatabase();
    OdDbDictionaryPtr nod = db->getNamedObjectsDictionaryId().safeOpenObject(OdDb::kForWrite);
    OdSmartPtr<AllKinds> kinds = AllKinds::createObject();
    kinds->fillSample();
    handle = nod->setAt(OdString(L"K"), kinds).handle();
    nod = nullptr;
    kinds = nullptr;
    db->writeFile(first);
  }
  {
    OdDbDatabasePtr db = odDbCreateDatabase();
    db->readFile(first);  // class not registered now
    OdDbProxyObjectPtr proxy = db->getOdDbObjectId(handle).safeOpenObject();
    EXPECT_EQ(proxy->originalClass().name, OdString(L"AllKinds"));
    EXPECT_EQ(proxy->originalClass().parentName, OdString(L"OdDbObject"));
    EXPECT_EQ(proxy->ownerId(), db->getNamedObjectsDictionaryId());
    EXPECT_FALSE(proxy->data().empty());
    proxy = nullptr;
    db->writeFile(second);
  }
  EXPECT_EQ(dbtest::readBytes(first), dbtest::readBytes(second));

  dbtest::AllKindsClass allKinds;  // known again: loads as its class
  OdDbDatabasePtr db = odDbCreateDatabase();
  db->readFile(second);
  OdSmartPtr<AllKinds> kinds = db->getOdDbObjectId(handle).safeOpenObject();
  EXPECT_TRUE(kinds->isSample());
}

TEST(DbFile, WriteReplacesAtomically) {
  ScratchDir dir;
  OdString path = dir.file("w.sldrw");
  OdDbDatabasePtr db = odDbCreateDatabase();
  db->writeFile(path);
  db->setINSUNITS(OdDb::kUnitsMeters);
  db->writeFile(path);
  OdDbDatabasePtr back = odDbCreateDatabase();
  back->readFile(path);
  EXPECT_EQ(back->getINSUNITS(), 6);
  // No temporary files are left beside it.
  EXPECT_EQ(dbtest::filesIn(dir.path()), 1);
  EXPECT_EQ(dbtest::errorCode([&] { db->writeFile(dir.file("missing-folder/x.sldrw")); }),
            eFileWriteError);

  // A save that fails half-way leaves the previous file and no temporary one.
  std::vector<std::uint8_t> before = dbtest::readBytes(path);
  dbfiletest::Exploding::rxInit();
  {
    OdDbDictionaryPtr nod = db->getNamedObjectsDictionaryId().safeOpenObject(OdDb::kForWrite);
    nod->setAt(OdString(L"boom"), dbfiletest::Exploding::createObject());
  }
  EXPECT_THROW(db->writeFile(path), OdError);
  EXPECT_EQ(dbtest::readBytes(path), before);
  EXPECT_EQ(dbtest::filesIn(dir.path()), 1);
  db = nullptr;
  dbfiletest::Exploding::rxUninit();
}

TEST(DbFile, EachFailingFileOperationOfAWriteKeepsTheOldDrawing) {
  ScratchDir dir;
  OdString path = dir.file("f.sldrw");
  OdDbDatabasePtr db = odDbCreateDatabase();
  db->writeFile(path);
  const std::vector<std::uint8_t> old = dbtest::readBytes(path);
  db->setINSUNITS(OdDb::kUnitsMeters);
  odDbSetWriteFault(0, false);
  db->writeFile(dir.file("count.sldrw"));
  const std::uint64_t operations = odDbWriteOperations();
  ASSERT_GE(operations, 4u);  // writes, sync, close, rename
  for (bool persistent : {false, true}) {
    for (std::uint64_t at = 1; at <= operations; ++at) {
      SCOPED_TRACE((persistent ? "from operation " : "at operation ") + std::to_string(at));
      odDbSetWriteFault(at, persistent);
      EXPECT_THROW(db->writeFile(path), OdError);
      odDbSetWriteFault(0, false);
      EXPECT_EQ(dbtest::readBytes(path), old);
      EXPECT_EQ(dbtest::filesIn(dir.path()), 2);  // no temporary file left beside the two drawings
    }
  }
  // The drawing in memory is as it was: the next write succeeds and holds the change.
  db->writeFile(path);
  OdDbDatabasePtr back = odDbCreateDatabase();
  back->readFile(path);
  EXPECT_EQ(back->getINSUNITS(), OdDb::kUnitsMeters);
}

}  // namespace

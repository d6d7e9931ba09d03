// The drawing file: round trips of system variables, dictionaries, entities, every filed value
// kind, extension data of registered and unregistered kinds, proxies of unknown classes, and
// failing writes that keep the old file.
#include <gtest/gtest.h>

#include "DbDatabase.h"
#include "DbDictionary.h"
#include "DbEntity.h"
#include "DbFileFaults.h"
#include "DbProxyObject.h"
#include "DbTestSupport.h"

namespace {

using dbtest::AllKinds;
using dbtest::Note;
using dbtest::ScratchDir;

// The extension data of `kind` on the drawing's dictionary, when that kind is registered.
OdSmartPtr<Note> note(const OdDbDatabasePtr& db, const OdString& kind) {
  OdDbObjectPtr nod = db->getNamedObjectsDictionaryId().safeOpenObject();
  return OdSmartPtr<Note>(dynamic_cast<Note*>(nod->extension(kind)));
}

TEST(DbFile, RoundTripOfContents) {
  ScratchDir dir;
  OdString path = dir.file("a.sldrw"), again = dir.file("b.sldrw");
  const OdString known(L"test.note"), unknown(L"test.later");
  odDbRegisterObjectExtension(known, &Note::make);
  odDbRegisterObjectExtension(unknown, &Note::make);
  OdDbHandle lineHandle, kindsHandle, goneHandle;
  {
    dbtest::AllKindsClass allKinds;
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
      for (unsigned i = 0; i < 3; ++i)
        pl->addVertexAt(i, OdGePoint2d(i > 0, i > 1));
      pl->setClosed(true);
      ms->appendOdDbEntity(pl);
      OdDbDictionaryPtr nod = db->getNamedObjectsDictionaryId().safeOpenObject(OdDb::kForWrite);
      OdDbDictionaryPtr sub = OdDbDictionary::createObject();
      nod->setAt(OdString(L"SUB"), sub);
      nod->setExtension(known, Note::of(OdString(L"kept"), 42));
      nod->setExtension(unknown, Note::of(OdString(L"bytes"), -1));
      OdSmartPtr<AllKinds> kinds = AllKinds::createObject();
      kinds->fillSample();
      kindsHandle = sub->setAt(OdString(L"kinds"), kinds).handle();
      OdDbLinePtr gone = OdDbLine::createObject();
      goneHandle = ms->appendOdDbEntity(gone).handle();
      gone->erase();  // erased objects are not saved, their handles are not given again
      nod = nullptr;
      odDbUnregisterObjectExtension(unknown);  // live data becomes bytes
      EXPECT_THROW(odDbUnregisterObjectExtension(unknown), OdError);
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
    OdSmartPtr<AllKinds> kinds = db->getOdDbObjectId(kindsHandle).safeOpenObject();
    EXPECT_TRUE(kinds->isSample());
    EXPECT_EQ(kinds->ownerId(),
              OdDbDictionaryPtr(db->getNamedObjectsDictionaryId().safeOpenObject())
                  ->getAt(OdString(L"SUB")));
    ASSERT_TRUE(note(db, known));
    EXPECT_EQ(note(db, known)->text, OdString(L"kept"));
    EXPECT_EQ(note(db, known)->number, 42);
    EXPECT_FALSE(note(db, unknown));  // kept as bytes
    EXPECT_EQ(
        OdDbObjectPtr(db->getNamedObjectsDictionaryId().safeOpenObject())->extensionKinds().size(),
        2u);
    // New objects never reuse a handle of the file, nor one of an object erased before saving.
    EXPECT_GT(kindsHandle.value(), lineHandle.value());
    EXPECT_GT(db->handseed().value(), goneHandle.value());
  }
  // Its class unknown now, the object is a proxy that keeps its bytes, as the unknown extension
  // data keeps its own: written again, the same file.
  {
    OdDbDatabasePtr db = odDbCreateDatabase();
    db->readFile(path);
    OdDbProxyObjectPtr proxy = db->getOdDbObjectId(kindsHandle).safeOpenObject();
    EXPECT_EQ(proxy->originalClass().name, OdString(L"AllKinds"));
    EXPECT_EQ(proxy->originalClass().parentName, OdString(L"OdDbObject"));
    proxy = nullptr;
    db->writeFile(again);
    odDbRegisterObjectExtension(unknown, &Note::make);
    ASSERT_TRUE(note(db, unknown));  // converted once the kind is known
    EXPECT_EQ(note(db, unknown)->text, OdString(L"bytes"));
  }
  EXPECT_EQ(dbtest::readBytes(path), dbtest::readBytes(again));
  {
    dbtest::AllKindsClass allKinds;  // known again: loads as its class
    OdDbDatabasePtr db = odDbCreateDatabase();
    db->readFile(again);
    EXPECT_TRUE(
        OdSmartPtr<AllKinds>(db->getOdDbObjectId(kindsHandle).safeOpenObject())->isSample());
    ASSERT_TRUE(note(db, unknown));
    EXPECT_EQ(note(db, unknown)->number, -1);
  }
  odDbUnregisterObjectExtension(unknown);
  odDbUnregisterObjectExtension(known);
}

TEST(DbFile, EachFailingFileOperationOfAWriteKeepsTheOldDrawing) {
  ScratchDir dir;
  OdString path = dir.file("f.sldrw");
  OdDbDatabasePtr db = odDbCreateDatabase();
  db->writeFile(path);
  const std::vector<std::uint8_t> old = dbtest::readBytes(path);
  db->setINSUNITS(OdDb::kUnitsMeters);
  EXPECT_EQ(dbtest::errorCode([&] { db->writeFile(dir.file("missing-folder/x.sldrw")); }),
            eFileWriteError);
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
  // The drawing in memory is as it was: the next write replaces the file and holds the change.
  db->writeFile(path);
  EXPECT_EQ(dbtest::filesIn(dir.path()), 2);
  OdDbDatabasePtr back = odDbCreateDatabase();
  back->readFile(path);
  EXPECT_EQ(back->getINSUNITS(), OdDb::kUnitsMeters);
}

}  // namespace

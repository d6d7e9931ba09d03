// Undo: snapshots through the undo filer restore every value kind, extension data, erasure and
// additions since the last mark.
#include <gtest/gtest.h>

#include "DbDatabase.h"
#include "DbDictionary.h"
#include "DbEntity.h"
#include "DbTestSupport.h"

namespace {

using dbtest::AllKinds;

TEST(DbUndo, RestoresSnapshotsSinceTheMark) {
  dbtest::AllKindsClass allKinds;
  OdDbDatabasePtr db = odDbCreateDatabase();
  OdDbObjectId kindsId, lineId;
  {
    OdDbDictionaryPtr nod = db->getNamedObjectsDictionaryId().safeOpenObject(OdDb::kForWrite);
    kindsId = nod->setAt(OdString(L"K"), AllKinds::createObject());
    OdDbBlockTableRecordPtr ms = db->getModelSpaceId().safeOpenObject(OdDb::kForWrite);
    OdDbLinePtr line = OdDbLine::createObject();
    line->setEndPoint(OdGePoint3d(1, 0, 0));
    lineId = ms->appendOdDbEntity(line);
  }
  EXPECT_FALSE(db->hasUndo());
  db->setUndoRecording(true);
  EXPECT_TRUE(db->isUndoRecording());

  db->startUndoRecord();
  {
    OdSmartPtr<AllKinds> kinds = kindsId.safeOpenObject(OdDb::kForWrite);
    kinds->fillSample();
    kinds->i32 = 5;  // a second change in the same open takes no second snapshot
  }
  db->startUndoRecord();
  OdDbObjectId circleId;
  {
    OdDbLinePtr line = lineId.safeOpenObject(OdDb::kForWrite);
    line->setEndPoint(OdGePoint3d(9, 9, 9));
    line->erase();
    OdDbBlockTableRecordPtr ms = db->getModelSpaceId().safeOpenObject(OdDb::kForWrite);
    circleId = ms->appendOdDbEntity(OdDbCircle::createObject());
  }
  EXPECT_TRUE(db->hasUndo());

  {
    OdDbObjectPtr holder = lineId.openObject(OdDb::kForRead, true);
    EXPECT_THROW(db->undo(), OdError);  // an object to restore is open
  }
  db->undo();
  EXPECT_FALSE(lineId.isErased());
  EXPECT_TRUE(circleId.isErased());
  EXPECT_EQ(OdDbLinePtr(lineId.safeOpenObject())->endPoint(), OdGePoint3d(1, 0, 0));
  OdDbBlockTableRecordPtr ms = db->getModelSpaceId().safeOpenObject();
  EXPECT_EQ(ms->entityIds().size(), 1u);
  ms = nullptr;
  EXPECT_EQ(OdSmartPtr<AllKinds>(kindsId.safeOpenObject())->i32, 5);  // before the second mark

  db->undo();
  OdSmartPtr<AllKinds> kinds = kindsId.safeOpenObject();
  EXPECT_TRUE(kinds->sameAs(*AllKinds::createObject()));  // every kind back to its start
  kinds = nullptr;
  EXPECT_FALSE(db->hasUndo());
}

TEST(DbUndo, RestoresExtensionData) {
  const OdString kind(L"test.tag");
  odDbRegisterObjectExtension(kind, &dbtest::Note::make);
  OdDbDatabasePtr db = odDbCreateDatabase();
  db->setUndoRecording(true);
  OdDbObjectId id = db->getModelSpaceId();
  {
    OdDbObjectPtr ms = id.safeOpenObject(OdDb::kForWrite);
    ms->setExtension(kind, dbtest::Note::of(OdString(L"t"), 11));
  }
  db->startUndoRecord();
  {
    OdDbObjectPtr ms = id.safeOpenObject(OdDb::kForWrite);
    ms->setExtension(kind, nullptr);
    EXPECT_EQ(ms->extension(kind), nullptr);
  }
  db->undo();
  OdDbObjectPtr ms = id.safeOpenObject();
  auto* tag = dynamic_cast<dbtest::Note*>(ms->extension(kind));
  ASSERT_NE(tag, nullptr);
  EXPECT_EQ(tag->number, 11);
  ms = nullptr;
  odDbUnregisterObjectExtension(kind);
}

}  // namespace

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
  const OdString tag(L"test.tag");
  odDbRegisterObjectExtension(tag, &dbtest::Note::make);
  OdDbDatabasePtr db = odDbCreateDatabase();
  OdDbObjectId kindsId, lineId;
  {
    OdDbDictionaryPtr nod = db->getNamedObjectsDictionaryId().safeOpenObject(OdDb::kForWrite);
    kindsId = nod->setAt(OdString(L"K"), AllKinds::createObject());
    OdDbBlockTableRecordPtr ms = db->getModelSpaceId().safeOpenObject(OdDb::kForWrite);
    ms->setExtension(tag, dbtest::Note::of(OdString(L"t"), 11));
    OdDbLinePtr line = OdDbLine::createObject();
    line->setEndPoint(OdGePoint3d(1, 0, 0));
    lineId = ms->appendOdDbEntity(line);
  }
  EXPECT_FALSE(db->hasUndo());
  db->setUndoRecording(true);
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
    ms->setExtension(tag, nullptr);
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
  {
    OdDbBlockTableRecordPtr ms = db->getModelSpaceId().safeOpenObject();
    EXPECT_EQ(ms->entityIds().size(), 1u);
    auto* note = dynamic_cast<dbtest::Note*>(ms->extension(tag));
    ASSERT_NE(note, nullptr);
    EXPECT_EQ(note->number, 11);
  }
  EXPECT_EQ(OdSmartPtr<AllKinds>(kindsId.safeOpenObject())->i32, 5);  // before the second mark
  db->undo();
  EXPECT_TRUE(OdSmartPtr<AllKinds>(kindsId.safeOpenObject())->sameAs(*AllKinds::createObject()));
  EXPECT_FALSE(db->hasUndo());
  db = nullptr;
  odDbUnregisterObjectExtension(tag);
}

}  // namespace

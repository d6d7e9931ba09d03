// Drawings and their objects: new drawings, system variables, dictionaries, the open/close
// protocol, object and database reactors, and undo: snapshots through the undo filer restore
// every value kind, extension data, erasure and additions since the last mark.
#include <gtest/gtest.h>

#include "DbDatabase.h"
#include "DbDictionary.h"
#include "DbEntity.h"
#include "DbTestSupport.h"

namespace {

using dbtest::AllKinds;

TEST(DbDatabase, NewDrawingsAndTheirDictionaries) {
  OdDbDatabasePtr db = odDbCreateDatabase(false);
  EXPECT_EQ(db->getMEASUREMENT(), 0);
  EXPECT_EQ(db->getINSUNITS(), 1);
  EXPECT_THROW(db->setMEASUREMENT(static_cast<OdDb::MeasurementValue>(2)), OdError);
  EXPECT_THROW(db->setINSUNITS(static_cast<OdDb::UnitsValue>(21)), OdError);
  EXPECT_TRUE(db->getOdDbObjectId(OdDbHandle(999)).isNull());
  OdDbDictionaryPtr nod = db->getNamedObjectsDictionaryId().safeOpenObject(OdDb::kForWrite);
  OdDbObjectId b = nod->setAt(OdString(L"b"), OdDbDictionary::createObject());
  OdDbObjectId a = nod->setAt(OdString(L"a"), OdDbDictionary::createObject());
  EXPECT_TRUE(nod->getAt(OdString(L"A")).isNull());  // names are exact
  EXPECT_EQ(nod->nameAt(b), OdString(L"b"));
  EXPECT_EQ(nod->entries().front(), std::make_pair(OdString(L"a"), a));  // in name order
  EXPECT_EQ(nod->getAt(OdString(L"a"), OdDb::kForRead)->ownerId(), nod->objectId());
  EXPECT_EQ(nod->remove(OdString(L"a")), a);
  EXPECT_TRUE(nod->remove(OdString(L"a")).isNull());
  EXPECT_EQ(nod->numEntries(), 1u);
  // An erased entry counts as absent.
  nod->getAt(OdString(L"b"), OdDb::kForWrite)->erase();
  EXPECT_FALSE(nod->has(OdString(L"b")));
  EXPECT_TRUE(nod->getAt(OdString(L"b")).isNull());
  // An object of another drawing cannot be referred to; a dictionary in no drawing adds nothing.
  OdDbDatabasePtr other = odDbCreateDatabase();
  EXPECT_THROW(nod->setAt(OdString(L"x"), other->getModelSpaceId().safeOpenObject()), OdError);
  EXPECT_FALSE(nod->has(OdString(L"x")));
  EXPECT_EQ(dbtest::errorCode([&] {
              OdDbDictionary::createObject()->setAt(OdString(L"x"), OdDbDictionary::createObject());
            }),
            eNoDatabase);
}

class Listener : public OdDbDatabaseReactor {
 public:
  int appended = 0, modified = 0, erased = 0, goodbyes = 0;
  bool dictionaryOpenInGoodbye = false;
  void objectAppended(const OdDbDatabase*, const OdDbObject*) override { ++appended; }
  void objectModified(const OdDbDatabase*, const OdDbObject*) override { ++modified; }
  void objectErased(const OdDbDatabase*, const OdDbObject*, bool) override { ++erased; }
  void goodbye(const OdDbDatabase* db) override {
    ++goodbyes;
    dictionaryOpenInGoodbye = !db->getNamedObjectsDictionaryId().openObject().isNull();
  }
};

TEST(DbObject, OpensAndReactorsThatHearModifiedOnCloseAfterAChangeErasureAndGoodbye) {
  OdStaticRxObject<dbtest::CountingObjectReactor> reactor;  // outlive the drawing that calls them
  OdStaticRxObject<Listener> listener;
  OdDbLinePtr survivor;
  {
    OdDbDatabasePtr db = odDbCreateDatabase();
    db->addReactor(&listener);
    db->addReactor(&listener);
    OdDbObjectId id = OdDbBlockTableRecordPtr(db->getModelSpaceId().safeOpenObject(OdDb::kForWrite))
                          ->appendOdDbEntity(OdDbLine::createObject());
    EXPECT_EQ(listener.appended, 1);
    // Readers share an object, a writer excludes everyone.
    OdDbObjectPtr r1 = id.openObject(OdDb::kForRead);
    OdDbObjectPtr r2 = id.openObject(OdDb::kForRead);
    OdDbObjectPtr w;
    EXPECT_EQ(id.openObject(w, OdDb::kForWrite), eWasOpenForRead);
    EXPECT_TRUE(w.isNull());
    EXPECT_THROW(r1->upgradeOpen(), OdError);  // another reader holds it
    r1 = nullptr;                              // one reader left: the open goes on
    EXPECT_TRUE(id.openObject(OdDb::kForWrite).isNull());
    r2->upgradeOpen();
    EXPECT_TRUE(r2->isWriteEnabled());
    EXPECT_EQ(id.openObject(w, OdDb::kForRead), eWasOpenForWrite);
    r2->downgradeOpen();
    EXPECT_FALSE(r2->isWriteEnabled());
    r2 = nullptr;  // the last pointer ends the open

    OdDbLinePtr line = id.openObject(OdDb::kForWrite);
    ASSERT_FALSE(line.isNull());
    EXPECT_EQ(dbtest::errorCode([&] { id.safeOpenObject(OdDb::kForRead); }), eWasOpenForWrite);
    line->close();
    EXPECT_FALSE(line->isReadEnabled());  // close ends the open although the pointer remains
    EXPECT_EQ(dbtest::errorCode([&] { line->startPoint(); }), 61);  // closed
    line = id.safeOpenObject(OdDb::kForRead);
    EXPECT_EQ(dbtest::errorCode([&] { line->setStartPoint(OdGePoint3d(1, 2, 3)); }), 62);
    line = nullptr;
    EXPECT_EQ(OdDbObjectId().openObject(w), eNullObjectId);
    // A new object in no drawing is open for write.
    EXPECT_NO_THROW(OdDbCircle::createObject()->setRadius(2));
    EXPECT_THROW(OdDbCircle::createObject()->setRadius(-1), OdError);

    id.safeOpenObject(OdDb::kForWrite)->addReactor(&reactor);
    id.safeOpenObject(OdDb::kForWrite)->addReactor(&reactor);  // kept once
    id.safeOpenObject(OdDb::kForRead);
    EXPECT_EQ(reactor.modifiedCount, 0);  // opened for write and read but not changed
    line = id.safeOpenObject(OdDb::kForWrite);
    line->setEndPoint(OdGePoint3d(5, 0, 0));
    line->setEndPoint(OdGePoint3d(6, 0, 0));
    EXPECT_EQ(reactor.modifiedCount, 0);  // not before the close
    line = nullptr;
    EXPECT_EQ(reactor.modifiedCount, 1);
    EXPECT_TRUE(reactor.reopenedOnModified);  // closed before the reactor heard of it
    line = id.safeOpenObject(OdDb::kForWrite);
    line->setColorIndex(3);
    line->close();
    EXPECT_EQ(reactor.modifiedCount, 2);
    line = nullptr;
    EXPECT_EQ(reactor.modifiedCount, 2);  // the close ended that open already

    id.safeOpenObject(OdDb::kForWrite)->erase();  // the pointer, gone at once, closes it
    EXPECT_EQ(reactor.erasedCount, 1);
    EXPECT_EQ(id.openObject(w), eWasErased);
    id.safeOpenObject(OdDb::kForWrite, true)->erase(false);
    EXPECT_FALSE(id.isErased());
    EXPECT_EQ(reactor.erasedCount, 2);
    const int heard = reactor.modifiedCount;
    line = id.safeOpenObject(OdDb::kForWrite);
    line->removeReactor(&reactor);
    line->setColorIndex(4);
    line = nullptr;
    EXPECT_EQ(reactor.modifiedCount, heard);

    EXPECT_EQ(listener.erased, 2);
    EXPECT_GE(listener.modified, 3);
    survivor = id.safeOpenObject();
    EXPECT_EQ(listener.goodbyes, 0);
  }
  EXPECT_EQ(listener.goodbyes, 1);
  EXPECT_TRUE(listener.dictionaryOpenInGoodbye);  // objects still there during goodbye
  // An object held past its drawing stays usable and is in no drawing.
  EXPECT_EQ(survivor->database(), nullptr);
  EXPECT_EQ(survivor->endPoint(), OdGePoint3d(6, 0, 0));
  OdDbLine::createObject()->addReactor(&reactor);
  EXPECT_EQ(reactor.goodbyeCount, 1);
}

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
  EXPECT_EQ(OdDbBlockTableRecordPtr(db->getModelSpaceId().safeOpenObject())->entityIds().size(),
            1u);
  EXPECT_EQ(OdSmartPtr<AllKinds>(kindsId.safeOpenObject())->i32, 5);  // before the second mark
  db->undo();
  EXPECT_TRUE(OdSmartPtr<AllKinds>(kindsId.safeOpenObject())->sameAs(*AllKinds::createObject()));
  EXPECT_FALSE(db->hasUndo());
}

}  // namespace

// Drawing objects: the open/close protocol, assertions, modified and erase notifications.
#include <gtest/gtest.h>

#include "DbDatabase.h"
#include "DbEntity.h"
#include "DbTestSupport.h"

namespace {

using dbtest::CountingObjectReactor;

OdDbObjectId addLine(OdDbDatabase* db) {
  OdDbBlockTableRecordPtr ms = db->getModelSpaceId().safeOpenObject(OdDb::kForWrite);
  OdDbLinePtr line = OdDbLine::createObject();
  return ms->appendOdDbEntity(line);
}

TEST(DbObject, ReadersShareWriterExcludes) {
  OdDbDatabasePtr db = odDbCreateDatabase();
  OdDbObjectId id = addLine(db);

  OdDbObjectPtr r1 = id.openObject(OdDb::kForRead);
  OdDbObjectPtr r2 = id.openObject(OdDb::kForRead);
  ASSERT_FALSE(r1.isNull());
  ASSERT_FALSE(r2.isNull());
  EXPECT_TRUE(r1->isReadEnabled());
  EXPECT_FALSE(r1->isWriteEnabled());
  OdDbObjectPtr w;
  EXPECT_EQ(id.openObject(w, OdDb::kForWrite), eWasOpenForRead);
  EXPECT_TRUE(w.isNull());
  EXPECT_THROW(r1->upgradeOpen(), OdError);  // another reader holds it

  r1 = nullptr;  // one reader left: the open goes on
  EXPECT_TRUE(r2->isReadEnabled());
  EXPECT_TRUE(id.openObject(OdDb::kForWrite).isNull());
  r2->upgradeOpen();
  EXPECT_TRUE(r2->isWriteEnabled());
  EXPECT_EQ(id.openObject(w, OdDb::kForRead), eWasOpenForWrite);
  r2->downgradeOpen();
  EXPECT_TRUE(r2->isReadEnabled());
  EXPECT_FALSE(r2->isWriteEnabled());
  r2 = nullptr;  // the last pointer ends the open

  w = id.openObject(OdDb::kForWrite);
  ASSERT_FALSE(w.isNull());
  EXPECT_EQ(dbtest::errorCode([&] { id.safeOpenObject(OdDb::kForRead); }), eWasOpenForWrite);
  w->close();
  EXPECT_FALSE(w->isReadEnabled());  // close ends the open although the pointer remains
  EXPECT_FALSE(id.openObject(OdDb::kForWrite).isNull());

  EXPECT_TRUE(OdDbObjectId().openObject().isNull());
  EXPECT_EQ(OdDbObjectId().openObject(w), eNullObjectId);
}

TEST(DbObject, AssertionsCarryTheirCodes) {
  OdDbDatabasePtr db = odDbCreateDatabase();
  OdDbObjectId id = addLine(db);
  OdDbLinePtr line = id.safeOpenObject(OdDb::kForRead);
  EXPECT_EQ(dbtest::errorCode([&] { line->setStartPoint(OdGePoint3d(1, 2, 3)); }),
            62);  // not open for write
  line->close();
  EXPECT_EQ(dbtest::errorCode([&] { line->startPoint(); }), 61);  // closed
  // A new object in no drawing is open for write.
  OdDbCirclePtr circle = OdDbCircle::createObject();
  EXPECT_TRUE(circle->isWriteEnabled());
  circle->setRadius(2);
  EXPECT_THROW(circle->setRadius(-1), OdError);
}

TEST(DbObject, ModifiedIsSentOnCloseAfterAChange) {
  OdStaticRxObject<CountingObjectReactor> reactor;  // outlives the drawing that calls it
  OdDbDatabasePtr db = odDbCreateDatabase();
  OdDbObjectId id = addLine(db);
  {
    OdDbObjectPtr o = id.safeOpenObject(OdDb::kForWrite);
    o->addReactor(&reactor);
    o->addReactor(&reactor);  // kept once
  }
  EXPECT_EQ(reactor.modifiedCount, 0);  // opened for write but not changed

  id.safeOpenObject(OdDb::kForRead);
  EXPECT_EQ(reactor.modifiedCount, 0);

  {
    OdDbLinePtr line = id.safeOpenObject(OdDb::kForWrite);
    line->setEndPoint(OdGePoint3d(5, 0, 0));
    line->setEndPoint(OdGePoint3d(6, 0, 0));
    EXPECT_EQ(reactor.modifiedCount, 0);  // not before the close
  }
  EXPECT_EQ(reactor.modifiedCount, 1);
  EXPECT_TRUE(reactor.reopenedOnModified);  // closed before the reactor heard of it

  OdDbLinePtr line = id.safeOpenObject(OdDb::kForWrite);
  line->setColorIndex(3);
  line->close();
  EXPECT_EQ(reactor.modifiedCount, 2);
  line = nullptr;
  EXPECT_EQ(reactor.modifiedCount, 2);  // the close ended that open already

  line = id.safeOpenObject(OdDb::kForWrite);
  line->removeReactor(&reactor);
  line->setColorIndex(4);
  line = nullptr;
  EXPECT_EQ(reactor.modifiedCount, 2);
}

TEST(DbObject, EraseHidesAndNotifies) {
  OdStaticRxObject<CountingObjectReactor> reactor;  // outlives the drawing that calls it
  OdDbDatabasePtr db = odDbCreateDatabase();
  OdDbObjectId id = addLine(db);
  {
    OdDbObjectPtr o = id.safeOpenObject(OdDb::kForWrite);
    o->addReactor(&reactor);
    o->erase();
  }
  EXPECT_EQ(reactor.erasedCount, 1);
  EXPECT_TRUE(id.isErased());
  OdDbObjectPtr o;
  EXPECT_EQ(id.openObject(o), eWasErased);
  o = id.openObject(OdDb::kForWrite, true);
  ASSERT_FALSE(o.isNull());
  o->erase(false);
  o = nullptr;
  EXPECT_FALSE(id.isErased());
  EXPECT_EQ(reactor.erasedCount, 2);

  OdDbBlockTableRecordPtr ms = db->getModelSpaceId().safeOpenObject();
  EXPECT_EQ(ms->entityIds().size(), 1u);
  EXPECT_EQ(db->numObjects(), 3u);  // dictionary, model space, line
}

TEST(DbObject, GoodbyeWhenDeleted) {
  OdStaticRxObject<CountingObjectReactor> reactor;
  {
    OdDbLinePtr line = OdDbLine::createObject();
    line->addReactor(&reactor);
  }
  EXPECT_EQ(reactor.goodbyeCount, 1);
}

}  // namespace

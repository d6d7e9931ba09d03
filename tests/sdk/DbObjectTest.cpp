// Drawing objects: the open/close protocol, assertions, modified and erase notifications.
#include <gtest/gtest.h>

#include "DbDatabase.h"
#include "DbEntity.h"
#include "DbTestSupport.h"

namespace {

OdDbObjectId addLine(OdDbDatabase* db) {
  OdDbBlockTableRecordPtr ms = db->getModelSpaceId().safeOpenObject(OdDb::kForWrite);
  return ms->appendOdDbEntity(OdDbLine::createObject());
}

TEST(DbObject, ReadersShareWriterExcludes) {
  OdDbDatabasePtr db = odDbCreateDatabase();
  OdDbObjectId id = addLine(db);
  OdDbObjectPtr r1 = id.openObject(OdDb::kForRead);
  OdDbObjectPtr r2 = id.openObject(OdDb::kForRead);
  ASSERT_FALSE(r2.isNull());
  EXPECT_FALSE(r1->isWriteEnabled());
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
  EXPECT_EQ(OdDbObjectId().openObject(w), eNullObjectId);
  // A new object in no drawing is open for write.
  OdDbCirclePtr circle = OdDbCircle::createObject();
  circle->setRadius(2);
  EXPECT_THROW(circle->setRadius(-1), OdError);
}

TEST(DbObject, ReactorsHearModifiedOnCloseAfterAChangeErasureAndGoodbye) {
  OdStaticRxObject<dbtest::CountingObjectReactor> reactor;  // outlives the drawing that calls it
  OdDbDatabasePtr db = odDbCreateDatabase();
  OdDbObjectId id = addLine(db);
  {
    OdDbObjectPtr o = id.safeOpenObject(OdDb::kForWrite);
    o->addReactor(&reactor);
    o->addReactor(&reactor);  // kept once
  }
  id.safeOpenObject(OdDb::kForRead);
  EXPECT_EQ(reactor.modifiedCount, 0);  // opened for write and read but not changed
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

  OdDbObjectPtr o = id.safeOpenObject(OdDb::kForWrite);
  o->erase();
  o = nullptr;
  EXPECT_EQ(reactor.erasedCount, 1);
  EXPECT_EQ(id.openObject(o), eWasErased);
  o = id.openObject(OdDb::kForWrite, true);
  ASSERT_FALSE(o.isNull());
  o->erase(false);
  o = nullptr;
  EXPECT_FALSE(id.isErased());
  EXPECT_EQ(reactor.erasedCount, 2);
  const int heard = reactor.modifiedCount;
  line = id.safeOpenObject(OdDb::kForWrite);
  line->removeReactor(&reactor);
  line->setColorIndex(4);
  line = nullptr;
  EXPECT_EQ(reactor.modifiedCount, heard);
  EXPECT_EQ(OdDbBlockTableRecordPtr(db->getModelSpaceId().safeOpenObject())->entityIds().size(),
            1u);

  OdDbLine::createObject()->addReactor(&reactor);
  EXPECT_EQ(reactor.goodbyeCount, 1);
}

}  // namespace

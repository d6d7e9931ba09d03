// DbProperties on drawing entities: which objects have a container, open-state checks, values
// through drawing files and through undo.
#include <gtest/gtest.h>

#include "DbDatabase.h"
#include "DbDictionary.h"
#include "DbEntity.h"
#include "Samples.h"
#include "ScratchDir.h"
#include "dbprops/DbProperties.h"

namespace {

OdDbObjectId addLine(OdDbDatabase* db) {
  OdDbLinePtr line = OdDbLine::createObject();
  OdDbObjectId id = db->addOdDbObject(line.get(), db->getModelSpaceId());
  line->close();
  return id;
}

// Every supported value type, each under its own name, with a typed id to `target`.
void storeAll(DbProperties* container, const OdDbObjectId& target) {
  int index = 0;
  for (const samples::TypeCase& c : samples::everyType())
    EXPECT_TRUE(container->setProperty(OdString::formatted(L"V%02d", index++), c.sample()));
  auto id = std::make_shared<DbPropertyContainer<OdDbTypedId>>(
      OdDbTypedId(target, OdDb::kHardPointerRef));
  id->setMapped(true);
  container->setProperty(L"Target", id);
  container->setProperty(L"Unset", DbPropertyType::get<OdString>().createProperty());
  container->attachInstancePropertySet(L"Fire~Safety");
}

std::vector<std::pair<OdString, std::vector<unsigned char>>> contents(const DbProperties* c) {
  std::vector<std::pair<OdString, std::vector<unsigned char>>> out;
  for (const auto& entry : *c)
    out.emplace_back(entry.first, samples::filed(*entry.second));
  return out;
}

}  // namespace

TEST(DbPropertiesOnObjects, EveryEntityHasAContainerOtherObjectsNone) {
  OdDbDatabasePtr db = odDbCreateDatabase();
  EXPECT_EQ(DbProperties::get(static_cast<const OdRxObject*>(nullptr)), nullptr);
  EXPECT_EQ(DbProperties::get(static_cast<OdRxObject*>(nullptr)), nullptr);
  EXPECT_EQ(DbProperties::get(static_cast<const OdRxObject*>(db.get())), nullptr);
  OdDbObjectPtr dictionary = db->getNamedObjectsDictionaryId().safeOpenObject(OdDb::kForWrite);
  EXPECT_EQ(DbProperties::get(dictionary.get()), nullptr);
  dictionary->close();

  OdDbObjectId lineId = addLine(db.get());
  {
    OdDbObjectPtr line = lineId.safeOpenObject(OdDb::kForRead);
    const DbProperties* shared = DbProperties::get(static_cast<const OdRxObject*>(line.get()));
    ASSERT_NE(shared, nullptr);  // none attached yet: the shared empty container
    EXPECT_EQ(shared->size(), 0u);
    // Attaching one needs the entity open for write.
    EXPECT_THROW(DbProperties::get(line.get()), OdError);
    line->close();
  }
  OdDbObjectPtr line = lineId.safeOpenObject(OdDb::kForWrite);
  DbProperties* container = DbProperties::get(line.get());
  ASSERT_NE(container, nullptr);
  EXPECT_EQ(DbProperties::get(line.get()), container);
  EXPECT_EQ(DbProperties::get(static_cast<const OdRxObject*>(line.get())), container);
  EXPECT_TRUE(
      container->setProperty(L"Width~Door", std::make_shared<DbPropertyContainer<double>>(1.0)));
  line->close();

  // Changes need write access; a cast through a read-open entity stores nothing.
  line = lineId.safeOpenObject(OdDb::kForRead);
  DbProperties* reading =
      const_cast<DbProperties*>(DbProperties::get(static_cast<const OdRxObject*>(line.get())));
  EXPECT_THROW(reading->setProperty(L"X", std::make_shared<DbPropertyContainer<double>>(2.0)),
               OdError);
  EXPECT_THROW(reading->resetProperty(L"Width~Door"), OdError);
  EXPECT_THROW(reading->attachInstancePropertySet(L"A~B"), OdError);
  std::shared_ptr<DbProperty> converted =
      reading->castProperty(L"Width~Door", DbPropertyType::get<OdString>());
  ASSERT_NE(converted, nullptr);
  OdString text;
  EXPECT_TRUE(converted->get(text));
  EXPECT_EQ(text, L"1");
  EXPECT_EQ(reading->getProperty(L"Width~Door")->type(), DbPropertyType::get<double>());
  line->close();
}

TEST(DbPropertiesOnObjects, ValuesTravelThroughDrawingFiles) {
  testsupport::ScratchDir dir;
  OdDbDatabasePtr db = odDbCreateDatabase();
  OdDbObjectId lineId = addLine(db.get());
  OdDbObjectId targetId = addLine(db.get());
  std::vector<std::pair<OdString, std::vector<unsigned char>>> before;
  {
    OdDbObjectPtr line = lineId.safeOpenObject(OdDb::kForWrite);
    storeAll(DbProperties::get(line.get()), targetId);
    before = contents(DbProperties::get(static_cast<const OdRxObject*>(line.get())));
    line->close();
  }
  EXPECT_EQ(before.size(), 97u);
  db->writeFile(dir.file("values.dwg"));

  OdDbDatabasePtr read = odDbCreateDatabase();
  read->readFile(dir.file("values.dwg"));
  OdDbObjectPtr line = read->getOdDbObjectId(lineId.handle()).safeOpenObject(OdDb::kForRead);
  const DbProperties* container = DbProperties::get(static_cast<const OdRxObject*>(line.get()));
  ASSERT_NE(container, nullptr);
  EXPECT_EQ(contents(container), before);
  EXPECT_EQ(container->instancePropertySets(), OdArray<OdString>{L"Fire~Safety"});

  OdDbTypedId target;
  auto stored = container->getProperty(L"Target");
  ASSERT_TRUE(stored->get(target));
  EXPECT_TRUE(stored->isMapped());
  EXPECT_EQ(target.refType(), OdDb::kHardPointerRef);
  EXPECT_EQ(target.database(), read.get());
  EXPECT_EQ(target.handle(), targetId.handle());
  EXPECT_FALSE(container->getProperty(L"Unset")->isSet());
  line->close();
}

TEST(DbPropertiesOnObjects, UndoRestoresValuesAndSetKeys) {
  OdDbDatabasePtr db = odDbCreateDatabase();
  OdDbObjectId lineId = addLine(db.get());
  std::vector<std::pair<OdString, std::vector<unsigned char>>> before;
  {
    OdDbObjectPtr line = lineId.safeOpenObject(OdDb::kForWrite);
    DbProperties* c = DbProperties::get(line.get());
    c->setProperty(L"Kept", std::make_shared<DbPropertyContainer<double>>(1.0));
    c->setProperty(L"Removed", std::make_shared<DbPropertyContainer<OdString>>(OdString(L"x")));
    c->attachInstancePropertySet(L"Fire~Safety");
    before = contents(c);
    line->close();
  }
  db->setUndoRecording(true);
  db->startUndoRecord();
  {
    OdDbObjectPtr line = lineId.safeOpenObject(OdDb::kForWrite);
    DbProperties* c = DbProperties::get(line.get());
    line->assertWriteEnabled();  // a value changed in place needs write access first
    c->getProperty(L"Kept")->set(2.0);
    c->resetProperty(L"Removed");
    c->setProperty(L"Added", std::make_shared<DbPropertyContainer<bool>>(true));
    c->castProperty(L"Kept", DbPropertyType::get<std::int32_t>());
    c->detachInstancePropertySet(L"Fire~Safety");
    line->close();
  }
  db->undo();
  OdDbObjectPtr line = lineId.safeOpenObject(OdDb::kForRead);
  const DbProperties* c = DbProperties::get(static_cast<const OdRxObject*>(line.get()));
  EXPECT_EQ(contents(c), before);
  EXPECT_EQ(c->instancePropertySets(), OdArray<OdString>{L"Fire~Safety"});
  line->close();
}

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

const DbProperties* reading(const OdDbObjectPtr& object) {
  return DbProperties::get(static_cast<const OdRxObject*>(object.get()));
}

}  // namespace

TEST(DbPropertiesOnObjects, EntitiesHaveContainersThatTravelThroughFilesAndUndo) {
  OdDbDatabasePtr db = odDbCreateDatabase();
  EXPECT_EQ(DbProperties::get(static_cast<OdRxObject*>(nullptr)), nullptr);
  EXPECT_EQ(DbProperties::get(static_cast<const OdRxObject*>(db.get())), nullptr);
  OdDbObjectPtr dictionary = db->getNamedObjectsDictionaryId().safeOpenObject(OdDb::kForWrite);
  EXPECT_EQ(DbProperties::get(dictionary.get()), nullptr);
  dictionary->close();

  OdDbObjectId lineId = addLine(db.get());
  OdDbObjectPtr line = lineId.safeOpenObject(OdDb::kForRead);
  ASSERT_NE(reading(line), nullptr);  // none attached yet: the shared empty container
  // Attaching one needs the entity open for write.
  EXPECT_THROW(DbProperties::get(line.get()), OdError);
  line->close();
  line = lineId.safeOpenObject(OdDb::kForWrite);
  DbProperties* container = DbProperties::get(line.get());
  ASSERT_NE(container, nullptr);
  EXPECT_EQ(reading(line), container);
  EXPECT_TRUE(
      container->setProperty(L"Width~Door", std::make_shared<DbPropertyContainer<double>>(1.0)));
  line->close();

  // Changes need write access; a cast through a read-open entity stores nothing.
  line = lineId.safeOpenObject(OdDb::kForRead);
  auto* readOnly = const_cast<DbProperties*>(reading(line));
  EXPECT_THROW(readOnly->resetProperty(L"Width~Door"), OdError);
  EXPECT_THROW(readOnly->attachInstancePropertySet(L"A~B"), OdError);
  std::shared_ptr<DbProperty> converted =
      readOnly->castProperty(L"Width~Door", DbPropertyType::get<OdString>());
  OdString text;
  ASSERT_TRUE(converted && converted->get(text));
  EXPECT_EQ(text, L"1");
  EXPECT_EQ(readOnly->getProperty(L"Width~Door")->type(), DbPropertyType::get<double>());
  line->close();

  // Every value type, a typed id to another line and a set key go through a drawing file; then
  // a change of each kind is undone.
  testsupport::ScratchDir dir;
  OdDbObjectId targetId = addLine(db.get());
  line = lineId.safeOpenObject(OdDb::kForWrite);
  container = DbProperties::get(line.get());
  int index = 0;
  for (const samples::TypeCase& t : samples::everyType())
    EXPECT_TRUE(container->setProperty(OdString::formatted(L"V%02d", index++), t.sample()));
  auto id = std::make_shared<DbPropertyContainer<OdDbTypedId>>(
      OdDbTypedId(targetId, OdDb::kHardPointerRef));
  id->setMapped(true);
  container->setProperty(L"Target", id);
  container->attachInstancePropertySet(L"Fire~Safety");
  const auto before = samples::filedOut(*container);
  line->close();
  db->writeFile(dir.file("values.dwg"));

  OdDbDatabasePtr read = odDbCreateDatabase();
  read->readFile(dir.file("values.dwg"));
  line = read->getOdDbObjectId(lineId.handle()).safeOpenObject(OdDb::kForRead);
  ASSERT_NE(reading(line), nullptr);
  EXPECT_EQ(samples::filedOut(*reading(line)), before);
  OdDbTypedId target;
  ASSERT_TRUE(reading(line)->getProperty(L"Target")->get(target));
  EXPECT_EQ(target.database(), read.get());
  EXPECT_EQ(target.handle(), targetId.handle());
  line->close();

  db->setUndoRecording(true);
  db->startUndoRecord();
  line = lineId.safeOpenObject(OdDb::kForWrite);
  container = DbProperties::get(line.get());
  line->assertWriteEnabled();  // a value changed in place needs write access first
  container->getProperty(L"V09")->set(2.0);
  container->resetProperty(L"V10");
  container->setProperty(L"Added", std::make_shared<DbPropertyContainer<bool>>(true));
  container->castProperty(L"V05", DbPropertyType::get<std::int64_t>());
  container->detachInstancePropertySet(L"Fire~Safety");
  line->close();
  db->undo();
  line = lineId.safeOpenObject(OdDb::kForRead);
  EXPECT_EQ(samples::filedOut(*reading(line)), before);
  line->close();
}

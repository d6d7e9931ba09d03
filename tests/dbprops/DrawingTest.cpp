// DbProperties on drawing entities: which objects have a container, open-state checks, values
// through drawing files and through undo.
#include <gtest/gtest.h>

#include <filesystem>

#include "DbDatabase.h"
#include "DbDictionary.h"
#include "DbEntity.h"
#include "Samples.h"
#include "dbprops/DbProperties.h"

namespace {

class TempDir {
 public:
  TempDir() {
    m_path = std::filesystem::temp_directory_path() /
             ("dbprops_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(m_path);
  }
  ~TempDir() { std::filesystem::remove_all(m_path); }
  OdString file(const char* name) const { return OdString((m_path / name).string().c_str()); }

 private:
  std::filesystem::path m_path;
};

OdDbObjectId addLine(OdDbDatabase* db) {
  OdDbLinePtr line = OdDbLine::createObject();
  OdDbObjectId id = db->addOdDbObject(line.get(), db->getModelSpaceId());
  line->close();
  return id;
}

// Every supported value type, each under its own name, with a typed id to `target`.
void storeAll(DbProperties* container, const OdDbObjectId& target) {
  int index = 0;
  auto store = [&](std::shared_ptr<DbProperty> value) {
    EXPECT_TRUE(container->setProperty(OdString::formatted(L"V%02d", index++), value));
  };
#define STORE_SINGLE_(T, C) \
  store(std::make_shared<DbPropertyContainer<T>>(samples::Sample<T>::get()));
#define STORE_ARRAY_(T, C) \
  store(std::make_shared<DbPropertyContainer<DbArray<T>>>(samples::Sample<DbArray<T>>::get()));
#define STORE_MAP_(K, KC, V, VC)                               \
  store(std::make_shared<DbPropertyContainer<std::map<K, V>>>( \
      samples::Sample<std::map<K, V>>::get()));
  DBPROPS_FOR_EACH_TYPE(STORE_SINGLE_, STORE_ARRAY_, STORE_MAP_)
#undef STORE_SINGLE_
#undef STORE_ARRAY_
#undef STORE_MAP_
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
  TempDir dir;
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
  ASSERT_EQ(container->instancePropertySets().size(), 1u);
  EXPECT_EQ(container->instancePropertySets()[0], L"Fire~Safety");

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
  {
    OdDbObjectPtr line = lineId.safeOpenObject(OdDb::kForWrite);
    DbProperties* c = DbProperties::get(line.get());
    c->setProperty(L"Kept", std::make_shared<DbPropertyContainer<double>>(1.0));
    c->setProperty(L"Removed", std::make_shared<DbPropertyContainer<OdString>>(OdString(L"x")));
    c->attachInstancePropertySet(L"Fire~Safety");
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
  ASSERT_EQ(c->size(), 2u);
  double kept = 0;
  ASSERT_TRUE(c->getProperty(L"Kept")->get(kept));
  EXPECT_EQ(kept, 1.0);
  OdString removed;
  ASSERT_TRUE(c->getProperty(L"Removed")->get(removed));
  EXPECT_EQ(removed, L"x");
  EXPECT_EQ(c->getProperty(L"Added"), nullptr);
  ASSERT_EQ(c->instancePropertySets().size(), 1u);
  line->close();
}

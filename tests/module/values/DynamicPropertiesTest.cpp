// DynamicProperties: the three runs and their filters, resetting and purging.
#include "sl_db/DynamicProperties.h"

#include <sqlite3.h>

#include "ValuesSupport.h"

using sl_db::DynamicProperties;
using sl_db::DynamicProperty;
using sl_db::PropertyKey;

namespace sltest {

namespace {

/// "key set kind" per property, the set "-" and the kind p, v or u (unbound).
std::vector<std::string> listing(const DynamicProperties& properties) {
  std::vector<std::string> out;
  for (const DynamicProperty& p : properties)
    out.push_back(p.propertyKey().str().toUtf8() + " " +
                  (p.propertySet() ? p.propertySet()->name().toUtf8() : "-") + " " +
                  (p.propertyDefinition() ? "p"
                   : p.valueDefinition()  ? "v"
                                          : "u"));
  return out;
}

}  // namespace

TEST_F(ValuesTest, CollectionListsMappedDefinedAndUnclaimedValuesInOrderAndPurgesTheUnclaimed) {
  OdDbObjectPtr line = lineId.openObject(OdDb::kForWrite);
  OdDbObjectPtr circle = circleId.openObject(OdDb::kForRead);  // no values: nothing attached
  DynamicProperties none(library, circle);
  EXPECT_EQ(listing(none), (std::vector<std::string>{"Radius~Struct Circle p"}));
  EXPECT_FALSE(none.isAnySet());
  EXPECT_EQ(DynamicProperties(nullptr, circle).count(), 0u);

  store_(line.get(), L"Sill~Arch", 1.0, true);  // mapped and defined: listed twice
  store_(line.get(), L"Ext~Other", 2.0, true);  // mapped, defined nowhere
  store_(line.get(), L"Width~Door", 3.0);       // unclaimed (the key is Door/Width)
  store_(line.get(), L"Note~Arch", OdString(L"n"));
  DynamicProperties all(library, line);
  const std::vector<std::string> expected = {
      "Ext~Other - u",    "Sill~Arch Trim p",    "Width~Arch Door p", "Height~Arch Door p",
      "Pos~Arch Door p",  "Note~Arch Door p",    "Area~Arch Door v",  "Width~Arch Frame v",
      "Sill~Arch Trim p", "Run~Arch Quantity v", "Top~Lim Limits p",  "Low~Lim Limits p",
      "Width~Door - u"};
  EXPECT_EQ(listing(all), expected);
  EXPECT_EQ(all.count(), expected.size());
  EXPECT_TRUE(all.isAnySet());

  // Filters list defined properties only: one set, or every set of a namespace; the set or
  // namespace read afresh from the store is the same one, the same ids of another library none.
  auto filtered = [&](const auto& by) { return listing(DynamicProperties(library, line, by)); };
  const std::vector<std::string> trimOnly = {"Sill~Arch Trim p"};
  auto trim = library->propertySet(wrapper->propertySet(PropertyKey(L"Arch", L"Trim"))->id());
  const unsigned archId = wrapper->propertyNamespace(L"Arch")->id();
  EXPECT_EQ(filtered(trim), trimOnly);
  EXPECT_EQ(filtered(library->storePropertySet(trim->id())), trimOnly);
  const std::vector<std::string> arch(expected.begin() + 2, expected.end() - 3);
  EXPECT_EQ(filtered(library->propertyNamespace(archId)), arch);
  EXPECT_EQ(filtered(library->storePropertyNamespace(archId)), arch);
  auto otherWrapper = sl_db::Library::get(makeLibrary(dir.file("other.stocklib")));
  auto other = sl_db::ILibrary::create<sl_db::Library>(otherWrapper);
  ASSERT_TRUE(other && other->storePropertySet(trim->id()));
  EXPECT_TRUE(filtered(other->storePropertySet(trim->id())).empty());
  EXPECT_TRUE(filtered(other->storePropertyNamespace(archId)).empty());
  EXPECT_EQ(listing(DynamicProperties(line, sl_db::StaticPropertiesTag())),
            (std::vector<std::string>{"Ext~Other - u", "Sill~Arch - u"}));

  // An attached per-instance set joins run 2 in the library's order of sets.
  DbProperties::get(line.get())->attachInstancePropertySet(L"Beam~Struct");
  EXPECT_EQ(listing(DynamicProperties(library, line))[10], "Load~Struct Beam p");

  // A filtered collection purges nothing (the full one below).
  DynamicProperties(library, line, trim).purgeValues();
  EXPECT_EQ(container(line.get()).size(), 4u);
  DynamicProperties copy = all;
  copy.resetAllValues();
  EXPECT_EQ(container(line.get()).size(), 0u);
  EXPECT_FALSE(all.isAnySet());

  // Definitions added and not saved yet (id 0) are each listed.
  for (const wchar_t* name : {L"Jamb", L"Head"})
    trim->appendPropertyDefinition(name, sl_db::PropertyType::Single(sl_db::PropertyType::kDouble));
  EXPECT_EQ(filtered(trim),
            (std::vector<std::string>{"Sill~Arch Trim p", "Jamb~Arch Trim p", "Head~Arch Trim p"}));

  // Renaming a definition in memory, without saving it, leaves its values unclaimed in the
  // listing; purging keeps them while the library file still defines their key.
  // Radius is defined for circles only, Door/Width nowhere.
  for (const wchar_t* name : {L"Sill~Arch", L"Area~Arch", L"Radius~Struct", L"Width~Door"})
    store_(line.get(), name, 3.0);
  library->propertyDefinition(wrapper->propertyDefinition(PropertyKey(L"Arch", L"Sill"))->id())
      ->setName(L"Threshold");
  library->valueDefinition(wrapper->valueDefinition(PropertyKey(L"Arch", L"Area"))->id())
      ->setName(L"Surface");
  DynamicProperties properties(library, line);
  const auto listed = listing(properties);
  EXPECT_EQ(std::vector<std::string>(listed.end() - 4, listed.end()),
            (std::vector<std::string>{"Area~Arch - u", "Radius~Struct - u", "Sill~Arch - u",
                                      "Width~Door - u"}));
  properties.purgeValues();
  EXPECT_EQ(container(line.get()).size(), 3u);
  EXPECT_FALSE(container(line.get()).getProperty(L"Width~Door"));
  library->reload();
  EXPECT_TRUE(reads(at(line, L"Sill"), 0.0, DynamicProperty::Ok, 3.0));

  // A library that can no longer be asked removes nothing; none at all, everything unclaimed.
  store_(line.get(), L"Width~Door", 6.0);
  DynamicProperties unasked(library, line);
  wrapper.reset();
  unasked.purgeValues();
  EXPECT_EQ(container(line.get()).size(), 4u);
  DynamicProperties(nullptr, line).purgeValues();
  EXPECT_EQ(container(line.get()).size(), 0u);
}

// A library file naming every set's entity type twice reaches each definition through two
// occurrences of its set: each is listed once all the same.
TEST_F(ValuesTest, DefinitionReachedTwiceIsListedOnce) {
  const OdString path = dir.file("twice.stocklib");
  ASSERT_TRUE(makeLibrary(path));  // closed again as the last holder lets go
  sqlite3* file = nullptr;
  ASSERT_EQ(sqlite3_open(path.toUtf8().c_str(), &file), SQLITE_OK);
  EXPECT_EQ(sqlite3_exec(file,
                         "INSERT INTO l_PropertySet_entity_types SELECT owner, pos + 100, item "
                         "FROM l_PropertySet_entity_types",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
  sqlite3_close(file);
  std::shared_ptr<stocklib::Library> opened = stocklib::LibraryManager::instance().open(path, true);
  auto twiceWrapper = sl_db::Library::get(opened);
  auto twice = sl_db::ILibrary::create<sl_db::Library>(twiceWrapper);
  ASSERT_TRUE(twice);
  OdDbObjectPtr line = lineId.openObject(OdDb::kForRead);
  const OdRxClass* cls = line->isA();
  ASSERT_EQ(twice->propertySets(cls).size(), 2 * library->propertySets(cls).size());
  EXPECT_EQ(listing(DynamicProperties(twice, line)), listing(DynamicProperties(library, line)));
}

}  // namespace sltest

// DynamicProperties: the three runs and their filters, resetting and purging, and values that a
// host sets on lines of a drawing, saves and reads back.
#include "sl_db/DynamicProperties.h"

#include "DocLibsSupport.h"
#include "ValuesSupport.h"

using sl_db::DynamicProperties;
using sl_db::DynamicProperty;
using sl_db::PropertyKey;

namespace sltest {

namespace {

/// "key set kind" per property, the set "-" and the kind p, v or u (unbound).
std::vector<std::string> listing(const DynamicProperties& properties) {
  std::vector<std::string> out;
  for (const DynamicProperty& p : properties) {
    out.push_back(p.propertyKey().str().toUtf8() + " " +
                  (p.propertySet() ? p.propertySet()->name().toUtf8() : "-") + " " +
                  (p.propertyDefinition() ? "p"
                   : p.valueDefinition()  ? "v"
                                          : "u"));
  }
  return out;
}

}  // namespace

TEST_F(ValuesTest, CollectionListsMappedDefinedAndUnclaimedValuesInOrder) {
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
      "Ext~Other - u",    "Sill~Arch Trim p", "Width~Arch Door p", "Height~Arch Door p",
      "Pos~Arch Door p",  "Note~Arch Door p", "Area~Arch Door v",  "Width~Arch Frame v",
      "Sill~Arch Trim p", "Width~Door - u"};
  EXPECT_EQ(listing(all), expected);
  EXPECT_EQ(all.count(), expected.size());
  EXPECT_TRUE(all.isAnySet());

  // Filters list defined properties only: one set, or every set of a namespace (two of Arch's
  // sets apply; the namespace object of each is the library's one).
  EXPECT_EQ(listing(DynamicProperties(library, line, set(L"Arch", L"Trim"))),
            (std::vector<std::string>{"Sill~Arch Trim p"}));
  auto arch = library->propertyNamespace(wrapper->propertyNamespace(L"Arch")->id());
  EXPECT_EQ(listing(DynamicProperties(library, line, arch)),
            (std::vector<std::string>(expected.begin() + 2, expected.end() - 1)));
  EXPECT_EQ(listing(DynamicProperties(line, sl_db::StaticPropertiesTag())),
            (std::vector<std::string>{"Ext~Other - u", "Sill~Arch - u"}));

  // An attached per-instance set joins run 2 in the library's order of sets.
  DbProperties::get(line.get())->attachInstancePropertySet(L"Beam~Struct");
  EXPECT_EQ(listing(DynamicProperties(library, line))[9], "Load~Struct Beam p");

  // A filtered collection purges nothing; the full one only the unclaimed values.
  DynamicProperties(library, line, set(L"Arch", L"Trim")).purgeValues();
  EXPECT_EQ(container(line.get()).size(), 4u);
  DynamicProperties(library, line).purgeValues();
  EXPECT_FALSE(container(line.get()).getProperty(L"Width~Door"));
  EXPECT_EQ(container(line.get()).size(), 3u);
  DynamicProperties copy = all;
  copy.resetAllValues();
  EXPECT_EQ(container(line.get()).size(), 0u);
  EXPECT_FALSE(all.isAnySet());
}

// However a caller obtained the set or namespace from the library, it narrows the same way; the
// same ids in another library match nothing.
TEST_F(ValuesTest, FiltersMatchTheSetOrNamespaceHoweverObtained) {
  OdDbObjectPtr line = lineId.openObject(OdDb::kForRead);
  const std::vector<std::string> trimOnly = {"Sill~Arch Trim p"};
  auto trim = set(L"Arch", L"Trim");
  const unsigned archId = wrapper->propertyNamespace(L"Arch")->id();
  std::vector<std::shared_ptr<sl_db::IPropertySet>> trims = {
      trim, library->propertySet(L"Trim", archId), library->storePropertySet(trim->id())};
  for (const auto& s : library->propertySets(library->storePropertyNamespace(archId)))
    if (s->name() == L"Trim") trims.push_back(s);
  ASSERT_EQ(trims.size(), 4u);
  for (const auto& s : trims)
    EXPECT_EQ(listing(DynamicProperties(library, line, s)), trimOnly);

  const auto archListing =
      listing(DynamicProperties(library, line, library->propertyNamespace(archId)));
  EXPECT_EQ(archListing.size(), 7u);
  std::vector<std::shared_ptr<sl_db::IPropertyNamespace>> archs = {
      library->storePropertyNamespace(archId)};
  for (const auto& ns : library->allPropertyNamespaces())
    if (ns->name() == L"Arch") archs.push_back(ns);
  ASSERT_EQ(archs.size(), 2u);
  for (const auto& ns : archs)
    EXPECT_EQ(listing(DynamicProperties(library, line, ns)), archListing);

  auto otherStore = makeLibrary(dir.file("other.stocklib"));
  ASSERT_TRUE(otherStore);
  auto otherWrapper = sl_db::Library::get(otherStore);
  auto other = sl_db::ILibrary::create<sl_db::Library>(otherWrapper);
  auto otherTrim = other->storePropertySet(trim->id());
  ASSERT_TRUE(otherTrim);
  EXPECT_EQ(otherTrim->name(), L"Trim");
  EXPECT_EQ(DynamicProperties(library, line, otherTrim).count(), 0u);
  EXPECT_EQ(DynamicProperties(library, line, other->storePropertyNamespace(archId)).count(), 0u);

  // Definitions added and not saved yet (id 0) are each listed.
  for (const wchar_t* name : {L"Jamb", L"Head"})
    trim->appendPropertyDefinition(name, sl_db::PropertyType::Single(sl_db::PropertyType::kDouble));
  EXPECT_EQ(listing(DynamicProperties(library, line, trim)),
            (std::vector<std::string>{"Sill~Arch Trim p", "Jamb~Arch Trim p", "Head~Arch Trim p"}));
}

// Renaming a definition in memory, without saving it, leaves its values unclaimed in the listing;
// purging keeps them while the library file still defines their key.
TEST_F(ValuesTest, PurgeKeepsValuesTheLibraryFileStillDefines) {
  OdDbObjectPtr line = lineId.openObject(OdDb::kForWrite);
  store_(line.get(), L"Sill~Arch", 3.0);
  store_(line.get(), L"Area~Arch", 4.0);
  store_(line.get(), L"Radius~Struct", 5.0);  // defined, for circles only
  store_(line.get(), L"Width~Door", 6.0);     // defined nowhere
  library->propertyDefinition(wrapper->propertyDefinition(PropertyKey(L"Arch", L"Sill"))->id())
      ->setName(L"Threshold");
  library->valueDefinition(wrapper->valueDefinition(PropertyKey(L"Arch", L"Area"))->id())
      ->setName(L"Surface");
  DynamicProperties properties(library, line);
  const auto all = listing(properties);
  EXPECT_EQ(std::vector<std::string>(all.end() - 4, all.end()),
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

// The module as a host loads it: the drawing's primary library (seeded with the shipped sets)
// defines the values of lines; two lines get values, the drawing is saved and reopened.
TEST_F(DocLibsTest, ValuesOfLinesSurviveSavingAndReopening) {
  // New primaries are seeded from the shipped support files.
  std::filesystem::create_directories(dir.path().toUtf8() + "/Support");
  for (const char* name : {"/stocklib.xml", "/stocklib_units.xml"})
    std::filesystem::copy_file(std::string(SL_SUPPORT_DIR) + name,
                               dir.path().toUtf8() + "/Support" + name);
  const OdString path = dir.file("values.dwg");
  std::vector<OdDbObjectId> lines;
  std::vector<OdDbHandle> handles;
  {
    OdDbDatabasePtr db = odDbCreateDatabase();
    auto wrapper = sl_db::docLibs(db)->primaryLibrary(true);
    ASSERT_TRUE(wrapper);
    auto library = sl_db::ILibrary::create<sl_db::Library>(wrapper);
    OdDbBlockTableRecordPtr space = db->getModelSpaceId().safeOpenObject(OdDb::kForWrite);
    for (double thickness : {200.0, 150.0}) {
      OdDbLinePtr line = OdDbLine::createObject();
      lines.push_back(space->appendOdDbEntity(line));
      EXPECT_EQ(DynamicProperty(library, line, PropertyKey(L"Geometry", L"Thickness"), true)
                    .setValue(thickness),
                DynamicProperty::Ok);
    }
    space = nullptr;
    OdDbObjectPtr second = lines[1].openObject(OdDb::kForWrite);
    EXPECT_EQ(DynamicProperty(library, second, PropertyKey(L"Geometry", L"Finish"), true)
                  .setValue(OdString(L"painted")),
              DynamicProperty::Ok);
    second = nullptr;
    for (const OdDbObjectId& id : lines)
      handles.push_back(id.handle());
    db->writeFile(path);
  }
  OdDbDatabasePtr db = odDbCreateDatabase();
  db->readFile(path);
  auto library = sl_db::ILibrary::create<sl_db::Library>(sl_db::docLibs(db)->primaryLibrary(false));
  ASSERT_TRUE(library);
  const double expected[] = {200.0, 150.0};
  for (std::size_t i = 0; i < 2; ++i) {
    OdDbObjectPtr line = db->getOdDbObjectId(handles[i]).openObject();
    auto bound = [&](const wchar_t* name) {
      return DynamicProperty(library, line, PropertyKey(L"Geometry", name), true);
    };
    EXPECT_TRUE(reads(bound(L"Thickness"), 0.0, DynamicProperty::Ok, expected[i]));
    // The default, else the stored value.
    EXPECT_TRUE(
        reads(bound(L"Finish"), OdString(), DynamicProperty::Ok, i == 0 ? L"none" : L"painted"));
    EXPECT_EQ(DynamicProperties(library, line).count(), 5u);
  }
}

}  // namespace sltest

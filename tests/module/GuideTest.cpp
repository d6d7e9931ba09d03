// The guide's snippets, built and run. Each region between "// guide: NAME" and "// guide: end"
// stands in docs/GUIDE.md as it is (check_guide.sh), so the guide shows code that works.
#include <filesystem>
#include <map>
#include <optional>
#include <string>

#include "DbDatabase.h"
#include "DbEntity.h"
#include "DocLibsSupport.h"
#include "sl_db/DynamicProperties.h"
#include "sl_db/ILibrary.h"
#include "sl_db/Library.h"
#include "sl_db/ProfileHelpers.h"
#include "sl_db/ProfileNames.h"
#include "sl_db/ValueText.h"

using sltest::DocLibsTest;

TEST_F(DocLibsTest, TheGuidesSnippetsRun) {
  const std::string shipped = dir.path().toUtf8() + "/metric.stocklib";
  std::filesystem::copy_file(std::string(SL_SUPPORT_DIR) + "/metric.stocklib", shipped);
  OdDbDatabasePtr db = odDbCreateDatabase();
  sl_db::DocumentLibraries* docs = sl_db::docLibs(db);
  ASSERT_TRUE(docs->openSecondary(OdString::fromUtf8(shipped)));
  OdDbBlockTableRecordPtr space = db->getModelSpaceId().safeOpenObject(OdDb::kForWrite);
  OdDbLinePtr line = OdDbLine::createObject();
  space->appendOdDbEntity(line);

  // guide: a set for lines
  std::shared_ptr<sl_db::Library> wrapper = sl_db::docLibs(db)->primaryLibrary(true);
  std::shared_ptr<sl_db::ILibrary> library = sl_db::ILibrary::create<sl_db::Library>(wrapper);
  auto office = stocklib::PropertyNamespace::create(L"Office")->save(wrapper->library());
  std::shared_ptr<sl_db::IPropertySet> walls =
      library->createPropertySet(library->storePropertyNamespace(office->id()), L"Walls");
  const bool listed = walls->insertEntityType(L"OdDbLine");  // false: it already was
  const auto text = sl_db::PropertyType::Single(sl_db::PropertyType::kString);
  walls->appendPropertyDefinition(L"Mark", text);
  walls->save(library);
  library->reload();  // until then, lines neither list nor bind the new set
  // guide: end
  EXPECT_TRUE(listed);
  ASSERT_EQ(library->propertySets(OdDbLine::desc()).size(), 1u);
  EXPECT_EQ(library->propertySets(OdDbLine::desc())[0]->name(), L"Walls");

  // guide: a profile by its full name
  std::optional<stocklib::ProfileKey> key =
      sl_db::parseProfileKey(*docs->secondaries().front(), L"EN 10365 HEA 200");
  auto hea = key ? docs->getAndSaveToPrimary<stocklib::Profile>(*key) : nullptr;
  // guide: end
  ASSERT_TRUE(hea);
  EXPECT_EQ(sl_db::fullProfileName(hea.get()), L"EN 10365 HEA 200");
  EXPECT_TRUE(docs->getFromPrimary<stocklib::Profile>(*key));

  ASSERT_EQ(sl_db::DynamicProperty(library, line, sl_db::PropertyKey(L"Office", L"Mark"), true)
                .setValue(OdString(L"W-01")),
            sl_db::DynamicProperty::Ok);
  std::map<std::string, std::string> shown;
  // guide: values as text
  for (const sl_db::DynamicProperty& property : sl_db::DynamicProperties(library, line))
    if (std::shared_ptr<const DbProperty> value = property.property())
      shown[property.propertyKey().str().toUtf8()] = sl_db::formatValue(*value);
  // guide: end
  EXPECT_EQ(shown, (std::map<std::string, std::string>{{"Mark~Office", "W-01"}}));
}

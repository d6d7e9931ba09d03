// Plain-text palette: categories by weight, values of each kind and state, children, read-only,
// the definitions a source lists and looks up.
#include "oa/PaletteText.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <tuple>

#include "DataRows.h"
#include "Fixtures.h"
#include "oa/PropertyCategory.h"

using fixtures::TestDefinition;
using fixtures::TestSource;
using fixtures::Wall;
using tdx::PropertyValue;

namespace {

KcSmartPtr<oa::PropertyCategory> category(const wchar_t* name, unsigned int weight) {
  return KcRxObjectImpl<oa::PropertyCategoryImpl>::createObject(
      ut::UUID::s_cURLNameSpace.generate(OdString(name)), OdString(name), OdString(name), weight,
      nullptr);
}

}  // namespace

TEST(PaletteText, SourceWithTwoDefinitionsAChildAndAnInapplicableOne) {
  auto identity = category(L"Identity", 5);
  auto geometry = category(L"Geometry", 1);
  TestDefinition::Spec name(
      L"Name", oa::PropType::String::getType(), [](const Wall& w) { return PropertyValue(w.name); },
      identity.get());
  TestDefinition::Spec height(
      L"Height", oa::PropType::Real::getType(),
      [](const Wall& w) {
        return w.hasHeight ? PropertyValue(w.height)
                           : PropertyValue(PropertyValue::kReal, 0, PropertyValue::kNoValue);
      },
      geometry.get());
  TestDefinition::Spec mm(L"HeightMm", oa::PropType::Unsigned::getType(), [](const Wall& w) {
    return w.hasHeight ? PropertyValue::integer(static_cast<std::int64_t>(w.height * 1000), 8)
                       : PropertyValue();
  });
  mm.label = L"Height in mm";
  mm.readOnly = true;
  height.children.push_back(mm);
  class NotApplicable : public TestDefinition {
   public:
    using TestDefinition::TestDefinition;
    bool isApplicable(const OdRxObject*, const OdRxObject*) const override { return false; }
  };
  auto source = OdRxObjectImpl<TestSource>::createObject(
      OdString(L"Walls"),
      std::vector<oa::PropertyDefinitionPtr>{
          TestDefinition::make(name), TestDefinition::make(height),
          KcRxObjectImpl<NotApplicable>::createObject(TestDefinition::Spec(L"Hidden"))});
  OdStaticRxObject<oa::PropertySourceManager> manager(
      OdString(L"TEST"), ut::UUID::s_cURLNameSpace.generate("http://test/palette"));
  manager.add(source);
  manager.add(OdRxObjectImpl<TestSource>::createObject(OdString(L"Custom"),
                                                       std::vector<oa::PropertyDefinitionPtr>{}));

  // The walls' part of the palette, with what the height rows show; the inapplicable definition
  // left out.
  auto walls = [](const wchar_t* height, const wchar_t* mm) {
    return OdString(L"[Walls]\n  Geometry\n    Height: ") + height + L"\n      Height in mm: " +
           mm + L"\n  Identity\n    Name: Outer wall\n";
  };
  fixtures::WallObject wall;
  EXPECT_EQ(oa::renderPaletteText(manager, &wall),
            walls(L"2.75", L"2750 (read-only)") + L"[Custom]\n");
  // A host's words and units; the unit only after a value.
  oa::PaletteTextStyle style;
  std::tie(style.noValue, style.readOnly) = std::make_tuple(L"kein Wert", L"(schreibgeschützt)");
  style.suffix = [](const oa::PropertyDefinition& d) {
    return OdString(d.globalName() == L"Height" ? L" m" : L"");
  };
  EXPECT_EQ(oa::renderPaletteText(manager, &wall, nullptr, style),
            walls(L"2.75 m", L"2750 (schreibgeschützt)") + L"[Custom]\n");
  wall.hasHeight = false;
  EXPECT_EQ(oa::renderSourceText(*source, &wall, nullptr, style),
            walls(L"kein Wert", L"kein Wert (schreibgeschützt)"));

  // Lookups include children; for an object only its applicable definitions, by class every one.
  oa::PropertyInfoArray infos;
  ASSERT_TRUE(source->getAllPropertyDefinitions(infos, &wall) && infos.size() == 3u);
  EXPECT_EQ(infos[2].parent, infos[1].definition);
  auto byName = source->getPropertyDefinition(&wall, OdString(L"HeightMm"));
  ASSERT_FALSE(byName.isNull());
  EXPECT_EQ(source->getPropertyDefinition(&wall, byName->GUID())->globalName(), L"HeightMm");
  EXPECT_TRUE(source->getPropertyDefinition(&wall, OdString(L"heightmm")).isNull());
  EXPECT_TRUE(source->getPropertyDefinition(&wall, OdString(L"Hidden")).isNull());
  EXPECT_FALSE(source->getPropertyDefinition(OdRxObject::desc(), OdString(L"Hidden")).isNull());
  EXPECT_FALSE(source->getPropertyDefinition(OdRxObject::desc(), byName->GUID()).isNull());
}

TEST(PaletteText, ValuesOfEachKindAndState) {
  fixtures::WallObject wall;
  oa::PaletteTextStyle german;
  std::tie(german.yes, german.no, german.varies) = std::make_tuple(L"Ja", L"Nein", L"variiert");
  const KcSmartPtr<const oa::Attribute> onOff(
      oa::BooleanValueAttribute::createObject(L"On", L"Off"));
  const KcSmartPtr<const oa::Attribute> items(oa::EnumerationAttribute::createObject(
      {{L"None", PropertyValue::integer(-1, 0x30)}, {L"Custom", PropertyValue::integer(2, 0x30)}}));
  const std::map<std::string, const oa::PropType*> types = {
      {"string", oa::PropType::String::getType()},
      {"real", oa::PropType::Real::getType()},
      {"integer", oa::PropType::Integer::getType()},
      {"unsigned", oa::PropType::Unsigned::getType()},
      {"boolean", oa::PropType::Boolean::getType()},
      {"on/off", oa::PropType::Boolean::getType()},
      {"enumeration", oa::PropType::Enumeration::getType()}};
  for (const auto& row : sltest::dataRows("palette-values.txt", 5)) {
    TestDefinition::Spec spec(L"P", types.at(row[0]));
    spec.extra = row[0] == "on/off" ? onOff : row[0] == "enumeration" ? items : nullptr;
    const PropertyValue::Kind kind = spec.type->valueKind();
    PropertyValue v = kind == PropertyValue::kBoolean  ? PropertyValue(row[1] == "1")
                      : kind == PropertyValue::kReal   ? PropertyValue(std::stod(row[1]))
                      : kind == PropertyValue::kString ? PropertyValue(OdString(row[1].c_str()))
                                                       : PropertyValue::integer(std::stoll(row[1]));
    v.setState(static_cast<std::uint32_t>(std::stoul(row[2], nullptr, 0)));
    auto d = TestDefinition::make(spec);
    EXPECT_EQ(oa::formatPaletteValue(*d, v, &wall, nullptr).toUtf8(), row[3]) << row[0];
    EXPECT_EQ(oa::formatPaletteValue(*d, v, &wall, nullptr, german).toUtf8(),
              row[4].empty() ? row[3] : row[4])
        << row[0];
  }
}

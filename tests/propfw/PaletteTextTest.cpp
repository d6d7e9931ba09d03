// Plain-text palette: categories by weight, values of each kind and state, children, read-only.
#include "oa/PaletteText.h"

#include <gtest/gtest.h>

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

TEST(PaletteText, SourceWithTwoDefinitionsAndAChild) {
  auto identity = category(L"Identity", 5);
  auto geometry = category(L"Geometry", 1);
  TestDefinition::Spec name = TestDefinition::spec(
      L"Name", oa::PropType::String::getType(), [](const Wall& w) { return PropertyValue(w.name); },
      identity.get());
  TestDefinition::Spec height = TestDefinition::spec(
      L"Height", oa::PropType::Real::getType(),
      [](const Wall& w) {
        return w.hasHeight ? PropertyValue(w.height)
                           : PropertyValue(PropertyValue::kReal, 0, PropertyValue::kNoValue);
      },
      geometry.get());
  TestDefinition::Spec mm =
      TestDefinition::spec(L"HeightMm", oa::PropType::Unsigned::getType(), [](const Wall& w) {
        return w.hasHeight ? PropertyValue::integer(static_cast<std::int64_t>(w.height * 1000), 8)
                           : PropertyValue();
      });
  mm.label = L"Height in mm";
  mm.readOnly = true;
  height.children.push_back(mm);

  auto source = OdRxObjectImpl<TestSource>::createObject(
      OdString(L"Walls"), std::vector<oa::PropertyDefinitionPtr>{TestDefinition::make(name),
                                                                 TestDefinition::make(height)});
  OdStaticRxObject<oa::PropertySourceManager> manager(
      OdString(L"TEST"), ut::UUID::s_cURLNameSpace.generate("http://test/palette"));
  manager.add(source);
  manager.add(OdRxObjectImpl<TestSource>::createObject(OdString(L"Custom"),
                                                       std::vector<oa::PropertyDefinitionPtr>{}));

  // The walls' part of the palette, with what the height rows show.
  auto walls = [](const wchar_t* height, const wchar_t* mm) {
    return OdString(L"[Walls]\n  Geometry\n    Height: ") + height + L"\n      Height in mm: " +
           mm + L"\n  Identity\n    Name: Outer wall\n";
  };
  fixtures::WallObject wall;
  EXPECT_EQ(oa::renderPaletteText(manager, &wall),
            walls(L"2.75", L"2750 (read-only)") + L"[Custom]\n");
  // A host's words and units; the unit only after a value.
  oa::PaletteTextStyle style;
  style.noValue = L"kein Wert";
  style.readOnly = L"(schreibgeschützt)";
  style.suffix = [](const oa::PropertyDefinition& d) {
    return OdString(d.globalName() == L"Height" ? L" m" : L"");
  };
  EXPECT_EQ(oa::renderPaletteText(manager, &wall, nullptr, style),
            walls(L"2.75 m", L"2750 (schreibgeschützt)") + L"[Custom]\n");
  wall.hasHeight = false;
  EXPECT_EQ(oa::renderSourceText(*source, &wall, nullptr, style),
            walls(L"kein Wert", L"kein Wert (schreibgeschützt)"));
}

TEST(PaletteText, ValuesOfEachKindAndState) {
  fixtures::WallObject wall;
  oa::PaletteTextStyle german;
  german.yes = L"Ja";
  german.no = L"Nein";
  german.varies = L"variiert";
  // What the definition of `spec` shows for `v`, and in German when that differs.
  auto expectShown = [&](const TestDefinition::Spec& spec, const PropertyValue& v,
                         const wchar_t* shown, const wchar_t* inGerman = nullptr) {
    auto d = TestDefinition::make(spec);
    EXPECT_EQ(oa::formatPaletteValue(*d, v, &wall, nullptr), shown);
    EXPECT_EQ(oa::formatPaletteValue(*d, v, &wall, nullptr, german), inGerman ? inGerman : shown);
  };
  TestDefinition::Spec spec = TestDefinition::spec(L"P");
  expectShown(spec, PropertyValue(L"abc"), L"abc");
  expectShown(spec, PropertyValue(PropertyValue::kString, 0, 1), L"no value");
  PropertyValue varies(L"abc");
  varies.setState(PropertyValue::kVaries | PropertyValue::kNoValue);
  expectShown(spec, varies, L"varies", L"variiert");

  spec.type = oa::PropType::Real::getType();
  expectShown(spec, PropertyValue(0.1), L"0.1");
  expectShown(spec, PropertyValue(-1e300), L"-1e+300");
  spec.type = oa::PropType::Integer::getType();
  expectShown(spec, PropertyValue::integer(-5), L"-5");
  spec.type = oa::PropType::Unsigned::getType();
  expectShown(spec, PropertyValue::integer(-1), L"18446744073709551615");

  // A host's words stand for the framework's own yes and no only.
  spec.type = oa::PropType::Boolean::getType();
  expectShown(spec, PropertyValue(true), L"Yes", L"Ja");
  expectShown(spec, PropertyValue(false), L"No", L"Nein");
  spec.extra =
      KcSmartPtr<const oa::Attribute>(oa::BooleanValueAttribute::createObject(L"On", L"Off"));
  expectShown(spec, PropertyValue(true), L"On");
  expectShown(spec, PropertyValue(false), L"Off");

  spec.type = oa::PropType::Enumeration::getType();
  spec.extra = KcSmartPtr<const oa::Attribute>(oa::EnumerationAttribute::createObject(
      {{L"None", PropertyValue::integer(-1, 0x30)}, {L"Custom", PropertyValue::integer(2, 0x30)}}));
  expectShown(spec, PropertyValue::integer(2, 0x30), L"Custom");
  expectShown(spec, PropertyValue::integer(-1, 0x30), L"None");
  expectShown(spec, PropertyValue::integer(9, 0x30), L"9");  // not an item
  expectShown(spec, PropertyValue(PropertyValue::kInteger, 2, 0x31), L"no value");
}

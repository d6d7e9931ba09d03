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

  TestDefinition::Spec name;
  name.name = L"Name";
  name.label = L"Name";
  name.category = identity.get();
  name.get = [](PropertyValue& v, const Wall& w) {
    PropertyValue(w.name).swap(v);
    return true;
  };
  name.set = [](Wall& w, const PropertyValue& v) { return v.get(w.name); };

  TestDefinition::Spec height;
  height.name = L"Height";
  height.label = L"Height";
  height.type = oa::PropType::Real::getType();
  height.category = geometry.get();
  height.get = [](PropertyValue& v, const Wall& w) {
    PropertyValue(w.hasHeight ? PropertyValue(w.height)
                              : PropertyValue(PropertyValue::kReal, 0, PropertyValue::kNoValue))
        .swap(v);
    return true;
  };
  TestDefinition::Spec mm;
  mm.name = L"HeightMm";
  mm.label = L"Height in mm";
  mm.type = oa::PropType::Unsigned::getType();
  mm.readOnly = true;
  mm.get = [](PropertyValue& v, const Wall& w) {
    if (!w.hasHeight) return false;
    v = PropertyValue::integer(static_cast<std::int64_t>(w.height * 1000), 8);
    return true;
  };
  height.children.push_back(mm);

  auto source = OdRxObjectImpl<TestSource>::createObject(
      OdString(L"Walls"), std::vector<oa::PropertyDefinitionPtr>{TestDefinition::make(name),
                                                                 TestDefinition::make(height)});
  auto empty = OdRxObjectImpl<TestSource>::createObject(
      OdString(L"Custom"), std::vector<oa::PropertyDefinitionPtr>{}, oa::PropertyOptions::kDynamic);
  OdStaticRxObject<oa::PropertySourceManager> manager(
      OdString(L"TEST"), ut::UUID::s_cURLNameSpace.generate("http://test/palette"));
  manager.add(source);
  manager.add(empty);

  // The walls' part of the palette, with what the height rows show.
  auto walls = [](const wchar_t* height, const wchar_t* mm) {
    return OdString(L"[Walls]\n  Geometry\n    Height: ") + height + L"\n      Height in mm: " +
           mm + L"\n  Identity\n    Name: Outer wall\n";
  };
  fixtures::WallObject wall;
  EXPECT_EQ(oa::renderPaletteText(manager, &wall),
            walls(L"2.75", L"2750 (read-only)") + L"[Custom]\n");
  wall.hasHeight = false;
  EXPECT_EQ(oa::renderSourceText(*source, &wall), walls(L"no value", L"no value (read-only)"));

  // A host's words and units; the unit only after a value.
  oa::PaletteTextStyle style;
  style.noValue = L"kein Wert";
  style.readOnly = L"(schreibgeschützt)";
  style.suffix = [](const oa::PropertyDefinition& d) {
    return OdString(d.globalName() == L"Height" ? L" m" : L"");
  };
  EXPECT_EQ(oa::renderSourceText(*source, &wall, nullptr, style),
            walls(L"kein Wert", L"kein Wert (schreibgeschützt)"));
  wall.hasHeight = true;
  EXPECT_EQ(oa::renderPaletteText(manager, &wall, nullptr, style),
            walls(L"2.75 m", L"2750 (schreibgeschützt)") + L"[Custom]\n");

  // Writing through the definition changes what the palette shows.
  auto nameDefinition = source->getPropertyDefinition(&wall, OdString(L"Name"));
  ASSERT_FALSE(nameDefinition.isNull());
  EXPECT_TRUE(nameDefinition->setValue(&wall, PropertyValue(L"Party wall"), nullptr));
  EXPECT_FALSE(nameDefinition->setValue(&wall, PropertyValue(1.0), nullptr));
  EXPECT_EQ(wall.name, L"Party wall");
}

TEST(PaletteText, ValuesOfEachKindAndState) {
  fixtures::WallObject wall;
  TestDefinition::Spec spec;
  spec.name = L"P";
  auto text = TestDefinition::make(spec);
  auto show = [&](const oa::PropertyDefinitionPtr& d, const PropertyValue& v) {
    return oa::formatPaletteValue(*d, v, &wall, nullptr);
  };
  EXPECT_EQ(show(text, PropertyValue(L"abc")), L"abc");
  EXPECT_EQ(show(text, PropertyValue(PropertyValue::kString, 0, 1)), L"no value");
  PropertyValue varies(L"abc");
  varies.setState(PropertyValue::kVaries | PropertyValue::kNoValue);
  EXPECT_EQ(show(text, varies), L"varies");

  spec.type = oa::PropType::Real::getType();
  auto real = TestDefinition::make(spec);
  EXPECT_EQ(show(real, PropertyValue(0.1)), L"0.1");
  EXPECT_EQ(show(real, PropertyValue(-1e300)), L"-1e+300");
  EXPECT_EQ(show(real, PropertyValue(1.0 / 3.0)), L"0.3333333333333333");

  spec.type = oa::PropType::Integer::getType();
  EXPECT_EQ(show(TestDefinition::make(spec), PropertyValue::integer(-5)), L"-5");
  spec.type = oa::PropType::Unsigned::getType();
  EXPECT_EQ(show(TestDefinition::make(spec), PropertyValue::integer(-1)), L"18446744073709551615");

  spec.type = oa::PropType::Boolean::getType();
  auto flag = TestDefinition::make(spec);
  EXPECT_EQ(show(flag, PropertyValue(true)), L"Yes");
  EXPECT_EQ(show(flag, PropertyValue(false)), L"No");
  spec.extra =
      KcSmartPtr<const oa::Attribute>(oa::BooleanValueAttribute::createObject(L"On", L"Off"));
  auto onOff = TestDefinition::make(spec);
  EXPECT_EQ(show(onOff, PropertyValue(true)), L"On");
  // A host's words stand for the framework's own yes and no only.
  oa::PaletteTextStyle german;
  german.yes = L"Ja";
  german.no = L"Nein";
  german.varies = L"variiert";
  EXPECT_EQ(oa::formatPaletteValue(*flag, PropertyValue(true), &wall, nullptr, german), L"Ja");
  EXPECT_EQ(oa::formatPaletteValue(*flag, PropertyValue(false), &wall, nullptr, german), L"Nein");
  EXPECT_EQ(oa::formatPaletteValue(*onOff, PropertyValue(false), &wall, nullptr, german), L"Off");
  EXPECT_EQ(oa::formatPaletteValue(*text, varies, &wall, nullptr, german), L"variiert");

  spec.type = oa::PropType::Enumeration::getType();
  spec.extra = KcSmartPtr<const oa::Attribute>(oa::EnumerationAttribute::createObject(
      {{L"None", PropertyValue::integer(-1, 0x30)}, {L"Custom", PropertyValue::integer(2, 0x30)}}));
  auto enumeration = TestDefinition::make(spec);
  EXPECT_EQ(show(enumeration, PropertyValue::integer(2, 0x30)), L"Custom");
  EXPECT_EQ(show(enumeration, PropertyValue::integer(-1, 0x30)), L"None");
  EXPECT_EQ(show(enumeration, PropertyValue::integer(9, 0x30)), L"9");  // not an item
  EXPECT_EQ(show(enumeration, PropertyValue(PropertyValue::kInteger, 2, 0x31)), L"no value");
}

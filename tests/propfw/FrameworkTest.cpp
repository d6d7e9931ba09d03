// Palette framework: runtime classes, attributes, default definition behaviour,
// and the source manager.
#include <gtest/gtest.h>

#include "Fixtures.h"
#include "oa/PropertyCategory.h"
#include "oa/PropertySourceManager.h"

using fixtures::TestDefinition;
using fixtures::TestSource;
using tdx::PropertyValue;

TEST(PropType, SharedInstancesOfDistinctRuntimeClasses) {
  const std::pair<const oa::PropType*, PropertyValue::Kind> types[] = {
      {oa::PropType::Boolean::getType(), PropertyValue::kBoolean},
      {oa::PropType::Enumeration::getType(), PropertyValue::kInteger},
      {oa::PropType::Integer::getType(), PropertyValue::kInteger},
      {oa::PropType::Real::getType(), PropertyValue::kReal},
      {oa::PropType::String::getType(), PropertyValue::kString},
      {oa::PropType::Unsigned::getType(), PropertyValue::kInteger}};
  for (const auto& [type, kind] : types) {
    EXPECT_TRUE(type->isKindOf(oa::PropType::desc()));
    EXPECT_EQ(type->valueKind(), kind) << type->isA()->name().toUtf8();
    for (const auto& other : types)
      EXPECT_EQ(type->isA() == other.first->isA(), type == other.first);
  }
  EXPECT_EQ(odrxClassDictionary()->getAt(L"oa::PropertyDefinition"),
            oa::PropertyDefinition::desc());
}

TEST(PropertyDefinition, EnumerationItemsCategoriesAndDefaultBehaviour) {
  auto enumeration =
      oa::EnumerationAttribute::createObject({{L"None", PropertyValue::integer(-1, 0x30)},
                                              {L"User defined", PropertyValue::integer(0, 0x30)},
                                              {L"None", PropertyValue::integer(5, 0x30)}});
  EXPECT_TRUE(enumeration->items().insert(L"Custom", PropertyValue::integer(2, 0x30)).second);
  EXPECT_FALSE(enumeration->items().insert(L"User defined", PropertyValue::integer(9)).second);
  // Kept in the order added, not by label, the second "None" dropped.
  std::vector<OdString> labels;
  for (const auto& item : enumeration->items())
    labels.push_back(item.first);
  EXPECT_EQ(labels, (std::vector<OdString>{L"None", L"User defined", L"Custom"}));

  ut::UUID id = ut::UUID::s_cURLNameSpace.generate("http://test/category");
  auto parent =
      KcRxObjectImpl<oa::PropertyCategoryImpl>::createObject(id, L"Root", L"Root", 1u, nullptr);
  auto category = KcRxObjectImpl<oa::PropertyCategoryImpl>::createObject(
      id.generate("child"), L"Physical Material", L"Material", 0u, parent.get());
  EXPECT_EQ(category->parent(), parent.get());
  EXPECT_EQ(parent->numRefs(), 2);  // the child keeps its parent

  TestDefinition::Spec spec(L"Kind", oa::PropType::Enumeration::getType());
  spec.extra = KcSmartPtr<const oa::Attribute>(enumeration);
  auto kind = TestDefinition::make(spec);
  fixtures::WallObject wall;
  EXPECT_TRUE(kind->validateValue(&wall, PropertyValue::integer(2), nullptr));
  EXPECT_FALSE(kind->validateValue(&wall, PropertyValue::integer(5), nullptr));  // no such item
  EXPECT_FALSE(kind->validateValue(&wall, PropertyValue(2.0), nullptr));         // wrong kind
  EXPECT_FALSE(
      kind->validateValue(&wall, PropertyValue::integer(0, PropertyValue::kVaries), nullptr));
  EXPECT_TRUE(kind->validateValue(&wall, PropertyValue(PropertyValue::kInteger, 0, 1), nullptr));
  // Only boolean definitions answer the shared yes/no labels by default.
  EXPECT_TRUE(kind->getAttribute(oa::BooleanValueAttribute::desc(), &wall, nullptr).isNull());
  spec.type = oa::PropType::Boolean::getType();
  EXPECT_EQ(TestDefinition::make(spec)
                ->getAttribute(oa::BooleanValueAttribute::desc(), &wall, nullptr)
                .get(),
            oa::BooleanValueAttribute::getYesNo());
  spec.type = oa::PropType::Enumeration::getType();
  spec.readOnly = true;
  EXPECT_FALSE(
      TestDefinition::make(spec)->validateValue(&wall, PropertyValue::integer(2), nullptr));
  EXPECT_EQ(kind->qualifiedName(), L"Kind");  // in no namespace
}

TEST(PropertySourceManager, RefusesDuplicatesAndReleasesWhatItRemoves) {
  OdStaticRxObject<oa::PropertySourceManager> manager(
      OdString(L"TEST"), ut::UUID::s_cURLNameSpace.generate("http://test/manager"));
  auto source = [](const wchar_t* name) {
    return oa::PropertySourcePtr(OdRxObjectImpl<TestSource>::createObject(
        OdString(name), std::vector<oa::PropertyDefinitionPtr>{}));
  };
  oa::PropertySourcePtr a = source(L"A"), b = source(L"B");
  EXPECT_TRUE(manager.add(a));
  EXPECT_TRUE(manager.add(b));
  EXPECT_FALSE(manager.add(a));
  EXPECT_FALSE(manager.add(source(L"A")));  // another source of a GUID already held
  EXPECT_FALSE(manager.add(oa::PropertySourcePtr()));
  ASSERT_EQ(manager.size(), 2u);
  EXPECT_TRUE(manager.remove(a.get()));
  EXPECT_FALSE(manager.remove(a.get()));
  EXPECT_EQ(a->numRefs(), 1);
}

// Palette framework: runtime classes, attributes, default definition behaviour,
// source lookups and the source manager.
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

TEST(Attributes, EnumerationYesNoAndCategory) {
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
}

TEST(PropertyDefinition, DefaultBehaviour) {
  TestDefinition::Spec spec(L"Kind", oa::PropType::Enumeration::getType());
  spec.extra = KcSmartPtr<const oa::Attribute>(oa::EnumerationAttribute::createObject(
      {{L"One", PropertyValue::integer(1, 0x30)}, {L"Two", PropertyValue::integer(2, 0x30)}}));
  auto kind = TestDefinition::make(spec);
  fixtures::WallObject wall;
  EXPECT_TRUE(kind->validateValue(&wall, PropertyValue::integer(2), nullptr));
  EXPECT_FALSE(kind->validateValue(&wall, PropertyValue::integer(3), nullptr));  // no such item
  EXPECT_FALSE(kind->validateValue(&wall, PropertyValue(2.0), nullptr));         // wrong kind
  EXPECT_FALSE(
      kind->validateValue(&wall, PropertyValue::integer(1, PropertyValue::kVaries), nullptr));
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
      TestDefinition::make(spec)->validateValue(&wall, PropertyValue::integer(1), nullptr));
  EXPECT_EQ(kind->qualifiedName(), L"Kind");  // in no namespace
}

TEST(PropertySource, WalksAndLookupsIncludeChildren) {
  TestDefinition::Spec height(L"Height");
  height.children.push_back(TestDefinition::Spec(L"HeightMm"));
  class NotApplicable : public TestDefinition {
   public:
    using TestDefinition::TestDefinition;
    bool isApplicable(const OdRxObject*, const OdRxObject*) const override { return false; }
  };
  OdRxObjectImpl<TestSource> source(
      OdString(L"Walls"),
      std::vector<oa::PropertyDefinitionPtr>{
          TestDefinition::make(height),
          KcRxObjectImpl<NotApplicable>::createObject(TestDefinition::Spec(L"Hidden"))});
  fixtures::WallObject wall;

  oa::PropertyInfoArray infos;
  EXPECT_TRUE(source.getAllPropertyDefinitions(infos, &wall));
  ASSERT_EQ(infos.size(), 2u);  // the inapplicable one is left out
  EXPECT_EQ(infos[0].definition->globalName(), L"Height");
  EXPECT_EQ(infos[0].level, 0u);
  EXPECT_EQ(infos[1].definition->globalName(), L"HeightMm");
  EXPECT_EQ(infos[1].level, 1u);
  EXPECT_EQ(infos[1].parent, infos[0].definition);

  auto byName = source.getPropertyDefinition(&wall, OdString(L"HeightMm"));
  ASSERT_FALSE(byName.isNull());
  EXPECT_EQ(source.getPropertyDefinition(&wall, byName->GUID())->globalName(), L"HeightMm");
  EXPECT_TRUE(source.getPropertyDefinition(&wall, OdString(L"heightmm")).isNull());
  EXPECT_TRUE(source.getPropertyDefinition(&wall, OdString(L"Hidden")).isNull());
  // By class, every definition counts, applicable or not.
  EXPECT_FALSE(source.getPropertyDefinition(OdRxObject::desc(), OdString(L"Hidden")).isNull());
  EXPECT_FALSE(source.getPropertyDefinition(OdRxObject::desc(), byName->GUID()).isNull());
  // Not a wall: the source gives nothing.
  OdRxObjectImpl<TestSource> other(OdString(L"x"), std::vector<oa::PropertyDefinitionPtr>{});
  EXPECT_FALSE(source.getAllPropertyDefinitions(infos, &other));
}

TEST(PropertySourceManager, KeepsOrderAndRefusesDuplicates) {
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
  EXPECT_EQ((*manager.begin())->name(), L"A");
  EXPECT_TRUE(manager.remove(a.get()));
  EXPECT_FALSE(manager.remove(a.get()));
  EXPECT_EQ(a->numRefs(), 1);
  EXPECT_EQ((*manager.begin())->name(), L"B");
}

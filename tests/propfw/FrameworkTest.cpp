// Palette framework: runtime classes, attributes, namespaces, default definition behaviour,
// source lookups and the source manager.
#include <gtest/gtest.h>

#include "Fixtures.h"
#include "oa/PropertyCategory.h"
#include "oa/PropertyNamespace.h"
#include "oa/PropertySourceManager.h"

using fixtures::TestDefinition;
using fixtures::TestSource;
using tdx::PropertyValue;

TEST(PropType, SharedInstancesOfDistinctRuntimeClasses) {
  const oa::PropType* types[] = {
      oa::PropType::Boolean::getType(), oa::PropType::Enumeration::getType(),
      oa::PropType::Integer::getType(), oa::PropType::Real::getType(),
      oa::PropType::String::getType(),  oa::PropType::Unsigned::getType()};
  const PropertyValue::Kind kinds[] = {PropertyValue::kBoolean, PropertyValue::kInteger,
                                       PropertyValue::kInteger, PropertyValue::kReal,
                                       PropertyValue::kString,  PropertyValue::kInteger};
  for (int i = 0; i < 6; ++i) {
    ASSERT_NE(types[i], nullptr);
    EXPECT_TRUE(types[i]->isKindOf(oa::PropType::desc()));
    EXPECT_EQ(types[i]->valueKind(), kinds[i]) << i;
    for (int j = 0; j < 6; ++j) {
      if (i != j) {
        EXPECT_NE(types[i]->isA(), types[j]->isA());
      }
    }
  }
  EXPECT_EQ(oa::PropType::Real::getType(), oa::PropType::Real::getType());
  EXPECT_EQ(oa::PropType::Real::desc()->name(), L"oa::PropType::Real");
  EXPECT_EQ(odrxClassDictionary()->getAt(L"oa::PropertyDefinition"),
            oa::PropertyDefinition::desc());
}

TEST(Attributes, EnumerationYesNoAndCategory) {
  auto enumeration =
      oa::EnumerationAttribute::createObject({{L"None", PropertyValue::integer(-1, 0x30)},
                                              {L"User defined", PropertyValue::integer(0, 0x30)},
                                              {L"None", PropertyValue::integer(5, 0x30)}});
  EXPECT_EQ(enumeration->items().size(), 2u);  // the second "None" is dropped
  EXPECT_TRUE(enumeration->items().insert(L"Custom", PropertyValue::integer(2, 0x30)).second);
  EXPECT_FALSE(enumeration->items().insert(L"User defined", PropertyValue::integer(9)).second);
  // Kept in the order added, not by label, and found by label.
  std::vector<OdString> labels;
  for (const auto& item : enumeration->items())
    labels.push_back(item.first);
  EXPECT_EQ(labels, (std::vector<OdString>{L"None", L"User defined", L"Custom"}));
  ASSERT_TRUE(enumeration->items().contains(L"Custom"));
  EXPECT_TRUE(enumeration->items().find(L"Custom")->second.sameContent(PropertyValue::integer(2)));
  OdString label;
  EXPECT_TRUE(enumeration->labelOf(PropertyValue::integer(2), label));
  EXPECT_EQ(label, L"Custom");
  EXPECT_TRUE(enumeration->labelOf(PropertyValue::integer(-1, 0x30), label));
  EXPECT_EQ(label, L"None");
  EXPECT_FALSE(enumeration->labelOf(PropertyValue::integer(7), label));
  EXPECT_TRUE(enumeration->isKindOf(oa::Attribute::desc()));
  EXPECT_EQ(enumeration->isA(), oa::EnumerationAttribute::desc());

  const oa::BooleanValueAttribute* yesNo = oa::BooleanValueAttribute::getYesNo();
  EXPECT_EQ(yesNo, oa::BooleanValueAttribute::getYesNo());
  EXPECT_EQ(yesNo->label(true), L"Yes");
  EXPECT_EQ(yesNo->label(false), L"No");

  ut::UUID id = ut::UUID::s_cURLNameSpace.generate("http://test/category");
  auto parent =
      KcRxObjectImpl<oa::PropertyCategoryImpl>::createObject(id, L"Root", L"Root", 1u, nullptr);
  auto category = KcRxObjectImpl<oa::PropertyCategoryImpl>::createObject(
      id.generate("child"), L"Physical Material", L"Material", 0u, parent.get());
  EXPECT_EQ(category->parent(), parent.get());
  EXPECT_EQ(parent->numRefs(), 2);  // the child keeps its parent
  OdStaticRxObject<oa::CategoryAttributeImpl> attribute(category.get());
  EXPECT_EQ(attribute.weight(), oa::CategoryAttribute::s_cDefaultPropertyWeight);
  EXPECT_EQ(attribute.category()->localName(), L"Material");
}

TEST(PropertyNamespace, QualifiedNamesNest) {
  OdStaticRxObject<oa::PropertyNamespaceImpl> root(OdString("Stocklib"));
  OdStaticRxObject<oa::PropertyNamespaceImpl> custom(OdString("Custom"), &root);
  EXPECT_EQ(custom.parent(), &root);
  EXPECT_EQ(custom.localName(), L"Custom");
  EXPECT_EQ(custom.qualifiedName(), L"Stocklib/Custom");
  TestDefinition::Spec spec;
  spec.name = L"MaterialFire";
  spec.ns = &custom;
  EXPECT_EQ(TestDefinition::make(spec)->qualifiedName(), L"Stocklib/Custom/MaterialFire");
  spec.ns = nullptr;
  EXPECT_EQ(TestDefinition::make(spec)->qualifiedName(), L"MaterialFire");
}

TEST(PropertyDefinition, DefaultBehaviour) {
  TestDefinition::Spec spec;
  spec.name = L"Kind";
  spec.type = oa::PropType::Enumeration::getType();
  spec.extra = KcSmartPtr<const oa::Attribute>(oa::EnumerationAttribute::createObject(
      {{L"One", PropertyValue::integer(1, 0x30)}, {L"Two", PropertyValue::integer(2, 0x30)}}));
  auto kind = TestDefinition::make(spec);
  fixtures::WallObject wall;
  EXPECT_EQ(kind->label(), L"Kind");  // no local name: the global one
  EXPECT_TRUE(kind->isApplicable(&wall, nullptr));
  EXPECT_TRUE(kind->description().isEmpty());
  EXPECT_TRUE(kind->getParent().isNull());
  EXPECT_TRUE(kind->validateValue(&wall, PropertyValue::integer(2), nullptr));
  EXPECT_FALSE(kind->validateValue(&wall, PropertyValue::integer(3), nullptr));  // no such item
  EXPECT_FALSE(kind->validateValue(&wall, PropertyValue(2.0), nullptr));         // wrong kind
  PropertyValue varies = PropertyValue::integer(1, PropertyValue::kVaries);
  EXPECT_FALSE(kind->validateValue(&wall, varies, nullptr));
  EXPECT_TRUE(kind->validateValue(&wall, PropertyValue(PropertyValue::kInteger, 0, 1), nullptr));

  spec.readOnly = true;
  EXPECT_FALSE(
      TestDefinition::make(spec)->validateValue(&wall, PropertyValue::integer(1), nullptr));
  // Boolean definitions answer the shared yes/no labels unless they say otherwise.
  TestDefinition::Spec flag;
  flag.name = L"Locked";
  flag.type = oa::PropType::Boolean::getType();
  auto locked = TestDefinition::make(flag);
  EXPECT_EQ(locked->getAttribute(oa::BooleanValueAttribute::desc(), &wall, nullptr).get(),
            oa::BooleanValueAttribute::getYesNo());
  EXPECT_TRUE(locked->getAttribute(oa::EnumerationAttribute::desc(), &wall, nullptr).isNull());
  EXPECT_TRUE(kind->getAttribute(oa::BooleanValueAttribute::desc(), &wall, nullptr).isNull());
}

TEST(PropertySource, WalksAndLookupsIncludeChildren) {
  TestDefinition::Spec height;
  height.name = L"Height";
  height.type = oa::PropType::Real::getType();
  TestDefinition::Spec child;
  child.name = L"HeightMm";
  height.children.push_back(child);
  TestDefinition::Spec hidden;
  hidden.name = L"Hidden";
  class NotApplicable : public TestDefinition {
   public:
    using TestDefinition::TestDefinition;
    bool isApplicable(const OdRxObject*, const OdRxObject*) const override { return false; }
  };
  oa::PropertyDefinitionPtr notApplicable =
      KcRxObjectImpl<NotApplicable>::createObject(hidden, nullptr);
  OdRxObjectImpl<TestSource> source(
      OdString(L"Walls"),
      std::vector<oa::PropertyDefinitionPtr>{TestDefinition::make(height), notApplicable});
  fixtures::WallObject wall;

  oa::PropertyInfoArray infos;
  EXPECT_TRUE(source.getAllPropertyDefinitions(infos, &wall));
  ASSERT_EQ(infos.size(), 2u);  // the inapplicable one is left out
  EXPECT_EQ(infos[0].definition->globalName(), L"Height");
  EXPECT_EQ(infos[0].level, 0u);
  EXPECT_EQ(infos[1].definition->globalName(), L"HeightMm");
  EXPECT_EQ(infos[1].level, 1u);
  EXPECT_EQ(infos[1].parent, infos[0].definition);
  EXPECT_EQ(infos[1].definition->getParent(), infos[0].definition);

  auto byName = source.getPropertyDefinition(&wall, OdString(L"HeightMm"));
  ASSERT_FALSE(byName.isNull());
  EXPECT_EQ(byName->globalName(), L"HeightMm");
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
  ut::UUID id = ut::UUID::s_cURLNameSpace.generate("http://test/manager");
  OdStaticRxObject<oa::PropertySourceManager> manager(OdString(L"TEST"), id);
  EXPECT_EQ(manager.name(), L"TEST");
  EXPECT_EQ(manager.GUID(), id);
  EXPECT_TRUE(manager.begin() == manager.end());
  oa::PropertySourcePtr a = OdRxObjectImpl<TestSource>::createObject(
      OdString(L"A"), std::vector<oa::PropertyDefinitionPtr>{});
  oa::PropertySourcePtr b = OdRxObjectImpl<TestSource>::createObject(
      OdString(L"B"), std::vector<oa::PropertyDefinitionPtr>{});
  EXPECT_TRUE(manager.add(a));
  EXPECT_TRUE(manager.add(b));
  EXPECT_FALSE(manager.add(a));
  EXPECT_FALSE(manager.add(oa::PropertySourcePtr()));
  ASSERT_EQ(manager.size(), 2u);
  EXPECT_EQ((*manager.begin())->name(), L"A");
  EXPECT_EQ(a->numRefs(), 2);
  EXPECT_TRUE(manager.remove(a.get()));
  EXPECT_FALSE(manager.remove(a.get()));
  EXPECT_EQ(a->numRefs(), 1);
  EXPECT_EQ((*manager.begin())->name(), L"B");
}

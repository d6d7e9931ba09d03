// The palette sources: one manager with both sources, option bits and class checks, the
// name-based identifiers, and the custom-value definitions.
#include "sl_db/PropertySources.h"

#include "palette/PaletteSupport.h"

using namespace paltest;
using stocklib::Composition;
using stocklib::CustomProperty;
using stocklib::Material;

TEST(PaletteSources, OneManagerHoldsTheStaticThenTheDynamicSourceListingByBitsAndClass) {
  oa::PropertySourceManager& manager = sl_db::stocklibPropertySources();
  EXPECT_EQ(manager.name(), L"STOCKLIB");
  ASSERT_EQ(manager.size(), 2u);
  KcSmartPtr<oa::PropertySource> first = *manager.begin(), second = *(manager.begin() + 1);
  EXPECT_EQ(first->name(), L"STOCKLIB-Static");
  EXPECT_EQ(second->name(), L"STOCKLIB-Dynamic");
  EXPECT_EQ(sl_db::createStocklibStaticPropertySource().get(), first.get());
  EXPECT_EQ(sl_db::createStocklibDynamicPropertySource().get(), second.get());
  // Emptied by someone else, it is given both again on the next call.
  manager.remove(first);
  manager.remove(second);
  EXPECT_EQ(sl_db::stocklibPropertySources().size(), 2u);

  oa::PropertySource *s = first.get(), *d = second.get();
  KcSmartPtr<CustomProperty> fire = CustomProperty::create(L"Fire", 0);
  KcSmartPtr<Material> material = Material::create(L"M");
  material->set_custom_value(fire, L"A1");
  KcSmartPtr<Material> derived = KcRxObjectImpl<DerivedMaterial>::createObject();
  derived->set_custom_value(fire, L"B");
  KcSmartPtr<Composition> composition = Composition::create(L"C");

  // The static source serves exactly Material and Composition, the dynamic one derived classes.
  const std::tuple<oa::PropertySource*, OdRxObject*, std::uint32_t, std::size_t> listed[] = {
      {s, material, 1, 23}, {s, composition, 1, 11}, {s, material, 2, 0},
      {s, derived, 1, 0},   {s, nullptr, 3, 0},      {s, fire, 3, 0},
      {d, material, 2, 1},  {d, material, 1, 0},     {d, derived, 2, 1}};
  for (const auto& [source, object, bits, count] : listed)
    EXPECT_EQ(definitions(*source, object, bits).size(), count) << source->name().toUtf8() << bits;
  // Appended to what the list holds.
  oa::PropertyDefinitionArray list = definitions(*s, material, 1);
  EXPECT_TRUE(d->getPropertyDefinitions(list, material, oa::PropertyOptions::Object(3)));
  EXPECT_EQ(list.size(), 24u);
  EXPECT_EQ(list[22]->globalName(), L"VariableThickness");
  EXPECT_EQ(list[23]->globalName(), L"MaterialFire");
}

// Expected identifiers were computed outside this code with Python's uuid module, once:
//   python3 -c "import uuid; print(uuid.uuid5(uuid.NAMESPACE_URL,
//               'http://sl-db.invalid/properties/sl_db/Stocklib'))"
// and, for "Name", uuid.uuid5(uuid.uuid5(uuid.NAMESPACE_URL,
//   'http://sl-db.invalid/properties/sl_db/Stocklib/definition'), 'Name'), likewise for
// "MaterialType" and for the custom root '.../Custom-Stocklib/definition'.
TEST(PaletteSources, IdentifiersAreNameBasedFromOurHost) {
  EXPECT_EQ(sl_db::stocklibPropertySources().GUID().toString(),
            L"cd1625de-30e5-533d-ae57-9e0d19c319f5");
  KcSmartPtr<Material> material = Material::create(L"M");
  KcSmartPtr<Composition> composition = Composition::create(L"C");
  oa::PropertyDefinitionPtr materialName = staticDefinition(material, L"Name");
  oa::PropertyDefinitionPtr compositionName = staticDefinition(composition, L"Name");
  EXPECT_EQ(materialName->GUID().toString(), L"4200a9da-0ea9-5306-a9dd-a55274e23505");
  EXPECT_EQ(compositionName->GUID(), materialName->GUID());
  EXPECT_EQ(staticDefinition(material, L"MaterialType")->GUID().toString(),
            L"111b31b3-5af0-5645-8473-c2e37c5c0da7");
  EXPECT_EQ(materialName->qualifiedName(), L"Stocklib/Name");

  KcSmartPtr<CustomProperty> name = CustomProperty::create(L"Name", 0);
  material->set_custom_value(name, L"x");
  auto custom = definitions(*sl_db::createStocklibDynamicPropertySource(), material, 2);
  ASSERT_EQ(custom.size(), 1u);
  EXPECT_EQ(custom[0]->GUID().toString(), L"7d91e8ba-3625-59a9-9f0d-2904a659024c");
  EXPECT_EQ(custom[0]->qualifiedName(), L"Stocklib/Custom/MaterialName");

  auto category = [](const oa::PropertyDefinitionPtr& def, const OdRxObject* o) {
    return oa::CategoryAttribute::cast(
               def->getAttribute(oa::CategoryAttribute::desc(), o, nullptr).get())
        ->category();
  };
  EXPECT_EQ(category(materialName, material)->globalName(), L"Physical Material");
  EXPECT_EQ(category(compositionName, composition)->globalName(), L"Composition");
  EXPECT_EQ(category(custom[0], material), category(materialName, material));
}

TEST(PaletteCustomValues, OneTextPerValueInMapOrderReadAndWrittenOnTheObject) {
  sltest::ScratchDir dir;
  auto library = stocklib::LibraryManager::instance().create(
      dir.file("c.stocklib"), stocklib::kLibraryUnitMillimeter, L"t");
  ASSERT_TRUE(library);
  KcSmartPtr<oa::PropertySource> d = sl_db::createStocklibDynamicPropertySource();
  auto b = CustomProperty::create(L"B", 0)->save(library),
       a = CustomProperty::create(L"A", 0)->save(library),
       c = CustomProperty::create(L"C", 0)->save(library);
  KcSmartPtr<Material> m1 = Material::create(L"M1"), m2 = Material::create(L"M2");
  KcSmartPtr<Composition> wall = Composition::create(L"W");
  EXPECT_TRUE(definitions(*d, m1, 2).empty());
  for (const auto& p : {b, c, a})
    m1->set_custom_value(p, p->name() + L"1");
  m2->set_custom_value(b, L"b2");
  wall->set_custom_value(b, L"w");

  auto defs = definitions(*d, m1, 2);
  ASSERT_EQ(defs.size(), 3u);
  EXPECT_TRUE(defs[0]->globalName() == L"MaterialA" && defs[1]->globalName() == L"MaterialB" &&
              defs[2]->globalName() == L"MaterialC");
  auto inWall = definitions(*d, wall, 2);
  EXPECT_EQ(definitions(*d, m2, 2)[0]->GUID(), defs[1]->GUID());
  EXPECT_EQ(inWall[0]->GUID(), defs[1]->GUID());
  EXPECT_EQ(inWall[0]->globalName(), L"CompositionB");
  EXPECT_EQ(read(defs[1], m2), Value(OdString(L"b2")));
  EXPECT_EQ(read(defs[1], wall).kind(), Value::kNone);  // a material's definition

  // Renamed, the label follows the property; the global name and identifier do not.
  const ut::UUID before = defs[1]->GUID();
  b->set_name(L"Fire");
  EXPECT_EQ(defs[1]->localName(), L"Fire");
  EXPECT_EQ(defs[1]->globalName(), L"MaterialB");
  EXPECT_EQ(defs[1]->GUID(), before);

  // An absent string clears; then it reads as a string without value.
  runWrites("custom", m1, [&](const OdString& name) {
    return *std::find_if(defs.begin(), defs.end(),
                         [&](auto& x) { return x->globalName() == name; });
  });
  EXPECT_FALSE(defs[1]->setValue(wall, Value(OdString(L"x")), nullptr));
  EXPECT_FALSE(m1->has_custom_value(b));
  EXPECT_EQ(definitions(*d, m1, 2).size(), 2u);
}

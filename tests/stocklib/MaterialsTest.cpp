// Materials with assets, patterns and custom values, and compositions with plies: saving,
// reading back, copying into another library (also of the other length unit) and removal.
#include "TestSupport.h"

using namespace stocklib;

namespace {
class Materials : public sltest::TempDir {
 protected:
  // A material with every kind of data, saved into `lib`.
  KcSmartPtr<Material> concrete(const std::shared_ptr<Library>& lib) {
    auto m = Material::create(L"Concrete C25/30");
    m->set_type(MaterialType::create(L"Concrete"));
    m->set_cut_pattern(Pattern(Pattern::kPredefined, L"CONCRETE", 2.0, 0.5, true));
    m->set_information_asset(InformationAsset::create(L"C25/30"));
    auto phys = PhysicalAsset::create(L"C25/30");
    phys->set_density(2400);
    phys->set_thermal_conductivity(2.0);
    m->set_physical_asset(phys);
    m->set_bim_asset(BimAsset::create(L"C25/30"));
    m->set_custom_value(CustomProperty::create(L"Reaction to fire", 0), L"A1");
    m->set_custom_value(CustomProperty::create(L"Mark", 0), L"C1");
    return m->save(lib);
  }
};
}  // namespace

TEST_F(Materials, MaterialsAndCompositionsReadBackEditAndAreRemovedOnlyWhenUnreferenced) {
  auto lib = library("m.stocklib");
  const uint32_t id = concrete(lib)->id();

  // Fields as such read back in the fixtures' round trip; here what refers to other objects.
  auto m = lib->get<Material>(NameKey(L"Concrete C25/30"));
  ASSERT_TRUE(m && m->type() && m->information_asset() && m->physical_asset() && m->bim_asset());
  EXPECT_EQ(m->type()->name(), L"Concrete");
  EXPECT_EQ(m->cut_pattern(), Pattern(Pattern::kPredefined, L"CONCRETE", 2.0, 0.5, true));
  EXPECT_EQ(m->surface_pattern(), Pattern());  // never set: none, scale 1

  // Custom values come ordered by the property's name.
  CustomValues values = m->custom_values();
  ASSERT_EQ(values.size(), 2u);
  EXPECT_EQ(values.begin()->first.name(), L"Mark");
  EXPECT_EQ(values.begin()->second, L"C1");
  auto fire = lib->get<CustomProperty>(NameTypeKey(L"Reaction to fire", 0));
  ASSERT_TRUE(fire);
  EXPECT_EQ(m->custom_value(fire), L"A1");

  // An Asset by kind and name.
  auto asset = lib->get<Asset>(AssetKey(ObjectType::BimAsset, L"C25/30"));
  EXPECT_EQ(asset ? asset->objectType() : ObjectType::None, ObjectType::BimAsset);
  EXPECT_FALSE(lib->get<Asset>(AssetKey(ObjectType::BimAsset, L"other")));

  // Edits of a loaded asset and of custom values are saved with the material.
  m->physical_asset()->set_specific_heat(1000);
  m->physical_asset()->clear_thermal_conductivity();
  EXPECT_TRUE(m->clear_custom_value(fire));
  EXPECT_FALSE(m->clear_custom_value(fire));
  auto mark = lib->get<CustomProperty>(NameTypeKey(L"Mark", 0));
  m->set_custom_value(mark, L"C2");
  m->save();
  m = lib->get<Material>(id);
  EXPECT_EQ(m->physical_asset()->specific_heat(), 1000);
  EXPECT_FALSE(m->physical_asset()->has_thermal_conductivity());
  ASSERT_EQ(m->custom_values().size(), 1u);
  EXPECT_EQ(m->custom_values().begin()->second, L"C2");

  // Compositions: plies in order, names unique within a kind.
  EXPECT_THROW(Material::create(L"Concrete C25/30")->save(lib), ObjectNotUnique);
  // The same name is free for an asset of another kind, not of the same kind.
  EXPECT_NO_THROW(PhysicalAsset::create(L"Concrete C25/30")->save(lib));
  EXPECT_THROW(BimAsset::create(L"C25/30")->save(lib), ObjectNotUnique);
  auto wool = Material::create(L"Mineral wool")->save(lib);
  auto c = Composition::create(L"Wall 300");
  c->set_composition_type(CompositionType::create(L"Curtain wall"));
  c->append_ply(wool, 100, kFunctionInsulation);
  c->insert_ply(0, m, 200, kFunctionStructure);
  c->append_ply(nullptr, 0.5, kFunctionMembrane);
  c->set_variable_ply(1);
  auto back = lib->get<Composition>(c->save(lib)->id());
  ASSERT_TRUE(back);
  ASSERT_EQ(back->plies_size(), 3u);
  EXPECT_EQ(back->ply(0)->material()->name(), L"Concrete C25/30");
  EXPECT_EQ(back->ply(1)->function(), kFunctionInsulation);
  EXPECT_FALSE(back->ply(2)->material());
  EXPECT_FALSE(back->ply(3));
  EXPECT_EQ(back->composition_type()->name(), L"Curtain wall");

  // Reordering and removing plies is saved; the dropped ply is deleted from the file.
  EXPECT_TRUE(back->swap_plies(0, 1));
  EXPECT_FALSE(back->swap_plies(0, 3));
  uint32_t dropped = back->ply(2)->id();
  EXPECT_TRUE(back->remove_ply(2));
  EXPECT_FALSE(back->remove_ply(2));
  back->clear_variable_ply();
  back->save();
  auto again = lib->get<Composition>(back->id());
  ASSERT_EQ(again->plies_size(), 2u);
  EXPECT_EQ(again->ply(0)->material()->name(), L"Mineral wool");
  EXPECT_FALSE(again->has_variable_ply());
  EXPECT_FALSE(lib->get<Ply>(dropped));

  EXPECT_EQ(lib->remove(m), Library::kStillReferenced);     // by the ply
  EXPECT_EQ(lib->remove(mark), Library::kStillReferenced);  // by the custom value
  EXPECT_EQ(lib->remove(m->type()), Library::kStillReferenced);
  EXPECT_EQ(lib->remove(again), Library::kRemoved);
  EXPECT_EQ(lib->remove(m), Library::kRemoved);  // its custom values go with it
  EXPECT_EQ(lib->remove(mark), Library::kRemoved);
}

TEST_F(Materials, CopiesIntoOtherLibrariesAndImpossibleValues) {
  auto mm = library("mm.stocklib");
  auto m = concrete(mm);
  auto c = Composition::create(L"Slab");
  c->append_ply(m, 254, kFunctionStructure);
  c->set_variable_ply(0);
  c->set_variable_ply_min_thickness(127);
  c->set_variable_ply_max_thickness(508);
  c = c->save(mm);

  // Into an inch library: the composition brings its material, the material its type, assets
  // and custom properties; lengths become inches, other values are kept.
  auto in = library("in.stocklib", kLibraryUnitInch);
  IdMapping mapping(in.get());
  auto copy = c->save(in, mapping);
  ASSERT_TRUE(copy);
  EXPECT_EQ(copy->ply(0)->thickness(), 10.0);
  EXPECT_EQ(copy->variable_ply_min_thickness(), 5.0);
  EXPECT_EQ(copy->variable_ply_max_thickness(), 20.0);
  auto copiedMaterial = copy->ply(0)->material();
  ASSERT_TRUE(copiedMaterial);
  EXPECT_EQ(copiedMaterial->library(), in);
  EXPECT_EQ(copiedMaterial->physical_asset()->density(), 2400);  // not a length
  EXPECT_EQ(copiedMaterial->cut_pattern().scale(), 2.0);
  EXPECT_EQ(copiedMaterial->custom_values().size(), 2u);
  EXPECT_EQ(mapping.get(ObjectType::Material, m->id()), copiedMaterial->id());
  EXPECT_EQ(c->ply(0)->thickness(), 254);  // the source is untouched

  // Copying again makes no duplicate: with the same mapping the copy is found again; with a
  // fresh one the material itself is refused, while what it refers to is reused.
  EXPECT_EQ(c->save(in, mapping)->id(), copy->id());
  IdMapping fresh(in.get());
  EXPECT_THROW(m->save(in, fresh), ObjectNotUnique);
  auto wall = Composition::create(L"Wall");
  wall->append_ply(m, 100);
  EXPECT_EQ(wall->save(mm)->save(in, fresh)->ply(0)->material()->id(), copiedMaterial->id());
  EXPECT_EQ(sltest::count<Material>(in), 1u);
  EXPECT_EQ(sltest::count<PhysicalAsset>(in), 1u);

  // Values no real object can have: an import refuses them, naming the element, field and value,
  // and keeps nothing; a file holding them (written behind the store's back) fails its check with
  // one line naming the object, the field and the value.
  const std::string good = std::string(SL_TEST_DATA_DIR) + "/impossible_values.xml";
  int n = 0;
  for (const auto& row : sltest::dataRows("impossible_values.txt", 5)) {
    const std::string &element = row[0], &field = row[1], &value = row[2], &problem = row[4];
    SCOPED_TRACE(element + " " + field + "=" + value);
    std::string name = "v" + std::to_string(n++) + ".stocklib";
    auto lib = library(name.c_str());
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_file(good.c_str()));
    pugi::xml_node root = doc.child("r");
    pugi::xml_node e = root.find_node([&](pugi::xml_node x) { return x.name() == element; });
    e.attribute(field.c_str()).set_value(value.c_str());
    std::string refused = sltest::thrown([&] { lib->importFromXml(root, {}); });
    if (problem.empty()) {
      EXPECT_EQ(refused, "");
      EXPECT_TRUE(lib->check().empty());
      continue;
    }
    EXPECT_NE(refused.find(problem), std::string::npos) << refused;
    EXPECT_EQ(refused.find('\n'), std::string::npos);
    EXPECT_FALSE(lib->get<Tag>(NameKey(L"ok")));
    // The good document, made bad in the file.
    ASSERT_TRUE(doc.load_file(good.c_str()));
    root = doc.child("r");
    lib->importFromXml(root, Library::ImportOptions());
    ASSERT_TRUE(lib->check().empty());
    lib.reset();
    std::string table = "o_" + element;
    sqlOn(name.c_str(), ("UPDATE " + table + " SET " + field + "=" + value +
                         " WHERE id=(SELECT min(id) FROM " + table + ")")
                            .c_str());
    // Readable all the same: a file someone else made opens, and check names the value.
    lib = LibraryManager::instance().openChecked(path(name.c_str())).value();
    std::vector<OdString> found = lib->check();
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].toUtf8(), row[3] + ": " + problem);
  }
}

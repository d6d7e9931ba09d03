// The fixed palette properties of materials and compositions: reading and writing rules,
// clearable values, read-only ones, pattern children, enumerations and composition types.
#include <wx/init.h>
#include <wx/translation.h>

#include <cstdio>
#include <cstdlib>

#include "palette/PaletteSupport.h"

using namespace paltest;
using stocklib::Composition;
using stocklib::Material;
using stocklib::Pattern;

namespace {

/// The global names of the children, each followed by a space; "refused" when not answered.
std::string childNames(const oa::PropertyDefinitionPtr& parent, const OdRxObject* o) {
  oa::PropertyDefinitionArray children;
  if (!parent->getChildren(children, o, oa::PropertyOptions::Object())) return "refused";
  OdString names;
  for (const auto& child : children) {
    EXPECT_EQ(child->getParent().get(), parent.get());
    names += child->globalName() + L" ";
  }
  return names.toUtf8();
}

/// The items of the definition's enumeration: label and value, in the attribute's order.
std::vector<std::pair<OdString, Value>> items(const oa::PropertyDefinitionPtr& d,
                                              const OdRxObject* o) {
  auto attribute = d->getAttribute(oa::EnumerationAttribute::desc(), o, nullptr);
  auto e = oa::EnumerationAttribute::cast(attribute.get());
  if (!e) return {};
  return {e->items().begin(), e->items().end()};
}

/// The labels of a new material's default-function and cut-pattern lists, each ending in ";".
std::string labels() {
  KcSmartPtr<Material> m = Material::create(L"Brick");
  OdString out;
  for (const wchar_t* name : {L"DefaultFunction", L"CutPatternType"})
    for (const auto& item : items(staticDefinition(m, name), m))
      out += item.first + L";";
  return out.toUtf8();
}

}  // namespace

TEST(PaletteMaterial, ValuesAreReadAndWrittenByKindAndPatternPartsAreReadOnlyChildren) {
  KcSmartPtr<Material> m = Material::create(L"Brick");
  runWrites("bare", m);
  m->set_information_asset(stocklib::InformationAsset::create(L"I"));
  m->set_physical_asset(stocklib::PhysicalAsset::create(L"P"));
  m->set_bim_asset(stocklib::BimAsset::create(L"B"));
  m->set_type(stocklib::MaterialType::create(L"Masonry"));
  runWrites("material", m);
  EXPECT_FALSE(m->physical_asset()->has_density() || m->information_asset()->has_unique_code());
  EXPECT_EQ(m->bim_asset()->default_function(), stocklib::kFunctionInsulation);
  // A material's definition refuses a composition.
  KcSmartPtr<Composition> c = Composition::create(L"Wall");
  EXPECT_FALSE(staticDefinition(m, L"Name")->setValue(c, Value(OdString(L"X")), nullptr));
  EXPECT_EQ(c->name(), L"Wall");

  // Pattern types show their parts as read-only children.
  auto cut = staticDefinition(m, L"CutPatternType"),
       surface = staticDefinition(m, L"SurfacePatternType");
  EXPECT_EQ(childNames(cut, nullptr),
            "CutPatternName CutPatternScale CutPatternAngle CutPatternCross ");
  EXPECT_EQ(childNames(cut, m), "");  // a default pattern is "none"
  EXPECT_EQ(childNames(cut, c), "refused");
  m->set_cut_pattern(Pattern(Pattern::kUserDefined, L"", 2.0, 0.5, true));
  m->set_surface_pattern(Pattern(Pattern::kCustom, L"BRICK", 3.0));
  EXPECT_EQ(childNames(cut, m), "CutPatternScale CutPatternAngle CutPatternCross ");
  EXPECT_EQ(childNames(surface, m), "SurfacePatternName SurfacePatternScale SurfacePatternAngle ");
  m->set_surface_pattern(Pattern(Pattern::kPredefined, L"SAND"));
  EXPECT_EQ(childNames(surface, m), "SurfacePatternName SurfacePatternScale SurfacePatternAngle ");
  m->set_surface_pattern(Pattern(3, L"ODD"));
  EXPECT_EQ(childNames(surface, m), "");

  oa::PropertyDefinitionArray children;
  cut->getChildren(children, m, oa::PropertyOptions::Object());
  EXPECT_EQ(read(children[0], m), Value(2.0));
  EXPECT_EQ(read(children[2], m), Value(true));
  for (const auto& d : {cut, children[0], children[2]})
    EXPECT_FALSE(d->setValue(m, read(d, m), nullptr));
  EXPECT_EQ(m->cut_pattern(), Pattern(Pattern::kUserDefined, L"", 2.0, 0.5, true));

  // Items keep the order they are added in: "None" first, whatever the labels sort to.
  EXPECT_EQ(labels(),
            "None;Structure;Substrate;Insulation;Finish 1;Finish 2;Membrane;"
            "None;User defined;Predefined;Custom;");
  EXPECT_EQ(items(staticDefinition(m, L"DefaultFunction"), m)[0].second, Value::integer(0, 0x30));
}

// The lists are translated once per process, so the German ones are read in a fresh one.
TEST(PaletteMaterial, EnumerationsKeepTheirOrderInGerman) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        wxInitialize();
        wxFileTranslationsLoader::AddCatalogLookupPathPrefix(SL_SUPPORT_DIR "/locale");
        auto* german = new wxTranslations;
        german->SetLanguage("de");
        german->AddCatalog("stocklib");
        wxTranslations::Set(german);
        std::fputs(labels().c_str(), stderr);
        wxTranslations::Set(nullptr);  // deletes the catalogue, which the sanitizer would report
        wxUninitialize();
        std::exit(0);
      },
      ::testing::ExitedWithCode(0),
      "Keine;Tragwerk;Untergrund;Dämmung;Oberfläche 1;Oberfläche 2;Membran;"
      "Keine;Benutzerdefiniert;Vordefiniert;Angepasst;");
}

TEST(PaletteComposition, TypesPlyNumbersAndThicknesses) {
  sltest::ScratchDir dir;
  auto library = stocklib::LibraryManager::instance().create(
      dir.file("c.stocklib"), stocklib::kLibraryUnitMillimeter, L"t");
  ASSERT_TRUE(library);
  auto frame = stocklib::CompositionType::create(L"Timber frame")->save(library);
  stocklib::CompositionType::create(L"slab")->save(library);
  KcSmartPtr<Composition> c = Composition::create(L"W")->save(library);
  auto type = staticDefinition(c, L"CompositionType");

  c->set_type(0);
  runWrites("composition", c);
  EXPECT_EQ(c->composition_type()->name(), L"slab");
  EXPECT_EQ(c->first_core_ply(), 4294967295u);
  // The enumeration: the four built-ins and, for a composition of a library, its types.
  auto listed = items(type, c);
  EXPECT_EQ(listed.size(), 6u);
  EXPECT_NE(std::find(listed.begin(), listed.end(),
                      std::make_pair(OdString(L"Timber frame"), Value(OdString(L"Timber frame")))),
            listed.end());
  EXPECT_EQ(items(type, Material::create(L"M")).size(), 4u);

  c->append_ply(nullptr, 100.0);
  c->append_ply(nullptr, 50.0);
  runWrites("plies", c);
  EXPECT_FALSE(c->has_variable_ply() || c->has_variable_ply_max_thickness());
}

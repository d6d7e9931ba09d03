// XML import and export: round trips of the shipped catalogues and of every kind of value, keep
// or replace, exports of chosen objects, and malformed documents that must leave the library
// unchanged (lengths in inches:
// Profiles.CopyImportScaleComparisonAndScalingBetweenInchAndMillimetre).
#include <cstdlib>

#include "TestSupport.h"
#include "stocklib/Translations.h"

using namespace stocklib;

using sltest::importXml;
using XmlFormat = sltest::TempDir;

namespace {
std::string source(const char* relative) {
  const char* dir = std::getenv("SL_SOURCE_DIR");
  return std::string(dir ? dir : ".") + "/" + relative;
}
}  // namespace

// Seeding itself is tested with the module; here the German catalogue built from the support
// folder, which must know every material type the template seeds.
TEST_F(XmlFormat, CataloguesAndEveryKindOfValueRoundTripAndMalformedDocumentsChangeNothing) {
  std::vector<std::shared_ptr<Library>> libs;
  for (const char* file : {"data/libraries/metric.xml", "data/libraries/imperial.xml",
                           "data/support/stocklib.xml", "data/support/stocklib_units.xml"}) {
    SCOPED_TRACE(file);
    auto a = library(("a" + std::to_string(libs.size())).c_str()),
         b = library(("b" + std::to_string(libs.size())).c_str());
    importXml(*a, source(file));
    std::string first = sltest::exportedText(*a);
    importXml(*b, first);
    EXPECT_EQ(sltest::exportedText(*b), first);
    libs.push_back(a);
  }

  // Chosen objects export with what they refer to.
  auto slab = libs[0]->get<Composition>(NameKey(L"Floor slab, floating screed"));
  pugi::xml_document out;
  pugi::xml_node top = out.append_child("stocklib");
  libs[0]->exportToXml(top, {KcSmartPtr<const Object>(slab)});
  auto part = library("part.stocklib");
  part->importFromXml(top, Library::ImportOptions());
  EXPECT_EQ(sltest::count<Composition>(part), 1u);
  EXPECT_EQ(sltest::count<Material>(part), 5u);  // the five materials of its plies
  EXPECT_EQ(sltest::count<Profile>(part), 0u);
  EXPECT_THROW(libs[0]->exportToXml(top, {KcSmartPtr<const Object>(Material::create(L"x"))}),
               Exception);

  std::vector<KcSmartPtr<MaterialType>> types;
  ASSERT_GT(libs[2]->get(types), 0u);
  OdString error, translated;
  auto de = Translations::loadMo(
      OdString::fromUtf8(std::string(SL_SUPPORT_DIR) + "/locale/de/LC_MESSAGES/stocklib.mo"),
      &error);
  ASSERT_TRUE(de) << error.toUtf8();
  for (const auto& t : types)
    EXPECT_TRUE(de->translate(t->name(), translated)) << t->name().toUtf8();
  ASSERT_TRUE(de->translate(L"Concrete", translated));
  EXPECT_EQ(translated, L"Beton");

  // Every kind of value round trips, kept or replaced.
  auto a = library("a.stocklib");
  auto b = library("b.stocklib");
  auto length = Measure::create(L"LENGTH")->save(a);
  auto mm = Unit::create(L"mm", 0.001, length);
  mm->set_label(OdString::fromUtf8("millimètre"));
  mm = mm->save(a);
  a->setDefaultUnit(mm);
  auto ns = PropertyNamespace::create(L"Safety");
  ns->set_visible(false);
  ns = ns->save(a);
  auto set = PropertySet::create(ns, L"Fire");
  set->insert_entity_type(L"AcDbWall");
  auto d = set->append_property_definition(L"Rating", PropertyType(3, 4, 10));
  d->set_unit(mm);
  d->set_default_double(0.1);
  d->set_type_spec(L"a<b>&\"c\"");
  set->append_value_definition(L"Len", PropertyType(1, 8))->set_value_spec(L"len()");
  set->save(a);
  // A set in no namespace: its definitions have none either.
  auto loose = PropertySet::create(nullptr, L"Loose");
  loose->append_property_definition(L"Note", PropertyType(1, 10));
  loose->save(a);
  Layer::create(L"L")->save(a);
  CustomProperty::create(L"C", 7)->save(a);

  std::string original = sltest::exportedText(*a);
  pugi::xml_document doc;
  ASSERT_TRUE(doc.load_string(original.c_str()));
  pugi::xml_node root = doc.first_child();
  root.prepend_child("meta").append_child("locale").text().set("fr");
  b->importFromXml(root, Library::ImportOptions());
  EXPECT_EQ(sltest::exportedText(*b), original);
  EXPECT_EQ(b->defaultUnit(L"LENGTH")->symbol(), L"mm");

  // Keep: an existing object stays as it is; replace: it takes the imported values, absent
  // ones too.
  auto layer = b->get<Layer>(NameKey(L"L"));
  layer->set_description(L"mine");
  layer->save();
  b->importFromXml(root, Library::ImportOptions());
  EXPECT_EQ(b->get<Layer>(NameKey(L"L"))->description(), L"mine");
  b->importFromXml(root, Library::ImportOptions{-1, true});
  EXPECT_FALSE(b->get<Layer>(NameKey(L"L"))->has_description());
  EXPECT_EQ(sltest::exportedText(*b), original);

  // Malformed documents name the element and change nothing.
  auto lib = library("x.stocklib");
  importXml(
      *lib,
      "<stocklib><MaterialType name='Metal'/><Material name='Steel' type='Metal'/></stocklib>");
  std::string before = sltest::exportedText(*lib);
  for (const auto& c : sltest::dataRows("malformed_xml.txt", 2)) {
    SCOPED_TRACE(c[0]);
    std::string message = sltest::thrown([&] { importXml(*lib, c[0]); });
    EXPECT_FALSE(message.empty());
    EXPECT_NE(message.find(c[1]), std::string::npos) << message;
    EXPECT_EQ(sltest::exportedText(*lib), before);
  }
  EXPECT_FALSE(lib->get<MaterialType>(NameKey(L"Wood")));
}

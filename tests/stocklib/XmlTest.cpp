// XML export and import: a library written out and read into an empty one writes out the same
// again; keep and replace of existing objects; damaged input changes nothing.
#include <pugixml.hpp>

#include "TestSupport.h"

using namespace stocklib;

namespace {
class Xml : public sltest::TempDir {
 protected:
  std::string text(const Library& lib) { return sltest::exportedText(lib); }
};
}  // namespace

TEST_F(Xml, ExportImportRoundTripKeepAndReplace) {
  auto a = LibraryManager::instance().create(path("a.stocklib"), kLibraryUnitMillimeter, L"");
  auto b = LibraryManager::instance().create(path("b.stocklib"), kLibraryUnitMillimeter, L"");
  ASSERT_TRUE(a && b);
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

  std::string original = text(*a);
  pugi::xml_document doc;
  ASSERT_TRUE(doc.load_string(original.c_str()));
  pugi::xml_node root = doc.first_child();
  root.prepend_child("meta").append_child("locale").text().set("fr");
  b->importFromXml(root, Library::ImportOptions());
  EXPECT_EQ(text(*b), original);
  auto fire = b->get<PropertySet>(
      DefinitionKey(L"Fire", b->get<PropertyNamespace>(NameKey(L"Safety"))->id()));
  ASSERT_TRUE(fire);
  EXPECT_EQ(fire->property_definitions()[0]->type_spec(), L"a<b>&\"c\"");
  EXPECT_DOUBLE_EQ(fire->property_definitions()[0]->default_double(), 0.1);
  EXPECT_EQ(fire->property_definitions()[0]->unit()->label(), OdString::fromUtf8("millimètre"));
  EXPECT_EQ(b->defaultUnit(L"LENGTH")->symbol(), L"mm");

  // Keep: an existing object stays as it is; replace: it takes the imported values.
  auto layer = b->get<Layer>(NameKey(L"L"));
  layer->set_description(L"mine");
  layer->save();
  b->importFromXml(root, Library::ImportOptions());
  EXPECT_EQ(b->get<Layer>(NameKey(L"L"))->description(), L"mine");
  Library::ImportOptions replace;
  replace.replace = true;
  b->importFromXml(root, replace);
  EXPECT_FALSE(b->get<Layer>(NameKey(L"L"))->has_description());
  EXPECT_EQ(text(*b), original);
}

TEST_F(Xml, DamagedInputChangesNothing) {
  auto lib = LibraryManager::instance().create(path("x.stocklib"), kLibraryUnitMillimeter, L"");
  ASSERT_TRUE(lib);
  const char* bad[] = {
      "<r><Tag name='ok'/><Nonsense/></r>",
      "<r><Tag name='ok'/><CustomProperty name='c' type='seven'/></r>",
      "<r><Tag name='ok'/><Unit name='m' measure='NOPE'/></r>",
      "<r><Tag name='ok'/><Tag name='x' colour='red'/></r>",
      "<r><Tag name='ok'/><AbstractDefinition name='x'/></r>",
      ("<r><Tag name='ok'/><PropertySet name='s'><entity_types><item key='none'/></entity_types>"
       "</PropertySet></r>"),
  };
  for (const char* xml : bad) {
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_string(xml));
    pugi::xml_node root = doc.first_child();
    EXPECT_THROW(lib->importFromXml(root, Library::ImportOptions()), Exception) << xml;
    EXPECT_FALSE(lib->get<Tag>(NameKey(L"ok"))) << xml;
  }
}

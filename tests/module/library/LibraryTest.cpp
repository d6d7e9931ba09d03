// The library wrapper: one shared wrapper per library, its lookups and indexes, the type-spec
// cache, typed access and unique names, on real library files.
#include "sl_db/Library.h"

#include <pugixml.hpp>

#include <functional>

#include "RxClass.h"
#include "TestSupport.h"

using namespace stocklib;
using sl_db::PropertyKey;
using sl_db::PropertySetList;

namespace {

std::vector<OdString> names(const PropertySetList& sets) {
  std::vector<OdString> out;
  for (const auto& s : sets)
    out.push_back(s ? s->name() : OdString(L"<null>"));
  return out;
}

OdRxClass* rxClass(const wchar_t* name) {
  return odrxClassDictionary()->getAt(name);
}

class LibraryTest : public ::testing::Test {
 protected:
  /// Every test starts from a.stocklib, filled, and its wrapper.
  void SetUp() override {
    fill(lib = create("a.stocklib"));
    w = sl_db::Library::get(lib);
  }
  std::shared_ptr<stocklib::Library> create(const char* name) {
    auto lib = LibraryManager::instance().create(dir.file(name), kLibraryUnitMillimeter, L"t");
    EXPECT_TRUE(lib) << lib.message().toUtf8();
    return lib;
  }
  // A set in `ns` applying to `types`, with one property and one value definition named
  // after the set.
  KcSmartPtr<PropertySet> addSet(const std::shared_ptr<stocklib::Library>& lib,
                                 const PropertyNamespace* ns, const OdString& name,
                                 std::initializer_list<const wchar_t*> types,
                                 bool perInstance = false) {
    auto set = PropertySet::create(ns, name);
    for (const wchar_t* t : types)
      set->insert_entity_type(t);
    set->set_per_instance(perInstance);
    set->append_property_definition(name + L"P", stocklib::PropertyType(1, 5));
    set->append_value_definition(name + L"V", stocklib::PropertyType(1, 9));
    return set->save(lib);
  }
  // Arch: Door (line, unregistered), Window (unregistered only), Wall (circle, per instance).
  // Struct: Beam (line, per instance), Column (line). Empty: no sets.
  void fill(const std::shared_ptr<stocklib::Library>& lib) {
    arch = PropertyNamespace::create(L"Arch")->save(lib);
    strukt = PropertyNamespace::create(L"Struct")->save(lib);
    empty = PropertyNamespace::create(L"Empty")->save(lib);
    addSet(lib, arch, L"Door", {L"OdDbLine", L"NoSuchClass"});
    addSet(lib, arch, L"Window", {L"NoSuchClass"});
    addSet(lib, arch, L"Wall", {L"OdDbCircle"}, true);
    addSet(lib, strukt, L"Beam", {L"OdDbLine"}, true);
    addSet(lib, strukt, L"Column", {L"OdDbLine"});
  }

  sltest::ScratchDir dir;
  KcSmartPtr<PropertyNamespace> arch, strukt, empty;
  std::shared_ptr<stocklib::Library> lib;
  std::shared_ptr<sl_db::Library> w;
};

}  // namespace

TEST_F(LibraryTest, OneWrapperPerLibraryWhileHeld) {
  EXPECT_FALSE(sl_db::Library::get(std::shared_ptr<stocklib::Library>()));
  ASSERT_TRUE(w && w->library() == lib);
  EXPECT_EQ(sl_db::Library::get(std::shared_ptr<const stocklib::Library>(lib)), w);
  auto fresh = create("b.stocklib");
  EXPECT_NE(sl_db::Library::get(fresh), w);
  // Released by every holder: the next get builds a new wrapper that sees the current content.
  std::weak_ptr<sl_db::Library> old = w;
  w.reset();
  EXPECT_TRUE(old.expired());
  fill(fresh);
  EXPECT_EQ(sl_db::Library::get(fresh)->propertySets().size(), 5u);
}

TEST_F(LibraryTest, NamespaceSetAndDefinitionLookups) {
  const PropertyNamespace* archNs = w->propertyNamespace(L"Arch");
  ASSERT_TRUE(archNs && archNs->id() == arch->id());
  EXPECT_FALSE(w->propertyNamespace(L"Empty") || w->propertyNamespace(L"arch"));  // Empty: no set
  std::vector<KcSmartPtr<const PropertyNamespace>> nss{KcSmartPtr<const PropertyNamespace>(empty)};
  w->propertyNamespaces(nss);  // appends
  ASSERT_EQ(nss.size(), 3u);
  EXPECT_TRUE(nss[1]->name() == L"Arch" && nss[2]->name() == L"Struct");
  EXPECT_EQ(w->propertySet(PropertyKey(L"Struct", L"Beam"))->name(), L"Beam");
  EXPECT_FALSE(w->propertySet(PropertyKey(L"Arch", L"Beam")) ||
               w->propertySet(PropertyKey(L"Struct", L"beam")));
  const PropertyDefinition* p = w->propertyDefinition(PropertyKey(L"Arch", L"DoorP"));
  const ValueDefinition* v = w->valueDefinition(PropertyKey(L"Struct", L"ColumnV"));
  ASSERT_TRUE(p && v);
  EXPECT_TRUE(w->propertyDefinition(p->id()) == p && w->valueDefinition(v->id()) == v);
  EXPECT_FALSE(w->propertyDefinition(PropertyKey(L"Struct", L"DoorP")) ||
               w->valueDefinition(PropertyKey(L"Arch", L"DoorP")) || w->valueDefinition(p->id()) ||
               w->propertyDefinition(v->id()));
  EXPECT_EQ(names(w->propertySets()),
            (std::vector<OdString>{L"Door", L"Window", L"Wall", L"Beam", L"Column"}));

  // One namespace object per namespace while the wrapper lives: sets, their definitions and
  // lookups by id answer the same object, so callers may compare namespaces by identity.
  const auto& sets = w->propertySets();
  EXPECT_EQ(sets[1]->property_namespace().get(), archNs);
  EXPECT_NE(sets[3]->property_namespace().get(), archNs);
  EXPECT_EQ(sets[0]->property_definitions()[0]->property_namespace().get(), archNs);
  EXPECT_EQ(sets[2]->value_definitions()[0]->property_namespace().get(), archNs);
  EXPECT_EQ(w->get<PropertyNamespace>(arch->id()).get(), archNs);
  EXPECT_EQ(w->get<PropertySet>(sets[1]->id()).get(), sets[1].get());
  ASSERT_EQ(lib->removeObject(lib->get<PropertySet>(sets[1]->id()).get()),
            stocklib::Library::kRemoved);
  EXPECT_FALSE(w->get<PropertySet>(sets[1]->id()));  // gone from the library: not answered
  EXPECT_EQ(w->get<PropertyNamespace>(empty->id()).get(),
            w->get<PropertyNamespace>(empty->id()).get());
}

TEST_F(LibraryTest, PropertySetsByNamespaceClassAndEnabledKeys) {
  const OdRxClass* line = rxClass(L"OdDbLine");
  const OdRxClass* circle = rxClass(L"OdDbCircle");
  ASSERT_TRUE(line && circle);
  const PropertyNamespace* none = nullptr;
  const OdArray<OdString> enabled{L"Beam~Arch", L"Beam~Struct"};
  using Query = std::function<void(PropertySetList&)>;
  // Each starts from a list holding one null entry: by namespace replaces it, the others append;
  // the set with only an unregistered type is in none, bases are not consulted, and per-instance
  // sets come by class only when enabled by key string.
  const std::pair<Query, std::vector<OdString>> cases[] = {
      {[&](auto& o) { w->propertySets(o, arch.get()); }, {L"Door", L"Window", L"Wall"}},
      {[&](auto& o) { w->propertySets(o, empty.get()); }, {L"<null>"}},
      {[&](auto& o) { w->propertySets(o, none); }, {L"<null>"}},
      {[&](auto& o) { w->propertySets(o, line); }, {L"<null>", L"Door", L"Beam", L"Column"}},
      {[&](auto& o) { w->propertySets(o, circle); }, {L"<null>", L"Wall"}},
      {[&](auto& o) { w->propertySets(o, rxClass(L"OdDbEntity")); }, {L"<null>"}},
      {[&](auto& o) { w->propertySets(o, static_cast<const OdRxClass*>(nullptr)); }, {L"<null>"}},
      {[&](auto& o) { w->propertySets(o, line, strukt.get()); }, {L"<null>", L"Beam", L"Column"}},
      {[&](auto& o) { w->propertySets(o, line, none); }, {L"<null>"}},
      {[&](auto& o) { w->propertySets(o, line, OdArray<OdString>()); },
       {L"<null>", L"Door", L"Column"}},
      {[&](auto& o) { w->propertySets(o, line, enabled); },
       {L"<null>", L"Door", L"Beam", L"Column"}},
  };
  for (const auto& [query, expected] : cases) {
    PropertySetList out{KcSmartPtr<const PropertySet>()};
    query(out);
    EXPECT_EQ(names(out), expected) << &query - &cases[0].first;
  }
}

TEST_F(LibraryTest, ChangesAreMissedUntilReloadOrImport) {
  addSet(lib, strukt, L"Slab", {L"OdDbLine"});
  EXPECT_FALSE(w->propertySet(PropertyKey(L"Struct", L"Slab")) ||
               w->propertyDefinition(PropertyKey(L"Struct", L"SlabP")));
  w->reload();
  EXPECT_TRUE(w->propertySet(PropertyKey(L"Struct", L"Slab")) &&
              w->propertyDefinition(PropertyKey(L"Struct", L"SlabP")));

  // importFromXml imports and rebuilds; a failed import keeps the library and the indexes.
  auto src = create("src.stocklib");
  addSet(src, PropertyNamespace::create(L"Extra")->save(src), L"Roof", {L"OdDbCircle"});
  pugi::xml_document doc, bad;
  pugi::xml_node root = doc.append_child("StockLibrary");
  src->exportToXml(root);
  w->importFromXml(root, stocklib::Library::ImportOptions());
  PropertySetList out;
  w->propertySets(out, rxClass(L"OdDbCircle"));
  EXPECT_TRUE(w->propertyNamespace(L"Extra"));
  EXPECT_EQ(names(out), (std::vector<OdString>{L"Wall", L"Roof"}));
  pugi::xml_node badRoot = bad.append_child("StockLibrary");
  badRoot.append_child("NoSuchThing");
  EXPECT_THROW(w->importFromXml(badRoot, {}), stocklib::Exception);
  EXPECT_EQ(w->propertySets().size(), 7u);
}

TEST_F(LibraryTest, TypeSpecCacheDropsChangedDefinitions) {
  auto def = [&](const wchar_t* ns, const wchar_t* name) {
    return const_cast<PropertyDefinition*>(w->propertyDefinition(PropertyKey(ns, name)));
  };
  auto *door = def(L"Arch", L"DoorP"), *beam = def(L"Struct", L"BeamP"),
       *column = def(L"Struct", L"ColumnP");
  door->set_type_spec(L"1;2");
  beam->set_type_spec(L"a;b");
  column->set_type_spec(L"3");

  auto& ints = w->typeSpecCache().get<int32_t>();
  auto& texts = w->typeSpecCache().get<OdString>();
  ASSERT_TRUE(ints.insert(door, {1, 2}));
  texts.insert(beam, {L"a", L"b"});
  ints.insert(column, {3});
  EXPECT_FALSE(ints.insert(nullptr, {4}));
  ASSERT_TRUE(ints.find(door) && *ints.find(door) == (std::set<int32_t>{1, 2}));
  EXPECT_EQ(w->typeSpecCache().get<double>().size(), 0u);  // one table per value type

  // A changed definition reports itself and loses its entry; notifications about other objects
  // are ignored.
  door->set_type_spec(L"1;2;3");
  EXPECT_FALSE(ints.find(door));
  ints.modified(arch.get());
  EXPECT_TRUE(ints.find(column));

  // A specification replaced behind the cache's back (no notification) is pruned on access.
  beam->removeReactor(&texts);
  beam->set_type_spec(L"a;b");  // equal text, not the same string
  EXPECT_TRUE(texts.find(beam));
  EXPECT_FALSE(w->typeSpecCache().get<OdString>().find(beam));

  // An entry whose definition nobody else holds any more is pruned too.
  {
    auto loose = PropertyDefinition::create(L"Loose", stocklib::PropertyType(1, 5));
    ints.insert(loose.get(), {7});
  }
  EXPECT_TRUE(ints.size() == 2 && w->typeSpecCache().get<int32_t>().size() == 1);

  // Removal from the library drops the entry as well.
  ASSERT_EQ(lib->removeObject(lib->get<PropertySet>(DefinitionKey(L"Column", strukt->id())).get()),
            stocklib::Library::kRemoved);
  w->reload();
  EXPECT_EQ(w->typeSpecCache().get<int32_t>().size(), 0u);
}

TEST_F(LibraryTest, UniqueNames) {
  for (const wchar_t* n : {L"Wall", L"Wall-2", L"Wall-5", L"Beam-", L"A-b", L"Plain-7x", L"-5"})
    w->save(PropertyNamespace::create(n));
  // A dash in front is a number suffix on an empty base.
  const std::pair<const wchar_t*, const wchar_t*> asked[] = {
      {L"Free", L"Free"},           {L"Wall-7", L"Wall-7"}, {L"Wall", L"Wall-3"},
      {L"Wall-2", L"Wall-3"},       {L"Beam-", L"Beam--2"}, {L"A-b", L"A-b-2"},
      {L"Plain-7x", L"Plain-7x-2"}, {L"-5", L"-2"}};
  for (const auto& [name, answer] : asked)
    EXPECT_EQ(w->uniqueName<PropertyNamespace>(NameKey(name)), answer);
  w->save(PropertyNamespace::create(L"Wall-3"));
  // Counting starts again at 2 from the base: Wall-5 taken, Wall-4 is the lowest free.
  EXPECT_EQ(w->uniqueName<PropertyNamespace>(NameKey(L"Wall-5")), L"Wall-4");
  EXPECT_EQ(w->uniqueName<Unit>(NameKey(L"Wall")), L"Wall");  // per type
  w->save(Unit::create(L"Wall-5", 1.0, nullptr));
  EXPECT_EQ(w->uniqueName<Unit>(NameKey(L"Wall-5")), L"Wall-2");

  // Definitions are unique within their namespace: the namespace part stays.
  auto a = w->save(PropertyNamespace::create(L"NsA"));
  auto b = w->save(PropertyNamespace::create(L"NsB"));
  auto set = PropertySet::create(a, L"S");
  set->append_property_definition(L"Width", stocklib::PropertyType(1, 9));
  w->save(set);
  EXPECT_EQ(w->uniqueName<PropertyDefinition>(DefinitionKey(L"Width", a->id())), L"Width-2");
  EXPECT_EQ(w->uniqueName<PropertyDefinition>(DefinitionKey(L"Width", b->id())), L"Width");
  EXPECT_EQ(w->uniqueName<ValueDefinition>(DefinitionKey(L"Width", a->id())), L"Width");
  EXPECT_EQ(w->uniqueName<PropertySet>(DefinitionKey(L"S", a->id())), L"S-2");
}

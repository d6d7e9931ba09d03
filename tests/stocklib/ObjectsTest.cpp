// Objects and their storage: property sets with ordered definitions and entity types, unique
// keys, criteria, polymorphic lookups, identity inside and outside a session, object reactors.
#include "TestSupport.h"

using namespace stocklib;

using Objects = sltest::TempDir;

static std::vector<OdString> names(const std::vector<KcSmartPtr<PropertyDefinition>>& defs) {
  std::vector<OdString> out;
  for (auto& d : defs)
    out.push_back(d->name());
  return out;
}

// Values of single fields read back in the fixtures' round trip; here the order and ownership
// of what a set holds.
TEST_F(Objects, PropertySetRoundTripWithOrderedDefinitions) {
  auto lib = library("o.stocklib");
  auto ns = PropertyNamespace::create(L"Safety");
  auto set = PropertySet::create(ns, L"Fire");
  EXPECT_TRUE(set->insert_entity_type(L"AcDbLine"));
  EXPECT_FALSE(set->insert_entity_type(L"AcDbLine"));
  EXPECT_TRUE(set->insert_entity_type(L"AcDbCircle"));
  auto rating = set->append_property_definition(L"Rating", PropertyType(1, 4));
  set->append_property_definition(L"Note", PropertyType(3, 18, 10));
  set->append_property_definition(L"Area", PropertyType(1, 8));
  set->append_value_definition(L"Length", PropertyType(1, 8))->set_value_spec(L"length()");
  EXPECT_TRUE(set->swap_property_definitions(0, 2));
  EXPECT_FALSE(set->swap_property_definitions(0, 3));

  EXPECT_EQ(set->save(lib), set);  // an unsaved object becomes the stored one
  EXPECT_EQ(set->library(), lib);
  EXPECT_NE(ns->id(), 0u);  // saved along
  EXPECT_EQ(rating->property_set_id(), set->id());
  EXPECT_EQ(rating->namespace_id(), ns->id());

  auto loaded = lib->get<PropertySet>(set->id());
  ASSERT_NE(loaded, set);  // no session: a fresh instance
  EXPECT_EQ(loaded->entity_type_names(), (std::vector<OdString>{L"AcDbLine", L"AcDbCircle"}));
  auto defs = loaded->property_definitions();
  EXPECT_EQ(names(defs), (std::vector<OdString>{L"Area", L"Note", L"Rating"}));
  EXPECT_EQ(defs[0]->property_namespace()->name(), L"Safety");
  ASSERT_EQ(loaded->value_definitions().size(), 1u);

  // Edit: remove one definition, reorder, drop an entity type, save, reload.
  EXPECT_TRUE(loaded->remove_property_definition(defs[1]));
  EXPECT_FALSE(loaded->remove_property_definition(defs[1]));
  EXPECT_TRUE(loaded->swap_property_definitions(0, 1));
  EXPECT_TRUE(loaded->remove_entity_type(L"AcDbLine"));
  EXPECT_FALSE(loaded->remove_entity_type(L"AcDbLine"));
  loaded->save();
  auto again = lib->get<PropertySet>(set->id());
  EXPECT_EQ(names(again->property_definitions()), (std::vector<OdString>{L"Rating", L"Area"}));
  EXPECT_EQ(again->entity_type_names(), (std::vector<OdString>{L"AcDbCircle"}));
  EXPECT_FALSE(lib->get<PropertyDefinition>(defs[1]->id()));  // deleted with the save
  EXPECT_TRUE(lib->get<EntityType>(NameKey(L"AcDbLine")));    // entity types live on
  {
    odb::session session;  // one object per row, by any key, list or base class
    auto a = lib->get<PropertySet>(set->id());
    EXPECT_EQ(a, lib->get<PropertySet>(DefinitionKey(L"Fire", ns->id())));
    auto first = a->property_definitions().at(0);
    std::vector<KcSmartPtr<PropertyDefinition>> all;
    lib->get<PropertyDefinition>(all);
    EXPECT_NE(std::find(all.begin(), all.end(), first), all.end());
    EXPECT_EQ(lib->get<AbstractDefinition>(first->id()).get(),
              static_cast<AbstractDefinition*>(first.get()));
    {
      odb::session inner;  // nests: a fresh identity map
      EXPECT_NE(lib->get<PropertySet>(set->id()), a);
    }
    EXPECT_EQ(lib->get<PropertySet>(set->id()), a);
  }
  EXPECT_FALSE(odb::session::has_current());
  again->clear_definitions();
  again->save();
  EXPECT_EQ(sltest::count<AbstractDefinition>(lib), 0u);
}

TEST_F(Objects, UniqueKeysLookupsCriteriaAndObjectReactors) {
  auto lib = library("o.stocklib");
  auto ns = PropertyNamespace::create(L"A")->save(lib);
  auto other = PropertyNamespace::create(L"B")->save(lib);
  EXPECT_THROW(PropertyNamespace::create(L"A")->save(lib), ObjectNotUnique);
  auto renamed = PropertyNamespace::create(L"C")->save(lib);
  renamed->set_name(L"A");
  EXPECT_THROW(renamed->save(), ObjectNotUnique);

  auto s1 = PropertySet::create(ns, L"Set");
  s1->append_property_definition(L"P", PropertyType(1, 1));
  s1->append_value_definition(L"P", PropertyType(1, 1));  // other class: no clash
  s1->save(lib);
  auto s2 = PropertySet::create(other, L"Set");  // same name, other namespace
  s2->append_property_definition(L"P", PropertyType(1, 1));
  s2->save(lib);
  auto s3 = PropertySet::create(ns, L"Set");
  EXPECT_THROW(s3->save(lib), ObjectNotUnique);
  EXPECT_EQ(s3->id(), 0u);  // a failed save leaves the object unsaved
  auto s4 = PropertySet::create(ns, L"Other");
  s4->append_property_definition(L"P", PropertyType(1, 1));  // same definition key in A
  EXPECT_THROW(s4->save(lib), ObjectNotUnique);
  EXPECT_FALSE(lib->get<PropertySet>(DefinitionKey(L"Other", ns->id())));

  auto p = lib->get<PropertyDefinition>(DefinitionKey(L"P", ns->id()));
  auto v = lib->get<ValueDefinition>(DefinitionKey(L"P", ns->id()));
  ASSERT_TRUE(p && v);
  EXPECT_NE(p->id(), v->id());
  EXPECT_EQ(lib->get<AbstractDefinition>(v->id())->objectType(), ObjectType::ValueDefinition);
  EXPECT_FALSE(lib->get<PropertyDefinition>(v->id()));  // an id of another type
  EXPECT_FALSE(lib->get<PropertySet>(0u));
  EXPECT_TRUE(lib->get<Object>(ns->id()));
  std::vector<KcSmartPtr<Object>> everything;
  // Namespaces A, B, C; two sets; three definitions; nothing of the refused saves.
  EXPECT_EQ(lib->get<Object>(everything), 8u);
  EXPECT_THROW(lib->get<PropertySet>(NameKey(L"Set")), Exception);  // wrong kind of key
  std::vector<KcSmartPtr<const PropertySet>> sets;
  EXPECT_EQ(lib->get<PropertySet>(sets, PropertySetCriteria(StringCriteria(), other->id())), 1u);
  EXPECT_EQ(sets[0]->namespace_id(), other->id());
  EXPECT_EQ(lib->get<PropertySet>(sets, PropertySetCriteria(StringCriteria(L"Se", 2), 0)), 2u);

  // The library's typed forms, with constant objects.
  KcSmartPtr<const Tag> constTag = lib->save<Tag>(KcSmartPtr<const Tag>(Tag::create(L"ct")));
  IdMapping mapping(lib.get());
  EXPECT_EQ(constTag->save(), constTag);  // into its own library: itself
  EXPECT_EQ(lib->save<Tag>(constTag, mapping), constTag);
  EXPECT_EQ(lib->remove<const Tag>(constTag), Library::kRemoved);
  EXPECT_THROW(lib->save<Tag>(KcSmartPtr<Tag>()), Exception);

  CustomProperty::create(L"Colour", 1)->save(lib);
  CustomProperty::create(L"Colour", 2)->save(lib);
  EXPECT_THROW(CustomProperty::create(L"Colour", 1)->save(lib), ObjectNotUnique);
  EXPECT_EQ(lib->get<CustomProperty>(NameTypeKey(L"Colour", 2))->type(), 2);

  // Every key that can be stored reads back as itself: the delimiter is refused in a name
  // without a namespace and in a namespace; with one, the last delimiter splits. (An import of
  // such a name is refused with the malformed documents.)
  EXPECT_THROW(PropertyNamespace::create(L"a~b")->save(lib), ConsistencyError);
  EXPECT_THROW(PropertyDefinition::create(L"x~a", PropertyType(1, 2))->save(lib), ConsistencyError);
  auto tilde = PropertySet::create(other, L"Tilde");
  tilde->append_property_definition(L"x~a", PropertyType(1, 2));
  tilde = tilde->save(lib);
  ASSERT_EQ(tilde->property_definitions().size(), 1u);
  EXPECT_EQ(tilde->property_definitions()[0]->name(), L"x~a");
  other->set_name(L"b~c");
  EXPECT_THROW(other->save(lib), ConsistencyError);

  // The store's query and the criteria's own test agree on every name and mode.
  const wchar_t* names[] = {L"Wall", L"wall", L"Wallpaper", L"Drywall", L"Stone"};
  for (const wchar_t* n : names)
    Layer::create(n)->save(lib);
  std::vector<KcSmartPtr<Layer>> out;
  const std::tuple<const wchar_t*, int, std::size_t> cases[] = {
      {L"", 0, 5},     {L"Wall", 1, 1}, {L"Wall", 2, 2},
      {L"all", 3, 4},  {L"Wall", 3, 2},  // found at the start too
      {L"WALL", 4, 2}, {L"Wall", 9, 0}};
  for (const auto& [text, mode, expected] : cases) {
    SCOPED_TRACE(OdString(text).toUtf8() + " mode " + std::to_string(mode));
    std::size_t matching = 0;
    for (const wchar_t* n : names)
      matching += StringCriteria(text, mode).matches(OdString(n));
    EXPECT_EQ(matching, expected);
    EXPECT_EQ(lib->get<Layer>(out, NameCriteria(text, mode)), expected);
  }
  EXPECT_THROW(lib->get<Layer>(out, UnitCriteria(1u, 1.0)), Exception);  // no such fields

  // Object reactors hear edits, saves and removals.
  struct Listener : ObjectReactor {
    std::vector<std::string> heard;
    void modified(const Object*) override { heard.push_back("modified"); }
    void saved(const Object*) override { heard.push_back("saved"); }
    void removed(const Object* o) override {
      heard.push_back("removed " + std::to_string(o->id()));
    }
  };
  auto tag = Tag::create(L"T");
  {
    Listener early;
    tag->addReactor(&early);
  }  // the reactor detached itself: nothing dangles
  tag->set_description(L"x");
  Listener l;
  tag->addReactor(&l);
  tag->addReactor(&l);
  tag->set_description(L"y");
  tag->save(lib);
  EXPECT_EQ(lib->remove(tag), Library::kRemoved);
  EXPECT_EQ(tag->id(), 0u);
  EXPECT_EQ(l.heard, (std::vector<std::string>{"modified", "saved", "removed 0"}));
  tag->removeReactor(&l);
  tag->set_description(L"z");
  EXPECT_EQ(l.heard.size(), 3u);

  // Object classes are registered while the library is loaded.
  EXPECT_EQ(odrxClassDictionary()->getAt(L"stocklib::PropertyDefinition"),
            PropertyDefinition::desc());
  EXPECT_TRUE(
      PropertyDefinition::create(L"d", PropertyType(1, 1))->isKindOf(AbstractDefinition::desc()));
  // The pseudo-constructor makes an empty object; an abstract class makes none.
  KcSmartPtr<PropertySet> made = PropertySet::createObject();
  ASSERT_TRUE(made);
  EXPECT_EQ(made->id(), 0u);
  EXPECT_FALSE(AbstractDefinition::desc()->create());
  EXPECT_EQ(objectTypeName(static_cast<ObjectType>(41)), L"ObjectType(41)");
}

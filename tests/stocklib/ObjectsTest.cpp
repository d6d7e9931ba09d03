// Objects and their storage: property sets with ordered definitions and entity types, unique
// keys, criteria, polymorphic lookups, identity inside and outside a session, object reactors.
#include "TestSupport.h"
#include "odb/session.hxx"

using namespace stocklib;

namespace {
class Objects : public sltest::TempDir {
 protected:
  void SetUp() override {
    TempDir::SetUp();
    lib = LibraryManager::instance().create(path("o.stocklib"), kLibraryUnitMillimeter, L"");
    ASSERT_TRUE(lib);
  }
  void TearDown() override {
    lib.reset();
    TempDir::TearDown();
  }
  std::shared_ptr<Library> lib;
};

std::vector<OdString> names(const std::vector<KcSmartPtr<PropertyDefinition>>& defs) {
  std::vector<OdString> out;
  for (auto& d : defs)
    out.push_back(d->name());
  return out;
}
}  // namespace

TEST_F(Objects, PropertySetRoundTripWithOrderedDefinitions) {
  auto ns = PropertyNamespace::create(L"Safety");
  ns->set_label(L"Safety label");
  ns->set_editable(false);
  auto set = PropertySet::create(ns, L"Fire");
  EXPECT_EQ(set->id(), 0u);
  EXPECT_FALSE(set->library());
  set->set_per_instance(true);
  EXPECT_TRUE(set->insert_entity_type(L"AcDbLine"));
  EXPECT_FALSE(set->insert_entity_type(L"AcDbLine"));
  EXPECT_TRUE(set->insert_entity_type(L"AcDbCircle"));
  auto rating = set->append_property_definition(L"Rating", PropertyType(1, 4));
  rating->set_default_int(30);
  rating->set_type_spec(L"30;60;90");
  auto note = set->append_property_definition(L"Note", PropertyType(3, 18, 10));
  note->set_default_string(L"none");
  note->set_default_bool(true);
  set->append_property_definition(L"Area", PropertyType(1, 8))->set_default_double(2.5);
  set->append_value_definition(L"Length", PropertyType(1, 8))->set_value_spec(L"length()");
  EXPECT_TRUE(set->swap_property_definitions(0, 2));
  EXPECT_FALSE(set->swap_property_definitions(0, 3));

  KcSmartPtr<PropertySet> stored = set->save(lib);
  EXPECT_EQ(stored, set);  // an unsaved object becomes the stored one
  EXPECT_NE(set->id(), 0u);
  EXPECT_EQ(set->library(), lib);
  EXPECT_NE(ns->id(), 0u);  // saved along
  EXPECT_NE(rating->id(), 0u);
  EXPECT_EQ(rating->property_set_id(), set->id());
  EXPECT_EQ(rating->namespace_id(), ns->id());

  auto loaded = lib->get<PropertySet>(set->id());
  ASSERT_TRUE(loaded);
  EXPECT_NE(loaded, set);  // no session: a fresh instance
  EXPECT_EQ(loaded->name(), L"Fire");
  EXPECT_TRUE(loaded->per_instance());
  EXPECT_TRUE(loaded->visible());
  EXPECT_EQ(loaded->property_namespace()->label(), L"Safety label");
  EXPECT_FALSE(loaded->property_namespace()->editable());
  EXPECT_EQ(loaded->entity_type_names(), (std::vector<OdString>{L"AcDbLine", L"AcDbCircle"}));
  EXPECT_EQ(names(loaded->property_definitions()),
            (std::vector<OdString>{L"Area", L"Note", L"Rating"}));
  auto defs = loaded->property_definitions();
  EXPECT_EQ(defs[2]->default_int(), 30);
  EXPECT_EQ(defs[2]->type_spec(), L"30;60;90");
  EXPECT_FALSE(defs[2]->has_default_string());
  EXPECT_TRUE(defs[1]->type() == PropertyType(3, 18, 10));
  EXPECT_TRUE(defs[1]->default_bool());
  EXPECT_EQ(defs[1]->default_string(), L"none");
  EXPECT_DOUBLE_EQ(defs[0]->default_double(), 2.5);
  EXPECT_EQ(defs[0]->property_namespace()->name(), L"Safety");
  ASSERT_EQ(loaded->value_definitions().size(), 1u);
  EXPECT_EQ(loaded->value_definitions()[0]->value_spec(), L"length()");
  // type_spec answers the stored string itself.
  EXPECT_TRUE(defs[2]->type_spec().sharesDataWith(defs[2]->type_spec()));
  OdString copy = defs[2]->type_spec();
  EXPECT_TRUE(copy.sharesDataWith(defs[2]->type_spec()));

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

  again->clear_definitions();
  again->save();
  std::vector<KcSmartPtr<AbstractDefinition>> all;
  EXPECT_EQ(lib->get<AbstractDefinition>(all), 0u);
}

TEST_F(Objects, UniqueKeysAndPolymorphicLookups) {
  auto ns = PropertyNamespace::create(L"A")->save(lib);
  auto other = PropertyNamespace::create(L"B")->save(lib);
  EXPECT_THROW(PropertyNamespace::create(L"A")->save(lib), ObjectNotUnique);
  auto renamed = PropertyNamespace::create(L"C")->save(lib);
  renamed->set_name(L"A");
  EXPECT_THROW(renamed->save(), ObjectNotUnique);
  renamed->set_name(L"C");
  renamed->save();

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
  ASSERT_TRUE(p);
  auto v = lib->get<ValueDefinition>(DefinitionKey(L"P", ns->id()));
  ASSERT_TRUE(v);
  EXPECT_NE(p->id(), v->id());
  EXPECT_EQ(lib->get<AbstractDefinition>(v->id())->objectType(), ObjectType::ValueDefinition);
  EXPECT_FALSE(lib->get<PropertyDefinition>(v->id()));  // an id of another type
  EXPECT_FALSE(lib->get<PropertySet>(ns->id()));
  EXPECT_FALSE(lib->get<PropertySet>(0u));
  EXPECT_TRUE(lib->get<Object>(ns->id()));
  std::vector<KcSmartPtr<Object>> everything;
  // Namespaces A, B, C; two sets; three definitions; nothing of the refused saves.
  EXPECT_EQ(lib->get<Object>(everything), 8u);
  EXPECT_THROW(lib->get<PropertySet>(NameKey(L"Set")), Exception);  // wrong kind of key

  std::vector<KcSmartPtr<const PropertySet>> sets;
  EXPECT_EQ(lib->get<PropertySet>(sets), 2u);
  EXPECT_EQ(lib->get<PropertySet>(sets, PropertySetCriteria(StringCriteria(), other->id())), 1u);
  EXPECT_EQ(sets[0]->namespace_id(), other->id());
  EXPECT_EQ(lib->get<PropertySet>(sets, PropertySetCriteria(StringCriteria(L"Se", 2), 0)), 2u);

  // The library's typed forms, with mutable and constant objects.
  KcSmartPtr<const Tag> constTag = lib->save<Tag>(KcSmartPtr<const Tag>(Tag::create(L"ct")));
  IdMapping mapping(lib.get());
  KcSmartPtr<Tag> tag = lib->save<Tag>(Tag::create(L"t"), mapping);
  EXPECT_EQ(lib->get<Tag>(constTag->id())->name(), L"ct");
  EXPECT_EQ(constTag->save(), constTag);  // into its own library: itself
  EXPECT_EQ(lib->save<Tag>(constTag, mapping), constTag);
  KcSmartPtr<Tag> plain = Tag::create(L"p");
  EXPECT_EQ(lib->save<Tag>(plain), plain);
  EXPECT_EQ(lib->remove<const Tag>(constTag), Library::kRemoved);
  EXPECT_EQ(lib->remove(tag), Library::kRemoved);
  EXPECT_THROW(lib->save<Tag>(KcSmartPtr<Tag>()), Exception);

  CustomProperty::create(L"Colour", 1)->save(lib);
  CustomProperty::create(L"Colour", 2)->save(lib);
  EXPECT_THROW(CustomProperty::create(L"Colour", 1)->save(lib), ObjectNotUnique);
  EXPECT_EQ(lib->get<CustomProperty>(NameTypeKey(L"Colour", 2))->type(), 2);
}

TEST_F(Objects, StringCriteriaModes) {
  const wchar_t* names[] = {L"Wall", L"wall", L"Wallpaper", L"Drywall", L"Stone"};
  for (const wchar_t* n : names)
    Layer::create(n)->save(lib);
  std::vector<KcSmartPtr<Layer>> out;
  // The store's query and the criteria's own test agree on every name.
  auto count = [&](const OdString& text, int mode) {
    std::size_t matching = 0;
    for (const wchar_t* n : names)
      matching += StringCriteria(text, mode).matches(OdString(n));
    std::size_t found = lib->get<Layer>(out, NameCriteria(text, mode));
    EXPECT_EQ(found, matching) << text.toUtf8() << " mode " << mode;
    return found;
  };
  EXPECT_EQ(count(L"", 0), 5u);
  EXPECT_EQ(count(L"Wall", 1), 1u);
  EXPECT_EQ(count(L"Wall", 2), 2u);
  EXPECT_EQ(count(L"all", 3), 4u);
  EXPECT_EQ(count(L"Wall", 3), 2u);  // found at the start too
  EXPECT_EQ(count(L"WALL", 4), 2u);
  EXPECT_EQ(count(L"Wall", 9), 0u);
  EXPECT_EQ(lib->get<Layer>(out, StringCriteria(L"Stone", 1)), 1u);
  EXPECT_EQ(out[0]->name(), L"Stone");
  std::vector<KcSmartPtr<Unit>> units;
  EXPECT_THROW(lib->get<Layer>(out, UnitCriteria(1u, 1.0)), Exception);  // no such fields
}

TEST_F(Objects, IdentityInsideAndOutsideASession) {
  auto ns = PropertyNamespace::create(L"N")->save(lib);
  auto set = PropertySet::create(ns, L"S");
  auto def = set->append_property_definition(L"D", PropertyType(1, 1));
  set->save(lib);
  EXPECT_NE(lib->get<PropertyNamespace>(ns->id()), lib->get<PropertyNamespace>(ns->id()));
  {
    odb::session session;
    EXPECT_TRUE(odb::session::has_current());
    auto a = lib->get<PropertySet>(set->id());
    auto b = lib->get<PropertySet>(DefinitionKey(L"S", ns->id()));
    EXPECT_EQ(a, b);
    std::vector<KcSmartPtr<PropertyDefinition>> defs;
    lib->get<PropertyDefinition>(defs);
    ASSERT_EQ(defs.size(), 1u);
    EXPECT_EQ(defs[0], a->property_definitions()[0]);
    EXPECT_EQ(lib->get<AbstractDefinition>(def->id()).get(),
              static_cast<AbstractDefinition*>(defs[0].get()));
    {
      odb::session inner;  // nests: a fresh identity map
      EXPECT_NE(lib->get<PropertySet>(set->id()), a);
    }
    EXPECT_EQ(odb::session::current(), &session);
    EXPECT_EQ(lib->get<PropertySet>(set->id()), a);
  }
  EXPECT_FALSE(odb::session::has_current());
}

TEST_F(Objects, ObjectReactorsHearModifiedSavedRemoved) {
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
  EXPECT_FALSE(tag->library());
  EXPECT_EQ(l.heard, (std::vector<std::string>{"modified", "saved", "removed 0"}));
  tag->removeReactor(&l);
  tag->set_description(L"z");
  EXPECT_EQ(l.heard.size(), 3u);
}

TEST(ObjectClasses, RegisteredWhileTheLibraryIsLoaded) {
  OdRxClassDictionary* classes = odrxClassDictionary();
  ASSERT_NE(classes->getAt(L"stocklib::PropertyDefinition"), nullptr);
  EXPECT_EQ(classes->getAt(L"stocklib::PropertyDefinition"), PropertyDefinition::desc());
  EXPECT_TRUE(PropertyDefinition::desc()->isDerivedFrom(AbstractDefinition::desc()));
  EXPECT_TRUE(AbstractDefinition::desc()->isDerivedFrom(Object::desc()));
  EXPECT_TRUE(Object::desc()->isDerivedFrom(KcRxObject::desc()));
  auto def = PropertyDefinition::create(L"d", PropertyType(1, 1));
  EXPECT_EQ(def->isA(), PropertyDefinition::desc());
  EXPECT_TRUE(def->isKindOf(AbstractDefinition::desc()));
  EXPECT_FALSE(def->isKindOf(PropertySet::desc()));
  // The pseudo-constructor makes an empty object; an abstract class makes none.
  KcSmartPtr<PropertySet> made = PropertySet::createObject();
  ASSERT_TRUE(made);
  EXPECT_EQ(made->id(), 0u);
  EXPECT_TRUE(made->name().isEmpty());
  EXPECT_FALSE(AbstractDefinition::desc()->create());
  EXPECT_EQ(objectTypeName(ObjectType::PropertySet), L"PropertySet");
  EXPECT_EQ(objectTypeName(static_cast<ObjectType>(41)), L"ObjectType(41)");
}

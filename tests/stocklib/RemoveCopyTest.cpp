// Removal results and their events, saving into another library, and copyAll into a library
// that already holds some of the objects.
#include "TestSupport.h"

using namespace stocklib;
using RemoveCopy = sltest::TempDir;

TEST_F(RemoveCopy, SavedIntoAnotherLibraryWithWhatItRefersToThenRemovedWithEventsInOrder) {
  auto lib = library("r.stocklib");
  auto b = library("b.stocklib");
  auto rec = std::make_shared<sltest::Recorder>();
  LibraryManager::instance().setReactor(rec);
  auto length = Measure::create(L"LENGTH")->save(lib);
  auto unit = Unit::create(L"m", 1, length)->save(lib);
  auto ns = PropertyNamespace::create(L"N")->save(lib);
  auto set = PropertySet::create(ns, L"S");
  set->insert_entity_type(L"AcDbLine");
  auto def = set->append_property_definition(L"D", PropertyType(1, 8));
  def->set_unit(unit);
  set->save(lib);

  auto bLength = Measure::create(L"LENGTH")->save(b);  // reused by key
  IdMapping mapping(b.get());
  KcSmartPtr<const PropertySet> constSet = set;
  auto copy = constSet->save(b, mapping);
  ASSERT_TRUE(copy);
  EXPECT_EQ(mapping.get(ObjectType::Measure, length->id()), bLength->id());
  EXPECT_EQ(mapping.get(def->id()), copy->property_definitions()[0]->id());
  EXPECT_EQ(copy->property_definitions()[0]->unit()->measure()->id(), bLength->id());
  EXPECT_EQ(copy->property_namespace()->library(), b);
  EXPECT_EQ(copy->entity_type_names(), (std::vector<OdString>{L"AcDbLine"}));
  // Saved again, with the same mapping or none:
  // Materials.CopiesIntoOtherLibrariesAndImpossibleValues.
  IdMapping forA(lib.get());
  EXPECT_THROW(set->save(b, forA), Exception);  // a mapping serves one target
  EXPECT_THROW(Tag::create(L"c")->save(library("c.stocklib"))->save(b, mapping),
               Exception);                             // one mapping, one source
  EXPECT_THROW(Tag::create(L"x")->save(), Exception);  // no library to save into
  // An object of one library cannot be referred to by an object saved into another one.
  EXPECT_THROW(PropertySet::create(ns, L"Foreign")->save(b), ConsistencyError);

  // Still referenced (the unit by the definition, the namespace by the set), kept by the
  // reactor, not removed (never saved), and removed with the definitions it owns.
  EXPECT_EQ(lib->remove(unit), Library::kStillReferenced);
  EXPECT_EQ(lib->remove(ns), Library::kStillReferenced);
  rec->keepId = static_cast<int>(set->id());
  EXPECT_EQ(lib->remove(set), Library::kKeptByReactor);
  EXPECT_TRUE(lib->get<PropertySet>(set->id()));
  rec->keepId = 0;
  EXPECT_EQ(lib->remove(PropertySet::create(ns, L"unsaved")), Library::kNotRemoved);
  rec->events.clear();
  const uint32_t setId = set->id(), defId = def->id();
  EXPECT_EQ(lib->remove(set), Library::kRemoved);
  EXPECT_FALSE(lib->get<PropertyDefinition>(defId));
  EXPECT_EQ(rec->events, (std::vector<std::string>{"remove " + std::to_string(setId),
                                                   "removed " + std::to_string(defId),
                                                   "removed " + std::to_string(setId)}));
  // One call removes objects that refer to each other, whatever order their keys sort in: the
  // unit sorts before the set whose definition refers to it, so it needs a second pass.
  auto other = PropertySet::create(ns, L"S2");
  other->append_property_definition(L"D", PropertyType(1, 8))->set_unit(unit);
  other->save(lib);
  ASSERT_LT(unit->objectKey(), other->objectKey());
  std::map<ObjectKey, Library::RemoveResult> results;
  // Each key, then what removing it answers: no object of an id, none of a type at that id.
  const std::pair<ObjectKey, Library::RemoveResult> wanted[] = {
      {length->objectKey(), Library::kRemoved},
      {unit->objectKey(), Library::kRemoved},
      {ns->objectKey(), Library::kRemoved},
      {other->objectKey(), Library::kRemoved},
      {ObjectKey(ObjectType::Unit, 999), Library::kNotRemoved},
      {ObjectKey(ObjectType::Tag, ns->id()), Library::kNotRemoved}};
  std::set<ObjectKey> keys;
  for (const auto& [key, result] : wanted)
    keys.insert(key);
  lib->remove(keys, results);
  for (const auto& [key, result] : wanted)
    EXPECT_EQ(results[key], result) << key.id;
  EXPECT_FALSE(lib->get<Measure>(NameKey(L"LENGTH")));
  // Ids are never reused.
  EXPECT_GT(Tag::create(L"new")->save(lib)->id(), other->id());
}

TEST_F(RemoveCopy, CopyAllReusesExistingObjectsAndReportsOncePerType) {
  auto source = library("s.stocklib", kLibraryUnitInch);
  auto target = library("t.stocklib");
  auto length = Measure::create(L"LENGTH")->save(source);
  auto in = Unit::create(L"in", 0.0254, length)->save(source);
  source->setDefaultUnit(in);
  auto user = PropertyNamespace::create(L"User")->save(source);
  for (int i = 0; i < 3; ++i) {
    auto set = PropertySet::create(user, OdString::formatted(L"Set%d", i));
    set->append_property_definition(OdString::formatted(L"Def%d", i), PropertyType(1, 1));
    set->save(source);
  }
  Layer::create(L"L1")->save(source);
  Tag::create(L"T1")->save(source);
  CustomProperty::create(L"C", 3)->save(source);
  // The target already has some of them.
  auto tUser = PropertyNamespace::create(L"User")->save(target);
  auto existing = PropertySet::create(tUser, L"Set1");
  existing->append_property_definition(L"Def1", PropertyType(1, 1));
  existing->append_property_definition(L"Extra", PropertyType(1, 1));
  existing->save(target);
  Layer::create(L"L1")->save(target);

  auto rec = std::make_shared<sltest::Recorder>();
  LibraryManager::instance().setReactor(rec);
  IdMapping mapping(target.get());
  target->copyAll(source, mapping);

  std::vector<KcSmartPtr<PropertySet>> sets;
  EXPECT_EQ(target->get<PropertySet>(sets), 3u);
  EXPECT_EQ(mapping.get(ObjectType::PropertyNamespace, user->id()), tUser->id());
  auto srcSet1 = source->get<PropertySet>(DefinitionKey(L"Set1", user->id()));
  EXPECT_EQ(mapping.get(ObjectType::PropertySet, srcSet1->id()), existing->id());
  EXPECT_EQ(mapping.get(srcSet1->property_definitions()[0]->id()),
            existing->property_definitions()[0]->id());
  EXPECT_EQ(target->get<PropertySet>(existing->id())->property_definitions().size(), 2u);
  ASSERT_TRUE(target->defaultUnit(L"LENGTH"));
  EXPECT_EQ(target->defaultUnit(L"LENGTH")->symbol(), L"in");
  EXPECT_TRUE(target->get<CustomProperty>(NameTypeKey(L"C", 3)));
  // One onModified per type, no per-object events.
  for (const std::string& e : rec->events)
    EXPECT_EQ(e.rfind("modified ", 0), 0u) << e;
  std::set<std::string> unique(rec->events.begin(), rec->events.end());
  EXPECT_EQ(unique.size(), rec->events.size());
  EXPECT_TRUE(unique.count("modified " + std::to_string(int(ObjectType::PropertySet))));
  // Copying again changes nothing.
  IdMapping again(target.get());
  target->copyAll(source, again);
  EXPECT_EQ(target->get<PropertySet>(sets), 3u);
  EXPECT_THROW(target->copyAll(target, again), Exception);
}

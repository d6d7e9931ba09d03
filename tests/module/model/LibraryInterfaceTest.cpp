// The library interface over a library wrapper on a real library file: lookups through the
// wrapper's indexes and the store, creation and saves, removals with their key translation, and
// the empty answers once the wrapper is gone.
#include "sl_db/ILibrary.h"

#include "RxClass.h"
#include "TestSupport.h"
#include "sl_db/Library.h"

using namespace sl_db;
using stocklib::LibraryManager;

namespace {

// A namespace interface over any object, as another implementation could hand in.
struct ForeignNamespace final : IPropertyNamespace {
  explicit ForeignNamespace(OdRxObject* o) : o(o) {}
  const OdString& label() const override { return text; }
  void setLabel(const OdString&) override {}
  OdString displayName(bool) const override { return text; }
  const OdString& name() const override { return text; }
  bool visible() const override { return true; }
  void setVisible(bool) override {}
  bool editable() const override { return true; }
  std::uint32_t id() const override { return 0; }
  OdRxObject* object() const override { return o; }
  OdRxObject* o;
  OdString text;
};

std::vector<OdString> names(const ILibrary::SetList& sets) {
  std::vector<OdString> out;
  for (const auto& s : sets)
    out.push_back(s->name());
  return out;
}

}  // namespace

// One library scenario: lookups, creation and saves, removals, then the wrapper gone.
TEST(LibraryInterface, LooksUpCreatesSavesAndRemovesThroughTheWrapperUntilItIsGone) {
  sltest::ScratchDir dir;
  std::shared_ptr<stocklib::Library> store = LibraryManager::instance().create(
      dir.file("i.stocklib"), stocklib::kLibraryUnitMillimeter, L"t");
  ASSERT_TRUE(store);
  auto safety = stocklib::PropertyNamespace::create(L"Safety")->save(store);
  stocklib::PropertyNamespace::create(L"Unused")->save(store);
  // Sets for lines: Fire per instance, Escape for all; Smoke for circles only.
  for (auto [name, type, perInstance] :
       {std::make_tuple(L"Fire", L"OdDbLine", true), std::make_tuple(L"Escape", L"OdDbLine", false),
        std::make_tuple(L"Smoke", L"OdDbCircle", false)}) {
    auto set = stocklib::PropertySet::create(safety, name);
    set->insert_entity_type(type);
    set->set_per_instance(perInstance);
    set->append_property_definition(OdString(name) + L"P", stocklib::PropertyType(1, 9));
    set->append_value_definition(OdString(name) + L"V", stocklib::PropertyType(1, 9));
    set->save(store);
  }
  std::shared_ptr<sl_db::Library> wrapper = sl_db::Library::get(store);
  std::shared_ptr<ILibrary> library = ILibrary::create(wrapper);
  ASSERT_TRUE(library);
  std::shared_ptr<IPropertyNamespace> ns = library->propertyNamespace(safety->id());
  ASSERT_TRUE(ns);
  auto firstDefinition = [&](const wchar_t* set) {
    return library->propertySet(set, safety->id())->propertyDefinitions().at(0);
  };
  EXPECT_FALSE(ILibrary::create(std::shared_ptr<sl_db::Library>()));
  EXPECT_EQ(library->library<sl_db::Library>(), wrapper);
  const OdRxClass* line = odrxClassDictionary()->getAt(L"OdDbLine");
  // A per-instance set only by its exact key string.
  EXPECT_EQ(names(library->propertySets(line, {L"Fire", L"Safety~Fire"})),
            std::vector<OdString>{L"Escape"});
  EXPECT_EQ(names(library->propertySets(line, {L"Fire", L"Safety~Fire", L"Fire~Safety"})),
            (std::vector<OdString>{L"Fire", L"Escape"}));
  EXPECT_EQ(names(library->propertySets(line)), (std::vector<OdString>{L"Fire", L"Escape"}));
  EXPECT_EQ(names(library->propertySets(ns)),
            (std::vector<OdString>{L"Fire", L"Escape", L"Smoke"}));
  ASSERT_EQ(library->propertyNamespaces().size(), 1u);  // only those holding sets
  EXPECT_EQ(library->allPropertyNamespaces().size(), 2u);

  // The wrapper's indexes answer as of their build; the store answers as it is now.
  auto fire = library->propertySet(L"Fire", safety->id());
  ASSERT_TRUE(fire);
  EXPECT_FALSE(library->propertySet(L"Fire", 0));
  auto late = fire->appendPropertyDefinition(L"Late", PropertyType::Single(PropertyType::kBool));
  fire->save(library);
  EXPECT_FALSE(library->propertyDefinition(late->id()));
  EXPECT_EQ(library->storePropertyDefinition(late->id())->name(), L"Late");
  EXPECT_FALSE(library->propertyDefinition(0) || library->storePropertyDefinition(0));
  auto firePV = firstDefinition(L"Fire");
  EXPECT_EQ(library->propertyDefinition(firePV->id())->name(), L"FireP");
  EXPECT_FALSE(library->valueDefinition(firePV->id()));
  auto fireV = fire->valueDefinitions().at(0);
  EXPECT_EQ(library->valueDefinition(fireV->id())->name(), L"FireV");
  EXPECT_EQ(library->storeValueDefinition(fireV->id())->name(), L"FireV");
  library->reload();
  EXPECT_EQ(library->propertyDefinition(late->id())->name(), L"Late");

  // Creation, unique names and saves.
  auto exit = library->createPropertySet(ns, L"Exit");
  ASSERT_TRUE(exit);
  EXPECT_EQ(library->uniquePropertySetName(L"Exit", ns), L"Exit-2");
  EXPECT_EQ(library->uniqueValueDefinitionName(L"FireP", ns), L"FireP");
  EXPECT_THROW(library->createPropertySet(ns, L"Exit"), stocklib::ObjectNotUnique);

  // An object of another class counts as no namespace (id 0) or reaches the store empty.
  auto foreign = std::make_shared<ForeignNamespace>(exit->object());
  EXPECT_EQ(library->uniquePropertySetName(L"Exit", foreign), L"Exit");
  EXPECT_EQ(library->createPropertySet(foreign, L"Loose")->ns(), L"");

  // save and saveInto store changes of objects of this library and copies of others'.
  exit->setLabel(L"Way out");
  library->save(exit);
  EXPECT_EQ(library->storePropertySet(exit->id())->label(), L"Way out");
  auto def = firstDefinition(L"Escape");
  def->setDescription(L"metres to the exit");
  library->saveInto(def);
  EXPECT_EQ(library->storePropertyDefinition(def->id())->description(), L"metres to the exit");
  std::shared_ptr<stocklib::Library> otherStore = LibraryManager::instance().create(
      dir.file("o.stocklib"), stocklib::kLibraryUnitMillimeter, L"o");
  auto otherWrapper = sl_db::Library::get(otherStore);
  auto other = ILibrary::create(otherWrapper);
  other->saveInto(ns);
  other->save(library->propertySet(L"Smoke", safety->id()));
  auto copied = otherStore->get<stocklib::PropertyNamespace>(stocklib::NameKey(L"Safety"));
  EXPECT_TRUE(copied && other->propertySet(L"Smoke", copied->id()));

  auto measure = stocklib::Measure::create(L"LENGTH")->save(store);
  store->setDefaultUnit(stocklib::Unit::create(L"mm", 0.001, measure)->save(store));
  EXPECT_EQ(library->defaultUnit(L"LENGTH")->measureName(), L"LENGTH");
  EXPECT_FALSE(library->defaultUnit(L"AREA"));

  // Removals, with their key translation.
  EXPECT_EQ(library->remove(def), stocklib::Library::kRemoved);
  EXPECT_FALSE(store->get<stocklib::PropertyDefinition>(def->id()));
  EXPECT_EQ(library->remove(def), stocklib::Library::kNotRemoved);
  const std::uint32_t vId = fireV->id();
  const std::uint32_t setId = library->propertySet(L"Smoke", safety->id())->id();
  using K = ObjectTypeWrapper;
  // (4, v) is the store's (43, v); (1, set) its (39, set); 0 and an unknown kind (7) both reach
  // the store as 0 and are removed, or refused, once.
  const ObjectKey value(K::ValueDefinition, vId), set(static_cast<K::ObjectType>(1), setId),
      none(K::None, vId);
  std::map<ObjectKey, ILibrary::RemoveResult> results;
  library->remove({value, set, none, {static_cast<K::ObjectType>(7), vId}}, results);
  EXPECT_EQ(results,
            (std::map<ObjectKey, ILibrary::RemoveResult>{{value, stocklib::Library::kRemoved},
                                                         {set, stocklib::Library::kRemoved},
                                                         {none, stocklib::Library::kNotRemoved}}));
  EXPECT_FALSE(store->get<stocklib::ValueDefinition>(vId) ||
               store->get<stocklib::PropertySet>(setId));
  EXPECT_TRUE(library->storePropertySet(fire->id()));

  // Once the wrapper is gone every answer is empty.
  const std::uint32_t id = firePV->id();
  wrapper.reset();
  EXPECT_TRUE(!library->library<sl_db::Library>() && library->propertySets(line).empty());
  EXPECT_FALSE(library->propertyDefinition(id) || library->storePropertyDefinition(id));
  // A name taken in the library would come back unchanged: no name is the only safe answer.
  EXPECT_EQ(library->uniquePropertySetName(L"Fire", ns), L"");
  EXPECT_EQ(library->remove(firePV), stocklib::Library::kNotRemoved);
  results.clear();
  library->remove({ObjectKey(ObjectTypeWrapper::PropertyDefinition, id)}, results);
  EXPECT_TRUE(results.empty());
  library->save(firePV);
  // Nothing reached the store.
  EXPECT_TRUE(store->get<stocklib::PropertyDefinition>(id));
}

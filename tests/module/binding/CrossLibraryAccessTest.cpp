// Typed lookups across a drawing's libraries: which library answers, and the copy of a
// secondary's object into the primary on first use.
#include <sqlite3.h>

#include <type_traits>

#include "DocLibsSupport.h"
#include "stocklib/Materials.h"
#include "stocklib/Profiles.h"

using sltest::DocLibsTest;
using stocklib::NameKey;
using stocklib::Tag;

namespace {

// Each type with the key it is looked up by; every one of the five lookups must exist for it
// and answer a key found nowhere with nothing, creating nothing.
template <class Key, class... T>
int lookUpNowhere(sl_db::DocumentLibraries& docs) {
  int answered = 0;
  auto one = [&](auto* type) {
    using U = std::remove_pointer_t<decltype(type)>;
    static_assert(std::is_same_v<sl_db::DocumentLibraries::Key<U>, Key>);
    const Key key;
    answered += bool(docs.getFromPrimary<U>(1u)) + bool(docs.getFromPrimary<U>(key)) +
                bool(docs.getFromSecondaries<U>(key)) + bool(docs.get<U>(key)) +
                bool(docs.getAndSaveToPrimary<U>(key));
  };
  (one(static_cast<T*>(nullptr)), ...);
  return answered;
}

}  // namespace

TEST_F(DocLibsTest, EveryStoredTypeHasTheFiveLookupsByItsKey) {
  using namespace stocklib;
  auto empty = makeLibrary("empty.stocklib", {});
  OdDbDatabasePtr db = odDbCreateDatabase(true);
  sl_db::DocumentLibraries docs(db.get(), false);
  docs.openSecondary(empty->filename());
  ASSERT_EQ(docs.secondaries().size(), 1u);
  int answered =
      lookUpNowhere<ProfileKey, CustomProfile, AsymmetricIShapeProfile, IShapeProfile,
                    LShapeProfile, UShapeProfile, CShapeProfile, ZShapeProfile, TShapeProfile,
                    TrapeziumProfile, RoundedRectangleProfile, RectangleHollowProfile,
                    RectangleProfile, EllipseProfile, CircleHollowProfile, CircleProfile,
                    CraneRailFShapeProfile, CraneRailAShapeProfile, ParametrizedProfile, Profile>(
          docs);
  answered += lookUpNowhere<ProfileNameKey, ProfileName>(docs);
  answered += lookUpNowhere<NameKey, ProfileStandard, Composition, CompositionType, Material,
                            MaterialType, BimAsset, PhysicalAsset, InformationAsset,
                            PropertyNamespace, EntityType, Unit, Measure, Layer, Tag>(docs);
  answered += lookUpNowhere<ObjectTraits<Asset>::unique_key_type, Asset>(docs);
  answered += lookUpNowhere<DefinitionKey, PropertySet, ValueDefinition, PropertyDefinition,
                            AbstractDefinition>(docs);
  answered += lookUpNowhere<NameTypeKey, CustomProperty>(docs);
  EXPECT_EQ(answered, 0);
  EXPECT_FALSE(docs.isInitialized());
  EXPECT_FALSE(docs.primary());
}

TEST_F(DocLibsTest, LookupsPreferThePrimaryThenEarlierSecondaries) {
  auto first = makeLibrary("first.stocklib", {"both", "only-first"});
  auto second = makeLibrary("second.stocklib", {"both", "only-second"});
  OdDbDatabasePtr db = odDbCreateDatabase(true);
  sl_db::DocumentLibraries docs(db.get(), false);
  docs.openSecondary(first->filename());
  docs.openSecondary(second->filename());
  ASSERT_EQ(docs.secondaries().size(), 2u);

  // No primary: only the secondaries answer, the earlier one first.
  EXPECT_FALSE(docs.getFromPrimary<Tag>(NameKey(OdString("both"))));
  EXPECT_EQ(docs.get<Tag>(NameKey(OdString("both")))->library(), first);
  EXPECT_EQ(docs.getFromSecondaries<Tag>(NameKey(OdString("only-second")))->library(), second);
  EXPECT_FALSE(docs.get<Tag>(NameKey(OdString("nowhere"))));

  // A key found nowhere leaves the drawing without a record.
  EXPECT_FALSE(docs.getAndSaveToPrimary<Tag>(NameKey(OdString("nowhere"))));
  EXPECT_FALSE(docs.isInitialized());

  // First use copies into a new embedded primary.
  KcSmartPtr<Tag> copy = docs.getAndSaveToPrimary<Tag>(NameKey(OdString("only-second")));
  ASSERT_TRUE(copy);
  auto primary = docs.primary();
  ASSERT_TRUE(primary);
  EXPECT_TRUE(docs.isPrimaryEmbedded());
  EXPECT_EQ(copy->library(), primary);
  EXPECT_EQ(copy->name(), OdString("only-second"));
  EXPECT_EQ(docs.getFromPrimary<Tag>(copy->id())->name(), OdString("only-second"));
  EXPECT_FALSE(docs.getFromPrimary<Tag>(0u));

  // The primary's object hides the secondaries' and nothing more is written.
  EXPECT_EQ(docs.get<Tag>(NameKey(OdString("only-second")))->library(), primary);
  std::vector<KcSmartPtr<Tag>> before, after;
  primary->get(before);
  EXPECT_EQ(docs.getAndSaveToPrimary<Tag>(NameKey(OdString("only-second")))->id(), copy->id());
  primary->get(after);
  EXPECT_EQ(after.size(), before.size());
}

TEST_F(DocLibsTest, AFetchFromAnImperialSecondaryConvertsLengths) {
  auto imperial = makeLibrary("imperial.stocklib", {}, stocklib::kLibraryUnitInch);
  auto standard = imperial->save(stocklib::ProfileStandard::create(OdString("AISC")));
  auto name = imperial->save(stocklib::ProfileName::create(OdString("L"), standard));
  auto angle = stocklib::LShapeProfile::create(name, OdString("4x4x1/2"));
  angle->set_height(4.0);
  angle->set_width(4.0);
  angle->set_thickness(0.5);
  imperial->save(angle);
  auto material = stocklib::Material::create(OdString("Steel"));
  imperial->save(material);

  OdDbDatabasePtr db = odDbCreateDatabase(true);  // metric: a new primary is in millimetres
  sl_db::DocumentLibraries docs(db.get(), false);
  docs.openSecondary(imperial->filename());
  stocklib::ProfileKey key(OdString("AISC"), OdString("L"), OdString("4x4x1/2"));
  EXPECT_FALSE(docs.getFromPrimary<stocklib::LShapeProfile>(key));
  reactor.events.clear();
  KcSmartPtr<stocklib::LShapeProfile> copy = docs.getAndSaveToPrimary<stocklib::LShapeProfile>(key);
  ASSERT_TRUE(copy);
  EXPECT_EQ(reactor.events, std::vector<std::string>{});  // a fetch is no primary copy
  ASSERT_TRUE(docs.primary());
  EXPECT_EQ(docs.primary()->unit(), stocklib::kLibraryUnitMillimeter);
  EXPECT_EQ(copy->library(), docs.primary());
  EXPECT_NEAR(copy->width(), 101.6, 1e-9);
  EXPECT_NEAR(copy->height(), 101.6, 1e-9);
  EXPECT_NEAR(copy->thickness(), 12.7, 1e-9);
  // The general profile type finds the same object; the source keeps its inches.
  EXPECT_EQ(docs.getFromPrimary<stocklib::Profile>(key)->id(), copy->id());
  EXPECT_NEAR(imperial->get<stocklib::LShapeProfile>(key)->width(), 4.0, 1e-12);
  EXPECT_TRUE(docs.getAndSaveToPrimary<stocklib::Material>(stocklib::NameKey(OdString("Steel"))));
}

TEST_F(DocLibsTest, ADamagedSecondaryGivesThePrimaryNothingBroken) {
  using namespace stocklib;
  const OdString damaged = dir.file("damaged.stocklib");
  {
    auto lib = makeLibrary("damaged.stocklib", {});
    auto metal = lib->save(MaterialType::create(OdString("Metal")));
    auto steel = Material::create(OdString("Steel"));
    steel->set_type(metal.get());
    lib->save(steel);
    lib->save(Material::create(OdString("Wood")));
  }
  // Behind the store's back: the type's data goes, so the steel's type reference dangles.
  sqlite3* file = nullptr;
  ASSERT_EQ(sqlite3_open(damaged.toUtf8().c_str(), &file), SQLITE_OK);
  EXPECT_EQ(sqlite3_exec(file, "DELETE FROM o_MaterialType", nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(file);

  OdDbDatabasePtr db = odDbCreateDatabase(true);
  sl_db::DocumentLibraries docs(db.get(), false);
  docs.openSecondary(damaged);
  ASSERT_EQ(docs.secondaries().size(), 1u);
  auto primary = docs.primary(true);
  ASSERT_TRUE(primary);
  std::vector<KcSmartPtr<Material>> materials;
  std::vector<KcSmartPtr<MaterialType>> types;
  const std::size_t seededTypes = primary->get(types);
  try {
    docs.getAndSaveToPrimary<Material>(NameKey(OdString("Steel")));
    ADD_FAILURE() << "a material with a dangling type was fetched";
  } catch (const ConsistencyError& e) {
    const std::string what = e.what();
    EXPECT_NE(what.find("Material"), std::string::npos) << what;
    EXPECT_NE(what.find("\"type\""), std::string::npos) << what;
    EXPECT_NE(what.find(damaged.toUtf8()), std::string::npos) << what;
  }
  EXPECT_EQ(primary->get(materials), 0u);
  EXPECT_EQ(primary->get(types), seededTypes);
  EXPECT_EQ(primary->check(), std::vector<OdString>());
  // Its sound objects are still fetched.
  EXPECT_TRUE(docs.getAndSaveToPrimary<Material>(NameKey(OdString("Wood"))));
}

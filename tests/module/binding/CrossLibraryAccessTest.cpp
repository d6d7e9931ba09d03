// Typed lookups across a drawing's libraries: which library answers, and the copy of a
// secondary's object into the primary on first use.
#include <sqlite3.h>

#include "DocLibsSupport.h"
#include "stocklib/Materials.h"
#include "stocklib/Profiles.h"

using sltest::DocLibsTest;
using stocklib::NameKey;
using stocklib::Tag;

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
  // A key found nowhere leaves the drawing without a record.
  EXPECT_FALSE(docs.getAndSaveToPrimary<Tag>(NameKey(OdString("nowhere"))) || docs.isInitialized());

  // First use copies into a new embedded primary.
  KcSmartPtr<Tag> copy = docs.getAndSaveToPrimary<Tag>(NameKey(OdString("only-second")));
  auto primary = docs.primary();
  ASSERT_TRUE(copy && primary && docs.isPrimaryEmbedded() && copy->library() == primary);
  EXPECT_EQ(docs.getFromPrimary<Tag>(copy->id())->name(), OdString("only-second"));

  // The primary's object hides the secondaries' and nothing more is written.
  EXPECT_EQ(docs.get<Tag>(NameKey(OdString("only-second")))->library(), primary);
  std::vector<KcSmartPtr<Tag>> all;
  const std::size_t before = primary->get(all);
  EXPECT_EQ(docs.getAndSaveToPrimary<Tag>(NameKey(OdString("only-second")))->id(), copy->id());
  EXPECT_EQ(primary->get(all), before);
}

TEST_F(DocLibsTest, AFetchFromAnImperialSecondaryConvertsLengths) {
  auto imperial = makeLibrary("imperial.stocklib", {}, stocklib::kLibraryUnitInch);
  auto angle = stocklib::LShapeProfile::create(nullptr, OdString("4x4x1/2"));
  angle->set_width(4.0);
  imperial->save(angle);
  OdDbDatabasePtr db = odDbCreateDatabase(true);  // metric: a new primary is in millimetres
  sl_db::DocumentLibraries docs(db.get(), false);
  docs.openSecondary(imperial->filename());
  const stocklib::ProfileKey key(OdString(), OdString(), OdString("4x4x1/2"));
  reactor.events.clear();
  auto copy = docs.getAndSaveToPrimary<stocklib::LShapeProfile>(key);
  ASSERT_TRUE(copy && copy->library() == docs.primary());
  // A fetch is no primary copy.
  EXPECT_TRUE(reactor.events.empty() && docs.primary()->unit() == stocklib::kLibraryUnitMillimeter);
  EXPECT_NEAR(copy->width(), 101.6, 1e-9);
  EXPECT_EQ(docs.getFromPrimary<stocklib::Profile>(key)->id(), copy->id());
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
  auto primary = docs.primary(true);
  ASSERT_TRUE(primary && docs.secondaries().size() == 1);
  std::vector<KcSmartPtr<Material>> materials;
  std::vector<KcSmartPtr<MaterialType>> types;
  const std::size_t seededTypes = primary->get(types);
  try {
    docs.getAndSaveToPrimary<Material>(NameKey(OdString("Steel")));
    ADD_FAILURE() << "a material with a dangling type was fetched";
  } catch (const ConsistencyError& e) {
    const std::string what = e.what();
    for (const std::string& part :
         {std::string("Material"), std::string("\"type\""), damaged.toUtf8()})
      EXPECT_NE(what.find(part), std::string::npos) << what;
  }
  EXPECT_TRUE(primary->get(materials) == 0 && primary->get(types) == seededTypes);
  EXPECT_EQ(primary->check(), std::vector<OdString>());
  // Its sound objects are still fetched.
  EXPECT_TRUE(docs.getAndSaveToPrimary<Material>(NameKey(OdString("Wood"))));
}

// Typed lookups across a drawing's libraries: which library answers, and the copy of a
// secondary's object into the primary on first use.
#include "DocLibsSupport.h"

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
  std::vector<KcSmartPtr<Tag>> before, after;
  primary->get(before);
  EXPECT_EQ(docs.getAndSaveToPrimary<Tag>(NameKey(OdString("only-second")))->id(), copy->id());
  primary->get(after);
  EXPECT_EQ(after.size(), before.size());
}

TEST_F(DocLibsTest, AFetchWithNoPrimaryToStoreIntoStoresNothing) {
  auto secondary = makeLibrary("sec.stocklib", {"t"});
  OdDbDatabasePtr db = odDbCreateDatabase(true);
  writeRecord(db.get(), dir.file("gone.stocklib"), {secondary->filename()});
  sl_db::DocumentLibraries* docs = sl_db::docLibs(db.get());
  ASSERT_FALSE(docs->primary());
  EXPECT_TRUE(docs->get<Tag>(NameKey(OdString("t"))));
  EXPECT_FALSE(docs->getAndSaveToPrimary<Tag>(NameKey(OdString("t"))));
  EXPECT_FALSE(docs->primary());
  EXPECT_FALSE(docs->isPrimaryEmbedded());
}

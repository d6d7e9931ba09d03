// Remove events across drawings: which drawings' handlers are asked before an object of a
// library goes, how their answers combine, and who is told afterwards.
#include "DocLibsSupport.h"

using sltest::DocLibsTest;

TEST_F(DocLibsTest, OnRemoveAsksOnlyDrawingsWhosePrimaryItIsAndStopsAtKeep) {
  using Calls = std::vector<std::pair<std::string, const OdDbDatabase*>>;
  Calls calls;
  stocklib::RemoveResolution answerOfA = stocklib::kRemoveObject;
  auto answerOfB = static_cast<stocklib::RemoveResolution>(7);  // neither answer: the walk goes on
  std::shared_ptr<const stocklib::Library> removedFrom;
  auto asked = [&](const char* name, const stocklib::RemoveResolution& answer) {
    reactor.addOnRemoveHandler(OdString(name), [&calls, &answer, name](auto* db, const auto&) {
      calls.emplace_back(name, db);
      return answer;
    });
  };
  asked("a", answerOfA);
  asked("B", answerOfB);
  std::vector<const OdDbDatabase*> told;
  reactor.addOnRemovedHandler(OdString("r"), [&](auto* db, const auto& l, const auto&) {
    told.push_back(db);
    removedFrom = l;
  });
  // Two drawings share a primary; a third uses it only as a secondary.
  const OdString shared = dir.file("shared.stocklib");
  OdDbDatabasePtr one = odDbCreateDatabase(true), two = odDbCreateDatabase(true),
                  third = odDbCreateDatabase(true);
  auto primary = sl_db::docLibs(one.get())->openPrimary(shared);
  sl_db::docLibs(two.get())->openPrimary(shared);
  sl_db::docLibs(third.get())->openSecondary(shared);
  ASSERT_TRUE(primary);
  const OdDbDatabase *lo = std::min(one.get(), two.get()), *hi = std::max(one.get(), two.get());
  auto tag = primary->save(stocklib::Tag::create(OdString("t")));
  EXPECT_EQ(primary->remove(tag), stocklib::Library::kRemoved);
  EXPECT_EQ(calls, (Calls{{"B", lo}, {"a", lo}, {"B", hi}, {"a", hi}}));
  std::vector<const OdDbDatabase*> every;  // removal is told to every drawing, in registry order
  for (auto it = sl_db::docLibs_begin(); it != sl_db::docLibs_end(); ++it)
    every.push_back(it->first);
  EXPECT_EQ(told, every);

  // The first handler in name order keeping the object: the next one is not asked either.
  calls.clear();
  answerOfA = stocklib::kKeepObject;
  tag = primary->save(stocklib::Tag::create(OdString("u")));
  EXPECT_EQ(primary->remove(tag), stocklib::Library::kKeptByReactor);
  EXPECT_EQ(calls, (Calls{{"B", lo}, {"a", lo}}));
  EXPECT_EQ(told, every);  // kept: nobody told
  calls.clear();
  answerOfB = stocklib::kKeepObject;
  EXPECT_EQ(primary->remove(tag), stocklib::Library::kKeptByReactor);
  // No library is no drawing's primary, not even of the drawing that has none.
  EXPECT_EQ(reactor.onRemove(nullptr, stocklib::ObjectKey()), stocklib::kRemoveObject);
  EXPECT_EQ(calls, (Calls{{"B", lo}}));

  // A library used only as a secondary asks nobody; removal is still told to every drawing.
  calls.clear();
  told.clear();
  auto other = makeLibrary("other.stocklib", {"x"});
  sl_db::docLibs(third.get())->openSecondary(other->filename());
  auto x = other->get<stocklib::Tag>(stocklib::NameKey(OdString("x")));
  EXPECT_EQ(other->remove(x), stocklib::Library::kRemoved);
  EXPECT_TRUE(calls.empty() && told == every && removedFrom == other);
}

// Remove events across drawings: which drawings' handlers are asked before an object of a
// library goes, how their answers combine, and who is told afterwards; the store's saves too.
#include "DocLibsSupport.h"

using sltest::DocLibsTest;

namespace {

using Calls = std::vector<std::pair<std::string, const OdDbDatabase*>>;

}  // namespace

TEST_F(DocLibsTest, OnRemoveAsksOnlyDrawingsWhosePrimaryItIsAndStopsAtKeep) {
  // No drawing bound: nobody is asked or told.
  Calls calls;
  stocklib::RemoveResolution answerOfA = stocklib::kRemoveObject;
  auto answerOfB = static_cast<stocklib::RemoveResolution>(7);  // neither answer: the walk goes on
  std::shared_ptr<const stocklib::Library> removedFrom;
  reactor.addOnRemoveHandler(OdString("a"),
                             [&](const OdDbDatabase* db, const stocklib::ObjectKey&) {
                               calls.emplace_back("a", db);
                               return answerOfA;
                             });
  reactor.addOnRemoveHandler(OdString("B"),
                             [&](const OdDbDatabase* db, const stocklib::ObjectKey&) {
                               calls.emplace_back("B", db);
                               return answerOfB;
                             });
  reactor.addOnRemovedHandler(
      OdString("r"), [&](const OdDbDatabase* db, const std::shared_ptr<const stocklib::Library>& l,
                         const stocklib::ObjectKey&) {
        calls.emplace_back("removed", db);
        removedFrom = l;
      });
  auto lone = makeLibrary("lone.stocklib", {});
  stocklib::ObjectKey key(stocklib::ObjectType::Tag, 1);
  ASSERT_EQ(sl_db::docLibs_begin(), sl_db::docLibs_end());
  EXPECT_EQ(reactor.onRemove(lone, key), stocklib::kRemoveObject);
  reactor.onRemoved(lone, key);
  EXPECT_TRUE(calls.empty());

  // Two drawings share a primary; a third uses it only as a secondary.
  const OdString shared = dir.file("shared.stocklib");
  OdDbDatabasePtr one = odDbCreateDatabase(true), two = odDbCreateDatabase(true),
                  third = odDbCreateDatabase(true);
  auto primary = sl_db::docLibs(one.get())->openPrimary(shared);
  sl_db::docLibs(two.get())->openPrimary(shared);
  sl_db::docLibs(third.get())->openSecondary(shared);
  ASSERT_TRUE(primary);
  const OdDbDatabase* lo = std::min(one.get(), two.get());
  const OdDbDatabase* hi = std::max(one.get(), two.get());

  // The store's own events reach the handlers of the installed reactor.
  EXPECT_EQ(sl_db::LibraryReactor::instance(), &reactor);
  std::vector<stocklib::ObjectKey> saved;
  reactor.addOnSavedHandler(OdString("s"), [&](const std::shared_ptr<const stocklib::Library>& l,
                                               const stocklib::ObjectKey& k) {
    if (l == primary) saved.push_back(k);
  });
  auto tag = primary->save(stocklib::Tag::create(OdString("t")));
  EXPECT_EQ(saved, (std::vector<stocklib::ObjectKey>{{stocklib::ObjectType::Tag, tag->id()}}));
  EXPECT_EQ(primary->remove(tag), stocklib::Library::kRemoved);
  EXPECT_EQ(calls, (Calls{{"B", lo},
                          {"a", lo},
                          {"B", hi},
                          {"a", hi},
                          {"removed", sl_db::docLibs_begin()->first},
                          {"removed", std::next(sl_db::docLibs_begin())->first},
                          {"removed", std::next(sl_db::docLibs_begin(), 2)->first}}));

  calls.clear();
  answerOfA = stocklib::kKeepObject;
  tag = primary->save(stocklib::Tag::create(OdString("u")));
  EXPECT_EQ(primary->remove(tag), stocklib::Library::kKeptByReactor);
  EXPECT_EQ(calls, (Calls{{"B", lo}, {"a", lo}}));

  // The first handler in name order keeping the object: the next one is not asked either.
  calls.clear();
  answerOfB = stocklib::kKeepObject;
  EXPECT_EQ(primary->remove(tag), stocklib::Library::kKeptByReactor);
  EXPECT_EQ(calls, (Calls{{"B", lo}}));

  // No library is no drawing's primary, not even of the drawing that has none.
  calls.clear();
  EXPECT_EQ(reactor.onRemove(nullptr, key), stocklib::kRemoveObject);
  EXPECT_TRUE(calls.empty());

  // A library used only as a secondary asks nobody; removal is still told to every drawing.
  calls.clear();
  auto other = makeLibrary("other.stocklib", {"x"});
  sl_db::docLibs(third.get())->openSecondary(other->filename());
  auto x = other->get<stocklib::Tag>(stocklib::NameKey(OdString("x")));
  EXPECT_EQ(other->remove(x), stocklib::Library::kRemoved);
  ASSERT_EQ(calls.size(), 3u);
  for (const auto& call : calls)
    EXPECT_EQ(call.first, "removed");
  EXPECT_EQ(removedFrom, other);
}

// A drawing's libraries end to end: the registry, embedded and external primaries through save
// and reload, replacing and moving a primary, secondaries, following the record, missing files.
#include <algorithm>
#include <stdexcept>
#include <utility>

#include "DocLibsSupport.h"
#include "sl_db/Library.h"
#include "stocklib/Profiles.h"
#include "ut/FileUtils.h"

using sltest::DocLibsTest;
using sltest::Events;
using Libraries = sl_db::DocumentLibraries::Libraries;

namespace {

/// Counts the changes of the objects it is attached to.
class ChangeCounter : public OdStaticRxObject<OdDbObjectReactor> {
 public:
  void modified(const OdDbObject*) override { ++count; }
  int count = 0;
};

bool seeded(const std::shared_ptr<const stocklib::Library>& lib) {
  return lib && lib->get<stocklib::PropertyNamespace>(stocklib::NameKey(OdString("User")));
}

}  // namespace

TEST_F(DocLibsTest, RegistryKeepsOneEntryPerDrawingUntilTheDrawingGoes) {
  EXPECT_FALSE(sl_db::docLibs(static_cast<OdDbDatabase*>(nullptr)) ||
               sl_db::writable(nullptr, sl_db::kPrimary));
  auto [db, docs] = newDrawing();
  ASSERT_TRUE(docs);
  EXPECT_EQ(sl_db::docLibs(static_cast<const OdDbDatabase*>(db.get())), docs);
  // Questions and failed calls that must not make a record.
  EXPECT_FALSE(sl_db::library(docs, sl_db::kSecondary, true) ||
               sl_db::library(docs, static_cast<sl_db::EDbType>(2), true));
  EXPECT_FALSE(sl_db::writable(docs, sl_db::kPrimary) || sl_db::getPrimary(db.get(), false));
  EXPECT_FALSE(docs->movePrimary(dir.file("to.stocklib"), true) ||
               docs->movePrimary(dir.touch("existing.stocklib"), false));
  EXPECT_FALSE(docs->openPrimary(OdString(":memory:")) || docs->openPrimary(OdString()));
  EXPECT_FALSE(ut::fileExists(dir.file("to.stocklib")) || docs->isInitialized());

  std::shared_ptr<stocklib::Library> primary = sl_db::getPrimary(db.get(), true);
  ASSERT_TRUE(primary);
  EXPECT_TRUE(docs->isInitialized() && docs->isPrimaryEmbedded() && docs->has(primary) &&
              sl_db::writable(docs, sl_db::kPrimary) && seeded(primary));
  EXPECT_EQ(sl_db::getPrimaryLibrary(db.get(), false)->library(), primary);
  std::weak_ptr<stocklib::Library> weak = primary;
  primary.reset();
  const OdDbDatabase* address = db.get();
  db.release();
  EXPECT_TRUE(!bound(address) && weak.expired());
}

TEST_F(DocLibsTest, AnEmbeddedPrimarySurvivesReloadAndItsRecordIsFollowedOnceOpened) {
  auto s = makeLibrary("s.stocklib", {}), s1 = makeLibrary("one.stocklib", {}),
       s2 = makeLibrary("two.stocklib", {});
  const OdString file = dir.file("followed.dwg");
  {
    auto [db, docs] = newDrawing();
    auto lib = docs->openEmbeddedPrimary();
    ASSERT_TRUE(lib);
    lib->save(stocklib::Tag::create(OdString("kept")));
    ChangeCounter changes;
    openRecord(db.get(), OdDb::kForRead)->addReactor(&changes);
    reactor.events.clear();
    // Already embedded: nothing changes.
    EXPECT_TRUE(docs->openEmbeddedPrimary() == lib && changes.count == 0);
    openRecord(db.get(), OdDb::kForRead)->removeReactor(&changes);
    db->writeFile(file);
  }
  OdDbDatabasePtr db = odDbCreateDatabase(true);
  db->readFile(file);
  sl_db::DocumentLibraries* docs = sl_db::docLibs(db.get());
  EXPECT_TRUE(reactor.events.empty());
  auto append = [&](const OdString& path) {
    openRecord(db.get(), OdDb::kForWrite)->setSecondaryLibraryPaths().append(path);
  };
  append(OdString("one.lib"));
  EXPECT_TRUE(reactor.events.empty());  // not followed before the record is opened here
  ASSERT_TRUE(docs->stocklibManager());
  append(s->filename());
  EXPECT_EQ(reactor.take(), (Events{"missing S one.lib"}));
  docs->refresh();
  append(OdString("two.lib"));
  EXPECT_EQ(reactor.take(), (Events{"missing S two.lib"}));  // each change reported once
  // Dropped by someone else: reported closed. Named again after that: reported missing again.
  openRecord(db.get(), OdDb::kForWrite)->setSecondaryLibraryPaths().removeAll();
  EXPECT_EQ(reactor.take(), (Events{"closed " + s->filename().toUtf8()}));
  ASSERT_TRUE(docs->secondaries().empty());
  append(OdString("one.lib"));
  EXPECT_EQ(reactor.take(), (Events{"missing S one.lib"}));

  // Two listed in single mode: the rebuild closes the first to open the second, which rewrites
  // the record; that change must not leave the second listed twice.
  openRecord(db.get(), OdDb::kForWrite)->setSecondaryLibraryPaths() = {s1->filename(),
                                                                       s2->filename()};
  EXPECT_EQ(docs->secondaries(), (Libraries{s2}));
  EXPECT_EQ(secondaryPaths(docs), (Events{s2->filename().toUtf8()}));
  EXPECT_EQ(reactor.take(), (Events{"closed " + s1->filename().toUtf8()}));
  EXPECT_TRUE(hasTag(docs->primary(), "kept") && docs->isPrimaryEmbedded());
}

TEST_F(DocLibsTest, ReplacingThePrimaryCopiesItReportsEveryIdAndKeepsItsUnit) {
  auto [db, docs] = newDrawing();
  auto embedded = docs->openEmbeddedPrimary();
  ASSERT_TRUE(embedded);
  std::vector<KcSmartPtr<stocklib::Tag>> tags;
  for (const char* name : {"a", "b", "c"})
    tags.push_back(embedded->save(stocklib::Tag::create(OdString(name))));
  const std::string from = embedded->filename().toUtf8();
  embedded.reset();
  // A primary that cannot be opened: an embedded one is kept.
  const OdString unreachable = dir.file("no/such/folder/x.stocklib");
  reactor.events.clear();
  EXPECT_FALSE(docs->openPrimary(unreachable));
  EXPECT_EQ(reactor.take(), (Events{"closed " + from}));
  EXPECT_TRUE(docs->isPrimaryEmbedded() && hasTag(docs->primary(), "a"));

  const OdString path = dir.file("ext.stocklib");
  auto external = docs->openPrimary(path);
  ASSERT_TRUE(external && docs->primary() == external);
  EXPECT_EQ(reactor.take(), (Events{"closed " + from, "copy " + from}));
  for (const auto& tag : tags) {
    auto it = reactor.lastMapping.find(stocklib::ObjectKey(stocklib::ObjectType::Tag, tag->id()));
    ASSERT_NE(it, reactor.lastMapping.end());
    auto copy = external->get<stocklib::Tag>(it->second);
    EXPECT_TRUE(copy && copy->name() == tag->name());
  }
  EXPECT_FALSE(docs->isPrimaryEmbedded() || docs->openPrimary(OdString(":memory:")));
  EXPECT_TRUE(docs->primary() == external && docs->stocklibManager()->primaryLibraryPath() == path);
  // An external primary is only named by the record: the record then names none.
  external.reset();
  EXPECT_FALSE(docs->openPrimary(unreachable));
  EXPECT_EQ(reactor.take(), (Events{"closed " + path.toUtf8()}));
  EXPECT_FALSE(docs->primary() || docs->isPrimaryEmbedded() ||
               !docs->stocklibManager()->primaryLibraryPath().isEmpty());
  // New libraries take the old primary's unit, else the drawing's.
  auto inches = makeLibrary("inch.stocklib", {"t"}, stocklib::kLibraryUnitInch);
  ASSERT_EQ(docs->openPrimary(inches->filename()), inches);
  auto replaced = docs->openPrimary(dir.file("next.stocklib"));
  EXPECT_TRUE(hasTag(replaced, "t") && replaced->unit() == stocklib::kLibraryUnitInch);
  // A library the binding creates is seeded, a secondary too.
  auto secondary = docs->openSecondary(dir.file("sec.stocklib"));
  EXPECT_TRUE(seeded(secondary) && secondary->unit() == stocklib::kLibraryUnitMillimeter);
  auto first = newDrawing(false).second->openPrimary(dir.file("imp.stocklib"));
  EXPECT_TRUE(first && first->unit() == stocklib::kLibraryUnitInch);
}

TEST_F(DocLibsTest, MissingLibrariesAreReportedAndANestedLookupFindsTheSameEntry) {
  auto secondary = makeLibrary("s.stocklib", {"s"});
  OdDbDatabasePtr db = odDbCreateDatabase(true);
  writeRecord(db.get(), dir.file("gone.stocklib"), {secondary->filename(), secondary->filename()});
  std::vector<sl_db::DocumentLibraries*> nested;
  reactor.onMissing = [&](OdDbDatabase* d) { nested.push_back(sl_db::docLibs(d)); };
  sl_db::DocumentLibraries* docs = sl_db::docLibs(db.get());
  reactor.onMissing = nullptr;
  EXPECT_EQ(reactor.take(), (Events{"missing P " + dir.file("gone.stocklib").toUtf8(),
                                    "missing S " + secondary->filename().toUtf8()}));
  EXPECT_EQ(nested, (std::vector<sl_db::DocumentLibraries*>{docs, docs}));
  EXPECT_EQ(std::count_if(sl_db::docLibs_begin(), sl_db::docLibs_end(),
                          [&](const auto& e) { return e.first == db.get(); }),
            1);
  EXPECT_EQ(docs->secondaries(), (Libraries{secondary}));
  // A fetch with no primary to store into stores nothing.
  const stocklib::NameKey s(OdString("s"));
  EXPECT_TRUE(docs->get<stocklib::Tag>(s));
  EXPECT_FALSE(docs->getAndSaveToPrimary<stocklib::Tag>(s) || docs->primary() ||
               docs->isPrimaryEmbedded());
  // A record that names no primary file (a failed open left it so) is not reported missing.
  OdDbDatabasePtr other = odDbCreateDatabase(true);
  writeRecord(other.get(), OdString(), {});
  sl_db::docLibs(other.get());
  EXPECT_TRUE(reactor.events.empty());
}

TEST_F(DocLibsTest, MovePrimaryMovesOrRepointsAndOtherwiseChangesNothing) {
  const OdString a = dir.file("a.stocklib"), b = dir.file("b.stocklib");
  makeLibrary("a.stocklib", {"t"});
  auto [db, docs] = newDrawing();
  ASSERT_TRUE(hasTag(docs->openPrimary(a), "t"));
  {  // A file another drawing shares is not moved from under it; they share one library object.
    auto two = newDrawing(false);
    EXPECT_EQ(two.second->openPrimary(a), docs->primary());
    EXPECT_FALSE(docs->movePrimary(b, true));
  }
  reactor.events.clear();
  for (const auto& [to, copy] :
       {std::pair(OdString(), true), std::pair(OdString(":memory:"), false),
        std::pair(dir.touch("taken.stocklib"), true),
        std::pair(dir.file("absent.stocklib"), false)})
    EXPECT_FALSE(docs->movePrimary(to, copy)) << to.toUtf8();
  EXPECT_FALSE(ut::fileExists(dir.file("absent.stocklib")) || ut::fileExists(b));
  EXPECT_TRUE(docs->stocklibManager()->primaryLibraryPath() == a && reactor.events.empty());

  auto moved = docs->movePrimary(b, true);
  ASSERT_TRUE(hasTag(moved, "t"));
  EXPECT_TRUE(!ut::fileExists(a) && ut::fileExists(b) && docs->primary() == moved &&
              docs->stocklibManager()->primaryLibraryPath() == b);
  EXPECT_EQ(reactor.take(), (Events{"closed " + a.toUtf8()}));

  auto other = makeLibrary("c.stocklib", {"u"});
  EXPECT_EQ(docs->movePrimary(other->filename(), false), other);
  EXPECT_TRUE(ut::fileExists(b) &&
              docs->stocklibManager()->primaryLibraryPath() == other->filename());
  docs->openEmbeddedPrimary();
  EXPECT_FALSE(docs->movePrimary(dir.file("d.stocklib"), true));
  EXPECT_TRUE(!ut::fileExists(dir.file("d.stocklib")) && docs->isPrimaryEmbedded());
}

TEST_F(DocLibsTest, SecondariesAreKeptDistinctByFileAndSingleModeReplacesTheOpenOne) {
  std::filesystem::create_directories(dir.file("sub").toUtf8());
  auto [db, docs] = newDrawing();
  db->writeFile(dir.file("d.sldrw"));
  auto primary = docs->openPrimary(dir.file("p.stocklib"));
  ASSERT_TRUE(primary);
  EXPECT_FALSE(docs->openSecondary(primary->filename()) || !docs->secondaries().empty());
  // The finder answers the name as written; the library's own name is normalised.
  const OdString first = dir.path() + L"/sub/../s1.stocklib", second = dir.file("s2.stocklib");
  auto s1 = docs->openSecondary(first);
  ASSERT_TRUE(s1 && docs->openSecondary(first) == s1);
  EXPECT_EQ(secondaryPaths(docs), (Events{first.toUtf8()}));
  reactor.events.clear();
  auto s2 = docs->openSecondary(second);
  EXPECT_EQ(docs->secondaries(), (Libraries{s2}));
  EXPECT_EQ(reactor.take(), (Events{"closed " + s1->filename().toUtf8()}));
  EXPECT_EQ(secondaryPaths(docs), (Events{second.toUtf8()}));
  EXPECT_FALSE(docs->has(s1));

  {  // A drawing bound by a caller in multi-secondary mode keeps both.
    sl_db::DocumentLibraries own(db.get(), false);
    own.openSecondary(first);
    EXPECT_EQ(own.secondaries(), (Libraries{s2, s1}));
    own.closeSecondary(own.secondaries().begin());
    EXPECT_EQ(own.secondaries(), (Libraries{s1}));
  }
  docs->closeSecondary(docs->secondaries().begin());
  EXPECT_TRUE(secondaryPaths(docs).empty() && docs->secondaries().empty());

  // A secondary taken as primary: both closed, then the old primary copied.
  auto third = docs->openSecondary(dir.file("s3.stocklib"));
  primary->save(stocklib::Tag::create(OdString("old")));
  reactor.events.clear();
  EXPECT_EQ(docs->openPrimary(third->filename()), third);
  const std::string p = primary->filename().toUtf8(), s = third->filename().toUtf8();
  EXPECT_EQ(reactor.take(), (Events{"closed " + p, "closed " + s, "copy " + p}));
  EXPECT_TRUE(docs->secondaries().empty() && secondaryPaths(docs).empty() &&
              hasTag(docs->primary(), "old"));
}

TEST_F(DocLibsTest, FailingRebuildsLeaveNoEntryLoseNoPendingDrawingAndAreRetriedLater) {
  OdDbDatabasePtr failing = odDbCreateDatabase(true);
  writeRecord(failing.get(), dir.file("gone.stocklib"), {});
  reactor.failMissing(1);
  EXPECT_THROW(sl_db::docLibs(failing.get()), std::runtime_error);
  EXPECT_TRUE(!bound(failing.get()) && sl_db::docLibs(failing.get()));

  // Two followed drawings change while a third one's operation runs; the first rebuild fails.
  OdDbDatabasePtr a = odDbCreateDatabase(true), b = odDbCreateDatabase(true);
  for (OdDbDatabase* d : {a.get(), b.get()})
    ASSERT_TRUE(sl_db::docLibs(d)->openEmbeddedPrimary());
  auto [c, docs] = newDrawing();
  docs->openSecondary(dir.file("s1.stocklib"));
  bool touched = false;
  reactor.addOnClosedHandler(OdString("touch"), [&](OdDbDatabase*, const stocklib::Library*) {
    if (std::exchange(touched, true)) return;
    for (auto [d, name] : {std::pair(a.get(), "xa.stocklib"), std::pair(b.get(), "xb.stocklib")})
      openRecord(d, OdDb::kForWrite)->setSecondaryLibraryPaths().append(OdString(name));
  });
  reactor.failMissing(1);
  reactor.events.clear();
  EXPECT_THROW(docs->openSecondary(dir.file("s2.stocklib")), std::runtime_error);
  EXPECT_EQ(missingEvents(), 1);
  docs->refresh();  // any later resume rebuilds the drawing not reached
  EXPECT_EQ(missingEvents(), 2);
  reactor.removeOnClosedHandler(OdString("touch"));

  // Closed by the smart pointer's destructor: the failure must not escape from there.
  auto [d, dDocs] = newDrawing();
  ASSERT_TRUE(dDocs->openEmbeddedPrimary());
  reactor.failMissing(1);
  reactor.events.clear();
  openRecord(d.get(), OdDb::kForWrite)->setSecondaryLibraryPaths().append(OdString("yd.lib"));
  EXPECT_EQ(reactor.take(), (Events{"missing S yd.lib"}));
  docs->openSecondary(dir.file("s.stocklib"));
  EXPECT_EQ(reactor.take(),
            (Events{"closed " + dir.file("s2.stocklib").toUtf8(), "missing S yd.lib"}));

  // A drawing closed while its rebuild is held is forgotten, not rebuilt once it is gone.
  reactor.failMissing(1);
  openRecord(a.get(), OdDb::kForWrite)->setSecondaryLibraryPaths().append(OdString("ya.lib"));
  a.release();
  reactor.events.clear();
  docs->openSecondary(dir.file("t.stocklib"));
  EXPECT_EQ(missingEvents(), 0);
}

TEST_F(DocLibsTest, AnAdoptedPrimaryWithoutNamespacesIsSeededUnlessReadOnly) {
  const OdString writable = dir.file("w.stocklib"), readOnly = dir.file("r.stocklib");
  makeLibrary("w.stocklib", {"t"});
  auto rect = [](const std::shared_ptr<stocklib::Library>& lib, double height) {
    auto p = stocklib::RectangleProfile::create(nullptr, L"100x50");
    p->set_height(height);
    p->set_width(height / 2);
    return p->save(lib)->id();
  };
  const uint32_t profile = rect(makeLibrary("r.stocklib", {"t"}), 10);
  rect(makeLibrary("s.stocklib", {}), 100);  // the same profile, ten times larger
  std::shared_ptr<stocklib::Library> held =
      stocklib::LibraryManager::instance().open(readOnly, true);
  ASSERT_TRUE(held && held->isReadOnly());

  OdDbDatabasePtr one = odDbCreateDatabase(true), two = odDbCreateDatabase(true);
  writeRecord(one.get(), writable, {});
  writeRecord(two.get(), readOnly, {dir.file("s.stocklib")});
  auto adopted = sl_db::getPrimary(static_cast<const OdDbDatabase*>(one.get()));
  ASSERT_TRUE(hasTag(adopted, "t") && seeded(adopted));
  // Seeded again by a rebuild once its namespaces are gone.
  auto user = adopted->get<stocklib::PropertyNamespace>(stocklib::NameKey(OdString("User")));
  ASSERT_EQ(sl_db::getPrimary(one.get(), false)->remove(user), stocklib::Library::kRemoved);
  sl_db::docLibs(one.get())->refresh();
  EXPECT_TRUE(seeded(adopted));

  // A read-only primary cannot take them, nor a repair of its profiles: it is bound as it is.
  EXPECT_EQ(sl_db::getPrimary(static_cast<const OdDbDatabase*>(two.get())), held);
  EXPECT_TRUE(sl_db::getLibrary(two.get(), sl_db::kSecondary));
  std::vector<KcSmartPtr<stocklib::PropertyNamespace>> namespaces;
  EXPECT_EQ(held->get<stocklib::RectangleProfile>(profile)->height(), 10.0);
  EXPECT_FALSE(held->get(namespaces) ||
               sl_db::writable(sl_db::docLibs(two.get()), sl_db::kPrimary));
}

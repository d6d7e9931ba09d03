// The library event dispatcher: handler tables, their order, replacement and removal, the plain
// events (also as raised by the library store), errors in handlers, copies and unloading.
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "RxModule.h"
#include "TestSupport.h"
#include "sl_db/LibraryReactor.h"
#include "stocklib/Library.h"
#include "stocklib/Objects.h"

namespace {

// The reactor's destructor is protected: hosts derive their own.
class Reactor : public sl_db::LibraryReactor {
 public:
  ~Reactor() override = default;
};

/// Installs a reactor in the library manager for one scope.
class InstalledReactor {
 public:
  explicit InstalledReactor(stocklib::Library::Reactor* r)
      : m_old(stocklib::LibraryManager::instance().reactor()) {
    stocklib::LibraryManager::instance().setReactor(r);
  }
  ~InstalledReactor() { stocklib::LibraryManager::instance().setReactor(m_old); }

 private:
  std::shared_ptr<stocklib::Library::Reactor> m_old;
};

}  // namespace

TEST(LibraryReactor, HandlersRunInCodeUnitOrderAndNamesReplace) {
  Reactor r;
  std::vector<std::string> calls;
  auto closed = [&](const char* tag) {
    return [&calls, tag](OdDbDatabase*, const stocklib::Library*) { calls.push_back(tag); };
  };
  r.addOnClosedHandler(OdString("a"), closed("a"));
  r.addOnClosedHandler(OdString("B"), closed("B"));
  r.addOnClosedHandler(OdString("b"), closed("b-old"));
  r.addOnClosedHandler(OdString("b"), closed("b"));
  r.removeOnClosedHandler(OdString("not there"));
  r.removeOnSavedHandler(OdString("b"));  // other tables do not share names
  r.onClosed(nullptr, nullptr);
  EXPECT_EQ(calls, (std::vector<std::string>{"B", "a", "b"}));

  calls.clear();
  r.removeOnClosedHandler(OdString("a"));
  r.onClosed(nullptr, nullptr);
  EXPECT_EQ(calls, (std::vector<std::string>{"B", "b"}));

  // A character above U+FFFF sorts as its surrogate pair, before U+FF01; names are compared
  // whole, also past an embedded zero character.
  calls.clear();
  Reactor wide;
  wide.addOnClosedHandler(OdString(L"\xFF01"), closed("fullwidth"));
  wide.addOnClosedHandler(OdString(std::wstring(L"\U0001F600")), closed("astral"));
  wide.addOnClosedHandler(OdString(L"x"), closed("x"));
  wide.addOnClosedHandler(OdString(std::wstring(L"x\0y", 3)), closed("x-zero-y"));
  wide.addOnClosedHandler(OdString(std::wstring(L"x\0z", 3)), closed("x-zero-z"));
  wide.onClosed(nullptr, nullptr);
  EXPECT_EQ(calls, (std::vector<std::string>{"x", "x-zero-y", "x-zero-z", "astral", "fullwidth"}));
}

TEST(LibraryReactor, PlainEventsPassTheirArgumentsAndStopAtAThrowingHandler) {
  Reactor r;
  auto* db = reinterpret_cast<OdDbDatabase*>(0x10);
  auto* lib = reinterpret_cast<const stocklib::Library*>(0x20);
  stocklib::IdMapping mapping(lib);
  int copies = 0, modified = 0, later = 0;
  r.addOnPrimaryCopyHandler(OdString("x"), [&](OdDbDatabase* d, const stocklib::Library* s,
                                               const stocklib::IdMapping& m) {
    EXPECT_EQ(d, db);
    EXPECT_EQ(s, lib);
    EXPECT_EQ(&m, &mapping);
    ++copies;
  });
  r.addOnModifiedHandler(
      OdString("1"), [&](const std::shared_ptr<const stocklib::Library>&, stocklib::ObjectType t) {
        EXPECT_EQ(t, stocklib::ObjectType::Material);
        if (++modified == 2) throw std::runtime_error("handler failed");
      });
  r.addOnModifiedHandler(OdString("2"), [&](const std::shared_ptr<const stocklib::Library>&,
                                            stocklib::ObjectType) { ++later; });
  r.onPrimaryCopy(db, lib, mapping);
  EXPECT_EQ(copies, 1);
  r.onModified(nullptr, stocklib::ObjectType::Material);
  EXPECT_EQ(later, 1);
  EXPECT_THROW(r.onModified(nullptr, stocklib::ObjectType::Material), std::runtime_error);
  EXPECT_EQ(later, 1);

  r.addOnSavedHandler(OdString("empty"), nullptr);
  EXPECT_THROW(r.onSaved(nullptr, stocklib::ObjectKey()), std::bad_function_call);
  EXPECT_NO_THROW(r.onLibraryFileMissing(db, OdString("x"), sl_db::kPrimary));
}

TEST(LibraryReactor, InstanceIsTheManagersReactorOnlyWhenItIsALibraryReactor) {
  {
    InstalledReactor none(nullptr);
    EXPECT_EQ(sl_db::LibraryReactor::instance(), nullptr);
  }
  {
    stocklib::Library::Reactor other;
    InstalledReactor installed(&other);
    EXPECT_EQ(sl_db::LibraryReactor::instance(), nullptr);
  }
  Reactor r;
  InstalledReactor installed(&r);
  EXPECT_EQ(sl_db::LibraryReactor::instance(), &r);

  // The store's own events reach the handlers.
  OdRxModulePtr module = odrxModuleManager()->loadModule(OdString(SLDB_MODULE_PATH));
  sltest::ScratchDir dir;
  std::vector<stocklib::ObjectKey> saved;
  std::shared_ptr<const stocklib::Library> savedIn;
  r.addOnSavedHandler(OdString("s"), [&](const std::shared_ptr<const stocklib::Library>& l,
                                         const stocklib::ObjectKey& k) {
    savedIn = l;
    saved.push_back(k);
  });
  {
    std::shared_ptr<stocklib::Library> lib = stocklib::LibraryManager::instance().create(
        dir.file("events.stocklib"), stocklib::kLibraryUnitMillimeter, OdString());
    ASSERT_TRUE(lib);
    auto ns = lib->save(stocklib::PropertyNamespace::create(OdString("N")));
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(saved[0], stocklib::ObjectKey(stocklib::ObjectType::PropertyNamespace, ns->id()));
    EXPECT_EQ(savedIn, lib);
    savedIn.reset();
  }
  odrxModuleManager()->unloadModule(module);
}

TEST(LibraryReactor, CopiesKeepTheTablesAndUnloadHandlersRunOnceOnDestruction) {
  int unloads = 0, closes = 0;
  auto* original = new Reactor;
  original->addOnReactorUnloadHandler(OdString("u"), [&] { ++unloads; });
  original->addOnClosedHandler(OdString("c"),
                               [&](OdDbDatabase*, const stocklib::Library*) { ++closes; });
  Reactor copy(*original);
  Reactor assigned;
  assigned = *original;
  Reactor& self = assigned;
  assigned = self;  // self-assignment keeps the handlers
  delete original;
  EXPECT_EQ(unloads, 1);
  copy.onClosed(nullptr, nullptr);
  assigned.onClosed(nullptr, nullptr);
  EXPECT_EQ(closes, 2);
  {
    Reactor third(copy);
    third.removeOnReactorUnloadHandler(OdString("u"));
  }
  EXPECT_EQ(unloads, 1);

  // Told of the unload, a module drops its handlers; a failing or empty handler does not keep
  // the others from being told, nor end the process.
  std::vector<std::string> told;
  {
    Reactor going;
    going.addOnReactorUnloadHandler(OdString("a-throws"), [&] {
      told.push_back("a");
      throw std::runtime_error("unload failed");
    });
    going.addOnReactorUnloadHandler(OdString("b-empty"), nullptr);
    going.addOnReactorUnloadHandler(OdString("c-leaves"), [&] {
      told.push_back("c");
      going.removeOnReactorUnloadHandler(OdString("c-leaves"));
      going.removeOnReactorUnloadHandler(OdString("d"));
      going.removeOnClosedHandler(OdString("c-leaves"));
    });
    going.addOnReactorUnloadHandler(OdString("d"), [&] { told.push_back("d"); });
    going.addOnClosedHandler(OdString("c-leaves"), [](OdDbDatabase*, const stocklib::Library*) {});
  }
  EXPECT_EQ(told, (std::vector<std::string>{"a", "c", "d"}));
}

// The library event dispatcher: handler tables, their order, replacement and removal, the plain
// events, errors in handlers, copies and unloading.
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "sl_db/LibraryReactor.h"
#include "stocklib/Library.h"
#include "stocklib/Objects.h"

namespace {

// The reactor's destructor is protected: hosts derive their own.
struct Reactor : sl_db::LibraryReactor {};

using Told = std::vector<std::string>;

}  // namespace

TEST(LibraryReactor, HandlersRunInCodeUnitOrderAndNamesReplace) {
  Reactor r;
  // A character above U+FFFF sorts as its surrogate pair, before U+FF01; names are compared
  // whole, also past an embedded zero character. Each handler tells its place in `added`; the
  // second "b" replaces the first.
  using namespace std::string_literals;
  const std::wstring added[] = {L"\xFF01"s, L"\U0001F600"s, L"x\0z"s, L"x\0y"s, L"x"s,
                                L"a"s,      L"B"s,          L"b"s,    L"b"s};
  std::vector<int> calls;
  for (int i = 0; i < 9; ++i)
    r.addOnClosedHandler(OdString(added[i]), [&calls, i](auto*, auto*) { calls.push_back(i); });
  r.removeOnClosedHandler(OdString("not there"));
  r.removeOnSavedHandler(OdString("b"));  // other tables do not share names
  r.removeOnClosedHandler(OdString("a"));
  r.onClosed(nullptr, nullptr);
  EXPECT_EQ(calls, (std::vector<int>{6, 8, 4, 3, 2, 1, 0}));  // B b x x\0y x\0z astral fullwidth
}

TEST(LibraryReactor, PlainEventsPassTheirArgumentsAndStopAtAThrowingHandler) {
  Reactor r;
  auto* db = reinterpret_cast<OdDbDatabase*>(0x10);
  auto* lib = reinterpret_cast<const stocklib::Library*>(0x20);
  stocklib::IdMapping mapping(lib);
  int copies = 0, modified = 0, later = 0;
  r.addOnPrimaryCopyHandler(OdString("x"), [&](auto* d, auto* s, const auto& m) {
    copies += d == db && s == lib && &m == &mapping;
  });
  r.addOnModifiedHandler(OdString("1"), [&](const auto&, stocklib::ObjectType t) {
    modified += t == stocklib::ObjectType::Material;
    if (modified == 2) throw std::runtime_error("handler failed");
  });
  r.addOnModifiedHandler(OdString("2"), [&](const auto&, stocklib::ObjectType) { ++later; });
  r.onPrimaryCopy(db, lib, mapping);
  r.onModified(nullptr, stocklib::ObjectType::Material);
  EXPECT_THROW(r.onModified(nullptr, stocklib::ObjectType::Material), std::runtime_error);
  EXPECT_TRUE(copies == 1 && later == 1);
  r.addOnSavedHandler(OdString("empty"), nullptr);
  EXPECT_THROW(r.onSaved(nullptr, stocklib::ObjectKey()), std::bad_function_call);

  // The manager's reactor is taken as the dispatcher only when it is one.
  stocklib::Library::Reactor other;
  auto& manager = stocklib::LibraryManager::instance();
  const auto old = manager.reactor();
  manager.setReactor(&other);
  EXPECT_EQ(sl_db::LibraryReactor::instance(), nullptr);
  manager.setReactor(old);
}

TEST(LibraryReactor, CopiesKeepTheTablesAndUnloadHandlersRunOnceOnDestruction) {
  int closes = 0;
  Told told;
  auto* original = new Reactor;
  original->addOnReactorUnloadHandler(OdString("u"), [&] { told.push_back("u"); });
  original->addOnClosedHandler(OdString("c"), [&](auto*, auto*) { ++closes; });
  Reactor copy(*original), assigned;
  assigned = *original;
  Reactor& self = assigned;
  assigned = self;  // self-assignment keeps the handlers
  delete original;
  copy.onClosed(nullptr, nullptr);
  assigned.onClosed(nullptr, nullptr);
  Reactor(copy).removeOnReactorUnloadHandler(OdString("u"));
  EXPECT_TRUE(closes == 2 && told == Told{"u"});

  // Told of the unload, a module drops its handlers; a failing or empty handler does not keep
  // the others from being told, nor end the process.
  told.clear();
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
    });
    going.addOnReactorUnloadHandler(OdString("d"), [&] { told.push_back("d"); });
  }
  EXPECT_EQ(told, (Told{"a", "c", "d"}));
}

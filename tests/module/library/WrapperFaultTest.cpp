// Failed SQLite allocations while the library wrapper reads its library, when it is made and when
// it reloads: the error surfaces, a wrapper never answers part of its library as the whole, and
// the same library wraps whole once the fault has passed.
#include <filesystem>

#include "FaultInjection.h"
#include "RxClass.h"
#include "TestSupport.h"
#include "sl_db/Library.h"

using namespace stocklib;
using sl_db::PropertyKey;
using sltest::FaultMalloc;

namespace {

/// summary: what a wrapper answers, as text: each set under its namespace with the definitions
/// its key lookups find, and the number of sets found by class.
std::string summary(const sl_db::Library& w) {
  std::string out;
  for (const auto& set : w.propertySets()) {
    const PropertyNamespace* ns = w.indexedNamespace(set->namespace_id());
    const OdString nsName = ns ? ns->name() : OdString();
    out += nsName.toUtf8() + "/" + set->name().toUtf8() + ":";
    for (const auto& d : set->property_definitions())
      if (w.propertyDefinition(PropertyKey(nsName, d->name())) == d.get())
        out += " " + d->name().toUtf8();
    for (const auto& d : set->value_definitions())
      if (w.valueDefinition(PropertyKey(nsName, d->name())) == d.get())
        out += " " + d->name().toUtf8();
    out += ";";
  }
  sl_db::PropertySetList lines;
  w.propertySets(lines, odrxClassDictionary()->getAt(L"OdDbLine"));
  return out + " lines " + std::to_string(lines.size());
}

void addSets(const std::shared_ptr<stocklib::Library>& lib, const wchar_t* nsName, int count) {
  auto ns = PropertyNamespace::create(nsName)->save(lib);
  for (int i = 0; i < count; ++i) {
    auto set = PropertySet::create(ns, OdString::formatted(L"S%d", i));
    set->insert_entity_type(L"OdDbLine");
    set->append_property_definition(OdString::formatted(L"P%d", i), PropertyType(1, 5));
    set->append_value_definition(OdString::formatted(L"V%d", i), PropertyType(1, 9));
    set->save(lib);
  }
}

}  // namespace

TEST(WrapperFaults, FailedAllocationsWhileWrappingOrReloadingNeverShowPartOfTheLibrary) {
  sltest::ScratchDir dir;
  const OdString base = dir.file("base.stocklib"), work = dir.file("work.stocklib");
  {
    auto lib = LibraryManager::instance().create(base, kLibraryUnitMillimeter, L"base");
    ASSERT_TRUE(lib);
    addSets(lib, L"Arch", 4);
    addSets(lib, L"Struct", 3);
  }
  FaultMalloc& heap = FaultMalloc::instance();
  ASSERT_TRUE(heap.install());
  for (bool reload : {false, true}) {
    // reload: a wrapper is made, the library changes and the wrapper reloads; else a wrapper is
    // made of a library just opened. `old` is what it answered before, `whole` after.
    std::shared_ptr<stocklib::Library> lib;
    std::shared_ptr<sl_db::Library> w;
    auto prepare = [&] {  // a fresh copy of the base library, outside any fault
      w.reset();
      lib = nullptr;  // closed before its file is copied over
      std::filesystem::copy_file(base.toUtf8(), work.toUtf8(),
                                 std::filesystem::copy_options::overwrite_existing);
      lib = LibraryManager::instance().open(work, false);
      if (reload) w = sl_db::Library::get(lib);
      if (reload) addSets(lib, L"Extra", 2);
    };
    auto failed = [&] {  // the step, true when it threw
      try {
        reload ? w->reload() : void(w = sl_db::Library::get(lib));
      } catch (const stocklib::Exception&) {
        return true;
      }
      return false;
    };
    prepare();
    const std::string old = w ? summary(*w) : "";
    heap.arm(0, false);
    ASSERT_FALSE(failed());
    const uint64_t total = heap.count();
    const std::string whole = summary(*w);
    ASSERT_GT(total, 20u);
    ASSERT_NE(old, whole);
    for (bool persistent : {false, true}) {
      for (uint64_t at : sltest::faultPoints(total)) {
        SCOPED_TRACE((reload ? "reload" : "make") + std::string(persistent ? " from" : " at") +
                     " allocation " + std::to_string(at));
        prepare();
        heap.arm(at, persistent);
        const bool threw = failed();
        heap.arm(0, false);
        if (threw) {  // a failed reload keeps the indexes it had; a failed make caches no wrapper
          EXPECT_EQ(reload ? summary(*w) : old, old);
          ASSERT_FALSE(failed());
        }
        EXPECT_EQ(summary(*w), whole);
      }
    }
  }
  heap.uninstall();
}

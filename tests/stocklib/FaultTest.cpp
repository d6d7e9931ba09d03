// Injected faults while a library changes: the Nth read, write, sync or truncate fails once or
// from then on (a full disk), or the Nth SQLite allocation fails. After each: the error
// surfaces, the file passes SQLite's and the store's checks and holds the old or the new
// state, and objects in memory are as before. Sweeps are sampled: at most kSamples fault
// points per operation and mode, spread evenly over the operations the change performs. And a
// process killed while it saves.
#include <random>

#include "KilledChild.h"
#include "TestSupport.h"

using namespace stocklib;
using sltest::FaultMalloc;
using sltest::FaultVfs;

namespace {
/// A change of a library and how to tell its old state from its new one.
struct Change {
  const char* name;
  std::function<void(const std::shared_ptr<Library>&)> run;
  /// state: 0 old, 1 new, anything else a mix.
  std::function<int(const std::shared_ptr<Library>&)> state;
};

int tagsState(const std::shared_ptr<Library>& lib) {
  const std::size_t n = sltest::count<Tag>(lib);
  return n == 1 ? 0 : n == 31 ? 1 : 2;  // the existing tag, and 30 more
}

class Faults : public sltest::TempDir {
 protected:
  void SetUp() override {
    TempDir::SetUp();
    auto lib = library("base.stocklib");
    Tag::create(L"existing")->save(lib);
    auto source = library("source.stocklib");
    for (int i = 0; i < 30; ++i)
      Tag::create(OdString::formatted(L"copied %d", i))->save(source);
  }

  std::vector<Change> changes() {
    return {
        {"save",
         [](const std::shared_ptr<Library>& lib) {
           auto ns = PropertyNamespace::create(L"N");
           auto set = PropertySet::create(ns, L"Set");
           for (int i = 0; i < 40; ++i)
             set->append_property_definition(OdString::formatted(L"D%d", i), PropertyType(1, 4))
                 ->set_description(OdString(L'x', 300));
           try {
             set->save(lib);
           } catch (...) {
             // Nothing in memory took an id from the failed save.
             if (ns->id() != 0 || set->id() != 0 || set->property_definitions()[0]->id() != 0)
               ADD_FAILURE() << "a failed save left ids on the objects in memory";
             throw;
           }
         },
         [](const std::shared_ptr<Library>& lib) {
           const std::size_t sets = sltest::count<PropertySet>(lib),
                             n = sets + sltest::count<PropertyDefinition>(lib);
           return n == 0 ? 0 : sets == 1 && n == 41 ? 1 : 2;
         }},
        {"import",
         [](const std::shared_ptr<Library>& lib) {
           std::string xml = "<r>";
           for (int i = 0; i < 30; ++i)
             xml += "<Tag name='imported " + std::to_string(i) + "' description='" +
                    std::string(200, 'd') + "'/>";
           sltest::importXml(*lib, xml + "</r>");
         },
         tagsState},
        {"copy",
         [this](const std::shared_ptr<Library>& lib) {
           auto source = LibraryManager::instance().open(path("source.stocklib"), true).value();
           IdMapping mapping(lib.get());
           lib->copyAll(source, mapping);
         },
         tagsState},
    };
  }

  /// fresh: a copy of the base library as work.stocklib, opened unless `open` is false.
  std::shared_ptr<Library> fresh(bool open = true) {
    std::filesystem::copy_file(pathUtf8("base.stocklib"), pathUtf8("work.stocklib"),
                               std::filesystem::copy_options::overwrite_existing);
    if (!open) return nullptr;
    return LibraryManager::instance().open(path("work.stocklib"), false);
  }

  /// sweep: at each sampled fault point of `total`, once and from then on, `attempt` answers
  /// whether the change failed; the work library, reopened without faults, is then whole and
  /// old (failed) or new.
  void sweep(const Change& c, uint64_t total, const std::function<bool(uint64_t, bool)>& attempt) {
    for (bool persistent : {false, true})
      for (uint64_t at : sltest::faultPoints(total)) {
        const bool failed = attempt(at, persistent);
        SCOPED_TRACE(std::string(c.name) + (persistent ? " from" : " at") + " operation " +
                     std::to_string(at));
        // Opening rolls back what a failed commit left in the journal; the file is whole after.
        auto lib = LibraryManager::instance().open(path("work.stocklib"), false);
        ASSERT_TRUE(lib) << lib.message().toUtf8();
        EXPECT_TRUE(sltest::integrityOk(pathUtf8("work.stocklib")));
        EXPECT_EQ(lib->check(), std::vector<OdString>());
        EXPECT_EQ(c.state(lib), failed ? 0 : 1);
      }
  }
  static bool fails(const std::function<void()>& run) {
    try {
      run();
    } catch (const Exception&) {
      return true;
    }
    return false;
  }
};
}  // namespace

TEST_F(Faults, FailedReadsWritesSyncsTruncatesAllocationsAndAKilledSaveLoseNothing) {
  FaultVfs& vfs = FaultVfs::instance();
  vfs.install();
  for (const Change& c : changes()) {
    auto counted = fresh();
    vfs.arm(0, false);  // a clean run counts the operations the change performs
    c.run(counted);
    const uint64_t total = vfs.count();
    counted.reset();
    ASSERT_GT(total, 3u) << c.name;
    sweep(c, total, [&](uint64_t at, bool persistent) {
      auto lib = fresh();
      vfs.arm(at, persistent);
      const bool failed = fails([&] { c.run(lib); });
      vfs.arm(0, false);
      // A failed change reports it: success only when no fault was met at all.
      if (!failed) {
        EXPECT_LT(vfs.count(), at) << c.name << " ignored a fault at " << at;
        return false;
      }
      if (persistent) return true;
      c.run(lib);  // the same library takes the change once the fault has passed
      EXPECT_EQ(c.state(lib), 1) << c.name << " retried after a fault at " << at;
      return false;
    });
  }
  vfs.uninstall();

  // Failed allocations in the open and in an import.
  FaultMalloc& heap = FaultMalloc::instance();
  ASSERT_TRUE(heap.install());
  const Change import = changes()[1];
  for (bool opening : {true, false}) {  // the fault falls in the open, else in the import
    heap.arm(0, false);
    auto counted = fresh();
    if (!opening) {
      heap.arm(0, false);
      import.run(counted);
    }
    const uint64_t total = heap.count();
    counted.reset();
    sweep(import, total, [&](uint64_t at, bool persistent) {
      fresh(false);
      if (opening) heap.arm(at, persistent);
      std::shared_ptr<Library> lib;
      bool failed = fails([&] {
        lib = LibraryManager::instance().open(path("work.stocklib"), false);
        if (!lib || opening) return;
        heap.arm(at, persistent);
        import.run(lib);
      });
      heap.arm(0, false);
      if (!opening) return failed;
      if (lib) import.run(lib);  // an open that survived works
      return !lib;
    });
  }
  heap.uninstall();

  // A power cut in the middle of a large save: a child process is killed while saving, at random
  // moments, many times; the file must then hold all or nothing of that save and pass SQLite's
  // and the store's checks.
  constexpr std::size_t kDefinitions = 8000;
  constexpr int kKills = 16;
  const OdString file = path("cut.stocklib");
  PropertyNamespace::create(L"Before")->save(library("cut.stocklib"));
  std::mt19937 random(std::random_device{}());
  for (int round = 0; round < kKills; ++round) {
    const int delayMs = std::uniform_int_distribution<int>(0, 300)(random);
    SCOPED_TRACE("killed after " + std::to_string(delayMs) + " ms");
    ASSERT_TRUE(sltest::killedWhileSaving(delayMs, [&](auto ready) {
      auto lib = LibraryManager::instance().open(file, false);
      if (!lib) ::_exit(2);
      auto ns = lib->get<PropertyNamespace>(NameKey(L"Before"));
      auto set = PropertySet::create(ns, OdString::formatted(L"Big%d", round));
      for (std::size_t i = 0; i < kDefinitions; ++i)
        set->append_property_definition(OdString::formatted(L"D%d", int(i)), PropertyType(1, 4))
            ->set_description(OdString(L'd', 100));
      ready();
      set->save(lib);
    })) << "the child failed on its own";

    // Opening recovers from the interrupted transaction.
    std::shared_ptr<Library> lib = LibraryManager::instance().open(file, false).value();
    auto ns = lib->get<PropertyNamespace>(NameKey(L"Before"));
    ASSERT_TRUE(ns);
    auto set = lib->get<PropertySet>(DefinitionKey(OdString::formatted(L"Big%d", round), ns->id()));
    EXPECT_EQ(set ? set->property_definitions().size() : 0u, set ? kDefinitions : 0u);
    // Remove what a finished child left, so that the next round starts alike.
    if (set) {
      EXPECT_EQ(lib->remove(set), Library::kRemoved);
    }
    EXPECT_EQ(lib->check(), std::vector<OdString>());
    lib.reset();
    EXPECT_TRUE(sltest::integrityOk(pathUtf8("cut.stocklib")));
  }
}

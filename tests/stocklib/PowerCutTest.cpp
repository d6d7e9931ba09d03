// A power cut in the middle of a large save: a child process is killed while saving, at random
// moments, many times; the file must then hold all or nothing of that save and pass SQLite's
// and the store's checks.
#include <signal.h>

#include <chrono>
#include <random>
#include <thread>

#include "TestSupport.h"

using namespace stocklib;

namespace {
class PowerCut : public sltest::TempDir {};
constexpr int kDefinitions = 8000;
constexpr int kKills = 16;
}  // namespace

TEST_F(PowerCut, KilledSaveLeavesAllOrNothing) {
  OdString file = path("cut.stocklib");
  {
    auto lib = LibraryManager::instance().create(file, kLibraryUnitMillimeter, L"");
    ASSERT_TRUE(lib);
    PropertyNamespace::create(L"Before")->save(lib);
  }
  std::mt19937 random(std::random_device{}());
  for (int round = 0; round < kKills; ++round) {
    const int delayMs = std::uniform_int_distribution<int>(0, 300)(random);
    SCOPED_TRACE("killed after " + std::to_string(delayMs) + " ms");
    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      // The child never returns into the test framework.
      ::close(pipeFds[0]);
      try {
        auto lib = LibraryManager::instance().open(file, false);
        if (!lib) ::_exit(2);
        auto ns = lib->get<PropertyNamespace>(NameKey(L"Before"));
        auto set = PropertySet::create(ns, OdString::formatted(L"Big%d", round));
        for (int i = 0; i < kDefinitions; ++i)
          set->append_property_definition(OdString::formatted(L"D%d", i), PropertyType(1, 4))
              ->set_description(OdString(L'd', 100));
        char go = 1;
        if (::write(pipeFds[1], &go, 1) != 1) ::_exit(3);
        set->save(lib);
      } catch (...) {
        ::_exit(4);
      }
      ::_exit(0);
    }
    ::close(pipeFds[1]);
    char go = 0;
    ASSERT_EQ(::read(pipeFds[0], &go, 1), 1);
    ::close(pipeFds[0]);
    std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);

    // Opening recovers from the interrupted transaction.
    std::shared_ptr<Library> lib = LibraryManager::instance().open(file, false).value();
    auto ns = lib->get<PropertyNamespace>(NameKey(L"Before"));
    ASSERT_TRUE(ns);
    auto set = lib->get<PropertySet>(DefinitionKey(OdString::formatted(L"Big%d", round), ns->id()));
    std::size_t mine = set ? set->property_definitions().size() : 0;
    EXPECT_TRUE(mine == 0 || mine == static_cast<std::size_t>(kDefinitions)) << mine;
    EXPECT_EQ(set ? 1 : 0, mine ? 1 : 0);
    // Remove what a finished child left, so that the next round starts alike.
    if (set) {
      EXPECT_EQ(lib->remove(set), Library::kRemoved);
    }
    EXPECT_EQ(lib->check(), std::vector<OdString>());
    lib.reset();
    EXPECT_TRUE(sltest::integrityOk(pathUtf8("cut.stocklib")));
  }
}

// What is documented as safe across threads, under load: the registry of bound drawings, the
// in-memory file system with a drawing-style copy of a file being written, the wrapper cache, the
// library manager, and the record reactor's suspensions while each thread changes its drawing.
// Meant for the tsan preset; the other presets run it as a plain (short) test.
#include <atomic>
#include <cstring>
#include <thread>

#include "DocLibsSupport.h"
#include "sl_db/Library.h"
#include "stocklib/MemFs.h"

using sltest::DocLibsTest;

namespace {
constexpr int kThreads = 4;
constexpr int kRounds = 40;

template <class F>
void onThreads(F work) {
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back(work, t);
  for (auto& t : threads)
    t.join();
}
}  // namespace

TEST_F(DocLibsTest, RegistryWrappersManagerAndRecordRebuildsHoldOnSeveralThreads) {
  stocklib::LibraryManager& manager = stocklib::LibraryManager::instance();
  auto held = makeLibrary("shared.stocklib", {"a"});
  std::vector<std::shared_ptr<stocklib::Library>> own;
  for (int t = 0; t < kThreads; ++t)
    own.push_back(makeLibrary(("s" + std::to_string(t) + ".stocklib").c_str(), {"s"}));
  std::atomic<int> wrong{0};
  onThreads([&](int t) {
    const OdString made = dir.file(("own" + std::to_string(t) + ".stocklib").c_str());
    OdDbDatabasePtr db = odDbCreateDatabase(true);
    sl_db::DocumentLibraries* docs = sl_db::docLibs(db.get());
    for (int r = 0; r < kRounds; ++r) {
      // A drawing bound here is in the registry's walk, and goes from it with the drawing.
      OdDbDatabasePtr other = odDbCreateDatabase(true);
      sl_db::DocumentLibraries* otherDocs = sl_db::docLibs(other.get());
      bool found = false;
      {
        auto registry = sl_db::DocumentLibrariesManager::instance().lock();
        for (auto it = sl_db::docLibs_begin(); it != sl_db::docLibs_end(); ++it)
          found = found || (it->first == other.get() && it->second == otherDocs);
      }
      std::shared_ptr<sl_db::Library> first = sl_db::Library::get(own[t]);
      wrong += !found || !first || sl_db::Library::get(own[t]) != first ||
               first->library() != own[t] || manager.open(held->filename(), false) != held;
      // Made in the first round, then opened again once the last holder let it go.
      auto mine = manager.create(made, stocklib::kLibraryUnitMillimeter, OdString());
      auto missing = manager.open(dir.file("missing.stocklib"), true);
      wrong += !mine || !mine.message().isEmpty() || missing ||
               missing.code() != stocklib::ErrorCode::kNotFound;
      // Suspends the rebuilds while it writes the record; the change below rebuilds at once.
      wrong += docs->openSecondary(own[t]->filename()) != own[t];
      docs->stocklibManager(OdDb::kForWrite, true)
          ->setFilterTags()
          .append(OdString::formatted(L"r%d", r));
      wrong += docs->secondaries() != sl_db::DocumentLibraries::Libraries{own[t]};
    }
  });
  EXPECT_EQ(wrong.load(), 0);
  auto registry = sl_db::DocumentLibrariesManager::instance().lock();
  EXPECT_EQ(sl_db::docLibs_begin(), sl_db::docLibs_end());
}

TEST(MemFileThreads, CopiesOfAFileBeingRewrittenAreNeverTorn) {
  auto file = stocklib::MemFs::instance().createUnique();
  const std::size_t size = 16 * file->blocksize() + 17;  // a fill takes a while
  std::atomic<bool> done{false};
  std::atomic<int> torn{0};
  file->fill(size, [&](void* p, std::size_t n) { std::memset(p, 'z', n); });
  std::thread writer([&] {
    for (int r = 0; !done; ++r)
      file->fill(size, [&](void* p, std::size_t n) { std::memset(p, 'a' + r % 26, n); });
  });
  onThreads([&](int) {
    for (int r = 0; r < 10; ++r) {
      std::string copy;
      file->readBlocks(
          [&](uint64_t told) { copy.reserve(told); },
          [&](const void* p, std::size_t n) { copy.append(static_cast<const char*>(p), n); });
      if (copy.size() != size || copy.find_first_not_of(copy[0]) != std::string::npos) ++torn;
    }
  });
  done = true;
  writer.join();
  EXPECT_EQ(torn.load(), 0);
  stocklib::MemFs::instance().remove(file->filename());
}

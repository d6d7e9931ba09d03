// A drawing bound to a primary and two secondaries of 10,000 materials each: get (cached, cold,
// missing everywhere, after another connection wrote) and getAndSaveToPrimary per second, beside
// raw SQLite and std::unordered_map in the same run; and binding a drawing whose embedded library
// is 50 MiB (load + rebuild) beside memcpy of the same bytes; a rebuild of the bound drawing.
// Files go to $BENCH_DIR (default: the system's temporary folder).
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <string>
#include <unordered_map>

#include "BenchSupport.h"
#include "RxModule.h"
#include "sl_db/DocumentLibrariesManager.h"
#include "stocklib/Library.h"
#include "stocklib/Materials.h"
#include "stocklib/MemFs.h"
#include "stocklib/Objects.h"

namespace {

constexpr int kObjects = 10000;
constexpr std::size_t kEmbedded = 50u << 20;

OdString key(int library, int i) {
  return OdString::fromUtf8("Material " + std::to_string(library) + "-" + std::to_string(i));
}

struct Setup {
  benchsupport::BenchFolder folder{"doclibs"};
  OdRxModulePtr module;
  OdDbDatabasePtr drawing;
  sl_db::DocumentLibraries* docs = nullptr;
  std::shared_ptr<stocklib::Library> libs[3];
  OdString bigDrawing;

  Setup() {
    module = odrxModuleManager()->loadModule(OdString(SLDB_MODULE_FILE));
    const char* names[] = {"primary.stocklib", "second.stocklib", "third.stocklib"};
    for (int l = 0; l < 3; ++l) {
      libs[l] = stocklib::LibraryManager::instance().create(
          OdString::fromUtf8(folder.file(names[l])), stocklib::kLibraryUnitMillimeter, OdString());
      for (int i = 0; i < kObjects; ++i) {
        auto material = stocklib::Material::create(key(l, i));
        material->set_description(OdString(L"Generated for the benchmark"));
        libs[l]->save(material);
      }
    }
    drawing = odDbCreateDatabase();
    docs = new sl_db::DocumentLibraries(drawing.get(), false);
    docs->openPrimary(libs[0]->filename());
    docs->openSecondary(libs[1]->filename());
    docs->openSecondary(libs[2]->filename());

    // A drawing whose embedded library file is 50 MiB (layers with long names).
    OdDbDatabasePtr big = odDbCreateDatabase();
    auto embedded = sl_db::docLibs(big.get())->openEmbeddedPrimary();
    auto file = stocklib::MemFs::instance().open(
        DbStockLibManager::cast(DbStockLibManager::getInstance(*big).openObject())
            ->primaryLibraryPath(),
        false);
    std::string text(64 * 1024, 'x');
    for (int n = 0; file->size() < kEmbedded; ++n)
      embedded->save(stocklib::Layer::create(OdString::fromUtf8(text + std::to_string(n))));
    bigDrawing = OdString::fromUtf8(folder.file("big.sldrw"));
    big->writeFile(bigDrawing);
  }
  ~Setup() {
    delete docs;
    drawing = nullptr;
    for (auto& l : libs)
      l.reset();
    odrxModuleManager()->unloadModule(module);
  }
};

Setup& setup() {
  static Setup s;
  return s;
}

/// Runs `lookup(i)` for i cycling over the keys, counting one item per lookup.
template <class Lookup>
void lookups(benchmark::State& state, Lookup lookup) {
  int i = 0;
  for (auto _ : state) {
    auto found = lookup(i++ % kObjects);
    benchmark::DoNotOptimize(found.get());
  }
  state.SetItemsProcessed(state.iterations());
}

// Baseline: the store's own lookup by name in the library that holds the object.
void BM_StoreGet(benchmark::State& state) {
  Setup& s = setup();
  lookups(state,
          [&](int i) { return s.libs[2]->get<stocklib::Material>(stocklib::NameKey(key(2, i))); });
}

// A name that no library holds: a miss in all three.
void BM_GetMissEverywhere(benchmark::State& state) {
  Setup& s = setup();
  lookups(state,
          [&](int i) { return s.docs->get<stocklib::Material>(stocklib::NameKey(key(7, i))); });
}

// Cold: the primary keeps no cache, so every lookup reads the file (the first lookup of a key).
void BM_GetFromPrimaryCold(benchmark::State& state) {
  Setup& s = setup();
  std::size_t limit = s.libs[0]->cacheInfo().limit;
  s.libs[0]->setCacheLimit(0);
  lookups(state,
          [&](int i) { return s.docs->get<stocklib::Material>(stocklib::NameKey(key(0, i))); });
  s.libs[0]->setCacheLimit(limit);
}

// Another connection writes the primary before each lookup (not timed): the lookup then checks
// data_version, forgets the cache and reads the file.
void BM_GetFromPrimaryAfterOtherWriter(benchmark::State& state) {
  Setup& s = setup();
  sqlite3* other = nullptr;
  sqlite3_open_v2(s.libs[0]->filename().toUtf8().c_str(), &other, SQLITE_OPEN_READWRITE, nullptr);
  int i = 0;
  uint64_t misses = s.libs[0]->cacheInfo().misses;
  for (auto _ : state) {
    state.PauseTiming();
    if (sqlite3_exec(other,
                     "INSERT OR REPLACE INTO library_meta(key, value) VALUES('bench', random())",
                     nullptr, nullptr, nullptr) != SQLITE_OK)
      state.SkipWithError("the other connection could not write");
    state.ResumeTiming();
    auto found = s.docs->get<stocklib::Material>(stocklib::NameKey(key(0, i++ % kObjects)));
    benchmark::DoNotOptimize(found.get());
  }
  sqlite3_close(other);
  // Each lookup had to read the file: one cache miss per lookup.
  state.counters["misses_per_lookup"] =
      static_cast<double>(s.libs[0]->cacheInfo().misses - misses) /
      static_cast<double>(state.iterations());
  state.SetItemsProcessed(state.iterations());
}

// Anchors: the same lookup by name with a prepared SQLite statement, each in its own read
// transaction (as every lookup was before the cache) or all in one; and a hash map of the names.
void rawSqlite(benchmark::State& state, bool oneTransaction) {
  Setup& s = setup();
  sqlite3* db = nullptr;
  sqlite3_open_v2(s.libs[0]->filename().toUtf8().c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(db, "SELECT id, name, description FROM o_Material WHERE name=?", -1, &st,
                     nullptr);
  if (oneTransaction) sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
  int i = 0;
  for (auto _ : state) {
    std::string name = key(0, i++ % kObjects).toUtf8();
    sqlite3_bind_text(st, 1, name.data(), static_cast<int>(name.size()), SQLITE_STATIC);
    if (sqlite3_step(st) == SQLITE_ROW) {
      OdString text = OdString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 2)),
                                         static_cast<std::size_t>(sqlite3_column_bytes(st, 2)));
      benchmark::DoNotOptimize(text.c_str());
    }
    sqlite3_reset(st);
  }
  if (oneTransaction) sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
  sqlite3_finalize(st);
  sqlite3_close(db);
  state.SetItemsProcessed(state.iterations());
}
void BM_RawSqliteEachInItsOwnTransaction(benchmark::State& state) {
  rawSqlite(state, false);
}
void BM_RawSqliteInOneReadTransaction(benchmark::State& state) {
  rawSqlite(state, true);
}

void BM_UnorderedMap(benchmark::State& state) {
  std::unordered_map<std::wstring, int> names;
  for (int i = 0; i < kObjects; ++i)
    names.emplace(key(0, i).c_str(), i);
  int i = 0;
  for (auto _ : state) {
    auto it = names.find(key(0, i++ % kObjects).c_str());
    benchmark::DoNotOptimize(it);
  }
  state.SetItemsProcessed(state.iterations());
}

// Today's path, as a same-run reference for the cold lookup: the store's own lookup with no
// cache and no read scope, one read transaction per statement.
void BM_StoreGetCold(benchmark::State& state) {
  Setup& s = setup();
  std::size_t limit = s.libs[2]->cacheInfo().limit;
  s.libs[2]->setCacheLimit(0);
  lookups(state,
          [&](int i) { return s.libs[2]->get<stocklib::Material>(stocklib::NameKey(key(2, i))); });
  s.libs[2]->setCacheLimit(limit);
}

// Found in the last secondary: a miss in the primary and the first secondary first.
void BM_GetFromLastSecondary(benchmark::State& state) {
  Setup& s = setup();
  lookups(state,
          [&](int i) { return s.docs->get<stocklib::Material>(stocklib::NameKey(key(2, i))); });
}

void BM_GetFromPrimary(benchmark::State& state) {
  Setup& s = setup();
  lookups(state,
          [&](int i) { return s.docs->get<stocklib::Material>(stocklib::NameKey(key(0, i))); });
}

// First use of secondary objects: each is copied into the primary (a new key each time, so
// every iteration writes; the run stops before the keys run out).
void BM_GetAndSaveToPrimary(benchmark::State& state) {
  Setup& s = setup();
  static int next = 0;
  for (auto _ : state) {
    auto t = s.docs->getAndSaveToPrimary<stocklib::Material>(stocklib::NameKey(key(1, next++)));
    if (!t) state.SkipWithError("keys ran out");
    benchmark::DoNotOptimize(t.get());
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_MemcpyCold(benchmark::State& state) {
  benchsupport::memcpyCold(state, kEmbedded);
}

// Reading the drawing (the embedded bytes into an in-memory file) and binding it.
void BM_BindEmbedded(benchmark::State& state) {
  Setup& s = setup();
  std::int64_t bytes = 0;
  for (auto _ : state) {
    OdDbDatabasePtr db = odDbCreateDatabase();
    db->readFile(s.bigDrawing);
    auto primary = sl_db::docLibs(db.get())->primary();
    if (!primary) state.SkipWithError("no embedded primary");
    auto name = DbStockLibManager::cast(DbStockLibManager::getInstance(*db).openObject())
                    ->primaryLibraryPath();
    bytes += static_cast<std::int64_t>(stocklib::MemFs::instance().open(name, false)->size());
    state.counters["library_MiB"] =
        static_cast<double>(stocklib::MemFs::instance().open(name, false)->size()) / (1 << 20);
  }
  state.SetBytesProcessed(bytes);
}

// A rebuild of a saved drawing from its record (its external primary and one secondary found
// again, the primary's namespaces checked, the profile repair run), as after a change of the
// record.
void BM_Refresh(benchmark::State& state) {
  Setup& s = setup();
  OdDbDatabasePtr db = odDbCreateDatabase();
  db->writeFile(OdString::fromUtf8(s.folder.file("refresh.sldrw")));
  sl_db::DocumentLibraries* docs = sl_db::docLibs(db.get());
  docs->openPrimary(s.libs[0]->filename());
  docs->openSecondary(s.libs[1]->filename());
  for (auto _ : state)
    docs->refresh();
  if (!docs->primary() || docs->secondaries().size() != 1) state.SkipWithError("not bound");
  state.SetItemsProcessed(state.iterations());
}

}  // namespace

BENCHMARK(BM_StoreGet);
BENCHMARK(BM_GetFromLastSecondary);
BENCHMARK(BM_GetFromPrimary);
BENCHMARK(BM_GetMissEverywhere);
BENCHMARK(BM_StoreGetCold);
BENCHMARK(BM_GetFromPrimaryCold);
BENCHMARK(BM_GetFromPrimaryAfterOtherWriter);
BENCHMARK(BM_RawSqliteEachInItsOwnTransaction);
BENCHMARK(BM_RawSqliteInOneReadTransaction);
BENCHMARK(BM_UnorderedMap);
BENCHMARK(BM_GetAndSaveToPrimary)->Iterations(500);
BENCHMARK(BM_MemcpyCold)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BindEmbedded)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Refresh)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();

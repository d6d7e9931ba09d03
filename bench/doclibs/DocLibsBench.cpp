// A drawing bound to a primary and two secondaries of 10,000 materials each: get and
// getAndSaveToPrimary per second, beside the store's own lookup in the same run; and binding a
// drawing whose embedded library is 50 MiB (load + rebuild) beside memcpy of the same bytes.
// Files go to $BENCH_DIR (default: the system's temporary folder).
#include <benchmark/benchmark.h>

#include <string>

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

}  // namespace

BENCHMARK(BM_StoreGet);
BENCHMARK(BM_GetFromLastSecondary);
BENCHMARK(BM_GetFromPrimary);
BENCHMARK(BM_GetAndSaveToPrimary)->Iterations(500);
BENCHMARK(BM_MemcpyCold)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BindEmbedded)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();

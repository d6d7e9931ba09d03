// Saving and loading a drawing whose library record embeds a 64 MiB library, beside memcpy of
// the same bytes in the same run; and the record's own filing into memory, without the file.
// The drawing's folder is $BENCH_DIR (default: the system's temporary folder).
#include <benchmark/benchmark.h>

#include <vector>

#include "BenchSupport.h"
#include "DbMemoryFiler.h"
#include "sl_db/DbStockLibManager.h"
#include "stocklib/MemFs.h"

namespace {

constexpr std::size_t kTotal = 64u << 20;

struct Setup {
  benchsupport::BenchFolder folder{"record-io"};
  OdString path;
  OdDbDatabasePtr drawing;
  OdDbObjectId recordId;
  Setup() {
    DbStockLibManager::rxInit();
    path = OdString(folder.file("bench.sldrw").c_str());
    drawing = odDbCreateDatabase();
    recordId = DbStockLibManager::getInstance(*drawing, true, nullptr);
    DbStockLibManagerPtr record = recordId.safeOpenObject();
    auto file = stocklib::MemFs::instance().open(record->primaryLibraryPath(), false);
    std::vector<std::uint8_t> bytes(kTotal);
    for (std::size_t k = 0; k < kTotal; ++k)
      bytes[k] = static_cast<std::uint8_t>(k * 31);
    file->write(bytes.data(), bytes.size(), 0);
    record = nullptr;
    drawing->writeFile(path);
  }
  ~Setup() {
    drawing = nullptr;
    DbStockLibManager::rxUninit();
  }
};

Setup& setup() {
  static Setup s;
  return s;
}

void BM_MemcpyWarm(benchmark::State& state) {
  benchsupport::memcpyWarm(state, kTotal);
}

void BM_MemcpyCold(benchmark::State& state) {
  benchsupport::memcpyCold(state, kTotal);
}

// The record alone: its bytes filed into memory and read back into a record.
void BM_RecordOut(benchmark::State& state) {
  Setup& s = setup();
  DbStockLibManagerPtr record = s.recordId.safeOpenObject();
  std::vector<std::uint8_t> out;
  out.reserve(kTotal + 4096);
  for (auto _ : state) {
    out.clear();
    record->dwgOutFields(odDbCreateMemoryWriter(out, OdDbFiler::kFileFiler));
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kTotal));
}

void BM_RecordIn(benchmark::State& state) {
  Setup& s = setup();
  std::vector<std::uint8_t> bytes;
  {
    DbStockLibManagerPtr record = s.recordId.safeOpenObject();
    record->dwgOutFields(odDbCreateMemoryWriter(bytes, OdDbFiler::kFileFiler));
  }
  OdSmartPtr<DbStockLibManager> target = DbStockLibManager::createObject();
  for (auto _ : state) {
    OdResult r = target->dwgInFields(
        odDbCreateMemoryReader(bytes.data(), bytes.size(), OdDbFiler::kFileFiler));
    benchmark::DoNotOptimize(r);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kTotal));
}

void BM_DrawingWrite(benchmark::State& state) {
  Setup& s = setup();
  for (auto _ : state)
    s.drawing->writeFile(s.path);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kTotal));
}

void BM_DrawingRead(benchmark::State& state) {
  Setup& s = setup();
  for (auto _ : state) {
    OdDbDatabasePtr db = odDbCreateDatabase();
    db->readFile(s.path);
    benchmark::DoNotOptimize(db->numObjects());
    state.PauseTiming();
    db = nullptr;
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kTotal));
}

BENCHMARK(BM_MemcpyWarm)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_MemcpyCold)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RecordOut)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RecordIn)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DrawingWrite)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DrawingRead)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();

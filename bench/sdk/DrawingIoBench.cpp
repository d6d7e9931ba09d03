// Drawing write and read throughput for a drawing whose objects carry 64 MiB of byte data,
// beside memcpy of 64 MiB measured in the same run (into touched and into fresh memory).
// The folder of the drawing file is $BENCH_DIR (default: the system's temporary folder), so a
// disk folder and a memory file system can both be measured.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <vector>

#include "BenchSupport.h"
#include "DbDatabase.h"
#include "DbDictionary.h"

namespace drawingio {

constexpr std::size_t kTotal = 64u << 20;
constexpr std::size_t kObjects = 64;  // 1 MiB each

class Blob : public OdDbObject {
  ODRX_DECLARE_MEMBERS(Blob)
 public:
  std::vector<std::uint8_t> bytes;
  void dwgOutFields(OdDbDwgFiler* f) const override {
    OdDbObject::dwgOutFields(f);
    f->wrUInt64(bytes.size());
    f->wrBytes(bytes.data(), bytes.size());
  }
  OdResult dwgInFields(OdDbDwgFiler* f) override {
    OdResult r = OdDbObject::dwgInFields(f);
    if (r != eOk) return r;
    std::uint64_t n = f->rdUInt64();
    if (n > f->bytesLeft()) return eBadDrawingFile;
    bytes.resize(static_cast<std::size_t>(n));
    f->rdBytes(bytes.data(), bytes.size());
    return eOk;
  }
};
ODRX_DEFINE_MEMBERS(Blob, OdDbObject)

}  // namespace drawingio

namespace {

using namespace drawingio;

struct Setup {
  benchsupport::BenchFolder folder{"drawing-io"};
  OdString path;
  OdDbDatabasePtr drawing;
  Setup() {
    Blob::rxInit();
    path = OdString(folder.file("bench.sldrw").c_str());
    drawing = odDbCreateDatabase();
    OdDbDictionaryPtr nod = drawing->getNamedObjectsDictionaryId().safeOpenObject(OdDb::kForWrite);
    for (std::size_t i = 0; i < kObjects; ++i) {
      OdSmartPtr<Blob> blob = Blob::createObject();
      blob->bytes.resize(kTotal / kObjects);
      for (std::size_t k = 0; k < blob->bytes.size(); ++k)
        blob->bytes[k] = static_cast<std::uint8_t>(k * 31 + i);
      nod->setAt(OdString::formatted(L"blob%d", int(i)), blob);
    }
    nod = nullptr;
    drawing->writeFile(path);
  }
  ~Setup() {
    drawing = nullptr;
    Blob::rxUninit();
  }
};

Setup& setup() {
  static Setup s;
  return s;
}

void dropFromPageCache(const OdString& path) {
  int fd = ::open(path.toUtf8().c_str(), O_RDONLY);
  if (fd < 0) return;
  ::fdatasync(fd);
  ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
  ::close(fd);
}

void BM_MemcpyWarm(benchmark::State& state) {
  benchsupport::memcpyWarm(state, kTotal);
}

void BM_MemcpyCold(benchmark::State& state) {
  benchsupport::memcpyCold(state, kTotal);
}

// Writing: serialise every object, checksum, write, fsync and rename.
void BM_DrawingWrite(benchmark::State& state) {
  Setup& s = setup();
  for (auto _ : state)
    s.drawing->writeFile(s.path);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kTotal));
}

// Reading a file that is in the page cache (warm) or was dropped from it (cold).
void BM_DrawingRead(benchmark::State& state) {
  Setup& s = setup();
  bool cold = state.range(0) != 0;
  for (auto _ : state) {
    if (cold) {
      state.PauseTiming();
      dropFromPageCache(s.path);
      state.ResumeTiming();
    }
    OdDbDatabasePtr db = odDbCreateDatabase();
    db->readFile(s.path);
    benchmark::DoNotOptimize(db->numObjects());
    state.PauseTiming();
    db = nullptr;  // freeing 64 MiB is not part of reading
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kTotal));
}

BENCHMARK(BM_MemcpyWarm)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_MemcpyCold)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DrawingWrite)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DrawingRead)
    ->Arg(0)
    ->Arg(1)
    ->ArgName("cold")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();

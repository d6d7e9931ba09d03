// What the file benchmarks share: a scratch folder under $BENCH_DIR, and the memcpy baselines
// measured beside them in the same run.
#pragma once

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace benchsupport {

/// A fresh folder named `<prefix>-XXXXXX` in $BENCH_DIR (default: the system's temporary
/// folder), removed with everything in it when destroyed; aborts when it cannot be made.
class BenchFolder {
 public:
  explicit BenchFolder(const char* prefix) {
    const char* base = std::getenv("BENCH_DIR");
    m_path = (std::filesystem::path(base ? base : std::filesystem::temp_directory_path().c_str()) /
              (std::string(prefix) + "-XXXXXX"))
                 .string();
    if (!::mkdtemp(m_path.data())) std::abort();
  }
  ~BenchFolder() { std::filesystem::remove_all(m_path); }
  BenchFolder(const BenchFolder&) = delete;
  BenchFolder& operator=(const BenchFolder&) = delete;
  /// file: the path of `name` in the folder.
  std::string file(const char* name) const { return m_path + "/" + name; }

 private:
  std::string m_path;
};

/// memcpyWarm: `size` bytes copied into memory already touched, every iteration.
inline void memcpyWarm(benchmark::State& state, std::size_t size) {
  std::vector<std::uint8_t> from(size, 1), to(size, 0);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), size);
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}

/// memcpyCold: `size` bytes copied into freshly allocated memory (new pages every time).
inline void memcpyCold(benchmark::State& state, std::size_t size) {
  std::vector<std::uint8_t> from(size, 1);
  for (auto _ : state) {
    auto* to = static_cast<std::uint8_t*>(std::malloc(size));
    std::memcpy(to, from.data(), size);
    benchmark::DoNotOptimize(to);
    benchmark::ClobberMemory();
    std::free(to);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}

}  // namespace benchsupport

// Typed access to a stored value and lookup by name in a container of 200 values, beside
// baselines measured in the same run: a plain read and write through a pointer, and a
// std::map<std::wstring, int> lookup over the same names.
#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

#include "dbprops/DbProperties.h"

namespace {

constexpr int kValues = 200;

std::vector<OdString> makeNames() {
  std::vector<OdString> names;
  for (int i = 0; i < kValues; ++i) {
    names.push_back(OdString::formatted(L"Property %d~Namespace %d", i * 7919 % 1000, i % 7));
  }
  return names;
}

void BM_Baseline_PointerReadDouble(benchmark::State& state) {
  auto stored = std::make_shared<double>(2.5);
  double value = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(stored);
    value = *stored;
    benchmark::DoNotOptimize(value);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Baseline_PointerReadDouble);

void BM_GetDouble(benchmark::State& state) {
  std::shared_ptr<DbProperty> stored = std::make_shared<DbPropertyContainer<double>>(2.5);
  double value = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(stored);
    bool ok = stored->get(value);
    benchmark::DoNotOptimize(ok);
    benchmark::DoNotOptimize(value);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_GetDouble);

void BM_Baseline_PointerWriteDouble(benchmark::State& state) {
  auto stored = std::make_shared<double>(0.0);
  double value = 1;
  for (auto _ : state) {
    benchmark::DoNotOptimize(value);
    *stored = value;
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Baseline_PointerWriteDouble);

void BM_SetDouble(benchmark::State& state) {
  std::shared_ptr<DbProperty> stored = std::make_shared<DbPropertyContainer<double>>(2.5);
  double value = 1;
  for (auto _ : state) {
    benchmark::DoNotOptimize(value);
    bool ok = stored->set(value);
    benchmark::DoNotOptimize(ok);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SetDouble);

void BM_Baseline_StdMapWstringLookup200(benchmark::State& state) {
  std::vector<OdString> names = makeNames();
  std::map<std::wstring, int> map;
  std::vector<std::wstring> keys;
  for (int i = 0; i < kValues; ++i) {
    keys.emplace_back(names[i].c_str());
    map.emplace(keys.back(), i);
  }
  std::size_t i = 0;
  for (auto _ : state) {
    auto it = map.find(keys[i]);
    benchmark::DoNotOptimize(it);
    if (++i == keys.size()) i = 0;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Baseline_StdMapWstringLookup200);

void BM_GetPropertyByName200(benchmark::State& state) {
  std::vector<OdString> names = makeNames();
  OdStaticRxObject<DbProperties> container;
  for (const OdString& name : names) {
    container.setProperty(name, std::make_shared<DbPropertyContainer<double>>(1.0));
  }
  // Lookups use separate copies of the text, as a caller building the name would.
  std::vector<OdString> keys;
  for (const OdString& name : names)
    keys.emplace_back(OdString(name.c_str()));
  const DbProperties& reader = container;
  std::size_t i = 0;
  for (auto _ : state) {
    std::shared_ptr<const DbProperty> found = reader.getProperty(keys[i]);
    benchmark::DoNotOptimize(found);
    if (++i == keys.size()) i = 0;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_GetPropertyByName200);

}  // namespace

BENCHMARK_MAIN();

// Sorting profile lists in natural order (the shipped metric and imperial catalogues, and
// 100,000 generated sizes) beside std::sort of their names with a plain string compare; and
// section properties computed per second for shapes with and without arcs.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "sl_db/ProfileHelpers.h"
#include "sl_db/SectionProperties.h"
#include "stocklib/Library.h"

using namespace stocklib;

namespace {

using Profiles = std::vector<KcSmartPtr<Profile>>;

/// The profiles of a shipped catalogue, loaded once, in the store's order.
const Profiles& catalogue(const char* file) {
  static std::map<std::string, Profiles> loaded;
  Profiles& profiles = loaded[file];
  if (profiles.empty()) {
    auto library = LibraryManager::instance().open(
        OdString::fromUtf8(std::string(SL_SUPPORT_DIR) + "/" + file), true);
    if (!library) std::abort();
    library->get(profiles);
  }
  return profiles;
}

/// 100,000 sizes over a few families: imperial fractions, metric numbers and compound sizes.
const Profiles& generated() {
  static Profiles profiles = [] {
    Profiles out;
    std::mt19937 random(42);
    std::vector<KcSmartPtr<ProfileName>> names;
    for (const wchar_t* standard : {L"AISC", L"EN 10365"})
      for (const wchar_t* name : {L"L", L"HSS", L"W", L"Plate"})
        names.push_back(ProfileName::create(name, ProfileStandard::create(standard).get()));
    const int denominators[] = {2, 4, 8, 16};
    for (int i = 0; i < 100000; ++i) {
      std::string size;
      int d = denominators[random() % 4];
      switch (random() % 3) {
        case 0:
          size = std::to_string(random() % 12) + "-" + std::to_string(1 + random() % (d - 1)) +
                 "/" + std::to_string(d);
          break;
        case 1:
          size = std::to_string(random() % 1000);
          break;
        default:
          size = std::to_string(random() % 300) + "x" + std::to_string(random() % 300) + "x" +
                 std::to_string(random() % 30) + "." + std::to_string(random() % 10);
      }
      auto p =
          RectangleProfile::create(names[random() % names.size()].get(), OdString::fromUtf8(size));
      out.emplace_back(p.get());
    }
    return out;
  }();
  return profiles;
}

void sortProfiles(benchmark::State& state, const Profiles& source) {
  for (auto _ : state) {
    state.PauseTiming();
    Profiles profiles = source;
    state.ResumeTiming();
    sl_db::sortProfiles(profiles);
    benchmark::DoNotOptimize(profiles.data());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(source.size()));
}

// The baseline: the same profiles' full names, sorted as plain strings.
void sortNames(benchmark::State& state, const Profiles& source) {
  std::vector<OdString> names;
  for (const auto& p : source)
    names.push_back(sl_db::fullProfileName(p.get()));
  for (auto _ : state) {
    state.PauseTiming();
    std::vector<OdString> copy = names;
    state.ResumeTiming();
    std::sort(copy.begin(), copy.end());
    benchmark::DoNotOptimize(copy.data());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(source.size()));
}

void BM_SortProfiles_Metric(benchmark::State& s) {
  sortProfiles(s, catalogue("metric.stocklib"));
}
void BM_SortNames_Metric(benchmark::State& s) {
  sortNames(s, catalogue("metric.stocklib"));
}
void BM_SortProfiles_Imperial(benchmark::State& s) {
  sortProfiles(s, catalogue("imperial.stocklib"));
}
void BM_SortNames_Imperial(benchmark::State& s) {
  sortNames(s, catalogue("imperial.stocklib"));
}
void BM_SortProfiles_Generated100k(benchmark::State& s) {
  sortProfiles(s, generated());
}
void BM_SortNames_Generated100k(benchmark::State& s) {
  sortNames(s, generated());
}

BENCHMARK(BM_SortProfiles_Metric)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SortNames_Metric)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SortProfiles_Imperial)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SortNames_Imperial)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SortProfiles_Generated100k)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortNames_Generated100k)->Unit(benchmark::kMillisecond);

template <class Shape>
KcSmartPtr<Profile> shape(const std::vector<std::pair<const wchar_t*, double>>& dims) {
  auto p = Shape::create(nullptr, OdString(L"b"));
  for (const auto& [name, value] : dims)
    if (!p->set_dimension(static_cast<std::size_t>(p->dimension_index(OdString(name))), value))
      throw stocklib::Exception("no dimension of that name");
  return KcSmartPtr<Profile>(p.get());
}

void sectionProperties(benchmark::State& state, const KcSmartPtr<Profile>& profile) {
  for (auto _ : state)
    benchmark::DoNotOptimize(sl_db::sectionProperties(profile.get()));
  state.SetItemsProcessed(state.iterations());
}

void BM_SectionProperties_Rectangle(benchmark::State& s) {
  static auto p = shape<RectangleProfile>({{L"height", 300}, {L"width", 200}});
  sectionProperties(s, p);
}
void BM_SectionProperties_IShape(benchmark::State& s) {
  static auto p = shape<IShapeProfile>({{L"height", 190},
                                        {L"width", 200},
                                        {L"web_thickness", 6.5},
                                        {L"flange_thickness", 10},
                                        {L"fillet_radius", 18}});
  sectionProperties(s, p);
}
void BM_SectionProperties_LShape(benchmark::State& s) {
  static auto p = shape<LShapeProfile>({{L"height", 150},
                                        {L"width", 90},
                                        {L"thickness", 10},
                                        {L"root_radius", 12},
                                        {L"toe_radius", 6}});
  sectionProperties(s, p);
}
void BM_SectionProperties_RectangleHollow(benchmark::State& s) {
  static auto p = shape<RectangleHollowProfile>({{L"height", 200},
                                                 {L"width", 100},
                                                 {L"wall_thickness", 8},
                                                 {L"outer_radius", 12},
                                                 {L"inner_radius", 8}});
  sectionProperties(s, p);
}
// The baseline: the area and second moment of the same rectangle written out by hand.
void BM_ClosedFormRectangle(benchmark::State& state) {
  double h = 300, w = 200;
  for (auto _ : state) {
    benchmark::DoNotOptimize(h);
    benchmark::DoNotOptimize(w);
    double area = h * w, iy = w * h * h * h / 12;
    benchmark::DoNotOptimize(area);
    benchmark::DoNotOptimize(iy);
  }
  state.SetItemsProcessed(state.iterations());
}

BENCHMARK(BM_SectionProperties_Rectangle);
BENCHMARK(BM_SectionProperties_IShape);
BENCHMARK(BM_SectionProperties_LShape);
BENCHMARK(BM_SectionProperties_RectangleHollow);
BENCHMARK(BM_ClosedFormRectangle);

}  // namespace

BENCHMARK_MAIN();

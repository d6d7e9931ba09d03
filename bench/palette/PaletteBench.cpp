// A material's full palette: every definition of both sources (23 fixed with the pattern
// children, 20 custom values) listed and read, against reading the same fields directly.
#include <benchmark/benchmark.h>

#include "oa/PaletteText.h"
#include "sl_db/PropertySources.h"
#include "stocklib/Materials.h"
#include "stocklib/Objects.h"

namespace {

constexpr int kCustomValues = 20;

/// A material with its three assets, a predefined cut pattern and 20 custom values.
KcSmartPtr<stocklib::Material> fullMaterial() {
  static std::vector<KcSmartPtr<stocklib::CustomProperty>> properties;
  KcSmartPtr<stocklib::Material> m = stocklib::Material::create(L"Concrete C30/37");
  m->set_description(L"Normal-weight concrete");
  m->set_type(stocklib::MaterialType::create(L"Concrete"));
  m->set_cut_pattern(stocklib::Pattern(stocklib::Pattern::kPredefined, L"CONCRETE"));
  auto info = stocklib::InformationAsset::create(L"I");
  info->set_label(L"C30/37");
  info->set_unique_code(L"03 30 00");
  m->set_information_asset(info);
  auto physical = stocklib::PhysicalAsset::create(L"P");
  physical->set_density(2400);
  m->set_physical_asset(physical);
  m->set_bim_asset(stocklib::BimAsset::create(L"B"));
  for (int i = 0; i < kCustomValues; ++i) {
    properties.push_back(
        stocklib::CustomProperty::create(OdString::formatted(L"Custom %02d", i), 0));
    m->set_custom_value(properties.back(), OdString::formatted(L"value %d", i));
  }
  return m;
}

/// Definitions of every source with their children, each read once.
void BM_Palette_ListAndRead(benchmark::State& state) {
  KcSmartPtr<stocklib::Material> m = fullMaterial();
  oa::PropertySourceManager& manager = sl_db::stocklibPropertySources();
  std::size_t read = 0;
  for (auto _ : state) {
    for (const oa::PropertySourcePtr& source : manager) {
      oa::PropertyInfoArray infos;
      source->getAllPropertyDefinitions(infos, m);
      for (const oa::PropertyInfo& info : infos) {
        tdx::PropertyValue value;
        read += info.definition->getValue(value, m, nullptr);
        benchmark::DoNotOptimize(value);
      }
    }
  }
  state.SetItemsProcessed(state.iterations());
  state.counters["values"] = static_cast<double>(read) / static_cast<double>(state.iterations());
}

/// The same palette rendered as the host's text (labels, categories, enumeration labels).
void BM_Palette_RenderText(benchmark::State& state) {
  KcSmartPtr<stocklib::Material> m = fullMaterial();
  for (auto _ : state)
    benchmark::DoNotOptimize(oa::renderPaletteText(sl_db::stocklibPropertySources(), m));
  state.SetItemsProcessed(state.iterations());
}

/// Baseline: the same fields read straight from the material and its assets into palette values.
void BM_Baseline_DirectReads(benchmark::State& state) {
  KcSmartPtr<stocklib::Material> m = fullMaterial();
  for (auto _ : state) {
    auto info = m->information_asset();
    auto physical = m->physical_asset();
    auto bim = m->bim_asset();
    tdx::PropertyValue values[] = {tdx::PropertyValue(m->name()),
                                   tdx::PropertyValue(m->description()),
                                   tdx::PropertyValue(m->comments()),
                                   tdx::PropertyValue(m->type()->name()),
                                   tdx::PropertyValue(m->appearance()),
                                   tdx::PropertyValue::integer(m->cut_pattern().type()),
                                   tdx::PropertyValue(m->cut_pattern().name()),
                                   tdx::PropertyValue(m->cut_pattern().scale()),
                                   tdx::PropertyValue(m->cut_pattern().angle()),
                                   tdx::PropertyValue::integer(m->surface_pattern().type()),
                                   tdx::PropertyValue(info->label()),
                                   tdx::PropertyValue(info->manufacturer()),
                                   tdx::PropertyValue(info->mark()),
                                   tdx::PropertyValue(info->model()),
                                   tdx::PropertyValue(info->classification()),
                                   tdx::PropertyValue(info->cost()),
                                   tdx::PropertyValue(info->keynote()),
                                   tdx::PropertyValue(info->url()),
                                   tdx::PropertyValue(info->unique_code()),
                                   tdx::PropertyValue(physical->density()),
                                   tdx::PropertyValue(physical->specific_heat()),
                                   tdx::PropertyValue(physical->thermal_conductivity()),
                                   tdx::PropertyValue(bim->union_section()),
                                   tdx::PropertyValue(bim->union_elevation()),
                                   tdx::PropertyValue::integer(bim->default_function()),
                                   tdx::PropertyValue(bim->variable_thickness())};
    benchmark::DoNotOptimize(values);
    for (const auto& entry : m->custom_values()) {
      tdx::PropertyValue custom(m->custom_value(entry.first.property()));
      benchmark::DoNotOptimize(custom);
    }
  }
  state.SetItemsProcessed(state.iterations());
}

}  // namespace

BENCHMARK(BM_Palette_ListAndRead)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Palette_RenderText)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Baseline_DirectReads)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();

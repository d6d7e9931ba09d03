// Materials made in memory for the composition tests: a name, a conductivity, a type, a pattern.
#pragma once

#include "stocklib/Materials.h"

namespace sltest {

/// material: a material named `name` with a physical asset of conductivity `lambda` (none when
/// `lambda` is not above 0), of the material type `type` (none when null), cut as `pattern`.
inline KcSmartPtr<stocklib::Material> material(const wchar_t* name, double lambda = 0,
                                               const wchar_t* type = nullptr,
                                               stocklib::Pattern pattern = stocklib::Pattern()) {
  auto m = stocklib::Material::create(name);
  if (type) m->set_type(stocklib::MaterialType::create(type).get());
  m->set_cut_pattern(pattern);
  if (lambda > 0) {
    auto asset = stocklib::PhysicalAsset::create(name);
    asset->set_thermal_conductivity(lambda);
    m->set_physical_asset(asset.get());
  }
  return m;
}

}  // namespace sltest

// Profiles and materials made in memory for the profile tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <sstream>
#include <string>

#include "ReferenceTables.h"
#include "stocklib/Materials.h"
#include "stocklib/Profiles.h"

namespace sltest {

/// material: a material named `name` with a physical asset of conductivity `lambda` (none when
/// `lambda` is not above 0), of the material type `type` (none when null or empty), cut as
/// `pattern`.
inline KcSmartPtr<stocklib::Material> material(const wchar_t* name, double lambda = 0,
                                               const wchar_t* type = nullptr,
                                               stocklib::Pattern pattern = stocklib::Pattern()) {
  auto m = stocklib::Material::create(name);
  if (type && *type) m->set_type(stocklib::MaterialType::create(type).get());
  m->set_cut_pattern(pattern);
  if (lambda > 0) {
    auto asset = stocklib::PhysicalAsset::create(name);
    asset->set_thermal_conductivity(lambda);
    m->set_physical_asset(asset.get());
  }
  return m;
}

/// shape: a profile "EN T 1" of the class `Shape` with the dimensions `dims`, pairs of a name and
/// a value: a number, or the column of `row` that holds it ("height 200 width b_mm").
template <class Shape>
KcSmartPtr<stocklib::Profile> shape(const std::string& dims, const testsupport::Row& row = {}) {
  using namespace stocklib;
  auto p = Shape::create(ProfileName::create(L"T", ProfileStandard::create(L"EN").get()).get(),
                         OdString(L"1"));
  std::istringstream in(dims);
  for (std::string name, value; in >> name >> value;) {
    const int index = p->dimension_index(OdString::fromUtf8(name));
    EXPECT_GE(index, 0) << name;
    char* end = nullptr;
    const double number = std::strtod(value.c_str(), &end);
    EXPECT_TRUE(p->set_dimension(static_cast<std::size_t>(index),
                                 *end ? testsupport::number(row, value) : number))
        << name;
  }
  return KcSmartPtr<Profile>(p.get());
}

/// shapeNamed: shape() of the class named `cls` ("IShapeProfile"); null for no such class.
inline KcSmartPtr<stocklib::Profile> shapeNamed(const std::string& cls, const std::string& dims) {
  using namespace stocklib;
#define SL_SHAPE_ROW(T, DIMENSIONS) {#T, &shape<T>},
  static const std::map<std::string,
                        KcSmartPtr<Profile> (*)(const std::string&, const testsupport::Row&)>
      shapes = {STOCKLIB_SHAPES(SL_SHAPE_ROW)};
#undef SL_SHAPE_ROW
  auto found = shapes.find(cls);
  EXPECT_NE(found, shapes.end()) << cls;
  return found == shapes.end() ? nullptr : found->second(dims, {});
}

}  // namespace sltest

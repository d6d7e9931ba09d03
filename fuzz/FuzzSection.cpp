// Fuzz target: section properties and the section's picture from hostile dimensions. The first
// byte chooses a shape (or a custom outline); the rest are raw doubles: the dimensions in
// order, or the outline's points (x, y, bulge). Properties that exist are finite with a
// positive area, a refusal says why, and the picture never holds a number that is not finite.
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "sl_db/SectionDrawing.h"
#include "sl_db/SectionProperties.h"

namespace {

using namespace stocklib;

template <class T>
KcSmartPtr<Profile> make(const ProfileName* name) {
  return T::create(name, L"1");
}

// The shapes in the order of their rows, then the custom outline.
#define SL_SHAPE_MAKER(T, DIMENSIONS) make<T>,
KcSmartPtr<Profile> (*const kMakers[])(const ProfileName*) = {STOCKLIB_SHAPES(SL_SHAPE_MAKER)
                                                                  make<CustomProfile>};
#undef SL_SHAPE_MAKER

bool finite(const sl_db::SectionProperties& s) {
  for (double f : {s.area, s.centroidY, s.centroidZ, s.Iy, s.Iz, s.Iyz, s.Iu, s.Iv, s.alpha, s.WelY,
                   s.WelZ, s.iy, s.iz, s.perimeter})
    if (!std::isfinite(f)) return false;
  return s.area > 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  std::vector<double> numbers((size - 1) / sizeof(double));
  if (!numbers.empty()) std::memcpy(numbers.data(), data + 1, numbers.size() * sizeof(double));
  static const KcSmartPtr<ProfileName> name =
      ProfileName::create(L"N", ProfileStandard::create(L"S").get());
  const std::size_t shape = data[0] % (sizeof kMakers / sizeof kMakers[0]);
  KcSmartPtr<Profile> profile = kMakers[shape](name.get());
  if (auto* shaped = dynamic_cast<ParametrizedProfile*>(profile.get())) {
    for (std::size_t i = 0; i < numbers.size() && i < shaped->dimension_count(); ++i)
      (void)shaped->set_dimension(i, numbers[i]);  // within the count
  } else {
    std::vector<OutlinePoint> points;
    for (std::size_t i = 0; i + 2 < numbers.size() && points.size() < 64; i += 3)
      points.push_back({numbers[i], numbers[i + 1], numbers[i + 2]});
    static_cast<CustomProfile*>(profile.get())->set_outline(points);
  }
  OdString why;
  std::optional<sl_db::SectionProperties> s = sl_db::sectionProperties(profile.get(), &why);
  if (s ? !finite(*s) || !why.isEmpty() : why.isEmpty()) __builtin_trap();
  const std::string svg = sl_db::profileSvg(profile.get());
  if (!s && !svg.empty()) __builtin_trap();
  if (svg.find("nan") != std::string::npos || svg.find("inf") != std::string::npos)
    __builtin_trap();
  return 0;
}

// Profile names, lookups by id, the natural order of profile lists, shape and type labels, and
// material hatch patterns per view.
#include "sl_db/ProfileHelpers.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <unordered_map>

#include "sl_db/DocumentLibrariesManager.h"

namespace sl_db {

namespace {

using Tokens = ut::LexiNumericalSorter::Tokens;
using Sorter = ut::LexiNumericalSorter;

// The store keeps radians; callers think in degrees. Multiplied first, then divided, so that
// 90 gives exactly the double nearest pi/2 that callers compare with.
constexpr double kPi = 3.141592653589793;

template <class Change>
void changePattern(KcSmartPtr<stocklib::Material>& material, EHatchViewType view, Change change) {
  if (view != kCut) {
    stocklib::Pattern pattern = material->surface_pattern();
    change(pattern);
    material->set_surface_pattern(pattern);
  } else {
    stocklib::Pattern pattern = material->cut_pattern();
    change(pattern);
    material->set_cut_pattern(pattern);
  }
}

bool isText(const Tokens& tokens, std::size_t i, const wchar_t* text) {
  return Sorter::isText(tokens[i]) && boost::get<OdString>(tokens[i]) == text;
}

bool isPositivePowerOfTwo(int n) {
  if (n <= 0) return false;
  while (n % 2 == 0)
    n /= 2;
  return n == 1;
}

// What the order compares of one profile, read once per sort; the size's tokens are made when
// first compared, so that each size is split at most once.
struct SortKey {
  bool hasStandard = false;
  OdString standard;
  OdString name;
  OdString size;
  std::optional<Tokens> tokens;
  const Tokens& sizeTokens(const Sorter& sorter) {
    if (!tokens) tokens = sorter.tokens(size);
    return *tokens;
  }
};

SortKey sortKey(const stocklib::Profile* profile) {
  SortKey key;
  if (!profile) return key;
  key.size = profile->size();
  if (KcSmartPtr<stocklib::ProfileName> name = profile->name()) {
    if (KcSmartPtr<stocklib::ProfileStandard> standard = name->standard()) {
      key.hasStandard = true;
      key.standard = standard->name();
      key.name = name->name();
    }
  }
  return key;
}

}  // namespace

stocklib::Pattern hatchPattern(const KcSmartPtr<const stocklib::Material>& material,
                               EHatchViewType view) {
  if (!material) return stocklib::Pattern();
  if (view == kCut) return material->cut_pattern();
  if (view == kSurface) return material->surface_pattern();
  return stocklib::Pattern();
}

void setPatternScale(KcSmartPtr<stocklib::Material>& material, EHatchViewType view, double scale) {
  changePattern(material, view, [&](stocklib::Pattern& p) { p.set_scale(scale); });
}

void setPatternAngle(KcSmartPtr<stocklib::Material>& material, EHatchViewType view,
                     double degrees) {
  changePattern(material, view, [&](stocklib::Pattern& p) { p.set_angle(degrees * kPi / 180); });
}

OdString getUserDefinedLabel() {
  return OdString(L"user defined");
}

OdString fullProfileName(const stocklib::Profile* profile) {
  if (!profile) return OdString();
  KcSmartPtr<stocklib::ProfileName> name = profile->name();
  if (!name) return OdString();
  OdString text;
  if (KcSmartPtr<stocklib::ProfileStandard> standard = name->standard()) {
    if (standard->name() != getUserDefinedLabel()) text += standard->name() + L" ";
  }
  text += name->name();
  if (profile->size() != L"0") text += L" " + profile->size();
  return text;
}

OdString fullProfileName(unsigned int profileId, OdDbDatabase* db) {
  return fullProfileName(getProfileById(profileId, db).get());
}

KcSmartPtr<stocklib::Profile> getProfileById(unsigned int profileId, OdDbDatabase* db) {
  if (profileId == 0) return nullptr;
  std::shared_ptr<stocklib::Library> primary = getLibrary(db, kPrimary);
  if (!primary) return nullptr;
  if (auto profile = primary->get<stocklib::Profile>(profileId)) return profile;
  std::shared_ptr<stocklib::Library> secondary = getLibrary(db, kSecondary);
  return secondary ? secondary->get<stocklib::Profile>(profileId) : nullptr;
}

void fractionTokenHook(Tokens& tokens) {
  for (std::size_t i = 1; i + 1 < tokens.size(); ++i) {
    if (!isText(tokens, i, L"/")) continue;
    if (!Sorter::isNumber(tokens[i - 1]) || !Sorter::isNumber(tokens[i + 1])) continue;
    if ((i + 2 < tokens.size() && isText(tokens, i + 2, L"/")) ||
        (i >= 2 && isText(tokens, i - 2, L"/")))
      continue;
    double whole = 0.0;
    std::size_t start = i - 1;
    if (i >= 3 && isText(tokens, i - 2, L"-") && Sorter::isNumber(tokens[i - 3])) {
      whole = Sorter::getAsDouble(tokens[i - 3]);
      start = i - 3;
    }
    const int* numerator = boost::get<int>(&tokens[i - 1]);
    const int* denominator = boost::get<int>(&tokens[i + 1]);
    if (!numerator || !denominator || *numerator >= *denominator ||
        !isPositivePowerOfTwo(*denominator))
      continue;
    double fraction = static_cast<double>(*numerator) / *denominator;
    if (std::fabs(fraction - 1.0) <= 1e-10) continue;
    tokens.erase(tokens.begin() + static_cast<std::ptrdiff_t>(start) + 1,
                 tokens.begin() + static_cast<std::ptrdiff_t>(i) + 2);
    tokens[start] = whole + fraction;
    i = start;
  }
}

void sortProfiles(std::vector<KcSmartPtr<stocklib::Profile>>& profiles) {
  try {
    const Sorter sorter(fractionTokenHook);
    std::unordered_map<const stocklib::Profile*, SortKey> keys;
    keys.reserve(profiles.size());
    for (const auto& p : profiles)
      keys.emplace(p.get(), sortKey(p.get()));
    std::sort(profiles.begin(), profiles.end(), [&](const auto& a, const auto& b) {
      SortKey& ka = keys.at(a.get());
      SortKey& kb = keys.at(b.get());
      if (ka.hasStandard != kb.hasStandard) return ka.hasStandard;
      if (!ka.hasStandard) return false;
      if (ka.standard != kb.standard) return ka.standard < kb.standard;
      if (ka.name != kb.name) return ka.name < kb.name;
      // The sorter's own order: tokens first, equal token lists by their plain texts.
      int byTokens = Sorter::compareTokens(ka.sizeTokens(sorter), kb.sizeTokens(sorter));
      return byTokens != 0 ? byTokens < 0 : ka.size < kb.size;
    });
  } catch (...) {
    // Presenting a list must not fail because one size could not be read or compared.
  }
}

OdString getProfileShapeLabel(stocklib::ObjectType type, bool withSuffix) {
  static const wchar_t* const kShapes[] = {
      L"Circle",          L"CircleHollow",     L"Ellipse",   L"Rectangle",
      L"RectangleHollow", L"RoundedRectangle", L"Trapezium", L"CraneRailAShape",
      L"CraneRailFShape", L"TShape",           L"ZShape",    L"CShape",
      L"UShape",          L"LShape",           L"IShape",    L"AsymmetricIShape"};
  const int value = static_cast<int>(type);
  OdString shape;
  if (type == stocklib::ObjectType::CustomProfile) {
    shape = L"CustomShape";
  } else if (value >= static_cast<int>(stocklib::ObjectType::CircleProfile) &&
             value <= static_cast<int>(stocklib::ObjectType::AsymmetricIShapeProfile)) {
    shape = kShapes[value - static_cast<int>(stocklib::ObjectType::CircleProfile)];
  }
  return withSuffix ? shape + L"Profile" : shape;
}

OdString getProfileTypeLabel(stocklib::ProfileType type) {
  switch (static_cast<int>(type)) {
    case stocklib::kProfileGeneric:
      return OdString(L"Generic");
    case stocklib::kProfileStructuralConcrete:
      return OdString(L"Structural Concrete");
    case stocklib::kProfileStructuralSteel:
      return OdString(L"Structural Steel");
    case stocklib::kProfileHVAC:
      return OdString(L"HVAC");
    case stocklib::kProfilePiping:
      return OdString(L"Piping");
    case stocklib::kProfileElectrical:
      return OdString(L"Electrical");
    default:
      return OdString();
  }
}

}  // namespace sl_db

// Profile and material helpers: full names, lookups by id across a drawing's libraries, the
// natural order of profile lists with imperial fractions, labels, and hatch patterns per view.
#include "sl_db/ProfileHelpers.h"

#include <algorithm>
#include <random>

#include "DocLibsSupport.h"

using namespace stocklib;
using sltest::DocLibsTest;

namespace {

KcSmartPtr<Profile> profile(const OdString& standard, const OdString& name, const OdString& size) {
  auto s = standard.isEmpty() ? nullptr : ProfileStandard::create(standard);
  auto p = RectangleProfile::create(ProfileName::create(name, s.get()).get(), size);
  return KcSmartPtr<Profile>(p.get());
}

std::vector<std::string> names(const std::vector<KcSmartPtr<Profile>>& profiles) {
  std::vector<std::string> out;
  for (const auto& p : profiles)
    out.push_back(sl_db::fullProfileName(p.get()).toUtf8());
  return out;
}

}  // namespace

TEST(ProfileHelpers, FullNamesLeaveOutTheUserDefinedStandardAndTheSizeZero) {
  EXPECT_EQ(sl_db::getUserDefinedLabel(), L"user defined");
  EXPECT_EQ(sl_db::fullProfileName(profile(L"DIN", L"HEA", L"200").get()), L"DIN HEA 200");
  EXPECT_EQ(sl_db::fullProfileName(profile(L"user defined", L"Plate", L"100x10").get()),
            L"Plate 100x10");
  EXPECT_EQ(sl_db::fullProfileName(profile(L"User Defined", L"Plate", L"100x10").get()),
            L"User Defined Plate 100x10");
  EXPECT_EQ(sl_db::fullProfileName(profile(L"user defined", L"Plate", L"0").get()), L"Plate");
  EXPECT_EQ(sl_db::fullProfileName(profile(L"", L"Plate", L"0.0").get()), L"Plate 0.0");
  EXPECT_EQ(sl_db::fullProfileName(RectangleProfile::create(nullptr, L"10").get()), L"");
  EXPECT_EQ(sl_db::fullProfileName(nullptr), L"");
}

TEST_F(DocLibsTest, ProfilesByIdComeFromThePrimaryThenTheSecondaryNeverWithoutAPrimary) {
  auto secondary = makeLibrary("s.stocklib", {});
  std::vector<KcSmartPtr<Profile>> saved;
  for (int i = 1; i <= 40; ++i)
    saved.push_back(profile(L"EN", L"S", OdString::fromUtf8(std::to_string(i)))->save(secondary));
  OdDbDatabasePtr db = odDbCreateDatabase(true);
  sl_db::DocumentLibraries* docs = sl_db::docLibs(db.get());
  ASSERT_TRUE(docs->openSecondary(secondary->filename()));
  ASSERT_FALSE(sl_db::getLibrary(db.get(), sl_db::kPrimary));
  EXPECT_FALSE(sl_db::getProfileById(saved.back()->id(), db.get()));
  EXPECT_EQ(sl_db::fullProfileName(saved.back()->id(), db.get()), L"");

  auto primary = docs->openPrimary(dir.file("p.stocklib"));
  ASSERT_TRUE(primary);
  auto own = profile(L"EN", L"P", L"1")->save(primary);
  ASSERT_TRUE(secondary->get<Profile>(own->id()));  // the same id names another profile there
  EXPECT_EQ(sl_db::fullProfileName(own->id(), db.get()), L"EN P 1");
  EXPECT_EQ(sl_db::fullProfileName(saved.back()->id(), db.get()), L"EN S 40");
  EXPECT_FALSE(sl_db::getProfileById(0, db.get()));
  EXPECT_FALSE(sl_db::getProfileById(9999, db.get()));
}

TEST(ProfileHelpers, SortingPutsStandardsFirstThenNamesThenSizesWithFractions) {
  std::vector<KcSmartPtr<Profile>> profiles = {
      profile(L"", L"Plate", L"5"),  profile(L"B", L"L", L"2"),   profile(L"A", L"W", L"100"),
      profile(L"A", L"L", L"1-1/2"), profile(L"A", L"L", L"2"),   profile(L"A", L"L", L"1-1/4"),
      profile(L"A", L"L", L"20"),    profile(L"A", L"L", L"100"), profile(L"A", L"L", L"3/4x3/4"),
      profile(L"A", L"K", L"9"),     profile(L"", L"Bar", L"1"),  nullptr,
  };
  std::mt19937 random(7);
  for (int round = 0; round < 5; ++round) {
    std::shuffle(profiles.begin(), profiles.end(), random);
    sl_db::sortProfiles(profiles);
    std::vector<std::string> got = names(profiles);
    std::vector<std::string> withStandard(got.begin(), got.begin() + 9);
    EXPECT_EQ(withStandard,
              (std::vector<std::string>{"A K 9", "A L 3/4x3/4", "A L 1-1/4", "A L 1-1/2", "A L 2",
                                        "A L 20", "A L 100", "A W 100", "B L 2"}));
    std::vector<std::string> rest(got.begin() + 9, got.end());
    std::sort(rest.begin(), rest.end());
    EXPECT_EQ(rest, (std::vector<std::string>{"", "Bar 1", "Plate 5"}));
  }
}

TEST(ProfileHelpers, FractionHookRewritesOnlyProperPowerOfTwoFractions) {
  using Sorter = ut::LexiNumericalSorter;
  for (const auto& [text, wanted] :
       std::vector<std::pair<const char*, const char*>>{{"3/4x1-3/8", "0.750|x|1.375"},
                                                        {"x-1/2", "x|-|0.500"},
                                                        {"2/3", "2.000|/|3.000"},
                                                        {"5/4", "5.000|/|4.000"},
                                                        {"4/4", "4.000|/|4.000"},
                                                        {"0/0", "0.000|/|0.000"},
                                                        {"1/2/3", "1.000|/|2.000|/|3.000"},
                                                        {"/2", "/|2.000"}}) {
    Sorter::Tokens tokens = Sorter::tokenize(OdString::fromUtf8(text));
    sl_db::fractionTokenHook(tokens);
    std::string out;
    for (const auto& t : tokens)
      out += (out.empty() ? "" : "|") + (Sorter::isText(t)
                                             ? boost::get<OdString>(t).toUtf8()
                                             : std::to_string(Sorter::getAsDouble(t)).substr(0, 5));
    EXPECT_EQ(out, wanted) << text;
  }
}

TEST(ProfileHelpers, LabelsAndHatchPatternsPerView) {
  EXPECT_EQ(sl_db::getProfileShapeLabel(ObjectType::IShapeProfile, true), L"IShapeProfile");
  EXPECT_EQ(sl_db::getProfileShapeLabel(ObjectType::CustomProfile, false), L"CustomShape");
  EXPECT_EQ(sl_db::getProfileShapeLabel(ObjectType::ParametrizedProfile, false), L"");
  EXPECT_EQ(sl_db::getProfileShapeLabel(ObjectType::ParametrizedProfile, true), L"Profile");
  EXPECT_EQ(sl_db::getProfileTypeLabel(kProfileStructuralSteel), L"Structural Steel");
  EXPECT_EQ(sl_db::getProfileTypeLabel(static_cast<ProfileType>(3)), L"");

  auto material = Material::create(L"Steel");
  material->set_cut_pattern(Pattern(Pattern::kPredefined, L"ANSI31", 2.0, 0.5));
  material->set_surface_pattern(Pattern(Pattern::kUserDefined, L"", 3.0, 0.0));
  const auto other = static_cast<sl_db::EHatchViewType>(2);
  KcSmartPtr<const Material> read(material.get());
  EXPECT_EQ(sl_db::hatchPattern(read, other), Pattern());
  EXPECT_EQ(sl_db::hatchPattern(nullptr, sl_db::kCut), Pattern());
  sl_db::setPatternScale(material, sl_db::kCut, 5.0);
  sl_db::setPatternScale(material, other, 7.0);
  sl_db::setPatternAngle(material, sl_db::kSurface, 45);
  EXPECT_EQ(sl_db::hatchPattern(read, sl_db::kCut),
            Pattern(Pattern::kPredefined, L"ANSI31", 5.0, 0.5));
  EXPECT_EQ(material->surface_pattern().scale(), 7.0);
  EXPECT_DOUBLE_EQ(material->surface_pattern().angle(), 3.141592653589793 / 4);
}

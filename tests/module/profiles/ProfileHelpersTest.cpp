// Profile and material helpers: full names, lookups by id across a drawing's libraries, the
// natural order of profile lists with imperial fractions, labels, and hatch patterns per view.
#include "sl_db/ProfileHelpers.h"

#include <algorithm>
#include <random>

#include "DataRows.h"
#include "DocLibsSupport.h"

using namespace stocklib;
using sltest::DocLibsTest;

namespace {

KcSmartPtr<Profile> profile(const std::string& standard, const std::string& name,
                            const std::string& size) {
  auto s = standard.empty() ? nullptr : ProfileStandard::create(OdString::fromUtf8(standard));
  auto p = RectangleProfile::create(ProfileName::create(OdString::fromUtf8(name), s.get()).get(),
                                    OdString::fromUtf8(size));
  return KcSmartPtr<Profile>(p.get());
}

}  // namespace

TEST_F(DocLibsTest, ProfilesByIdComeFromThePrimaryThenTheSecondaryNeverWithoutAPrimary) {
  auto secondary = makeLibrary("s.stocklib", {});
  std::vector<KcSmartPtr<Profile>> saved;
  for (int i = 1; i <= 40; ++i)
    saved.push_back(profile("EN", "S", std::to_string(i))->save(secondary));
  OdDbDatabasePtr db = odDbCreateDatabase(true);
  sl_db::DocumentLibraries* docs = sl_db::docLibs(db.get());
  ASSERT_TRUE(docs->openSecondary(secondary->filename()));
  ASSERT_FALSE(sl_db::getLibrary(db.get(), sl_db::kPrimary));
  EXPECT_FALSE(sl_db::getProfileById(saved.back()->id(), db.get()));
  EXPECT_EQ(sl_db::fullProfileName(saved.back()->id(), db.get()), L"");

  auto primary = docs->openPrimary(dir.file("p.stocklib"));
  ASSERT_TRUE(primary);
  auto own = profile("EN", "P", "1")->save(primary);
  ASSERT_TRUE(secondary->get<Profile>(own->id()));  // the same id names another profile there
  EXPECT_EQ(sl_db::fullProfileName(own->id(), db.get()), L"EN P 1");
  EXPECT_EQ(sl_db::fullProfileName(saved.back()->id(), db.get()), L"EN S 40");
  EXPECT_FALSE(sl_db::getProfileById(0, db.get()));
  EXPECT_FALSE(sl_db::getProfileById(9999, db.get()));
}

TEST(ProfileHelpers, SortingPutsStandardsFirstThenNamesThenSizesWithPowerOfTwoFractions) {
  std::vector<KcSmartPtr<Profile>> profiles = {
      profile("", "Plate", "5"),  profile("B", "L", "2"),   profile("A", "W", "100"),
      profile("A", "L", "1-1/2"), profile("A", "L", "2"),   profile("A", "L", "1-1/4"),
      profile("A", "L", "20"),    profile("A", "L", "100"), profile("A", "L", "3/4x3/4"),
      profile("A", "K", "9"),     profile("", "Bar", "1"),  nullptr,
  };
  std::mt19937 random(7);
  for (int round = 0; round < 5; ++round) {
    std::shuffle(profiles.begin(), profiles.end(), random);
    sl_db::sortProfiles(profiles);
    std::vector<std::string> got;
    for (const auto& p : profiles)
      got.push_back(sl_db::fullProfileName(p.get()).toUtf8());
    std::sort(got.begin() + 9, got.end());  // those without a standard in any order
    EXPECT_EQ(got, (std::vector<std::string>{"A K 9", "A L 3/4x3/4", "A L 1-1/4", "A L 1-1/2",
                                             "A L 2", "A L 20", "A L 100", "A W 100", "B L 2", "",
                                             "Bar 1", "Plate 5"}));
  }
  // The hook rewrites only proper fractions of a power of two.
  using Sorter = ut::LexiNumericalSorter;
  for (const auto& r : sltest::dataRows("profiles-fractions.txt", 2)) {
    Sorter::Tokens tokens = Sorter::tokenize(OdString::fromUtf8(r[0]));
    sl_db::fractionTokenHook(tokens);
    std::string out;
    for (const auto& t : tokens)
      out += (out.empty() ? "" : "|") + (Sorter::isText(t)
                                             ? boost::get<OdString>(t).toUtf8()
                                             : std::to_string(Sorter::getAsDouble(t)).substr(0, 5));
    EXPECT_EQ(out, r[1]) << r[0];
  }
}

TEST(ProfileHelpers, NamesLeaveOutTheUserDefinedStandardAndSizeZeroLabelsAndPatternsPerView) {
  EXPECT_EQ(sl_db::getUserDefinedLabel(), L"user defined");
  for (const auto& r : sltest::dataRows("profiles-names.txt", 4))
    EXPECT_EQ(sl_db::fullProfileName(profile(r[0], r[1], r[2]).get()), OdString::fromUtf8(r[3]));
  EXPECT_EQ(sl_db::fullProfileName(RectangleProfile::create(nullptr, L"10").get()), L"");
  EXPECT_EQ(sl_db::fullProfileName(nullptr), L"");
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

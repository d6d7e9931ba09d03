// Profiles: shapes with their dimensions, names and standards, keys and criteria, copies and
// imports between inch and millimetre libraries, and the scale comparison.
#include "TestSupport.h"

using namespace stocklib;
using Profiles = sltest::TempDir;

static KcSmartPtr<LShapeProfile> angle(const ProfileName* name, const OdString& size, double leg,
                                       double t) {
  auto p = LShapeProfile::create(name, size);
  p->set_height(leg);
  p->set_width(leg);
  p->set_thickness(t);
  p->set_profile_type(kProfileStructuralSteel);
  return p;
}

TEST_F(Profiles, EveryShapeHasItsTypeNumberDimensionsKeysAndCriteria) {
  auto lib = library("p.stocklib");
  auto name = ProfileName::create(L"Test", nullptr);
  std::vector<KcSmartPtr<Profile>> made = {
      CustomProfile::create(name, L"0"),           CircleProfile::create(name, L"1"),
      CircleHollowProfile::create(name, L"2"),     EllipseProfile::create(name, L"3"),
      RectangleProfile::create(name, L"4"),        RectangleHollowProfile::create(name, L"5"),
      RoundedRectangleProfile::create(name, L"6"), TrapeziumProfile::create(name, L"7"),
      CraneRailAShapeProfile::create(name, L"8"),  CraneRailFShapeProfile::create(name, L"9"),
      TShapeProfile::create(name, L"10"),          ZShapeProfile::create(name, L"11"),
      CShapeProfile::create(name, L"12"),          UShapeProfile::create(name, L"13"),
      LShapeProfile::create(name, L"14"),          IShapeProfile::create(name, L"15"),
      AsymmetricIShapeProfile::create(name, L"16")};
  std::vector<int> types;
  for (auto& p : made) {
    auto pp = ParametrizedProfile::cast(p);
    for (std::size_t i = 0; pp && i < pp->dimension_count(); ++i)
      EXPECT_TRUE(pp->set_dimension(i, i + 1.0));
    types.push_back(static_cast<int>(p->save(lib)->objectType()));
  }
  EXPECT_EQ(types,
            (std::vector<int>{18, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35}));
  EXPECT_EQ(sltest::count<ParametrizedProfile>(lib), 16u);

  auto a = lib->get<AsymmetricIShapeProfile>(ProfileKey(L"", L"Test", L"16"));
  ASSERT_TRUE(a);
  EXPECT_EQ(a->top_width(), 2.0);
  EXPECT_EQ(a->fillet_radius(), 7.0);
  EXPECT_EQ(a->dimension_index(L"bottom_flange_thickness"), 5);
  EXPECT_EQ(a->dimension_index(L"nothing"), -1);
  EXPECT_FALSE(a->set_dimension(7, 1.0));
  EXPECT_EQ(a->dimension(static_cast<std::size_t>(-1)), 0.0);  // a name not found, passed on
  auto u = lib->get<UShapeProfile>(ProfileKey(L"", L"Test", L"13"));
  EXPECT_TRUE(u->dimension_is_length(4));
  EXPECT_FALSE(u->dimension_is_length(5));  // the flange slope is a ratio

  // A custom outline keeps its vertices in order.
  auto c = lib->get<CustomProfile>(ProfileKey(L"", L"Test", L"0"));
  std::vector<OutlinePoint> outline{{0, 0, 0}, {100, 0, 0.5}, {100, 50, 0}, {0, 50, 0}};
  c->set_outline(outline);
  c->save();
  EXPECT_EQ(lib->get<CustomProfile>(c->id())->outline(), outline);

  // Names, standards, keys and criteria.
  auto en = ProfileStandard::create(L"EN 10056-1");
  auto l = ProfileName::create(L"L", en);
  angle(l, L"50x50x5", 50, 5)->save(lib);
  angle(l, L"60x60x6", 60, 6)->save(lib);
  angle(ProfileName::create(L"L", nullptr), L"50x50x5", 50, 5)->save(lib);  // no standard
  EXPECT_THROW(angle(l, L"50x50x5", 50, 5)->save(lib), ObjectNotUnique);

  auto withStd = lib->get<Profile>(ProfileKey(L"EN 10056-1", L"L", L"50x50x5"));
  auto without = lib->get<LShapeProfile>(ProfileKey(L"", L"L", L"50x50x5"));
  ASSERT_TRUE(withStd && without);
  EXPECT_EQ(withStd->name()->standard()->name(), L"EN 10056-1");
  EXPECT_NE(without->id(), withStd->id());
  EXPECT_FALSE(lib->get<Profile>(ProfileKey(L"DIN", L"L", L"50x50x5")));
  EXPECT_FALSE(lib->get<IShapeProfile>(ProfileKey(L"EN 10056-1", L"L", L"50x50x5")));
  EXPECT_TRUE(lib->get<ProfileName>(ProfileNameKey(L"", L"L")));

  std::vector<KcSmartPtr<Profile>> found;
  const std::pair<ProfileCriteria, std::size_t> criteria[] = {
      {ProfileCriteria(StringCriteria(L"50x50x5", 1)), 2},
      {ProfileCriteria(StringCriteria(L"50", 2), L"EN 10056-1"), 1},
      {ProfileCriteria(StringCriteria(), L"", L"HEA"), 0},
      // With the shapes "15" and "14" above.
      {ProfileCriteria(StringCriteria(), L"", L"", ObjectType::IShapeProfile), 1},
      {ProfileCriteria(StringCriteria(), L"", L"", ObjectType::LShapeProfile), 4}};
  for (const auto& [c, expected] : criteria)
    EXPECT_EQ(lib->get(found, c), expected);

  // The name is referenced by its profiles, the standard by its name.
  EXPECT_EQ(lib->remove(l), Library::kStillReferenced);
  EXPECT_EQ(lib->remove(lib->get<ProfileStandard>(NameKey(L"EN 10056-1"))),
            Library::kStillReferenced);
}

TEST_F(Profiles, CopyImportScaleComparisonAndScalingBetweenInchAndMillimetre) {
  auto in = library("in.stocklib", kLibraryUnitInch);
  auto aisc = ProfileName::create(L"L", ProfileStandard::create(L"AISC"));
  auto l4 = angle(aisc, L"4x4x1/2", 4, 0.5)->save(in);
  auto c =
      UShapeProfile::create(ProfileName::create(L"C", ProfileStandard::create(L"AISC")), L"8x11.5");
  c->set_height(8);
  c->set_flange_slope(1.0 / 6);
  c = c->save(in);

  auto mm = library("mm.stocklib");
  IdMapping mapping(mm.get());
  auto copy = l4->save(mm, mapping);
  EXPECT_DOUBLE_EQ(copy->width(), 101.6);  // not 101.6 m, not 4
  EXPECT_EQ(copy->name()->standard()->name(), L"AISC");
  EXPECT_EQ(copy->name()->library(), mm);
  auto c2 = c->save(mm, mapping);
  EXPECT_DOUBLE_EQ(c2->height(), 203.2);
  EXPECT_DOUBLE_EQ(c2->flange_slope(), 1.0 / 6);  // a ratio stays as it is

  // Twice: no duplicate; the standard is shared by both names.
  l4->save(mm, mapping);
  EXPECT_EQ(sltest::count<Profile>(mm), 2u);
  EXPECT_EQ(sltest::count<ProfileStandard>(mm), 1u);

  // Imported from inches, the same; a unit that does not exist is refused.
  const std::string inches =
      "<stocklib><ProfileStandard name='AISC'/><ProfileName standard='AISC' name='L'/>"
      "<LShapeProfile profile_name='L' profile_name.standard='AISC' size='4x4x1/2' height='4' "
      "width='4' thickness='0.5'/><UShapeProfile profile_name='L' profile_name.standard='AISC' "
      "size='c' height='8' flange_slope='0.25'/></stocklib>";
  auto imported = library("imported.stocklib");
  sltest::importXml(*imported, inches, {kLibraryUnitInch});
  auto l = imported->get<LShapeProfile>(ProfileKey(L"AISC", L"L", L"4x4x1/2"));
  auto u = imported->get<UShapeProfile>(ProfileKey(L"AISC", L"L", L"c"));
  ASSERT_TRUE(l && u);
  EXPECT_DOUBLE_EQ(l->width(), 101.6);
  EXPECT_DOUBLE_EQ(u->height(), 203.2);
  EXPECT_EQ(u->flange_slope(), 0.25);
  EXPECT_THROW(sltest::importXml(*imported, inches, {7}), Exception);

  // Scaled equal profiles, and scaleProfile.
  auto name = ProfileName::create(L"L", nullptr);
  auto mmAngle = angle(name, L"4x4x1/2", 101.6, 12.7);
  auto inAngle = angle(name, L"4x4x1/2", 4, 0.5);
  double scale = 0;
  EXPECT_TRUE(scaledEqualProfiles(inAngle, mmAngle, scale));
  EXPECT_NEAR(scale, 25.4, 1e-12);
  EXPECT_TRUE(scaledEqualProfiles(mmAngle, inAngle, scale));
  EXPECT_NEAR(scale, 1 / 25.4, 1e-12);

  scale = -1;
  EXPECT_FALSE(scaledEqualProfiles(inAngle, inAngle, scale));  // factor 1
  EXPECT_FALSE(scaledEqualProfiles(inAngle, nullptr, scale));
  EXPECT_FALSE(scaledEqualProfiles(inAngle, angle(name, L"x", 101.6, 13.0), scale));  // 2 factors
  auto rect = RectangleProfile::create(name, L"4x4x1/2");
  rect->set_height(101.6);
  rect->set_width(101.6);
  EXPECT_FALSE(scaledEqualProfiles(inAngle, rect, scale));  // another class
  EXPECT_FALSE(scaledEqualProfiles(LShapeProfile::create(name, L"0"),
                                   LShapeProfile::create(name, L"0"), scale));  // all zero
  EXPECT_EQ(scale, -1);
  EXPECT_TRUE(scaledEqualProfiles(inAngle, angle(name, L"x", 101.6 * (1 + 5e-7), 12.7), scale));

  // A differing ratio (the flange slope) is no scale.
  auto channel = [&](double height) {
    auto u = UShapeProfile::create(name, L"u");
    u->set_height(height);
    u->set_flange_slope(0.08);
    return u;
  };
  auto u1 = channel(4), u2 = channel(101.6);
  EXPECT_TRUE(scaledEqualProfiles(u1, u2, scale));
  u2->set_flange_slope(0.16);
  EXPECT_FALSE(scaledEqualProfiles(u1, u2, scale));

  // scaleProfile multiplies lengths only; unset dimensions stay unset.
  scaleProfile(u1, 25.4);
  EXPECT_DOUBLE_EQ(u1->height(), 101.6);
  EXPECT_EQ(u1->flange_slope(), 0.08);
  EXPECT_FALSE(u1->has_dimension(1));
  auto custom = CustomProfile::create(name, L"c");
  custom->set_outline({{1, 2, 0.5}, {3, 4, 0}});
  scaleProfile(custom, 2);
  EXPECT_EQ(custom->outline(), (std::vector<OutlinePoint>{{2, 4, 0.5}, {6, 8, 0}}));
  scaleProfile(nullptr, 2);
}

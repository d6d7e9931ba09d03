// DbPropertyType: stored codes, exactly the supported descriptors valid, empty values made.
#include "dbprops/DbPropertyType.h"

#include <gtest/gtest.h>

#include <set>
#include <tuple>

#include "dbprops/DbProperty.h"

namespace {

std::set<std::tuple<int, int, int>> supportedDescriptors() {
  std::set<std::tuple<int, int, int>> all;
#define ADD_SINGLE_(T, C) all.insert({1, C, 0});
#define ADD_ARRAY_(T, C) all.insert({2, C, 0});
#define ADD_MAP_(K, KC, V, VC) all.insert({3, VC, KC});
  DBPROPS_FOR_EACH_TYPE(ADD_SINGLE_, ADD_ARRAY_, ADD_MAP_)
#undef ADD_SINGLE_
#undef ADD_ARRAY_
#undef ADD_MAP_
  return all;
}

}  // namespace

TEST(DbPropertyType, ElementCodesAreTheStoredOnes) {
  EXPECT_EQ(DbPropertyType::get<bool>(), DbPropertyType(1, 0));
  EXPECT_EQ(DbPropertyType::get<signed char>(), DbPropertyType(1, 1));
  EXPECT_EQ(DbPropertyType::get<unsigned char>(), DbPropertyType(1, 2));
  EXPECT_EQ(DbPropertyType::get<short>(), DbPropertyType(1, 3));
  EXPECT_EQ(DbPropertyType::get<unsigned short>(), DbPropertyType(1, 4));
  EXPECT_EQ(DbPropertyType::get<int>(), DbPropertyType(1, 5));
  EXPECT_EQ(DbPropertyType::get<unsigned int>(), DbPropertyType(1, 6));
  EXPECT_EQ(DbPropertyType::get<std::int64_t>(), DbPropertyType(1, 7));
  EXPECT_EQ(DbPropertyType::get<std::uint64_t>(), DbPropertyType(1, 8));
  EXPECT_EQ(DbPropertyType::get<double>(), DbPropertyType(1, 9));
  EXPECT_EQ(DbPropertyType::get<OdString>(), DbPropertyType(1, 10));
  EXPECT_EQ(DbPropertyType::get<OdDbHandle>(), DbPropertyType(1, 11));
  EXPECT_EQ(DbPropertyType::get<OdDbTypedId>(), DbPropertyType(1, 12));
  EXPECT_EQ(DbPropertyType::get<OdGeVector2d>(), DbPropertyType(1, 13));
  EXPECT_EQ(DbPropertyType::get<OdGePoint2d>(), DbPropertyType(1, 14));
  EXPECT_EQ(DbPropertyType::get<OdGeVector3d>(), DbPropertyType(1, 15));
  EXPECT_EQ(DbPropertyType::get<OdGePoint3d>(), DbPropertyType(1, 16));
  EXPECT_EQ(DbPropertyType::get<std::vector<unsigned char>>(), DbPropertyType(1, 17));
  using NestedArray =
      OdArray<std::shared_ptr<DbProperty>, OdObjectsAllocator<std::shared_ptr<DbProperty>>>;
  EXPECT_EQ(DbPropertyType::get<NestedArray>(), DbPropertyType(2, 18));
  EXPECT_EQ((DbPropertyType::get<OdArray<OdDbTypedId, OdClrMemAllocator<OdDbTypedId>>>()),
            DbPropertyType(2, 12));
  EXPECT_EQ((DbPropertyType::get<OdArray<double, OdMemoryAllocator<double>>>()),
            DbPropertyType(2, 9));
  EXPECT_EQ((DbPropertyType::get<std::map<OdString, double>>()), DbPropertyType(3, 9, 10));
  EXPECT_EQ((DbPropertyType::get<std::map<unsigned int, std::shared_ptr<DbProperty>>>()),
            DbPropertyType(3, 18, 6));
  EXPECT_NE(DbPropertyType(3, 9, 10), DbPropertyType(3, 9, 5));
  EXPECT_NE(DbPropertyType(1, 9), DbPropertyType(2, 9));
}

TEST(DbPropertyType, ValidExactlyForTheSupportedDescriptors) {
  const auto supported = supportedDescriptors();
  EXPECT_EQ(supported.size(), 95u);  // 18 single, 13 arrays, 64 maps
  int valid = 0;
  for (int s = -1; s <= 4; ++s) {
    for (int t = -1; t <= 19; ++t) {
      for (int k = -1; k <= 19; ++k) {
        DbPropertyType type(s, t, k);
        bool expected = supported.count({s, t, k}) != 0;
        ASSERT_EQ(type.isValid(), expected) << s << " " << t << " " << k;
        std::shared_ptr<DbProperty> made = type.createProperty();
        ASSERT_EQ(made != nullptr, expected);
        if (made) {
          ++valid;
          EXPECT_EQ(made->type(), type);
          EXPECT_FALSE(made->isSet());
          EXPECT_FALSE(made->isMapped());
        }
      }
    }
  }
  EXPECT_EQ(valid, 95);
  EXPECT_FALSE(DbPropertyType().isValid());
  EXPECT_FALSE(DbPropertyType(1, 18).isValid());  // a nested value only inside arrays and maps
  EXPECT_FALSE(DbPropertyType(1, 19).isValid());
  EXPECT_FALSE(DbPropertyType(2, 2).isValid());      // no array of unsigned 8-bit values
  EXPECT_FALSE(DbPropertyType(1, 9, 10).isValid());  // a key code on a single value
}

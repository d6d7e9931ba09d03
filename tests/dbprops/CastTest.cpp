// castProperty: numbers to numbers when they fit, numbers and text both ways, arrays and maps
// element by element; everything else fails and keeps the value; a missing name stays missing.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>

#include "dbprops/DbProperties.h"

namespace {

// cast: stores `value` under "P" and casts it to U; the converted value, or empty when it did not
// convert. A conversion that fails answers empty and leaves the stored value in place.
template <class U, class T>
std::optional<U> cast(const T& value, bool mapped = false) {
  OdStaticRxObject<DbProperties> container;
  auto stored = std::make_shared<DbPropertyContainer<T>>(value);
  stored->setMapped(mapped);
  container.setProperty(L"P", stored);
  std::shared_ptr<DbProperty> answer = container.castProperty(L"P", DbPropertyType::get<U>());
  if (!answer || !answer->isSet()) {
    EXPECT_EQ(answer, nullptr);
    EXPECT_EQ(container.getProperty(L"P"), stored);
    EXPECT_TRUE(stored->isSet());
    return std::nullopt;
  }
  EXPECT_EQ(answer, container.getProperty(L"P"));
  EXPECT_EQ(answer->isMapped(), mapped);
  U out{};
  EXPECT_TRUE(answer->get(out));
  return out;
}

}  // namespace

TEST(CastProperty, NumbersToNumbersWhenTheyFit) {
  using std::int32_t, std::int64_t, std::int8_t, std::uint64_t, std::uint8_t;
  EXPECT_EQ(cast<int8_t>(int32_t(-128)), int8_t(-128));
  EXPECT_FALSE(cast<int8_t>(int32_t(128)));
  EXPECT_FALSE(cast<uint8_t>(int32_t(-1)));
  EXPECT_FALSE(cast<uint64_t>(int64_t(-1)));
  EXPECT_FALSE(cast<int64_t>(uint64_t(1) << 63));

  EXPECT_EQ(cast<double>(int32_t(-7)), -7.0);
  EXPECT_FALSE(cast<double>((int64_t(1) << 53) + 1));  // not exact as a double
  EXPECT_EQ(cast<int32_t>(42.0), 42);
  EXPECT_FALSE(cast<int32_t>(2.5));
  EXPECT_FALSE(cast<int32_t>(std::nan("")));
  // The first double past each range is refused (for 64 bits converting it is undefined).
  EXPECT_FALSE(cast<int32_t>(2147483648.0));
  EXPECT_FALSE(cast<int8_t>(128.0));
  EXPECT_FALSE(cast<int64_t>(std::ldexp(1.0, 63)));
  EXPECT_EQ(cast<int64_t>(-std::ldexp(1.0, 63)), std::numeric_limits<int64_t>::min());
  EXPECT_FALSE(cast<uint64_t>(std::ldexp(1.0, 64)));

  EXPECT_EQ(cast<bool>(std::int16_t(1)), true);
  EXPECT_FALSE(cast<bool>(std::int16_t(2)));
}

TEST(CastProperty, NumbersAndTextBothWays) {
  EXPECT_EQ(cast<OdString>(std::int64_t(-12)), OdString(L"-12"));
  EXPECT_EQ(cast<OdString>(std::uint64_t(18000000000000000000ULL)),
            OdString(L"18000000000000000000"));
  EXPECT_EQ(cast<OdString>(0.1), OdString(L"0.1"));

  EXPECT_EQ(cast<std::int32_t>(OdString(L"  -17 ")), -17);
  EXPECT_FALSE(cast<std::int32_t>(OdString(L"17 apples")));
  EXPECT_FALSE(cast<std::int32_t>(OdString(L"99999999999")));
  EXPECT_EQ(cast<std::uint16_t>(OdString(L"65535")), std::uint16_t(65535));
  EXPECT_EQ(cast<double>(OdString(L"2.5e3")), 2500.0);
  EXPECT_FALSE(cast<double>(OdString(L"inf")));
  EXPECT_FALSE(cast<double>(OdString(L"1e999")));
  EXPECT_EQ(cast<bool>(OdString(L"true")), true);
  EXPECT_FALSE(cast<bool>(OdString(L"yes")));
}

TEST(CastProperty, ArraysAndMapsElementByElement) {
  EXPECT_EQ(cast<DbArray<double>>(DbArray<std::int32_t>{1, -2, 3}),
            (DbArray<double>{1.0, -2.0, 3.0}));
  EXPECT_FALSE(cast<DbArray<std::int8_t>>(DbArray<std::int32_t>{1, 300}));  // one does not fit

  using Texts = std::map<OdString, OdString>;
  EXPECT_EQ((cast<std::map<std::int32_t, OdString>>(Texts{{L"2", L"b"}, {L"10", L"a"}})),
            (std::map<std::int32_t, OdString>{{2, L"b"}, {10, L"a"}}));
  // "1" and "01" are one key once converted.
  EXPECT_FALSE(
      (cast<std::map<std::int32_t, bool>>(std::map<OdString, bool>{{L"1", true}, {L"01", false}})));
}

TEST(CastProperty, EverythingElseFailsAndKeepsTheValue) {
  // Other element types only to themselves; single to array; handle to text; array to map.
  EXPECT_FALSE(cast<OdString>(OdGePoint3d(1, 2, 3)));
  EXPECT_FALSE(cast<OdString>(OdDbHandle(5), true));
  EXPECT_FALSE((cast<std::map<std::int32_t, double>>(DbArray<double>{1.0})));
  // The mapped mark stays with the converted value.
  EXPECT_EQ(cast<OdString>(5.0, true), OdString(L"5"));

  OdStaticRxObject<DbProperties> container;
  // A name with no value stays without one.
  EXPECT_EQ(container.castProperty(L"Missing", DbPropertyType::get<double>()), nullptr);
  EXPECT_EQ(container.size(), 0u);
  // The same type: the stored value itself.
  auto stored = std::make_shared<DbPropertyContainer<double>>(1.0);
  container.setProperty(L"P", stored);
  EXPECT_EQ(container.castProperty(L"P", DbPropertyType::get<double>()), stored);
  // An invalid type changes nothing.
  EXPECT_EQ(container.castProperty(L"P", DbPropertyType(1, 19)), nullptr);
  EXPECT_EQ(container.getProperty(L"P"), stored);
}

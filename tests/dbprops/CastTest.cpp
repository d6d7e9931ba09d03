// castProperty: numbers to numbers when they fit, numbers and text both ways, arrays and maps
// element by element; everything else fails and keeps the value; a missing name stays missing.
#include <gtest/gtest.h>

#include <cmath>

#include "dbprops/DbProperties.h"

namespace {

// castsTo: stores `value` under "P" and casts it to U; true with `out` when it converted. A
// conversion that fails answers empty and leaves the stored value in place, with its own type.
template <class U, class T>
bool castsTo(const T& value, U& out, bool mapped = false) {
  OdStaticRxObject<DbProperties> container;
  auto stored = std::make_shared<DbPropertyContainer<T>>(value);
  stored->setMapped(mapped);
  container.setProperty(L"P", stored);
  std::shared_ptr<DbProperty> answer = container.castProperty(L"P", DbPropertyType::get<U>());
  if (!answer || !answer->isSet()) {
    EXPECT_EQ(answer, nullptr);
    EXPECT_EQ(container.getProperty(L"P"), stored);
    EXPECT_TRUE(stored->isSet());
    return false;
  }
  EXPECT_EQ(answer, container.getProperty(L"P"));
  EXPECT_EQ(answer->type(), DbPropertyType::get<U>());
  EXPECT_EQ(answer->isMapped(), mapped);
  return answer->get(out);
}

}  // namespace

TEST(CastProperty, NumbersToNumbersWhenTheyFit) {
  std::int8_t small = 0;
  EXPECT_TRUE(castsTo(std::int32_t(-128), small));
  EXPECT_EQ(small, -128);
  EXPECT_FALSE(castsTo(std::int32_t(128), small));
  std::uint8_t byte = 0;
  EXPECT_FALSE(castsTo(std::int32_t(-1), byte));
  EXPECT_TRUE(castsTo(std::uint64_t(255), byte));
  std::uint64_t big = 0;
  EXPECT_FALSE(castsTo(std::int64_t(-1), big));
  std::int64_t signedBig = 0;
  EXPECT_FALSE(castsTo(std::uint64_t(1) << 63, signedBig));
  EXPECT_TRUE(castsTo(std::uint64_t(1) << 62, signedBig));

  double real = 0;
  EXPECT_TRUE(castsTo(std::int32_t(-7), real));
  EXPECT_EQ(real, -7.0);
  EXPECT_FALSE(castsTo((std::int64_t(1) << 53) + 1, real));  // not exact as a double
  EXPECT_FALSE(castsTo(std::numeric_limits<std::int64_t>::max(), real));
  std::int32_t whole = 0;
  EXPECT_TRUE(castsTo(42.0, whole));
  EXPECT_EQ(whole, 42);
  EXPECT_FALSE(castsTo(2.5, whole));
  EXPECT_FALSE(castsTo(3e9, whole));
  EXPECT_FALSE(castsTo(std::nan(""), whole));
  EXPECT_TRUE(castsTo(-2147483648.0, whole));
  // The first double past each range is refused (for 64 bits converting it is undefined).
  EXPECT_FALSE(castsTo(2147483648.0, whole));
  EXPECT_TRUE(castsTo(127.0, small));
  EXPECT_FALSE(castsTo(128.0, small));
  EXPECT_FALSE(castsTo(std::ldexp(1.0, 63), signedBig));
  EXPECT_TRUE(castsTo(-std::ldexp(1.0, 63), signedBig));
  EXPECT_EQ(signedBig, std::numeric_limits<std::int64_t>::min());
  EXPECT_FALSE(castsTo(std::ldexp(1.0, 64), big));

  bool truth = false;
  EXPECT_TRUE(castsTo(std::int16_t(1), truth));
  EXPECT_TRUE(truth);
  EXPECT_FALSE(castsTo(std::int16_t(2), truth));
  EXPECT_TRUE(castsTo(true, whole));
  EXPECT_EQ(whole, 1);
}

TEST(CastProperty, NumbersAndTextBothWays) {
  OdString text;
  EXPECT_TRUE(castsTo(std::int64_t(-12), text));
  EXPECT_EQ(text, L"-12");
  EXPECT_TRUE(castsTo(std::uint64_t(18000000000000000000ULL), text));
  EXPECT_EQ(text, L"18000000000000000000");
  EXPECT_TRUE(castsTo(0.1, text));
  EXPECT_EQ(text, L"0.1");
  EXPECT_TRUE(castsTo(false, text));
  EXPECT_EQ(text, L"false");

  std::int32_t whole = 0;
  EXPECT_TRUE(castsTo(OdString(L"  -17 "), whole));
  EXPECT_EQ(whole, -17);
  EXPECT_FALSE(castsTo(OdString(L"17 apples"), whole));
  EXPECT_FALSE(castsTo(OdString(L""), whole));
  EXPECT_FALSE(castsTo(OdString(L"99999999999"), whole));
  std::uint16_t unsignedSmall = 0;
  EXPECT_FALSE(castsTo(OdString(L"-1"), unsignedSmall));
  EXPECT_TRUE(castsTo(OdString(L"65535"), unsignedSmall));
  double real = 0;
  EXPECT_TRUE(castsTo(OdString(L"2.5e3"), real));
  EXPECT_EQ(real, 2500.0);
  EXPECT_FALSE(castsTo(OdString(L"inf"), real));
  EXPECT_FALSE(castsTo(OdString(L"1e999"), real));
  bool truth = false;
  EXPECT_TRUE(castsTo(OdString(L"true"), truth));
  EXPECT_TRUE(truth);
  EXPECT_FALSE(castsTo(OdString(L"yes"), truth));
}

TEST(CastProperty, ArraysAndMapsElementByElement) {
  DbArray<double> reals;
  EXPECT_TRUE(castsTo(DbArray<std::int32_t>{1, -2, 3}, reals));
  EXPECT_EQ(reals, (DbArray<double>{1.0, -2.0, 3.0}));
  DbArray<std::int8_t> bytes;
  EXPECT_FALSE(castsTo(DbArray<std::int32_t>{1, 300}, bytes));  // one element does not fit
  DbArray<OdString> texts;
  EXPECT_TRUE(castsTo(DbArray<bool>{true, false}, texts));
  EXPECT_EQ(texts, (DbArray<OdString>{L"true", L"false"}));

  std::map<std::int32_t, OdString> byNumber;
  EXPECT_TRUE(castsTo(std::map<OdString, OdString>{{L"2", L"b"}, {L"10", L"a"}}, byNumber));
  EXPECT_EQ(byNumber, (std::map<std::int32_t, OdString>{{2, L"b"}, {10, L"a"}}));
  // "1" and "01" are one key once converted.
  EXPECT_FALSE(castsTo(std::map<OdString, bool>{{L"1", true}, {L"01", false}},
                       *std::make_unique<std::map<std::int32_t, bool>>()));
  std::map<double, OdDbHandle> handles;
  EXPECT_TRUE(castsTo(std::map<std::int32_t, OdDbHandle>{{1, OdDbHandle(5)}}, handles));
  EXPECT_EQ(handles.at(1.0), OdDbHandle(5));
}

TEST(CastProperty, EverythingElseFailsAndKeepsTheValue) {
  // Other element types only to themselves; single to array; handle to text; array to map.
  OdString text;
  EXPECT_FALSE(castsTo(OdGePoint3d(1, 2, 3), text));
  EXPECT_FALSE(castsTo(2.0, *std::make_unique<DbArray<double>>()));
  EXPECT_FALSE(castsTo(OdDbHandle(5), text, true));
  EXPECT_FALSE(castsTo(DbArray<double>{1.0}, *std::make_unique<std::map<std::int32_t, double>>()));
  // The mapped mark stays with the converted value.
  EXPECT_TRUE(castsTo(5.0, text, true));
  EXPECT_EQ(text, L"5");

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
  // A value never set becomes the empty value of the new type.
  container.setProperty(L"Unset", DbPropertyType::get<OdString>().createProperty());
  auto converted = container.castProperty(L"Unset", DbPropertyType::get<std::int32_t>());
  ASSERT_NE(converted, nullptr);
  EXPECT_FALSE(converted->isSet());
}

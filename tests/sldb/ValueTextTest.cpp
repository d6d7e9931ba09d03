// The command line's value text: parsing by storage type, printing back, and refusing text that
// does not parse whole.
#include "sl_db/ValueText.h"

#include "TestSupport.h"

namespace {

/// parse then print, or "error: ..." when the text is refused.
template <class T>
std::string roundTrip(const char* text) {
  std::string error;
  auto value = sl_db::parseValue(text, DbPropertyType::get<T>(), error);
  if (!value) return "error: " + error;
  EXPECT_TRUE(value->isSet());
  EXPECT_EQ(value->type(), DbPropertyType::get<T>());
  return sl_db::formatValue(*value);
}

}  // namespace

TEST(ValueText, ParsesEveryKindOfValueAndPrintsItBack) {
  EXPECT_EQ(roundTrip<double>(" 2.5 "), "2.5");
  EXPECT_EQ(roundTrip<double>("0.1"), "0.1");
  EXPECT_EQ(roundTrip<double>("5e-324"), "4.9406564584124654e-324");  // subnormal: finite
  EXPECT_EQ(roundTrip<int32_t>("-2147483648"), "-2147483648");
  EXPECT_EQ(roundTrip<uint8_t>("255"), "255");
  EXPECT_EQ(roundTrip<uint64_t>("18446744073709551615"), "18446744073709551615");
  EXPECT_EQ(roundTrip<bool>("true"), "true");
  EXPECT_EQ(roundTrip<OdString>("a, b: c"), "a, b: c");
  EXPECT_EQ(roundTrip<OdString>("\"q\\\"uote\""), "q\"uote");
  EXPECT_EQ(roundTrip<OdDbHandle>("1f"), "1F");
  EXPECT_EQ(roundTrip<OdDbHandle>("FEDCBA9876543210"), "FEDCBA9876543210");  // all 64 bits
  EXPECT_EQ(roundTrip<OdGePoint3d>("1,2,3"), "1,2,3");
  EXPECT_EQ(roundTrip<OdGeVector2d>("(0.5, -1)"), "0.5,-1");
  EXPECT_EQ(roundTrip<DbBytes>("00ff10"), "00ff10");
  EXPECT_EQ(roundTrip<DbArray<double>>("[1, 2.5, 3]"), "[1, 2.5, 3]");
  EXPECT_EQ(roundTrip<DbArray<double>>("[]"), "[]");
  EXPECT_EQ(roundTrip<DbArray<OdString>>("[\"a,b\", c]"), "[\"a,b\", \"c\"]");
  EXPECT_EQ(roundTrip<DbArray<OdGePoint3d>>("[(1,2,3), (4,5,6)]"), "[(1,2,3), (4,5,6)]");
  EXPECT_EQ((roundTrip<std::map<OdString, int32_t>>("{b: 2, a: 1}")), "{\"a\": 1, \"b\": 2}");
  EXPECT_EQ((roundTrip<std::map<std::uint32_t, DbPropertyPtr>>(" { } ")), "{}");
}

TEST(ValueText, RefusesTextThatDoesNotParseWhole) {
  for (const char* bad : {"", "1.5x", "nan", "1e999", "1e-400"})
    EXPECT_EQ(roundTrip<double>(bad).rfind("error: expected", 0), 0u) << bad;
  for (const char* bad : {"256", "-1", "+1", "1.0", " "})
    EXPECT_EQ(roundTrip<uint8_t>(bad).rfind("error: expected", 0), 0u) << bad;
  EXPECT_EQ(roundTrip<int32_t>("2147483648").rfind("error: expected", 0), 0u);
  EXPECT_EQ(roundTrip<bool>("True").rfind("error: expected", 0), 0u);
  EXPECT_EQ(roundTrip<OdGePoint3d>("1,2").rfind("error: expected", 0), 0u);
  EXPECT_EQ(roundTrip<OdGePoint2d>("1,2,3").rfind("error: expected", 0), 0u);
  EXPECT_EQ(roundTrip<OdDbHandle>("12345678901234567").rfind("error: expected", 0), 0u);
  EXPECT_EQ(roundTrip<OdDbHandle>("0x").rfind("error: expected", 0), 0u);
  EXPECT_EQ(roundTrip<DbBytes>("0x1f").rfind("error: expected", 0), 0u);
  EXPECT_EQ(roundTrip<DbBytes>("abc").rfind("error: expected", 0), 0u);
  EXPECT_EQ(roundTrip<DbArray<double>>("1, 2").rfind("error: expected", 0), 0u);
  EXPECT_EQ(roundTrip<DbArray<double>>("[1, [2]").rfind("error: expected", 0), 0u);
  EXPECT_EQ(roundTrip<DbArray<double>>("[1,]").rfind("error: expected", 0), 0u);
  EXPECT_EQ(roundTrip<DbArray<OdString>>("[\"open]").rfind("error: expected", 0), 0u);
  for (const char* bad : {"{a: 1, a: 2}", "{a 1}", "{a): (b: 1}"})
    EXPECT_EQ((roundTrip<std::map<OdString, int32_t>>(bad)).rfind("error: expected", 0), 0u) << bad;
  EXPECT_EQ(roundTrip<OdDbTypedId>("1F"),
            "error: typed ids and nested values cannot be given as text");
  EXPECT_EQ(roundTrip<DbArray<DbPropertyPtr>>("[1]"),
            "error: typed ids and nested values cannot be given as text");
  std::string error;
  EXPECT_FALSE(sl_db::parseValue("1", DbPropertyType(), error));
  EXPECT_EQ(error, "the type none holds no values");
  EXPECT_EQ(sl_db::typeName(DbPropertyType::get<std::map<OdString, double>>()),
            "map of string to double");
}

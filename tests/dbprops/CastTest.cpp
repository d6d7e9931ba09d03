// castProperty: numbers to numbers when they fit, numbers and text both ways, arrays and maps
// element by element; everything else fails and keeps the value; a missing name stays missing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>

#include "DataRows.h"
#include "dbprops/DbProperties.h"

namespace {

// castStored: `stored` under "P" cast to `to`; the converted value, or null when it did not
// convert. A conversion that fails leaves the stored value in place.
DbPropertyPtr castStored(const DbPropertyPtr& stored, DbPropertyType to) {
  OdStaticRxObject<DbProperties> container;
  container.setProperty(L"P", stored);
  std::shared_ptr<DbProperty> answer = container.castProperty(L"P", to);
  if (!answer || !answer->isSet()) {
    EXPECT_EQ(answer, nullptr);
    EXPECT_EQ(container.getProperty(L"P"), stored);
    EXPECT_TRUE(stored->isSet());
    return nullptr;
  }
  EXPECT_EQ(answer, container.getProperty(L"P"));
  EXPECT_EQ(answer->isMapped(), stored->isMapped());
  return answer;
}

// cast: `value` (mapped or not) cast to U; the converted value, or empty when it did not convert.
template <class U, class T>
std::optional<U> cast(const T& value, bool mapped = false) {
  auto stored = std::make_shared<DbPropertyContainer<T>>(value);
  stored->setMapped(mapped);
  DbPropertyPtr answer = castStored(stored, DbPropertyType::get<U>());
  U out{};
  if (!answer) return std::nullopt;
  EXPECT_TRUE(answer->get(out));
  return out;
}

}  // namespace

TEST(CastProperty, NumbersAndTextAsTheTableSays) {
  // The element types by their stored codes.
  const std::vector<std::string> codes = {"bool",   "int8",  "uint8",  "int16",  "uint16", "int32",
                                          "uint32", "int64", "uint64", "double", "text"};
  const auto type = [&](const std::string& name) {
    return DbPropertyType(1, int(std::find(codes.begin(), codes.end(), name) - codes.begin()));
  };
  const auto text = [](const DbPropertyPtr& value) {
    OdString out;
    return value && value->get(out) ? out.toUtf8() : std::string("-");
  };
  for (const auto& row : sltest::dataRows("cast.txt", 4)) {
    SCOPED_TRACE(row[0] + " " + row[1] + " to " + row[2]);
    auto stored = std::make_shared<DbPropertyContainer<OdString>>(OdString(row[1].c_str()));
    DbPropertyPtr from = row[0] == "text" ? stored : castStored(stored, type(row[0]));
    ASSERT_TRUE(from);
    DbPropertyPtr to = castStored(from, type(row[2]));
    EXPECT_EQ(text(to && row[2] != "text" ? castStored(to, type("text")) : to), row[3]);
  }
  EXPECT_FALSE(cast<std::int32_t>(std::nan("")));
}

TEST(CastProperty, ArraysAndMapsElementByElementAndEverythingElseFailsKeepingTheValue) {
  EXPECT_EQ(cast<DbArray<double>>(DbArray<std::int32_t>{1, -2, 3}),
            (DbArray<double>{1.0, -2.0, 3.0}));
  EXPECT_FALSE(cast<DbArray<std::int8_t>>(DbArray<std::int32_t>{1, 300}));  // one does not fit

  using Texts = std::map<OdString, OdString>;
  EXPECT_EQ((cast<std::map<std::int32_t, OdString>>(Texts{{L"2", L"b"}, {L"10", L"a"}})),
            (std::map<std::int32_t, OdString>{{2, L"b"}, {10, L"a"}}));
  // "1" and "01" are one key once converted.
  EXPECT_FALSE(
      (cast<std::map<std::int32_t, bool>>(std::map<OdString, bool>{{L"1", true}, {L"01", false}})));

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
  // An invalid type changes nothing (the same type answers the stored value: see the table).
  auto stored = std::make_shared<DbPropertyContainer<double>>(1.0);
  container.setProperty(L"P", stored);
  EXPECT_EQ(container.castProperty(L"P", DbPropertyType(1, 19)), nullptr);
  EXPECT_EQ(container.getProperty(L"P"), stored);
}

// Property keys: the stored string form, its parser, ordering; property types and object keys.
#include "sl_db/PropertyKey.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "DataRows.h"

using sl_db::PropertyKey;

TEST(PropertyKey, StringFormParserOrderingAndEqualityOfPropertyAndObjectKeys) {
  // A tilde in the name survives only with a namespace.
  for (const auto& row : sltest::dataRows("model-keys.txt", 4)) {
    const PropertyKey key = PropertyKey::fromString(row[0].c_str());
    EXPECT_EQ(key.name(), OdString(row[1].c_str())) << row[0];
    EXPECT_EQ(key.ns(), OdString(row[2].c_str())) << row[0];
    EXPECT_TRUE(row[3] == "-" || key.str() == OdString(row[3].c_str())) << row[0];
  }

  EXPECT_NE(PropertyKey(L"Door", L"width"), PropertyKey(L"Door", L"Width"));
  EXPECT_NE(PropertyKey(L"door", L"Width"), PropertyKey(L"Door", L"Width"));
  EXPECT_EQ(PropertyKey(L"Door", L"Width"), PropertyKey::fromString(L"Width~Door"));
  std::set<PropertyKey> keys{{L"b", L"Name"}, {L"a", L"Name"}, {L"z", L"Area"}, {L"", L"name"}};
  std::vector<OdString> order;
  for (const auto& k : keys)
    order.push_back(k.str());
  // Name first (upper case before lower case), then namespace.
  EXPECT_EQ(order, (std::vector<OdString>{L"Area~z", L"Name~a", L"Name~b", L"name"}));

  // Whole strings: names that differ only past a zero character are two keys, either way round.
  const OdString xa(L"x\0a", 3), xb(L"x\0b", 3);
  EXPECT_TRUE(PropertyKey(L"", xa) < PropertyKey(L"", xb));
  EXPECT_FALSE(PropertyKey(L"", xb) < PropertyKey(L"", xa));
  EXPECT_TRUE(PropertyKey(xa, L"n") < PropertyKey(xb, L"n"));
  EXPECT_EQ((std::set<PropertyKey>{{L"", xa}, {L"", xb}, {xa, L"n"}, {xb, L"n"}}.size()), 4u);
  // The delimiter binds to a reference (it has a definition).
  EXPECT_EQ(std::max(PropertyKey::KEY_DELIMITER, L'a'), L'~');

  // Object keys: the kind first.
  sl_db::ObjectKey key(sl_db::ObjectTypeWrapper::ValueDefinition, 7);
  EXPECT_EQ(key.type.type, 4);
  EXPECT_TRUE(sl_db::ObjectKey(sl_db::ObjectTypeWrapper::PropertyDefinition, 9) < key);
  EXPECT_FALSE(key < sl_db::ObjectKey(sl_db::ObjectTypeWrapper::PropertyDefinition, 9));
}

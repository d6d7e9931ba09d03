// Property keys: the stored string form, its parser, ordering; property types and object keys.
#include "sl_db/PropertyKey.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

using sl_db::PropertyKey;

TEST(PropertyKey, StringFormAndParser) {
  EXPECT_EQ(PropertyKey(L"Door", L"Width").str(), L"Width~Door");
  EXPECT_EQ(PropertyKey(L"", L"Width").str(), L"Width");
  EXPECT_EQ(PropertyKey().str(), L"");
  PropertyKey empty = PropertyKey::fromString(L"");
  EXPECT_TRUE(empty.ns().isEmpty());
  EXPECT_TRUE(empty.name().isEmpty());

  // A tilde in the name survives only with a namespace.
  PropertyKey tilde(L"", L"P~Q");
  PropertyKey back = PropertyKey::fromString(tilde.str());
  EXPECT_EQ(back.name(), L"P");
  EXPECT_EQ(back.ns(), L"Q");
  PropertyKey three = PropertyKey::fromString(L"P~Q~R");
  EXPECT_EQ(three.name(), L"P~Q");
  EXPECT_EQ(three.ns(), L"R");
  EXPECT_EQ(PropertyKey::fromString(L"P~Q~R").str(), L"P~Q~R");

  PropertyKey last = PropertyKey::fromString(L"PQR~");
  EXPECT_EQ(last.name(), L"PQR");
  EXPECT_TRUE(last.ns().isEmpty());
  EXPECT_EQ(last.str(), L"PQR");
  PropertyKey first = PropertyKey::fromString(L"~PQR");
  EXPECT_TRUE(first.name().isEmpty());
  EXPECT_EQ(first.ns(), L"PQR");
  // Nothing is trimmed.
  EXPECT_EQ(PropertyKey::fromString(L" a ~ b ").name(), L" a ");
}

TEST(PropertyKey, OrderingAndEquality) {
  EXPECT_NE(PropertyKey(L"Door", L"width"), PropertyKey(L"Door", L"Width"));
  EXPECT_NE(PropertyKey(L"door", L"Width"), PropertyKey(L"Door", L"Width"));
  EXPECT_EQ(PropertyKey(L"Door", L"Width"), PropertyKey::fromString(L"Width~Door"));
  std::set<PropertyKey> keys{{L"b", L"Name"}, {L"a", L"Name"}, {L"z", L"Area"}, {L"", L"name"}};
  std::vector<OdString> order;
  for (const auto& k : keys)
    order.push_back(k.str());
  // Name first (upper case before lower case), then namespace.
  ASSERT_EQ(order.size(), 4u);
  EXPECT_EQ(order[0], L"Area~z");
  EXPECT_EQ(order[1], L"Name~a");
  EXPECT_EQ(order[2], L"Name~b");
  EXPECT_EQ(order[3], L"name");

  // Whole strings: names that differ only past a zero character are two keys, either way round.
  const OdString xa(L"x\0a", 3), xb(L"x\0b", 3);
  EXPECT_TRUE(PropertyKey(L"", xa) < PropertyKey(L"", xb));
  EXPECT_FALSE(PropertyKey(L"", xb) < PropertyKey(L"", xa));
  EXPECT_TRUE(PropertyKey(xa, L"n") < PropertyKey(xb, L"n"));
  EXPECT_EQ((std::set<PropertyKey>{{L"", xa}, {L"", xb}, {xa, L"n"}, {xb, L"n"}}.size()), 4u);
  // The delimiter binds to a reference (it has a definition).
  EXPECT_EQ(std::max(PropertyKey::KEY_DELIMITER, L'a'), L'~');
}

TEST(PropertyKey, TypesAndObjectKeys) {
  using sl_db::PropertyType;
  EXPECT_EQ(PropertyType::Single(PropertyType::kDouble),
            PropertyType(PropertyType::Structure::Single, PropertyType::kDouble));
  EXPECT_NE(PropertyType::Single(PropertyType::kDouble),
            PropertyType(PropertyType::Structure::Array, PropertyType::kDouble));
  sl_db::ObjectKey key(sl_db::ObjectTypeWrapper::ValueDefinition, 7);
  EXPECT_EQ(key.id, 7u);
  EXPECT_EQ(key.type.type, 4);
  EXPECT_TRUE(sl_db::ObjectKey(sl_db::ObjectTypeWrapper::PropertyDefinition, 9) < key);
}

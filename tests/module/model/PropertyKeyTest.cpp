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
  // Split at the last tilde: one in the name survives only with a namespace. Nothing is trimmed.
  const struct {
    const wchar_t *text, *name, *ns, *back;  // back: written again, when it reads the same
  } rows[] = {{L"", L"", L"", L""},
              {L"P~Q", L"P", L"Q", L"P~Q"},
              {L"P~Q~R", L"P~Q", L"R", L"P~Q~R"},
              {L"PQR~", L"PQR", L"", L"PQR"},
              {L"~PQR", L"", L"PQR", nullptr},
              {L" a ~ b ", L" a ", L" b ", L" a ~ b "}};
  for (const auto& row : rows) {
    PropertyKey key = PropertyKey::fromString(row.text);
    EXPECT_EQ(key.name(), row.name) << OdString(row.text).toUtf8();
    EXPECT_EQ(key.ns(), row.ns) << OdString(row.text).toUtf8();
    if (row.back) {
      EXPECT_EQ(key.str(), row.back);
    }
  }
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
  EXPECT_EQ(order, (std::vector<OdString>{L"Area~z", L"Name~a", L"Name~b", L"name"}));

  // Whole strings: names that differ only past a zero character are two keys, either way round.
  const OdString xa(L"x\0a", 3), xb(L"x\0b", 3);
  EXPECT_TRUE(PropertyKey(L"", xa) < PropertyKey(L"", xb));
  EXPECT_FALSE(PropertyKey(L"", xb) < PropertyKey(L"", xa));
  EXPECT_TRUE(PropertyKey(xa, L"n") < PropertyKey(xb, L"n"));
  EXPECT_EQ((std::set<PropertyKey>{{L"", xa}, {L"", xb}, {xa, L"n"}, {xb, L"n"}}.size()), 4u);
  // The delimiter binds to a reference (it has a definition).
  EXPECT_EQ(std::max(PropertyKey::KEY_DELIMITER, L'a'), L'~');
}

TEST(PropertyKey, ObjectKeys) {
  sl_db::ObjectKey key(sl_db::ObjectTypeWrapper::ValueDefinition, 7);
  EXPECT_EQ(key.type.type, 4);
  EXPECT_TRUE(sl_db::ObjectKey(sl_db::ObjectTypeWrapper::PropertyDefinition, 9) < key);
  EXPECT_FALSE(key < sl_db::ObjectKey(sl_db::ObjectTypeWrapper::PropertyDefinition, 9));
}

// DbProperty and DbPropertyType: the stored codes, exactly the supported descriptors valid, every
// value type through set/get, filing, copying and reset; exact typed access; refused data leaves
// the value as it was.
#include "dbprops/DbProperty.h"

#include <gtest/gtest.h>

#include <set>
#include <tuple>

#include "Samples.h"

using samples::filed;
using samples::TypeCase;

template <class... T>
std::vector<DbPropertyType> typesOf() {
  return {DbPropertyType::get<T>()...};
}

// The codes are the stored ones: a change to the list of types must not move them. Exactly the
// supported descriptors are valid, and every value type goes through set/get, filing, copying
// and reset.
TEST(DbPropertyType, CodesAreTheStoredOnesAndEveryTypeRoundTrips) {
  const std::vector<DbPropertyType> singles =
      typesOf<bool, signed char, unsigned char, short, unsigned short, int, unsigned int,
              std::int64_t, std::uint64_t, double, OdString, OdDbHandle, OdDbTypedId, OdGeVector2d,
              OdGePoint2d, OdGeVector3d, OdGePoint3d, std::vector<unsigned char>>();
  for (int code = 0; code < 18; ++code)
    EXPECT_EQ(singles[code], DbPropertyType(1, code)) << code;
  EXPECT_EQ(DbPropertyType::get<DbArray<DbPropertyPtr>>(), DbPropertyType(2, 18));
  EXPECT_EQ((DbPropertyType::get<std::map<unsigned int, DbPropertyPtr>>()),
            DbPropertyType(3, 18, 6));

  std::set<std::tuple<int, int, int>> supported;
  for (const TypeCase& c : samples::everyType()) {
    supported.insert({c.type.structure(), c.type.type(), c.type.keyType()});
    SCOPED_TRACE(testing::Message() << "type " << c.type.structure() << "/" << c.type.type() << "/"
                                    << c.type.keyType());
    std::shared_ptr<DbProperty> value = c.type.createProperty(), empty = c.type.createProperty();
    ASSERT_TRUE(value && value->type() == c.type);
    ASSERT_TRUE(c.typed(*value));

    // Through filing, with the mapped mark.
    value->setMapped(true);
    empty->setMapped(true);
    std::vector<std::uint8_t> bytes;
    value->writeDataToDwg(samples::writer(bytes).get());
    OdDbDwgFilerPtr in = samples::reader(bytes);
    std::shared_ptr<DbProperty> back = c.type.createProperty();
    ASSERT_EQ(back->readDataFromDwg(in.get()), eOk);
    EXPECT_EQ(in->bytesLeft(), 0u);
    EXPECT_TRUE(back->isMapped() && back->isSet());
    EXPECT_EQ(filed(*back), filed(*value));
    EXPECT_EQ(filed(*value->clone()), filed(*value));

    // Reset: the empty value again, the mark kept.
    value->reset();
    EXPECT_FALSE(value->isSet());
    EXPECT_EQ(filed(*value), filed(*empty));
  }
  EXPECT_EQ(supported.size(), 95u);  // 18 single, 13 arrays, 64 maps
  for (int s = -1; s <= 4; ++s) {
    for (int t = -1; t <= 19; ++t) {
      for (int k = -1; k <= 19; ++k) {
        const bool expected = supported.count({s, t, k}) != 0;
        ASSERT_EQ(DbPropertyType(s, t, k).isValid(), expected) << s << " " << t << " " << k;
        ASSERT_EQ(DbPropertyType(s, t, k).createProperty() != nullptr, expected);
      }
    }
  }
  EXPECT_FALSE(DbPropertyType().isValid());
}

// Typed access is exact; nested values are copied deep; refused data leaves the value as it was.
TEST(DbProperty, TypedAccessIsExactCopiesAreDeepAndRefusedDataChangesNothing) {
  DbPropertyContainer<std::int32_t> value(7);
  std::int16_t narrow = 1;
  std::uint32_t unsignedSame = 1;
  double real = 1;
  EXPECT_FALSE(value.get(narrow) || value.get(unsignedSame) || value.get(real));
  EXPECT_EQ(narrow, 1);
  EXPECT_FALSE(value.set(std::int64_t(5)) || value.set(5u));
  EXPECT_EQ(value.value(), 7);
  EXPECT_FALSE(DbPropertyContainer<DbArray<std::int32_t>>().set(std::int32_t(1)));

  auto inner = std::make_shared<DbPropertyContainer<OdString>>(OdString(L"inner"));
  DbPropertyContainer<std::map<OdString, DbPropertyPtr>> outer(
      std::map<OdString, DbPropertyPtr>{{L"a", inner}, {L"empty", nullptr}});
  const auto before = filed(outer);
  std::shared_ptr<DbProperty> copy = outer.clone();
  inner->setValue(L"changed");
  EXPECT_EQ(filed(*copy), before);
  EXPECT_NE(filed(outer), before);

  auto refuse = [](DbProperty& value, const std::vector<std::uint8_t>& bytes, OdResult expected) {
    const auto before = filed(value);
    EXPECT_EQ(value.readDataFromDwg(samples::reader(bytes).get()), expected);
    EXPECT_EQ(filed(value), before);
  };
  DbPropertyContainer<DbArray<OdString>> texts(DbArray<OdString>{L"kept"});
  refuse(texts, {1, 0xff, 0xff, 0xff, 0x7f}, eBadDrawingFile);  // a count far beyond the data
  refuse(texts, {0x80}, eBadDrawingFile);                       // unknown flag bits
  refuse(texts, {1, 1, 0, 0, 0, 9, 0, 0, 0, 'a'}, eEndOfFile);  // ends inside the first string
  refuse(texts, {}, eEndOfFile);

  // Nested values (set, one, then a descriptor): one of an unknown code; then nested without
  // end, refused, not followed down the stack.
  DbPropertyContainer<DbArray<DbPropertyPtr>> nested;
  refuse(nested, {1, 1, 0, 0, 0, 1, 0, 0, 0, 19, 0, 0, 0, 0, 0, 0, 0}, eBadDrawingFile);
  const std::vector<std::uint8_t> array = {1, 1, 0, 0, 0, 2, 0, 0, 0, 18, 0, 0, 0, 0, 0, 0, 0};
  std::vector<std::uint8_t> deep;
  for (int i = 0; i < 1000; ++i)
    deep.insert(deep.end(), array.begin(), array.end());
  refuse(nested, deep, eBadDrawingFile);
  EXPECT_FALSE(nested.isSet());

  // A map repeating a key.
  DbPropertyContainer<std::map<std::int32_t, bool>> map;
  refuse(map, {1, 2, 0, 0, 0, 4, 0, 0, 0, 1, 4, 0, 0, 0, 1}, eBadDrawingFile);
}

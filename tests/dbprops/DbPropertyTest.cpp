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

// The codes are the stored ones: a change to the list of types must not move them.
TEST(DbPropertyType, CodesAreTheStoredOnes) {
  const std::vector<DbPropertyType> singles = {
      DbPropertyType::get<bool>(),           DbPropertyType::get<signed char>(),
      DbPropertyType::get<unsigned char>(),  DbPropertyType::get<short>(),
      DbPropertyType::get<unsigned short>(), DbPropertyType::get<int>(),
      DbPropertyType::get<unsigned int>(),   DbPropertyType::get<std::int64_t>(),
      DbPropertyType::get<std::uint64_t>(),  DbPropertyType::get<double>(),
      DbPropertyType::get<OdString>(),       DbPropertyType::get<OdDbHandle>(),
      DbPropertyType::get<OdDbTypedId>(),    DbPropertyType::get<OdGeVector2d>(),
      DbPropertyType::get<OdGePoint2d>(),    DbPropertyType::get<OdGeVector3d>(),
      DbPropertyType::get<OdGePoint3d>(),    DbPropertyType::get<std::vector<unsigned char>>()};
  for (int code = 0; code < 18; ++code)
    EXPECT_EQ(singles[code], DbPropertyType(1, code)) << code;
  EXPECT_EQ(DbPropertyType::get<DbArray<DbPropertyPtr>>(), DbPropertyType(2, 18));
  EXPECT_EQ((DbPropertyType::get<std::map<unsigned int, DbPropertyPtr>>()),
            DbPropertyType(3, 18, 6));
}

TEST(DbPropertyType, ValidExactlyForTheSupportedDescriptors) {
  std::set<std::tuple<int, int, int>> supported;
  for (const TypeCase& c : samples::everyType())
    supported.insert({c.type.structure(), c.type.type(), c.type.keyType()});
  EXPECT_EQ(supported.size(), 95u);  // 18 single, 13 arrays, 64 maps
  for (int s = -1; s <= 4; ++s) {
    for (int t = -1; t <= 19; ++t) {
      for (int k = -1; k <= 19; ++k) {
        DbPropertyType type(s, t, k);
        bool expected = supported.count({s, t, k}) != 0;
        ASSERT_EQ(type.isValid(), expected) << s << " " << t << " " << k;
        ASSERT_EQ(type.createProperty() != nullptr, expected);
      }
    }
  }
  EXPECT_FALSE(DbPropertyType().isValid());
}

TEST(DbProperty, EveryValueTypeRoundTrips) {
  for (const TypeCase& c : samples::everyType()) {
    SCOPED_TRACE(testing::Message() << "type " << c.type.structure() << "/" << c.type.type() << "/"
                                    << c.type.keyType());
    std::shared_ptr<DbProperty> value = c.type.createProperty();
    ASSERT_TRUE(value);
    EXPECT_EQ(value->type(), c.type);
    std::shared_ptr<DbProperty> empty = c.type.createProperty();
    ASSERT_TRUE(c.typed(*value));

    // Through filing, with the mapped mark.
    value->setMapped(true);
    empty->setMapped(true);
    samples::FiledBytes bytes;
    value->writeDataToDwg(bytes.out());
    OdDbDwgFilerPtr in = bytes.in();
    std::shared_ptr<DbProperty> back = c.type.createProperty();
    ASSERT_EQ(back->readDataFromDwg(in.get()), eOk);
    EXPECT_EQ(in->bytesLeft(), 0u);
    EXPECT_TRUE(back->isMapped());
    EXPECT_TRUE(back->isSet());
    EXPECT_EQ(filed(*back), filed(*value));
    EXPECT_EQ(filed(*value->clone()), filed(*value));

    // Reset: the empty value again, the mark kept.
    value->reset();
    EXPECT_FALSE(value->isSet());
    EXPECT_EQ(filed(*value), filed(*empty));
  }
}

TEST(DbProperty, TypedAccessIsExact) {
  DbPropertyContainer<std::int32_t> value(7);
  std::int16_t narrow = 1;
  std::uint32_t unsignedSame = 1;
  double real = 1;
  EXPECT_FALSE(value.get(narrow) || value.get(unsignedSame) || value.get(real));
  EXPECT_EQ(narrow, 1);
  EXPECT_FALSE(value.set(std::int64_t(5)) || value.set(5u));
  EXPECT_EQ(value.value(), 7);
  DbPropertyContainer<DbArray<std::int32_t>> array;
  EXPECT_FALSE(array.set(std::int32_t(1)));
}

TEST(DbProperty, RefusedDataLeavesTheValueAsItWas) {
  DbPropertyContainer<DbArray<OdString>> value(DbArray<OdString>{L"kept"});
  const auto before = filed(value);
  auto refuse = [&](std::vector<std::uint8_t> bytes, OdResult expected) {
    samples::FiledBytes bad(std::move(bytes));
    EXPECT_EQ(value.readDataFromDwg(bad.in().get()), expected);
    EXPECT_EQ(filed(value), before);
  };
  refuse({1, 0xff, 0xff, 0xff, 0x7f}, eBadDrawingFile);  // a count far beyond the data
  refuse({0x80}, eBadDrawingFile);                       // unknown flag bits
  refuse({1, 1, 0, 0, 0, 9, 0, 0, 0, 'a'}, eEndOfFile);  // ends inside the first string
  refuse({}, eEndOfFile);

  // Nested values: one of an unknown code; then nested without end, refused, not followed down
  // the stack.
  DbPropertyContainer<DbArray<DbPropertyPtr>> nested;
  auto nestedEntry = [](OdDbDwgFiler* out, int code) {
    out->wrUInt8(1);
    out->wrUInt32(1);
    out->wrInt32(code == 19 ? 1 : 2);
    out->wrInt32(code);
    out->wrInt32(0);
  };
  samples::FiledBytes unknown, deep;
  nestedEntry(unknown.out(), 19);
  for (int i = 0; i < 1000; ++i)
    nestedEntry(deep.out(), 18);
  EXPECT_EQ(nested.readDataFromDwg(unknown.in().get()), eBadDrawingFile);
  EXPECT_EQ(nested.readDataFromDwg(deep.in().get()), eBadDrawingFile);
  EXPECT_FALSE(nested.isSet());

  // A map repeating a key.
  DbPropertyContainer<std::map<std::int32_t, bool>> map;
  samples::FiledBytes repeated;
  repeated.out()->wrUInt8(1);
  repeated.out()->wrUInt32(2);
  for (int i = 0; i < 2; ++i) {
    repeated.out()->wrInt32(4);
    repeated.out()->wrBool(true);
  }
  EXPECT_EQ(map.readDataFromDwg(repeated.in().get()), eBadDrawingFile);
}

TEST(DbProperty, NestedValuesAreDeepCopied) {
  auto inner = std::make_shared<DbPropertyContainer<OdString>>(OdString(L"inner"));
  DbPropertyContainer<std::map<OdString, DbPropertyPtr>> outer(
      std::map<OdString, DbPropertyPtr>{{L"a", inner}, {L"empty", nullptr}});
  const auto before = filed(outer);
  std::shared_ptr<DbProperty> copy = outer.clone();
  inner->setValue(L"changed");
  EXPECT_EQ(filed(*copy), before);
  EXPECT_NE(filed(outer), before);
}

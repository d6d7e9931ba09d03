// DbProperty: every value type through set/get and through filing; exact typed access; refused
// data leaves the value as it was.
#include "dbprops/DbProperty.h"

#include <gtest/gtest.h>

#include "Samples.h"

using samples::Sample;

namespace {

template <class T>
void roundTrip() {
  SCOPED_TRACE(testing::Message() << "type " << DbPropertyType::get<T>().structure() << "/"
                                  << DbPropertyType::get<T>().type() << "/"
                                  << DbPropertyType::get<T>().keyType());
  std::shared_ptr<DbProperty> value = DbPropertyType::get<T>().createProperty();
  ASSERT_TRUE(value);
  T out = Sample<T>::get();
  ASSERT_TRUE(value->get(out));
  EXPECT_TRUE(out == T());  // an empty value reads as the default
  ASSERT_TRUE(value->set(Sample<T>::get()));
  EXPECT_TRUE(value->isSet());
  ASSERT_TRUE(value->get(out));
  EXPECT_EQ(samples::filed(DbPropertyContainer<T>(out)), samples::filed(*value));

  // Through filing, with the mapped mark.
  value->setMapped(true);
  samples::FiledBytes filed;
  value->writeDataToDwg(filed.out());
  OdDbDwgFilerPtr in = filed.in();
  std::shared_ptr<DbProperty> back = DbPropertyType::get<T>().createProperty();
  ASSERT_EQ(back->readDataFromDwg(in.get()), eOk);
  EXPECT_EQ(in->bytesLeft(), 0u);
  EXPECT_TRUE(back->isMapped());
  EXPECT_TRUE(back->isSet());
  EXPECT_EQ(samples::filed(*back), samples::filed(*value));

  // A deep copy files the same and shares no nested value.
  std::shared_ptr<DbProperty> copy = value->clone();
  EXPECT_EQ(samples::filed(*copy), samples::filed(*value));

  value->reset();
  EXPECT_FALSE(value->isSet());
  EXPECT_TRUE(value->isMapped());
  ASSERT_TRUE(value->get(out));
  EXPECT_TRUE(out == T());
}

}  // namespace

TEST(DbProperty, EveryValueTypeRoundTrips) {
#define RT_SINGLE_(T, C) roundTrip<T>();
#define RT_ARRAY_(T, C) roundTrip<DbArray<T>>();
#define RT_MAP_(K, KC, V, VC) roundTrip<std::map<K, V>>();
  DBPROPS_FOR_EACH_TYPE(RT_SINGLE_, RT_ARRAY_, RT_MAP_)
#undef RT_SINGLE_
#undef RT_ARRAY_
#undef RT_MAP_
}

TEST(DbProperty, TypedAccessIsExact) {
  DbPropertyContainer<std::int32_t> value(7);
  std::int16_t narrow = 1;
  std::uint32_t unsignedSame = 1;
  std::int64_t wide = 1;
  double real = 1;
  EXPECT_FALSE(value.get(narrow));
  EXPECT_FALSE(value.get(unsignedSame));
  EXPECT_FALSE(value.get(wide));
  EXPECT_FALSE(value.get(real));
  EXPECT_EQ(narrow, 1);
  EXPECT_FALSE(value.set(std::int64_t(5)));
  EXPECT_FALSE(value.set(5u));
  int same = 0;
  EXPECT_TRUE(value.get(same));  // int is the 32-bit signed type
  EXPECT_EQ(same, 7);
  EXPECT_TRUE(value.set(-3));
  EXPECT_EQ(value.value(), -3);

  DbPropertyContainer<DbArray<std::int32_t>> array;
  OdArray<std::int32_t, OdObjectsAllocator<std::int32_t>> otherAllocator;
  static_assert(!std::is_same_v<decltype(otherAllocator), DbArray<std::int32_t>>);
  DbArray<std::int32_t> items{1, 2};
  EXPECT_TRUE(array.set(items));
  EXPECT_FALSE(array.set(std::int32_t(1)));
  std::map<std::int32_t, double> map;
  EXPECT_FALSE(array.get(map));
}

TEST(DbProperty, RefusedDataLeavesTheValueAsItWas) {
  DbPropertyContainer<DbArray<OdString>> value(DbArray<OdString>{L"kept"});
  const auto before = samples::filed(value);
  auto refuse = [&](std::vector<std::uint8_t> bytes, OdResult expected) {
    samples::FiledBytes filed(std::move(bytes));
    EXPECT_EQ(value.readDataFromDwg(filed.in().get()), expected);
    EXPECT_EQ(samples::filed(value), before);
  };
  // Flags set, then a count far beyond the data.
  refuse({1, 0xff, 0xff, 0xff, 0x7f}, eBadDrawingFile);
  // Unknown flag bits.
  refuse({0x80}, eBadDrawingFile);
  // The data ends inside the first string.
  refuse({1, 1, 0, 0, 0, 9, 0, 0, 0, 'a'}, eEndOfFile);
  refuse({}, eEndOfFile);

  // A nested value of an unknown code.
  DbPropertyContainer<DbArray<DbPropertyPtr>> nested;
  samples::FiledBytes bad;
  bad.out()->wrUInt8(1);
  bad.out()->wrUInt32(1);
  bad.out()->wrInt32(1);
  bad.out()->wrInt32(19);
  bad.out()->wrInt32(0);
  EXPECT_EQ(nested.readDataFromDwg(bad.in().get()), eBadDrawingFile);
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

  // Values nested without end are refused, not followed down the stack.
  samples::FiledBytes deep;
  for (int i = 0; i < 1000; ++i) {
    deep.out()->wrUInt8(1);
    deep.out()->wrUInt32(1);
    deep.out()->wrInt32(2);
    deep.out()->wrInt32(18);
    deep.out()->wrInt32(0);
  }
  EXPECT_EQ(nested.readDataFromDwg(deep.in().get()), eBadDrawingFile);

  // A typed id with an unknown reference kind.
  DbPropertyContainer<OdDbTypedId> id;
  samples::FiledBytes badId;
  badId.out()->wrUInt8(1);
  badId.out()->wrDbHandle(OdDbHandle(5));
  badId.out()->wrInt8(9);
  EXPECT_EQ(id.readDataFromDwg(badId.in().get()), eBadDrawingFile);
}

TEST(DbProperty, NestedValuesAreDeepCopied) {
  auto inner = std::make_shared<DbPropertyContainer<OdString>>(OdString(L"inner"));
  DbPropertyContainer<std::map<OdString, DbPropertyPtr>> outer(
      std::map<OdString, DbPropertyPtr>{{L"a", inner}, {L"empty", nullptr}});
  outer.setMapped(true);
  std::shared_ptr<DbProperty> copy = outer.clone();
  EXPECT_TRUE(copy->isMapped());
  inner->setValue(L"changed");
  std::map<OdString, DbPropertyPtr> copied;
  ASSERT_TRUE(copy->get(copied));
  ASSERT_EQ(copied.size(), 2u);
  OdString text;
  ASSERT_TRUE(copied[L"a"]->get(text));
  EXPECT_EQ(text, L"inner");
  EXPECT_EQ(copied[L"empty"], nullptr);
}

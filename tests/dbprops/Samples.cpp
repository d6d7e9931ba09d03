// Sample values of every value type, and the table of them: built once here, since each of the
// many types costs time to build.
#include "Samples.h"

#include <tuple>

namespace samples {
namespace {

// One sample of each element type, taken by type.
const auto& singles() {
  static const auto all = std::make_tuple(
      true, std::int8_t(-100), std::uint8_t(200), std::int16_t(-30000), std::uint16_t(60000),
      std::int32_t(-2000000000), std::uint32_t(4000000000u), std::int64_t(-9000000000000000000LL),
      std::uint64_t(18000000000000000000ULL), 2.5, OdString(L"W\u00e4nde \U0001F600"),
      OdDbHandle(0x2A), OdDbTypedId(), OdGeVector2d(1, -2), OdGePoint2d(3, 4),
      OdGeVector3d(0, 0, 1), OdGePoint3d(5, 6, 7), DbBytes{0, 1, 255},
      DbPropertyPtr(std::make_shared<DbPropertyContainer<double>>(1.5)));
  return all;
}

template <class T>
struct Sample {
  static T get() { return std::get<T>(singles()); }
};

// A second, different key for maps (only the null id is at hand without a drawing).
template <class K>
K otherKey() {
  if constexpr (std::is_arithmetic_v<K> && !std::is_same_v<K, bool>)
    return K(1);
  else
    return std::get<K>(std::make_tuple(false, OdString(L"other"), OdDbHandle(7), OdDbTypedId()));
}

template <class E, class A>
struct Sample<OdArray<E, A>> {
  static OdArray<E, A> get() { return OdArray<E, A>{Sample<E>::get(), E{}}; }
};
template <class K, class V>
struct Sample<std::map<K, V>> {
  static std::map<K, V> get() {
    return std::map<K, V>{{Sample<K>::get(), Sample<V>::get()}, {otherKey<K>(), V{}}};
  }
};

// What only typed access can check: an empty value reads as the default, the sample goes in and
// comes out.
template <class T>
bool typedRoundTrip(DbProperty& value) {
  T out = Sample<T>::get();
  if (!value.get(out) || !(out == T()) || !value.set(Sample<T>::get()) || !value.get(out))
    return false;
  return filed(value) == filed(DbPropertyContainer<T>(Sample<T>::get())) &&
         filed(DbPropertyContainer<T>(out)) == filed(value);
}

template <class T>
DbPropertyPtr sampleValue() {
  return std::make_shared<DbPropertyContainer<T>>(Sample<T>::get());
}

}  // namespace

std::vector<TypeCase> everyType() {
  return {
#define CASE_SINGLE_(T, C) {DbPropertyType(1, C), &typedRoundTrip<T>, &sampleValue<T>},
#define CASE_ARRAY_(T, C) \
  {DbPropertyType(2, C), &typedRoundTrip<DbArray<T>>, &sampleValue<DbArray<T>>},
#define CASE_MAP_(K, KC, V, VC) \
  {DbPropertyType(3, VC, KC), &typedRoundTrip<std::map<K, V>>, &sampleValue<std::map<K, V>>},
      DBPROPS_FOR_EACH_TYPE(CASE_SINGLE_, CASE_ARRAY_, CASE_MAP_)
#undef CASE_SINGLE_
#undef CASE_ARRAY_
#undef CASE_MAP_
  };
}

}  // namespace samples

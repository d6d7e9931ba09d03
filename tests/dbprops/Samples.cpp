// Sample values of every value type, and the table of them: built once here, since each of the
// many types costs time to build.
#include "Samples.h"

namespace samples {
namespace {

template <class T>
struct Sample;

#define SAMPLE_(T, expr)            \
  template <>                       \
  struct Sample<T> {                \
    static T get() { return expr; } \
  };
SAMPLE_(bool, true)
SAMPLE_(std::int8_t, -100)
SAMPLE_(std::uint8_t, 200)
SAMPLE_(std::int16_t, -30000)
SAMPLE_(std::uint16_t, 60000)
SAMPLE_(std::int32_t, -2000000000)
SAMPLE_(std::uint32_t, 4000000000u)
SAMPLE_(std::int64_t, -9000000000000000000LL)
SAMPLE_(std::uint64_t, 18000000000000000000ULL)
SAMPLE_(double, 2.5)
SAMPLE_(OdString, OdString(L"W\u00e4nde \U0001F600"))
SAMPLE_(OdDbHandle, OdDbHandle(0x2A))
SAMPLE_(OdDbTypedId, OdDbTypedId())
SAMPLE_(OdGeVector2d, OdGeVector2d(1, -2))
SAMPLE_(OdGePoint2d, OdGePoint2d(3, 4))
SAMPLE_(OdGeVector3d, OdGeVector3d(0, 0, 1))
SAMPLE_(OdGePoint3d, OdGePoint3d(5, 6, 7))
SAMPLE_(DbBytes, (DbBytes{0, 1, 255}))
SAMPLE_(DbPropertyPtr, std::make_shared<DbPropertyContainer<double>>(1.5))
#undef SAMPLE_

// A second, different key for maps.
template <class K>
K otherKey() {
  if constexpr (std::is_same_v<K, bool>) {
    return false;
  } else if constexpr (std::is_same_v<K, OdString>) {
    return OdString(L"other");
  } else if constexpr (std::is_same_v<K, OdDbHandle>) {
    return OdDbHandle(7);
  } else if constexpr (std::is_same_v<K, OdDbTypedId>) {
    return Sample<K>::get();  // only the null id is at hand without a drawing
  } else {
    return K(1);
  }
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

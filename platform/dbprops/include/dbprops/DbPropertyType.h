// DbPropertyType: the descriptor of a stored property value: its structure (single, array, map),
// its element code and, for maps, its key code. Element codes are stored in drawings and in
// libraries and never change:
//   0 bool          5 int32          10 OdString       15 OdGeVector3d
//   1 int8          6 uint32         11 OdDbHandle     16 OdGePoint3d
//   2 uint8         7 int64          12 OdDbTypedId    17 byte vector (std::vector<unsigned char>)
//   3 int16         8 uint64         13 OdGeVector2d   18 nested std::shared_ptr<DbProperty>
//   4 uint16        9 double         14 OdGePoint2d
// The value types, and so the valid descriptors, are exactly those of DBPROPS_FOR_EACH_TYPE.
#pragma once
/// @file
/// The descriptor of a stored value: structure, element code and key code.

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "DbObjectId.h"
#include "OdArray.h"
#include "OdDbHandle.h"
#include "OdGe.h"
#include "OdString.h"
#include "dbprops/DbpropsExport.h"

class DBPROPS_API DbProperty;
/// A byte vector value.
using DbBytes = std::vector<unsigned char>;
/// A nested value (only inside arrays and maps).
using DbPropertyPtr = std::shared_ptr<DbProperty>;

/// The allocator of array values of element type T (the arrays' C++ types depend on it).
template <class T>
struct DbArrayAllocator {
  using type = OdMemoryAllocator<T>;
};
template <>
struct DbArrayAllocator<OdString> {
  using type = OdObjectsAllocator<OdString>;
};
template <>
struct DbArrayAllocator<OdDbHandle> {
  using type = OdObjectsAllocator<OdDbHandle>;
};
template <>
struct DbArrayAllocator<DbBytes> {
  using type = OdObjectsAllocator<DbBytes>;
};
template <>
struct DbArrayAllocator<DbPropertyPtr> {
  using type = OdObjectsAllocator<DbPropertyPtr>;
};
template <>
struct DbArrayAllocator<OdDbTypedId> {
  using type = OdClrMemAllocator<OdDbTypedId>;
};
/// DbArray<T>: the array value type of element type T.
template <class T>
using DbArray = OdArray<T, typename DbArrayAllocator<T>::type>;

// The supported value types with their codes. SINGLE(T, code), ARRAY(element T, code),
// MAP(key K, key code, value V, value code).
// clang-format off
#define DBPROPS_SINGLE_TYPES(SINGLE)                                                               \
  SINGLE(bool, 0)                                                                                  \
  SINGLE(std::int8_t, 1)                                                                           \
  SINGLE(std::uint8_t, 2) SINGLE(std::int16_t, 3) SINGLE(std::uint16_t, 4) SINGLE(std::int32_t, 5) \
      SINGLE(std::uint32_t, 6) SINGLE(std::int64_t, 7) SINGLE(std::uint64_t, 8) SINGLE(double, 9)  \
          SINGLE(OdString, 10) SINGLE(OdDbHandle, 11) SINGLE(OdDbTypedId, 12)                      \
              SINGLE(OdGeVector2d, 13) SINGLE(OdGePoint2d, 14) SINGLE(OdGeVector3d, 15)            \
                  SINGLE(OdGePoint3d, 16) SINGLE(DbBytes, 17)
#define DBPROPS_ARRAY_TYPES(ARRAY)                                                                \
  ARRAY(bool, 0)                                                                                  \
  ARRAY(std::int8_t, 1)                                                                           \
  ARRAY(std::int32_t, 5) ARRAY(std::uint32_t, 6) ARRAY(double, 9) ARRAY(OdString, 10)             \
      ARRAY(OdDbHandle, 11) ARRAY(OdDbTypedId, 12) ARRAY(OdGePoint2d, 14) ARRAY(OdGeVector3d, 15) \
          ARRAY(OdGePoint3d, 16) ARRAY(DbBytes, 17) ARRAY(DbPropertyPtr, 18)
#define DBPROPS_MAP_VALUES_(MAP, K, KC)                                              \
  MAP(K, KC, bool, 0)                                                                \
  MAP(K, KC, std::int8_t, 1)                                                         \
  MAP(K, KC, std::int32_t, 5) MAP(K, KC, double, 9) MAP(K, KC, OdString, 10)         \
      MAP(K, KC, OdDbHandle, 11) MAP(K, KC, OdDbTypedId, 12) MAP(K, KC, DbBytes, 17) \
          MAP(K, KC, DbPropertyPtr, 18)
#define DBPROPS_MAP_TYPES(MAP)                                                        \
  DBPROPS_MAP_VALUES_(MAP, bool, 0)                                                   \
  DBPROPS_MAP_VALUES_(MAP, std::int8_t, 1)                                            \
  DBPROPS_MAP_VALUES_(MAP, std::int32_t, 5) DBPROPS_MAP_VALUES_(MAP, double, 9)       \
      DBPROPS_MAP_VALUES_(MAP, OdString, 10) DBPROPS_MAP_VALUES_(MAP, OdDbHandle, 11) \
          DBPROPS_MAP_VALUES_(MAP, OdDbTypedId, 12) MAP(std::uint32_t, 6, DbPropertyPtr, 18)
#define DBPROPS_FOR_EACH_TYPE(SINGLE, ARRAY, MAP) \
  DBPROPS_SINGLE_TYPES(SINGLE) DBPROPS_ARRAY_TYPES(ARRAY) DBPROPS_MAP_TYPES(MAP)
// clang-format on

/// DbPropertyTraits<T>: the descriptor of value type T; defined only for supported types.
template <class T>
struct DbPropertyTraits;

#define DBPROPS_SINGLE_TRAITS_(T, C)             \
  template <>                                    \
  struct DbPropertyTraits<T> {                   \
    static constexpr std::int32_t structure = 1; \
    static constexpr std::int32_t type = C;      \
    static constexpr std::int32_t key = 0;       \
  };
#define DBPROPS_ARRAY_TRAITS_(T, C)              \
  template <>                                    \
  struct DbPropertyTraits<DbArray<T>> {          \
    static constexpr std::int32_t structure = 2; \
    static constexpr std::int32_t type = C;      \
    static constexpr std::int32_t key = 0;       \
  };
#define DBPROPS_MAP_TRAITS_(K, KC, V, VC)        \
  template <>                                    \
  struct DbPropertyTraits<std::map<K, V>> {      \
    static constexpr std::int32_t structure = 3; \
    static constexpr std::int32_t type = VC;     \
    static constexpr std::int32_t key = KC;      \
  };
DBPROPS_FOR_EACH_TYPE(DBPROPS_SINGLE_TRAITS_, DBPROPS_ARRAY_TRAITS_, DBPROPS_MAP_TRAITS_)
#undef DBPROPS_SINGLE_TRAITS_
#undef DBPROPS_ARRAY_TRAITS_
#undef DBPROPS_MAP_TRAITS_

class DBPROPS_API DbPropertyType {
 public:
  /// Structure codes (stored; stable).
  enum Structure : std::int32_t { kEmpty = 0, kSingle = 1, kArray = 2, kMap = 3 };
  /// Element codes (stored; stable). See the table at the top of this file.
  enum Type : std::int32_t {
    kBool = 0,
    kInt8 = 1,
    kUInt8 = 2,
    kInt16 = 3,
    kUInt16 = 4,
    kInt32 = 5,
    kUInt32 = 6,
    kInt64 = 7,
    kUInt64 = 8,
    kDouble = 9,
    kString = 10,
    kHandle = 11,
    kTypedId = 12,
    kVector2d = 13,
    kPoint2d = 14,
    kVector3d = 15,
    kPoint3d = 16,
    kBytes = 17,
    kProperty = 18,
  };
  static constexpr std::int32_t kTypeCount = 19;

  /// The empty descriptor (0, 0, 0); never valid.
  constexpr DbPropertyType() = default;
  /// A descriptor from its three codes, unchecked (see isValid).
  constexpr DbPropertyType(std::int32_t structure, std::int32_t type, std::int32_t keyType = 0)
      : m_structure(structure), m_type(type), m_key(keyType) {}

  /// get<T>: the descriptor of value type T (a compile error for unsupported types).
  template <class T>
  static constexpr DbPropertyType get() {
    return DbPropertyType(DbPropertyTraits<T>::structure, DbPropertyTraits<T>::type,
                          DbPropertyTraits<T>::key);
  }

  constexpr std::int32_t structure() const { return m_structure; }
  constexpr std::int32_t type() const { return m_type; }
  /// keyType: the key code of a map; 0 for other structures.
  constexpr std::int32_t keyType() const { return m_key; }

  /// isValid: true exactly for the descriptors of the supported value types: a single value of
  /// codes 0..17, arrays and maps of the element and key codes listed above.
  bool isValid() const;
  /// createProperty: a new empty value (isSet() false) of this type; empty when not valid.
  std::shared_ptr<DbProperty> createProperty() const;

  constexpr bool operator==(const DbPropertyType& o) const {
    return m_structure == o.m_structure && m_type == o.m_type && m_key == o.m_key;
  }
  constexpr bool operator!=(const DbPropertyType& o) const { return !(*this == o); }

 private:
  std::int32_t m_structure = 0;
  std::int32_t m_type = 0;
  std::int32_t m_key = 0;
};

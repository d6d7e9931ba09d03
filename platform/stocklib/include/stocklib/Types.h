// Small value types of the library store: object type numbers, object keys, property types,
// library units, remove answers and the exceptions the store throws.
#pragma once
/// @file
/// Small value types and the exceptions of the library store.

#include <cstdint>
#include <stdexcept>
#include <string>

#include "OdString.h"
#include "stocklib/StocklibExport.h"

namespace stocklib {

// clang-format off
/// STOCKLIB_OBJECT_TYPES(STORED, ABSTRACT, PART): every kind of library object with its stored
/// number, once; the enum below and the per-type lists of the module come from it, so a new
/// type is one row here. STORED(T, n): objects of class T are rows of their own, found by key.
/// ABSTRACT(T, n): a base class a query may name, never the type of a row. PART(T, n): kept
/// inside another object (a ply of a composition, a vertex of an outline), never found alone.
#define STOCKLIB_OBJECT_TYPES(STORED, ABSTRACT, PART) \
  STORED(Material, 1)                                 \
  STORED(MaterialType, 2)                             \
  STORED(Composition, 3)                              \
  STORED(CompositionType, 4)                          \
  PART(Ply, 5)                                        \
  ABSTRACT(Asset, 6)                                  \
  STORED(InformationAsset, 7)                         \
  STORED(PhysicalAsset, 8)                            \
  STORED(BimAsset, 9)                                 \
  PART(Pattern, 10)                                   \
  STORED(ProfileName, 11)                             \
  STORED(ProfileStandard, 12)                         \
  STORED(Unit, 13)                                    \
  STORED(Measure, 14)                                 \
  STORED(EntityType, 15)                              \
  STORED(Layer, 16)                                   \
  STORED(Tag, 17)                                     \
  STORED(CustomProfile, 18)                           \
  ABSTRACT(ParametrizedProfile, 19)                   \
  STORED(CircleProfile, 20)                           \
  STORED(CircleHollowProfile, 21)                     \
  STORED(EllipseProfile, 22)                          \
  STORED(RectangleProfile, 23)                        \
  STORED(RectangleHollowProfile, 24)                  \
  STORED(RoundedRectangleProfile, 25)                 \
  STORED(TrapeziumProfile, 26)                        \
  STORED(CraneRailAShapeProfile, 27)                  \
  STORED(CraneRailFShapeProfile, 28)                  \
  STORED(TShapeProfile, 29)                           \
  STORED(ZShapeProfile, 30)                           \
  STORED(CShapeProfile, 31)                           \
  STORED(UShapeProfile, 32)                           \
  STORED(LShapeProfile, 33)                           \
  STORED(IShapeProfile, 34)                           \
  STORED(AsymmetricIShapeProfile, 35)                 \
  ABSTRACT(Profile, 36)                               \
  STORED(CustomProperty, 37)                          \
  ABSTRACT(AbstractDefinition, 38)                    \
  STORED(PropertySet, 39)                             \
  STORED(PropertyDefinition, 42)                      \
  STORED(ValueDefinition, 43)                         \
  STORED(PropertyNamespace, 44)                       \
  PART(CustomValue, 45)                               \
  PART(ProfileVertex, 46)
// clang-format on

/// STOCKLIB_TYPE_ROW_NONE(T, n): a row of STOCKLIB_OBJECT_TYPES that a list leaves out.
#define STOCKLIB_TYPE_ROW_NONE(T, n)

/// ObjectType: the stored number of each kind of library object. The numbers are written into
/// library files and used by callers; they never change. Abstract kinds (never stored as the
/// type of a row) have numbers too so that a query can name them.
enum class ObjectType : int32_t {
  None = 0,
/// @cond
#define STOCKLIB_TYPE_NUMBER(T, n) T = n,
  STOCKLIB_OBJECT_TYPES(STOCKLIB_TYPE_NUMBER, STOCKLIB_TYPE_NUMBER, STOCKLIB_TYPE_NUMBER)
#undef STOCKLIB_TYPE_NUMBER
  /// @endcond
};

/// ObjectKey: one stored object, by type and id; ordered by type (as a signed 32-bit number),
/// then by id.
struct ObjectKey {
  ObjectType type = ObjectType::None;
  uint32_t id = 0;

  ObjectKey() = default;
  ObjectKey(ObjectType t, uint32_t i) : type(t), id(i) {}
  bool operator<(const ObjectKey& o) const {
    if (type != o.type) return static_cast<int32_t>(type) < static_cast<int32_t>(o.type);
    return id < o.id;
  }
  bool operator==(const ObjectKey& o) const { return type == o.type && id == o.id; }
  bool operator!=(const ObjectKey& o) const { return !(*this == o); }
};

/// PropertyType: structure (1 single, 2 array, 3 map), element type code and key type code of a
/// definition; the store keeps the three numbers as given and gives them no meaning.
struct PropertyType {
  int32_t structure = 0;
  int32_t type = 0;
  int32_t key_type = 0;

  PropertyType() = default;
  PropertyType(int32_t s, int32_t t, int32_t k = 0) : structure(s), type(t), key_type(k) {}
  bool operator==(const PropertyType& o) const {
    return structure == o.structure && type == o.type && key_type == o.key_type;
  }
  bool operator!=(const PropertyType& o) const { return !(*this == o); }
};

/// LibraryUnit: the length unit in which a library stores lengths.
enum LibraryUnit : int32_t { kLibraryUnitInch = 0, kLibraryUnitMillimeter = 1 };

/// RemoveResolution: a reactor's answer before a removal; kKeepObject keeps the object.
enum RemoveResolution : int32_t { kRemoveObject = 0, kKeepObject = 1 };

/// Exception: every failure of the library store; `what()` names the exact failure (UTF-8).
class STOCKLIB_API Exception : public std::runtime_error {
 public:
  explicit Exception(const char* message);
  explicit Exception(const std::string& message);
  explicit Exception(const OdString& message);
  ~Exception() override;
  /// message: the text as a wide string.
  OdString message() const { return OdString(what()); }
};

/// ObjectNotUnique: a save whose unique key is already taken by another object.
class STOCKLIB_API ObjectNotUnique : public Exception {
 public:
  using Exception::Exception;
  ~ObjectNotUnique() override;
};

/// ConsistencyError: a dangling reference, or a reference to an object of another library.
class STOCKLIB_API ConsistencyError : public Exception {
 public:
  using Exception::Exception;
  ~ConsistencyError() override;
};

/// objectTypeName: the name of a type ("PropertySet"), or "ObjectType(N)" for unknown numbers.
STOCKLIB_API OdString objectTypeName(ObjectType type);

}  // namespace stocklib

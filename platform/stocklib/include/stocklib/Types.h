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

/// ObjectType: the stored number of each kind of library object. The numbers are written into
/// library files and used by callers; they never change. Abstract kinds (never stored as the
/// type of a row) have numbers too so that a query can name them.
enum class ObjectType : int32_t {
  None = 0,
  Material = 1,
  MaterialType = 2,
  Composition = 3,
  CompositionType = 4,
  Ply = 5,
  Asset = 6,  // abstract
  InformationAsset = 7,
  PhysicalAsset = 8,
  BimAsset = 9,
  Pattern = 10,
  ProfileName = 11,
  ProfileStandard = 12,
  Unit = 13,
  Measure = 14,
  EntityType = 15,
  Layer = 16,
  Tag = 17,
  CustomProfile = 18,
  ParametrizedProfile = 19,  // abstract
  CircleProfile = 20,
  CircleHollowProfile = 21,
  EllipseProfile = 22,
  RectangleProfile = 23,
  RectangleHollowProfile = 24,
  RoundedRectangleProfile = 25,
  TrapeziumProfile = 26,
  CraneRailAShapeProfile = 27,
  CraneRailFShapeProfile = 28,
  TShapeProfile = 29,
  ZShapeProfile = 30,
  CShapeProfile = 31,
  UShapeProfile = 32,
  LShapeProfile = 33,
  IShapeProfile = 34,
  AsymmetricIShapeProfile = 35,
  Profile = 36,  // abstract
  CustomProperty = 37,
  AbstractDefinition = 38,  // abstract
  PropertySet = 39,
  PropertyDefinition = 42,
  ValueDefinition = 43,
  PropertyNamespace = 44,
  CustomValue = 45,    // a custom value held by a material or a composition
  ProfileVertex = 46,  // a vertex of a custom profile's outline
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

// Materials and compositions of the library store: materials with their hatch patterns, assets
// and custom values, material types, compositions made of plies, composition types.
#pragma once
/// @file
/// Materials and compositions of the library store.

#include <cstdint>
#include <map>
#include <vector>

#include "stocklib/Objects.h"

namespace stocklib {

class Material;
class MaterialType;
class InformationAsset;
class PhysicalAsset;
class BimAsset;
class CompositionType;

/// MaterialFunction: the role of a material or ply in a build-up (stored numbers).
enum MaterialFunction : int32_t {
  kFunctionNone = 0,
  kFunctionStructure = 1,
  kFunctionSubstrate = 2,
  kFunctionInsulation = 3,
  kFunctionFinish1 = 4,
  kFunctionFinish2 = 5,
  kFunctionMembrane = 6,
};

/// Pattern: a hatch pattern of a material, handled by value. A default pattern is "none" with
/// scale 1, angle 0 and no cross-hatching.
class STOCKLIB_API Pattern {
 public:
  /// Type: kNone −1, kUserDefined 0 (lines by scale and angle), kPredefined 1, kCustom 2.
  enum Type : int32_t { kNone = -1, kUserDefined = 0, kPredefined = 1, kCustom = 2 };

  Pattern() = default;
  Pattern(int32_t type, const OdString& name, double scale = 1.0, double angle = 0.0,
          bool cross = false)
      : m_type(type), m_name(name), m_scale(scale), m_angle(angle), m_cross(cross) {}

  int32_t type() const { return m_type; }
  void set_type(int32_t type) { m_type = type; }
  const OdString& name() const { return m_name; }
  void set_name(const OdString& name) { m_name = name; }
  double scale() const { return m_scale; }
  void set_scale(double scale) { m_scale = scale; }
  /// angle: in radians.
  double angle() const { return m_angle; }
  void set_angle(double radians) { m_angle = radians; }
  /// cross: lines are doubled at right angles.
  bool cross() const { return m_cross; }
  void set_cross(bool cross) { m_cross = cross; }

  bool operator==(const Pattern& o) const {
    return m_type == o.m_type && m_name == o.m_name && m_scale == o.m_scale &&
           m_angle == o.m_angle && m_cross == o.m_cross;
  }
  bool operator!=(const Pattern& o) const { return !(*this == o); }

 private:
  int32_t m_type = kNone;
  OdString m_name;
  double m_scale = 1.0;
  double m_angle = 0.0;
  bool m_cross = false;
};

/// CustomPropertyKey: names the custom property of one custom value. Ordered by the property's
/// name, then its type number, then its id, so custom_values() lists values by name.
class STOCKLIB_API CustomPropertyKey {
 public:
  explicit CustomPropertyKey(const KcSmartPtr<const CustomProperty>& property);
  /// property: the custom property (never null in a key made by the store).
  const KcSmartPtr<const CustomProperty>& property() const { return m_property; }
  /// name / type / id: those of the property; empty, 0 and 0 for a null property.
  const OdString& name() const;
  int32_t type() const;
  uint32_t id() const;
  bool operator<(const CustomPropertyKey& other) const;
  bool operator==(const CustomPropertyKey& other) const;

 private:
  KcSmartPtr<const CustomProperty> m_property;
};

/// CustomValues: the custom values of an object: custom property to text.
using CustomValues = std::map<CustomPropertyKey, OdString>;

// The custom values of a material or a composition (a list of CustomValue objects it owns):
// custom_values(): every value, by custom property (see CustomPropertyKey).
// has_custom_value / custom_value: whether there is a value for `property` (the same object, or
//   the object of the same id in the same library) and its text (empty when none).
// set_custom_value: sets or replaces the value; a null property is ignored.
// clear_custom_value: false when there was no value for `property`.
#define STOCKLIB_CUSTOM_VALUES                                                  \
  CustomValues custom_values() const;                                           \
  bool has_custom_value(const CustomProperty* property) const;                  \
  OdString custom_value(const CustomProperty* property) const;                  \
  void set_custom_value(const CustomProperty* property, const OdString& value); \
  bool clear_custom_value(const CustomProperty* property);

// clang-format off
#define STOCKLIB_CUSTOM_VALUE_FIELDS(X) \
  X(owner, Owner, Own, 1) \
  X(position, Position, Own, 1) \
  X(property, Ref, Own, 1, kRequired, ObjectType::CustomProperty) \
  X(value, Text, Get, 1)
// clang-format on

/// CustomValue: one custom value, owned by its material or composition (stored with it).
class STOCKLIB_API CustomValue : public Object {
  STOCKLIB_DECLARE_OBJECT(CustomValue)
 public:
  STOCKLIB_FIELDS(STOCKLIB_NO_FIELDS, STOCKLIB_CUSTOM_VALUE_FIELDS)
  CustomValue();
  /// property: the custom property; null when the value has none.
  KcSmartPtr<const CustomProperty> property() const;
  void set_property(const CustomProperty* property);
};

// clang-format off
#define STOCKLIB_MATERIAL_TYPE_FIELDS(X) \
  X(name, Text, Get, 1, kRequired)
// clang-format on

/// MaterialType: a named kind of material ("Concrete", "Wood" ...), unique by name.
class STOCKLIB_API MaterialType : public Object {
  STOCKLIB_DECLARE_OBJECT(MaterialType)
 public:
  STOCKLIB_FIELDS(STOCKLIB_NO_FIELDS, STOCKLIB_MATERIAL_TYPE_FIELDS)
  MaterialType();
  static KcSmartPtr<MaterialType> create(const OdString& name);
};

// clang-format off
#define STOCKLIB_ASSET_FIELDS(X) \
  X(name, Text, Get, 1, kRequired)
// clang-format on

/// Asset: a named set of material data. Each kind is unique by name; an Asset is named by kind
/// and name (AssetKey).
class STOCKLIB_API Asset : public Object {
  STOCKLIB_DECLARE_OBJECT(Asset)
 public:
  STOCKLIB_FIELDS(STOCKLIB_NO_FIELDS, STOCKLIB_ASSET_FIELDS)

 protected:
  explicit Asset(const detail::TypeDesc& type);
};

// clang-format off
// cost: free text (currency and unit included), not a number.
#define STOCKLIB_INFORMATION_ASSET_FIELDS(X) \
  X(label, Text, Get, 1) \
  X(manufacturer, Text, Get, 1) \
  X(mark, Text, Get, 1) \
  X(model, Text, Get, 1) \
  X(classification, Text, Get, 1) \
  X(cost, Text, Get, 1) \
  X(keynote, Text, Get, 1) \
  X(url, Text, Get, 1) \
  X(unique_code, Text, Has, 1)
// clang-format on

/// InformationAsset: descriptive data of a material. Every text reads empty when not set.
class STOCKLIB_API InformationAsset : public Asset {
  STOCKLIB_DECLARE_OBJECT(InformationAsset)
 public:
  STOCKLIB_FIELDS(STOCKLIB_ASSET_FIELDS, STOCKLIB_INFORMATION_ASSET_FIELDS)
  InformationAsset();
  static KcSmartPtr<InformationAsset> create(const OdString& name);
};

// clang-format off
#define STOCKLIB_PHYSICAL_ASSET_FIELDS(X) \
  X(density, Real, Has, 1) \
  X(specific_heat, Real, Has, 1) \
  X(thermal_conductivity, Real, Has, 1)
// clang-format on

/// PhysicalAsset: physical data of a material in SI units whatever the library unit: density
/// kg/m3, specific heat J/(kg K), thermal conductivity W/(m K). Each reads 0 when not set.
class STOCKLIB_API PhysicalAsset : public Asset {
  STOCKLIB_DECLARE_OBJECT(PhysicalAsset)
 public:
  STOCKLIB_FIELDS(STOCKLIB_ASSET_FIELDS, STOCKLIB_PHYSICAL_ASSET_FIELDS)
  PhysicalAsset();
  static KcSmartPtr<PhysicalAsset> create(const OdString& name);
};

// clang-format off
#define STOCKLIB_BIM_ASSET_FIELDS(X) \
  X(union_section, Bool, Get, 1) \
  X(union_elevation, Bool, Get, 1) \
  X(default_function, Int, Own, 1) \
  X(variable_thickness, Bool, Get, 1)
// clang-format on

/// BimAsset: how a material behaves in building drawings. A new asset joins neither sections
/// nor elevations, has function none and a fixed thickness.
class STOCKLIB_API BimAsset : public Asset {
  STOCKLIB_DECLARE_OBJECT(BimAsset)
 public:
  STOCKLIB_FIELDS(STOCKLIB_ASSET_FIELDS, STOCKLIB_BIM_ASSET_FIELDS)
  BimAsset();
  static KcSmartPtr<BimAsset> create(const OdString& name);
  MaterialFunction default_function() const {
    return static_cast<MaterialFunction>(intField(F::default_function, kFunctionNone));
  }
  void set_default_function(MaterialFunction function) { setInt(F::default_function, function); }
};

/// AssetKey: an asset by kind (InformationAsset, PhysicalAsset or BimAsset) and name.
class STOCKLIB_API AssetKey : public Key {
 public:
  AssetKey() = default;
  AssetKey(ObjectType kind, const OdString& name) : m_kind(kind), m_name(name) {}
  ObjectType kind() const { return m_kind; }
  const OdString& name() const { return m_name; }
  void values(std::vector<detail::Value>& out) const override;
  /// objectType: the kind; an AssetKey of kind None names an asset of any kind.
  ObjectType objectType() const override { return m_kind; }

 private:
  ObjectType m_kind = ObjectType::None;
  OdString m_name;
};

// clang-format off
// A material's hatch pattern: five columns named after it, read and written as one Pattern.
#define STOCKLIB_PATTERN_FIELDS(X, pattern) \
  X(pattern##_type, Int, Own, 1) \
  X(pattern##_name, Text, Own, 1) \
  X(pattern##_scale, Real, Own, 1) \
  X(pattern##_angle, Real, Own, 1) \
  X(pattern##_cross, Bool, Own, 1)
// appearance: the name of the rendering appearance; empty when none.
#define STOCKLIB_MATERIAL_FIELDS(X) \
  X(name, Text, Get, 1, kRequired) \
  X(description, Text, Get, 1) \
  X(comments, Text, Get, 1) \
  X(appearance, Text, Get, 1) \
  X(type, Ref, Own, 1, kOptional, ObjectType::MaterialType) \
  STOCKLIB_PATTERN_FIELDS(X, cut_pattern) \
  STOCKLIB_PATTERN_FIELDS(X, surface_pattern) \
  X(information_asset, Ref, Own, 1, kOptional, ObjectType::InformationAsset, kCascade) \
  X(physical_asset, Ref, Own, 1, kOptional, ObjectType::PhysicalAsset, kCascade) \
  X(bim_asset, Ref, Own, 1, kOptional, ObjectType::BimAsset, kCascade)
// clang-format on

/// Material: a named material, unique by name. Saving a material saves its type and custom
/// properties when they are new, and its assets (new, or loaded and edited) with it.
class STOCKLIB_API Material : public Object {
  STOCKLIB_DECLARE_OBJECT(Material)
 public:
  STOCKLIB_FIELDS(STOCKLIB_NO_FIELDS, STOCKLIB_MATERIAL_FIELDS)
  Material();
  static KcSmartPtr<Material> create(const OdString& name);

  /// type: the material type; null when it has none.
  KcSmartPtr<MaterialType> type() const;
  void set_type(const MaterialType* type);

  /// cut_pattern / surface_pattern: copies of the patterns; a default Pattern when never set.
  Pattern cut_pattern() const { return pattern(F::cut_pattern_type); }
  void set_cut_pattern(const Pattern& pattern) { setPattern(F::cut_pattern_type, pattern); }
  Pattern surface_pattern() const { return pattern(F::surface_pattern_type); }
  void set_surface_pattern(const Pattern& pattern) { setPattern(F::surface_pattern_type, pattern); }

  /// Assets: null when the material has none; edits to an asset are saved with the material.
  KcSmartPtr<InformationAsset> information_asset() const;
  void set_information_asset(const InformationAsset* asset);
  KcSmartPtr<PhysicalAsset> physical_asset() const;
  void set_physical_asset(const PhysicalAsset* asset);
  KcSmartPtr<BimAsset> bim_asset() const;
  void set_bim_asset(const BimAsset* asset);

  STOCKLIB_CUSTOM_VALUES

 private:
  Pattern pattern(int first) const;
  void setPattern(int first, const Pattern& pattern);
};

// clang-format off
#define STOCKLIB_COMPOSITION_TYPE_FIELDS(X) \
  X(name, Text, Get, 1, kRequired)
// clang-format on

/// CompositionType: a user-defined kind of composition, unique by name.
class STOCKLIB_API CompositionType : public Object {
  STOCKLIB_DECLARE_OBJECT(CompositionType)
 public:
  STOCKLIB_FIELDS(STOCKLIB_NO_FIELDS, STOCKLIB_COMPOSITION_TYPE_FIELDS)
  CompositionType();
  static KcSmartPtr<CompositionType> create(const OdString& name);
};

// clang-format off
#define STOCKLIB_PLY_FIELDS(X) \
  X(owner, Owner, Own, 1) \
  X(position, Position, Own, 1) \
  X(material, Ref, Own, 1, kOptional, ObjectType::Material) \
  X(thickness, Length, Get, 1) \
  X(function, Int, Own, 1)
// clang-format on

/// Ply: one layer of a composition, owned by it: a material, a thickness (a length, in the
/// library's unit) and a function.
class STOCKLIB_API Ply : public Object {
  STOCKLIB_DECLARE_OBJECT(Ply)
 public:
  STOCKLIB_FIELDS(STOCKLIB_NO_FIELDS, STOCKLIB_PLY_FIELDS)
  Ply();
  /// material: null when the ply has none.
  KcSmartPtr<Material> material() const;
  void set_material(const Material* material);
  MaterialFunction function() const {
    return static_cast<MaterialFunction>(intField(F::function, kFunctionNone));
  }
  void set_function(MaterialFunction function) { setInt(F::function, function); }
};

// clang-format off
// The ply numbers (first_core_ply ... variable_ply) read as unsigned.
#define STOCKLIB_COMPOSITION_FIELDS(X) \
  X(name, Text, Get, 1, kRequired) \
  X(description, Text, Get, 1) \
  X(comments, Text, Get, 1) \
  X(type, Int, Own, 1) \
  X(composition_type, Ref, Own, 1, kOptional, ObjectType::CompositionType) \
  X(first_core_ply, Int, Own, 1) \
  X(last_core_ply, Int, Own, 1) \
  X(structural_ply, Int, Own, 1) \
  X(variable_ply, Int, Own, 1) \
  X(variable_ply_min_thickness, Length, Get, 1) \
  X(variable_ply_max_thickness, Length, Has, 1)
// clang-format on

/// Composition: a named build-up of plies (wall, roof, slab ...), unique by name. Ply numbers
/// count from 0. Thicknesses are lengths in the library's unit.
class STOCKLIB_API Composition : public Object {
  STOCKLIB_DECLARE_OBJECT(Composition)
 public:
  STOCKLIB_FIELDS(STOCKLIB_NO_FIELDS, STOCKLIB_COMPOSITION_FIELDS)
  /// Type: the built-in kinds; kUserDefined goes with a CompositionType.
  enum Type : int32_t { kWall = 1, kRoof = 2, kSlab = 4, kUserDefined = 64, kGeneric = 128 };

  Composition();
  /// create: a new generic composition without plies.
  static KcSmartPtr<Composition> create(const OdString& name);

  /// type: one of Type; kGeneric for a new composition.
  int32_t type() const { return static_cast<int32_t>(intField(F::type, kGeneric)); }
  void set_type(int32_t type) { setInt(F::type, type); }
  /// composition_type: the user-defined type; null when none.
  KcSmartPtr<CompositionType> composition_type() const;
  void set_composition_type(const CompositionType* type);

  /// Plies, in order.
  std::size_t plies_size() const;
  /// ply: the ply at `index`; null when out of range.
  KcSmartPtr<Ply> ply(std::size_t index) const;
  std::vector<KcSmartPtr<Ply>> plies() const;
  /// append_ply / insert_ply: a new ply (at the end / before `index`, clamped to the end),
  /// answered for further settings.
  KcSmartPtr<Ply> append_ply(const Material* material, double thickness,
                             MaterialFunction function = kFunctionNone);
  KcSmartPtr<Ply> insert_ply(std::size_t index, const Material* material, double thickness,
                             MaterialFunction function = kFunctionNone);
  /// remove_ply / swap_plies: false when an index is out of range.
  [[nodiscard]] bool remove_ply(std::size_t index);
  [[nodiscard]] bool swap_plies(std::size_t first, std::size_t second);
  void clear_plies();

  uint32_t first_core_ply() const { return static_cast<uint32_t>(intField(F::first_core_ply)); }
  void set_first_core_ply(uint32_t ply) { setInt(F::first_core_ply, ply); }
  uint32_t last_core_ply() const { return static_cast<uint32_t>(intField(F::last_core_ply)); }
  void set_last_core_ply(uint32_t ply) { setInt(F::last_core_ply, ply); }
  uint32_t structural_ply() const { return static_cast<uint32_t>(intField(F::structural_ply)); }
  void set_structural_ply(uint32_t ply) { setInt(F::structural_ply, ply); }
  bool has_variable_ply() const { return hasField(F::variable_ply); }
  uint32_t variable_ply() const { return static_cast<uint32_t>(intField(F::variable_ply)); }
  void set_variable_ply(uint32_t ply) { setInt(F::variable_ply, ply); }
  void clear_variable_ply() { clearField(F::variable_ply); }

  STOCKLIB_CUSTOM_VALUES
};

template <>
struct ObjectTraits<MaterialType> {
  static constexpr ObjectType type = ObjectType::MaterialType;
  using unique_key_type = NameKey;
};
template <>
struct ObjectTraits<Asset> {
  static constexpr ObjectType type = ObjectType::Asset;
  using unique_key_type = AssetKey;
};
template <>
struct ObjectTraits<InformationAsset> {
  static constexpr ObjectType type = ObjectType::InformationAsset;
  using unique_key_type = NameKey;
};
template <>
struct ObjectTraits<PhysicalAsset> {
  static constexpr ObjectType type = ObjectType::PhysicalAsset;
  using unique_key_type = NameKey;
};
template <>
struct ObjectTraits<BimAsset> {
  static constexpr ObjectType type = ObjectType::BimAsset;
  using unique_key_type = NameKey;
};
template <>
struct ObjectTraits<Material> {
  static constexpr ObjectType type = ObjectType::Material;
  using unique_key_type = NameKey;
};
template <>
struct ObjectTraits<CompositionType> {
  static constexpr ObjectType type = ObjectType::CompositionType;
  using unique_key_type = NameKey;
};
template <>
struct ObjectTraits<Ply> {
  static constexpr ObjectType type = ObjectType::Ply;
};
template <>
struct ObjectTraits<Composition> {
  static constexpr ObjectType type = ObjectType::Composition;
  using unique_key_type = NameKey;
};
template <>
struct ObjectTraits<CustomValue> {
  static constexpr ObjectType type = ObjectType::CustomValue;
};

}  // namespace stocklib

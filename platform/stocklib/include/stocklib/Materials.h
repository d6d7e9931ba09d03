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

/// CustomValue: one custom value, owned by its material or composition (stored with it).
class STOCKLIB_API CustomValue : public Object {
  STOCKLIB_DECLARE_OBJECT(CustomValue)
 public:
  /// F: the indexes of the fields, in the order of the type description.
  struct F {
    enum : int { owner, position, property, value };
    static constexpr const char* names[] = {"owner", "position", "property", "value"};
  };
  CustomValue();
  /// property: the custom property; null when the value has none.
  KcSmartPtr<const CustomProperty> property() const;
  void set_property(const CustomProperty* property);
  const OdString& value() const { return textField(F::value); }
  void set_value(const OdString& value) { setText(F::value, value); }
};

/// MaterialType: a named kind of material ("Concrete", "Wood" ...), unique by name.
class STOCKLIB_API MaterialType : public Object {
  STOCKLIB_DECLARE_OBJECT(MaterialType)
 public:
  /// F: the indexes of the fields, in the order of the type description.
  struct F {
    enum : int { name };
    static constexpr const char* names[] = {"name"};
  };
  MaterialType();
  static KcSmartPtr<MaterialType> create(const OdString& name);
  STOCKLIB_NAME(F::name)
};

/// Asset: a named set of material data. Each kind is unique by name; an Asset is named by kind
/// and name (AssetKey).
class STOCKLIB_API Asset : public Object {
  STOCKLIB_DECLARE_OBJECT(Asset)
 public:
  /// F: the indexes of the fields, in the order of the type description.
  struct F {
    enum : int { name };
    static constexpr const char* names[] = {"name"};
  };
  STOCKLIB_NAME(F::name)

 protected:
  explicit Asset(const detail::TypeDesc& type);
};

/// InformationAsset: descriptive data of a material. Every text reads empty when not set.
class STOCKLIB_API InformationAsset : public Asset {
  STOCKLIB_DECLARE_OBJECT(InformationAsset)
 public:
  /// F: the indexes of the fields, in the order of the type description.
  struct F {
    enum : int {
      name,
      label,
      manufacturer,
      mark,
      model,
      classification,
      cost,
      keynote,
      url,
      unique_code
    };
    static constexpr const char* names[] = {"name",  "label",          "manufacturer", "mark",
                                            "model", "classification", "cost",         "keynote",
                                            "url",   "unique_code"};
  };
  InformationAsset();
  static KcSmartPtr<InformationAsset> create(const OdString& name);
  const OdString& label() const { return textField(F::label); }
  void set_label(const OdString& text) { setText(F::label, text); }
  const OdString& manufacturer() const { return textField(F::manufacturer); }
  void set_manufacturer(const OdString& text) { setText(F::manufacturer, text); }
  const OdString& mark() const { return textField(F::mark); }
  void set_mark(const OdString& text) { setText(F::mark, text); }
  const OdString& model() const { return textField(F::model); }
  void set_model(const OdString& text) { setText(F::model, text); }
  const OdString& classification() const { return textField(F::classification); }
  void set_classification(const OdString& text) { setText(F::classification, text); }
  /// cost: free text (currency and unit included), not a number.
  const OdString& cost() const { return textField(F::cost); }
  void set_cost(const OdString& text) { setText(F::cost, text); }
  const OdString& keynote() const { return textField(F::keynote); }
  void set_keynote(const OdString& text) { setText(F::keynote, text); }
  const OdString& url() const { return textField(F::url); }
  void set_url(const OdString& text) { setText(F::url, text); }
  STOCKLIB_OPTIONAL_TEXT(unique_code, F::unique_code)
};

/// PhysicalAsset: physical data of a material in SI units whatever the library unit: density
/// kg/m3, specific heat J/(kg K), thermal conductivity W/(m K). Each reads 0 when not set.
class STOCKLIB_API PhysicalAsset : public Asset {
  STOCKLIB_DECLARE_OBJECT(PhysicalAsset)
 public:
  /// F: the indexes of the fields, in the order of the type description.
  struct F {
    enum : int { name, density, specific_heat, thermal_conductivity };
    static constexpr const char* names[] = {"name", "density", "specific_heat",
                                            "thermal_conductivity"};
  };
  PhysicalAsset();
  static KcSmartPtr<PhysicalAsset> create(const OdString& name);
  bool has_density() const { return hasField(F::density); }
  double density() const { return realField(F::density); }
  void set_density(double value) { setReal(F::density, value); }
  void clear_density() { clearField(F::density); }
  bool has_specific_heat() const { return hasField(F::specific_heat); }
  double specific_heat() const { return realField(F::specific_heat); }
  void set_specific_heat(double value) { setReal(F::specific_heat, value); }
  void clear_specific_heat() { clearField(F::specific_heat); }
  bool has_thermal_conductivity() const { return hasField(F::thermal_conductivity); }
  double thermal_conductivity() const { return realField(F::thermal_conductivity); }
  void set_thermal_conductivity(double value) { setReal(F::thermal_conductivity, value); }
  void clear_thermal_conductivity() { clearField(F::thermal_conductivity); }
};

/// BimAsset: how a material behaves in building drawings. A new asset joins neither sections
/// nor elevations, has function none and a fixed thickness.
class STOCKLIB_API BimAsset : public Asset {
  STOCKLIB_DECLARE_OBJECT(BimAsset)
 public:
  /// F: the indexes of the fields, in the order of the type description.
  struct F {
    enum : int { name, union_section, union_elevation, default_function, variable_thickness };
    static constexpr const char* names[] = {"name", "union_section", "union_elevation",
                                            "default_function", "variable_thickness"};
  };
  BimAsset();
  static KcSmartPtr<BimAsset> create(const OdString& name);
  bool union_section() const { return boolField(F::union_section, false); }
  void set_union_section(bool value) { setBool(F::union_section, value); }
  bool union_elevation() const { return boolField(F::union_elevation, false); }
  void set_union_elevation(bool value) { setBool(F::union_elevation, value); }
  MaterialFunction default_function() const {
    return static_cast<MaterialFunction>(intField(F::default_function, kFunctionNone));
  }
  void set_default_function(MaterialFunction function) { setInt(F::default_function, function); }
  bool variable_thickness() const { return boolField(F::variable_thickness, false); }
  void set_variable_thickness(bool value) { setBool(F::variable_thickness, value); }
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

/// Material: a named material, unique by name. Saving a material saves its type and custom
/// properties when they are new, and its assets (new, or loaded and edited) with it.
class STOCKLIB_API Material : public Object {
  STOCKLIB_DECLARE_OBJECT(Material)
 public:
  /// F: the indexes of the fields, in the order of the type description.
  struct F {
    enum : int {
      name,
      description,
      comments,
      appearance,
      type,
      cut_pattern_type,
      cut_pattern_name,
      cut_pattern_scale,
      cut_pattern_angle,
      cut_pattern_cross,
      surface_pattern_type,
      surface_pattern_name,
      surface_pattern_scale,
      surface_pattern_angle,
      surface_pattern_cross,
      information_asset,
      physical_asset,
      bim_asset
    };
    static constexpr const char* names[] = {"name",
                                            "description",
                                            "comments",
                                            "appearance",
                                            "type",
                                            "cut_pattern_type",
                                            "cut_pattern_name",
                                            "cut_pattern_scale",
                                            "cut_pattern_angle",
                                            "cut_pattern_cross",
                                            "surface_pattern_type",
                                            "surface_pattern_name",
                                            "surface_pattern_scale",
                                            "surface_pattern_angle",
                                            "surface_pattern_cross",
                                            "information_asset",
                                            "physical_asset",
                                            "bim_asset"};
  };
  Material();
  static KcSmartPtr<Material> create(const OdString& name);

  STOCKLIB_NAME(F::name)
  const OdString& description() const { return textField(F::description); }
  void set_description(const OdString& text) { setText(F::description, text); }
  const OdString& comments() const { return textField(F::comments); }
  void set_comments(const OdString& text) { setText(F::comments, text); }
  /// appearance: the name of the rendering appearance; empty when none.
  const OdString& appearance() const { return textField(F::appearance); }
  void set_appearance(const OdString& text) { setText(F::appearance, text); }
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

/// CompositionType: a user-defined kind of composition, unique by name.
class STOCKLIB_API CompositionType : public Object {
  STOCKLIB_DECLARE_OBJECT(CompositionType)
 public:
  /// F: the indexes of the fields, in the order of the type description.
  struct F {
    enum : int { name };
    static constexpr const char* names[] = {"name"};
  };
  CompositionType();
  static KcSmartPtr<CompositionType> create(const OdString& name);
  STOCKLIB_NAME(F::name)
};

/// Ply: one layer of a composition, owned by it: a material, a thickness (a length, in the
/// library's unit) and a function.
class STOCKLIB_API Ply : public Object {
  STOCKLIB_DECLARE_OBJECT(Ply)
 public:
  /// F: the indexes of the fields, in the order of the type description.
  struct F {
    enum : int { owner, position, material, thickness, function };
    static constexpr const char* names[] = {"owner", "position", "material", "thickness",
                                            "function"};
  };
  Ply();
  /// material: null when the ply has none.
  KcSmartPtr<Material> material() const;
  void set_material(const Material* material);
  double thickness() const { return realField(F::thickness); }
  void set_thickness(double thickness) { setReal(F::thickness, thickness); }
  MaterialFunction function() const {
    return static_cast<MaterialFunction>(intField(F::function, kFunctionNone));
  }
  void set_function(MaterialFunction function) { setInt(F::function, function); }
};

/// Composition: a named build-up of plies (wall, roof, slab ...), unique by name. Ply numbers
/// count from 0. Thicknesses are lengths in the library's unit.
class STOCKLIB_API Composition : public Object {
  STOCKLIB_DECLARE_OBJECT(Composition)
 public:
  /// F: the indexes of the fields, in the order of the type description.
  struct F {
    enum : int {
      name,
      description,
      comments,
      type,
      composition_type,
      first_core_ply,
      last_core_ply,
      structural_ply,
      variable_ply,
      variable_ply_min_thickness,
      variable_ply_max_thickness
    };
    static constexpr const char* names[] = {"name",
                                            "description",
                                            "comments",
                                            "type",
                                            "composition_type",
                                            "first_core_ply",
                                            "last_core_ply",
                                            "structural_ply",
                                            "variable_ply",
                                            "variable_ply_min_thickness",
                                            "variable_ply_max_thickness"};
  };
  /// Type: the built-in kinds; kUserDefined goes with a CompositionType.
  enum Type : int32_t { kWall = 1, kRoof = 2, kSlab = 4, kUserDefined = 64, kGeneric = 128 };

  Composition();
  /// create: a new generic composition without plies.
  static KcSmartPtr<Composition> create(const OdString& name);

  STOCKLIB_NAME(F::name)
  const OdString& description() const { return textField(F::description); }
  void set_description(const OdString& text) { setText(F::description, text); }
  const OdString& comments() const { return textField(F::comments); }
  void set_comments(const OdString& text) { setText(F::comments, text); }
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
  double variable_ply_min_thickness() const { return realField(F::variable_ply_min_thickness); }
  void set_variable_ply_min_thickness(double thickness) {
    setReal(F::variable_ply_min_thickness, thickness);
  }
  bool has_variable_ply_max_thickness() const { return hasField(F::variable_ply_max_thickness); }
  double variable_ply_max_thickness() const { return realField(F::variable_ply_max_thickness); }
  void set_variable_ply_max_thickness(double thickness) {
    setReal(F::variable_ply_max_thickness, thickness);
  }
  void clear_variable_ply_max_thickness() { clearField(F::variable_ply_max_thickness); }

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

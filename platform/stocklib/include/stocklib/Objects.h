// The property-definition objects of the library store: namespaces, property sets, property and
// value definitions, units and measures, entity types, layers, tags and custom properties.
#pragma once
/// @file
/// The property-definition objects of the library store.

#include <cstdint>
#include <memory>
#include <vector>

#include "stocklib/Object.h"

namespace stocklib {

class PropertyNamespace;
class Unit;
class EntityType;
class PropertyDefinition;
class ValueDefinition;

/// Measure: a physical quantity ("LENGTH", "AREA" ...), unique by name.
class STOCKLIB_API Measure : public Object {
  STOCKLIB_DECLARE_OBJECT(Measure)
 public:
  /// F: the indexes of the fields, in the order of the type description.
  struct F {
    enum : int { name };
    static constexpr const char* names[] = {"name"};
  };
  Measure();
  static KcSmartPtr<Measure> create(const OdString& name);
  STOCKLIB_NAME(F::name)
};

/// Unit: a unit of a measure: symbol (its unique name), label, factor to the measure's base unit.
class STOCKLIB_API Unit : public Object {
  STOCKLIB_DECLARE_OBJECT(Unit)
 public:
  /// F: the indexes of the fields, in the order of the type description.
  struct F {
    enum : int { name, label, factor, measure };
    static constexpr const char* names[] = {"name", "label", "factor", "measure"};
  };
  Unit();
  /// create: a new unit; `measure` may be null.
  static KcSmartPtr<Unit> create(const OdString& symbol, double factor, const Measure* measure);
  const OdString& symbol() const { return textField(F::name); }
  const OdString& name() const { return textField(F::name); }
  void set_symbol(const OdString& symbol) { setText(F::name, symbol); }
  STOCKLIB_OPTIONAL_TEXT(label, F::label)
  double factor() const { return realField(F::factor, 1.0); }
  void set_factor(double factor) { setReal(F::factor, factor); }
  /// measure: the unit's measure; null when it has none.
  KcSmartPtr<const Measure> measure() const;
  uint32_t measure_id() const { return refId(F::measure); }
  void set_measure(const Measure* measure);
};

/// PropertyNamespace: a named group of property sets, unique by name.
class STOCKLIB_API PropertyNamespace : public Object {
  STOCKLIB_DECLARE_OBJECT(PropertyNamespace)
 public:
  /// F: the indexes of the fields, in the order of the type description.
  struct F {
    enum : int { name, label, visible, editable };
    static constexpr const char* names[] = {"name", "label", "visible", "editable"};
  };
  PropertyNamespace();
  static KcSmartPtr<PropertyNamespace> create(const OdString& name);
  STOCKLIB_NAME(F::name)
  STOCKLIB_OPTIONAL_TEXT(label, F::label)
  /// visible / editable: true for a new namespace.
  bool visible() const { return boolField(F::visible, true); }
  void set_visible(bool visible) { setBool(F::visible, visible); }
  bool editable() const { return boolField(F::editable, true); }
  void set_editable(bool editable) { setBool(F::editable, editable); }
};

/// EntityType: the name of a drawing class a property set applies to, unique by name.
class STOCKLIB_API EntityType : public Object {
  STOCKLIB_DECLARE_OBJECT(EntityType)
 public:
  /// F: the indexes of the fields, in the order of the type description.
  struct F {
    enum : int { name };
    static constexpr const char* names[] = {"name"};
  };
  EntityType();
  static KcSmartPtr<EntityType> create(const OdString& name);
  STOCKLIB_NAME(F::name)
};

/// Layer: a named layer with an optional description, unique by name.
class STOCKLIB_API Layer : public Object {
  STOCKLIB_DECLARE_OBJECT(Layer)
 public:
  /// F: the indexes of the fields, in the order of the type description.
  struct F {
    enum : int { name, description };
    static constexpr const char* names[] = {"name", "description"};
  };
  Layer();
  static KcSmartPtr<Layer> create(const OdString& name);
  STOCKLIB_NAME(F::name)
  STOCKLIB_OPTIONAL_TEXT(description, F::description)
};

/// Tag: a named tag with an optional description, unique by name.
class STOCKLIB_API Tag : public Object {
  STOCKLIB_DECLARE_OBJECT(Tag)
 public:
  /// F: the indexes of the fields, in the order of the type description.
  struct F {
    enum : int { name, description };
    static constexpr const char* names[] = {"name", "description"};
  };
  Tag();
  static KcSmartPtr<Tag> create(const OdString& name);
  STOCKLIB_NAME(F::name)
  STOCKLIB_OPTIONAL_TEXT(description, F::description)
};

/// CustomProperty: a custom value kind, unique by name and type number.
class STOCKLIB_API CustomProperty : public Object {
  STOCKLIB_DECLARE_OBJECT(CustomProperty)
 public:
  /// F: the indexes of the fields, in the order of the type description.
  struct F {
    enum : int { name, type, label, description };
    static constexpr const char* names[] = {"name", "type", "label", "description"};
  };
  CustomProperty();
  static KcSmartPtr<CustomProperty> create(const OdString& name, int32_t type);
  STOCKLIB_NAME(F::name)
  int32_t type() const { return static_cast<int32_t>(intField(F::type)); }
  void set_type(int32_t type) { setInt(F::type, type); }
  STOCKLIB_OPTIONAL_TEXT(label, F::label)
  STOCKLIB_OPTIONAL_TEXT(description, F::description)
};

/// AbstractDefinition: what property and value definitions share. A definition belongs to at
/// most one property set (which owns it) and takes the set's namespace when the set is saved.
/// Unique by (name, namespace) among definitions of the same class.
class STOCKLIB_API AbstractDefinition : public Object {
  STOCKLIB_DECLARE_OBJECT(AbstractDefinition)
 public:
  /// F: the indexes of the fields, in the order of the type description.
  struct F {
    enum : int {
      owner,
      position,
      namespace_,
      name,
      label,
      description,
      visible,
      structure,
      type,
      key_type,
      unit
    };
    static constexpr const char* names[] = {"owner", "position",    "namespace", "name",
                                            "label", "description", "visible",   "structure",
                                            "type",  "key_type",    "unit"};
  };
  /// property_set_id: id of the owning property set; 0 when it has none or is unsaved.
  uint32_t property_set_id() const { return static_cast<uint32_t>(intField(F::owner)); }
  /// property_namespace: the namespace (the owning set's); null when none.
  KcSmartPtr<const PropertyNamespace> property_namespace() const;
  uint32_t namespace_id() const { return refId(F::namespace_); }
  STOCKLIB_NAME(F::name)
  STOCKLIB_OPTIONAL_TEXT(label, F::label)
  STOCKLIB_OPTIONAL_TEXT(description, F::description)
  /// visible: true for a new definition.
  bool visible() const { return boolField(F::visible, true); }
  void set_visible(bool visible) { setBool(F::visible, visible); }
  PropertyType type() const;
  void set_type(const PropertyType& type);
  /// unit: the definition's unit; null when it has none.
  KcSmartPtr<const Unit> unit() const;
  uint32_t unit_id() const { return refId(F::unit); }
  void set_unit(const Unit* unit);

 protected:
  explicit AbstractDefinition(const detail::TypeDesc& type);
  friend class PropertySet;
  void setNamespace(const PropertyNamespace* ns);
};

/// PropertyDefinition: a value stored per entity: its type specification text and defaults of
/// four kinds (each present or not).
class STOCKLIB_API PropertyDefinition : public AbstractDefinition {
  STOCKLIB_DECLARE_OBJECT(PropertyDefinition)
 public:
  /// F: the indexes of the fields, in the order of the type description.
  struct F {
    enum : int {
      owner,
      position,
      namespace_,
      name,
      label,
      description,
      visible,
      structure,
      type,
      key_type,
      unit,
      type_spec,
      default_bool,
      default_int,
      default_double,
      default_string
    };
    static constexpr const char* names[] = {
        "owner",        "position",    "namespace",      "name",          "label", "description",
        "visible",      "structure",   "type",           "key_type",      "unit",  "type_spec",
        "default_bool", "default_int", "default_double", "default_string"};
  };
  PropertyDefinition();
  /// create: a definition outside any set (append_property_definition makes one inside).
  static KcSmartPtr<PropertyDefinition> create(const OdString& name, const PropertyType& type);
  /// type_spec: the stored text itself, so that copies of it share their characters.
  const OdString& type_spec() const { return textField(F::type_spec); }
  void set_type_spec(const OdString& spec) { setText(F::type_spec, spec); }
  bool has_default_bool() const { return hasField(F::default_bool); }
  bool default_bool() const { return intField(F::default_bool) != 0; }
  void set_default_bool(bool value) { setInt(F::default_bool, value ? 1 : 0); }
  void clear_default_bool() { clearField(F::default_bool); }
  bool has_default_int() const { return hasField(F::default_int); }
  int32_t default_int() const { return static_cast<int32_t>(intField(F::default_int)); }
  void set_default_int(int32_t value) { setInt(F::default_int, value); }
  void clear_default_int() { clearField(F::default_int); }
  bool has_default_double() const { return hasField(F::default_double); }
  double default_double() const { return realField(F::default_double); }
  void set_default_double(double value) { setReal(F::default_double, value); }
  void clear_default_double() { clearField(F::default_double); }
  STOCKLIB_OPTIONAL_TEXT(default_string, F::default_string)
  /// clear_defaults: removes all four defaults.
  void clear_defaults();
};

/// ValueDefinition: a value computed for an entity: its value specification text.
class STOCKLIB_API ValueDefinition : public AbstractDefinition {
  STOCKLIB_DECLARE_OBJECT(ValueDefinition)
 public:
  /// F: the indexes of the fields, in the order of the type description.
  struct F {
    enum : int {
      owner,
      position,
      namespace_,
      name,
      label,
      description,
      visible,
      structure,
      type,
      key_type,
      unit,
      value_spec
    };
    static constexpr const char* names[] = {"owner", "position",    "namespace", "name",
                                            "label", "description", "visible",   "structure",
                                            "type",  "key_type",    "unit",      "value_spec"};
  };
  ValueDefinition();
  static KcSmartPtr<ValueDefinition> create(const OdString& name, const PropertyType& type);
  const OdString& value_spec() const { return textField(F::value_spec); }
  void set_value_spec(const OdString& spec) { setText(F::value_spec, spec); }
};

/// PropertySet: a named group of definitions in a namespace, applying to entity types. Owns its
/// definitions: saving the set saves them and deletes those removed from it.
class STOCKLIB_API PropertySet : public Object {
  STOCKLIB_DECLARE_OBJECT(PropertySet)
 public:
  /// F: the indexes of the fields, in the order of the type description.
  struct F {
    enum : int { namespace_, name, label, visible, per_instance };
    static constexpr const char* names[] = {"namespace", "name", "label", "visible",
                                            "per_instance"};
  };
  PropertySet();
  /// create: a new set in namespace `ns` (may be null: no namespace).
  static KcSmartPtr<PropertySet> create(const PropertyNamespace* ns, const OdString& name);
  KcSmartPtr<const PropertyNamespace> property_namespace() const;
  uint32_t namespace_id() const { return refId(F::namespace_); }
  /// set_property_namespace: also moves the set's definitions to that namespace.
  void set_property_namespace(const PropertyNamespace* ns);
  STOCKLIB_NAME(F::name)
  STOCKLIB_OPTIONAL_TEXT(label, F::label)
  bool visible() const { return boolField(F::visible, true); }
  void set_visible(bool visible) { setBool(F::visible, visible); }
  /// per_instance: the set is attached to single entities rather than to all of its types.
  bool per_instance() const { return boolField(F::per_instance, false); }
  void set_per_instance(bool value) { setBool(F::per_instance, value); }

  /// entity_types: the entity types, in order.
  std::vector<KcSmartPtr<const EntityType>> entity_types() const;
  /// entity_type_names: their names, in order.
  std::vector<OdString> entity_type_names() const;
  /// insert_entity_type: appends the entity type of that name (the library's, or a new one
  /// stored with the set); false when the set already has it or the name is empty.
  bool insert_entity_type(const OdString& name);
  /// remove_entity_type: false when the set has no entity type of that name.
  bool remove_entity_type(const OdString& name);

  /// Definitions, in the set's order.
  std::vector<KcSmartPtr<PropertyDefinition>> property_definitions() const;
  std::vector<KcSmartPtr<ValueDefinition>> value_definitions() const;
  /// append_*: a new definition at the end of the set's list, answered for further settings.
  KcSmartPtr<PropertyDefinition> append_property_definition(const OdString& name,
                                                            const PropertyType& type);
  KcSmartPtr<ValueDefinition> append_value_definition(const OdString& name,
                                                      const PropertyType& type);
  /// remove_*: takes the definition out of the set (by identity, else by id); false when it is
  /// not in the set or null. The stored definition is deleted when the set is saved.
  bool remove_property_definition(const PropertyDefinition* definition);
  bool remove_value_definition(const ValueDefinition* definition);
  /// swap_*: swaps two positions; false when either index is out of range.
  bool swap_property_definitions(std::size_t first, std::size_t second);
  bool swap_value_definitions(std::size_t first, std::size_t second);
  /// clear_definitions: removes every property and value definition.
  void clear_definitions();
};

template <>
struct ObjectTraits<Object> {
  static constexpr ObjectType type = ObjectType::None;
};
template <>
struct ObjectTraits<Measure> {
  static constexpr ObjectType type = ObjectType::Measure;
  using unique_key_type = NameKey;
};
template <>
struct ObjectTraits<Unit> {
  static constexpr ObjectType type = ObjectType::Unit;
  using unique_key_type = NameKey;
};
template <>
struct ObjectTraits<PropertyNamespace> {
  static constexpr ObjectType type = ObjectType::PropertyNamespace;
  using unique_key_type = NameKey;
};
template <>
struct ObjectTraits<EntityType> {
  static constexpr ObjectType type = ObjectType::EntityType;
  using unique_key_type = NameKey;
};
template <>
struct ObjectTraits<Layer> {
  static constexpr ObjectType type = ObjectType::Layer;
  using unique_key_type = NameKey;
};
template <>
struct ObjectTraits<Tag> {
  static constexpr ObjectType type = ObjectType::Tag;
  using unique_key_type = NameKey;
};
template <>
struct ObjectTraits<CustomProperty> {
  static constexpr ObjectType type = ObjectType::CustomProperty;
  using unique_key_type = NameTypeKey;
};
template <>
struct ObjectTraits<AbstractDefinition> {
  static constexpr ObjectType type = ObjectType::AbstractDefinition;
  using unique_key_type = DefinitionKey;
};
template <>
struct ObjectTraits<PropertyDefinition> {
  static constexpr ObjectType type = ObjectType::PropertyDefinition;
  using unique_key_type = DefinitionKey;
};
template <>
struct ObjectTraits<ValueDefinition> {
  static constexpr ObjectType type = ObjectType::ValueDefinition;
  using unique_key_type = DefinitionKey;
};
template <>
struct ObjectTraits<PropertySet> {
  static constexpr ObjectType type = ObjectType::PropertySet;
  using unique_key_type = DefinitionKey;
};

}  // namespace stocklib

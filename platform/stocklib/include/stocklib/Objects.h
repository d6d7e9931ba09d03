// The property-definition objects of the library store: namespaces, property sets, property and
// value definitions, units and measures, entity types, layers, tags and custom properties.
#pragma once

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
  Measure();
  static KcSmartPtr<Measure> create(const OdString& name);
  STOCKLIB_NAME(0)
};

/// Unit: a unit of a measure: symbol (its unique name), label, factor to the measure's base unit.
class STOCKLIB_API Unit : public Object {
  STOCKLIB_DECLARE_OBJECT(Unit)
 public:
  Unit();
  /// create: a new unit; `measure` may be null.
  static KcSmartPtr<Unit> create(const OdString& symbol, double factor, const Measure* measure);
  const OdString& symbol() const { return textField(0); }
  const OdString& name() const { return textField(0); }
  void set_symbol(const OdString& symbol) { setText(0, symbol); }
  STOCKLIB_OPTIONAL_TEXT(label, 1)
  double factor() const { return realField(2, 1.0); }
  void set_factor(double factor) { setReal(2, factor); }
  /// measure: the unit's measure; null when it has none.
  KcSmartPtr<const Measure> measure() const;
  uint32_t measure_id() const { return refId(3); }
  void set_measure(const Measure* measure);
};

/// PropertyNamespace: a named group of property sets, unique by name.
class STOCKLIB_API PropertyNamespace : public Object {
  STOCKLIB_DECLARE_OBJECT(PropertyNamespace)
 public:
  PropertyNamespace();
  static KcSmartPtr<PropertyNamespace> create(const OdString& name);
  STOCKLIB_NAME(0)
  STOCKLIB_OPTIONAL_TEXT(label, 1)
  /// visible / editable: true for a new namespace.
  bool visible() const { return boolField(2, true); }
  void set_visible(bool visible) { setBool(2, visible); }
  bool editable() const { return boolField(3, true); }
  void set_editable(bool editable) { setBool(3, editable); }
};

/// EntityType: the name of a drawing class a property set applies to, unique by name.
class STOCKLIB_API EntityType : public Object {
  STOCKLIB_DECLARE_OBJECT(EntityType)
 public:
  EntityType();
  static KcSmartPtr<EntityType> create(const OdString& name);
  STOCKLIB_NAME(0)
};

/// Layer: a named layer with an optional description, unique by name.
class STOCKLIB_API Layer : public Object {
  STOCKLIB_DECLARE_OBJECT(Layer)
 public:
  Layer();
  static KcSmartPtr<Layer> create(const OdString& name);
  STOCKLIB_NAME(0)
  STOCKLIB_OPTIONAL_TEXT(description, 1)
};

/// Tag: a named tag with an optional description, unique by name.
class STOCKLIB_API Tag : public Object {
  STOCKLIB_DECLARE_OBJECT(Tag)
 public:
  Tag();
  static KcSmartPtr<Tag> create(const OdString& name);
  STOCKLIB_NAME(0)
  STOCKLIB_OPTIONAL_TEXT(description, 1)
};

/// CustomProperty: a custom value kind, unique by name and type number.
class STOCKLIB_API CustomProperty : public Object {
  STOCKLIB_DECLARE_OBJECT(CustomProperty)
 public:
  CustomProperty();
  static KcSmartPtr<CustomProperty> create(const OdString& name, int32_t type);
  STOCKLIB_NAME(0)
  int32_t type() const { return static_cast<int32_t>(intField(1)); }
  void set_type(int32_t type) { setInt(1, type); }
  STOCKLIB_OPTIONAL_TEXT(label, 2)
  STOCKLIB_OPTIONAL_TEXT(description, 3)
};

/// AbstractDefinition: what property and value definitions share. A definition belongs to at
/// most one property set (which owns it) and takes the set's namespace when the set is saved.
/// Unique by (name, namespace) among definitions of the same class.
class STOCKLIB_API AbstractDefinition : public Object {
  STOCKLIB_DECLARE_OBJECT(AbstractDefinition)
 public:
  /// property_set_id: id of the owning property set; 0 when it has none or is unsaved.
  uint32_t property_set_id() const { return static_cast<uint32_t>(intField(0)); }
  /// property_namespace: the namespace (the owning set's); null when none.
  KcSmartPtr<const PropertyNamespace> property_namespace() const;
  uint32_t namespace_id() const { return refId(2); }
  STOCKLIB_NAME(3)
  STOCKLIB_OPTIONAL_TEXT(label, 4)
  STOCKLIB_OPTIONAL_TEXT(description, 5)
  /// visible: true for a new definition.
  bool visible() const { return boolField(6, true); }
  void set_visible(bool visible) { setBool(6, visible); }
  PropertyType type() const;
  void set_type(const PropertyType& type);
  /// unit: the definition's unit; null when it has none.
  KcSmartPtr<const Unit> unit() const;
  uint32_t unit_id() const { return refId(10); }
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
  PropertyDefinition();
  /// create: a definition outside any set (append_property_definition makes one inside).
  static KcSmartPtr<PropertyDefinition> create(const OdString& name, const PropertyType& type);
  /// type_spec: the stored text itself, so that copies of it share their characters.
  const OdString& type_spec() const { return textField(11); }
  void set_type_spec(const OdString& spec) { setText(11, spec); }
  bool has_default_bool() const { return hasField(12); }
  bool default_bool() const { return intField(12) != 0; }
  void set_default_bool(bool value) { setInt(12, value ? 1 : 0); }
  void clear_default_bool() { clearField(12); }
  bool has_default_int() const { return hasField(13); }
  int32_t default_int() const { return static_cast<int32_t>(intField(13)); }
  void set_default_int(int32_t value) { setInt(13, value); }
  void clear_default_int() { clearField(13); }
  bool has_default_double() const { return hasField(14); }
  double default_double() const { return realField(14); }
  void set_default_double(double value) { setReal(14, value); }
  void clear_default_double() { clearField(14); }
  STOCKLIB_OPTIONAL_TEXT(default_string, 15)
  /// clear_defaults: removes all four defaults.
  void clear_defaults();
};

/// ValueDefinition: a value computed for an entity: its value specification text.
class STOCKLIB_API ValueDefinition : public AbstractDefinition {
  STOCKLIB_DECLARE_OBJECT(ValueDefinition)
 public:
  ValueDefinition();
  static KcSmartPtr<ValueDefinition> create(const OdString& name, const PropertyType& type);
  const OdString& value_spec() const { return textField(11); }
  void set_value_spec(const OdString& spec) { setText(11, spec); }
};

/// PropertySet: a named group of definitions in a namespace, applying to entity types. Owns its
/// definitions: saving the set saves them and deletes those removed from it.
class STOCKLIB_API PropertySet : public Object {
  STOCKLIB_DECLARE_OBJECT(PropertySet)
 public:
  PropertySet();
  /// create: a new set in namespace `ns` (may be null: no namespace).
  static KcSmartPtr<PropertySet> create(const PropertyNamespace* ns, const OdString& name);
  KcSmartPtr<const PropertyNamespace> property_namespace() const;
  uint32_t namespace_id() const { return refId(0); }
  /// set_property_namespace: also moves the set's definitions to that namespace.
  void set_property_namespace(const PropertyNamespace* ns);
  STOCKLIB_NAME(1)
  STOCKLIB_OPTIONAL_TEXT(label, 2)
  bool visible() const { return boolField(3, true); }
  void set_visible(bool visible) { setBool(3, visible); }
  /// per_instance: the set is attached to single entities rather than to all of its types.
  bool per_instance() const { return boolField(4, false); }
  void set_per_instance(bool value) { setBool(4, value); }

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

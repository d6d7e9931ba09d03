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

// clang-format off
#define STOCKLIB_MEASURE_FIELDS(X) \
  X(name, Text, Get, 1, kRequired)
// clang-format on

/// Measure: a physical quantity ("LENGTH", "AREA" ...), unique by name.
class STOCKLIB_API Measure : public Object {
  STOCKLIB_DECLARE_OBJECT(Measure)
 public:
  STOCKLIB_FIELDS(STOCKLIB_NO_FIELDS, STOCKLIB_MEASURE_FIELDS)
  Measure();
  static KcSmartPtr<Measure> create(const OdString& name);
};

// clang-format off
// The name is the symbol; the accessors answer it by both words.
#define STOCKLIB_UNIT_FIELDS(X) \
  X(name, Text, Own, 1, kRequired) \
  X(label, Text, Has, 1) \
  X(factor, Real, Own, 1) \
  X(measure, Ref, Own, 1, kOptional, ObjectType::Measure)
// clang-format on

/// Unit: a unit of a measure: symbol (its unique name), label, factor to the measure's base unit.
class STOCKLIB_API Unit : public Object {
  STOCKLIB_DECLARE_OBJECT(Unit)
 public:
  STOCKLIB_FIELDS(STOCKLIB_NO_FIELDS, STOCKLIB_UNIT_FIELDS)
  Unit();
  /// create: a new unit; `measure` may be null.
  static KcSmartPtr<Unit> create(const OdString& symbol, double factor, const Measure* measure);
  const OdString& symbol() const { return textField(F::name); }
  const OdString& name() const { return textField(F::name); }
  void set_symbol(const OdString& symbol) { setText(F::name, symbol); }
  /// factor: 1 when unset.
  double factor() const { return realField(F::factor, 1.0); }
  void set_factor(double factor) { setReal(F::factor, factor); }
  /// measure: the unit's measure; null when it has none.
  KcSmartPtr<const Measure> measure() const;
  uint32_t measure_id() const { return refId(F::measure); }
  void set_measure(const Measure* measure);
};

// clang-format off
#define STOCKLIB_PROPERTY_NAMESPACE_FIELDS(X) \
  X(name, Text, Get, 1, kRequired) \
  X(label, Text, Has, 1) \
  X(visible, Bool, Own, 1) \
  X(editable, Bool, Own, 1)
// clang-format on

/// PropertyNamespace: a named group of property sets, unique by name.
class STOCKLIB_API PropertyNamespace : public Object {
  STOCKLIB_DECLARE_OBJECT(PropertyNamespace)
 public:
  STOCKLIB_FIELDS(STOCKLIB_NO_FIELDS, STOCKLIB_PROPERTY_NAMESPACE_FIELDS)
  PropertyNamespace();
  static KcSmartPtr<PropertyNamespace> create(const OdString& name);
  /// visible / editable: true for a new namespace.
  bool visible() const { return boolField(F::visible, true); }
  void set_visible(bool visible) { setBool(F::visible, visible); }
  bool editable() const { return boolField(F::editable, true); }
  void set_editable(bool editable) { setBool(F::editable, editable); }
};

// clang-format off
#define STOCKLIB_ENTITY_TYPE_FIELDS(X) \
  X(name, Text, Get, 1, kRequired)
// clang-format on

/// EntityType: the name of a drawing class a property set applies to, unique by name.
class STOCKLIB_API EntityType : public Object {
  STOCKLIB_DECLARE_OBJECT(EntityType)
 public:
  STOCKLIB_FIELDS(STOCKLIB_NO_FIELDS, STOCKLIB_ENTITY_TYPE_FIELDS)
  EntityType();
  static KcSmartPtr<EntityType> create(const OdString& name);
};

// clang-format off
#define STOCKLIB_LAYER_FIELDS(X) \
  X(name, Text, Get, 1, kRequired) \
  X(description, Text, Has, 1)
// clang-format on

/// Layer: a named layer with an optional description, unique by name.
class STOCKLIB_API Layer : public Object {
  STOCKLIB_DECLARE_OBJECT(Layer)
 public:
  STOCKLIB_FIELDS(STOCKLIB_NO_FIELDS, STOCKLIB_LAYER_FIELDS)
  Layer();
  static KcSmartPtr<Layer> create(const OdString& name);
};

// clang-format off
#define STOCKLIB_TAG_FIELDS(X) \
  X(name, Text, Get, 1, kRequired) \
  X(description, Text, Has, 1)
// clang-format on

/// Tag: a named tag with an optional description, unique by name.
class STOCKLIB_API Tag : public Object {
  STOCKLIB_DECLARE_OBJECT(Tag)
 public:
  STOCKLIB_FIELDS(STOCKLIB_NO_FIELDS, STOCKLIB_TAG_FIELDS)
  Tag();
  static KcSmartPtr<Tag> create(const OdString& name);
};

// clang-format off
#define STOCKLIB_CUSTOM_PROPERTY_FIELDS(X) \
  X(name, Text, Get, 1, kRequired) \
  X(type, Int, Get, 1, kRequired) \
  X(label, Text, Has, 1) \
  X(description, Text, Has, 1)
// clang-format on

/// CustomProperty: a custom value kind, unique by name and type number.
class STOCKLIB_API CustomProperty : public Object {
  STOCKLIB_DECLARE_OBJECT(CustomProperty)
 public:
  STOCKLIB_FIELDS(STOCKLIB_NO_FIELDS, STOCKLIB_CUSTOM_PROPERTY_FIELDS)
  CustomProperty();
  static KcSmartPtr<CustomProperty> create(const OdString& name, int32_t type);
};

// clang-format off
// structure, type and key_type are read and written together as one PropertyType.
#define STOCKLIB_ABSTRACT_DEFINITION_FIELDS(X) \
  X(owner, Owner, Own, 1) \
  X(position, Position, Own, 1) \
  X(namespace_, Ref, Own, 1, kOptional, ObjectType::PropertyNamespace) \
  X(name, Text, Get, 1, kRequired) \
  X(label, Text, Has, 1) \
  X(description, Text, Has, 1) \
  X(visible, Bool, Own, 1) \
  X(structure, Int, Own, 1) \
  X(type, Int, Own, 1) \
  X(key_type, Int, Own, 1) \
  X(unit, Ref, Own, 1, kOptional, ObjectType::Unit)
// clang-format on

/// AbstractDefinition: what property and value definitions share. A definition belongs to at
/// most one property set (which owns it) and takes the set's namespace when the set is saved.
/// Unique by (name, namespace) among definitions of the same class.
class STOCKLIB_API AbstractDefinition : public Object {
  STOCKLIB_DECLARE_OBJECT(AbstractDefinition)
 public:
  STOCKLIB_FIELDS(STOCKLIB_NO_FIELDS, STOCKLIB_ABSTRACT_DEFINITION_FIELDS)
  /// property_set_id: id of the owning property set; 0 when it has none or is unsaved.
  uint32_t property_set_id() const { return static_cast<uint32_t>(intField(F::owner)); }
  /// property_namespace: the namespace (the owning set's); null when none.
  KcSmartPtr<const PropertyNamespace> property_namespace() const;
  uint32_t namespace_id() const { return refId(F::namespace_); }
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

// clang-format off
// type_spec reads the stored text itself, so that copies of it share their characters.
#define STOCKLIB_PROPERTY_DEFINITION_FIELDS(X) \
  X(type_spec, Text, Get, 1) \
  X(default_bool, Bool, Has, 1) \
  X(default_int, Int, Has, 1) \
  X(default_double, Real, Has, 1) \
  X(default_string, Text, Has, 1)
// clang-format on

/// PropertyDefinition: a value stored per entity: its type specification text and defaults of
/// four kinds (each present or not).
class STOCKLIB_API PropertyDefinition : public AbstractDefinition {
  STOCKLIB_DECLARE_OBJECT(PropertyDefinition)
 public:
  STOCKLIB_FIELDS(STOCKLIB_ABSTRACT_DEFINITION_FIELDS, STOCKLIB_PROPERTY_DEFINITION_FIELDS)
  PropertyDefinition();
  /// create: a definition outside any set (append_property_definition makes one inside).
  static KcSmartPtr<PropertyDefinition> create(const OdString& name, const PropertyType& type);
  /// clear_defaults: removes all four defaults.
  void clear_defaults();
};

// clang-format off
#define STOCKLIB_VALUE_DEFINITION_FIELDS(X) \
  X(value_spec, Text, Get, 1)
// clang-format on

/// ValueDefinition: a value computed for an entity: its value specification text.
class STOCKLIB_API ValueDefinition : public AbstractDefinition {
  STOCKLIB_DECLARE_OBJECT(ValueDefinition)
 public:
  STOCKLIB_FIELDS(STOCKLIB_ABSTRACT_DEFINITION_FIELDS, STOCKLIB_VALUE_DEFINITION_FIELDS)
  ValueDefinition();
  static KcSmartPtr<ValueDefinition> create(const OdString& name, const PropertyType& type);
};

// clang-format off
// per_instance: the set is attached to single entities rather than to all of its types.
#define STOCKLIB_PROPERTY_SET_FIELDS(X) \
  X(namespace_, Ref, Own, 1, kOptional, ObjectType::PropertyNamespace) \
  X(name, Text, Get, 1, kRequired) \
  X(label, Text, Has, 1) \
  X(visible, Bool, Own, 1) \
  X(per_instance, Bool, Get, 1)
// clang-format on

/// PropertySet: a named group of definitions in a namespace, applying to entity types. Owns its
/// definitions: saving the set saves them and deletes those removed from it.
class STOCKLIB_API PropertySet : public Object {
  STOCKLIB_DECLARE_OBJECT(PropertySet)
 public:
  STOCKLIB_FIELDS(STOCKLIB_NO_FIELDS, STOCKLIB_PROPERTY_SET_FIELDS)
  PropertySet();
  /// create: a new set in namespace `ns` (may be null: no namespace).
  static KcSmartPtr<PropertySet> create(const PropertyNamespace* ns, const OdString& name);
  KcSmartPtr<const PropertyNamespace> property_namespace() const;
  uint32_t namespace_id() const { return refId(F::namespace_); }
  /// set_property_namespace: also moves the set's definitions to that namespace.
  void set_property_namespace(const PropertyNamespace* ns);
  /// visible: true for a new set.
  bool visible() const { return boolField(F::visible, true); }
  void set_visible(bool visible) { setBool(F::visible, visible); }

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

// Keys and types of the property model: the namespace-and-name key of a definition with its
// stored string form, the structure-and-element type of a definition, and the kind-and-id key
// of a library definition object.
#pragma once
/// @file

#include <cstdint>

#include "OdString.h"
#include "sl_db/SlDbExport.h"

namespace sl_db {

class IAbstractDefinition;

/// PropertyKey: namespace and name of a definition. Its string form, the name, "~" and the
/// namespace (the name alone for an empty namespace), is the name under which an entity's value
/// is stored in drawings: it must never change.
class SLDB_API PropertyKey {
 public:
  /// The character between name and namespace in the string form; constexpr, so binding it to a
  /// reference links everywhere.
  static constexpr wchar_t KEY_DELIMITER = L'~';

  PropertyKey() = default;
  /// A key of namespace `ns` and `name`, as they are; its str() is "name~ns", name first.
  PropertyKey(const OdString& ns, const OdString& name) : m_ns(ns), m_name(name) {}
  /// The key of a definition: its namespace's name and its name; empty parts for a definition
  /// that wraps no library object.
  explicit PropertyKey(const IAbstractDefinition& definition);

  /// ns: the namespace; empty for none.
  const OdString& ns() const { return m_ns; }
  /// name: the definition's name.
  const OdString& name() const { return m_name; }
  /// setNs: replaces the namespace.
  void setNs(const OdString& ns) { m_ns = ns; }
  /// setName: replaces the name.
  void setName(const OdString& name) { m_name = name; }

  /// str: "name~ns", or "name" when the namespace is empty.
  OdString str() const;
  /// fromString: splits at the last "~": name before, namespace after (possibly empty); without
  /// a "~" the whole text is the name. Nothing is trimmed or rejected.
  static PropertyKey fromString(const OdString& text);

  /// Ordering: name first, then namespace, each whole string by UTF-16 code units
  /// (case-sensitive, also past an embedded zero character).
  bool operator<(const PropertyKey& other) const;
  /// Equal when name and namespace are equal, case-sensitive.
  bool operator==(const PropertyKey& other) const {
    return m_name == other.m_name && m_ns == other.m_ns;
  }
  /// The negation of ==.
  bool operator!=(const PropertyKey& other) const { return !(*this == other); }

 private:
  OdString m_ns;
  OdString m_name;
};

/// PropertyType: how a definition's values are arranged and of which element type. The element
/// codes are those of the drawing property storage and are passed through unchanged.
struct SLDB_API PropertyType {
  /// Structure: one value, an array of values or a map of named values.
  enum class Structure : std::int32_t { Single = 1, Array = 2, Map = 3 };
  /// Element codes 0..18: bool, int8, uint8, int16, uint16, int32, uint32, int64, uint64,
  /// double, string, handle, typed id, 2D vector, 2D point, 3D vector, 3D point, bytes, nested.
  enum Type : std::int32_t {
    kBool = 0,
    kInt8,
    kUInt8,
    kInt16,
    kUInt16,
    kInt32,
    kUInt32,
    kInt64,
    kUInt64,
    kDouble,
    kString,
    kHandle,
    kTypedId,
    kVector2d,
    kPoint2d,
    kVector3d,
    kPoint3d,
    kBytes,
    kNested,
  };

  Structure structure;  ///< how the values are arranged
  Type type;            ///< the element type

  /// A type of structure `s` and element `t`, unchecked.
  PropertyType(Structure s, Type t) : structure(s), type(t) {}
  /// Single: a single value of element type `t`.
  static PropertyType Single(Type t) { return PropertyType(Structure::Single, t); }

  /// Equal when structure and element type are.
  bool operator==(const PropertyType& o) const {
    return structure == o.structure && type == o.type;
  }
  /// The negation of ==.
  bool operator!=(const PropertyType& o) const { return !(*this == o); }
};

/// ObjectTypeWrapper: the kind of a library definition object.
struct SLDB_API ObjectTypeWrapper {
  /// ObjectType: the kinds; other numbers may pass through unnamed.
  enum ObjectType : std::int32_t {
    None = 0,
    // 1 and 2 name two further library object kinds that only pass through bulk removal.
    PropertyDefinition = 3,
    ValueDefinition = 4,
  };

  ObjectType type;  ///< the kind

  /// Wraps `t` (implicit, so that a kind converts where a wrapper is wanted).
  ObjectTypeWrapper(ObjectType t) : type(t) {}
  /// Equal when the kinds are.
  bool operator==(const ObjectTypeWrapper& o) const { return type == o.type; }
  /// The negation of ==.
  bool operator!=(const ObjectTypeWrapper& o) const { return type != o.type; }
  /// Ordered by the kind's number.
  bool operator<(const ObjectTypeWrapper& o) const { return type < o.type; }
};

/// ObjectKey: kind and library id of a definition object. Ordered by kind, then id.
struct SLDB_API ObjectKey {
  std::uint32_t id;        ///< the object's id in its library
  ObjectTypeWrapper type;  ///< the object's kind

  /// The key of the object `objectId` of kind `t`.
  ObjectKey(ObjectTypeWrapper::ObjectType t, unsigned int objectId) : id(objectId), type(t) {}
  /// By kind, then id.
  bool operator<(const ObjectKey& o) const {
    return type.type != o.type.type ? type.type < o.type.type : id < o.id;
  }
  /// Equal when kind and id are.
  bool operator==(const ObjectKey& o) const { return type == o.type && id == o.id; }
};

}  // namespace sl_db

// Per-type descriptions of library objects: fields, unique key, lists, runtime class. The
// storage engine works from these tables only; a new object type is one more description.
//
// Adding a type: write its field rows and declare the class (STOCKLIB_DECLARE_OBJECT(T),
// STOCKLIB_FIELDS with its parent's rows and its own, see Object.h; a constructor passing
// typeDesc(ObjectType::T)), define its runtime class (STOCKLIB_DEFINE_OBJECT in TypeTable.h), add
// describe<T>(...) with STOCKLIB_FIELD_DESCS of its rows to a type-table function (a new family's
// function is called once from Schema.cpp), and specialise ObjectTraits<T>. Tables, SQL,
// loading, saving, copying, removal and XML follow. A profile shape is one row of
// STOCKLIB_SHAPES and its dimension list (Profiles.h).
//
// Adding a field to a stored class changes the schema: its row says since which version, and
// the migration to that version in StoreSchema.cpp adds its column to older files.
#pragma once

#include <cstdint>
#include <vector>

#include "stocklib/Object.h"
#include "stocklib/Types.h"

namespace stocklib::detail {

/// FieldKind: how a field is stored.
/// Text, Int, Real, Bool: plain values. Length: a real scaled between library units on copy and
/// import. Ref: a reference to another object (column holds its id, NULL for none). Owner: id
/// of the object that owns this one (lists of kind Children). Position: index in that list.
enum class FieldKind : uint8_t { Text, Int, Real, Bool, Length, Ref, Owner, Position };

struct FieldDesc {
  FieldDesc(const char* n, FieldKind k, bool req = false, ObjectType ref = ObjectType::None,
            bool casc = false)
      : name(n), kind(k), required(req), refType(ref), cascade(casc) {}
  /// from: this field as added by the migration to schema `version`.
  FieldDesc from(int version) const {
    FieldDesc f = *this;
    f.since = version;
    return f;
  }
  const char* name;  // column name; also the name criteria and XML use
  FieldKind kind;
  bool required;       // NOT NULL
  ObjectType refType;  // Ref: the (possibly abstract) type referred to
  bool cascade;        // Ref: saving the holder into its library saves the loaded referent too
  int since = 1;       // the schema version whose migration adds the column (never required)
};

/// ListKind: Refs: ordered references to objects that live on their own (entity types of a
/// set). Children: objects owned by this one, saved and removed with it (definitions of a set);
/// their type has an Owner and a Position field.
enum class ListKind : uint8_t { Refs, Children };

struct ListDesc {
  ListDesc(const char* n, ListKind k, ObjectType item, const char* s = nullptr)
      : name(n), kind(k), itemType(item), sync(s) {}
  const char* name;
  ListKind kind;
  ObjectType itemType;
  const char* sync;  // Children: a Ref field the children take from the owner on save
};

/// TypeDesc: one object type. Filled by a type table; the derived members are computed once by
/// the registry.
struct TypeDesc {
  ObjectType type = ObjectType::None;
  const char* name = nullptr;            // class name; the table is "o_<name>"
  ObjectType parent = ObjectType::None;  // ObjectType::None: derives from Object
  bool abstract = false;
  std::vector<FieldDesc> fields;  // own fields, after the parent's
  std::vector<const char*> key;   // names of the unique-key fields, in key order
  std::vector<ListDesc> lists;    // own lists, after the parent's
  OdRxClass* (*rxClass)() = nullptr;
  void (*rxInit)() = nullptr;
  void (*rxUninit)() = nullptr;
  OdRxObjectPtr (*make)() = nullptr;        // a new empty object (null for abstract types)
  const char* const* fieldNames = nullptr;  // the class's named field indexes (its struct F)
  std::size_t fieldNameCount = 0;

  // Derived by the registry.
  const TypeDesc* parentDesc = nullptr;
  std::vector<FieldDesc> allFields;
  std::vector<ListDesc> allLists;
  std::vector<int> keyFields;
  int ownerField = -1;
  int positionField = -1;
  std::vector<const TypeDesc*> concrete;  // this type (when concrete) and concrete descendants
  bool isA(ObjectType base) const;
  int fieldIndex(const char* name) const;  // -1 when absent
};

/// TypeRegistry: every object type, in dependency order (a type comes after the types its
/// references point to), built on first use from the type tables.
class TypeRegistry {
 public:
  static const TypeRegistry& get();
  /// find: the description of `type`; null when unknown.
  const TypeDesc* find(ObjectType type) const;
  /// byName: the description of the class `name`; null when unknown.
  const TypeDesc* byName(const char* name) const;
  const std::vector<const TypeDesc*>& all() const { return m_ordered; }
  /// concrete: the stored types of `base` (every stored type for ObjectType::None), in
  /// dependency order; Exception for an unknown type.
  const std::vector<const TypeDesc*>& concrete(ObjectType base) const;
  /// registerClasses / unregisterClasses: the runtime classes, parents first / last.
  void registerClasses() const;
  void unregisterClasses() const;

 private:
  TypeRegistry();
  std::vector<TypeDesc*> m_types;
  std::vector<const TypeDesc*> m_ordered;
  std::vector<const TypeDesc*> m_stored;
};

/// typeDesc: the description of a type; throws Exception for an unknown type.
const TypeDesc& typeDesc(ObjectType type);

/// Type tables, one function per family of types.
void addPropertyTypes(std::vector<TypeDesc>& out);
void addMaterialTypes(std::vector<TypeDesc>& out);
void addProfileTypes(std::vector<TypeDesc>& out);

}  // namespace stocklib::detail

// DbProperties: the property container of a drawing entity: named typed values and the keys of
// the property sets attached to this one entity. It is attached to the entity as its extension
// data of kind "DbProperties", so it is saved in drawing files, copied with the entity and
// restored by undo.
#pragma once

#include <map>
#include <memory>

#include "DbObjectExtension.h"
#include "OdArray.h"
#include "OdString.h"
#include "dbprops/DbProperty.h"
#include "dbprops/DbPropertyType.h"
#include "dbprops/DbpropsExport.h"

class OdDbObject;

/// Orders names by UTF-16 code units, as OdString's operator< does, without measuring the
/// strings again: characters below U+D800 order the same as their code units.
struct DbPropertyNameLess {
  bool operator()(const OdString& a, const OdString& b) const {
    const std::size_t na = static_cast<std::size_t>(a.getLength());
    const std::size_t nb = static_cast<std::size_t>(b.getLength());
    const wchar_t* pa = a.c_str();
    const wchar_t* pb = b.c_str();
    const std::size_t n = na < nb ? na : nb;
    std::size_t i = 0;
    while (i < n && pa[i] == pb[i])
      ++i;
    if (i == n) return na < nb;
    if (pa[i] < 0xD800 && pb[i] < 0xD800) return pa[i] < pb[i];
    return odCompareUtf16(pa + i, na - i, pb + i, nb - i) < 0;
  }
};

class DBPROPS_API DbProperties : public OdDbObjectExtension {
 public:
  /// Values by name, names in ascending UTF-16 code-unit order.
  using Map = std::map<OdString, std::shared_ptr<DbProperty>, DbPropertyNameLess>;
  using const_iterator = Map::const_iterator;

  /// The extension kind under which containers are attached (stored in drawings; stable).
  static const wchar_t* const kExtensionKind;

  /// get: the container of an entity (OdDbEntity or derived), for reading: the one attached,
  /// or, when the entity has none yet, a shared empty container that cannot be changed. Null for
  /// a null pointer and for every object that is not an entity.
  static const DbProperties* get(const OdRxObject* object);
  /// get: the container of an entity for changing; attached to the entity first when it has
  /// none (which needs the entity open for write: OdError(eNotOpenForWrite) otherwise). Null for
  /// a null pointer and for objects that are not entities.
  static DbProperties* get(OdRxObject* object);

  /// A container attached to no object (changes need no open object).
  DbProperties();
  ~DbProperties() override;

  // Changes below go through the owning entity's assertWriteEnabled() first (so undo snapshots
  // the container), and throw OdError(eNotOpenForWrite) when it is not open for write. A value
  // obtained here and changed in place (DbProperty::set) needs the entity opened for write by
  // the caller beforehand.

  /// setProperty: stores `value` itself (not a copy) under `name`, replacing any value there.
  /// False, nothing stored, for an empty pointer.
  bool setProperty(const OdString& name, const std::shared_ptr<DbProperty>& value);
  /// getProperty: the value stored under `name`, or empty.
  std::shared_ptr<const DbProperty> getProperty(const OdString& name) const;
  std::shared_ptr<DbProperty> getProperty(const OdString& name);
  /// castProperty: converts the value stored under `name` to `type` and stores the result in its
  /// place; answers the value now stored. Rules:
  ///   - no value under `name`, or `type` not valid: empty answer, nothing changed;
  ///   - the value is already of `type`: it is answered unchanged;
  ///   - a value that is not set becomes the empty value of `type`;
  ///   - numbers (codes 0..9; bool counts as 0 and 1) become numbers when the value fits exactly
  ///     (range, and integral when going to an integer; to bool only 0 and 1);
  ///   - numbers become text: decimal integers, reals in their shortest exact form, "true" or
  ///     "false"; text becomes a number when the whole text (surrounding spaces aside) parses
  ///     and fits ("true"/"false" or a number for bool); reals must be finite;
  ///   - arrays to arrays and maps to maps element by element (keys too) with the same rules,
  ///     other element types only to themselves; a map whose converted keys collide fails;
  ///   - anything else, and any element that fails: empty answer, and the stored value stays as
  ///     it was, with its own type (a failed conversion never loses it).
  /// The mapped mark is kept. When the owning entity is open but not for write, the converted
  /// value is answered and nothing is stored (a read never changes the drawing).
  std::shared_ptr<DbProperty> castProperty(const OdString& name, const DbPropertyType& type);
  /// resetProperty: removes the value under `name`; false when there was none.
  bool resetProperty(const OdString& name);
  /// size: the number of values.
  std::size_t size() const { return m_values.size(); }

  /// Iteration over (name, value) in ascending UTF-16 code-unit order of names.
  const_iterator begin() const { return m_values.begin(); }
  const_iterator end() const { return m_values.end(); }

  /// instancePropertySets: the keys of the property sets attached to this one entity, in the
  /// order they were attached.
  const OdArray<OdString>& instancePropertySets() const { return m_instanceSets; }
  /// attachInstancePropertySet: adds `key`; false when it is empty or attached already.
  bool attachInstancePropertySet(const OdString& key);
  /// detachInstancePropertySet: removes `key`; false when it was not attached.
  bool detachInstancePropertySet(const OdString& key);

  /// dwgOut / dwgIn: the container's data (format in docs/FORMATS.md). dwgIn answers eOk or the
  /// reason the data was refused, leaving the container as it was.
  void dwgOut(OdDbDwgFiler* filer) const override;
  OdResult dwgIn(OdDbDwgFiler* filer) override;

  /// owner: the entity this container was last reached through, or null.
  OdDbObject* owner() const { return m_owner; }

 private:
  void assertOwnerWrite();
  bool ownerWritable() const;

  Map m_values;
  OdArray<OdString> m_instanceSets;
  OdDbObject* m_owner = nullptr;
};

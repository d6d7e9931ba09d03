// DbProperties: the property container of a drawing entity: named typed values and the keys of
// the property sets attached to this one entity. It is attached to the entity as its extension
// data of kind "DbProperties", so it is saved in drawing files, copied with the entity and
// restored by undo.
#pragma once
/// @file
/// The property container attached to a drawing entity: its named values and instance sets.

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

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
  /// False, nothing stored, for an empty pointer, for a value nested deeper than the filed form
  /// allows (maxNesting()), and while the container holds unreadable data (isDamaged()).
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
  /// resetProperty: removes the value under `name`; false when there was none, and while the
  /// container holds unreadable data.
  bool resetProperty(const OdString& name);

  /// isDamaged: true when the filed data this container was read from held values that could
  /// not be read. Their bytes are kept and written back unchanged; the values that could be
  /// read are listed as usual (none when the damage could not be bounded).
  bool isDamaged() const { return !m_damage.isEmpty(); }
  /// damage: why the data could not be read, in one line; empty when it could.
  const OdString& damage() const { return m_damage; }
  /// unreadableCount: how many filed values could not be read; 0 when the container is sound,
  /// and also 0 when the whole data was refused (the count there cannot be trusted).
  std::size_t unreadableCount() const { return m_unreadable.size(); }
  /// discardDamaged: forgets the unreadable data for good (the values read stay), so that the
  /// container takes changes again; false when it held none.
  bool discardDamaged();
  /// maxNesting: how many levels of nested values one stored value may take, itself included.
  static int maxNesting();
  /// size: the number of values.
  std::size_t size() const { return m_values.size(); }

  /// Iteration over (name, value) in ascending UTF-16 code-unit order of names.
  const_iterator begin() const { return m_values.begin(); }
  const_iterator end() const { return m_values.end(); }
  /// find: the entry of `name`, or end(); a read that takes no share of the value.
  const_iterator find(const OdString& name) const { return m_values.find(name); }

  /// instancePropertySets: the keys of the property sets attached to this one entity, in the
  /// order they were attached.
  const OdArray<OdString>& instancePropertySets() const { return m_instanceSets; }
  /// attachInstancePropertySet: adds `key`; false when it is empty or attached already, and
  /// while the container holds unreadable data.
  bool attachInstancePropertySet(const OdString& key);
  /// detachInstancePropertySet: removes `key`; false when it was not attached.
  bool detachInstancePropertySet(const OdString& key);

  /// dwgOut / dwgIn: the container's data (format in docs/FORMATS.md). dwgIn takes every byte
  /// the filer has left and answers eOk, also for data it cannot read (see isDamaged()); an
  /// error only when the filer fails, leaving the container as it was.
  void dwgOut(OdDbDwgFiler* filer) const override;
  OdResult dwgIn(OdDbDwgFiler* filer) override;

  /// owner: the entity this container was last reached through, or null.
  OdDbObject* owner() const { return m_owner; }

 private:
  void assertOwnerWrite();
  bool ownerWritable() const;

  /// Filed bytes of one value that could not be read (name, descriptor and data).
  struct Unreadable {
    std::vector<std::uint8_t> bytes;
  };

  Map m_values;
  OdArray<OdString> m_instanceSets;
  std::vector<Unreadable> m_unreadable;
  // The whole data, when the damage could not be bounded; bytes after the data otherwise.
  std::vector<std::uint8_t> m_raw;
  bool m_rawIsWhole = false;
  OdString m_damage;
  OdDbObject* m_owner = nullptr;
};

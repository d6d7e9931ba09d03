// DynamicProperties: the dynamic properties of one drawing object: its mapped stored values, the
// definitions of the library's property sets that apply to it, and its unclaimed stored values.
#pragma once
/// @file

#include <cstdint>
#include <memory>
#include <vector>

#include "sl_db/DynamicProperty.h"

namespace sl_db {

class IPropertyNamespace;

/// StaticPropertiesTag: selects the collection of mapped stored values only.
struct StaticPropertiesTag {};

/// DynamicProperties: an ordered list of DynamicProperty values, in up to three runs: the
/// mapped stored values (by storage name), the defined properties (per applicable set in the
/// library's order: property definitions, then value definitions; each definition once), and
/// the stored values no listed definition claims (by storage name). Copies are independent.
class SLDB_API DynamicProperties {
 public:
  /// Sequence: the listed properties, in order.
  using Sequence = std::vector<DynamicProperty>;
  /// iterator / const_iterator: over the listed properties, in order.
  using iterator = Sequence::iterator;
  /// const_iterator: over the listed properties, in order, read only.
  using const_iterator = Sequence::const_iterator;

  /// All three runs. Without library only the mapped and the unclaimed values, unbound.
  DynamicProperties(std::shared_ptr<ILibrary> library, OdRxObjectPtr object);
  /// The defined properties of `set` only: the set of the same library and id, however it was
  /// obtained from the library (by id, by key, by namespace, from the store).
  DynamicProperties(std::shared_ptr<ILibrary> library, OdRxObjectPtr object,
                    std::shared_ptr<IPropertySet> set);
  /// The defined properties of the sets in namespace `ns` only (matched as `set` above).
  DynamicProperties(std::shared_ptr<ILibrary> library, OdRxObjectPtr object,
                    std::shared_ptr<IPropertyNamespace> ns);
  /// The mapped stored values only, bound to nothing.
  DynamicProperties(OdRxObjectPtr object, StaticPropertiesTag);

  /// count: the number of listed properties; 0 when none applies and nothing is stored.
  std::uint64_t count() const { return m_properties.size(); }
  ///@{
  /// begin / end / cbegin / cend: the listed properties in order; begin equals end when empty.
  iterator begin() { return m_properties.begin(); }
  iterator end() { return m_properties.end(); }
  const_iterator begin() const { return m_properties.begin(); }
  const_iterator end() const { return m_properties.end(); }
  const_iterator cbegin() const { return m_properties.cbegin(); }
  const_iterator cend() const { return m_properties.cend(); }
  ///@}

  /// isAnySet: some property holds a set value; false when empty. Reads the object.
  [[nodiscard]] bool isAnySet() const;
  /// resetAllValues: removes the stored value of every listed property.
  void resetAllValues();
  /// purgeValues: removes the trailing stored values that belong to no set (the unclaimed run),
  /// stopping at a mapped value or a property with a set. Takes the object for writing. A value
  /// whose key the library file defines (in any set: an edit of the definition that was never
  /// saved does not count) stays, and so does every value when the library can no longer be
  /// asked (gone, or not the module's own); made without a library, it removes them all.
  void purgeValues();

 private:
  DynamicProperties(std::shared_ptr<ILibrary> library, OdRxObjectPtr object,
                    std::shared_ptr<IPropertySet> set, std::shared_ptr<IPropertyNamespace> ns,
                    bool staticOnly);

  Sequence m_properties;
  std::shared_ptr<ILibrary> m_library;  // asked by purgeValues before a value goes
};

}  // namespace sl_db

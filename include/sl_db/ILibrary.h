// The library as the property model sees it: property namespaces, sets, definitions and units of
// one library wrapper, found, created, saved and removed through the definition interfaces.
#pragma once
/// @file

#include <map>
#include <memory>
#include <set>
#include <vector>

#include "OdArray.h"
#include "OdString.h"
#include "sl_db/IDefinitions.h"
#include "sl_db/PropertyKey.h"
#include "sl_db/SlDbExport.h"
#include "stocklib/Library.h"

class OdRxClass;

namespace sl_db {

class Library;

/// ILibrary: one library wrapper's property model. It does not keep the wrapper alive: once the
/// wrapper is gone every query answers empty, every modifier does nothing and the removal of a
/// definition answers kNotRemoved. Errors of the library store pass through. Interface objects
/// passed in must not be empty; one of the wrong kind reaches the store as an empty object (or
/// as namespace id 0, which the store reads as any namespace).
class SLDB_API ILibrary : public std::enable_shared_from_this<ILibrary> {
 public:
  /// SetList: property sets in the order a query answers them.
  using SetList = std::vector<std::shared_ptr<IPropertySet>>;
  /// NamespaceList: property namespaces in the order a query answers them.
  using NamespaceList = std::vector<std::shared_ptr<IPropertyNamespace>>;
  /// RemoveResult: the store's answer to a removal.
  using RemoveResult = stocklib::Library::RemoveResult;

  /// create: an interface over `library` (held weakly); empty for an empty `library`. Made for
  /// sl_db::Library only.
  template <class T>
  static std::shared_ptr<ILibrary> create(std::shared_ptr<T> library);
  /// library: the wrapper when this is the module's own implementation and the wrapper still
  /// exists; empty otherwise.
  template <class T>
  std::shared_ptr<T> library();

  /// propertySets(ns): the store's sets in namespace `ns`, in the store's order.
  virtual SetList propertySets(std::shared_ptr<IPropertyNamespace> ns) = 0;
  /// propertySets(cls): the sets applying to exactly `cls` (not its bases), in library order.
  virtual SetList propertySets(const OdRxClass* cls) = 0;
  /// propertySets(cls, instanceSets): as above, leaving out each per-instance set whose key
  /// string ("name~namespace") is not among `instanceSets`.
  virtual SetList propertySets(const OdRxClass* cls, const OdArray<OdString>& instanceSets) = 0;
  /// propertyNamespaces: the namespaces holding at least one set, by ascending name.
  virtual NamespaceList propertyNamespaces() = 0;
  /// allPropertyNamespaces: every namespace of the store.
  virtual NamespaceList allPropertyNamespaces() = 0;
  /// propertySet(name, namespaceId): the set of that unique key; empty when none.
  virtual std::shared_ptr<IPropertySet> propertySet(const OdString& name,
                                                    unsigned int namespaceId) = 0;
  /// propertySet(id) / storePropertySet(id): by id, through the wrapper / the store; empty for
  /// id 0 or an unknown id. The same pairs follow for namespaces and definitions.
  virtual std::shared_ptr<IPropertySet> propertySet(unsigned int id) = 0;
  /// storePropertySet: the set of that id read from the store; empty for id 0 or an unknown id.
  virtual std::shared_ptr<IPropertySet> storePropertySet(unsigned int id) = 0;
  /// propertyNamespace(id): the namespace of that id through the wrapper; empty for id 0 or an
  /// unknown id.
  virtual std::shared_ptr<IPropertyNamespace> propertyNamespace(unsigned int id) = 0;
  /// storePropertyNamespace: the namespace of that id read from the store; empty for id 0 or an
  /// unknown id.
  virtual std::shared_ptr<IPropertyNamespace> storePropertyNamespace(unsigned int id) = 0;
  /// propertyDefinition(id): from the wrapper's index (as of its last build); never asks the
  /// store. The same for valueDefinition(id).
  virtual std::shared_ptr<IPropertyDefinition> propertyDefinition(unsigned int id) = 0;
  /// storePropertyDefinition: the property definition of that id read from the store (also one
  /// saved after the wrapper's last build); empty for id 0 or an unknown id.
  virtual std::shared_ptr<IPropertyDefinition> storePropertyDefinition(unsigned int id) = 0;
  /// valueDefinition(id): from the wrapper's index (as of its last build); empty for id 0 or an
  /// unknown id. This and storeValueDefinition answer a provider's own definition where one
  /// claims it (ValueComputations).
  virtual std::shared_ptr<IValueDefinition> valueDefinition(unsigned int id) = 0;
  /// storeValueDefinition: the value definition of that id read from the store; empty for id 0
  /// or an unknown id.
  virtual std::shared_ptr<IValueDefinition> storeValueDefinition(unsigned int id) = 0;
  /// unique*Name: a name for a new object of that kind in namespace `ns` that no object of the
  /// kind has: `name` when free, else NAME-2, NAME-3 ...; empty when the library is gone.
  virtual OdString uniquePropertySetName(const OdString& name,
                                         std::shared_ptr<IPropertyNamespace> ns) = 0;
  /// uniquePropertyDefinitionName: as uniquePropertySetName, among property definitions.
  virtual OdString uniquePropertyDefinitionName(const OdString& name,
                                                std::shared_ptr<IPropertyNamespace> ns) = 0;
  /// uniqueValueDefinitionName: as uniquePropertySetName, among value definitions.
  virtual OdString uniqueValueDefinitionName(const OdString& name,
                                             std::shared_ptr<IPropertyNamespace> ns) = 0;
  /// defaultUnit: the default unit of the measure of that name; empty when none.
  virtual std::shared_ptr<IUnit> defaultUnit(const OdString& measureName) = 0;
  ///@{
  /// saveInto: stores the object into this library (a copy when it belongs to another); does
  /// nothing when the library is gone; throws what the store throws.
  virtual void saveInto(std::shared_ptr<IPropertyNamespace> ns) = 0;
  virtual void saveInto(std::shared_ptr<IPropertySet> set) = 0;
  virtual void saveInto(std::shared_ptr<IValueDefinition> definition) = 0;
  virtual void saveInto(std::shared_ptr<IPropertyDefinition> definition) = 0;
  ///@}
  ///@{
  /// save: the same through the store's typed save. Neither rebuilds the wrapper's indexes:
  /// what is saved shows in propertySets(cls), bindings by key and listings after reload().
  virtual void save(std::shared_ptr<IPropertyNamespace> ns) = 0;
  virtual void save(std::shared_ptr<IPropertySet> set) = 0;
  virtual void save(std::shared_ptr<IValueDefinition> definition) = 0;
  virtual void save(std::shared_ptr<IPropertyDefinition> definition) = 0;
  ///@}
  /// reload: rebuilds the wrapper's indexes from the library.
  virtual void reload() = 0;
  ///@{
  /// remove: the store's answer (kRemoved, kNotRemoved, kKeptByReactor, kStillReferenced);
  /// kNotRemoved when the library is gone.
  [[nodiscard]] virtual RemoveResult remove(std::shared_ptr<IValueDefinition> definition) = 0;
  [[nodiscard]] virtual RemoveResult remove(std::shared_ptr<IPropertyDefinition> definition) = 0;
  ///@}
  /// remove(keys, results): removes every key in one go and adds one result per key the store
  /// answered; two keys naming one store object are removed once. Nothing for a gone library.
  virtual void remove(const std::set<ObjectKey>& keys,
                      std::map<ObjectKey, RemoveResult>& results) = 0;
  /// createPropertySet: a new set of that name in `ns`, saved into this library; throws what
  /// the store throws (a name taken, a read-only library). The wrapper's indexes show it (and
  /// what is then added to it and saved) after reload().
  virtual std::shared_ptr<IPropertySet> createPropertySet(std::shared_ptr<IPropertyNamespace> ns,
                                                          const OdString& name) = 0;
  /// reservedQuery: always null here.
  virtual const OdRxObject* reservedQuery() = 0;

 protected:
  ///@{
  /// Made, copied and destroyed by the implementation only (through the shared_ptr create made).
  ILibrary() = default;
  ILibrary(const ILibrary&) = default;
  ILibrary& operator=(const ILibrary&) = default;
  ~ILibrary() = default;
  ///@}
};

// The module's own library wrapper is the one the interface is made for.
/// create: an interface over `library` (held weakly); empty for an empty `library`.
template <>
SLDB_API std::shared_ptr<ILibrary> ILibrary::create(std::shared_ptr<Library> library);
/// library: the wrapper when this is the module's own implementation and the wrapper still
/// exists; empty otherwise.
template <>
SLDB_API std::shared_ptr<Library> ILibrary::library();

}  // namespace sl_db

// The library interface over the module's library wrapper, held weakly: every operation answers
// empty once the wrapper is gone.
#pragma once

#include "DefinitionsImpl.h"
#include "sl_db/ILibrary.h"
#include "sl_db/Library.h"

namespace sl_db {

namespace detail {
/// storeType / moduleType: an object kind of the bulk removal in the store's numbering and back;
/// a kind without counterpart becomes 0 (None) either way.
stocklib::ObjectType storeType(ObjectTypeWrapper::ObjectType type);
ObjectTypeWrapper::ObjectType moduleType(stocklib::ObjectType type);
}  // namespace detail

template <class T>
class LibraryImpl final : public ILibrary {
 public:
  explicit LibraryImpl(const std::shared_ptr<T>& library) : m_library(library) {}
  /// wrapper: the wrapper while it exists; empty afterwards.
  std::shared_ptr<T> wrapper() const { return m_library.lock(); }

  SetList propertySets(std::shared_ptr<IPropertyNamespace> ns) override;
  SetList propertySets(const OdRxClass* cls) override;
  SetList propertySets(const OdRxClass* cls, const OdArray<OdString>& instanceSets) override;
  NamespaceList propertyNamespaces() override;
  NamespaceList allPropertyNamespaces() override;
  std::shared_ptr<IPropertySet> propertySet(const OdString& name,
                                            unsigned int namespaceId) override;
  std::shared_ptr<IPropertySet> propertySet(unsigned int id) override;
  std::shared_ptr<IPropertySet> storePropertySet(unsigned int id) override;
  std::shared_ptr<IPropertyNamespace> propertyNamespace(unsigned int id) override;
  std::shared_ptr<IPropertyNamespace> storePropertyNamespace(unsigned int id) override;
  std::shared_ptr<IPropertyDefinition> propertyDefinition(unsigned int id) override;
  std::shared_ptr<IPropertyDefinition> storePropertyDefinition(unsigned int id) override;
  std::shared_ptr<IValueDefinition> valueDefinition(unsigned int id) override;
  std::shared_ptr<IValueDefinition> storeValueDefinition(unsigned int id) override;
  OdString uniquePropertySetName(const OdString& name,
                                 std::shared_ptr<IPropertyNamespace> ns) override;
  OdString uniquePropertyDefinitionName(const OdString& name,
                                        std::shared_ptr<IPropertyNamespace> ns) override;
  OdString uniqueValueDefinitionName(const OdString& name,
                                     std::shared_ptr<IPropertyNamespace> ns) override;
  std::shared_ptr<IUnit> defaultUnit(const OdString& measureName) override;
  void saveInto(std::shared_ptr<IPropertyNamespace> ns) override;
  void saveInto(std::shared_ptr<IPropertySet> set) override;
  void saveInto(std::shared_ptr<IValueDefinition> definition) override;
  void saveInto(std::shared_ptr<IPropertyDefinition> definition) override;
  void save(std::shared_ptr<IPropertyNamespace> ns) override;
  void save(std::shared_ptr<IPropertySet> set) override;
  void save(std::shared_ptr<IValueDefinition> definition) override;
  void save(std::shared_ptr<IPropertyDefinition> definition) override;
  void reload() override;
  RemoveResult remove(std::shared_ptr<IValueDefinition> definition) override;
  RemoveResult remove(std::shared_ptr<IPropertyDefinition> definition) override;
  void remove(const std::set<ObjectKey>& keys, std::map<ObjectKey, RemoveResult>& results) override;
  std::shared_ptr<IPropertySet> createPropertySet(std::shared_ptr<IPropertyNamespace> ns,
                                                  const OdString& name) override;
  const OdRxObject* reservedQuery() override { return nullptr; }

 private:
  template <class S>
  OdString uniqueName(const OdString& name, const std::shared_ptr<IPropertyNamespace>& ns);
  template <class S, class I>
  void storeSave(const std::shared_ptr<I>& object);
  template <class S, class I>
  RemoveResult storeRemove(const std::shared_ptr<I>& object);

  std::weak_ptr<T> m_library;
};

}  // namespace sl_db

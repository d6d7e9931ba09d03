// The library interface over sl_db::Library: lookups through the wrapper's indexes or straight
// from the store, wrapped into the definition interfaces; saves and removals through the store.
#include "LibraryImpl.h"

#include "sl_db/ILibrary.h"

namespace sl_db {

namespace detail {

namespace {
// Module kind and store type of each kind that passes through the bulk removal.
struct KindPair {
  ObjectTypeWrapper::ObjectType module;
  stocklib::ObjectType store;
};
constexpr KindPair kKinds[] = {
    {static_cast<ObjectTypeWrapper::ObjectType>(1), stocklib::ObjectType::PropertySet},
    {static_cast<ObjectTypeWrapper::ObjectType>(2), stocklib::ObjectType::PropertyNamespace},
    {ObjectTypeWrapper::PropertyDefinition, stocklib::ObjectType::PropertyDefinition},
    {ObjectTypeWrapper::ValueDefinition, stocklib::ObjectType::ValueDefinition},
};

std::uint32_t namespaceId(const std::shared_ptr<IPropertyNamespace>& ns) {
  const stocklib::PropertyNamespace* object = objectOf<stocklib::PropertyNamespace>(ns);
  return object ? object->id() : 0;
}
}  // namespace

stocklib::ObjectType storeType(ObjectTypeWrapper::ObjectType type) {
  for (const KindPair& k : kKinds)
    if (k.module == type) return k.store;
  return stocklib::ObjectType::None;
}

ObjectTypeWrapper::ObjectType moduleType(stocklib::ObjectType type) {
  for (const KindPair& k : kKinds)
    if (k.store == type) return k.module;
  return ObjectTypeWrapper::None;
}

}  // namespace detail

using detail::namespaceId;
using detail::objectOf;
using detail::wrapAll;

template <class T>
auto LibraryImpl<T>::propertySets(std::shared_ptr<IPropertyNamespace> ns) -> SetList {
  auto lib = m_library.lock();
  if (!lib) return {};
  std::vector<KcSmartPtr<stocklib::PropertySet>> sets;
  lib->library()->get(sets,
                      stocklib::PropertySetCriteria(stocklib::StringCriteria(), namespaceId(ns)));
  return wrapAll<IPropertySet>(sets);
}

template <class T>
auto LibraryImpl<T>::propertySets(const OdRxClass* cls) -> SetList {
  auto lib = m_library.lock();
  if (!lib) return {};
  PropertySetList sets;
  lib->propertySets(sets, cls);
  return wrapAll<IPropertySet>(sets);
}

template <class T>
auto LibraryImpl<T>::propertySets(const OdRxClass* cls, const OdArray<OdString>& instanceSets)
    -> SetList {
  auto lib = m_library.lock();
  if (!lib) return {};
  PropertySetList sets;
  lib->propertySets(sets, cls, instanceSets);
  return wrapAll<IPropertySet>(sets);
}

template <class T>
auto LibraryImpl<T>::propertyNamespaces() -> NamespaceList {
  auto lib = m_library.lock();
  if (!lib) return {};
  std::vector<KcSmartPtr<const stocklib::PropertyNamespace>> namespaces;
  lib->propertyNamespaces(namespaces);
  return wrapAll<IPropertyNamespace>(namespaces);
}

template <class T>
auto LibraryImpl<T>::allPropertyNamespaces() -> NamespaceList {
  auto lib = m_library.lock();
  if (!lib) return {};
  std::vector<KcSmartPtr<stocklib::PropertyNamespace>> namespaces;
  lib->library()->get(namespaces);
  return wrapAll<IPropertyNamespace>(namespaces);
}

template <class T>
std::shared_ptr<IPropertySet> LibraryImpl<T>::propertySet(const OdString& name,
                                                          unsigned int namespaceId) {
  auto lib = m_library.lock();
  if (!lib) return nullptr;
  return IPropertySet::create(
      lib->template get<stocklib::PropertySet>(stocklib::DefinitionKey(name, namespaceId)).get());
}

template <class T>
std::shared_ptr<IPropertySet> LibraryImpl<T>::propertySet(unsigned int id) {
  auto lib = m_library.lock();
  return lib ? IPropertySet::create(lib->template get<stocklib::PropertySet>(id).get()) : nullptr;
}

template <class T>
std::shared_ptr<IPropertySet> LibraryImpl<T>::storePropertySet(unsigned int id) {
  auto lib = m_library.lock();
  return lib ? IPropertySet::create(lib->library()->template get<stocklib::PropertySet>(id).get())
             : nullptr;
}

template <class T>
std::shared_ptr<IPropertyNamespace> LibraryImpl<T>::propertyNamespace(unsigned int id) {
  auto lib = m_library.lock();
  return lib ? IPropertyNamespace::create(lib->template get<stocklib::PropertyNamespace>(id).get())
             : nullptr;
}

template <class T>
std::shared_ptr<IPropertyNamespace> LibraryImpl<T>::storePropertyNamespace(unsigned int id) {
  auto lib = m_library.lock();
  return lib ? IPropertyNamespace::create(
                   lib->library()->template get<stocklib::PropertyNamespace>(id).get())
             : nullptr;
}

template <class T>
std::shared_ptr<IPropertyDefinition> LibraryImpl<T>::propertyDefinition(unsigned int id) {
  auto lib = m_library.lock();
  return lib ? IPropertyDefinition::create(lib->propertyDefinition(id)) : nullptr;
}

template <class T>
std::shared_ptr<IPropertyDefinition> LibraryImpl<T>::storePropertyDefinition(unsigned int id) {
  auto lib = m_library.lock();
  return lib ? IPropertyDefinition::create(
                   lib->library()->template get<stocklib::PropertyDefinition>(id).get())
             : nullptr;
}

template <class T>
std::shared_ptr<IValueDefinition> LibraryImpl<T>::valueDefinition(unsigned int id) {
  auto lib = m_library.lock();
  return lib ? detail::boundValueDefinition(lib->valueDefinition(id)) : nullptr;
}

template <class T>
std::shared_ptr<IValueDefinition> LibraryImpl<T>::storeValueDefinition(unsigned int id) {
  auto lib = m_library.lock();
  return lib ? detail::boundValueDefinition(
                   lib->library()->template get<stocklib::ValueDefinition>(id).get())
             : nullptr;
}

template <class T>
template <class S>
OdString LibraryImpl<T>::uniqueName(const OdString& name,
                                    const std::shared_ptr<IPropertyNamespace>& ns) {
  auto lib = m_library.lock();
  if (!lib) return OdString();
  return lib->template uniqueName<S>(stocklib::DefinitionKey(name, namespaceId(ns)));
}

template <class T>
OdString LibraryImpl<T>::uniquePropertySetName(const OdString& name,
                                               std::shared_ptr<IPropertyNamespace> ns) {
  return uniqueName<stocklib::PropertySet>(name, ns);
}

template <class T>
OdString LibraryImpl<T>::uniquePropertyDefinitionName(const OdString& name,
                                                      std::shared_ptr<IPropertyNamespace> ns) {
  return uniqueName<stocklib::PropertyDefinition>(name, ns);
}

template <class T>
OdString LibraryImpl<T>::uniqueValueDefinitionName(const OdString& name,
                                                   std::shared_ptr<IPropertyNamespace> ns) {
  return uniqueName<stocklib::ValueDefinition>(name, ns);
}

template <class T>
std::shared_ptr<IUnit> LibraryImpl<T>::defaultUnit(const OdString& measureName) {
  auto lib = m_library.lock();
  return lib ? IUnit::create(lib->library()->defaultUnit(measureName).get()) : nullptr;
}

// saveInto (the object saves itself into the library) and save (the library saves the object)
// are one store operation; an object of another class reaches the store empty, which refuses it.
template <class T>
template <class S, class I>
void LibraryImpl<T>::storeSave(const std::shared_ptr<I>& object) {
  auto lib = m_library.lock();
  if (lib) lib->library()->save(KcSmartPtr<S>(objectOf<S>(object)));
}

template <class T>
void LibraryImpl<T>::saveInto(std::shared_ptr<IPropertyNamespace> ns) {
  storeSave<stocklib::PropertyNamespace>(ns);
}
template <class T>
void LibraryImpl<T>::saveInto(std::shared_ptr<IPropertySet> set) {
  storeSave<stocklib::PropertySet>(set);
}
template <class T>
void LibraryImpl<T>::saveInto(std::shared_ptr<IValueDefinition> definition) {
  storeSave<stocklib::ValueDefinition>(definition);
}
template <class T>
void LibraryImpl<T>::saveInto(std::shared_ptr<IPropertyDefinition> definition) {
  storeSave<stocklib::PropertyDefinition>(definition);
}
template <class T>
void LibraryImpl<T>::save(std::shared_ptr<IPropertyNamespace> ns) {
  storeSave<stocklib::PropertyNamespace>(ns);
}
template <class T>
void LibraryImpl<T>::save(std::shared_ptr<IPropertySet> set) {
  storeSave<stocklib::PropertySet>(set);
}
template <class T>
void LibraryImpl<T>::save(std::shared_ptr<IValueDefinition> definition) {
  storeSave<stocklib::ValueDefinition>(definition);
}
template <class T>
void LibraryImpl<T>::save(std::shared_ptr<IPropertyDefinition> definition) {
  storeSave<stocklib::PropertyDefinition>(definition);
}

template <class T>
void LibraryImpl<T>::reload() {
  if (auto lib = m_library.lock()) lib->reload();
}

template <class T>
template <class S, class I>
auto LibraryImpl<T>::storeRemove(const std::shared_ptr<I>& object) -> RemoveResult {
  auto lib = m_library.lock();
  if (!lib) return stocklib::Library::kNotRemoved;
  return lib->library()->remove(KcSmartPtr<S>(objectOf<S>(object)));
}

template <class T>
auto LibraryImpl<T>::remove(std::shared_ptr<IValueDefinition> definition) -> RemoveResult {
  return storeRemove<stocklib::ValueDefinition>(definition);
}

template <class T>
auto LibraryImpl<T>::remove(std::shared_ptr<IPropertyDefinition> definition) -> RemoveResult {
  return storeRemove<stocklib::PropertyDefinition>(definition);
}

template <class T>
void LibraryImpl<T>::remove(const std::set<ObjectKey>& keys,
                            std::map<ObjectKey, RemoveResult>& results) {
  auto lib = m_library.lock();
  if (!lib) return;
  // An ordered set of store keys: two module keys of one store object remove it once.
  std::set<stocklib::ObjectKey> storeKeys;
  for (const ObjectKey& key : keys)
    storeKeys.insert(stocklib::ObjectKey(detail::storeType(key.type.type), key.id));
  std::map<stocklib::ObjectKey, RemoveResult> storeResults;
  lib->library()->remove(storeKeys, storeResults);
  for (const auto& [key, result] : storeResults)
    results.insert({ObjectKey(detail::moduleType(key.type), key.id), result});
}

template <class T>
std::shared_ptr<IPropertySet> LibraryImpl<T>::createPropertySet(
    std::shared_ptr<IPropertyNamespace> ns, const OdString& name) {
  auto lib = m_library.lock();
  if (!lib) return nullptr;
  auto set = stocklib::PropertySet::create(objectOf<stocklib::PropertyNamespace>(ns), name);
  stocklib::IdMapping mapping(lib->library().get());
  return IPropertySet::create(lib->library()->save(set, mapping).get());
}

template class LibraryImpl<Library>;

template <>
std::shared_ptr<ILibrary> ILibrary::create(std::shared_ptr<Library> library) {
  if (!library) return nullptr;
  return std::make_shared<LibraryImpl<Library>>(library);
}

template <>
std::shared_ptr<Library> ILibrary::library() {
  auto* impl = dynamic_cast<LibraryImpl<Library>*>(this);
  return impl ? impl->wrapper() : nullptr;
}

}  // namespace sl_db

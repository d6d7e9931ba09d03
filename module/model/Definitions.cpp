// The definition interfaces: their creation over library-store objects, the storage type of a
// library type, and the saving of a property set through a library interface.
#include "sl_db/IDefinitions.h"

#include "DefinitionsImpl.h"
#include "sl_db/ILibrary.h"
#include "sl_db/Library.h"
#include "sl_db/ValueComputations.h"

namespace sl_db {

namespace detail {

const OdString& emptyString() {
  static const OdString empty;
  return empty;
}

DbPropertyType storageType(const stocklib::PropertyType& type) {
  auto inRange = [](std::int32_t code) { return code >= 0 && code < DbPropertyType::kTypeCount; };
  DbPropertyType built;
  switch (type.structure) {
    case DbPropertyType::kSingle:
    case DbPropertyType::kArray:
      if (!inRange(type.type)) return DbPropertyType();
      built = DbPropertyType(type.structure, type.type, 0);
      break;
    case DbPropertyType::kMap:
      if (!inRange(type.type) || !inRange(type.key_type)) return DbPropertyType();
      built = DbPropertyType(type.structure, type.type, type.key_type);
      break;
    default:
      return DbPropertyType();
  }
  return built.isValid() ? built : DbPropertyType();
}

std::shared_ptr<IValueDefinition> boundValueDefinition(const stocklib::ValueDefinition* object) {
  return ValueComputations::bind(IValueDefinition::create(object));
}

namespace {

// A definition has two enable_shared_from_this bases, which leaves a raw-pointer shared_ptr of
// the definition's own type registering neither: own it through the unambiguous one.
template <class Interface, class Impl, class T>
std::shared_ptr<Interface> makeDefinition(const T* object) {
  if (!object) return nullptr;
  Impl* impl = new Impl(object);
  std::shared_ptr<IAbstractDefinition> owner(
      static_cast<IAbstractDefinition*>(impl),
      [](IAbstractDefinition* p) { delete static_cast<Impl*>(p); });
  return std::shared_ptr<Interface>(owner, impl);
}

template <class Impl, class T>
std::shared_ptr<Impl> makeWrapper(const T* object) {
  return object ? std::make_shared<Impl>(object) : nullptr;
}

}  // namespace
}  // namespace detail

template <>
std::shared_ptr<IPropertyDefinition> IPropertyDefinition::create<stocklib::PropertyDefinition>(
    const stocklib::PropertyDefinition* object) {
  return detail::makeDefinition<IPropertyDefinition,
                                PropertyDefinitionImpl<stocklib::PropertyDefinition>>(object);
}

template <>
std::shared_ptr<IValueDefinition> IValueDefinition::create<stocklib::ValueDefinition>(
    const stocklib::ValueDefinition* object) {
  return detail::makeDefinition<IValueDefinition, ValueDefinitionImpl<stocklib::ValueDefinition>>(
      object);
}

template <>
std::shared_ptr<IPropertySet> IPropertySet::create<stocklib::PropertySet>(
    const stocklib::PropertySet* object) {
  return detail::makeWrapper<PropertySetImpl<stocklib::PropertySet>>(object);
}

template <>
std::shared_ptr<IPropertyNamespace> IPropertyNamespace::create<stocklib::PropertyNamespace>(
    const stocklib::PropertyNamespace* object) {
  return detail::makeWrapper<PropertyNamespaceImpl<stocklib::PropertyNamespace>>(object);
}

template <>
std::shared_ptr<IUnit> IUnit::create<stocklib::Unit>(const stocklib::Unit* object) {
  return detail::makeWrapper<PropertyUnitImpl<stocklib::Unit>>(object);
}

template <class T>
void PropertySetImpl<T>::save(std::shared_ptr<ILibrary> library) {
  if (!m_object) return;
  std::shared_ptr<Library> wrapper = library ? library->library<Library>() : nullptr;
  // Without a library the store refuses the save with its own exception.
  m_object->save(wrapper ? wrapper->library() : std::shared_ptr<stocklib::Library>());
}

template class PropertySetImpl<stocklib::PropertySet>;

}  // namespace sl_db

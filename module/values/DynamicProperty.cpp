// DynamicProperty: binding a drawing object to a definition, reaching its stored value, and the
// typed reads and writes for every value type of the storage.
#include "sl_db/DynamicProperty.h"

#include <limits>
#include <type_traits>

#include "DbObject.h"
#include "OdError.h"
#include "dbprops/DbProperties.h"
#include "sl_db/DynamicPropertyContext.h"
#include "sl_db/IDefinitions.h"
#include "sl_db/ILibrary.h"
#include "sl_db/Library.h"
#include "sl_db/ValueComputations.h"

namespace sl_db {

namespace {

const DbProperties* containerOf(const OdRxObject* object) {
  return DbProperties::get(object);
}

// The object as a drawing object (null when it is none), checked to be open for reading.
// `known`: the object is known to be one.
const OdDbObject* readable(const OdRxObject* object, bool known = false) {
  const OdDbObject* dbObject = known || (OdDbObject::desc() && object->isKindOf(OdDbObject::desc()))
                                   ? static_cast<const OdDbObject*>(object)
                                   : nullptr;
  if (dbObject && !dbObject->isReadEnabled()) {
    throw OdError(eNotOpenForRead, OdString(L"the object is not open for reading"));
  }
  return dbObject;
}

void assertWritable(OdRxObject* object) {
  if (OdDbObject::desc() && object->isKindOf(OdDbObject::desc()))
    static_cast<OdDbObject*>(object)->assertWriteEnabled(true, true);
}

// The library's default of a definition, as the overload the value type reads: bool for bool,
// int for the integer types (only when it fits T), double, text; none for the other types.
template <class T>
bool defaultValueOf(const IPropertyDefinition& definition, T& value) {
  if constexpr (std::is_same_v<T, bool> || std::is_same_v<T, double> ||
                std::is_same_v<T, OdString>) {
    return definition.defaultValue(value);
  } else if constexpr (std::is_integral_v<T>) {
    int given = 0;
    if (!definition.defaultValue(given)) return false;
    // A default outside T's range is no default of T (it would wrap into another number).
    if constexpr (std::is_signed_v<T>) {
      if (given < std::numeric_limits<T>::min() || given > std::numeric_limits<T>::max())
        return false;
    } else {
      if (given < 0 || static_cast<unsigned long long>(given) > std::numeric_limits<T>::max())
        return false;
    }
    value = static_cast<T>(given);
    return true;
  } else {
    (void)definition;
    (void)value;
    return false;
  }
}

}  // namespace

DynamicProperty::DynamicProperty(std::shared_ptr<ILibrary> library, OdRxObjectPtr object,
                                 const PropertyKey& key, bool resolve)
    : m_object(std::move(object)), m_key(key) {
  if (!resolve || !library) return;
  static const OdArray<OdString> noSets;
  const DbProperties* container = containerOf(m_object.get());
  const OdArray<OdString>& instanceSets = container ? container->instancePropertySets() : noSets;
  // The wrapper's key index answers what the scan below would find, without wrapping every
  // definition of every applicable set.
  Library::KeyBinding found;
  const std::shared_ptr<Library> wrapper = library->library<Library>();
  if (wrapper && wrapper->bind(key, m_object->isA(), instanceSets, found)) {
    m_propertyDefinition = IPropertyDefinition::create(found.propertyDefinition);
    if (found.valueDefinition)
      m_valueDefinition = ValueComputations::bind(IValueDefinition::create(found.valueDefinition));
    m_set = IPropertySet::create(found.set);
    return;
  }
  for (const auto& set : library->propertySets(m_object->isA(), instanceSets)) {
    // Every match is taken: the last one scanned wins, for each kind on its own.
    for (const auto& definition : set->propertyDefinitions()) {
      if (definition->name() == key.name() && definition->ns() == key.ns()) {
        m_propertyDefinition = definition;
        m_set = set;
      }
    }
    for (const auto& definition : set->valueDefinitions()) {
      if (definition->name() == key.name() && definition->ns() == key.ns()) {
        m_valueDefinition = definition;
        m_set = set;
      }
    }
  }
}

DynamicProperty::DynamicProperty(OdRxObjectPtr object,
                                 std::shared_ptr<IPropertyDefinition> definition,
                                 std::shared_ptr<IPropertySet> set)
    : m_object(std::move(object)),
      m_key(definition ? PropertyKey(definition->ns(), definition->name()) : PropertyKey()),
      m_propertyDefinition(std::move(definition)),
      m_set(std::move(set)) {}

DynamicProperty::DynamicProperty(OdRxObjectPtr object, std::shared_ptr<IValueDefinition> definition,
                                 std::shared_ptr<IPropertySet> set)
    : m_object(std::move(object)),
      m_key(definition ? PropertyKey(definition->ns(), definition->name()) : PropertyKey()),
      m_valueDefinition(std::move(definition)),
      m_set(std::move(set)) {}

DynamicProperty::DynamicProperty(std::shared_ptr<ILibrary> library, OdRxObjectPtr object,
                                 ObjectKey key)
    : m_object(std::move(object)) {
  if (!library) return;
  if (key.type == ObjectTypeWrapper::PropertyDefinition) {
    m_propertyDefinition = library->propertyDefinition(key.id);
    if (m_propertyDefinition)
      m_key = PropertyKey(m_propertyDefinition->ns(), m_propertyDefinition->name());
  } else if (key.type == ObjectTypeWrapper::ValueDefinition) {
    m_valueDefinition = library->valueDefinition(key.id);
    if (m_valueDefinition) m_key = PropertyKey(m_valueDefinition->ns(), m_valueDefinition->name());
  }
}

const OdString& DynamicProperty::storageName() const {
  if (m_name.isEmpty()) m_name = m_key.str();
  return m_name;
}

std::shared_ptr<IAbstractDefinition> DynamicProperty::abstractDefinition() const {
  if (m_propertyDefinition) return m_propertyDefinition;
  return m_valueDefinition;
}

DbPropertyType DynamicProperty::type() const {
  if (std::shared_ptr<const DbProperty> p = property()) return p->type();
  if (m_propertyDefinition) return m_propertyDefinition->dbPropertyType();
  if (m_valueDefinition) return m_valueDefinition->dbPropertyType();
  return DbPropertyType();
}

bool DynamicProperty::exists() const {
  return m_propertyDefinition || m_valueDefinition || property();
}

bool DynamicProperty::isSet() const {
  std::shared_ptr<const DbProperty> copy;
  const DbProperty* p = stored(copy);
  return p && p->isSet();
}

const DbProperty* DynamicProperty::stored(std::shared_ptr<const DbProperty>& copy) const {
  // While the object stands as it was at the kept search, that search holds, and the cast had
  // nothing to do then either: a palette asks isSet() before every read.
  if (m_foundKept) {
    const auto* dbObject = static_cast<const OdDbObject*>(m_object.get());
    if (dbObject->isReadEnabled() && dbObject->changeCount() == m_foundAt) return m_found;
  }
  if (!m_object) return nullptr;
  // A kept search was made on a drawing object: the object is one.
  const OdDbObject* dbObject = readable(m_object.get(), m_foundKept);
  copy = castProperty();
  if (copy && !m_valueDefinition) return copy.get();
  if (m_valueDefinition) return nullptr;
  return found(dbObject);
}

const DbProperty* DynamicProperty::found(const OdDbObject* dbObject) const {
  // Every change of the object or of its container counts, so a kept pointer is still the
  // container's own; no share of the value is taken.
  if (m_foundKept && dbObject->changeCount() == m_foundAt) return m_found;
  const DbProperties* container = containerOf(m_object.get());
  const DbProperty* result = nullptr;
  if (container) {
    const auto it = container->find(storageName());
    if (it != container->end()) result = it->second.get();
  }
  // Counted after the search, which may have typed the container's data.
  m_foundKept = dbObject != nullptr;
  m_foundAt = dbObject ? dbObject->changeCount() : 0;
  m_found = result;
  return result;
}

std::shared_ptr<const DbProperty> DynamicProperty::property() const {
  if (!m_object) return nullptr;
  (void)readable(m_object.get());
  std::shared_ptr<const DbProperty> unstoredCopy = castProperty();
  if (unstoredCopy && !m_valueDefinition) return unstoredCopy;
  return property_(static_cast<const OdRxObject*>(m_object.get()));
}

std::shared_ptr<DbProperty> DynamicProperty::property() {
  if (!m_object) return nullptr;
  assertWritable(m_object.get());
  castProperty();
  return property_(m_object.get());
}

std::shared_ptr<const DbProperty> DynamicProperty::property_(const OdRxObject* object) const {
  if (m_valueDefinition) return nullptr;
  const DbProperties* container = containerOf(object);
  return container ? container->getProperty(storageName()) : nullptr;
}

std::shared_ptr<DbProperty> DynamicProperty::property_(OdRxObject* object) {
  if (m_valueDefinition) return nullptr;
  // Looked up without attaching a container to an entity that has none.
  const DbProperties* container = containerOf(object);
  if (!container || !container->getProperty(storageName())) return nullptr;
  return DbProperties::get(object)->getProperty(storageName());
}

std::shared_ptr<const DbProperty> DynamicProperty::castProperty() const {
  if (m_storageChecked || !m_propertyDefinition) return nullptr;
  const DbProperties* container = containerOf(m_object.get());
  if (!container) return nullptr;
  m_storageChecked = true;
  const DbPropertyType wanted = m_propertyDefinition->dbPropertyType();
  if (!wanted.isValid()) return nullptr;
  const OdString& name = storageName();
  std::shared_ptr<const DbProperty> stored = container->getProperty(name);
  // Nothing stored: nothing to convert (and no container is attached for it).
  if (!stored || stored->type() == wanted) return nullptr;
  std::shared_ptr<DbProperty> converted =
      DbProperties::get(m_object.get())->castProperty(name, wanted);
  if (!converted || container->getProperty(name) == converted) return nullptr;
  // An object open only for reading keeps its value: this read sees the converted copy, and
  // the next access tries again (once writable, the conversion is stored).
  m_storageChecked = false;
  return converted;
}

std::shared_ptr<DbProperty> DynamicProperty::createProperty() {
  if (std::shared_ptr<DbProperty> p = property()) return p;
  if (!m_object || !containerOf(m_object.get()) || !m_propertyDefinition || m_valueDefinition)
    return nullptr;
  std::shared_ptr<DbProperty> made;
  const DbPropertyType type = m_propertyDefinition->dbPropertyType();
  if (type.isValid()) made = type.createProperty();
  // The storage refuses an empty value, so nothing is stored for an invalid type.
  if (made) DbProperties::get(m_object.get())->setProperty(storageName(), made);
  return made;
}

void DynamicProperty::setProperty(const std::shared_ptr<DbProperty>& value) {
  if (!m_object || !containerOf(m_object.get())) return;
  assertWritable(m_object.get());
  (void)DbProperties::get(m_object.get())->setProperty(storageName(), value);
}

bool DynamicProperty::resetValue() {
  if (!m_object) return false;
  const DbProperties* container = containerOf(m_object.get());
  if (!container) return false;
  const OdString& name = storageName();
  if (!container->getProperty(name)) return false;
  return DbProperties::get(m_object.get())->resetProperty(name);
}

template <class T>
DynamicProperty::Result DynamicProperty::read(T& value, const OdRxObject* context) const {
  std::shared_ptr<const DbProperty> copy;
  const DbProperty* p = stored(copy);
  // An empty stored value (made by createProperty, or reset) holds nothing: the default shows.
  if (p && p->isSet()) {
    if (p->get<T>(value)) return Ok;
    value = T();
    return TypeMismatch;
  }
  if (m_propertyDefinition) {
    if (m_propertyDefinition->dbPropertyType() != DbPropertyType::get<T>()) return TypeMismatch;
    if (defaultValueOf(*m_propertyDefinition, value)) return Ok;
    value = T();
    return NoValue;
  }
  if (m_valueDefinition) {
    const OdRxClass* contextClass = DynamicPropertyContext::desc();
    if (!context || !contextClass || !context->isA() ||
        !context->isA()->isDerivedFrom(contextClass) ||
        !static_cast<const DynamicPropertyContext*>(context)->entity() ||
        m_valueDefinition->dbPropertyType() != DbPropertyType::get<T>()) {
      return TypeMismatch;
    }
    Result computed = m_valueDefinition->computeValue(value, OdDbObjectPtr(m_object), context);
    if (computed != Ok) value = T();
    return computed;
  }
  value = T();
  return NotAvailable;
}

template <class T>
DynamicProperty::Result DynamicProperty::write(const T& value) {
  if (!m_object || !containerOf(m_object.get())) return NotAvailable;
  // Reads of a value definition compute and never look at storage: a stored value is lost.
  if (m_valueDefinition) return NotAvailable;
  if (m_propertyDefinition && !m_propertyDefinition->isValidValue(value)) return InvalidValue;
  std::shared_ptr<DbProperty> p = property();
  if (p) return p->set<T>(value) ? Ok : TypeMismatch;
  if (m_propertyDefinition) {
    const DbPropertyType type = m_propertyDefinition->dbPropertyType();
    if (type.isValid()) p = type.createProperty();
    if (!p) return TypeMismatch;
  } else {
    p = std::make_shared<DbPropertyContainer<T>>();
  }
  if (!p->set<T>(value)) return TypeMismatch;
  return DbProperties::get(m_object.get())->setProperty(storageName(), p) ? Ok : NotAvailable;
}

#define SLDB_VALUE_ACCESS_(...)                                                                 \
  template DynamicProperty::Result DynamicProperty::read<__VA_ARGS__>(__VA_ARGS__&,             \
                                                                      const OdRxObject*) const; \
  template DynamicProperty::Result DynamicProperty::write<__VA_ARGS__>(const __VA_ARGS__&);
#define SLDB_SINGLE_(T, C) SLDB_VALUE_ACCESS_(T)
#define SLDB_ARRAY_(T, C) SLDB_VALUE_ACCESS_(DbArray<T>)
#define SLDB_MAP_(K, KC, V, VC) SLDB_VALUE_ACCESS_(std::map<K, V>)
DBPROPS_FOR_EACH_TYPE(SLDB_SINGLE_, SLDB_ARRAY_, SLDB_MAP_)
#undef SLDB_SINGLE_
#undef SLDB_ARRAY_
#undef SLDB_MAP_
#undef SLDB_VALUE_ACCESS_

}  // namespace sl_db

// DynamicProperties: building the three runs of an object's properties, and resetting and purging
// their stored values.
#include "sl_db/DynamicProperties.h"

#include <set>
#include <unordered_set>

#include "dbprops/DbProperties.h"
#include "sl_db/IDefinitions.h"
#include "sl_db/ILibrary.h"
#include "sl_db/Library.h"
#include "stocklib/Objects.h"

namespace sl_db {

namespace {

const stocklib::Object* storedObject(const OdRxObject* object) {
  return object && object->isKindOf(stocklib::Object::desc())
             ? static_cast<const stocklib::Object*>(object)
             : nullptr;
}

// The library hands out several objects for one stored row (through its indexes, or read
// afresh), so the same library and id make the same object.
bool sameLibrary(const stocklib::Object& a, const stocklib::Object& b) {
  std::shared_ptr<stocklib::Library> library = a.library();
  return library && library == b.library();
}

bool sameSet(const OdRxObject* candidate, const OdRxObject* wanted) {
  if (candidate == wanted) return true;
  const stocklib::Object* a = storedObject(candidate);
  const stocklib::Object* b = storedObject(wanted);
  return a && b && a->id() != 0 && a->id() == b->id() && a->objectType() == b->objectType() &&
         sameLibrary(*a, *b);
}

bool inNamespace(const OdRxObject* set, const OdRxObject* ns) {
  const stocklib::Object* wanted = storedObject(ns);
  if (!wanted || !set || !set->isKindOf(stocklib::PropertySet::desc())) return false;
  const auto* candidate = static_cast<const stocklib::PropertySet*>(set);
  if (wanted->id() == 0) {
    KcSmartPtr<const stocklib::PropertyNamespace> own = candidate->property_namespace();
    return own && own.get() == wanted;
  }
  return candidate->namespace_id() == wanted->id() &&
         wanted->objectType() == stocklib::ObjectType::PropertyNamespace &&
         sameLibrary(*candidate, *wanted);
}

}  // namespace

DynamicProperties::DynamicProperties(std::shared_ptr<ILibrary> library, OdRxObjectPtr object)
    : DynamicProperties(std::move(library), std::move(object), nullptr, nullptr, false) {}

DynamicProperties::DynamicProperties(std::shared_ptr<ILibrary> library, OdRxObjectPtr object,
                                     std::shared_ptr<IPropertySet> set)
    : DynamicProperties(std::move(library), std::move(object), std::move(set), nullptr, false) {}

DynamicProperties::DynamicProperties(std::shared_ptr<ILibrary> library, OdRxObjectPtr object,
                                     std::shared_ptr<IPropertyNamespace> ns)
    : DynamicProperties(std::move(library), std::move(object), nullptr, std::move(ns), false) {}

DynamicProperties::DynamicProperties(OdRxObjectPtr object, StaticPropertiesTag)
    : DynamicProperties(nullptr, std::move(object), nullptr, nullptr, true) {}

DynamicProperties::DynamicProperties(std::shared_ptr<ILibrary> library, OdRxObjectPtr object,
                                     std::shared_ptr<IPropertySet> set,
                                     std::shared_ptr<IPropertyNamespace> ns, bool staticOnly)
    : m_library(library) {
  const DbProperties* container = DbProperties::get(static_cast<const OdRxObject*>(object.get()));
  const bool unfiltered = !set && !ns;
  if (unfiltered && container) {
    for (const auto& [name, stored] : *container)
      if (stored->isMapped())
        m_properties.emplace_back(library, object, PropertyKey::fromString(name), true);
  }
  if (staticOnly) return;

  std::set<PropertyKey> definedKeys;
  if (library) {
    const auto sets = container
                          ? library->propertySets(object->isA(), container->instancePropertySets())
                          : library->propertySets(object->isA());
    const auto* wantedSet = set ? set->object() : nullptr;
    const auto* wantedNs = ns ? ns->object() : nullptr;
    // A definition reached twice is listed once; unsaved ones (id 0) are each their own.
    std::unordered_set<std::uint32_t> propertyIds, valueIds;
    for (const auto& candidate : sets) {
      if (set && !sameSet(candidate->object(), wantedSet)) continue;
      if (ns && !inNamespace(candidate->object(), wantedNs)) continue;
      for (auto& definition : candidate->propertyDefinitions()) {
        if (definition->id() != 0 && !propertyIds.insert(definition->id()).second) continue;
        definedKeys.emplace(definition->ns(), definition->name());
        m_properties.emplace_back(object, std::move(definition), candidate);
      }
      for (auto& definition : candidate->valueDefinitions()) {
        if (definition->id() != 0 && !valueIds.insert(definition->id()).second) continue;
        definedKeys.emplace(definition->ns(), definition->name());
        m_properties.emplace_back(object, std::move(definition), candidate);
      }
    }
  }

  if (unfiltered && container) {
    for (const auto& [name, stored] : *container) {
      if (stored->isMapped()) continue;
      PropertyKey key = PropertyKey::fromString(name);
      if (definedKeys.count(key) == 0) m_properties.emplace_back(library, object, key, true);
    }
  }
}

bool DynamicProperties::isAnySet() const {
  for (const DynamicProperty& property : m_properties)
    if (property.isSet()) return true;
  return false;
}

void DynamicProperties::resetAllValues() {
  for (DynamicProperty& property : m_properties)
    (void)property.resetValue();
}

void DynamicProperties::purgeValues() {
  const std::shared_ptr<Library> wrapper = m_library ? m_library->library<Library>() : nullptr;
  for (auto it = m_properties.rbegin(); it != m_properties.rend(); ++it) {
    if (it->propertySet()) return;
    std::shared_ptr<DbProperty> stored = it->property();
    if (stored && stored->isMapped()) return;
    // The listing follows objects anyone may have changed in memory; only the file decides
    // that a value has lost its definition.
    if (m_library && (!wrapper || wrapper->storeDefines(it->propertyKey()))) continue;
    (void)it->resetValue();
  }
}

}  // namespace sl_db

// DynamicProperties: building the three runs of an object's properties, and resetting and purging
// their stored values.
#include "sl_db/DynamicProperties.h"

#include <set>
#include <unordered_set>

#include "dbprops/DbProperties.h"
#include "sl_db/IDefinitions.h"
#include "sl_db/ILibrary.h"

namespace sl_db {

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
                                     std::shared_ptr<IPropertyNamespace> ns, bool staticOnly) {
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
    std::unordered_set<std::uint32_t> propertyIds, valueIds;
    for (const auto& candidate : sets) {
      if (set && candidate->object() != wantedSet) continue;
      if (ns) {
        std::shared_ptr<IPropertyNamespace> candidateNs = candidate->propertyNamespace();
        if (!candidateNs || candidateNs->object() != wantedNs) continue;
      }
      for (auto& definition : candidate->propertyDefinitions()) {
        if (!propertyIds.insert(definition->id()).second) continue;
        definedKeys.emplace(definition->ns(), definition->name());
        m_properties.emplace_back(object, std::move(definition), candidate);
      }
      for (auto& definition : candidate->valueDefinitions()) {
        if (!valueIds.insert(definition->id()).second) continue;
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
  for (auto it = m_properties.rbegin(); it != m_properties.rend(); ++it) {
    if (it->propertySet()) return;
    std::shared_ptr<DbProperty> stored = it->property();
    if (stored && stored->isMapped()) return;
    (void)it->resetValue();
  }
}

}  // namespace sl_db

// oa::PropertySource: the framework's walks over definitions and its lookups.
#include "oa/PropertySource.h"

namespace oa {

ODRX_DEFINE_MEMBERS_EX(PropertySource, KcRxObject, OdString("oa::PropertySource"), OdRxObjectPtr(),
                       0, 0, 0, OdString(), OdString())
PropertySource::~PropertySource() = default;

namespace {

// Appends `definition` and, depth-first, its children for `object`.
void walk(PropertyInfoArray& infos, const PropertyDefinitionPtr& definition,
          const PropertyDefinitionPtr& parent, unsigned int level, const OdRxObject* object) {
  infos.append(PropertyInfo{definition, parent, level});
  if (level >= PropertySource::kMaxChildLevel) return;
  PropertyDefinitionArray children;
  definition->getChildren(children, object, PropertyOptions::Object());
  for (const PropertyDefinitionPtr& child : children) {
    if (child) walk(infos, child, definition, level + 1, object);
  }
}

void walkAll(PropertyInfoArray& infos, const PropertyDefinitionArray& definitions,
             const OdRxObject* object, bool applicableOnly) {
  for (const PropertyDefinitionPtr& definition : definitions) {
    if (!definition) continue;
    if (applicableOnly && !definition->isApplicable(object, nullptr)) continue;
    walk(infos, definition, PropertyDefinitionPtr(), 0, object);
  }
}

template <class Match>
PropertyDefinitionPtr findIn(const PropertyInfoArray& infos, Match match) {
  for (const PropertyInfo& info : infos) {
    if (match(*info.definition)) return info.definition;
  }
  return PropertyDefinitionPtr();
}

}  // namespace

bool PropertySource::getAllPropertyDefinitions(PropertyInfoArray& infos,
                                               const OdRxObject* object) const {
  PropertyDefinitionArray definitions;
  getPropertyDefinitions(definitions, object, PropertyOptions::Object());
  const auto before = infos.size();
  walkAll(infos, definitions, object, true);
  return infos.size() != before;
}

bool PropertySource::getPropertyDefinitions(PropertyDefinitionArray&, const OdRxObject*,
                                            const PropertyOptions::Object&) const {
  return false;
}

bool PropertySource::getPropertyDefinitions(PropertyDefinitionArray&, const OdRxClass*,
                                            const PropertyOptions::Type&) const {
  return false;
}

PropertyDefinitionPtr PropertySource::getPropertyDefinition(const OdRxObject* object,
                                                            const OdString& qualifiedName) const {
  PropertyInfoArray infos;
  getAllPropertyDefinitions(infos, object);
  return findIn(infos,
                [&](const PropertyDefinition& d) { return d.qualifiedName() == qualifiedName; });
}

PropertyDefinitionPtr PropertySource::getPropertyDefinition(const OdRxObject* object,
                                                            const ut::UUID& id) const {
  PropertyInfoArray infos;
  getAllPropertyDefinitions(infos, object);
  return findIn(infos, [&](const PropertyDefinition& d) { return d.GUID() == id; });
}

PropertyDefinitionPtr PropertySource::getPropertyDefinition(const OdRxClass* cls,
                                                            const OdString& qualifiedName) const {
  PropertyDefinitionArray definitions;
  getPropertyDefinitions(definitions, cls, PropertyOptions::Type());
  PropertyInfoArray infos;
  walkAll(infos, definitions, nullptr, false);
  return findIn(infos,
                [&](const PropertyDefinition& d) { return d.qualifiedName() == qualifiedName; });
}

PropertyDefinitionPtr PropertySource::getPropertyDefinition(const OdRxClass* cls,
                                                            const ut::UUID& id) const {
  PropertyDefinitionArray definitions;
  getPropertyDefinitions(definitions, cls, PropertyOptions::Type());
  PropertyInfoArray infos;
  walkAll(infos, definitions, nullptr, false);
  return findIn(infos, [&](const PropertyDefinition& d) { return d.GUID() == id; });
}

}  // namespace oa

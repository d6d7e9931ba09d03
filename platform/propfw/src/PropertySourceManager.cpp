// oa::PropertySourceManager: the ordered set of sources.
#include "oa/PropertySourceManager.h"

#include <algorithm>

namespace oa {

ODRX_DEFINE_MEMBERS_EX(PropertySourceManager, KcRxObject, OdString("oa::PropertySourceManager"),
                       OdRxObjectPtr(), 0, 0, 0, OdString(), OdString())

PropertySourceManager::PropertySourceManager(const OdString& name, const ut::UUID& id)
    : m_name(name), m_id(id) {}
PropertySourceManager::~PropertySourceManager() = default;

bool PropertySourceManager::add(const PropertySourcePtr& source) {
  if (!source) return false;
  const ut::UUID id = source->GUID();
  for (const PropertySourcePtr& held : m_sources) {
    if (held->GUID() == id) return false;
  }
  m_sources.push_back(source);
  return true;
}

bool PropertySourceManager::remove(const PropertySource* source) {
  if (!source) return false;
  const ut::UUID id = source->GUID();
  auto it = std::find_if(m_sources.begin(), m_sources.end(),
                         [&](const PropertySourcePtr& held) { return held->GUID() == id; });
  if (it == m_sources.end()) return false;
  m_sources.erase(it);
  return true;
}

}  // namespace oa

// oa::PropertySourceManager: a named, identified, ordered set of property sources, through which
// a palette asks all of them at once.
#pragma once
/// @file
/// A named, ordered set of property sources asked all at once.

#include <vector>

#include "oa/PropertySource.h"
#include "oa/PropfwExport.h"
#include "ut/KcRxObject.h"
#include "ut/UUID.h"

namespace oa {

/// Runtime class "oa::PropertySourceManager"; often a static object (OdStaticRxObject).
class PROPFW_API PropertySourceManager : public KcRxObject {
  ODRX_DECLARE_MEMBERS_API(PROPFW_API, PropertySourceManager)
 public:
  using const_iterator = std::vector<PropertySourcePtr>::const_iterator;

  PropertySourceManager(const OdString& name, const ut::UUID& id);
  ~PropertySourceManager() override;

  const OdString& name() const { return m_name; }
  const ut::UUID& GUID() const { return m_id; }

  /// add: appends `source` (one reference kept). False, nothing added, for null or for a source
  /// whose GUID() is already held.
  bool add(const PropertySourcePtr& source);
  /// remove: removes the source with the GUID of `source`; false when none is held.
  bool remove(const PropertySource* source);
  /// The sources in the order they were added.
  const_iterator begin() const { return m_sources.begin(); }
  const_iterator end() const { return m_sources.end(); }
  std::size_t size() const { return m_sources.size(); }

 private:
  OdString m_name;
  ut::UUID m_id;
  std::vector<PropertySourcePtr> m_sources;
};

}  // namespace oa

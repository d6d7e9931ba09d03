// oa::PropertyCategory and its plain implementation.
#include "oa/PropertyCategory.h"

namespace oa {

ODRX_DEFINE_MEMBERS_EX(PropertyCategory, KcRxObject, OdString("oa::PropertyCategory"),
                       OdRxObjectPtr(), 0, 0, 0, OdString(), OdString())
PropertyCategory::~PropertyCategory() = default;

PropertyCategoryImpl::PropertyCategoryImpl(const ut::UUID& id, const OdString& globalName,
                                           const OdString& localName, unsigned int weight,
                                           const PropertyCategory* parent)
    : m_id(id),
      m_globalName(globalName),
      m_localName(localName),
      m_weight(weight),
      m_parent(parent) {}
PropertyCategoryImpl::~PropertyCategoryImpl() = default;

}  // namespace oa

// oa attributes: category, enumeration items, boolean labels.
#include "oa/Attributes.h"

namespace oa {

ODRX_DEFINE_MEMBERS_EX(Attribute, KcRxObject, OdString("oa::Attribute"), OdRxObjectPtr(), 0, 0, 0,
                       OdString(), OdString())
Attribute::~Attribute() = default;

ODRX_DEFINE_MEMBERS_EX(CategoryAttribute, Attribute, OdString("oa::CategoryAttribute"),
                       OdRxObjectPtr(), 0, 0, 0, OdString(), OdString())
const unsigned int CategoryAttribute::s_cDefaultPropertyWeight = 1000;
CategoryAttribute::~CategoryAttribute() = default;

CategoryAttributeImpl::CategoryAttributeImpl(const PropertyCategory* category, unsigned int weight)
    : m_category(category), m_weight(weight) {}
CategoryAttributeImpl::~CategoryAttributeImpl() = default;

ODRX_DEFINE_MEMBERS_EX(EnumerationAttribute, Attribute, OdString("oa::EnumerationAttribute"),
                       OdRxObjectPtr(), 0, 0, 0, OdString(), OdString())
EnumerationAttribute::~EnumerationAttribute() = default;

KcSmartPtr<EnumerationAttribute> EnumerationAttribute::createObject(
    const std::vector<Item>& items) {
  KcSmartPtr<EnumerationAttribute> attribute = KcRxObjectImpl<EnumerationAttribute>::createObject();
  attribute->m_items.reserve(items.size());
  for (const Item& item : items)
    attribute->m_items.insert(item);
  return attribute;
}

bool EnumerationAttribute::labelOf(const tdx::PropertyValue& value, OdString& label) const {
  for (const auto& item : m_items) {
    if (item.second.sameContent(value)) {
      label = item.first;
      return true;
    }
  }
  return false;
}

ODRX_DEFINE_MEMBERS_EX(BooleanValueAttribute, Attribute, OdString("oa::BooleanValueAttribute"),
                       OdRxObjectPtr(), 0, 0, 0, OdString(), OdString())

BooleanValueAttribute::BooleanValueAttribute(const OdString& trueLabel, const OdString& falseLabel)
    : m_true(trueLabel), m_false(falseLabel) {}
BooleanValueAttribute::~BooleanValueAttribute() = default;

KcSmartPtr<BooleanValueAttribute> BooleanValueAttribute::createObject(const OdString& trueLabel,
                                                                      const OdString& falseLabel) {
  return KcRxObjectImpl<BooleanValueAttribute>::createObject(trueLabel, falseLabel);
}

const BooleanValueAttribute* BooleanValueAttribute::getYesNo() {
  static OdStaticRxObject<BooleanValueAttribute> yesNo(OdString(L"Yes"), OdString(L"No"));
  return &yesNo;
}

}  // namespace oa

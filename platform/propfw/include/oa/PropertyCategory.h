// oa::PropertyCategory: a group of palette properties, with an identifier, names, a weight that
// orders categories (lower first) and an optional parent category.
#pragma once
/// @file
/// Categories that group and order palette properties.

#include "oa/PropfwExport.h"
#include "ut/KcRxObject.h"
#include "ut/UUID.h"

namespace oa {

class PROPFW_API PropertyCategory : public KcRxObject {
  ODRX_DECLARE_MEMBERS_API(PROPFW_API, PropertyCategory)
 public:
  ~PropertyCategory() override;
  virtual ut::UUID GUID() const = 0;
  virtual OdString globalName() const = 0;
  /// localName: the name shown to the user.
  virtual OdString localName() const = 0;
  /// weight: categories are shown in ascending weight.
  virtual unsigned int weight() const = 0;
  /// parent: the enclosing category, or null.
  virtual const PropertyCategory* parent() const = 0;
};

/// A category with fixed fields; made with KcRxObjectImpl<PropertyCategoryImpl>::createObject.
class PROPFW_API PropertyCategoryImpl : public PropertyCategory {
 public:
  PropertyCategoryImpl(const ut::UUID& id, const OdString& globalName, const OdString& localName,
                       unsigned int weight, const PropertyCategory* parent);
  ~PropertyCategoryImpl() override;
  ut::UUID GUID() const override { return m_id; }
  OdString globalName() const override { return m_globalName; }
  OdString localName() const override { return m_localName; }
  unsigned int weight() const override { return m_weight; }
  const PropertyCategory* parent() const override { return m_parent.get(); }

 private:
  ut::UUID m_id;
  OdString m_globalName;
  OdString m_localName;
  unsigned int m_weight;
  KcSmartPtr<const PropertyCategory> m_parent;
};

}  // namespace oa

// oa attributes: extra facts a palette definition gives about itself when asked for an attribute
// class: its category and weight, the items of an enumeration, the labels of a boolean.
#pragma once
/// @file
/// Attributes a palette definition gives about itself: category, weight, items, labels.

#include <utility>
#include <vector>

#include "oa/PropertyCategory.h"
#include "oa/PropfwExport.h"
#include "tdx/PropertyValue.h"
#include "ut/KcRxObject.h"
#include "ut/vector_map.h"

namespace oa {

/// Base of attributes (runtime class "oa::Attribute").
class PROPFW_API Attribute : public KcRxObject {
  ODRX_DECLARE_MEMBERS_API(PROPFW_API, Attribute)
 public:
  ~Attribute() override;
};

/// The category of a definition and its weight inside the category (lower shown first).
class PROPFW_API CategoryAttribute : public Attribute {
  ODRX_DECLARE_MEMBERS_API(PROPFW_API, CategoryAttribute)
 public:
  /// The weight of a property that asks for no particular place.
  static const unsigned int s_cDefaultPropertyWeight;

  ~CategoryAttribute() override;
  /// category: the category, or null (the property is then shown under "General").
  virtual const PropertyCategory* category() const = 0;
  virtual unsigned int weight() const = 0;
};

/// A category attribute with fixed fields; often embedded as OdStaticRxObject in a definition.
class PROPFW_API CategoryAttributeImpl : public CategoryAttribute {
 public:
  explicit CategoryAttributeImpl(const PropertyCategory* category,
                                 unsigned int weight = s_cDefaultPropertyWeight);
  ~CategoryAttributeImpl() override;
  const PropertyCategory* category() const override { return m_category.get(); }
  unsigned int weight() const override { return m_weight; }

 private:
  KcSmartPtr<const PropertyCategory> m_category;
  unsigned int m_weight;
};

/// The items of an enumeration: labels and their palette values.
class PROPFW_API EnumerationAttribute : public Attribute {
  ODRX_DECLARE_MEMBERS_API(PROPFW_API, EnumerationAttribute)
 public:
  /// Items by label; the map keeps labels in ascending UTF-16 order.
  using Items = ut::vector_map<OdString, tdx::PropertyValue>;
  using Item = std::pair<OdString, tdx::PropertyValue>;

  ~EnumerationAttribute() override;
  /// createObject: a new attribute holding `items`; of two items with the same label the first
  /// is kept.
  static KcSmartPtr<EnumerationAttribute> createObject(const std::vector<Item>& items);

  const Items& items() const { return m_items; }
  /// items: the item map, open for insertion.
  Items& items() { return m_items; }
  /// labelOf: the label of the first item whose value has the same kind and content as `value`;
  /// false (and `label` unchanged) when none has.
  bool labelOf(const tdx::PropertyValue& value, OdString& label) const;

 protected:
  EnumerationAttribute() = default;

 private:
  Items m_items;
};

/// The labels shown for true and false.
class PROPFW_API BooleanValueAttribute : public Attribute {
  ODRX_DECLARE_MEMBERS_API(PROPFW_API, BooleanValueAttribute)
 public:
  BooleanValueAttribute(const OdString& trueLabel, const OdString& falseLabel);
  ~BooleanValueAttribute() override;
  /// createObject: a new attribute with these labels.
  static KcSmartPtr<BooleanValueAttribute> createObject(const OdString& trueLabel,
                                                        const OdString& falseLabel);
  /// getYesNo: the shared attribute "Yes" / "No"; never null, never freed.
  static const BooleanValueAttribute* getYesNo();

  const OdString& trueLabel() const { return m_true; }
  const OdString& falseLabel() const { return m_false; }
  const OdString& label(bool value) const { return value ? m_true : m_false; }

 private:
  OdString m_true;
  OdString m_false;
};

}  // namespace oa

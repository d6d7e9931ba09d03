// oa attributes: extra facts a palette definition gives about itself when asked for an attribute
// class: its category and weight, the items of an enumeration, the labels of a boolean.
#pragma once
/// @file
/// Attributes a palette definition gives about itself: category, weight, items, labels.

#include <algorithm>
#include <utility>
#include <vector>

#include "oa/PropertyCategory.h"
#include "oa/PropfwExport.h"
#include "tdx/PropertyValue.h"
#include "ut/KcRxObject.h"

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

/// EnumerationItems: labels and their palette values in the order they were added (a palette
/// lists them so: "None" stays first whatever the language sorts before it); one item per label.
class EnumerationItems {
 public:
  using value_type = std::pair<OdString, tdx::PropertyValue>;
  using container_type = std::vector<value_type>;
  using iterator = container_type::iterator;
  using const_iterator = container_type::const_iterator;
  using size_type = container_type::size_type;

  /// insert: appends the item unless its label is present; answers the entry and whether it
  /// was added.
  std::pair<iterator, bool> insert(const value_type& item) {
    iterator it = find(item.first);
    if (it != m_items.end()) return {it, false};
    m_items.push_back(item);
    return {m_items.end() - 1, true};
  }
  std::pair<iterator, bool> insert(const OdString& label, const tdx::PropertyValue& value) {
    return insert(value_type(label, value));
  }
  /// find: the item of `label`; end() when none.
  iterator find(const OdString& label) {
    return std::find_if(m_items.begin(), m_items.end(),
                        [&](const value_type& item) { return item.first == label; });
  }
  const_iterator find(const OdString& label) const {
    return std::find_if(m_items.begin(), m_items.end(),
                        [&](const value_type& item) { return item.first == label; });
  }
  bool contains(const OdString& label) const { return find(label) != end(); }
  /// erase: removes the item of `label`; answers how many went (0 or 1).
  size_type erase(const OdString& label) {
    iterator it = find(label);
    if (it == m_items.end()) return 0;
    m_items.erase(it);
    return 1;
  }
  size_type size() const { return m_items.size(); }
  bool empty() const { return m_items.empty(); }
  void clear() { m_items.clear(); }
  void reserve(size_type n) { m_items.reserve(n); }
  iterator begin() { return m_items.begin(); }
  iterator end() { return m_items.end(); }
  const_iterator begin() const { return m_items.begin(); }
  const_iterator end() const { return m_items.end(); }

 private:
  container_type m_items;
};

/// The items of an enumeration: labels and their palette values.
class PROPFW_API EnumerationAttribute : public Attribute {
  ODRX_DECLARE_MEMBERS_API(PROPFW_API, EnumerationAttribute)
 public:
  /// Items in the order they were added, one per label.
  using Items = EnumerationItems;
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

// Test fixtures of the palette framework: a wall object and definitions built from functions.
#pragma once

#include <functional>
#include <vector>

#include "oa/Attributes.h"
#include "oa/PropType.h"
#include "oa/PropertyDefinition.h"
#include "oa/PropertySource.h"

namespace fixtures {

struct Wall : OdRxObject {
  OdString name = L"Outer wall";
  bool hasHeight = true;
  double height = 2.75;
  std::int64_t kind = 2;
  bool locked = false;
};
using WallObject = OdRxObjectImpl<Wall>;

inline const Wall* asWall(const OdRxObject* object) {
  return dynamic_cast<const Wall*>(object);
}

// A definition whose behaviour is given by functions; children are made on each request.
class TestDefinition : public oa::PropertyDefinition {
 public:
  using Getter = std::function<bool(tdx::PropertyValue&, const Wall&)>;
  using Setter = std::function<bool(Wall&, const tdx::PropertyValue&)>;
  struct Spec {
    OdString name;
    OdString label;
    const oa::PropType* type = oa::PropType::String::getType();
    Getter get;
    Setter set;
    const oa::PropertyCategory* category = nullptr;
    unsigned int weight = oa::CategoryAttribute::s_cDefaultPropertyWeight;
    bool readOnly = false;
    const oa::PropertyNamespace* ns = nullptr;
    KcSmartPtr<const oa::Attribute> extra;  // answered for its own class
    std::vector<Spec> children;
  };

  TestDefinition(Spec spec, oa::PropertyDefinitionPtr parent)
      : m_spec(std::move(spec)),
        m_parent(std::move(parent)),
        m_category(m_spec.category, m_spec.weight) {}

  static oa::PropertyDefinitionPtr make(const Spec& spec,
                                        oa::PropertyDefinitionPtr parent = nullptr) {
    return KcRxObjectImpl<TestDefinition>::createObject(spec, parent);
  }

  ut::UUID GUID() const override {
    return ut::UUID::s_cURLNameSpace.generate(OdString(L"test:") + m_spec.name);
  }
  OdString globalName() const override { return m_spec.name; }
  OdString localName() const override { return m_spec.label; }
  const oa::PropertyNamespace* propertyNamespace() const override { return m_spec.ns; }
  const oa::PropType* type() const override { return m_spec.type; }
  KcSmartPtr<const oa::Attribute> getAttribute(const OdRxClass* cls, const OdRxObject* object,
                                               const OdRxObject* context) const override {
    if (cls == oa::CategoryAttribute::desc() && m_spec.category) return &m_category;
    if (m_spec.extra && m_spec.extra->isKindOf(cls)) return m_spec.extra;
    return oa::PropertyDefinition::getAttribute(cls, object, context);
  }
  bool isReadOnly(const OdRxObject*, const OdRxObject*) const override { return m_spec.readOnly; }
  bool getValue(tdx::PropertyValue& value, const OdRxObject* object,
                const OdRxObject*) const override {
    const Wall* wall = asWall(object);
    return wall && m_spec.get && m_spec.get(value, *wall);
  }
  bool setValue(OdRxObject* object, const tdx::PropertyValue& value,
                const OdRxObject*) const override {
    Wall* wall = dynamic_cast<Wall*>(object);
    return wall && m_spec.set && !m_spec.readOnly && m_spec.set(*wall, value);
  }
  bool getChildren(oa::PropertyDefinitionArray& children, const OdRxObject*,
                   const oa::PropertyOptions::Object&) const override {
    for (const Spec& child : m_spec.children) {
      children.append(make(child, oa::PropertyDefinitionPtr(const_cast<TestDefinition*>(this))));
    }
    return !m_spec.children.empty();
  }
  oa::PropertyDefinitionPtr getParent() const override { return m_parent; }

 private:
  Spec m_spec;
  oa::PropertyDefinitionPtr m_parent;
  OdStaticRxObject<oa::CategoryAttributeImpl> m_category;
};

// A source listing fixed definitions for walls when the flag bits `bits` are asked for.
class TestSource : public oa::PropertySource {
 public:
  TestSource(OdString name, std::vector<oa::PropertyDefinitionPtr> definitions,
             std::uint32_t bits = oa::PropertyOptions::kStatic)
      : m_name(std::move(name)), m_definitions(std::move(definitions)), m_bits(bits) {}
  ut::UUID GUID() const override { return ut::UUID::s_cURLNameSpace.generate(m_name); }
  OdString name() const override { return m_name; }
  bool getPropertyDefinitions(oa::PropertyDefinitionArray& out, const OdRxObject* object,
                              const oa::PropertyOptions::Object& options) const override {
    if (!(options.flags() & m_bits) || !asWall(object)) return false;
    for (const auto& d : m_definitions)
      out.append(d);
    return !m_definitions.empty();
  }
  bool getPropertyDefinitions(oa::PropertyDefinitionArray& out, const OdRxClass*,
                              const oa::PropertyOptions::Type&) const override {
    for (const auto& d : m_definitions)
      out.append(d);
    return !m_definitions.empty();
  }

 private:
  OdString m_name;
  std::vector<oa::PropertyDefinitionPtr> m_definitions;
  std::uint32_t m_bits;
};

}  // namespace fixtures

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
};
using WallObject = OdRxObjectImpl<Wall>;

// A definition whose behaviour is given by functions; children are made on each request.
class TestDefinition : public oa::PropertyDefinition {
 public:
  // The value of a wall; one of kind kNone when it cannot be read.
  using Getter = std::function<tdx::PropertyValue(const Wall&)>;
  struct Spec {
    OdString name, label;
    const oa::PropType* type;
    Getter get;
    const oa::PropertyCategory* category;
    bool readOnly = false;
    KcSmartPtr<const oa::Attribute> extra;  // answered for its own class
    std::vector<Spec> children;
    Spec(OdString name, const oa::PropType* type = oa::PropType::String::getType(),
         Getter get = nullptr, const oa::PropertyCategory* category = nullptr)
        : name(std::move(name)), type(type), get(std::move(get)), category(category) {}
  };

  explicit TestDefinition(Spec spec) : m_spec(std::move(spec)), m_category(m_spec.category) {}
  static oa::PropertyDefinitionPtr make(const Spec& spec) {
    return KcRxObjectImpl<TestDefinition>::createObject(spec);
  }

  ut::UUID GUID() const override {
    return ut::UUID::s_cURLNameSpace.generate(OdString(L"test:") + m_spec.name);
  }
  OdString globalName() const override { return m_spec.name; }
  OdString localName() const override { return m_spec.label; }
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
    const Wall* wall = dynamic_cast<const Wall*>(object);
    tdx::PropertyValue got = wall && m_spec.get ? m_spec.get(*wall) : tdx::PropertyValue();
    if (got.kind() == tdx::PropertyValue::kNone) return false;
    got.swap(value);
    return true;
  }
  bool getChildren(oa::PropertyDefinitionArray& children, const OdRxObject*,
                   const oa::PropertyOptions::Object&) const override {
    for (const Spec& child : m_spec.children)
      children.append(make(child));
    return !m_spec.children.empty();
  }

 private:
  Spec m_spec;
  OdStaticRxObject<oa::CategoryAttributeImpl> m_category;
};

// A source listing fixed definitions for walls.
class TestSource : public oa::PropertySource {
 public:
  TestSource(OdString name, std::vector<oa::PropertyDefinitionPtr> definitions)
      : m_name(std::move(name)), m_definitions(std::move(definitions)) {}
  ut::UUID GUID() const override { return ut::UUID::s_cURLNameSpace.generate(m_name); }
  OdString name() const override { return m_name; }
  bool getPropertyDefinitions(oa::PropertyDefinitionArray& out, const OdRxObject* object,
                              const oa::PropertyOptions::Object&) const override {
    if (!dynamic_cast<const Wall*>(object)) return false;
    return getPropertyDefinitions(out, nullptr, oa::PropertyOptions::Type());
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
};

}  // namespace fixtures

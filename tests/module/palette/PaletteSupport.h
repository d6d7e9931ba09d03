// Shared pieces of the palette tests: definitions by global name, reads, and a class derived
// from stocklib::Material with a runtime class of its own.
#pragma once

#include "RxClass.h"
#include "TestSupport.h"
#include "oa/PropertySource.h"
#include "sl_db/PropertySources.h"
#include "stocklib/Library.h"
#include "stocklib/Materials.h"

namespace paltest {

using Value = tdx::PropertyValue;

/// The definitions `source` gives for `object` with the option bits `bits`.
inline oa::PropertyDefinitionArray definitions(const oa::PropertySource& source,
                                               const OdRxObject* object, std::uint32_t bits) {
  oa::PropertyDefinitionArray out;
  source.getPropertyDefinitions(out, object, oa::PropertyOptions::Object(bits));
  return out;
}

inline std::vector<OdString> globalNames(const oa::PropertyDefinitionArray& definitions) {
  std::vector<OdString> names;
  for (const auto& d : definitions)
    names.push_back(d->globalName());
  return names;
}

/// The static definition of that global name for `object` (a material or a composition).
inline oa::PropertyDefinitionPtr staticDefinition(const OdRxObject* object, const wchar_t* name) {
  for (const auto& d : definitions(*sl_db::createStocklibStaticPropertySource(), object, 1))
    if (d->globalName() == name) return d;
  ADD_FAILURE() << "no static definition " << OdString(name).toUtf8();
  return oa::PropertyDefinitionPtr();
}

/// read: what `definition` reads from `object`; a value of no kind when the read fails.
inline Value read(const oa::PropertyDefinitionPtr& definition, const OdRxObject* object) {
  Value value;
  if (!definition->getValue(value, object, nullptr)) return Value();
  return value;
}

/// A material of a class derived from stocklib::Material.
class DerivedMaterial : public stocklib::Material {
 public:
  static OdRxClass* desc() {
    static OdRxClass* cls = newOdRxClass(L"PaletteTestMaterial", stocklib::Material::desc());
    return cls;
  }
  OdRxClass* isA() const override { return desc(); }
  OdRxObject* queryX(const OdRxClass* cls) const override {
    if (cls != desc()) return stocklib::Material::queryX(cls);
    addRef();
    return const_cast<DerivedMaterial*>(this);
  }
};

}  // namespace paltest

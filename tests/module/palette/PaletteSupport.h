// Shared pieces of the palette tests: definitions by global name, reads, and a class derived
// from stocklib::Material with a runtime class of its own.
#pragma once

#include <functional>
#include <sstream>
#include <string>

#include "DataRows.h"
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

/// value: a value written as its kind, its content ("-": none; a text runs to the end) and its
/// state words (absent, varies, or bits as a number), as in data/palette-writes.txt.
inline Value value(const std::string& cell) {
  std::istringstream in(cell);
  std::string kind, content;
  in >> kind >> content;
  if (kind == "none") return Value();
  if (kind == "text" && content != "-") return Value(OdString::fromUtf8(cell.substr(5)));
  std::uint32_t state = 0;
  for (std::string w; in >> w;)
    state |= w == "absent"   ? std::uint32_t(Value::kNoValue)
             : w == "varies" ? std::uint32_t(Value::kVaries)
                             : std::uint32_t(std::stoul(w));
  const Value::Kind k = kind == "boolean"   ? Value::kBoolean
                        : kind == "integer" ? Value::kInteger
                        : kind == "real"    ? Value::kReal
                                            : Value::kString;
  Value v = content == "-"         ? Value(k, 0, state)
            : k == Value::kBoolean ? Value(content == "true")
            : k == Value::kReal    ? Value(std::stod(content))
                                   : Value::integer(std::stoll(content));
  v.setState(state);
  return v;
}

/// runWrites: the steps of data/palette-writes.txt marked `step`, on `object`, with the
/// definitions `find` gives by global name (by default the static ones).
inline void runWrites(const char* step, OdRxObject* object,
                      std::function<oa::PropertyDefinitionPtr(const OdString&)> find = {}) {
  for (const auto& row : sltest::dataRows("palette-writes.txt", 5)) {
    if (row[0] != step) continue;
    SCOPED_TRACE(row[0] + " " + row[1] + " " + row[2]);
    const OdString name = OdString::fromUtf8(row[1]);
    auto definition = find ? find(name) : staticDefinition(object, name);
    if (!row[2].empty()) {
      EXPECT_EQ(definition->setValue(object, value(row[2]), nullptr), row[3] == "yes");
    }
    if (!row[4].empty()) {
      EXPECT_EQ(read(definition, object), value(row[4]));
    }
  }
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

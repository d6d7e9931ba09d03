// sldb palette: a material's or composition's palette as the module's sources show it, and
// edits through their definitions exactly as a palette makes them, saved into the primary.
#include <wx/arrstr.h>
#include <wx/translation.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>

#include "CommandsModule.h"
#include "CompositionCommand.h"
#include "DbDatabase.h"
#include "Session.h"
#include "oa/PaletteText.h"
#include "sl_db/DocumentLibrariesManager.h"
#include "sl_db/LibraryPaths.h"
#include "sl_db/PropertySources.h"
#include "stocklib/Library.h"
#include "stocklib/Materials.h"
#include "ut/FileUtils.h"
#include "ut/NumberText.h"

namespace sldb {

namespace {

// ---- Language of the palette's labels ----

/// Loads a language's catalogue from the support folder only, so no other installed catalogue
/// of the same domain can answer in its place.
class SupportFolderLoader : public wxTranslationsLoader {
 public:
  wxMsgCatalog* LoadCatalog(const wxString& domain, const wxString& language) override {
    const OdString path = sl_db::detail::supportFolderPath() + L"/locale/" +
                          OdString(language.wc_str()) + L"/LC_MESSAGES/" +
                          OdString(domain.wc_str()) + L".mo";
    if (!ut::fileExists(path)) return nullptr;
    return wxMsgCatalog::CreateFromFile(wxString(path.c_str()), domain);
  }
  wxArrayString GetAvailableTranslations(const wxString&) const override { return wxArrayString(); }
};

// ---- Finding the object and its definitions ----

struct Found {
  KcSmartPtr<stocklib::Object> object;
  bool inPrimary = false;
};

template <class T>
Found find(const sl_db::DocumentLibraries& docs, const OdString& name, const std::string& from) {
  const stocklib::NameKey key(name);
  if (from != "secondaries") {
    if (KcSmartPtr<T> object = docs.getFromPrimary<T>(key)) return {object, true};
  }
  if (from != "primary") {
    if (KcSmartPtr<T> object = docs.getFromSecondaries<T>(key)) return {object, false};
  }
  return {};
}

/// The definition labelled `label` (else of that global name) among everything the palette
/// shows for `object`, children included; null when none.
oa::PropertyDefinitionPtr definitionNamed(const OdRxObject* object, const OdString& label) {
  oa::PropertyInfoArray infos;
  for (const oa::PropertySourcePtr& source : sl_db::stocklibPropertySources())
    source->getAllPropertyDefinitions(infos, object);
  for (const oa::PropertyInfo& info : infos)
    if (info.definition->label() == label) return info.definition;
  for (const oa::PropertyInfo& info : infos)
    if (info.definition->globalName() == label) return info.definition;
  return oa::PropertyDefinitionPtr();
}

// ---- Typed text to palette values ----

std::string quoted(const OdString& text) {
  return "'" + text.toUtf8() + "'";
}

/// itemValue: the value of the enumeration item labelled `text`, or whose number is `text`.
bool itemValue(const oa::PropertyDefinition& definition, const OdRxObject* object,
               const OdString& text, tdx::PropertyValue& value) {
  KcSmartPtr<const oa::Attribute> attribute =
      definition.getAttribute(oa::EnumerationAttribute::desc(), object, nullptr);
  auto items = oa::EnumerationAttribute::cast(attribute.get());
  if (!items) return false;
  for (const auto& item : items->items()) {
    if (item.first == text) {
      value = item.second;
      return true;
    }
  }
  double number = 0.0;
  if (!ut::realFromText(text, number)) return false;
  for (const auto& item : items->items()) {
    if (item.second.kind() == tdx::PropertyValue::kInteger &&
        static_cast<double>(static_cast<std::int64_t>(item.second.payload())) == number) {
      value = item.second;
      return true;
    }
  }
  return false;
}

std::string itemLabels(const oa::PropertyDefinition& definition, const OdRxObject* object) {
  KcSmartPtr<const oa::Attribute> attribute =
      definition.getAttribute(oa::EnumerationAttribute::desc(), object, nullptr);
  std::string labels;
  if (auto items = oa::EnumerationAttribute::cast(attribute.get()))
    for (const auto& item : items->items())
      labels += (labels.empty() ? "" : ", ") + item.first.toUtf8();
  return labels;
}

/// paletteValue: `text` as the palette would pass it to `definition`: a number for reals and
/// whole numbers, an item label or number for enumerations, yes/no for booleans; an empty text
/// is a value without value (a request to clear). Throws Failure for text of the wrong kind.
tdx::PropertyValue paletteValue(const oa::PropertyDefinition& definition, const OdRxObject* object,
                                const OdString& label, const OdString& text) {
  using Value = tdx::PropertyValue;
  const oa::PropType* type = definition.type();
  const Value::Kind kind = type->valueKind();
  Value value;
  if (itemValue(definition, object, text, value)) return value;
  if (text.isEmpty()) return Value(kind, 0, Value::kNoValue);
  if (type == oa::PropType::Enumeration::getType()) {
    throw Failure{quoted(label) + " wants one of " + itemLabels(definition, object) + ", not " +
                  quoted(text)};
  }
  switch (kind) {
    case Value::kString:
      return Value(text);
    case Value::kBoolean: {
      auto labels = oa::BooleanValueAttribute::cast(
          definition.getAttribute(oa::BooleanValueAttribute::desc(), object, nullptr).get());
      const oa::BooleanValueAttribute* yesNo =
          labels ? labels.get() : oa::BooleanValueAttribute::getYesNo();
      if (text == yesNo->trueLabel() || text == L"true" || text == L"1") return Value(true);
      if (text == yesNo->falseLabel() || text == L"false" || text == L"0") return Value(false);
      throw Failure{quoted(label) + " wants " + yesNo->trueLabel().toUtf8() + " or " +
                    yesNo->falseLabel().toUtf8() + ", not " + quoted(text)};
    }
    case Value::kReal: {
      double number = 0.0;
      if (!ut::realFromText(text, number))
        throw Failure{quoted(label) + " wants a number, not " + quoted(text)};
      return Value(number);
    }
    case Value::kInteger: {
      const std::string digits = text.toUtf8();
      char* end = nullptr;
      errno = 0;
      long long number = std::strtoll(digits.c_str(), &end, 10);
      const bool isUnsigned = type == oa::PropType::Unsigned::getType();
      if (*end || errno == ERANGE || (isUnsigned && (number < 0 || digits[0] == '-')))
        throw Failure{quoted(label) + " wants a whole number" + (isUnsigned ? " from 0" : "") +
                      ", not " + quoted(text)};
      return Value::integer(number);
    }
    default:
      throw Failure{quoted(label) + " cannot be edited here"};
  }
}

/// missingAsset: why a material's property cannot be written when the asset holding it is
/// missing (": the material 'Paint' has no physical asset"); empty otherwise.
std::string missingAsset(const OdRxObject* object, const OdString& name) {
  auto material = stocklib::Material::cast(object);
  if (!material) return std::string();
  static const wchar_t* const kPhysical[] = {L"Density", L"SpecificHeat", L"ThermalConductivity"};
  static const wchar_t* const kInformation[] = {
      L"Label", L"Manufacturer", L"Mark", L"Model",     L"Classification",
      L"Cost",  L"Keynote",      L"URL",  L"UniqueCode"};
  static const wchar_t* const kBim[] = {L"UnionSection", L"UnionElevation", L"DefaultFunction",
                                        L"VariableThickness"};
  auto among = [&name](const auto& names) {
    return std::any_of(std::begin(names), std::end(names),
                       [&name](const wchar_t* n) { return name == n; });
  };
  const char* asset = among(kPhysical) && !material->physical_asset()         ? "physical"
                      : among(kInformation) && !material->information_asset() ? "information"
                      : among(kBim) && !material->bim_asset()                 ? "BIM"
                                                                              : nullptr;
  if (!asset) return std::string();
  return ": the material " + quoted(material->name()) + " has no " + asset + " asset";
}

/// applyEdits: writes every "LABEL=VALUE" of `edits` to `object` through its definitions, checking
/// each as a palette does. Throws Failure at the first that cannot be written.
void applyEdits(OdRxObject* object, const std::vector<std::string>& edits) {
  for (const std::string& edit : edits) {
    const std::size_t equals = edit.find('=');
    const OdString label = OdString::fromUtf8(edit.substr(0, equals));
    const OdString text = OdString::fromUtf8(edit.substr(equals + 1));
    oa::PropertyDefinitionPtr definition = definitionNamed(object, label);
    if (!definition) throw Failure{"no property " + quoted(label)};
    if (definition->isReadOnly(object, nullptr)) throw Failure{quoted(label) + " is read-only"};
    tdx::PropertyValue value = paletteValue(*definition, object, label, text);
    bool written = definition->validateValue(object, value, nullptr) &&
                   definition->setValue(object, value, nullptr);
    // A text property that cannot be cleared takes the empty text instead.
    if (!written && text.isEmpty() && value.kind() == tdx::PropertyValue::kString) {
      value = tdx::PropertyValue(OdString());
      written = definition->setValue(object, value, nullptr);
    }
    if (!written)
      throw Failure{"cannot set " + quoted(label) + " to " + quoted(text) +
                    missingAsset(object, definition->globalName())};
  }
}

// ---- What the host prints around the module's values ----

OdString translated(const char* text) {
  if (const wxTranslations* translations = wxTranslations::Get()) {
    if (const wxString* found =
            translations->GetTranslatedString(wxString::FromUTF8(text), wxString(), wxString()))
      return OdString::fromUtf8(found->utf8_string());
  }
  return OdString::fromUtf8(text);
}

bool isPlyNumber(const OdString& name) {
  return name == L"FirstCorePly" || name == L"LastCorePly" || name == L"StructuralPly" ||
         name == L"VariablePly";
}

/// unitOf: the unit of the values of a definition whose measure the host knows; empty for the
/// others. Physical values are SI whatever the library's unit; thicknesses are in its unit.
OdString unitOf(const OdString& name, const std::string& lengthUnit) {
  if (name == L"Density") return L"kg/m\u00B3";
  if (name == L"SpecificHeat") return L"J/(kg\u00B7K)";
  if (name == L"ThermalConductivity") return L"W/(m\u00B7K)";
  if (name == L"VariablePlyMinThickness" || name == L"VariablePlyMaxThickness")
    return OdString::fromUtf8(lengthUnit);
  if (name == L"CutPatternAngle" || name == L"SurfacePatternAngle") return L"rad";
  return OdString();
}

oa::PaletteTextStyle paletteStyle(const std::string& lengthUnit) {
  oa::PaletteTextStyle style;
  style.yes = translated("Yes");
  style.no = translated("No");
  style.noValue = translated("no value");
  style.readOnly = translated("(read-only)");
  style.varies = translated("varies");
  const OdString counted = L" " + translated("(counted from 0)");
  style.suffix = [lengthUnit, counted](const oa::PropertyDefinition& definition) {
    const OdString name = definition.globalName();
    if (isPlyNumber(name)) return counted;
    const OdString unit = unitOf(name, lengthUnit);
    return unit.isEmpty() ? unit : L" " + unit;
  };
  return style;
}

nlohmann::ordered_json rawValue(const tdx::PropertyValue& value) {
  if (!value.hasValue() || value.varies()) return nullptr;
  bool truth = false;
  double real = 0;
  std::int64_t whole = 0;
  OdString text;
  if (value.get(truth)) return truth;
  if (value.get(real)) return real;
  if (value.get(whole)) return whole;
  if (value.get(text)) return text.toUtf8();
  return nullptr;
}

/// paletteJson: every definition the palette shows for `object`, in the sources' order, with
/// its value as stored, its text as the palette prints it and its unit.
nlohmann::ordered_json paletteJson(const OdRxObject* object, const oa::PaletteTextStyle& style,
                                   const std::string& lengthUnit) {
  nlohmann::ordered_json properties = nlohmann::ordered_json::array();
  for (const oa::PropertySourcePtr& source : sl_db::stocklibPropertySources()) {
    oa::PropertyInfoArray infos;
    source->getAllPropertyDefinitions(infos, object);
    for (const oa::PropertyInfo& info : infos) {
      const oa::PropertyDefinition& definition = *info.definition;
      tdx::PropertyValue value;
      const bool read = definition.getValue(value, object, nullptr);
      const OdString name = definition.globalName(), unit = unitOf(name, lengthUnit);
      nlohmann::ordered_json entry = {
          {"source", source->name().toUtf8()},
          {"name", name.toUtf8()},
          {"label", definition.label().toUtf8()},
          {"level", info.level},
          {"value", read ? rawValue(value) : nullptr},
          {"text", (read ? oa::formatPaletteValue(definition, value, object, nullptr, style)
                         : style.noValue)
                       .toUtf8()},
          {"unit",
           unit.isEmpty() ? nlohmann::ordered_json() : nlohmann::ordered_json(unit.toUtf8())},
          {"read_only", definition.isReadOnly(object, nullptr)}};
      if (isPlyNumber(name)) entry["counted_from"] = 0;
      properties.push_back(std::move(entry));
    }
  }
  return properties;
}

/// plyList: a composition's plies (material, thickness, function) and their total thickness.
nlohmann::ordered_json plyList(const stocklib::Composition& composition) {
  nlohmann::ordered_json plies = nlohmann::ordered_json::array();
  double total = 0;
  for (const KcSmartPtr<stocklib::Ply>& ply : composition.plies()) {
    KcSmartPtr<stocklib::Material> material = ply->material();
    plies.push_back({{"ply", plies.size()},
                     {"material", material ? material->name().toUtf8() : std::string()},
                     {"thickness", jsonNumber(ply->thickness())},
                     {"function", functionName(ply->function())}});
    total += ply->thickness();
  }
  return {{"plies", plies}, {"total_thickness", jsonNumber(total)}};
}

void printPlies(const stocklib::Composition& composition, const std::string& unit) {
  const nlohmann::ordered_json list = plyList(composition);
  std::cout << "[" << translated("Plies").toUtf8() << "] "
            << translated("(counted from 0)").toUtf8() << "\n";
  for (const auto& ply : list["plies"]) {
    const std::string material = ply["material"].get<std::string>();
    std::cout << "    " << ply["ply"].get<std::size_t>() << ": "
              << (material.empty() ? "(no material)" : shown(material)) << ", "
              << number(ply["thickness"].get<double>()) << " " << unit << "\n";
  }
  std::cout << "    " << translated("total").toUtf8() << ": "
            << number(list["total_thickness"].get<double>()) << " " << unit << "\n";
}

}  // namespace

bool setPaletteLanguage(const std::string& language) {
  if (language.empty()) {
    wxTranslations::Set(nullptr);
    return true;
  }
  auto translations = std::make_unique<wxTranslations>();
  translations->SetLoader(new SupportFolderLoader);
  translations->SetLanguage(wxString::FromUTF8(language));
  if (!translations->AddCatalog("stocklib")) return false;
  wxTranslations::Set(translations.release());
  return true;
}

namespace {

class PaletteCommand final : public DrawingCommand {
 public:
  PaletteCommand()
      : DrawingCommand(
            "palette",
            "show the object's palette (categories, labels, values, read-only marks, children,\n"
            "custom values; with --lang de in German); each --set edits a property as the\n"
            "palette does (an empty VALUE clears) and saves the object into the primary") {}
  void options(CLI::App& c) override {
    c.add_option("TYPE", m_type, "the type of object")
        ->required()
        ->check(CLI::IsMember({"material", "composition"}));
    c.add_option("NAME", m_name, "the object's name")->required();
    c.add_option("--from", m_from,
                 "the libraries to look in (default: the primary, then the\n"
                 "secondaries)")
        ->check(CLI::IsMember({"primary", "secondaries"}));
    c.add_flag("--json", m_json, "one JSON object: every property with its value and unit");
    c.add_option("--set", m_edits, "a property to edit, by its label (repeatable)")
        ->type_name("LABEL=VALUE")
        ->allow_extra_args(false)
        ->check(CLI::Validator(
            [](std::string& edit) {
              return edit.find('=') == std::string::npos || edit[0] == '='
                         ? "wants LABEL=VALUE, not '" + edit + "'"
                         : std::string();
            },
            ""));
  }
  int run(DrawingSession& drawing) override;

 private:
  std::string m_type, m_name, m_from = "all";
  std::vector<std::string> m_edits;
  bool m_json = false;
};
SLDB_COMMAND(PaletteCommand);

int PaletteCommand::run(DrawingSession& drawing) {
  const bool material = m_type == "material";
  const std::vector<std::string>& edits = m_edits;
  const std::string& from = m_from;
  const OdString name = OdString::fromUtf8(m_name);
  sl_db::DocumentLibraries* docs = &drawing.libraries();
  Found found = material ? find<stocklib::Material>(*docs, name, from)
                         : find<stocklib::Composition>(*docs, name, from);
  if (!found.object) {
    const std::string where = from == "all"       ? "libraries"
                              : from == "primary" ? "primary library"
                                                  : "secondary libraries";
    throw Failure{"no " + m_type + " named " + quoted(name) + " in the " + where + " of " +
                  drawing.path()};
  }
  KcSmartPtr<stocklib::Object> target = found.object;
  if (!edits.empty()) {
    // Edits are made in memory first; only when all of them took is anything stored.
    applyEdits(found.object.get(), edits);
    if (!found.inPrimary) {
      // The primary's object of that name, as a fetch would answer; else the edited object
      // is copied there with what it refers to (a composition type of its library).
      Found own = material ? find<stocklib::Material>(*docs, name, "primary")
                           : find<stocklib::Composition>(*docs, name, "primary");
      if (own.object) {
        target = own.object;
        applyEdits(target.get(), edits);
      } else {
        std::shared_ptr<stocklib::Library> primary = docs->primary(true);
        if (!primary) throw Failure{"the drawing's primary library cannot be opened"};
        target = found.object->saveObject(primary, nullptr);
      }
    }
    target->saveObject(target->library(), nullptr);
    status("saved " + m_type + " " + quoted(name) + " into the primary library");
  }
  auto composition = stocklib::Composition::cast(target.get());
  std::shared_ptr<stocklib::Library> library = target->library();
  const std::string unit = library && library->unit() == stocklib::kLibraryUnitInch ? "in" : "mm";
  const oa::PaletteTextStyle style = paletteStyle(unit);
  if (m_json) {
    nlohmann::ordered_json json = {{"type", m_type},
                                   {"name", m_name},
                                   {"length_unit", unit},
                                   {"properties", paletteJson(target.get(), style, unit)}};
    if (composition) json.update(plyList(*composition));
    std::cout << json.dump() << "\n";
    return 0;
  }
  std::cout << shownLines(
      oa::renderPaletteText(sl_db::stocklibPropertySources(), target.get(), nullptr, style)
          .toUtf8());
  if (composition) printPlies(*composition, unit);
  return 0;
}

}  // namespace

}  // namespace sldb

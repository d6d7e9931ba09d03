// Default content of new libraries: the initial template, units and default units, "User".
#include "sl_db/Seeding.h"

#include <pugixml.hpp>

#include "DbDatabase.h"
#include "sl_db/LibraryPaths.h"
#include "stocklib/Materials.h"
#include "stocklib/Translations.h"

namespace sl_db::detail {

namespace {

struct UnitChoice {
  const wchar_t* symbol;
  double factor;
};

struct UnitSystem {
  UnitChoice length;
  bool metric;
};

// The length unit and system for a drawing's INSUNITS; other values follow MEASUREMENT.
UnitSystem unitSystem(OdDbDatabase* db) {
  const int insunits = db ? static_cast<int>(db->getINSUNITS()) : 0;
  switch (insunits) {
    case 1:
      return {{L"in", 0.0254}, false};
    case 2:
      return {{L"ft", 0.3048}, false};
    case 3:
      return {{L"mi", 1609.344}, false};
    case 4:
      return {{L"mm", 0.001}, true};
    case 5:
      return {{L"cm", 0.01}, true};
    case 6:
      return {{L"m", 1.0}, true};
    case 7:
      return {{L"km", 1000.0}, true};
    case 10:
      return {{L"yd", 0.9144}, false};
    default:
      break;
  }
  const bool metric = !db || db->getMEASUREMENT() != OdDb::kEnglish;
  return metric ? UnitSystem{{L"mm", 0.001}, true} : UnitSystem{{L"in", 0.0254}, false};
}

void setDefaultUnit(stocklib::Library& library, const OdString& measureName,
                    const UnitChoice& choice) {
  if (library.defaultUnit(measureName)) return;
  // Without its measure a unit cannot be a default, and a criteria without a measure would pick
  // a unit of any measure: make the measure first.
  KcSmartPtr<stocklib::Measure> measure =
      library.get<stocklib::Measure>(stocklib::NameKey(measureName));
  if (!measure) measure = library.save(stocklib::Measure::create(measureName));
  std::vector<KcSmartPtr<stocklib::Unit>> units;
  library.get<stocklib::Unit>(units, stocklib::UnitCriteria(measure.get(), choice.factor));
  KcSmartPtr<stocklib::Unit> unit =
      units.empty() ? stocklib::Unit::create(choice.symbol, choice.factor, measure) : units.front();
  library.setDefaultUnit(unit.get());
}

// sameShape: same class and the very same dimensions or outline.
bool sameShape(const stocklib::Profile& a, const stocklib::Profile& b) {
  if (a.isA() != b.isA()) return false;
  if (auto* pa = dynamic_cast<const stocklib::ParametrizedProfile*>(&a)) {
    auto& pb = static_cast<const stocklib::ParametrizedProfile&>(b);
    for (std::size_t i = 0; i < pa->dimension_count(); ++i)
      if (pa->has_dimension(i) != pb.has_dimension(i) || pa->dimension(i) != pb.dimension(i))
        return false;
    return true;
  }
  if (auto* ca = dynamic_cast<const stocklib::CustomProfile*>(&a))
    return ca->outline() == static_cast<const stocklib::CustomProfile&>(b).outline();
  return false;
}

pugi::xml_parse_result loadXml(pugi::xml_document& doc, const OdString& path) {
  return doc.load_file(path.toUtf8().c_str());
}

OdString childText(const pugi::xml_node& node, const char* name) {
  return OdString::fromUtf8(node.child(name).text().get());
}

}  // namespace

void seedNewLibrary(const std::shared_ptr<stocklib::Library>& library, OdDbDatabase* db) {
  if (!library) return;
  pugi::xml_document doc;
  pugi::xml_parse_result loaded = loadXml(doc, initLibraryPath(db));
  if (loaded.status == pugi::status_file_not_found) {
    for (const wchar_t* word :
         {L"Ceramic", L"Concrete", L"Earth", L"Gas", L"Generic", L"Glass", L"Liquid", L"Masonry",
          L"Metal", L"Paint", L"Plastic", L"Stone", L"Textile", L"Wood"})
      library->save(stocklib::MaterialType::create(translate(word)));
    return;
  }
  if (!loaded) return;
  pugi::xml_node root = doc.first_child();
  pugi::xml_node meta = root.child("meta");
  library->locale(childText(meta, "locale"));
  library->region(childText(meta, "region"));
  const OdString unit = childText(meta, "Unit");
  stocklib::Library::ImportOptions options;
  options.unit = unit == L"Inch" ? 0 : unit == L"Millimeter" ? 1 : -1;
  library->importFromXml(root, options);
}

void importUnits(const std::shared_ptr<stocklib::Library>& library, OdDbDatabase* db) {
  if (!library) return;
  pugi::xml_document doc;
  if (!loadXml(doc, unitsLibraryPath(db))) return;
  pugi::xml_node root = doc.first_child();
  library->importFromXml(root, stocklib::Library::ImportOptions());
  setDefaultUnits(library, db);
}

void setDefaultUnits(const std::shared_ptr<stocklib::Library>& library, OdDbDatabase* db) {
  if (!library) return;
  const UnitSystem system = unitSystem(db);
  setDefaultUnit(*library, L"LENGTH", system.length);
  setDefaultUnit(*library, L"AREA",
                 system.metric ? UnitChoice{L"m^2", 1.0} : UnitChoice{L"ft^2", 0.09290304});
  setDefaultUnit(*library, L"VOLUME",
                 system.metric ? UnitChoice{L"m^3", 1.0} : UnitChoice{L"ft^3", 0.028316846592});
  setDefaultUnit(*library, L"MASS",
                 system.metric ? UnitChoice{L"kg", 1.0} : UnitChoice{L"lbs", 0.45359237});
}

KcSmartPtr<stocklib::PropertyNamespace> addUserNamespace() {
  KcSmartPtr<stocklib::PropertyNamespace> ns = stocklib::PropertyNamespace::create(L"User");
  ns->set_label(translate(L"User"));
  return ns;
}

OdString translate(const OdString& word) {
  OdString out = word;
  if (const stocklib::Translations* t = stocklib::Translations::get()) t->translate(word, out);
  return out;
}

void repairProfileScales(const std::shared_ptr<stocklib::Library>& primary,
                         const std::shared_ptr<const stocklib::Library>& secondary) {
  // A read-only primary cannot be saved into; refusing would make its drawing unbindable.
  if (!primary || !secondary || primary->isReadOnly()) return;
  std::vector<KcSmartPtr<stocklib::Profile>> profiles;
  primary->get<stocklib::Profile>(profiles, stocklib::ProfileCriteria());
  std::vector<KcSmartPtr<const stocklib::Profile>> candidates;
  for (const auto& profile : profiles) {
    secondary->get<stocklib::Profile>(candidates,
                                      stocklib::ProfileCriteria(stocklib::StringCriteria(
                                          profile->size(), stocklib::StringCriteria::kEqual)));
    // A profile that already equals a candidate is right as it is: rescaling it to match a
    // later candidate would change it back and forth on every rebuild.
    bool matched = false;
    for (const auto& candidate : candidates)
      matched = matched || sameShape(*profile, *candidate);
    if (matched) continue;
    for (const auto& candidate : candidates) {
      double scale = 1.0;
      if (candidate->isA() != profile->isA() ||
          !stocklib::scaledEqualProfiles(profile.get(), candidate.get(), scale))
        continue;
      stocklib::scaleProfile(profile.get(), scale);
      profile->save();
      break;
    }
  }
}

}  // namespace sl_db::detail

// quantities-host FOLDER: a minimal host that loads stocklib_db.tx, gives a metric drawing a
// property set of measured values and a three-ply composition, draws a wall's face outline, a
// triangle, a line and a circle, loads quantities.tx and prints their values per ply, unloads it
// and shows that nothing is computed any more, and saves the drawing as FOLDER/quantities.sldrw.
#include <filesystem>
#include <initializer_list>
#include <iomanip>
#include <iostream>
#include <memory>
#include <string>

#include "DbDatabase.h"
#include "DbEntity.h"
#include "RxModule.h"
#include "sl_db/DbPreferencesProvider.h"
#include "sl_db/DocumentLibraries.h"
#include "sl_db/DocumentLibrariesManager.h"
#include "sl_db/DynamicProperties.h"
#include "sl_db/DynamicPropertyContext.h"
#include "sl_db/ILibrary.h"
#include "sl_db/Library.h"
#include "stocklib/Materials.h"
#include "stocklib/Objects.h"

namespace {

const OdString kNamespace(L"Quantities");
const OdString kComposition(L"Example wall");

// The host's set: which measured values lines and polylines have. The computations are named
// by the value specifications; the entity names its composition in the Composition value.
void defineQuantities(const std::shared_ptr<sl_db::ILibrary>& library, sl_db::Library& wrapper) {
  auto ns =
      sl_db::IPropertyNamespace::create(stocklib::PropertyNamespace::create(kNamespace).get());
  library->saveInto(ns);
  auto set = library->createPropertySet(ns, L"Quantities");
  (void)set->insertEntityType(L"OdDbLine");
  (void)set->insertEntityType(L"OdDbPolyline");
  set->appendPropertyDefinition(L"Composition",
                                sl_db::PropertyType::Single(sl_db::PropertyType::kString));
  const struct {
    const wchar_t* name;
    const wchar_t* spec;
    const wchar_t* unit;  // of the library's units (seeded from the shipped templates)
  } values[] = {{L"Length", L"length", L"mm"},
                {L"Area", L"area", L"m^2"},
                {L"Perimeter", L"perimeter", L"m"},
                {L"PlyThickness", L"ply_thickness", L"mm"},
                {L"PlyVolume", L"ply_volume", L"m^3"}};
  for (const auto& v : values) {
    auto definition = set->appendValueDefinition(
        v.name, sl_db::PropertyType::Single(sl_db::PropertyType::kDouble));
    definition->setValueSpec(v.spec);
    auto unit = wrapper.get<stocklib::Unit>(stocklib::NameKey(v.unit));
    if (!unit) throw std::runtime_error("the library has no unit " + OdString(v.unit).toUtf8());
    definition->setUnit(sl_db::IUnit::create(unit.get()));
  }
  set->save(library);
  library->reload();
}

// Plies in millimetres, the library's unit: 300 mm in all.
void defineComposition(const std::shared_ptr<stocklib::Library>& store) {
  auto plaster = stocklib::Material::create(L"Gypsum plaster")->save(store);
  auto brick = stocklib::Material::create(L"Clay brick")->save(store);
  auto insulation = stocklib::Material::create(L"Mineral wool")->save(store);
  auto wall = stocklib::Composition::create(kComposition);
  wall->append_ply(plaster.get(), 20);
  wall->append_ply(brick.get(), 200);
  wall->append_ply(insulation.get(), 80);
  wall->save(store);
}

OdDbObjectId append(OdDbDatabase* db, const OdDbEntityPtr& entity) {
  OdDbBlockTableRecordPtr space = db->getModelSpaceId().safeOpenObject(OdDb::kForWrite);
  return space->appendOdDbEntity(entity);
}

// A closed polyline through `corners`, closed again once appended.
OdDbObjectId appendOutline(OdDbDatabase* db, std::initializer_list<OdGePoint2d> corners) {
  OdDbPolylinePtr outline = OdDbPolyline::createObject();
  for (const OdGePoint2d& corner : corners)
    outline->addVertexAt(outline->numVerts(), corner);
  outline->setClosed(true);
  return append(db, outline);
}

const char* resultWord(sl_db::DynamicProperty::Result result) {
  static const char* const words[] = {"Ok", "NoValue", "InvalidValue", "TypeMismatch",
                                      "NotAvailable"};
  return result >= 0 && result <= 4 ? words[result] : "?";
}

// One line per value definition: the whole-entity values first (no ply), then the per-ply ones
// for plies 0 to lastPly.
void printValues(const std::shared_ptr<sl_db::ILibrary>& library, const OdDbObjectId& id,
                 const std::string& label, int lastPly) {
  OdDbObjectPtr object = id.openObject(OdDb::kForRead);
  OdDbEntityPtr entity = OdDbEntity::cast(object.get());
  for (int ply = -1; ply <= lastPly; ++ply) {
    auto context = sl_db::DynamicPropertyContext::createObject(entity.get(), ply);
    for (const sl_db::DynamicProperty& property : sl_db::DynamicProperties(library, object)) {
      if (!property.valueDefinition()) continue;
      const bool perPly = property.valueDefinition()->valueSpec().find(L"ply_") == 0;
      if (perPly != (ply >= 0)) continue;
      double value = 0;
      const sl_db::DynamicProperty::Result r = property.getValue(value, context.get());
      std::cout << label << (ply >= 0 ? " ply " + std::to_string(ply) : std::string()) << " "
                << property.propertyKey().str().toUtf8() << " " << resultWord(r);
      if (r == sl_db::DynamicProperty::Ok) std::cout << " " << value;
      std::cout << "\n";
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: quantities-host FOLDER\n";
    return 2;
  }
  const std::string folder = argv[1];
  std::cout << std::setprecision(12);
  try {
    odrxModuleManager()->addSearchPath(OdString::fromUtf8(STOCKLIB_DB_MODULE_DIR));
    OdRxModulePtr module = odrxModuleManager()->loadModule(OdString(L"stocklib_db"));
    sl_db::DbPreferencesProvider::getInstance()->setRoamableRootFolder(
        OdString::fromUtf8(STOCKLIB_DB_ROAMING_DIR));
    {
      OdDbDatabasePtr db = odDbCreateDatabase(true);  // millimetres
      sl_db::DocumentLibraries* docs = sl_db::docLibs(db.get());
      docs->initialize();
      std::shared_ptr<sl_db::Library> wrapper = docs->primaryLibrary(true);
      if (!wrapper) throw std::runtime_error("the drawing has no primary library");
      std::shared_ptr<sl_db::ILibrary> library = sl_db::ILibrary::create<sl_db::Library>(wrapper);
      defineComposition(wrapper->library());
      defineQuantities(library, *wrapper);

      // The face of a wall, 6 m long and 3 m high, built up of the composition's plies.
      const OdDbObjectId wallId =
          appendOutline(db.get(), {{0, 0}, {6000, 0}, {6000, 3000}, {0, 3000}});
      {
        OdDbObjectPtr wall = wallId.openObject(OdDb::kForWrite);
        if (sl_db::DynamicProperty(library, wall, sl_db::PropertyKey(kNamespace, L"Composition"),
                                   true)
                .setValue(kComposition) != sl_db::DynamicProperty::Ok)
          throw std::runtime_error("the wall does not take its composition");
      }
      // A triangular opening, the fewest corners that enclose an area, drawn clockwise: 6 m2,
      // 12 m round.
      const OdDbObjectId openingId = appendOutline(db.get(), {{0, 0}, {0, 4000}, {3000, 0}});
      OdDbLinePtr line = OdDbLine::createObject();
      line->setEndPoint(OdGePoint3d(3000, 4000, 0));
      const OdDbObjectId lineId = append(db.get(), line);
      line = nullptr;  // closed: read back through the id
      // A round column, 1 m in radius: the shipped templates' Area~Geometry (in m2) of circles.
      OdDbCirclePtr column = OdDbCircle::createObject();
      column->setRadius(1000);
      const OdDbObjectId columnId = append(db.get(), column);
      column = nullptr;

      OdRxModulePtr quantities =
          odrxModuleManager()->loadModule(OdString::fromUtf8(QUANTITIES_MODULE_PATH));
      printValues(library, wallId, "wall", 3);
      printValues(library, lineId, "line", 0);
      printValues(library, openingId, "opening", -1);
      printValues(library, columnId, "column", -1);
      odrxModuleManager()->unloadModule(quantities);
      printValues(library, wallId, "unloaded: wall", -1);

      const std::string drawing = folder + "/quantities.sldrw";
      std::filesystem::create_directories(folder);
      db->writeFile(OdString::fromUtf8(drawing));
      std::cout << "saved " << drawing << " wall " << wallId.handle().ascii().toUtf8() << " line "
                << lineId.handle().ascii().toUtf8() << "\n";
    }
    odrxModuleManager()->unloadModule(module);
  } catch (const OdError& e) {
    std::cerr << "quantities-host: " << e.description().toUtf8() << "\n";
    return 1;
  } catch (const std::exception& e) {
    std::cerr << "quantities-host: " << e.what() << "\n";
    return 1;
  }
  return 0;
}

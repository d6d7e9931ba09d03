// Writes the seed corpora of the fuzz targets from real files made by the store and the drawing
// writer: a small library (page size 512, vacuumed), a drawing embedding it, its XML export.
// Usage: fuzz_make_seeds CORPUS_DIR (one folder per target is filled).
#include <sqlite3.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "DbDatabase.h"
#include "DbEntity.h"
#include "OdError.h"
#include "RxModule.h"
#include "XmlText.h"
#include "dbprops/DbProperties.h"
#include "sl_db/DbStockLibManager.h"
#include "sl_db/ValueText.h"
#include "stocklib/Library.h"
#include "stocklib/MemFs.h"
#include "stocklib/Objects.h"
#include "stocklib/Profiles.h"

namespace fs = std::filesystem;
using namespace stocklib;

namespace {
std::string readAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void put(const fs::path& dir, const char* name, const std::string& bytes) {
  fs::create_directories(dir);
  std::ofstream(dir / name, std::ios::binary) << bytes;
}

// A library with one object of each family, compacted to small pages.
std::string smallLibrary(const fs::path& file, std::string& xml) {
  fs::remove(file);
  {
    auto lib =
        LibraryManager::instance()
            .create(OdString::fromUtf8(file.string().c_str()), kLibraryUnitMillimeter, L"seed")
            .value();
    auto ns = PropertyNamespace::create(L"User")->save(lib);
    auto set = PropertySet::create(ns, L"Fire");
    set->append_property_definition(L"Rating", PropertyType(1, 4))->set_default_int(90);
    set->insert_entity_type(L"AcDbLine");
    set->save(lib);
    Tag::create(L"Load bearing")->save(lib);
    auto measure = Measure::create(L"Length")->save(lib);
    Unit::create(L"mm", 1.0, measure)->save(lib);
    auto circle = CircleProfile::create(ProfileName::create(L"RD", nullptr), L"20");
    circle->set_diameter(20.0);
    circle->save(lib);
    xml = sltest::exportedText(*lib);
  }
  sqlite3* db = nullptr;
  sqlite3_open(file.string().c_str(), &db);
  sqlite3_exec(db, "PRAGMA page_size=512; VACUUM;", nullptr, nullptr, nullptr);
  sqlite3_close(db);
  return readAll(file);
}
// Entities whose containers hold a value of each structure, a mapped one and an instance set.
void addEntitiesWithValues(OdDbDatabase& db) {
  OdDbBlockTableRecordPtr space = db.getModelSpaceId().safeOpenObject(OdDb::kForWrite);
  OdDbLinePtr line = OdDbLine::createObject();
  line->setEndPoint(OdGePoint3d(1000, 0, 0));
  OdDbCirclePtr circle = OdDbCircle::createObject();
  circle->setRadius(50);
  const struct {
    OdDbEntity* entity;
    const char* key;
    DbPropertyType type;
    const char* text;
  } values[] = {
      {line.get(), "Thickness~Geometry", DbPropertyType(1, 9), "200"},
      {line.get(), "Finish~Geometry", DbPropertyType(1, 10), "\"polished\""},
      {line.get(), "LoadBearing~Geometry", DbPropertyType(1, 0), "true"},
      {line.get(), "Layers~User", DbPropertyType(2, 5), "[1, 2, 3]"},
      {line.get(), "Loads~User", DbPropertyType(3, 9, 10), "{dead: 1.5, live: 2}"},
      {circle.get(), "Origin~User", DbPropertyType(1, 16), "1,2,3"},
  };
  std::string error;
  for (const auto& v : values) {
    if (!v.entity->objectId().isNull()) continue;
    space->appendOdDbEntity(v.entity);
  }
  for (const auto& v : values) {
    std::shared_ptr<DbProperty> value = sl_db::parseValue(v.text, v.type, error);
    if (!value) throw std::runtime_error(error);
    value->setMapped(std::strcmp(v.key, "LoadBearing~Geometry") == 0);
    DbProperties::get(static_cast<OdRxObject*>(v.entity))->setProperty(OdString(v.key), value);
  }
  DbProperties::get(static_cast<OdRxObject*>(circle.get()))
      ->attachInstancePropertySet(L"Fire~User");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: fuzz_make_seeds CORPUS_DIR\n");
    return 2;
  }
  fs::path out(argv[1]);
  OdRxModulePtr module = odrxModuleManager()->loadModule(OdString(SLDB_MODULE_PATH));
  fs::path scratch = fs::temp_directory_path() / "sl-fuzz-seeds";
  fs::create_directories(scratch);
  try {
    std::string xml;
    std::string library = smallLibrary(scratch / "seed.stocklib", xml);
    put(out / "library_record", "small.stocklib", library);
    put(out / "xml_import", "small.xml", xml);

    // A drawing whose record embeds the small library, and one without a record.
    OdDbDatabasePtr db = odDbCreateDatabase(true);
    fs::path plain = scratch / "plain.dwg";
    db->writeFile(OdString::fromUtf8(plain.string().c_str()));
    put(out / "drawing", "plain.dwg", readAll(plain));
    OdSmartPtr<DbStockLibManager> record = DbStockLibManager::cast(
        DbStockLibManager::getInstance(*db, true, nullptr).openObject(OdDb::kForWrite));
    auto file = MemFs::instance().open(record->primaryLibraryPath(), true);
    file->fill(library.size(), [&, at = std::size_t(0)](void* p, std::size_t n) mutable {
      std::memcpy(p, library.data() + at, n);
      at += n;
    });
    record.release();
    fs::path embedded = scratch / "embedded.dwg";
    db->writeFile(OdString::fromUtf8(embedded.string().c_str()));
    put(out / "drawing", "embedded.dwg", readAll(embedded));
    addEntitiesWithValues(*db);
    fs::path values = scratch / "values.dwg";
    db->writeFile(OdString::fromUtf8(values.string().c_str()));
    put(out / "drawing", "values.dwg", readAll(values));
  } catch (const OdError& e) {
    std::fprintf(stderr, "fuzz_make_seeds: %s\n", e.description().toUtf8().c_str());
    return 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "fuzz_make_seeds: %s\n", e.what());
    return 1;
  }
  fs::remove_all(scratch);
  return 0;
}

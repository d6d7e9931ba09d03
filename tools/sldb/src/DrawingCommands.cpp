// The commands on a drawing as a whole: what it holds (info), its embedded library written out
// (export-embedded) and the demo tour.
#include <unistd.h>

#include <filesystem>
#include <iostream>
#include <map>

#include "CommandsModule.h"
#include "DbDatabase.h"
#include "DbDictionary.h"
#include "DbEntity.h"
#include "DbProxyObject.h"
#include "EntityAccess.h"
#include "Session.h"
#include "sl_db/DbStockLibManager.h"
#include "sl_db/DocumentLibrariesManager.h"
#include "stocklib/Library.h"
#include "stocklib/MemFs.h"

namespace sldb {

namespace {

const char* unitName(int insunits) {
  static const char* const names[] = {"unitless",
                                      "inches",
                                      "feet",
                                      "miles",
                                      "millimeters",
                                      "centimeters",
                                      "meters",
                                      "kilometers",
                                      "microinches",
                                      "mils",
                                      "yards",
                                      "angstroms",
                                      "nanometers",
                                      "microns",
                                      "decimeters",
                                      "decameters",
                                      "hectometers",
                                      "gigameters",
                                      "astronomical units",
                                      "light years",
                                      "parsecs"};
  return insunits >= 0 && insunits <= 20 ? names[insunits] : "?";
}

/// embeddedFile: the in-memory file of the drawing's embedded primary; null when the primary
/// is not embedded or cannot be opened.
std::shared_ptr<stocklib::MemFile> embeddedFile(sl_db::DocumentLibraries& docs) {
  if (!docs.isPrimaryEmbedded() || !docs.primary()) return nullptr;
  OdString name = docs.primary()->filename();
  const OdString scheme(L"memvfs://");
  if (name.left(scheme.getLength()) == scheme) name = name.mid(scheme.getLength());
  return stocklib::MemFs::instance().open(name, false);
}

/// recordJson: the library record as `info` shows it; "state" is none, foreign, proxy,
/// embedded or external.
nlohmann::json recordJson(DrawingSession& drawing) {
  OdDbObjectPtr object = DbStockLibManager::getInstance(*drawing.db()).openObject(OdDb::kForRead);
  if (!object) return {{"state", "none"}};
  if (auto proxy = OdDbProxyObject::cast(object)) {
    const OdString& original = proxy->originalClass().name;
    if (original == DbStockLibManager::desc()->name()) return {{"state", "proxy"}};
    return {{"state", "foreign"}, {"class", original.toUtf8()}};
  }
  DbStockLibManagerPtr record = DbStockLibManager::cast(object);
  if (!record) return {{"state", "foreign"}, {"class", object->isA()->name().toUtf8()}};
  nlohmann::json json;
  if (record->isPrimaryLibraryEmbedded()) {
    std::shared_ptr<stocklib::MemFile> file = embeddedFile(drawing.libraries());
    json = {{"state", "embedded"}, {"bytes", file ? file->size() : 0}};
  } else {
    json = {{"state", "external"}, {"path", record->primaryLibraryPath().toUtf8()}};
  }
  json["secondaries"] = nlohmann::json::array();
  for (const OdString& path : record->secondaryLibraryPaths())
    json["secondaries"].push_back(path.toUtf8());
  json["filter_tags"] = nlohmann::json::array();
  for (const OdString& tag : record->filterTags())
    json["filter_tags"].push_back(tag.toUtf8());
  return json;
}

void printRecord(const nlohmann::json& record, std::ostream& out) {
  const std::string state = record["state"];
  if (state == "none") {
    out << "library record: no library record\n";
  } else if (state == "foreign") {
    out << "library record: the key holds an object of another class ("
        << record["class"].get<std::string>() << ")\n";
  } else if (state == "proxy") {
    out << "library record: kept as a proxy (the module is not loaded)\n";
  } else {
    if (state == "embedded") {
      out << "library record: embedded primary, " << record["bytes"].get<std::size_t>()
          << " bytes\n";
    } else {
      out << "library record: external primary " << record["path"].get<std::string>() << "\n";
    }
    for (const auto& path : record["secondaries"])
      out << "  secondary:   " << path.get<std::string>() << "\n";
    for (const auto& tag : record["filter_tags"])
      out << "  filter tag:  " << tag.get<std::string>() << "\n";
  }
}

/// infoJson: system variables, classes with their object counts, the number of objects, the
/// library record and the bound libraries.
nlohmann::json infoJson(DrawingSession& drawing) {
  OdDbDatabase* db = drawing.db();
  std::map<std::string, int> classes;
  for (const OdDbObjectId& id : db->objectIds()) {
    OdDbObjectPtr object = id.openObject(OdDb::kForRead);
    if (!object) continue;
    if (auto proxy = OdDbProxyObject::cast(object)) {
      ++classes[proxy->originalClass().name.toUtf8() + " (proxy: class not registered)"];
    } else {
      ++classes[object->isA()->name().toUtf8()];
    }
  }
  return {{"drawing", db->getFilename().toUtf8()},
          {"measurement", static_cast<int>(db->getMEASUREMENT())},
          {"measurement_name", db->getMEASUREMENT() == OdDb::kMetric ? "metric" : "imperial"},
          {"insunits", static_cast<int>(db->getINSUNITS())},
          {"insunits_name", unitName(db->getINSUNITS())},
          {"objects", db->numObjects()},
          {"classes", classes},
          {"entities_with_unreadable_values", damagedEntities(db)},
          {"record", recordJson(drawing)},
          {"libraries", libraries(db)}};
}

void printInfo(const nlohmann::json& info, std::ostream& out) {
  out << "drawing:     " << info["drawing"].get<std::string>() << "\n";
  out << "MEASUREMENT: " << info["measurement"].get<int>() << " ("
      << info["measurement_name"].get<std::string>() << ")\n";
  out << "INSUNITS:    " << info["insunits"].get<int>() << " ("
      << info["insunits_name"].get<std::string>() << ")\n";
  out << "objects:     " << info["objects"].get<std::uint64_t>() << "\n";
  out << "classes:\n";
  for (const auto& [name, count] : info["classes"].items())
    out << "  " << count.get<int>() << "  " << name << "\n";
  if (int damaged = info["entities_with_unreadable_values"].get<int>())
    out << "entities with unreadable values: " << damaged << "\n";
  printRecord(info["record"], out);
  out << "libraries:\n";
  printLibraries(info["libraries"], out);
}

class InfoCommand final : public DrawingCommand {
 public:
  bool readOnly() const override { return true; }
  InfoCommand()
      : DrawingCommand("info",
                       "print system variables, classes, the number of objects, the library "
                       "record\nand the bound libraries (location, unit, read-only, object "
                       "counts)") {}
  void options(CLI::App& c) override {
    c.add_flag("--json", m_json, "one JSON document with the same figures");
  }
  int run(DrawingSession& drawing) override {
    const nlohmann::json info = infoJson(drawing);
    if (m_json) {
      std::cout << info.dump(2) << "\n";
    } else {
      printInfo(info, std::cout);
    }
    return 0;
  }

 private:
  bool m_json = false;
};
SLDB_COMMAND(InfoCommand);

class ExportEmbeddedCommand final : public DrawingCommand {
 public:
  bool readOnly() const override { return true; }
  ExportEmbeddedCommand()
      : DrawingCommand("export-embedded",
                       "write the drawing's embedded library to a file (an ordinary library "
                       "file)") {}
  void options(CLI::App& c) override {
    c.add_option("OUT", m_out, "the library file to write")->required();
  }
  int run(DrawingSession& drawing) override {
    std::shared_ptr<stocklib::MemFile> file;
    if (!DbStockLibManager::getInstance(*drawing.db()).isNull())
      file = embeddedFile(drawing.libraries());
    if (!file) throw Failure{drawing.path() + " has no embedded library"};
    std::string bytes(static_cast<std::size_t>(file->size()), '\0');
    bytes.resize(file->read(bytes.data(), bytes.size(), 0));
    writeFile(m_out, bytes);
    status("wrote " + std::to_string(bytes.size()) + " bytes to " + m_out);
    return 0;
  }

 private:
  std::string m_out;
};
SLDB_COMMAND(ExportEmbeddedCommand);

// A new metric drawing in a fresh temporary folder, with a few entities; the library tour binds
// it and fetches from the default library; the saved drawing is read back and shown.
class DemoCommand final : public Command {
 public:
  DemoCommand()
      : Command("demo",
                "a tour in a temporary folder: a new drawing gets a material and a profile\n"
                "from the shipped library in an embedded primary, two lines get property\n"
                "values, and the drawing is saved, read back and shown") {}
  void declare(CLI::App& c) override { c.add_flag("--keep", m_keep, "keep the temporary folder"); }
  int run() override {
    std::string folder = (std::filesystem::temp_directory_path() / "sldb-demo-XXXXXX").string();
    if (!::mkdtemp(folder.data()))
      throw Failure{"cannot make a temporary folder in " +
                    std::filesystem::temp_directory_path().string()};
    // The folder goes when the tour ends, also when it fails, unless asked to keep it.
    struct Cleanup {
      const std::string& folder;
      bool keep;
      ~Cleanup() {
        std::error_code ec;
        if (keep) {
          status("kept " + folder);
        } else {
          std::filesystem::remove_all(folder, ec);
        }
      }
    } cleanup{folder, m_keep};
    const std::string path = folder + "/demo" + OdString(OD_DRAWING_FILE_EXTENSION).toUtf8();
    writeDrawing(path);
    std::cout << "wrote a new metric drawing with a line, a circle and an outline: " << path
              << "\n";
    libraryTour(folder, path);
    valueTour(path);
    std::cout << "8. read it back:\n";
    DrawingSession drawing(path);
    printInfo(infoJson(drawing), std::cout);
    return 0;
  }

 private:
  static void writeDrawing(const std::string& path) {
    OdDbDatabasePtr db = odDbCreateDatabase(true);
    OdDbBlockTableRecordPtr ms = db->getModelSpaceId().safeOpenObject(OdDb::kForWrite);
    OdDbLinePtr line = OdDbLine::createObject();
    line->setEndPoint(OdGePoint3d(1000, 0, 0));
    ms->appendOdDbEntity(line);
    OdDbCirclePtr circle = OdDbCircle::createObject();
    circle->setCenter(OdGePoint3d(500, 500, 0));
    circle->setRadius(250);
    ms->appendOdDbEntity(circle);
    OdDbPolylinePtr outline = OdDbPolyline::createObject();
    const OdGePoint2d corners[] = {{0, 0}, {1000, 0}, {1000, 1000}, {0, 1000}};
    for (const OdGePoint2d& p : corners)
      outline->addVertexAt(outline->numVerts(), p);
    outline->setClosed(true);
    ms->appendOdDbEntity(outline);
    ms = nullptr;
    OdDbDictionaryPtr nod = db->getNamedObjectsDictionaryId().safeOpenObject(OdDb::kForWrite);
    nod->setAt(OdString(L"DEMO"), OdDbDictionary::createObject());
    nod = nullptr;
    db->writeFile(OdString::fromUtf8(path));
  }

  bool m_keep = false;
};
SLDB_COMMAND(DemoCommand);

}  // namespace

}  // namespace sldb

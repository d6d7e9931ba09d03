// sldb: the command-line host. One small function per subcommand, listed in one table; errors
// go to stderr as one line with a non-zero exit code.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "DbDatabase.h"
#include "DbDictionary.h"
#include "DbEntity.h"
#include "DbProxyObject.h"

namespace {

using Args = std::vector<std::string>;

/// Thrown for a wrong command line; main prints it with the usage hint (exit code 2).
struct UsageError {
  std::string message;
};

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

/// printInfo: system variables, classes with their object counts, and the number of objects.
void printInfo(OdDbDatabase* db, std::ostream& out) {
  out << "drawing:     " << db->getFilename().toUtf8() << "\n";
  out << "MEASUREMENT: " << db->getMEASUREMENT()
      << (db->getMEASUREMENT() == OdDb::kMetric ? " (metric)" : " (imperial)") << "\n";
  out << "INSUNITS:    " << db->getINSUNITS() << " (" << unitName(db->getINSUNITS()) << ")\n";
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
  out << "objects:     " << db->numObjects() << "\n";
  out << "classes:\n";
  for (const auto& [name, count] : classes)
    out << "  " << count << "  " << name << "\n";
}

OdDbDatabasePtr readDrawing(const std::string& path) {
  OdDbDatabasePtr db = odDbCreateDatabase();
  db->readFile(OdString::fromUtf8(path));
  return db;
}

int parseInsunits(const std::string& text) {
  char* end = nullptr;
  long value = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end || value < 0 || value > 20) {
    throw UsageError{"--insunits wants a whole number from 0 to 20, not '" + text + "'"};
  }
  return static_cast<int>(value);
}

int cmdNew(const Args& args) {
  std::string path;
  bool imperial = false, force = false;
  int insunits = -1;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--imperial") {
      imperial = true;
    } else if (args[i] == "--force") {
      force = true;
    } else if (args[i] == "--insunits") {
      if (++i == args.size()) throw UsageError{"--insunits needs a value"};
      insunits = parseInsunits(args[i]);
    } else if (args[i].rfind("--", 0) == 0 || !path.empty()) {
      throw UsageError{"unexpected argument '" + args[i] + "'"};
    } else {
      path = args[i];
    }
  }
  if (path.empty()) throw UsageError{"new needs a drawing file name"};
  if (!force && std::filesystem::exists(path)) {
    std::cerr << "sldb: " << path << " exists already (use --force to replace it)\n";
    return 1;
  }
  OdDbDatabasePtr db = odDbCreateDatabase(!imperial);
  if (insunits >= 0) db->setINSUNITS(static_cast<OdDb::UnitsValue>(insunits));
  db->writeFile(OdString::fromUtf8(path));
  std::cout << "wrote " << db->getFilename().toUtf8() << "\n";
  return 0;
}

int cmdInfo(const Args& args) {
  if (args.size() != 1) throw UsageError{"info needs exactly one drawing file name"};
  printInfo(readDrawing(args[0]), std::cout);
  return 0;
}

// A new metric drawing in a fresh temporary folder, with a few entities, saved and read back.
int cmdDemo(const Args& args) {
  bool keep = !args.empty() && args[0] == "--keep";
  if (args.size() > (keep ? 1u : 0u)) throw UsageError{"demo takes only --keep"};
  std::string folder = (std::filesystem::temp_directory_path() / "sldb-demo-XXXXXX").string();
  if (!::mkdtemp(folder.data())) {
    std::cerr << "sldb: cannot make a temporary folder in "
              << std::filesystem::temp_directory_path() << "\n";
    return 1;
  }
  std::string path = folder + "/demo" + OdString(OD_DRAWING_FILE_EXTENSION).toUtf8();
  {
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
  printInfo(readDrawing(path), std::cout);
  if (keep) {
    std::cout << "kept " << folder << "\n";
  } else {
    std::filesystem::remove_all(folder);
  }
  return 0;
}

int cmdHelp(const Args&);

struct Command {
  const char* name;
  const char* usage;
  const char* summary;
  int (*run)(const Args&);
};

const Command kCommands[] = {
    {"new", "new DRAWING [--imperial] [--insunits N] [--force]",
     "write an empty drawing (metric: MEASUREMENT 1, INSUNITS 4; imperial: 0 and 1)", cmdNew},
    {"info", "info DRAWING", "print system variables, classes and the number of objects", cmdInfo},
    {"demo", "demo [--keep]",
     "make, save and read back a small drawing in a temporary folder, then print its info",
     cmdDemo},
    {"help", "help", "print this help", cmdHelp},
};

int cmdHelp(const Args&) {
  std::cout << "usage: sldb COMMAND [ARGS]\n\ncommands:\n";
  for (const Command& c : kCommands)
    std::cout << "  " << c.usage << "\n      " << c.summary << "\n";
  std::cout << "\ndrawings use the extension " << OdString(OD_DRAWING_FILE_EXTENSION).toUtf8()
            << "\n";
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Args args(argv + 1, argv + argc);
  if (args.empty() || args[0] == "--help" || args[0] == "-h") return cmdHelp(args);
  for (const Command& c : kCommands) {
    if (args[0] != c.name) continue;
    try {
      return c.run(Args(args.begin() + 1, args.end()));
    } catch (const UsageError& e) {
      std::cerr << "sldb " << c.name << ": " << e.message << " (usage: sldb " << c.usage << ")\n";
      return 2;
    } catch (const OdError& e) {
      std::cerr << "sldb: " << e.description().toUtf8() << "\n";
      return 1;
    } catch (const std::exception& e) {
      std::cerr << "sldb: " << e.what() << "\n";
      return 1;
    }
  }
  std::cerr << "sldb: unknown command '" << args[0] << "' (see sldb --help)\n";
  return 2;
}

// sldb: the command-line host. One small function per subcommand, listed in one table; errors
// go to stderr as one line with a non-zero exit code.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include <fstream>

#include "DbDatabase.h"
#include "DbDictionary.h"
#include "DbEntity.h"
#include "DbMemoryFiler.h"
#include "DbProxyObject.h"
#include "RxModule.h"

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

const wchar_t kRecordKey[] = L"STOCK_LIB_MANAGER";
const wchar_t kRecordClass[] = L"StockLibManager";

/// The library record of a drawing, read from its filed data: the host knows the record's file
/// layout, not the module's classes.
struct RecordInfo {
  enum State { kNone, kForeign, kProxy, kRecord } state = kNone;
  OdString className;
  bool embedded = false;
  OdString primaryPath;
  std::vector<std::uint8_t> embeddedBytes;
  OdArray<OdString> secondaryPaths;
  OdArray<OdString> filterTags;
};

OdArray<OdString> readStrings(OdDbDwgFiler* filer) {
  OdArray<OdString> strings;
  std::int32_t count = filer->rdInt32();
  if (count < 0 || static_cast<std::uint64_t>(count) > filer->bytesLeft()) {
    throw OdError(eBadDrawingFile, OdString(L"the library record holds an absurd count"));
  }
  for (std::int32_t i = 0; i < count; ++i)
    strings.append(filer->rdString());
  return strings;
}

RecordInfo readRecord(OdDbDatabase* db) {
  RecordInfo info;
  OdDbDictionaryPtr root = db->getNamedObjectsDictionaryId().safeOpenObject();
  OdDbObjectPtr object = root->getAt(kRecordKey, OdDb::kForRead);
  if (!object) return info;
  if (auto proxy = OdDbProxyObject::cast(object)) {
    info.className = proxy->originalClass().name;
    info.state = info.className == kRecordClass ? RecordInfo::kProxy : RecordInfo::kForeign;
    return info;
  }
  info.className = object->isA()->name();
  if (info.className != kRecordClass) {
    info.state = RecordInfo::kForeign;
    return info;
  }
  info.state = RecordInfo::kRecord;
  std::vector<std::uint8_t> base, all;
  object->OdDbObject::dwgOutFields(odDbCreateMemoryWriter(base, OdDbFiler::kFileFiler, db));
  object->dwgOutFields(odDbCreateMemoryWriter(all, OdDbFiler::kFileFiler, db));
  OdDbDwgFilerPtr in = odDbCreateMemoryReader(all.data() + base.size(), all.size() - base.size(),
                                              OdDbFiler::kFileFiler, db);
  std::uint8_t version = in->rdUInt8();
  info.embedded = version == 0 || (in->rdUInt8() & 1) != 0;
  if (info.embedded) {
    std::int64_t size = in->rdInt64();
    if (size < 0 || static_cast<std::uint64_t>(size) > in->bytesLeft()) {
      throw OdError(eBadDrawingFile, OdString(L"the library record holds an absurd size"));
    }
    info.embeddedBytes.resize(static_cast<std::size_t>(size));
    in->rdBytes(info.embeddedBytes.data(), info.embeddedBytes.size());
  } else {
    info.primaryPath = in->rdString();
  }
  if (version == 1) {
    info.secondaryPaths = readStrings(in);
    info.filterTags = readStrings(in);
  }
  return info;
}

void printRecord(OdDbDatabase* db, std::ostream& out) {
  RecordInfo record = readRecord(db);
  switch (record.state) {
    case RecordInfo::kNone:
      out << "library record: no library record\n";
      return;
    case RecordInfo::kForeign:
      out << "library record: the key holds an object of another class ("
          << record.className.toUtf8() << ")\n";
      return;
    case RecordInfo::kProxy:
      out << "library record: kept as a proxy (the module is not loaded)\n";
      return;
    case RecordInfo::kRecord:
      break;
  }
  if (record.embedded) {
    out << "library record: embedded primary, " << record.embeddedBytes.size() << " bytes\n";
  } else {
    out << "library record: external primary " << record.primaryPath.toUtf8() << "\n";
  }
  for (const OdString& path : record.secondaryPaths)
    out << "  secondary:   " << path.toUtf8() << "\n";
  for (const OdString& tag : record.filterTags)
    out << "  filter tag:  " << tag.toUtf8() << "\n";
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
  printRecord(db, out);
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

int cmdExportEmbedded(const Args& args) {
  if (args.size() != 2) throw UsageError{"export-embedded needs a drawing and an output file"};
  OdDbDatabasePtr db = readDrawing(args[0]);
  RecordInfo record = readRecord(db);
  if (record.state != RecordInfo::kRecord || !record.embedded) {
    std::cerr << "sldb: " << args[0] << " has no embedded library\n";
    return 1;
  }
  // Written beside the target and renamed, so a failure leaves no half-written library.
  std::string temporary = args[1] + ".sldb-tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(record.embeddedBytes.data()),
              static_cast<std::streamsize>(record.embeddedBytes.size()));
    if (!out.flush()) {
      std::remove(temporary.c_str());
      std::cerr << "sldb: cannot write " << args[1] << "\n";
      return 1;
    }
  }
  if (std::rename(temporary.c_str(), args[1].c_str()) != 0) {
    std::remove(temporary.c_str());
    std::cerr << "sldb: cannot write " << args[1] << "\n";
    return 1;
  }
  std::cout << "wrote " << record.embeddedBytes.size() << " bytes to " << args[1] << "\n";
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
    {"info", "info DRAWING",
     "print system variables, classes, the number of objects and the library record", cmdInfo},
    {"export-embedded", "export-embedded DRAWING OUT",
     "write the drawing's embedded library to a file (an ordinary library file)",
     cmdExportEmbedded},
    {"demo", "demo [--keep]",
     "make, save and read back a small drawing in a temporary folder, then print its info",
     cmdDemo},
    {"help", "help", "print this help", cmdHelp},
};

int cmdHelp(const Args&) {
  std::cout << "usage: sldb [--module PATH] COMMAND [ARGS]\n\n"
               "  --module PATH  the stocklib_db.tx module to load (default: the build's or the\n"
               "                 installed copy)\n\ncommands:\n";
  for (const Command& c : kCommands)
    std::cout << "  " << c.usage << "\n      " << c.summary << "\n";
  std::cout << "\ndrawings use the extension " << OdString(OD_DRAWING_FILE_EXTENSION).toUtf8()
            << "\n";
  return 0;
}

/// defaultModulePath: the build's copy when it exists, else the copy installed beside the host.
std::string defaultModulePath(const char* argv0) {
  if (std::filesystem::exists(SLDB_BUILD_MODULE)) return SLDB_BUILD_MODULE;
  std::error_code ec;
  std::filesystem::path self = std::filesystem::canonical("/proc/self/exe", ec);
  if (ec) self = std::filesystem::absolute(argv0);
  for (const char* relative : {"stocklib_db.tx", "../lib/stocklib_db.tx"}) {
    std::filesystem::path candidate = self.parent_path() / relative;
    if (std::filesystem::exists(candidate)) return candidate.string();
  }
  return SLDB_BUILD_MODULE;
}

/// Loads the module for the life of the command, as a host does, and unloads it afterwards.
class LoadedModule {
 public:
  explicit LoadedModule(const std::string& path)
      : m_module(odrxModuleManager()->loadModule(OdString::fromUtf8(path))) {}
  ~LoadedModule() {
    try {
      odrxModuleManager()->unloadModule(m_module);
    } catch (const OdError& e) {
      std::cerr << "sldb: unloading the module: " << e.description().toUtf8() << "\n";
    }
  }

 private:
  OdRxModulePtr m_module;
};

}  // namespace

int main(int argc, char** argv) {
  Args args(argv + 1, argv + argc);
  std::string modulePath;
  if (args.size() >= 2 && args[0] == "--module") {
    modulePath = args[1];
    args.erase(args.begin(), args.begin() + 2);
  } else if (!args.empty() && args[0] == "--module") {
    std::cerr << "sldb: --module needs a path (see sldb --help)\n";
    return 2;
  }
  if (args.empty() || args[0] == "--help" || args[0] == "-h") return cmdHelp(args);
  if (modulePath.empty()) modulePath = defaultModulePath(argv[0]);
  for (const Command& c : kCommands) {
    if (args[0] != c.name) continue;
    try {
      LoadedModule module(modulePath);
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

// sldb: the command-line host. One small function per subcommand, listed in one table; errors
// go to stderr as one line with a non-zero exit code.
#include <dlfcn.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <fstream>

#include "Cli.h"
#include "DbDatabase.h"
#include "DbDictionary.h"
#include "DbEntity.h"
#include "DbMemoryFiler.h"
#include "DbProxyObject.h"
#include "RxModule.h"

namespace {

using sldb::Args;
using sldb::UsageError;

/// The library commands, found in the commands module once it is loaded.
const sldb::LibraryCommandTable* g_library = nullptr;

const sldb::LibraryCommandTable& library() {
  if (!g_library) throw sldb::Failure{"the library commands module is not loaded"};
  return *g_library;
}

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
  out << "libraries:\n";
  library().printLibraries(db, out);
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

// A new metric drawing in a fresh temporary folder, with a few entities; the library tour binds
// it and fetches from the default library; the saved drawing is read back and shown.
int cmdDemo(const Args& args) {
  bool keep = !args.empty() && args[0] == "--keep";
  if (args.size() > (keep ? 1u : 0u)) throw UsageError{"demo takes only --keep"};
  std::string folder = (std::filesystem::temp_directory_path() / "sldb-demo-XXXXXX").string();
  if (!::mkdtemp(folder.data())) {
    std::cerr << "sldb: cannot make a temporary folder in "
              << std::filesystem::temp_directory_path() << "\n";
    return 1;
  }
  // The folder goes when the tour ends, also when it fails, unless asked to keep it.
  struct Cleanup {
    const std::string& folder;
    bool keep;
    ~Cleanup() {
      std::error_code ec;
      if (keep) {
        std::cout << "kept " << folder << "\n";
      } else {
        std::filesystem::remove_all(folder, ec);
      }
    }
  } cleanup{folder, keep};
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
  std::cout << "wrote a new metric drawing with a line, a circle and an outline: " << path << "\n";
  library().libraryTour(folder, path);
  library().valueTour(path);
  std::cout << "8. read it back:\n";
  printInfo(readDrawing(path), std::cout);
  return 0;
}

int cmdHelp(const Args&);

/// A library command: an entry of the commands module's table.
using LibraryCommand = int (*sldb::LibraryCommandTable::*)(const Args&);

struct Command {
  const char* name;
  const char* usage;
  const char* summary;
  int (*run)(const Args&);              // a command of the host itself, or
  LibraryCommand fromModule = nullptr;  // one of the commands module
};

const Command kCommands[] = {
    {"new", "new DRAWING [--imperial] [--insunits N] [--force]",
     "write an empty drawing (metric: MEASUREMENT 1, INSUNITS 4; imperial: 0 and 1)", cmdNew},
    {"info", "info DRAWING",
     "print system variables, classes, the number of objects, the library record and the\n"
     "      bound libraries (location, unit, read-only, object counts)",
     cmdInfo},
    {"export-embedded", "export-embedded DRAWING OUT",
     "write the drawing's embedded library to a file (an ordinary library file)",
     cmdExportEmbedded},
    {"demo", "demo [--keep]",
     "a tour in a temporary folder: a new drawing gets a material and a profile from the\n"
     "      shipped library in an embedded primary, two lines get property values, and the\n"
     "      drawing is saved, read back and shown",
     cmdDemo},
    {"init", "init DRAWING", "give a drawing without libraries an embedded primary library",
     nullptr, &sldb::LibraryCommandTable::init},
    {"embed", "embed DRAWING",
     "make the primary library embedded (an external primary is copied into it)", nullptr,
     &sldb::LibraryCommandTable::embed},
    {"set-primary", "set-primary DRAWING PATH",
     "make the library at PATH (created when missing) the primary; the old one is copied in",
     nullptr, &sldb::LibraryCommandTable::setPrimary},
    {"move-primary", "move-primary DRAWING PATH [--repoint]",
     "move the external primary's file to PATH, or with --repoint use the file at PATH", nullptr,
     &sldb::LibraryCommandTable::movePrimary},
    {"add-secondary", "add-secondary DRAWING PATH",
     "open the library at PATH (created when missing) as the secondary library", nullptr,
     &sldb::LibraryCommandTable::addSecondary},
    {"close-secondary", "close-secondary DRAWING PATH", "close that secondary library", nullptr,
     &sldb::LibraryCommandTable::closeSecondary},
    {"list", "list DRAWING TYPE [--from primary|secondaries|all]",
     "list the names of objects of TYPE: material, material-type, composition,\n"
     "      composition-type, profile (full names, sorted), property-namespace, property-set,\n"
     "      measure, unit, entity-type, layer, tag",
     nullptr, &sldb::LibraryCommandTable::list},
    {"fetch", "fetch DRAWING TYPE NAME",
     "copy the object NAME of TYPE from a secondary library into the primary on first use\n"
     "      (every type but property-set; a profile as \"EN 10365 HEA 200\")",
     nullptr, &sldb::LibraryCommandTable::fetch},
    {"palette",
     "palette DRAWING material|composition NAME [--from primary|secondaries]\n"
     "      [--set LABEL=VALUE]...",
     "show the object's palette (categories, labels, values, read-only marks, children,\n"
     "      custom values; with --lang de in German); each --set edits a property as the\n"
     "      palette does (an empty VALUE clears) and saves the object into the primary",
     nullptr, &sldb::LibraryCommandTable::palette},
    {"section", "section DRAWING NAME [--json] [--density KG_PER_M3]",
     "print the section properties of the profile NAME (its full name, as list prints it)\n"
     "      in its library's unit; --json as one object (alpha in degrees), --density adds\n"
     "      the mass per length in kg/m",
     nullptr, &sldb::LibraryCommandTable::section},
    {"draw", "draw DRAWING profile|composition NAME OUT.svg",
     "draw a profile's cross-section or a composition's plies to scale as an SVG picture", nullptr,
     &sldb::LibraryCommandTable::draw},
    {"defs", "defs DRAWING [--namespace NS]",
     "list the primary library's property namespaces, their sets (entity types, per instance)\n"
     "      and definitions (key, kind, type, unit, default)",
     nullptr, &sldb::LibraryCommandTable::defs},
    {"def-add", "def-add DRAWING SET~NS NAME TYPE [--value]",
     "append a property (or value) definition of TYPE (double, array<string>,\n"
     "      map<string,double> ...) to the set, created in namespace NS when missing",
     nullptr, &sldb::LibraryCommandTable::defAdd},
    {"def-rm", "def-rm DRAWING NAME~NS", "remove a property or value definition", nullptr,
     &sldb::LibraryCommandTable::defRm},
    {"add-entity", "add-entity DRAWING line X,Y,Z X,Y,Z | circle X,Y,Z R | polyline X,Y X,Y ...",
     "add an entity to the model space and print its handle", nullptr,
     &sldb::LibraryCommandTable::addEntity},
    {"entities", "entities DRAWING",
     "list the model space's entities: handle, class, number of stored values", nullptr,
     &sldb::LibraryCommandTable::entities},
    {"props", "props DRAWING HANDLE [--set NAME~NS | --namespace NS | --mapped]",
     "list the entity's properties: key, set, kind, storage type, value, result", nullptr,
     &sldb::LibraryCommandTable::props},
    {"set-prop", "set-prop DRAWING HANDLE NAME~NS VALUE",
     "set a property value, parsed by its type (1.5, text, true, 1,2,3, [1, 2], {a: 1})", nullptr,
     &sldb::LibraryCommandTable::setProp},
    {"reset-prop", "reset-prop DRAWING HANDLE [NAME~NS]",
     "remove one stored value, or every value of the entity's properties", nullptr,
     &sldb::LibraryCommandTable::resetProp},
    {"purge-props", "purge-props DRAWING HANDLE",
     "remove the stored values that no applicable property set defines", nullptr,
     &sldb::LibraryCommandTable::purgeProps},
    {"attach-set", "attach-set DRAWING HANDLE SET~NS",
     "attach a per-instance property set to the entity", nullptr,
     &sldb::LibraryCommandTable::attachSet},
    {"detach-set", "detach-set DRAWING HANDLE SET~NS",
     "detach a per-instance property set from the entity", nullptr,
     &sldb::LibraryCommandTable::detachSet},
    {"help", "help", "print this help", cmdHelp},
};

int cmdHelp(const Args&) {
  std::cout
      << "usage: sldb [OPTIONS] COMMAND [ARGS]\n\n"
         "  --module PATH           a module to load after stocklib_db.tx, in the order given\n"
         "                          (repeatable); one named stocklib_db.tx replaces the default\n"
         "                          (the build's or the installed copy)\n"
         "  --roaming DIR           root folder whose Support folder holds the defaults\n"
         "                          (default: the build's or the installed support data)\n"
         "  --default-library PATH  default secondary library\n"
         "  --lang CODE             name the objects of new libraries in that language (de)\n"
         "  --verbose               print every library event\n\ncommands:\n";
  for (const Command& c : kCommands)
    std::cout << "  " << c.usage << "\n      " << c.summary << "\n";
  std::cout << "\ndrawings use the extension " << OdString(OD_DRAWING_FILE_EXTENSION).toUtf8()
            << "\n";
  return 0;
}

#ifdef SLDB_BUILD_MODULE
const char* const kBuildModule = SLDB_BUILD_MODULE;
const char* const kBuildCommands = SLDB_BUILD_COMMANDS;
const char* const kBuildRoaming = SLDB_BUILD_ROAMING;
#else
// The installed copy knows no build: only what lies beside it counts.
const char* const kBuildModule = "";
const char* const kBuildCommands = "";
const char* const kBuildRoaming = "";
#endif

/// defaultPath: the build's copy when it exists, else the copy installed beside the host or in
/// the prefix's lib folder; that last path when there is none, for the error to name it.
std::string defaultPath(const char* built, const char* fileName) {
  if (*built && std::filesystem::exists(built)) return built;
  std::error_code ec;
  std::filesystem::path self = std::filesystem::canonical("/proc/self/exe", ec);
  if (ec) return built;
  const std::filesystem::path installed = self.parent_path().parent_path() / "lib" / fileName;
  for (const std::filesystem::path& candidate : {self.parent_path() / fileName, installed})
    if (std::filesystem::exists(candidate)) return candidate.string();
  return *built ? built : installed.string();
}

/// defaultRoaming: the build's root folder when its Support folder exists, else the installed
/// one: share/stocklib_db under the prefix, or the host's folder or the one above; empty when
/// there is none.
std::string defaultRoaming() {
  std::error_code ec;
  std::filesystem::path self = std::filesystem::canonical("/proc/self/exe", ec);
  std::vector<std::filesystem::path> candidates;
  if (*kBuildRoaming) candidates.push_back(kBuildRoaming);
  if (!ec) {
    const std::filesystem::path bin = self.parent_path(), prefix = bin.parent_path();
    candidates.insert(candidates.end(), {prefix / "share" / "stocklib_db", bin, prefix});
  }
  for (const std::filesystem::path& root : candidates)
    if (std::filesystem::is_directory(root / "Support", ec)) return root.string();
  return std::string();
}

/// Loads the module for the life of the command, as a host does, and unloads it afterwards.
class LoadedModule {
 public:
  explicit LoadedModule(const std::string& path)
      : m_module(odrxModuleManager()->loadModule(OdString::fromUtf8(path))) {}
  /// entry: the address of the module's C entry point `name`, or null.
  void* entry(const char* name) const { return dlsym(m_module->sysData(), name); }
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

/// The modules of one command, unloaded in the reverse order of their loading.
class LoadedModules {
 public:
  LoadedModule& load(const std::string& path) {
    m_modules.push_back(std::make_unique<LoadedModule>(path));
    return *m_modules.back();
  }
  ~LoadedModules() {
    while (!m_modules.empty())
      m_modules.pop_back();
  }

 private:
  std::vector<std::unique_ptr<LoadedModule>> m_modules;
};

/// reporting: runs `body` and turns what it throws into one line on stderr and an exit code.
template <class Body>
int reporting(const Command& c, Body body) {
  try {
    return body();
  } catch (const UsageError& e) {
    std::cerr << "sldb " << c.name << ": " << e.message << " (usage: sldb " << c.usage << ")\n";
    return 2;
  } catch (const sldb::Failure& e) {
    std::cerr << "sldb " << c.name << ": " << e.message << "\n";
    return 1;
  } catch (const OdError& e) {
    std::cerr << "sldb: " << e.description().toUtf8() << "\n";
    return 1;
  } catch (const std::exception& e) {
    std::cerr << "sldb: " << e.what() << "\n";
    return 1;
  }
}

}  // namespace

int main(int argc, char** argv) {
  Args args(argv + 1, argv + argc);
  std::string modulePath;
  std::vector<std::string> hostModules;  // loaded after stocklib_db.tx, in this order
  sldb::LibraryOptions options;
  while (!args.empty() && args[0].rfind("--", 0) == 0 && args[0] != "--help") {
    const std::string option = args[0];
    if (option == "--verbose") {
      options.verbose = true;
      args.erase(args.begin());
      continue;
    }
    if (option != "--module" && option != "--roaming" && option != "--default-library" &&
        option != "--lang")
      break;
    if (args.size() < 2) {
      std::cerr << "sldb: " << option << " needs a value (see sldb --help)\n";
      return 2;
    }
    if (option == "--module") {
      if (std::filesystem::path(args[1]).filename() == "stocklib_db.tx") {
        modulePath = args[1];
      } else {
        hostModules.push_back(args[1]);
      }
      args.erase(args.begin(), args.begin() + 2);
      continue;
    }
    (option == "--roaming" ? options.roaming
     : option == "--lang"  ? options.language
                           : options.defaultLibrary) = args[1];
    args.erase(args.begin(), args.begin() + 2);
  }
  // The code becomes part of a path: a plain code ("de", "pt_BR", "sr@latin") only.
  if (options.language.find_first_not_of(
          "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz_@") != std::string::npos) {
    std::cerr << "sldb: --lang wants a language code such as de or pt_BR, not '" << options.language
              << "'\n";
    return 2;
  }
  if (args.empty() || args[0] == "--help" || args[0] == "-h") return cmdHelp(args);
  if (modulePath.empty()) modulePath = defaultPath(kBuildModule, "stocklib_db.tx");
  const std::string commandsPath = defaultPath(kBuildCommands, "sldb_commands.tx");
  if (options.roaming.empty()) options.roaming = defaultRoaming();
  for (const Command& c : kCommands) {
    if (args[0] != c.name) continue;
    return reporting(c, [&] {
      LoadedModules modules;
      modules.load(modulePath);
      for (const std::string& path : hostModules)
        modules.load(path);
      // The commands module links stocklib_db.tx; loaded after it, it shares the copy loaded.
      LoadedModule& commands = modules.load(commandsPath);
      auto entry =
          reinterpret_cast<sldb::LibraryCommandsEntry>(commands.entry("sldbLibraryCommands"));
      if (!entry) throw sldb::Failure{commandsPath + " holds no library commands"};
      g_library = entry();
      // Errors of the options and the command are reported while the modules that threw them
      // are still loaded: the thrown objects' code lives there.
      return reporting(c, [&] {
        struct Options {
          void* applied;
          ~Options() { g_library->releaseOptions(applied); }
        } applied{g_library->applyOptions(options)};
        const Args rest(args.begin() + 1, args.end());
        return c.run ? c.run(rest) : (library().*c.fromModule)(rest);
      });
    });
  }
  std::cerr << "sldb: unknown command '" << args[0] << "' (see sldb --help)\n";
  return 2;
}

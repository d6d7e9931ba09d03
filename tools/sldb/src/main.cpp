// sldb: the command-line host. Global options are parsed first, the modules they name are
// loaded, and then the command line is parsed whole against the subcommands the host and the
// commands module declare; errors go to stderr as one line with a non-zero exit code.
#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Cli.h"
#include "DbDatabase.h"
#include "DbDictionary.h"
#include "DbEntity.h"
#include "DbMemoryFiler.h"
#include "DbProxyObject.h"
#include "RxModule.h"

namespace {

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

/// recordJson: the library record as `info` shows it; "state" is none, foreign, proxy,
/// embedded or external.
nlohmann::json recordJson(OdDbDatabase* db) {
  RecordInfo record = readRecord(db);
  switch (record.state) {
    case RecordInfo::kNone:
      return {{"state", "none"}};
    case RecordInfo::kForeign:
      return {{"state", "foreign"}, {"class", record.className.toUtf8()}};
    case RecordInfo::kProxy:
      return {{"state", "proxy"}};
    case RecordInfo::kRecord:
      break;
  }
  nlohmann::json json;
  if (record.embedded) {
    json = {{"state", "embedded"}, {"bytes", record.embeddedBytes.size()}};
  } else {
    json = {{"state", "external"}, {"path", record.primaryPath.toUtf8()}};
  }
  json["secondaries"] = nlohmann::json::array();
  for (const OdString& path : record.secondaryPaths)
    json["secondaries"].push_back(path.toUtf8());
  json["filter_tags"] = nlohmann::json::array();
  for (const OdString& tag : record.filterTags)
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
nlohmann::json infoJson(OdDbDatabase* db) {
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
          {"MEASUREMENT", static_cast<int>(db->getMEASUREMENT())},
          {"measurement", db->getMEASUREMENT() == OdDb::kMetric ? "metric" : "imperial"},
          {"INSUNITS", static_cast<int>(db->getINSUNITS())},
          {"units", unitName(db->getINSUNITS())},
          {"objects", db->numObjects()},
          {"classes", classes},
          {"entities with unreadable values", library().damagedEntities(db)},
          {"record", recordJson(db)},
          {"libraries", library().libraries(db)}};
}

void printInfo(const nlohmann::json& info, std::ostream& out) {
  out << "drawing:     " << info["drawing"].get<std::string>() << "\n";
  out << "MEASUREMENT: " << info["MEASUREMENT"].get<int>() << " ("
      << info["measurement"].get<std::string>() << ")\n";
  out << "INSUNITS:    " << info["INSUNITS"].get<int>() << " (" << info["units"].get<std::string>()
      << ")\n";
  out << "objects:     " << info["objects"].get<std::uint64_t>() << "\n";
  out << "classes:\n";
  for (const auto& [name, count] : info["classes"].items())
    out << "  " << count.get<int>() << "  " << name << "\n";
  if (int damaged = info["entities with unreadable values"].get<int>())
    out << "entities with unreadable values: " << damaged << "\n";
  printRecord(info["record"], out);
  out << "libraries:\n";
  library().printLibraries(info["libraries"], out);
}

OdDbDatabasePtr readDrawing(const std::string& path) {
  OdDbDatabasePtr db = odDbCreateDatabase();
  db->readFile(OdString::fromUtf8(path));
  return db;
}

struct NewArguments {
  std::string drawing;
  bool imperial = false, force = false;
  std::optional<int> insunits;
};

int cmdNew(const NewArguments& a) {
  if (!a.force && std::filesystem::exists(a.drawing)) {
    std::cerr << "sldb: " << a.drawing << " exists already (use --force to replace it)\n";
    return 1;
  }
  OdDbDatabasePtr db = odDbCreateDatabase(!a.imperial);
  if (a.insunits) db->setINSUNITS(static_cast<OdDb::UnitsValue>(*a.insunits));
  db->writeFile(OdString::fromUtf8(a.drawing));
  std::cout << "wrote " << db->getFilename().toUtf8() << "\n";
  return 0;
}

struct InfoArguments {
  std::string drawing;
  bool json = false;
};

int cmdInfo(const InfoArguments& a) {
  const nlohmann::json info = infoJson(readDrawing(a.drawing));
  if (a.json) {
    std::cout << info.dump(2) << "\n";
  } else {
    printInfo(info, std::cout);
  }
  return 0;
}

struct ExportArguments {
  std::string drawing, out;
};

int cmdExportEmbedded(const ExportArguments& a) {
  OdDbDatabasePtr db = readDrawing(a.drawing);
  RecordInfo record = readRecord(db);
  if (record.state != RecordInfo::kRecord || !record.embedded) {
    std::cerr << "sldb: " << a.drawing << " has no embedded library\n";
    return 1;
  }
  // Written beside the target and renamed, so a failure leaves no half-written library.
  std::string temporary = a.out + ".sldb-tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(record.embeddedBytes.data()),
              static_cast<std::streamsize>(record.embeddedBytes.size()));
    if (!out.flush()) {
      std::remove(temporary.c_str());
      std::cerr << "sldb: cannot write " << a.out << "\n";
      return 1;
    }
  }
  if (std::rename(temporary.c_str(), a.out.c_str()) != 0) {
    std::remove(temporary.c_str());
    std::cerr << "sldb: cannot write " << a.out << "\n";
    return 1;
  }
  std::cout << "wrote " << record.embeddedBytes.size() << " bytes to " << a.out << "\n";
  return 0;
}

// A new metric drawing in a fresh temporary folder, with a few entities; the library tour binds
// it and fetches from the default library; the saved drawing is read back and shown.
int cmdDemo(bool keep) {
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
  printInfo(infoJson(readDrawing(path)), std::cout);
  return 0;
}

/// declareHostCommands: the host's own commands; `help` is added by declareHelp, last.
void declareHostCommands(sldb::Commands& commands) {
  auto& made = commands.arguments<NewArguments>();
  CLI::App* c = commands.add(
      "new", "write an empty drawing (metric: MEASUREMENT 1, INSUNITS 4; imperial: 0 and 1)",
      [&made] { return cmdNew(made); });
  sldb::drawingArgument(c, made.drawing);
  c->add_flag("--imperial", made.imperial, "an imperial drawing");
  c->add_option("--insunits", made.insunits, "the drawing's INSUNITS")->check(CLI::Range(0, 20));
  c->add_flag("--force", made.force, "replace an existing file");

  auto& info = commands.arguments<InfoArguments>();
  c = commands.add("info",
                   "print system variables, classes, the number of objects, the library record\n"
                   "and the bound libraries (location, unit, read-only, object counts)",
                   [&info] { return cmdInfo(info); });
  sldb::drawingArgument(c, info.drawing);
  c->add_flag("--json", info.json, "one JSON document with the same figures");

  auto& exported = commands.arguments<ExportArguments>();
  c = commands.add("export-embedded",
                   "write the drawing's embedded library to a file (an ordinary library file)",
                   [&exported] { return cmdExportEmbedded(exported); });
  sldb::drawingArgument(c, exported.drawing);
  c->add_option("OUT", exported.out, "the library file to write")->required();

  auto& keep = commands.arguments<bool>();
  c = commands.add("demo",
                   "a tour in a temporary folder: a new drawing gets a material and a profile\n"
                   "from the shipped library in an embedded primary, two lines get property\n"
                   "values, and the drawing is saved, read back and shown",
                   [&keep] { return cmdDemo(keep); });
  c->add_flag("--keep", keep, "keep the temporary folder");
}

void declareHelp(sldb::Commands& commands) {
  CLI::App& app = commands.app();
  commands.add("help", "print this help", [&app] {
    std::cout << app.get_formatter()->make_help(&app, app.get_name(), CLI::AppFormatMode::Normal);
    return 0;
  });
}

/// The global options, parsed before the modules are loaded.
struct GlobalOptions {
  std::vector<std::string> modules;
  sldb::LibraryOptions library;
};

void declareGlobalOptions(CLI::App& app, GlobalOptions& options) {
  app.add_option("--module", options.modules,
                 "a module to load after stocklib_db.tx, in the order given (repeatable); one\n"
                 "named stocklib_db.tx replaces the default (the build's or the installed copy)")
      ->type_name("PATH")
      ->allow_extra_args(false);
  app.add_option("--roaming", options.library.roaming,
                 "root folder whose Support folder holds the defaults\n"
                 "(default: the build's or the installed support data)")
      ->type_name("DIR");
  app.add_option("--default-library", options.library.defaultLibrary, "default secondary library")
      ->type_name("PATH");
  // The code becomes part of a path: a plain code ("de", "pt_BR", "sr@latin") only.
  app.add_option("--lang", options.library.language,
                 "name the objects of new libraries, and label palettes, in that language (de)")
      ->type_name("CODE")
      ->check(CLI::Validator(
          [](std::string& code) {
            return code.find_first_not_of(
                       "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz_@") ==
                           std::string::npos
                       ? std::string()
                       : "wants a language code such as de or pt_BR, not '" + code + "'";
          },
          ""));
  app.add_flag("--verbose", options.library.verbose, "print every library event");
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

/// oneLine: a message on one line.
std::string oneLine(std::string text) {
  std::replace(text.begin(), text.end(), '\n', ' ');
  while (!text.empty() && text.back() == ' ')
    text.pop_back();
  return text;
}

/// chosen: the subcommand the parsed command line named; null when none.
const CLI::App* chosen(const CLI::App& app) {
  std::vector<CLI::App*> parsed = app.get_subcommands();
  return parsed.empty() ? nullptr : parsed.front();
}

/// usage: "sldb COMMAND [OPTIONS] POSITIONALS", as the command's help begins.
std::string usage(const CLI::App& command) {
  std::string text = oneLine(CLI::Formatter().make_usage(&command, command.get_name()));
  return "sldb " + text.substr(text.find(command.get_name()));
}

/// reporting: runs `body` and turns what it throws into one line on stderr and an exit code;
/// a command's errors are named after the subcommand that `app` parsed.
template <class Body>
int reporting(const CLI::App& app, Body body) {
  auto prefix = [&] {
    const CLI::App* command = chosen(app);
    return command ? "sldb " + command->get_name() + ": " : std::string("sldb: ");
  };
  auto hint = [&] {
    const CLI::App* command = chosen(app);
    return command ? " (usage: " + usage(*command) + ")" : std::string(" (see sldb --help)");
  };
  try {
    return body();
  } catch (const CLI::ParseError& e) {
    if (e.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success)) {
      std::cout << app.help();  // the chosen command's help, else the host's
      return 0;
    }
    std::cerr << prefix() << oneLine(e.what()) << hint() << "\n";
    return 2;
  } catch (const UsageError& e) {
    std::cerr << prefix() << e.message << hint() << "\n";
    return 2;
  } catch (const sldb::Failure& e) {
    std::cerr << prefix() << e.message << "\n";
    return 1;
  } catch (const OdError& e) {
    std::cerr << "sldb: " << e.description().toUtf8() << "\n";
    return 1;
  } catch (const std::exception& e) {
    std::cerr << "sldb: " << e.what() << "\n";
    return 1;
  }
}

bool asksForHelp(const std::vector<std::string>& args) {
  return args.empty() || args[0] == "help" ||
         std::find_if(args.begin(), args.end(), [](const std::string& a) {
           return a == "--help" || a == "-h";
         }) != args.end();
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app(
      "The command-line host: it loads stocklib_db.tx as a CAD host does and binds\n"
      "building-information libraries to drawings.",
      "sldb");
  GlobalOptions options;
  declareGlobalOptions(app, options);
  // First pass: the global options, up to the command's name. The modules they name declare
  // the commands, so the command line is parsed whole only once they are loaded.
  app.set_help_flag();
  app.prefix_command();
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    std::cerr << "sldb: " << oneLine(e.what()) << " (see sldb --help)\n";
    return 2;
  }
  const std::vector<std::string> rest = app.remaining();
  app.prefix_command(false);
  app.set_help_flag("-h,--help", "print this help and exit");
  app.require_subcommand(0, 1);
  app.footer("Drawings use the extension " + OdString(OD_DRAWING_FILE_EXTENSION).toUtf8() +
             "; sldb COMMAND --help describes a command.");
  app.get_formatter()->label("SUBCOMMAND", "COMMAND");
  app.get_formatter()->column_width(24);

  std::string modulePath;
  std::vector<std::string> hostModules;  // loaded after stocklib_db.tx, in this order
  for (const std::string& path : options.modules) {
    if (std::filesystem::path(path).filename() == "stocklib_db.tx") {
      modulePath = path;
    } else {
      hostModules.push_back(path);
    }
  }
  if (modulePath.empty()) modulePath = defaultPath(kBuildModule, "stocklib_db.tx");
  const std::string commandsPath = defaultPath(kBuildCommands, "sldb_commands.tx");
  if (options.library.roaming.empty()) options.library.roaming = defaultRoaming();
  return reporting(app, [&] {
    LoadedModules modules;
    try {
      modules.load(modulePath);
      for (const std::string& path : hostModules)
        modules.load(path);
      // The commands module links stocklib_db.tx; loaded after it, it shares the copy loaded.
      LoadedModule& commands = modules.load(commandsPath);
      auto entry =
          reinterpret_cast<sldb::LibraryCommandsEntry>(commands.entry("sldbLibraryCommands"));
      if (!entry) throw sldb::Failure{commandsPath + " holds no library commands"};
      g_library = entry();
    } catch (const OdError& e) {
      // Help is still given: the host's own commands.
      if (!asksForHelp(rest)) throw;
      std::cerr << "sldb: " << e.description().toUtf8()
                << " (only the host's own commands are listed)\n";
    }
    sldb::Commands commands(app);
    declareHostCommands(commands);
    if (g_library) g_library->declare(commands);
    declareHelp(commands);
    // Errors of the parse and the command are reported while the modules that threw them
    // are still loaded: the thrown objects' code lives there.
    return reporting(app, [&] {
      if (!rest.empty() && rest[0].rfind('-', 0) != 0 &&
          app.get_subcommands([&](const CLI::App* c) { return c->get_name() == rest[0]; })
              .empty()) {
        std::cerr << "sldb: unknown command '" << rest[0] << "' (see sldb --help)\n";
        return 2;
      }
      app.parse(std::vector<std::string>(rest.rbegin(), rest.rend()));
      if (!chosen(app)) {
        std::cout << app.help();
        return 0;
      }
      struct Options {
        void* applied;
        ~Options() {
          if (applied) g_library->releaseOptions(applied);
        }
      } applied{g_library ? g_library->applyOptions(options.library) : nullptr};
      return commands.run();
    });
  });
}

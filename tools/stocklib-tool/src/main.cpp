// stocklib-tool: looks at, fills, writes out and checks library files from the command line.
// Exit codes: 0 success, 1 the command failed or found problems, 2 wrong usage.
#include <sqlite3.h>

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>
#include <pugixml.hpp>

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "ProgressLine.h"
#include "RxClass.h"
#include "stocklib/Ifc.h"
#include "stocklib/Library.h"
#include "stocklib/Materials.h"
#include "stocklib/Objects.h"
#include "stocklib/Profiles.h"

using namespace stocklib;
// Keys in the order written, as the text output has them.
using json = nlohmann::ordered_json;

namespace {

constexpr int kOk = 0;
constexpr int kFailed = 1;
constexpr int kUsageError = 2;

// The highest object type number to look at; numbers above name no type.
constexpr int kLastObjectType = 64;

// What the command line gave; each command reads its own part.
struct Args {
  std::string file;
  std::string xml;
  std::string type;
  std::string unit;
  bool replace = false;
  bool json = false;
};

int fail(const std::string& message) {
  std::fprintf(stderr, "stocklib-tool: %s\n", message.c_str());
  return kFailed;
}

OdString wide(const std::string& utf8) {
  return OdString::fromUtf8(utf8.c_str(), utf8.size());
}

std::string absolute(const std::string& path) {
  std::error_code ec;
  std::filesystem::path p = std::filesystem::absolute(path, ec);
  return ec ? path : p.string();
}

std::shared_ptr<Library> openLibrary(const std::string& file, bool readOnly) {
  if (!std::filesystem::exists(file)) {
    fail(file + ": no such file");
    return nullptr;
  }
  LibraryResult lib = LibraryManager::instance().open(wide(absolute(file)), readOnly);
  if (!lib) fail(file + ": " + lib.message().toUtf8());
  return lib;
}

// Every named object type with its runtime class, by stored number.
std::map<int, std::string> objectTypes() {
  std::map<int, std::string> out;
  for (int t = 1; t <= kLastObjectType; ++t) {
    std::string name = objectTypeName(static_cast<ObjectType>(t)).toUtf8();
    if (name.rfind("ObjectType(", 0) != 0) out.emplace(t, name);
  }
  return out;
}

OdRxClass* classOf(const std::string& typeName) {
  return odrxClassDictionary()->getAt(wide("stocklib::" + typeName));
}

int info(const Args& args) {
  std::shared_ptr<Library> lib = openLibrary(args.file, true);
  if (!lib) return kFailed;
  json counts = json::object();
  std::size_t total = 0;
  for (const auto& [number, name] : objectTypes()) {
    OdRxClass* cls = classOf(name);
    std::vector<KcSmartPtr<Object>> objects;
    lib->getObjects(static_cast<ObjectType>(number), nullptr, objects);
    std::size_t own = 0;
    for (const auto& o : objects)
      own += o->isA() == cls;
    if (!own) continue;
    total += own;
    counts[name] = own;
  }
  Library::CacheInfo cache = lib->cacheInfo();
  json doc = {{"file", args.file},
              {"name", lib->name().toUtf8()},
              {"unit", lib->unit() == kLibraryUnitInch ? "inch" : "millimetre"},
              {"locale", lib->locale().toUtf8()},
              {"region", lib->region().toUtf8()},
              {"schema_version", lib->schemaVersion()},
              {"upgrade", lib->schemaVersion() < kLibrarySchemaVersion},
              {"objects", counts},
              {"total", total},
              {"cache",
               {{"rows", cache.rows},
                {"keys", cache.keys},
                {"limit", cache.limit},
                {"hits", cache.hits},
                {"misses", cache.misses}}}};
  if (args.json) {
    std::printf("%s\n", doc.dump(2).c_str());
    return kOk;
  }
  for (const char* key : {"file", "name", "unit", "locale", "region"})
    std::printf("%-8s %s\n", (std::string(key) + ":").c_str(), doc[key].get<std::string>().c_str());
  if (lib->schemaVersion() < kLibrarySchemaVersion)
    std::printf("schema:  %d (upgraded to %d when opened writable)\n", lib->schemaVersion(),
                kLibrarySchemaVersion);
  else
    std::printf("schema:  %d\n", lib->schemaVersion());
  std::printf("objects:\n");
  for (const auto& [name, count] : counts.items())
    std::printf("  %-26s %zu\n", name.c_str(), count.get<std::size_t>());
  std::printf("  %-26s %zu\n", "total", total);
  std::printf("cache:   %zu objects, %zu keys (at most %zu each), %llu hits, %llu misses\n",
              cache.rows, cache.keys, cache.limit, static_cast<unsigned long long>(cache.hits),
              static_cast<unsigned long long>(cache.misses));
  return kOk;
}

// attributeJson: an attribute's text as a JSON number when it is one whole finite number
// ("200", "-1.5e3"), else as the text.
json attributeJson(const char* text) {
  char* end = nullptr;
  errno = 0;
  const double number = std::strtod(text, &end);
  const bool whole = *text && !std::isspace(static_cast<unsigned char>(*text)) && *end == 0;
  if (!whole || errno == ERANGE || !std::isfinite(number) || std::strpbrk(text, "xXnN"))
    return text;
  char* intEnd = nullptr;
  const long long integer = std::strtoll(text, &intEnd, 10);
  if (*intEnd == 0 && errno != ERANGE) return integer;
  return number;
}

// Attributes that hold names and words, whatever their characters.
bool isText(const char* attribute) {
  for (const char* text : {"name", "label", "description", "symbol", "code", "unique_code"})
    if (std::strcmp(attribute, text) == 0) return true;
  return false;
}

// An element as JSON: its name, its attributes (numbers as numbers) and its children.
json elementJson(const pugi::xml_node& e) {
  json attributes = json::object(), children = json::array();
  for (pugi::xml_attribute a : e.attributes())
    attributes[a.name()] = isText(a.name()) ? json(a.value()) : attributeJson(a.value());
  for (pugi::xml_node c : e.children())
    if (c.type() == pugi::node_element) children.push_back(elementJson(c));
  return {{"element", e.name()}, {"attributes", attributes}, {"children", children}};
}

// Prints an element as one line: its name and attributes, then its children indented.
void printElement(const pugi::xml_node& e, int depth) {
  std::string line(static_cast<std::size_t>(depth) * 2, ' ');
  line += e.name();
  for (pugi::xml_attribute a : e.attributes())
    line += std::string(" ") + a.name() + "=\"" + a.value() + "\"";
  std::printf("%s\n", line.c_str());
  for (pugi::xml_node c : e.children())
    if (c.type() == pugi::node_element) printElement(c, depth + 1);
}

// The outermost elements under `parent` whose class is `wanted` or derives from it.
void findElements(const pugi::xml_node& parent, OdRxClass* wanted,
                  std::vector<pugi::xml_node>& out) {
  for (pugi::xml_node e : parent.children()) {
    if (e.type() != pugi::node_element) continue;
    OdRxClass* cls = classOf(e.name());
    if (cls && cls->isDerivedFrom(wanted))
      out.push_back(e);
    else
      findElements(e, wanted, out);
  }
}

int list(const Args& args) {
  std::shared_ptr<Library> lib = openLibrary(args.file, true);
  if (!lib) return kFailed;
  pugi::xml_document doc;
  pugi::xml_node root = doc.append_child("stocklib");
  lib->exportToXml(root);
  std::vector<pugi::xml_node> found;
  findElements(root, classOf(args.type), found);
  if (args.json) {
    json objects = json::array();
    for (const pugi::xml_node& e : found)
      objects.push_back(elementJson(e));
    json out = {{"type", args.type}, {"count", found.size()}, {"objects", objects}};
    std::printf("%s\n", out.dump(2).c_str());
    return kOk;
  }
  for (const pugi::xml_node& e : found)
    printElement(e, 0);
  std::fprintf(stderr, "%zu %s\n", found.size(), found.size() == 1 ? "object" : "objects");
  return kOk;
}

int importXml(const Args& args) {
  pugi::xml_document doc;
  pugi::xml_parse_result parsed = doc.load_file(args.xml.c_str());
  if (!parsed)
    return fail(args.xml + ": " + parsed.description() + " at offset " +
                std::to_string(parsed.offset));
  pugi::xml_node root = doc.document_element();
  pugi::xml_node meta = root.child("meta");
  // Without --unit, the document's meta names its unit; without either, the library's own.
  std::string metaUnit = meta.child("Unit").text().get();
  bool inch = args.unit.empty() ? metaUnit == "Inch" : args.unit == "inch";
  bool mm = args.unit.empty() ? metaUnit == "Millimeter" : args.unit == "mm";
  int unit = inch ? kLibraryUnitInch : mm ? kLibraryUnitMillimeter : -1;
  const std::string& file = args.file;
  bool exists = std::filesystem::exists(file);
  std::shared_ptr<Library> lib;
  if (exists) {
    lib = openLibrary(file, false);
  } else {
    LibraryUnit libraryUnit = unit == kLibraryUnitInch ? kLibraryUnitInch : kLibraryUnitMillimeter;
    std::string stem = std::filesystem::path(file).stem().string();
    LibraryResult made =
        LibraryManager::instance().create(wide(absolute(file)), libraryUnit, wide(stem));
    if (!made) return fail(file + ": " + made.message().toUtf8());
    lib = made;
  }
  if (!lib) return kFailed;
  if (lib->isReadOnly()) return fail(file + " is read-only");
  ProgressLine progress("importing");
  Library::Progress tell;
  if (progress.shown())
    tell = [&](std::size_t done, std::size_t total) { progress.count(done, total, "objects"); };
  try {
    if (!exists) {
      lib->locale(wide(meta.child("locale").text().get()));
      lib->region(wide(meta.child("region").text().get()));
    }
    lib->importFromXml(root, Library::ImportOptions{unit, args.replace}, tell);
  } catch (const std::exception& e) {
    progress.clear();
    if (!exists) {
      // The library this import made holds nothing the user asked for.
      lib.reset();
      std::error_code ec;
      for (const char* suffix : {"", "-journal", "-wal", "-shm"})
        std::filesystem::remove(file + suffix, ec);
    }
    return fail(args.xml + ": " + e.what());
  }
  return kOk;
}

int exportXml(const Args& args) {
  std::shared_ptr<Library> lib = openLibrary(args.file, true);
  if (!lib) return kFailed;
  pugi::xml_document doc;
  pugi::xml_node decl = doc.append_child(pugi::node_declaration);
  decl.append_attribute("version") = "1.0";
  decl.append_attribute("encoding") = "UTF-8";
  pugi::xml_node root = doc.append_child("stocklib");
  root.append_attribute("version") = "1";
  try {
    lib->exportToXml(root);
  } catch (const Exception& e) {
    return fail(args.file + ": " + e.what());
  }
  // Written beside the target and renamed, so a failed write leaves no half file.
  std::string tmp = args.xml + ".tmp";
  if (!doc.save_file(tmp.c_str(), "  ")) return fail(tmp + ": cannot write");
  std::error_code ec;
  std::filesystem::rename(tmp, args.xml, ec);
  if (ec) return fail(args.xml + ": " + ec.message());
  return kOk;
}

// Writes `text` to `path` through a temporary file renamed into place.
int writeFile(const std::string& path, const std::string& text) {
  std::string tmp = path + ".tmp";
  FILE* f = std::fopen(tmp.c_str(), "wb");
  if (!f) return fail(tmp + ": cannot write");
  bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
  ok = std::fclose(f) == 0 && ok;
  std::error_code ec;
  if (ok) std::filesystem::rename(tmp, path, ec);
  if (!ok || ec) {
    std::filesystem::remove(tmp, ec);
    return fail(path + ": cannot write");
  }
  return kOk;
}

int exportIfc(const Args& args) {
  std::shared_ptr<Library> lib = openLibrary(args.file, true);
  if (!lib) return kFailed;
  std::string text;
  IfcExportSummary summary;
  try {
    summary = exportToIfc(*lib, text);
  } catch (const Exception& e) {
    return fail(args.file + ": " + e.what());
  }
  for (const OdString& s : summary.skipped)
    std::fprintf(stderr, "skipped %s\n", s.toUtf8().c_str());
  if (writeFile(args.xml, text) != kOk) return kFailed;
  std::printf("%zu materials, %zu layer sets, %zu profiles written; %zu skipped\n",
              summary.materials, summary.layerSets, summary.profiles, summary.skipped.size());
  return kOk;
}

int importIfc(const Args& args) {
  std::ifstream in(args.xml, std::ios::binary);
  if (!in) return fail(args.xml + ": cannot read");
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  bool exists = std::filesystem::exists(args.file);
  LibraryResult opened = exists ? LibraryResult(openLibrary(args.file, false))
                                : LibraryManager::instance().create(
                                      wide(absolute(args.file)), kLibraryUnitMillimeter,
                                      wide(std::filesystem::path(args.file).stem().string()));
  if (!opened) return fail(args.file + ": " + opened.message().toUtf8());
  std::shared_ptr<Library> lib = std::move(opened).value();
  if (!lib) return kFailed;  // openLibrary told why
  if (lib->isReadOnly()) return fail(args.file + " is read-only");
  IfcImportSummary summary;
  try {
    summary = importFromIfc(*lib, text);
  } catch (const std::exception& e) {
    // A library this command made for the file goes with it.
    if (!exists) {
      lib.reset();
      std::error_code ec;
      std::filesystem::remove(args.file, ec);
    }
    return fail(args.xml + ": " + e.what() + "; nothing imported");
  }
  for (const OdString& s : summary.skipped)
    std::printf("skipped %s\n", s.toUtf8().c_str());
  std::printf("%zu materials, %zu layer sets, %zu profiles imported; %zu skipped\n",
              summary.materials, summary.layerSets, summary.profiles, summary.skipped.size());
  return kOk;
}

// Runs a query and gives its first column of every row as text.
bool query(sqlite3* db, const std::string& sql, std::vector<std::string>& rows,
           std::string& error) {
  sqlite3_stmt* s = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr) != SQLITE_OK) {
    error = sqlite3_errmsg(db);
    return false;
  }
  int rc;
  while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
    std::string row;
    for (int c = 0; c < sqlite3_column_count(s); ++c) {
      const unsigned char* t = sqlite3_column_text(s, c);
      row += std::string(c ? " " : "") + (t ? reinterpret_cast<const char*>(t) : "NULL");
    }
    rows.push_back(row);
  }
  sqlite3_finalize(s);
  if (rc != SQLITE_DONE) error = sqlite3_errmsg(db);
  return rc == SQLITE_DONE;
}

int check(const Args& args) {
  const std::string& file = args.file;
  int problems = 0;
  ProgressLine progress("checking");
  auto report = [&](const std::string& what) {
    progress.clear();
    std::printf("problem: %s\n", what.c_str());
    ++problems;
  };
  // Opening checks the file's kind, schema version and schema items; a refusal is the finding.
  LibraryResult lib = std::filesystem::exists(file)
                          ? LibraryManager::instance().open(wide(absolute(file)), true)
                          : LibraryResult(ErrorCode::kNotFound, L"no such file");
  if (!lib) {
    report(lib.message().toUtf8());
    std::printf("check failed\n");
    return kFailed;
  }
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    sqlite3_close(db);
    return fail(file + ": cannot open");
  }
  std::vector<std::string> rows;
  std::string error;
  if (!query(db, "PRAGMA user_version", rows, error)) report(error);
  std::printf("schema version: %s\n", rows.empty() ? "?" : rows[0].c_str());
  rows.clear();
  progress.phase("the file's pages");
  if (!query(db, "PRAGMA integrity_check", rows, error)) report(error);
  for (const std::string& r : rows)
    if (r != "ok") report("integrity: " + r);
  progress.clear();
  std::printf("integrity: %s\n", rows.size() == 1 && rows[0] == "ok" ? "ok" : "damaged");
  rows.clear();
  std::size_t objects = 0;
  query(db, "SELECT count(*) FROM objects", rows, error);
  if (!rows.empty()) objects = std::stoul(rows[0]);
  sqlite3_close(db);
  Library::Progress tell;
  if (progress.shown())
    tell = [&](std::size_t done, std::size_t total) { progress.count(done, total, "steps"); };
  try {
    for (const OdString& p : lib->check(100, tell))
      report(p.toUtf8());
    // Reading every object back through the library resolves every reference once more.
    progress.phase("reading " + std::to_string(objects) + " objects back");
    pugi::xml_document doc;
    pugi::xml_node root = doc.append_child("stocklib");
    lib->exportToXml(root);
  } catch (const std::exception& e) {
    report(std::string("reading the objects: ") + e.what());
  }
  progress.clear();
  std::printf("objects: %zu\n", objects);
  std::printf("%s\n", problems ? "check failed" : "check passed");
  return problems ? kFailed : kOk;
}

// Opening writable runs the missing migrations; a file that cannot be written is left as it is.
int upgrade(const Args& args) {
  int before = 0;
  {
    std::shared_ptr<Library> lib = openLibrary(args.file, true);
    if (!lib) return kFailed;
    before = lib->schemaVersion();
  }
  if (before == kLibrarySchemaVersion) {
    std::printf("%s: schema version %d, nothing to upgrade\n", args.file.c_str(), before);
    return kOk;
  }
  std::shared_ptr<Library> lib = openLibrary(args.file, false);
  if (!lib) return kFailed;
  if (lib->isReadOnly())
    return fail(args.file + " is read-only; it keeps schema version " + std::to_string(before));
  std::printf("%s: schema version %d upgraded to %d\n", args.file.c_str(), before,
              lib->schemaVersion());
  return kOk;
}

// A TYPE word compared without case, '-' or '_', as sldb takes it ("property-set").
std::string typeFilter(const std::string& word) {
  std::string out;
  for (char c : word)
    if (c != '-' && c != '_') out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

// Turns a TYPE for list into the class it names; refuses one that names no object class.
std::string knownType(std::string& type) {
  if (classOf(type)) return "";
  const std::string prefix = "stocklib::";
  for (const OdString& name : odrxClassDictionary()->names()) {
    const std::string full = name.toUtf8();
    if (full.rfind(prefix, 0) == 0 && typeFilter(full.substr(prefix.size())) == typeFilter(type)) {
      type = full.substr(prefix.size());
      return "";
    }
  }
  std::string known;
  for (const auto& [number, name] : objectTypes())
    known += " " + name;
  return "unknown type " + type + "; the types are:" + known;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app("Looks at, fills, writes out and checks library files.", "stocklib-tool");
  app.footer("Exit status: 0 success, 1 the command failed or found problems, 2 wrong usage.");
  app.require_subcommand(1);
  app.set_version_flag("--version", "stocklib-tool " SL_VERSION);
  Args args;
  auto fileArg = [&](CLI::App* command) {
    return command->add_option("FILE", args.file, "the library file")->required();
  };
  CLI::App* infoCommand =
      app.add_subcommand("info", "the library's settings and its objects by type");
  fileArg(infoCommand);
  infoCommand->add_flag("--json", args.json, "one JSON document instead of text");
  CLI::App* listCommand =
      app.add_subcommand("list", "the objects of a type (or its subtypes), as export writes them");
  fileArg(listCommand);
  listCommand->add_option("TYPE", args.type, "an object class, such as Profile or IShapeProfile")
      ->required()
      ->transform(CLI::Validator(knownType, "", "object type"));
  listCommand->add_flag("--json", args.json, "one JSON document instead of text");
  CLI::App* importCommand =
      app.add_subcommand("import", "reads an XML document into the library (made when missing)");
  fileArg(importCommand);
  importCommand->add_option("XML", args.xml, "the XML document")->required();
  importCommand
      ->add_option("--unit", args.unit,
                   "the unit of the document's lengths (default: its meta, else the library's)")
      ->check(CLI::IsMember({"mm", "inch"}));
  importCommand->add_flag("--replace", args.replace,
                          "overwrite objects whose key exists (default: keep)");
  CLI::App* exportCommand = app.add_subcommand("export", "writes the library out as XML");
  fileArg(exportCommand);
  exportCommand->add_option("XML", args.xml, "the XML document to write")->required();
  CLI::App* exportIfcCommand =
      app.add_subcommand("export-ifc", "writes the library out as an IFC 4 project library");
  fileArg(exportIfcCommand);
  exportIfcCommand->add_option("IFC", args.xml, "the IFC file to write")->required();
  CLI::App* importIfcCommand = app.add_subcommand(
      "import-ifc",
      "reads the materials, layer sets and profiles of an IFC file (made when missing)");
  fileArg(importIfcCommand);
  importIfcCommand->add_option("IFC", args.xml, "the IFC 4 or IFC 2x3 file")->required();
  CLI::App* checkCommand = app.add_subcommand(
      "check", "checks the file's pages and the library's consistency; exit 1 on problems");
  fileArg(checkCommand);
  CLI::App* upgradeCommand = app.add_subcommand(
      "upgrade", "brings the file to the schema version of this program (as a writable open does)");
  fileArg(upgradeCommand);

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    if (e.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success)) return app.exit(e);
    std::string message = e.what();
    if (app.get_subcommands().empty() && argc > 1 && argv[1][0] != '-') {
      message = std::string("unknown command ") + argv[1] + "; the commands are";
      for (const CLI::App* command : app.get_subcommands([](CLI::App*) { return true; }))
        message += " " + command->get_name();
    }
    std::string help = "stocklib-tool";
    for (const CLI::App* command : app.get_subcommands())
      help += " " + command->get_name();
    std::fprintf(stderr, "stocklib-tool: %s (see %s --help)\n", message.c_str(), help.c_str());
    return kUsageError;
  }
  try {
    if (*infoCommand) return info(args);
    if (*listCommand) return list(args);
    if (*importCommand) return importXml(args);
    if (*exportCommand) return exportXml(args);
    if (*upgradeCommand) return upgrade(args);
    if (*exportIfcCommand) return exportIfc(args);
    if (*importIfcCommand) return importIfc(args);
    return check(args);
  } catch (const std::exception& e) {
    return fail(e.what());
  }
}

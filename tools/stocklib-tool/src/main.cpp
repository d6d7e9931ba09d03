// stocklib-tool: looks at, fills, writes out and checks library files from the command line.
// Exit codes: 0 success, 1 the command failed or found problems, 2 wrong usage.
#include <sqlite3.h>
#include <pugixml.hpp>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "RxClass.h"
#include "stocklib/Library.h"
#include "stocklib/Materials.h"
#include "stocklib/Objects.h"
#include "stocklib/Profiles.h"

using namespace stocklib;

namespace {

const char kUsage[] =
    "usage: stocklib-tool info FILE\n"
    "       stocklib-tool list FILE TYPE\n"
    "       stocklib-tool import FILE XML [--unit mm|inch] [--replace]\n"
    "       stocklib-tool export FILE XML\n"
    "       stocklib-tool check FILE\n";

constexpr int kOk = 0;
constexpr int kFailed = 1;
constexpr int kUsageError = 2;

// The highest object type number to look at; numbers above name no type.
constexpr int kLastObjectType = 64;

int fail(const std::string& message) {
  std::fprintf(stderr, "stocklib-tool: %s\n", message.c_str());
  return kFailed;
}

OdString wide(const char* utf8) {
  return OdString::fromUtf8(utf8, std::strlen(utf8));
}

std::string absolute(const char* path) {
  std::error_code ec;
  std::filesystem::path p = std::filesystem::absolute(path, ec);
  return ec ? std::string(path) : p.string();
}

std::shared_ptr<Library> openLibrary(const char* file, bool readOnly) {
  if (!std::filesystem::exists(file)) {
    fail(std::string(file) + ": no such file");
    return nullptr;
  }
  std::shared_ptr<Library> lib =
      LibraryManager::instance().open(wide(absolute(file).c_str()), readOnly);
  if (!lib) fail(std::string(file) + ": " + LibraryManager::instance().lastError().toUtf8());
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
  return odrxClassDictionary()->getAt(wide(("stocklib::" + typeName).c_str()));
}

int info(const char* file) {
  std::shared_ptr<Library> lib = openLibrary(file, true);
  if (!lib) return kFailed;
  std::printf("file:    %s\n", file);
  std::printf("name:    %s\n", lib->name().toUtf8().c_str());
  std::printf("unit:    %s\n", lib->unit() == kLibraryUnitInch ? "inch" : "millimetre");
  std::printf("locale:  %s\n", lib->locale().toUtf8().c_str());
  std::printf("region:  %s\n", lib->region().toUtf8().c_str());
  std::printf("objects:\n");
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
    std::printf("  %-26s %zu\n", name.c_str(), own);
  }
  std::printf("  %-26s %zu\n", "total", total);
  Library::CacheInfo cache = lib->cacheInfo();
  std::printf("cache:   %zu objects, %zu keys (at most %zu each), %llu hits, %llu misses\n",
              cache.rows, cache.keys, cache.limit, static_cast<unsigned long long>(cache.hits),
              static_cast<unsigned long long>(cache.misses));
  return kOk;
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

void listElements(const pugi::xml_node& parent, OdRxClass* wanted, std::size_t& count) {
  for (pugi::xml_node e : parent.children()) {
    if (e.type() != pugi::node_element) continue;
    OdRxClass* cls = classOf(e.name());
    if (cls && cls->isDerivedFrom(wanted)) {
      printElement(e, 0);
      ++count;
    } else {
      listElements(e, wanted, count);
    }
  }
}

int list(const char* file, const char* type) {
  std::shared_ptr<Library> lib = openLibrary(file, true);
  if (!lib) return kFailed;
  OdRxClass* wanted = classOf(type);
  if (!wanted) {
    std::string known;
    for (const auto& [number, name] : objectTypes())
      known += " " + name;
    return fail(std::string("unknown type ") + type + "; the types are:" + known);
  }
  pugi::xml_document doc;
  pugi::xml_node root = doc.append_child("stocklib");
  lib->exportToXml(root);
  std::size_t count = 0;
  listElements(root, wanted, count);
  std::fprintf(stderr, "%zu %s\n", count, count == 1 ? "object" : "objects");
  return kOk;
}

int importXml(const char* file, const char* xml, int unit, bool replace) {
  pugi::xml_document doc;
  pugi::xml_parse_result parsed = doc.load_file(xml);
  if (!parsed)
    return fail(std::string(xml) + ": " + parsed.description() + " at offset " +
                std::to_string(parsed.offset));
  pugi::xml_node root = doc.document_element();
  pugi::xml_node meta = root.child("meta");
  std::string metaUnit = meta.child("Unit").text().get();
  if (unit < 0)
    unit = metaUnit == "Inch"         ? kLibraryUnitInch
           : metaUnit == "Millimeter" ? kLibraryUnitMillimeter
                                      : -1;
  bool exists = std::filesystem::exists(file);
  std::shared_ptr<Library> lib;
  if (exists) {
    lib = openLibrary(file, false);
  } else {
    LibraryUnit libraryUnit = unit == kLibraryUnitInch ? kLibraryUnitInch : kLibraryUnitMillimeter;
    std::string stem = std::filesystem::path(file).stem().string();
    lib = LibraryManager::instance().create(wide(absolute(file).c_str()), libraryUnit,
                                            wide(stem.c_str()));
    if (!lib)
      return fail(std::string(file) + ": " + LibraryManager::instance().lastError().toUtf8());
  }
  if (!lib) return kFailed;
  if (lib->isReadOnly()) return fail(std::string(file) + " is read-only");
  try {
    if (!exists) {
      lib->locale(wide(meta.child("locale").text().get()));
      lib->region(wide(meta.child("region").text().get()));
    }
    lib->importFromXml(root, Library::ImportOptions{unit, replace});
  } catch (const Exception& e) {
    return fail(std::string(xml) + ": " + e.what());
  }
  return kOk;
}

int exportXml(const char* file, const char* xml) {
  std::shared_ptr<Library> lib = openLibrary(file, true);
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
    return fail(std::string(file) + ": " + e.what());
  }
  // Written beside the target and renamed, so a failed write leaves no half file.
  std::string tmp = std::string(xml) + ".tmp";
  if (!doc.save_file(tmp.c_str(), "  ")) return fail(tmp + ": cannot write");
  std::error_code ec;
  std::filesystem::rename(tmp, xml, ec);
  if (ec) return fail(std::string(xml) + ": " + ec.message());
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

int check(const char* file) {
  int problems = 0;
  auto report = [&](const std::string& what) {
    std::printf("problem: %s\n", what.c_str());
    ++problems;
  };
  // Opening checks the file's kind, schema version and schema items; a refusal is the finding.
  std::shared_ptr<Library> lib;
  if (std::filesystem::exists(file))
    lib = LibraryManager::instance().open(wide(absolute(file).c_str()), true);
  if (!lib) {
    report(std::filesystem::exists(file) ? LibraryManager::instance().lastError().toUtf8()
                                         : "no such file");
    std::printf("check failed\n");
    return kFailed;
  }
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(file, &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    sqlite3_close(db);
    return fail(std::string(file) + ": cannot open");
  }
  std::vector<std::string> rows;
  std::string error;
  if (!query(db, "PRAGMA user_version", rows, error)) report(error);
  std::printf("schema version: %s\n", rows.empty() ? "?" : rows[0].c_str());
  rows.clear();
  if (!query(db, "PRAGMA integrity_check", rows, error)) report(error);
  for (const std::string& r : rows)
    if (r != "ok") report("integrity: " + r);
  std::printf("integrity: %s\n", rows.size() == 1 && rows[0] == "ok" ? "ok" : "damaged");
  rows.clear();
  std::size_t objects = 0;
  query(db, "SELECT count(*) FROM objects", rows, error);
  if (!rows.empty()) objects = std::stoul(rows[0]);
  sqlite3_close(db);
  try {
    for (const OdString& p : lib->check(100))
      report(p.toUtf8());
    // Reading every object back through the library resolves every reference once more.
    pugi::xml_document doc;
    pugi::xml_node root = doc.append_child("stocklib");
    lib->exportToXml(root);
  } catch (const std::exception& e) {
    report(std::string("reading the objects: ") + e.what());
  }
  std::printf("objects: %zu\n", objects);
  std::printf("%s\n", problems ? "check failed" : "check passed");
  return problems ? kFailed : kOk;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fputs(kUsage, stderr);
    return kUsageError;
  }
  std::string command = argv[1];
  try {
    if (command == "info" && argc == 3) return info(argv[2]);
    if (command == "list" && argc == 4) return list(argv[2], argv[3]);
    if (command == "export" && argc == 4) return exportXml(argv[2], argv[3]);
    if (command == "check" && argc == 3) return check(argv[2]);
    if (command == "import" && argc >= 4) {
      int unit = -1;
      bool replace = false;
      for (int i = 4; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--replace") {
          replace = true;
        } else if (a == "--unit" && i + 1 < argc) {
          std::string u = argv[++i];
          if (u == "mm")
            unit = kLibraryUnitMillimeter;
          else if (u == "inch")
            unit = kLibraryUnitInch;
          else
            return fail("--unit takes mm or inch, not " + u), kUsageError;
        } else {
          std::fputs(kUsage, stderr);
          return kUsageError;
        }
      }
      return importXml(argv[2], argv[3], unit, replace);
    }
  } catch (const std::exception& e) {
    return fail(e.what());
  }
  std::fputs(kUsage, stderr);
  return kUsageError;
}

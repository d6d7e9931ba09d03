// XML import of the shipped metric catalogue and of a generated catalogue of 100,000 objects,
// each beside raw SQLite inserts of the very rows the import wrote, in the same run.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>
#include <pugixml.hpp>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <variant>
#include <vector>

#include "stocklib/Library.h"

using namespace stocklib;

namespace {

std::string tempDir() {
  static std::string dir = [] {
    char pattern[] = "/tmp/stocklib-bench-import-XXXXXX";
    return std::string(::mkdtemp(pattern));
  }();
  return dir;
}

// The generated catalogue: 10 standards, 990 profile names, 89,000 I-shapes, 5,000 physical
// assets and 5,000 materials referring to them: 100,000 objects.
std::string generatedCatalogue() {
  std::string xml = "<stocklib>\n";
  char line[512];
  for (int s = 0; s < 10; ++s) {
    std::snprintf(line, sizeof line, "<ProfileStandard name='Standard %d'/>\n", s);
    xml += line;
  }
  for (int n = 0; n < 990; ++n) {
    std::snprintf(line, sizeof line, "<ProfileName standard='Standard %d' name='Name %d'/>\n",
                  n % 10, n);
    xml += line;
  }
  for (int p = 0; p < 89000; ++p) {
    int n = p % 990;
    std::snprintf(line, sizeof line,
                  "<IShapeProfile profile_name='Name %d' profile_name.standard='Standard %d' "
                  "size='%d' profile_type='4' height='%g' width='%g' web_thickness='%g' "
                  "flange_thickness='%g' fillet_radius='%g'/>\n",
                  n, n % 10, p, 100.0 + p % 900, 50.0 + p % 250, 5.0 + p % 10 * 0.5,
                  8.0 + p % 12 * 0.5, 12.0 + p % 4 * 3);
    xml += line;
  }
  for (int m = 0; m < 5000; ++m) {
    std::snprintf(line, sizeof line,
                  "<PhysicalAsset name='Material %d' density='%d' specific_heat='1000' "
                  "thermal_conductivity='%g'/>\n"
                  "<Material name='Material %d' description='Generated material number %d' "
                  "physical_asset='Material %d' cut_pattern_type='1' cut_pattern_name='SOLID'/>\n",
                  m, 1000 + m % 2000, 0.03 + m % 100 * 0.02, m, m, m);
    xml += line;
  }
  return xml + "</stocklib>\n";
}

// The rows of a library file, table by table, with the statements that make its schema.
struct Rows {
  std::vector<std::string> schema;  // CREATE TABLE / INDEX statements, in file order
  struct Table {
    std::string name;
    int columns = 0;
    std::vector<std::vector<std::variant<std::monostate, int64_t, double, std::string>>> rows;
  };
  std::vector<Table> tables;  // "objects" first, as every other table refers to it
  std::size_t count = 0;
};

Rows readRows(const std::string& file) {
  Rows out;
  sqlite3* db = nullptr;
  sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
  sqlite3_stmt* s = nullptr;
  sqlite3_prepare_v2(db,
                     "SELECT type, name, sql FROM sqlite_master WHERE sql IS NOT NULL AND name "
                     "NOT LIKE 'sqlite_%' ORDER BY type DESC, name = 'objects' DESC, rowid",
                     -1, &s, nullptr);
  std::vector<std::string> tables;
  while (sqlite3_step(s) == SQLITE_ROW) {
    std::string type = reinterpret_cast<const char*>(sqlite3_column_text(s, 0));
    out.schema.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(s, 2)));
    if (type == "table")
      tables.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(s, 1)));
  }
  sqlite3_finalize(s);
  for (const std::string& t : tables) {
    Rows::Table table;
    table.name = t;
    sqlite3_prepare_v2(db, ("SELECT * FROM " + t).c_str(), -1, &s, nullptr);
    table.columns = sqlite3_column_count(s);
    while (sqlite3_step(s) == SQLITE_ROW) {
      auto& row = table.rows.emplace_back();
      for (int c = 0; c < table.columns; ++c) {
        switch (sqlite3_column_type(s, c)) {
          case SQLITE_INTEGER:
            row.emplace_back(sqlite3_column_int64(s, c));
            break;
          case SQLITE_FLOAT:
            row.emplace_back(sqlite3_column_double(s, c));
            break;
          case SQLITE_TEXT:
            row.emplace_back(std::string(reinterpret_cast<const char*>(sqlite3_column_text(s, c)),
                                         static_cast<std::size_t>(sqlite3_column_bytes(s, c))));
            break;
          default:
            row.emplace_back(std::monostate());
        }
      }
    }
    sqlite3_finalize(s);
    out.count += table.rows.size();
    out.tables.push_back(std::move(table));
  }
  sqlite3_close(db);
  return out;
}

// Writes `rows` into a new file as the library does: same schema and settings, foreign keys
// on, prepared inserts; schema and rows in one transaction.
void insertRaw(const Rows& rows, const std::string& file) {
  std::remove(file.c_str());
  sqlite3* db = nullptr;
  sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  sqlite3_exec(db, "PRAGMA foreign_keys=ON; PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr);
  sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
  for (const std::string& sql : rows.schema)
    sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
  for (const Rows::Table& t : rows.tables) {
    std::string sql = "INSERT INTO " + t.name + " VALUES(?";
    for (int c = 1; c < t.columns; ++c)
      sql += ",?";
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db, (sql + ")").c_str(), -1, &s, nullptr);
    for (const auto& row : t.rows) {
      for (int c = 0; c < t.columns; ++c) {
        const auto& v = row[static_cast<std::size_t>(c)];
        if (auto* i = std::get_if<int64_t>(&v))
          sqlite3_bind_int64(s, c + 1, *i);
        else if (auto* d = std::get_if<double>(&v))
          sqlite3_bind_double(s, c + 1, *d);
        else if (auto* x = std::get_if<std::string>(&v))
          sqlite3_bind_text(s, c + 1, x->data(), static_cast<int>(x->size()), SQLITE_STATIC);
        else
          sqlite3_bind_null(s, c + 1);
      }
      sqlite3_step(s);
      sqlite3_reset(s);
    }
    sqlite3_finalize(s);
  }
  sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
  sqlite3_close(db);
}

struct Catalogue {
  pugi::xml_document doc;
  Rows rows;  // what an import of it writes
  std::size_t objects = 0;
};

// Imports `doc` into a new library file.
void importOnce(pugi::xml_document& doc, const std::string& file) {
  std::remove(file.c_str());
  std::shared_ptr<Library> lib =
      LibraryManager::instance().create(OdString::fromUtf8(file), kLibraryUnitMillimeter, L"bench");
  pugi::xml_node root = doc.document_element();
  lib->importFromXml(root, Library::ImportOptions());
}

Catalogue& catalogue(bool shipped) {
  static Catalogue cats[2];
  Catalogue& c = cats[shipped ? 1 : 0];
  if (!c.doc.document_element()) {
    if (shipped) {
      const char* dir = std::getenv("SL_SOURCE_DIR");
      std::string path =
          std::string(dir ? dir : SL_SOURCE_DIR_DEFAULT) + "/data/libraries/metric.xml";
      if (!c.doc.load_file(path.c_str())) std::fprintf(stderr, "cannot read %s\n", path.c_str());
    } else {
      std::string xml = generatedCatalogue();
      c.doc.load_string(xml.c_str());
    }
    std::string file = tempDir() + "/probe.stocklib";
    importOnce(c.doc, file);
    c.rows = readRows(file);
    for (const auto& t : c.rows.tables)
      if (t.name == "objects") c.objects = t.rows.size();
  }
  return c;
}

// Runs `write(catalogue, file)` per iteration and reports objects per second.
template <class Write>
void run(benchmark::State& state, const char* fileName, Write write) {
  Catalogue& c = catalogue(state.range(0) != 0);
  std::string file = tempDir() + "/" + fileName;
  for (auto _ : state)
    write(c, file);
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(c.objects));
  state.counters["objects"] = static_cast<double>(c.objects);
  state.counters["rows"] = static_cast<double>(c.rows.count);
}

void BM_Import_Library(benchmark::State& state) {
  run(state, "library.stocklib", [](Catalogue& c, const std::string& f) { importOnce(c.doc, f); });
}

void BM_Import_RawSqlite(benchmark::State& state) {
  run(state, "raw.sqlite", [](Catalogue& c, const std::string& f) { insertRaw(c.rows, f); });
}

// Argument 1: the shipped metric catalogue; 0: the generated one of 100,000 objects.
BENCHMARK(BM_Import_Library)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Import_RawSqlite)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Import_Library)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Import_RawSqlite)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::error_code ec;
  std::filesystem::remove_all(tempDir(), ec);
  return 0;
}

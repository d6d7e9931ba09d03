// Lookups of property definitions in a library of 100,000: by id, by key and all at once,
// each beside the same query made with prepared SQLite statements on the same file.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "stocklib/Library.h"
#include "stocklib/Objects.h"

using namespace stocklib;

namespace {

constexpr int kNamespaces = 10;
constexpr int kSetsPerNamespace = 10;
constexpr int kDefinitionsPerSet = 1000;  // 100,000 in all

struct Fixture {
  std::string dir;
  std::string file;
  std::shared_ptr<Library> lib;
  sqlite3* db = nullptr;
  std::vector<uint32_t> ids;                        // random order
  std::vector<std::pair<OdString, uint32_t>> keys;  // random order, (name, namespace id)

  Fixture() {
    char pattern[] = "/tmp/stocklib-bench-XXXXXX";
    dir = ::mkdtemp(pattern);
    file = dir + "/bench.stocklib";
    lib = LibraryManager::instance().create(OdString::fromUtf8(file), kLibraryUnitMillimeter, L"");
    int n = 0;
    for (int s = 0; s < kNamespaces; ++s) {
      auto ns = PropertyNamespace::create(OdString::formatted(L"Namespace %d", s))->save(lib);
      for (int p = 0; p < kSetsPerNamespace; ++p) {
        auto set = PropertySet::create(ns, OdString::formatted(L"Set %d", p));
        for (int d = 0; d < kDefinitionsPerSet; ++d, ++n) {
          auto def = set->append_property_definition(OdString::formatted(L"Definition %d", n),
                                                     PropertyType(1, 4));
          def->set_label(OdString::formatted(L"Label %d", n));
          def->set_type_spec(L"0;1;2");
          def->set_default_int(n);
        }
        set->save(lib);
        for (auto& def : set->property_definitions()) {
          ids.push_back(def->id());
          keys.emplace_back(def->name(), ns->id());
        }
      }
    }
    std::mt19937 rng(42);
    std::shuffle(ids.begin(), ids.end(), rng);
    std::shuffle(keys.begin(), keys.end(), rng);
    sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_exec(db, "PRAGMA cache_size=-32000", nullptr, nullptr, nullptr);
  }
  ~Fixture() {
    sqlite3_close(db);
    lib.reset();
    std::filesystem::remove_all(dir);
  }
};

Fixture& fixture() {
  static Fixture f;
  return f;
}

const char kColumns[] =
    "SELECT id, owner, position, namespace, name, label, description, visible, structure, type, "
    "key_type, unit, type_spec, default_bool, default_int, default_double, default_string FROM "
    "o_PropertyDefinition";

// What a hand-written loader makes of one row: every column, texts as OdString.
struct Row {
  int64_t ints[11];
  double real;
  OdString texts[5];
};

void readRow(sqlite3_stmt* s, Row& row, bool decode) {
  static const int textCols[] = {4, 5, 6, 12, 16};
  static const int intCols[] = {0, 1, 2, 3, 7, 8, 9, 10, 11, 13, 14};
  for (int i = 0; i < 11; ++i)
    row.ints[i] = sqlite3_column_int64(s, intCols[i]);
  row.real = sqlite3_column_double(s, 15);
  for (int i = 0; i < 5; ++i) {
    const unsigned char* t = sqlite3_column_text(s, textCols[i]);
    int n = sqlite3_column_bytes(s, textCols[i]);
    if (decode)
      row.texts[i] = t ? OdString::fromUtf8(reinterpret_cast<const char*>(t), n) : OdString();
    else
      benchmark::DoNotOptimize(t);
  }
}

void BM_GetById_Library(benchmark::State& state) {
  Fixture& f = fixture();
  std::size_t i = 0;
  for (auto _ : state) {
    KcSmartPtr<PropertyDefinition> d = f.lib->get<PropertyDefinition>(f.ids[i++ % f.ids.size()]);
    benchmark::DoNotOptimize(d.get());
  }
  state.SetItemsProcessed(state.iterations());
}

void byIdRaw(benchmark::State& state, bool decode) {
  Fixture& f = fixture();
  sqlite3_stmt* s = nullptr;
  sqlite3_prepare_v2(f.db, (std::string(kColumns) + " WHERE id=?").c_str(), -1, &s, nullptr);
  std::size_t i = 0;
  Row row;
  for (auto _ : state) {
    sqlite3_bind_int64(s, 1, f.ids[i++ % f.ids.size()]);
    if (sqlite3_step(s) == SQLITE_ROW) readRow(s, row, decode);
    sqlite3_reset(s);
    benchmark::DoNotOptimize(row);
  }
  sqlite3_finalize(s);
  state.SetItemsProcessed(state.iterations());
}
void BM_GetById_RawSqlite(benchmark::State& state) {
  byIdRaw(state, true);
}
void BM_GetById_RawSqliteNoDecode(benchmark::State& state) {
  byIdRaw(state, false);
}

void BM_GetByKey_Library(benchmark::State& state) {
  Fixture& f = fixture();
  std::size_t i = 0;
  for (auto _ : state) {
    const auto& k = f.keys[i++ % f.keys.size()];
    KcSmartPtr<PropertyDefinition> d =
        f.lib->get<PropertyDefinition>(DefinitionKey(k.first, k.second));
    benchmark::DoNotOptimize(d.get());
  }
  state.SetItemsProcessed(state.iterations());
}

void byKeyRaw(benchmark::State& state, bool decode) {
  Fixture& f = fixture();
  sqlite3_stmt* s = nullptr;
  sqlite3_prepare_v2(f.db, (std::string(kColumns) + " WHERE name=? AND namespace IS ?").c_str(), -1,
                     &s, nullptr);
  std::size_t i = 0;
  Row row;
  for (auto _ : state) {
    const auto& k = f.keys[i++ % f.keys.size()];
    std::string name = k.first.toUtf8();
    sqlite3_bind_text(s, 1, name.data(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
    sqlite3_bind_int64(s, 2, k.second);
    if (sqlite3_step(s) == SQLITE_ROW) readRow(s, row, decode);
    sqlite3_reset(s);
    benchmark::DoNotOptimize(row);
  }
  sqlite3_finalize(s);
  state.SetItemsProcessed(state.iterations());
}
void BM_GetByKey_RawSqlite(benchmark::State& state) {
  byKeyRaw(state, true);
}
void BM_GetByKey_RawSqliteNoDecode(benchmark::State& state) {
  byKeyRaw(state, false);
}

void BM_GetAll_Library(benchmark::State& state) {
  Fixture& f = fixture();
  std::vector<KcSmartPtr<PropertyDefinition>> all;
  for (auto _ : state) {
    f.lib->get<PropertyDefinition>(all);
    benchmark::DoNotOptimize(all.data());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(all.size()));
}

void allRaw(benchmark::State& state, bool decode) {
  Fixture& f = fixture();
  sqlite3_stmt* s = nullptr;
  sqlite3_prepare_v2(f.db, (std::string(kColumns) + " ORDER BY id").c_str(), -1, &s, nullptr);
  std::vector<Row> rows;
  for (auto _ : state) {
    rows.clear();
    while (sqlite3_step(s) == SQLITE_ROW) {
      rows.emplace_back();
      readRow(s, rows.back(), decode);
    }
    sqlite3_reset(s);
    benchmark::DoNotOptimize(rows.data());
  }
  sqlite3_finalize(s);
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(rows.size()));
}
void BM_GetAll_RawSqlite(benchmark::State& state) {
  allRaw(state, true);
}
void BM_GetAll_RawSqliteNoDecode(benchmark::State& state) {
  allRaw(state, false);
}

}  // namespace

BENCHMARK(BM_GetById_Library);
BENCHMARK(BM_GetById_RawSqlite);
BENCHMARK(BM_GetById_RawSqliteNoDecode);
BENCHMARK(BM_GetByKey_Library);
BENCHMARK(BM_GetByKey_RawSqlite);
BENCHMARK(BM_GetByKey_RawSqliteNoDecode);
BENCHMARK(BM_GetAll_Library)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GetAll_RawSqlite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GetAll_RawSqliteNoDecode)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();

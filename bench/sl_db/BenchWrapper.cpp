// Building the library wrapper's indexes for 10,000 property sets and 100,000 definitions,
// beside reading the same rows with prepared SQLite statements; then lookups by key, id, class.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>
#include <pugixml.hpp>

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "RxClass.h"
#include "sl_db/ILibrary.h"
#include "sl_db/Library.h"
#include "stocklib/MemFs.h"

using namespace stocklib;

namespace {

constexpr int kNamespaces = 20;
constexpr int kSets = 10000;
constexpr int kPropertiesPerSet = 5;  // and as many value definitions: 100,000 in all
const wchar_t* const kEntityTypes[] = {L"OdDbLine",   L"OdDbCircle", L"OdDbPolyline",
                                       L"OdDbEntity", L"AppWall",    L"AppSlab"};

struct Fixture {
  std::string dir;
  std::shared_ptr<Library> lib;
  std::shared_ptr<sl_db::Library> wrapper;
  sqlite3* db = nullptr;
  std::vector<sl_db::PropertyKey> keys;  // random order
  std::vector<unsigned int> ids;         // random order
  std::vector<const OdRxClass*> classes;

  Fixture() {
    char pattern[] = "/tmp/sldb-bench-XXXXXX";
    dir = ::mkdtemp(pattern);
    std::string file = dir + "/bench.stocklib";
    // Built in memory, then imported into the file in one transaction: 10,000 saves to a file
    // would each wait for the disk.
    register_memvfs();
    pugi::xml_document doc;
    pugi::xml_node root = doc.append_child("StockLibrary");
    {
      auto mem = LibraryManager::instance().create(L"memvfs://bench", kLibraryUnitMillimeter, L"");
      std::vector<KcSmartPtr<PropertyNamespace>> nss;
      for (int n = 0; n < kNamespaces; ++n)
        nss.push_back(PropertyNamespace::create(OdString::formatted(L"Ns%d", n))->save(mem));
      for (int s = 0; s < kSets; ++s) {
        auto set = PropertySet::create(nss[s % kNamespaces], OdString::formatted(L"Set %d", s));
        set->insert_entity_type(kEntityTypes[s % 6]);
        set->insert_entity_type(kEntityTypes[(s / 6) % 6]);
        set->set_per_instance(s % 7 == 0);
        for (int d = 0; d < kPropertiesPerSet; ++d) {
          auto p = set->append_property_definition(OdString::formatted(L"P%d.%d", s, d),
                                                   PropertyType(1, 5));
          p->set_label(OdString::formatted(L"Property %d of set %d", d, s));
          p->set_type_spec(L"0;1;2");
          auto v = set->append_value_definition(OdString::formatted(L"V%d.%d", s, d),
                                                PropertyType(1, 9));
          v->set_value_spec(L"length()");
        }
        set->save(mem);
      }
      mem->exportToXml(root);
    }
    lib = LibraryManager::instance().create(OdString::fromUtf8(file), kLibraryUnitMillimeter, L"");
    lib->importFromXml(root, Library::ImportOptions());
    wrapper = sl_db::Library::get(lib);
    for (const auto& set : wrapper->propertySets())
      for (const auto& d : set->property_definitions()) {
        keys.emplace_back(set->property_namespace()->name(), d->name());
        ids.push_back(d->id());
      }
    std::mt19937 rng(42);
    std::shuffle(keys.begin(), keys.end(), rng);
    std::shuffle(ids.begin(), ids.end(), rng);
    for (const wchar_t* t : kEntityTypes)
      classes.push_back(odrxClassDictionary()->getAt(t));  // null for the application's names
    sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
  }
  ~Fixture() {
    sqlite3_close(db);
    wrapper.reset();
    lib.reset();
    unregister_memvfs();
    std::filesystem::remove_all(dir);
  }
};

Fixture& fixture() {
  static Fixture f;
  return f;
}

void BM_Build_Wrapper(benchmark::State& state) {
  Fixture& f = fixture();
  for (auto _ : state)
    f.wrapper->reload();
  state.counters["sets"] = static_cast<double>(f.wrapper->propertySets().size());
  state.SetItemsProcessed(state.iterations() * (kSets + 2 * kSets * kPropertiesPerSet));
}

// What a hand-written loader reads to answer the same questions: every column of the
// definitions, sets, namespaces and entity types, texts decoded to OdString, and the sets'
// entity-type lists.
struct Statement {
  sqlite3_stmt* s = nullptr;
  int textMask = 0;  // bit i: column i is text
  Statement(sqlite3* db, const char* sql, int mask) : textMask(mask) {
    sqlite3_prepare_v2(db, sql, -1, &s, nullptr);
  }
  ~Statement() { sqlite3_finalize(s); }
};

struct Row {
  std::vector<int64_t> ints;
  std::vector<OdString> texts;
};

void readAll(Statement& st, std::vector<Row>& rows) {
  rows.clear();
  while (sqlite3_step(st.s) == SQLITE_ROW) {
    rows.emplace_back();
    Row& r = rows.back();
    int n = sqlite3_column_count(st.s);
    for (int c = 0; c < n; ++c) {
      if (st.textMask & (1 << c)) {
        const unsigned char* t = sqlite3_column_text(st.s, c);
        r.texts.push_back(
            t ? OdString::fromUtf8(reinterpret_cast<const char*>(t), sqlite3_column_bytes(st.s, c))
              : OdString());
      } else {
        r.ints.push_back(sqlite3_column_int64(st.s, c));
      }
    }
  }
  sqlite3_reset(st.s);
}

void BM_Build_RawSqlite(benchmark::State& state) {
  Fixture& f = fixture();
  // Columns as in the file format; text columns marked by bit.
  Statement props(f.db,
                  "SELECT id, owner, position, namespace, name, label, description, visible, "
                  "structure, type, key_type, unit, type_spec, default_bool, default_int, "
                  "default_double, default_string FROM o_PropertyDefinition",
                  (1 << 4) | (1 << 5) | (1 << 6) | (1 << 12) | (1 << 16));
  Statement values(f.db,
                   "SELECT id, owner, position, namespace, name, label, description, visible, "
                   "structure, type, key_type, unit, value_spec FROM o_ValueDefinition",
                   (1 << 4) | (1 << 5) | (1 << 6) | (1 << 12));
  Statement sets(f.db,
                 "SELECT id, namespace, name, label, visible, per_instance FROM o_PropertySet",
                 (1 << 2) | (1 << 3));
  Statement lists(f.db, "SELECT owner, pos, item FROM l_PropertySet_entity_types", 0);
  Statement nss(f.db, "SELECT id, name, label, visible, editable FROM o_PropertyNamespace",
                (1 << 1) | (1 << 2));
  Statement types(f.db, "SELECT id, name FROM o_EntityType", 1 << 1);
  std::vector<Row> a, b, c, d, e, g;
  for (auto _ : state) {
    sqlite3_exec(f.db, "BEGIN", nullptr, nullptr, nullptr);
    readAll(nss, a);
    readAll(types, b);
    readAll(props, c);
    readAll(values, d);
    readAll(sets, e);
    readAll(lists, g);
    sqlite3_exec(f.db, "COMMIT", nullptr, nullptr, nullptr);
    benchmark::DoNotOptimize(g.data());
  }
  state.counters["sets"] = static_cast<double>(e.size());
  state.counters["definitions"] = static_cast<double>(c.size() + d.size());
  state.SetItemsProcessed(state.iterations() *
                          static_cast<int64_t>(c.size() + d.size() + e.size()));
}

void BM_Lookup_ByKey(benchmark::State& state) {
  Fixture& f = fixture();
  std::size_t i = 0;
  for (auto _ : state)
    benchmark::DoNotOptimize(f.wrapper->propertyDefinition(f.keys[i++ % f.keys.size()]));
  state.SetItemsProcessed(state.iterations());
}

void BM_Lookup_ById(benchmark::State& state) {
  Fixture& f = fixture();
  std::size_t i = 0;
  for (auto _ : state)
    benchmark::DoNotOptimize(f.wrapper->propertyDefinition(f.ids[i++ % f.ids.size()]));
  state.SetItemsProcessed(state.iterations());
}

// Which sets apply to an entity of a class: the wrapper appends that class's list (about 2,800
// sets for the registered classes here); the out vector is reused, as a caller would.
void BM_Lookup_ByClass(benchmark::State& state) {
  Fixture& f = fixture();
  sl_db::PropertySetList out;
  std::size_t i = 0, total = 0;
  for (auto _ : state) {
    out.clear();
    f.wrapper->propertySets(out, f.classes[i++ % 4]);
    total += out.size();
  }
  state.counters["sets_per_lookup"] = static_cast<double>(total) / state.iterations();
  state.SetItemsProcessed(state.iterations());
}

void BM_Lookup_ByClassEnabledKeys(benchmark::State& state) {
  Fixture& f = fixture();
  sl_db::PropertySetList out;
  OdArray<OdString> enabled;
  enabled.push_back(L"Set 7~Ns7");
  std::size_t i = 0, total = 0;
  for (auto _ : state) {
    out.clear();
    f.wrapper->propertySets(out, f.classes[i++ % 4], enabled);
    total += out.size();
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["sets_per_lookup"] = static_cast<double>(total) / state.iterations();
  state.SetItemsProcessed(state.iterations());
}

// The definitions' ids shuffled (0) or in id order (1), where neighbours share cache lines.
const std::vector<unsigned int>& idsIn(int64_t order) {
  static const std::vector<unsigned int> sorted = [] {
    std::vector<unsigned int> ids = fixture().ids;
    std::sort(ids.begin(), ids.end());
    return ids;
  }();
  return order == 0 ? fixture().ids : sorted;
}

void BM_Lookup_ByIdInOrder(benchmark::State& state) {
  Fixture& f = fixture();
  const std::vector<unsigned int>& ids = idsIn(state.range(0));
  std::size_t i = 0;
  for (auto _ : state)
    benchmark::DoNotOptimize(f.wrapper->propertyDefinition(ids[i++ % ids.size()]));
  state.SetItemsProcessed(state.iterations());
}

// The id lookup plus one reference taken and dropped on the definition found: what holding the
// result costs any caller (the definitions lie scattered in memory, so this is a cache miss).
void BM_Lookup_ByIdHeld(benchmark::State& state) {
  Fixture& f = fixture();
  const std::vector<unsigned int>& ids = idsIn(state.range(0));
  std::size_t i = 0;
  for (auto _ : state)
    benchmark::DoNotOptimize(KcSmartPtr<const stocklib::PropertyDefinition>(
        f.wrapper->propertyDefinition(ids[i++ % ids.size()])));
  state.SetItemsProcessed(state.iterations());
}

// The same two lookups through the library interface, which wraps every object it returns into a
// new shared interface object: the difference per returned object is the interface's cost.
void BM_Interface_ById(benchmark::State& state) {
  Fixture& f = fixture();
  auto library = sl_db::ILibrary::create(f.wrapper);
  const std::vector<unsigned int>& ids = idsIn(state.range(0));
  std::size_t i = 0;
  for (auto _ : state)
    benchmark::DoNotOptimize(library->propertyDefinition(ids[i++ % ids.size()]));
  state.SetItemsProcessed(state.iterations());
}

void BM_Interface_ByClassEnabledKeys(benchmark::State& state) {
  Fixture& f = fixture();
  auto library = sl_db::ILibrary::create(f.wrapper);
  OdArray<OdString> enabled;
  enabled.push_back(L"Set 7~Ns7");
  std::size_t i = 0, total = 0;
  for (auto _ : state) {
    auto sets = library->propertySets(f.classes[i++ % 4], enabled);
    total += sets.size();
    benchmark::DoNotOptimize(sets.data());
  }
  state.counters["sets_per_lookup"] = static_cast<double>(total) / state.iterations();
  state.SetItemsProcessed(state.iterations());
}

}  // namespace

BENCHMARK(BM_Build_Wrapper)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Build_RawSqlite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Lookup_ByKey);
BENCHMARK(BM_Lookup_ById);
BENCHMARK(BM_Lookup_ByClass)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Lookup_ByClassEnabledKeys)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Lookup_ByIdInOrder)->Arg(1);
BENCHMARK(BM_Lookup_ByIdHeld)->Arg(0)->Arg(1);
BENCHMARK(BM_Interface_ById)->Arg(0)->Arg(1);
BENCHMARK(BM_Interface_ByClassEnabledKeys)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();

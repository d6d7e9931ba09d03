// Entity property values: building an entity's collection from 20 applicable sets, typed access
// beside the storage's own, and a drawing of many lines with ten values each: listing every
// line's values, and saving and reopening it beside the same drawing without values.
#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <vector>

#include "BenchSupport.h"
#include "DbDatabase.h"
#include "DbEntity.h"
#include "dbprops/DbProperties.h"
#include "sl_db/DynamicProperties.h"
#include "sl_db/IDefinitions.h"
#include "sl_db/ILibrary.h"
#include "sl_db/Library.h"
#include "stocklib/MemFs.h"
#include "stocklib/Objects.h"

namespace {

constexpr int kSets = 20;
constexpr int kDefinitionsPerSet = 10;  // five property and five value definitions
constexpr int kValuesPerLine = 10;

/// A library of 20 sets for lines (200 definitions), and the sets' first ten property
/// definitions, whose keys the drawings' lines carry values for.
struct Library {
  std::shared_ptr<stocklib::Library> store;
  std::shared_ptr<sl_db::Library> wrapper;
  std::shared_ptr<sl_db::ILibrary> library;
  std::vector<sl_db::PropertyKey> keys;

  Library() {
    stocklib::register_memvfs();
    store = stocklib::LibraryManager::instance().create(L"memvfs://values-bench",
                                                        stocklib::kLibraryUnitMillimeter, L"");
    std::vector<KcSmartPtr<stocklib::PropertyNamespace>> nss;
    for (int n = 0; n < 4; ++n)
      nss.push_back(
          stocklib::PropertyNamespace::create(OdString::formatted(L"Ns%d", n))->save(store));
    for (int s = 0; s < kSets; ++s) {
      auto set = stocklib::PropertySet::create(nss[s % 4], OdString::formatted(L"Set%d", s));
      set->insert_entity_type(L"OdDbLine");
      for (int d = 0; d < kDefinitionsPerSet / 2; ++d) {
        const OdString name = OdString::formatted(L"P%d_%d", s, d);
        set->append_property_definition(name, stocklib::PropertyType(1, 9))->set_default_double(1);
        set->append_value_definition(OdString::formatted(L"V%d_%d", s, d),
                                     stocklib::PropertyType(1, 9));
        if (keys.size() < kValuesPerLine)
          keys.emplace_back(OdString::formatted(L"Ns%d", s % 4), name);
      }
      set->save(store);
    }
    wrapper = sl_db::Library::get(store);
    library = sl_db::ILibrary::create<sl_db::Library>(wrapper);
  }
};

Library& library() {
  static Library lib;
  return lib;
}

/// A drawing of `count` lines, each with ten stored values when `withValues`.
OdDbDatabasePtr drawing(int count, bool withValues, std::vector<OdDbObjectId>& ids) {
  OdDbDatabasePtr db = odDbCreateDatabase();
  OdDbBlockTableRecordPtr space = db->getModelSpaceId().safeOpenObject(OdDb::kForWrite);
  std::vector<OdString> names;
  for (const auto& key : library().keys)
    names.push_back(key.str());
  for (int i = 0; i < count; ++i) {
    OdDbLinePtr line = OdDbLine::createObject();
    line->setEndPoint(OdGePoint3d(i, 1, 0));
    ids.push_back(space->appendOdDbEntity(line));
    if (!withValues) continue;
    DbProperties* container = DbProperties::get(line.get());
    for (int v = 0; v < kValuesPerLine; ++v)
      container->setProperty(names[v], std::make_shared<DbPropertyContainer<double>>(i + v * 0.5));
  }
  return db;
}

/// One line with ten stored doubles: under ten definitions' keys marked mapped (listed in run 1
/// and bound by key), or under ten keys no definition has (listed unclaimed, bound by key).
OdDbLinePtr lineWithValues(bool mapped) {
  OdDbLinePtr line = OdDbLine::createObject();
  DbProperties* container = DbProperties::get(line.get());
  for (int v = 0; v < kValuesPerLine; ++v) {
    const OdString name = mapped ? library().keys[v].str() : OdString::formatted(L"U%d~Other", v);
    auto stored = std::make_shared<DbPropertyContainer<double>>(v * 0.5);
    stored->setMapped(mapped);
    container->setProperty(name, stored);
  }
  return line;
}

/// The collection of one line of the 20 sets' class: without stored values (argument 0), with
/// ten mapped values (1) or with ten unclaimed ones (2).
void BM_Collection(benchmark::State& state) {
  Library& lib = library();
  const OdDbLinePtr line =
      state.range(0) == 0 ? OdDbLine::createObject() : lineWithValues(state.range(0) == 1);
  std::uint64_t listed = 0;
  for (auto _ : state) {
    sl_db::DynamicProperties properties(lib.library, line);
    listed = properties.count();
    benchmark::DoNotOptimize(listed);
  }
  state.counters["properties"] = static_cast<double>(listed);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Collection)->ArgName("values")->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

/// Binding one property definition of the 200: by key (constructor 1), by id (constructor 4),
/// and the wrapper's own key index beside them.
void BM_Bind_ByKey(benchmark::State& state) {
  Library& lib = library();
  OdDbLinePtr line = OdDbLine::createObject();
  const sl_db::PropertyKey key = lib.keys.back();
  for (auto _ : state) {
    sl_db::DynamicProperty property(lib.library, line, key, true);
    benchmark::DoNotOptimize(property.propertyDefinition());
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Bind_ByKey);

void BM_Bind_ById(benchmark::State& state) {
  Library& lib = library();
  OdDbLinePtr line = OdDbLine::createObject();
  const sl_db::ObjectKey key(sl_db::ObjectTypeWrapper::PropertyDefinition,
                             lib.wrapper->propertyDefinition(lib.keys.back())->id());
  for (auto _ : state) {
    sl_db::DynamicProperty property(lib.library, line, key);
    benchmark::DoNotOptimize(property.propertyDefinition());
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Bind_ById);

void BM_Bind_WrapperKeyIndex(benchmark::State& state) {
  Library& lib = library();
  const sl_db::PropertyKey key = lib.keys.back();
  for (auto _ : state)
    benchmark::DoNotOptimize(lib.wrapper->propertyDefinition(key));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Bind_WrapperKeyIndex);

/// One line storing a double under the first key, read or written through `DynamicProperty`
/// (resolved once, outside the loop) or through the stored value itself.
struct OneValue {
  OdDbLinePtr line = OdDbLine::createObject();
  sl_db::DynamicProperty property{library().library, line, library().keys[0], true};
  OneValue() { (void)property.setValue(2.5); }
};

void BM_GetDouble_DynamicProperty(benchmark::State& state) {
  OneValue one;
  double value = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(one.property.getValue(value));
    benchmark::DoNotOptimize(value);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_GetDouble_DynamicProperty);

void BM_GetDouble_Storage(benchmark::State& state) {
  OneValue one;
  std::shared_ptr<const DbProperty> stored = one.property.property();
  double value = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(stored->get(value));
    benchmark::DoNotOptimize(value);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_GetDouble_Storage);

/// The same value read from the line's container by a name the caller holds.
void BM_GetDouble_StorageByName(benchmark::State& state) {
  OneValue one;
  const OdString name = library().keys[0].str();
  const OdRxObject* line = one.line.get();
  double value = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(DbProperties::get(line)->getProperty(name)->get(value));
    benchmark::DoNotOptimize(value);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_GetDouble_StorageByName);

/// isSet() before every getValue, as a palette asks before showing a value.
void BM_IsSetAndGetDouble_DynamicProperty(benchmark::State& state) {
  OneValue one;
  double value = 0;
  for (auto _ : state) {
    if (one.property.isSet()) benchmark::DoNotOptimize(one.property.getValue(value));
    benchmark::DoNotOptimize(value);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_IsSetAndGetDouble_DynamicProperty);

/// The first read of a property, as a palette makes it once per property and refresh: a copy of
/// a property never read, then getValue (argument 0) or isSet() and getValue (1).
void BM_FirstRead_DynamicProperty(benchmark::State& state) {
  OneValue one;
  const bool askFirst = state.range(0) == 1;
  double value = 0;
  for (auto _ : state) {
    sl_db::DynamicProperty property = one.property;
    if (!askFirst || property.isSet()) benchmark::DoNotOptimize(property.getValue(value));
    benchmark::DoNotOptimize(value);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FirstRead_DynamicProperty)->ArgName("isSet")->Arg(0)->Arg(1);

void BM_SetDouble_DynamicProperty(benchmark::State& state) {
  OneValue one;
  double value = 0;
  for (auto _ : state) {
    value += 1;
    benchmark::DoNotOptimize(one.property.setValue(value));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SetDouble_DynamicProperty);

void BM_SetDouble_Storage(benchmark::State& state) {
  OneValue one;
  std::shared_ptr<DbProperty> stored = one.property.property();
  double value = 0;
  for (auto _ : state) {
    value += 1;
    benchmark::DoNotOptimize(stored->set(value));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SetDouble_Storage);

/// Every line's collection built and each property read, as a palette over a selection of all.
void BM_ListEveryLine(benchmark::State& state) {
  std::vector<OdDbObjectId> ids;
  OdDbDatabasePtr db = drawing(static_cast<int>(state.range(0)), true, ids);
  Library& lib = library();
  double sum = 0;
  for (auto _ : state) {
    for (const OdDbObjectId& id : ids) {
      OdDbObjectPtr line = id.openObject();
      for (const sl_db::DynamicProperty& property : sl_db::DynamicProperties(lib.library, line)) {
        double value = 0;
        if (property.getValue(value) == sl_db::DynamicProperty::Ok) sum += value;
      }
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ListEveryLine)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);

void saveAndReopen(benchmark::State& state, bool withValues) {
  benchsupport::BenchFolder folder("sldb-values");
  std::vector<OdDbObjectId> ids;
  OdDbDatabasePtr db = drawing(static_cast<int>(state.range(0)), withValues, ids);
  const OdString path = OdString::fromUtf8(folder.file("lines.dwg"));
  for (auto _ : state) {
    db->writeFile(path);
    OdDbDatabasePtr reopened = odDbCreateDatabase();
    reopened->readFile(path);
    benchmark::DoNotOptimize(reopened.get());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_SaveReopen_WithValues(benchmark::State& state) {
  saveAndReopen(state, true);
}
BENCHMARK(BM_SaveReopen_WithValues)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

void BM_SaveReopen_WithoutValues(benchmark::State& state) {
  saveAndReopen(state, false);
}
BENCHMARK(BM_SaveReopen_WithoutValues)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

}  // namespace

BENCHMARK_MAIN();

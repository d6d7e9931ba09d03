// Fixture of the entity-value tests: a library with property sets for lines, seen through the
// property model, and lines in a drawing.
#pragma once

#include "DataRows.h"
#include "DbDatabase.h"
#include "DbEntity.h"
#include "TestSupport.h"
#include "dbprops/DbProperties.h"
#include "sl_db/DynamicProperties.h"
#include "sl_db/IDefinitions.h"
#include "sl_db/ILibrary.h"
#include "sl_db/Library.h"
#include "stocklib/Library.h"
#include "stocklib/Objects.h"

namespace sltest {

/// reads: `property` read as T into `start` (in `context`) answers `result` and `expected`.
template <class T>
::testing::AssertionResult reads(const sl_db::DynamicProperty& property, T start,
                                 sl_db::DynamicProperty::Result result,
                                 const typename std::common_type<T>::type& expected,
                                 const OdRxObject* context = nullptr) {
  const sl_db::DynamicProperty::Result answered = property.getValue(start, context);
  if (answered == result && start == expected) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "answered " << answered << " with " << ::testing::PrintToString(start);
}

/// The library of values-library.txt, lines and a circle in a drawing.
class ValuesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    store = makeLibrary(dir.file("values.stocklib"));
    ASSERT_TRUE(store);
    wrapper = sl_db::Library::get(store);
    library = sl_db::ILibrary::create<sl_db::Library>(wrapper);

    db = odDbCreateDatabase();
    OdDbBlockTableRecordPtr space = db->getModelSpaceId().safeOpenObject(OdDb::kForWrite);
    lineId = space->appendOdDbEntity(OdDbLine::createObject());
    circleId = space->appendOdDbEntity(OdDbCircle::createObject());
  }

  /// A new library at `path` with the sets of values-library.txt (the same ids in every one).
  static std::shared_ptr<stocklib::Library> makeLibrary(const OdString& path) {
    auto store =
        stocklib::LibraryManager::instance().create(path, stocklib::kLibraryUnitMillimeter, L"t");
    if (!store) return store;
    std::map<std::string, KcSmartPtr<stocklib::PropertyNamespace>> namespaces;
    KcSmartPtr<stocklib::PropertySet> set;
    for (const auto& row : dataRows("values-library.txt", 8)) {
      const auto text = [&](int cell) { return OdString(row[cell].c_str()); };
      if (!set || set->name() != text(1)) {
        if (set) set->save(store);
        auto& ns = namespaces[row[0]];
        if (!ns) ns = stocklib::PropertyNamespace::create(text(0))->save(store);
        set = stocklib::PropertySet::create(ns, text(1));
        set->insert_entity_type(text(2));
        set->set_per_instance(row[3] == "yes");
      }
      const stocklib::PropertyType type(1, std::stoi(row[6]));
      if (row[4] == "v") {
        set->append_value_definition(text(5), type)->set_value_spec(text(7));
      } else if (auto definition = set->append_property_definition(text(5), type);
                 !row[7].empty()) {
        if (type.type == 9) definition->set_default_double(std::stod(row[7]));
        if (type.type != 9) definition->set_default_int(std::stoi(row[7]));
      }
    }
    set->save(store);
    return store;
  }
  /// Stores `value` on `object` under `name` directly in the storage.
  template <class T>
  static void store_(OdRxObject* object, const wchar_t* name, const T& value, bool mapped = false) {
    auto p = std::make_shared<DbPropertyContainer<T>>(value);
    p->setMapped(mapped);
    DbProperties::get(object)->setProperty(OdString(name), p);
  }
  static const DbProperties& container(const OdRxObject* object) {
    return *DbProperties::get(object);
  }
  /// The property `name` of namespace `ns` on `object`, bound by key (unbound: `resolve` false).
  sl_db::DynamicProperty at(const OdRxObjectPtr& object, const wchar_t* name,
                            const wchar_t* ns = L"Arch", bool resolve = true) const {
    return sl_db::DynamicProperty(library, object, sl_db::PropertyKey(ns, name), resolve);
  }

  ScratchDir dir;
  std::shared_ptr<stocklib::Library> store;
  std::shared_ptr<sl_db::Library> wrapper;
  std::shared_ptr<sl_db::ILibrary> library;
  OdDbDatabasePtr db;
  OdDbObjectId lineId, circleId;
};

}  // namespace sltest

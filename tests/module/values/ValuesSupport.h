// Fixture of the entity-value tests: a library with property sets for lines, seen through the
// property model, and lines in a drawing.
#pragma once

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

/// Arch: Door (lines): Width double, default 2.5; Height int16, default 7; Pos point3d; Note
/// text without default; value Area double. Frame (lines, later): value Width. Trim (lines): Sill
/// double. Struct: Beam (lines, per instance): Load double, default 1. Circle (circles): Radius.
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

  /// A new library at `path` with the sets above (the same ids in every such library).
  static std::shared_ptr<stocklib::Library> makeLibrary(const OdString& path) {
    auto store =
        stocklib::LibraryManager::instance().create(path, stocklib::kLibraryUnitMillimeter, L"t");
    if (!store) return store;
    auto arch = stocklib::PropertyNamespace::create(L"Arch")->save(store);
    auto strukt = stocklib::PropertyNamespace::create(L"Struct")->save(store);
    auto door = stocklib::PropertySet::create(arch, L"Door");
    door->insert_entity_type(L"OdDbLine");
    door->append_property_definition(L"Width", stocklib::PropertyType(1, 9))
        ->set_default_double(2.5);
    door->append_property_definition(L"Height", stocklib::PropertyType(1, 3))->set_default_int(7);
    door->append_property_definition(L"Pos", stocklib::PropertyType(1, 16));
    door->append_property_definition(L"Note", stocklib::PropertyType(1, 10));
    door->append_value_definition(L"Area", stocklib::PropertyType(1, 9));
    door->save(store);
    auto frame = stocklib::PropertySet::create(arch, L"Frame");
    frame->insert_entity_type(L"OdDbLine");
    frame->append_value_definition(L"Width", stocklib::PropertyType(1, 9));
    frame->save(store);
    auto trim = stocklib::PropertySet::create(arch, L"Trim");
    trim->insert_entity_type(L"OdDbLine");
    trim->append_property_definition(L"Sill", stocklib::PropertyType(1, 9));
    trim->save(store);
    auto beam = stocklib::PropertySet::create(strukt, L"Beam");
    beam->insert_entity_type(L"OdDbLine");
    beam->set_per_instance(true);
    beam->append_property_definition(L"Load", stocklib::PropertyType(1, 9))->set_default_double(1);
    beam->save(store);
    auto circle = stocklib::PropertySet::create(strukt, L"Circle");
    circle->insert_entity_type(L"OdDbCircle");
    circle->append_property_definition(L"Radius", stocklib::PropertyType(1, 9));
    circle->save(store);
    return store;
  }

  /// The set `name` of the library, through the property model.
  std::shared_ptr<sl_db::IPropertySet> set(const wchar_t* ns, const wchar_t* name) {
    return library->propertySet(wrapper->propertySet(sl_db::PropertyKey(ns, name))->id());
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

// The definition interfaces over a real library: answers and type conversions of definitions,
// a set's definition list and the unit fallback.
#include "sl_db/IDefinitions.h"

#include <tuple>

#include "DbObject.h"
#include "TestSupport.h"
#include "stocklib/Library.h"
#include "stocklib/Objects.h"

using namespace sl_db;
using stocklib::LibraryManager;

namespace {

// A unit interface over any object, as another implementation could hand in.
struct ForeignUnit final : IUnit {
  explicit ForeignUnit(OdRxObject* o) : o(o) {}
  const OdString& label() const override { return text; }
  const OdString& measureName() const override { return text; }
  OdRxObject* object() const override { return o; }
  OdRxObject* o;
  OdString text;
};

}  // namespace

TEST(Definitions, AnswerTypesKeysDefaultsAndUnitsAndASetKeepsItsLists) {
  sltest::ScratchDir dir;
  auto lib = LibraryManager::instance().create(dir.file("d.stocklib"),
                                               stocklib::kLibraryUnitMillimeter, L"t");
  ASSERT_TRUE(lib);
  auto ns = stocklib::PropertyNamespace::create(L"Arch");
  ns->set_visible(false);
  auto measure = stocklib::Measure::create(L"LENGTH")->save(lib);
  auto mm = stocklib::Unit::create(L"mm", 0.001, measure)->save(lib);
  mm->set_label(L"millimetre");
  auto bare = stocklib::Unit::create(L"u", 1, nullptr)->save(lib);
  auto storeSet = stocklib::PropertySet::create(ns->save(lib), L"Door");
  std::shared_ptr<IPropertySet> set = IPropertySet::create(storeSet.get());
  auto names = [&] {
    std::vector<OdString> out;
    for (const auto& d : set->propertyDefinitions())
      out.push_back(d->name());
    return out;
  };
  auto width = set->appendPropertyDefinition(L"Width", PropertyType::Single(PropertyType::kDouble));
  auto length = set->appendValueDefinition(L"Length", PropertyType::Single(PropertyType::kDouble));
  ASSERT_TRUE(width && length);
  width->setLabel(L"Door width");
  EXPECT_EQ(width->displayName(true), L"Door width");
  EXPECT_EQ(width->displayName(false), L"Width");
  EXPECT_FALSE(width->namespaceVisible());
  EXPECT_EQ(PropertyKey(*width).str(), L"Width~Arch");
  EXPECT_EQ(length->objectType(), ObjectTypeWrapper::ValueDefinition);

  // The library's key code is dropped on reading and written as 0.
  auto* stored = static_cast<stocklib::PropertyDefinition*>(width->object());
  stored->set_type(stocklib::PropertyType(3, 9, 10));
  EXPECT_EQ(width->type(), PropertyType(PropertyType::Structure::Map, PropertyType::kDouble));
  width->setType(PropertyType(PropertyType::Structure::Map, PropertyType::kString));
  EXPECT_EQ(stored->type(), stocklib::PropertyType(3, 10, 0));
  // Library codes and their storage type (-1: none). Codes out of range, unknown structures and
  // types the storage lacks have none; a key code only maps have is ignored.
  const int codes[][6] = {{3, 9, 10, 3, 9, 10}, {2, 18, 0, 2, 18, 0}, {1, 9, 10, 1, 9, 0},
                          {1, 19, 0, -1},       {1, -1, 0, -1},       {4, 9, 0, -1},
                          {0, 9, 0, -1},        {3, 9, 19, -1},       {1, 18, 0, -1},
                          {2, 2, 0, -1}};
  for (const auto& c : codes) {
    stored->set_type(stocklib::PropertyType(c[0], c[1], c[2]));
    EXPECT_EQ(width->dbPropertyType(),
              c[3] < 0 ? DbPropertyType() : DbPropertyType(c[3], c[4], c[5]))
        << c[0] << " " << c[1] << " " << c[2];
  }

  // Defaults of each kind, present or not: an absent one leaves the output alone.
  std::tuple<double, std::int32_t, bool, OdString> out{-1, 0, true, L"x"};
  auto& [d, i, b, s] = out;
  EXPECT_FALSE(width->defaultValue(d));
  stored->set_default_double(2.5);
  stored->set_default_int(7);
  EXPECT_TRUE(width->defaultValue(d) && width->defaultValue(i));
  EXPECT_FALSE(width->defaultValue(b) || width->defaultValue(s));
  EXPECT_EQ(out, std::make_tuple(2.5, 7, true, OdString(L"x")));
  OdGePoint3d p;
  EXPECT_EQ(length->computeValue(p, OdDbObjectPtr(), nullptr),
            DynamicPropertyResults::TypeMismatch);

  // Units: a measured unit, one without measure, and a foreign object that clears the unit.
  EXPECT_FALSE(length->unit());
  auto* value = static_cast<IValueDefinition*>(length.get());
  value->setUnit(IUnit::create(mm.get()));
  ASSERT_TRUE(length->unit());
  EXPECT_EQ(length->unit()->label(), L"millimetre");
  EXPECT_EQ(length->unit()->measureName(), L"LENGTH");
  EXPECT_EQ(IUnit::create(bare.get())->measureName(), L"");
  value->setUnit(std::make_shared<ForeignUnit>(storeSet.get()));
  EXPECT_FALSE(length->unit());

  // A set's definition list and entity types.
  auto single = PropertyType::Single(PropertyType::kInt32);
  set->clearDefinitions();
  auto a = set->appendPropertyDefinition(L"A", single);
  set->appendPropertyDefinition(L"B", single);
  set->appendPropertyDefinition(L"C", single);
  auto v = set->appendValueDefinition(L"V", single);
  EXPECT_TRUE(set->swapPropertyDefinitions(0, 2));
  EXPECT_EQ(names(), (std::vector<OdString>{L"C", L"B", L"A"}));
  EXPECT_FALSE(set->swapPropertyDefinitions(0, 3));
  EXPECT_FALSE(set->swapValueDefinitions(0, 1));
  // Owned through the one enable_shared_from_this base the standard library can register.
  IAbstractDefinition& base = *a;
  EXPECT_EQ(base.shared_from_this().get(), &base);
  set->removePropertyDefinition(a);
  EXPECT_EQ(names(), (std::vector<OdString>{L"C", L"B"}));
  set->removeValueDefinition(v);
  EXPECT_TRUE(set->valueDefinitions().empty());

  EXPECT_TRUE(set->insertEntityType(L"OdDbLine") && set->insertEntityType(L"OdDbCircle"));
  EXPECT_FALSE(set->insertEntityType(L"OdDbLine"));
  set->removeEntityType(L"OdDbLine");
  EXPECT_EQ(set->entityTypes(), OdArray<OdString>{L"OdDbCircle"});
  EXPECT_EQ(set->propertyNamespace()->name(), L"Arch");

  // Interfaces over nothing are none.
  EXPECT_FALSE(IPropertyDefinition::create<stocklib::PropertyDefinition>(nullptr) ||
               IValueDefinition::create<stocklib::ValueDefinition>(nullptr) ||
               IPropertySet::create<stocklib::PropertySet>(nullptr) ||
               IPropertyNamespace::create<stocklib::PropertyNamespace>(nullptr) ||
               IUnit::create<stocklib::Unit>(nullptr));
}

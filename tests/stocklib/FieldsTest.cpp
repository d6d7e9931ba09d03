// Named field indexes: every class names its fields as its type description orders them (checked
// against the tables made from the descriptions), and a field reached by a wrong index or as
// another kind throws instead of reading another column.
#include "TestSupport.h"

using namespace stocklib;

namespace {

class NamedFields : public sltest::TempDir {};

std::vector<std::string> columns(const std::string& file, const char* type) {
  sqlite3* db = nullptr;
  std::vector<std::string> out;
  sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
  sqlite3_stmt* s = nullptr;
  std::string sql =
      std::string("SELECT name FROM pragma_table_info('o_") + type + "') WHERE cid > 0";
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr) == SQLITE_OK)
    while (sqlite3_step(s) == SQLITE_ROW)
      out.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)));
  sqlite3_finalize(s);
  sqlite3_close(db);
  return out;
}

template <class... T>
void expectNamed(const std::string& file) {
  (..., [&] {
    const std::string type = objectTypeName(ObjectTraits<T>::type).toUtf8();
    std::vector<std::string> named(std::begin(T::F::names), std::end(T::F::names));
    EXPECT_EQ(named, columns(file, type.c_str())) << type;
  }());
}

// Reaches the protected field access of a material the way an accessor does.
class Probe : public Material {
 public:
  using Object::listItems;
  using Object::realField;
  using Object::refId;
  using Object::setReal;
  using Object::setText;
  using Object::textField;
};

TEST_F(NamedFields, EveryTypeNamesItsFieldsInTheOrderOfItsDescription) {
  ASSERT_TRUE(library("a.stocklib"));
  expectNamed<AsymmetricIShapeProfile, BimAsset, CShapeProfile, CircleHollowProfile, CircleProfile,
              Composition, CompositionType, CraneRailAShapeProfile, CraneRailFShapeProfile,
              CustomProfile, CustomProperty, CustomValue, EllipseProfile, EntityType, IShapeProfile,
              InformationAsset, LShapeProfile, Layer, Material, MaterialType, Measure,
              PhysicalAsset, Ply, ProfileName, ProfileStandard, ProfileVertex, PropertyDefinition,
              PropertyNamespace, PropertySet, RectangleHollowProfile, RectangleProfile,
              RoundedRectangleProfile, TShapeProfile, Tag, TrapeziumProfile, UShapeProfile, Unit,
              ValueDefinition, ZShapeProfile>(pathUtf8("a.stocklib"));
}

TEST_F(NamedFields, AWrongIndexOrKindThrows) {
  KcSmartPtr<Probe> p = KcRxObjectImpl<Probe>::createObject();
  p->setText(Material::F::description, L"text");
  EXPECT_EQ(p->description(), L"text");
  EXPECT_THROW(p->realField(Material::F::description), Exception);
  EXPECT_THROW(p->setReal(Material::F::name, 1.0), Exception);
  EXPECT_THROW(p->setText(Material::F::cut_pattern_scale, L"x"), Exception);
  const int count = static_cast<int>(std::size(Material::F::names));
  EXPECT_EQ(p->refId(count - 1), 0u);  // the last field, bim_asset
  EXPECT_THROW(p->textField(count), Exception);
  EXPECT_THROW(p->textField(-1), Exception);
  EXPECT_NO_THROW(p->listItems(0));
  EXPECT_THROW(p->listItems(1), Exception);
}

}  // namespace

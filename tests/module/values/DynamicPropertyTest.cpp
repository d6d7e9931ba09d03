// DynamicProperty: binding by key and by id, where values are stored, typed reads with defaults
// and computations, writes, the one-time conversion of a stored value, and open-mode checks.
#include "sl_db/DynamicProperty.h"

#include "OdError.h"
#include "ValuesSupport.h"
#include "sl_db/DynamicProperties.h"
#include "sl_db/DynamicPropertyContext.h"

using sl_db::DynamicProperties;
using sl_db::DynamicProperty;
using sl_db::PropertyKey;
using Result = sl_db::DynamicProperty::Result;

namespace sltest {

TEST_F(ValuesTest, BindsByKeyAndByIdAndStoresUnderTheKeyString) {
  OdDbObjectPtr line = lineId.openObject(OdDb::kForWrite);

  DynamicProperty height(library, line, PropertyKey(L"Arch", L"Height"), true);
  ASSERT_TRUE(height.propertyDefinition());
  EXPECT_FALSE(height.valueDefinition());
  EXPECT_EQ(height.propertySet()->name(), L"Door");
  EXPECT_EQ(height.type(), DbPropertyType::get<int16_t>());
  EXPECT_EQ(height.setValue<int16_t>(12), DynamicProperty::Ok);
  EXPECT_TRUE(container(line.get()).getProperty(L"Height~Arch"));

  // A property definition in Door and a value definition of the same key in the later Frame:
  // both bound, the set of the last match, and value definitions never reach storage.
  store_(line.get(), L"Width~Arch", 4.0);
  DynamicProperty width(library, line, PropertyKey(L"Arch", L"Width"), true);
  ASSERT_TRUE(width.propertyDefinition());
  ASSERT_TRUE(width.valueDefinition());
  EXPECT_EQ(width.propertySet()->name(), L"Frame");
  EXPECT_EQ(width.abstractDefinition().get(),
            static_cast<sl_db::IAbstractDefinition*>(width.propertyDefinition().get()));
  EXPECT_FALSE(width.property());
  EXPECT_FALSE(width.isSet());
  EXPECT_EQ(width.type(), DbPropertyType::get<double>());
  EXPECT_TRUE(width.resetValue());  // the stored value of that name goes all the same

  // Unbound: only the stored value counts; an empty namespace stores under the name alone.
  DynamicProperty unresolved(library, line, PropertyKey(L"Arch", L"Height"), false);
  EXPECT_FALSE(unresolved.propertyDefinition());
  EXPECT_TRUE(unresolved.exists());
  EXPECT_TRUE(unresolved.isSet());
  DynamicProperty bare(nullptr, line, PropertyKey(L"", L"Width"), true);
  EXPECT_FALSE(bare.exists());
  EXPECT_EQ(bare.setValue(1.5), DynamicProperty::Ok);
  EXPECT_TRUE(container(line.get()).getProperty(L"Width"));
  EXPECT_TRUE(bare.exists());
  EXPECT_TRUE(bare.resetValue());
  EXPECT_FALSE(bare.resetValue());
  EXPECT_FALSE(bare.exists());

  // A per-instance set binds only once attached to this line.
  EXPECT_FALSE(DynamicProperty(library, line, PropertyKey(L"Struct", L"Load"), true).exists());
  DbProperties::get(line.get())->attachInstancePropertySet(L"Beam~Struct");
  EXPECT_TRUE(DynamicProperty(library, line, PropertyKey(L"Struct", L"Load"), true).exists());
  // A circle's set does not apply to lines.
  EXPECT_FALSE(DynamicProperty(library, line, PropertyKey(L"Struct", L"Radius"), true).exists());

  // By identifier: kinds 3 and 4 only, ids of the index only.
  const unsigned noteId = wrapper->propertyDefinition(PropertyKey(L"Arch", L"Note"))->id();
  const unsigned areaId = wrapper->valueDefinition(PropertyKey(L"Arch", L"Area"))->id();
  DynamicProperty byId(library, line,
                       sl_db::ObjectKey(sl_db::ObjectTypeWrapper::PropertyDefinition, noteId));
  EXPECT_EQ(byId.propertyKey(), PropertyKey(L"Arch", L"Note"));
  EXPECT_FALSE(byId.propertySet());
  DynamicProperty valueById(library, line,
                            sl_db::ObjectKey(sl_db::ObjectTypeWrapper::ValueDefinition, areaId));
  EXPECT_EQ(valueById.propertyKey(), PropertyKey(L"Arch", L"Area"));
  EXPECT_TRUE(valueById.valueDefinition());
  for (auto kind : {sl_db::ObjectTypeWrapper::None, sl_db::ObjectTypeWrapper::ValueDefinition}) {
    DynamicProperty none(library, line, sl_db::ObjectKey(kind, noteId));
    EXPECT_FALSE(none.exists());
    EXPECT_EQ(none.propertyKey(), PropertyKey());
  }
}

// Bindings by key come from the wrapper's key index; once an indexed object changes in memory
// they come from a scan of the sets. Both must bind the same definitions and set.
TEST_F(ValuesTest, KeyIndexBindsWhatTheScanBinds) {
  OdDbObjectPtr line = lineId.openObject(OdDb::kForWrite);
  OdDbObjectPtr circle = circleId.openObject(OdDb::kForRead);
  const wchar_t* const keys[][2] = {
      {L"Arch", L"Width"},  {L"Arch", L"Height"},   {L"Arch", L"Area"}, {L"Arch", L"Sill"},
      {L"Struct", L"Load"}, {L"Struct", L"Radius"}, {L"X", L"Free"}};
  auto bindings = [&](const OdDbObjectPtr& object) {
    std::string out;
    for (const auto& key : keys) {
      DynamicProperty p(library, object, PropertyKey(key[0], key[1]), true);
      out += std::to_string(p.propertyDefinition() ? p.propertyDefinition()->id() : 0) + "/" +
             std::to_string(p.valueDefinition() ? p.valueDefinition()->id() : 0) + "/" +
             (p.propertySet() ? p.propertySet()->name().toUtf8() : "-") + " ";
    }
    return out;
  };
  std::vector<std::string> indexed = {bindings(line), bindings(circle)};
  DbProperties::get(line.get())->attachInstancePropertySet(L"Beam~Struct");
  indexed.push_back(bindings(line));
  EXPECT_NE(indexed[0].find("/Frame "), std::string::npos) << indexed[0];  // the later set
  EXPECT_EQ(indexed[0].find("Beam"), std::string::npos) << indexed[0];
  EXPECT_NE(indexed[2].find("/Beam "), std::string::npos) << indexed[2];

  auto sill =
      library->propertyDefinition(wrapper->propertyDefinition(PropertyKey(L"Arch", L"Sill"))->id());
  sill->setDescription(L"changed in memory");
  DbProperties::get(line.get())->detachInstancePropertySet(L"Beam~Struct");
  EXPECT_EQ(bindings(line), indexed[0]);
  EXPECT_EQ(bindings(circle), indexed[1]);
  DbProperties::get(line.get())->attachInstancePropertySet(L"Beam~Struct");
  EXPECT_EQ(bindings(line), indexed[2]);
  // An unsaved rename is seen at once, as the scan sees it; a reload indexes the file again.
  sill->setName(L"Threshold");
  EXPECT_FALSE(DynamicProperty(library, line, PropertyKey(L"Arch", L"Sill"), true).exists());
  EXPECT_TRUE(DynamicProperty(library, line, PropertyKey(L"Arch", L"Threshold"), true).exists());
  library->reload();
  EXPECT_EQ(bindings(line), indexed[2]);
}

TEST_F(ValuesTest, ReadsStoredDefaultOrComputedValuesAndWritesChecked) {
  OdDbObjectPtr line = lineId.openObject(OdDb::kForWrite);
  auto at = [&](const wchar_t* name) {
    return DynamicProperty(library, line, PropertyKey(L"Arch", name), true);
  };
  double d = -1;
  EXPECT_EQ(at(L"Sill").getValue(d), DynamicProperty::NoValue);
  EXPECT_EQ(d, 0.0);
  OdString text(L"kept");
  EXPECT_EQ(at(L"Sill").getValue(text), DynamicProperty::TypeMismatch);
  EXPECT_EQ(text, L"kept");
  int16_t h = 0;
  EXPECT_EQ(at(L"Height").getValue(h), DynamicProperty::Ok);
  EXPECT_EQ(h, 7);
  OdGePoint3d pos(1, 2, 3);
  EXPECT_EQ(at(L"Pos").getValue(pos), DynamicProperty::NoValue);
  EXPECT_EQ(pos, OdGePoint3d());

  // Stored values win over defaults; a wrong type resets the output.
  DynamicProperty height = at(L"Height");
  EXPECT_EQ(height.setValue<int16_t>(9), DynamicProperty::Ok);
  EXPECT_EQ(height.getValue(h), DynamicProperty::Ok);
  EXPECT_EQ(h, 9);
  EXPECT_EQ(height.setValue(9.0), DynamicProperty::TypeMismatch);
  int32_t wide = 5;
  EXPECT_EQ(height.getValue(wide), DynamicProperty::TypeMismatch);
  EXPECT_EQ(wide, 0);
  // A new value of a bound definition takes the definition's type, not T's.
  EXPECT_EQ(at(L"Note").setValue(3.0), DynamicProperty::TypeMismatch);
  EXPECT_FALSE(container(line.get()).getProperty(L"Note~Arch"));

  // Nothing bound: NotAvailable until written; int and the 32-bit long are one type here.
  DynamicProperty loose(library, line, PropertyKey(L"X", L"Free"), true);
  int32_t n = 3;
  EXPECT_EQ(loose.getValue(n), DynamicProperty::NotAvailable);
  EXPECT_EQ(n, 0);
  EXPECT_EQ(loose.setValue(5), DynamicProperty::Ok);
  EXPECT_EQ(loose.type(), DbPropertyType::get<int32_t>());
  EXPECT_EQ(loose.getValue(n), DynamicProperty::Ok);
  EXPECT_EQ(n, 5);

  // A value definition computes only with a context that names an entity, and the module's own
  // definitions compute nothing.
  DynamicProperty area = at(L"Area");
  double a = 4;
  EXPECT_EQ(area.getValue(a, nullptr), DynamicProperty::TypeMismatch);
  EXPECT_EQ(a, 4);
  auto noEntity = sl_db::DynamicPropertyContext::createObject(nullptr, 0);
  EXPECT_EQ(area.getValue(a, noEntity.get()), DynamicProperty::TypeMismatch);
  EXPECT_EQ(area.getValue(a, line.get()), DynamicProperty::TypeMismatch);
  EXPECT_EQ(a, 4);
  auto context = sl_db::DynamicPropertyContext::createObject(OdDbEntity::cast(line.get()).get(), 0);
  EXPECT_EQ(area.getValue(a, context.get()), DynamicProperty::TypeMismatch);
  EXPECT_EQ(a, 0.0);
  OdString wrongType(L"kept");
  EXPECT_EQ(area.getValue(wrongType, context.get()), DynamicProperty::TypeMismatch);
  EXPECT_EQ(wrongType, L"kept");

  // Objects without a property container carry no values.
  auto plain = sl_db::DynamicPropertyContext::createObject(nullptr, 0);
  DynamicProperty onPlain(library, OdRxObjectPtr(plain.get()), PropertyKey(L"A", L"B"), false);
  EXPECT_EQ(onPlain.setValue(1.0), DynamicProperty::NotAvailable);
  EXPECT_EQ(onPlain.getValue(a), DynamicProperty::NotAvailable);
  EXPECT_FALSE(onPlain.resetValue());
  EXPECT_FALSE(onPlain.createProperty());

  // A default at the type's largest value is one; a negative one is none of an unsigned type.
  auto limits = stocklib::PropertySet::create(
      stocklib::PropertyNamespace::create(L"Lim")->save(store), L"Limits");
  limits->insert_entity_type(L"OdDbLine");
  limits->append_property_definition(L"Top", stocklib::PropertyType(1, 1))->set_default_int(127);
  // uint64: the one unsigned type a wrapped -1 still fits in.
  limits->append_property_definition(L"Low", stocklib::PropertyType(1, 8))->set_default_int(-1);
  limits->save(store);
  library->reload();
  int8_t top = 0;
  uint64_t low = 9;
  EXPECT_EQ(DynamicProperty(library, line, PropertyKey(L"Lim", L"Top"), true).getValue(top),
            DynamicProperty::Ok);
  EXPECT_EQ(top, 127);
  EXPECT_EQ(DynamicProperty(library, line, PropertyKey(L"Lim", L"Low"), true).getValue(low),
            DynamicProperty::NoValue);
  EXPECT_EQ(low, 0);
}

TEST_F(ValuesTest, StoredValueIsConvertedToTheDefinitionTypeOnce) {
  OdDbObjectPtr line = lineId.openObject(OdDb::kForWrite);
  store_<int32_t>(line.get(), L"Sill~Arch", 3);
  DynamicProperty sill(library, line, PropertyKey(L"Arch", L"Sill"), true);
  double d = 0;
  EXPECT_EQ(sill.getValue(d), DynamicProperty::Ok);
  EXPECT_EQ(d, 3.0);
  EXPECT_EQ(container(line.get()).getProperty(L"Sill~Arch")->type(), DbPropertyType::get<double>());
  // Not again through the same property: a value stored in another type now stays as it is.
  store_<int32_t>(line.get(), L"Sill~Arch", 4);
  EXPECT_EQ(sill.getValue(d), DynamicProperty::TypeMismatch);
  DynamicProperty again = DynamicProperty(library, line, PropertyKey(L"Arch", L"Sill"), true);
  EXPECT_EQ(again.setValue(6.5), DynamicProperty::Ok);
  EXPECT_EQ(again.getValue(d), DynamicProperty::Ok);
  EXPECT_EQ(d, 6.5);

  // createProperty answers a stored value unchanged, else stores an empty one of the type.
  EXPECT_EQ(again.createProperty(), container(line.get()).getProperty(L"Sill~Arch"));
  DynamicProperty note(library, line, PropertyKey(L"Arch", L"Note"), true);
  auto made = note.createProperty();
  ASSERT_TRUE(made);
  EXPECT_EQ(made->type(), DbPropertyType::get<OdString>());
  EXPECT_FALSE(made->isSet());
  EXPECT_FALSE(note.isSet());
  EXPECT_TRUE(note.exists());
}

TEST_F(ValuesTest, ValueTheDefinitionCannotHoldStaysAsItIs) {
  {
    OdDbObjectPtr line = lineId.openObject(OdDb::kForWrite);
    store_(line.get(), L"Height~Arch", 2.5);              // int16, default 7
    store_(line.get(), L"Sill~Arch", OdString(L"wide"));  // double
    store_(line.get(), L"Note~Arch", 12.5);               // text: this one converts
    EXPECT_TRUE(DynamicProperties(library, line).isAnySet());
    int16_t h = 5;
    DynamicProperty height(library, line, PropertyKey(L"Arch", L"Height"), true);
    EXPECT_EQ(height.getValue(h), DynamicProperty::TypeMismatch);
    EXPECT_EQ(h, 0);
    EXPECT_TRUE(height.isSet());
    double d = 1;
    EXPECT_EQ(DynamicProperty(library, line, PropertyKey(L"Arch", L"Sill"), true).getValue(d),
              DynamicProperty::TypeMismatch);
    EXPECT_EQ(d, 0.0);
    OdString note;
    EXPECT_EQ(DynamicProperty(library, line, PropertyKey(L"Arch", L"Note"), true).getValue(note),
              DynamicProperty::Ok);
    EXPECT_EQ(note, L"12.5");
    EXPECT_EQ(container(line.get()).getProperty(L"Note~Arch")->type(),
              DbPropertyType::get<OdString>());
  }
  OdDbObjectPtr line = lineId.openObject(OdDb::kForRead);
  int16_t h = 5;
  EXPECT_EQ(DynamicProperty(library, line, PropertyKey(L"Arch", L"Height"), true).getValue(h),
            DynamicProperty::TypeMismatch);
  EXPECT_EQ(h, 0);
  double height = 0;
  ASSERT_TRUE(container(line.get()).getProperty(L"Height~Arch")->get(height));
  EXPECT_EQ(height, 2.5);
  OdString sill;
  ASSERT_TRUE(container(line.get()).getProperty(L"Sill~Arch")->get(sill));
  EXPECT_EQ(sill, L"wide");
}

TEST_F(ValuesTest, EmptyValuesShowTheDefaultAndUnreadableWritesAreRefused) {
  OdDbObjectPtr line = lineId.openObject(OdDb::kForWrite);
  DynamicProperty height(library, line, PropertyKey(L"Arch", L"Height"), true);
  ASSERT_TRUE(height.createProperty());
  int16_t h = 0;
  EXPECT_EQ(height.getValue(h), DynamicProperty::Ok);
  EXPECT_EQ(h, 7);
  EXPECT_EQ(height.setValue<int16_t>(9), DynamicProperty::Ok);
  height.property()->reset();
  EXPECT_EQ(height.getValue(h), DynamicProperty::Ok);
  EXPECT_EQ(h, 7);
  DynamicProperty sill(library, line, PropertyKey(L"Arch", L"Sill"), true);
  ASSERT_TRUE(sill.createProperty());
  double d = 3;
  EXPECT_EQ(sill.getValue(d), DynamicProperty::NoValue);
  EXPECT_EQ(d, 0.0);
  DbProperties::get(line.get())
      ->setProperty(L"Loose", DbPropertyType::get<double>().createProperty());
  d = 3;
  EXPECT_EQ(DynamicProperty(library, line, PropertyKey(L"", L"Loose"), true).getValue(d),
            DynamicProperty::NotAvailable);
  EXPECT_EQ(d, 0.0);

  // A value definition alone (Area), or beside a property definition of the same key in an
  // earlier set (Width): reads compute, so a stored value would never be seen.
  for (const wchar_t* name : {L"Area", L"Width"}) {
    DynamicProperty computed(library, line, PropertyKey(L"Arch", name), true);
    ASSERT_TRUE(computed.valueDefinition());
    EXPECT_EQ(computed.setValue(1.5), DynamicProperty::NotAvailable);
    EXPECT_FALSE(computed.createProperty());
    EXPECT_FALSE(container(line.get()).getProperty(PropertyKey(L"Arch", name).str()));
  }
}

TEST_F(ValuesTest, ObjectsNotOpenAreRefusedAndLeftAlone) {
  {
    OdDbObjectPtr line = lineId.openObject(OdDb::kForWrite);
    store_(line.get(), L"Sill~Arch", 2.0);
    store_<int32_t>(line.get(), L"Height~Arch", 8);
  }
  OdDbObjectPtr line = lineId.openObject(OdDb::kForRead);
  DynamicProperty sill(library, line, PropertyKey(L"Arch", L"Sill"), true);
  double d = 0;
  EXPECT_EQ(sill.getValue(d), DynamicProperty::Ok);
  // A value of another type is read converted, and stays stored as it was.
  DynamicProperty height(library, line, PropertyKey(L"Arch", L"Height"), true);
  int16_t h = 0;
  EXPECT_EQ(height.getValue(h), DynamicProperty::Ok);
  EXPECT_EQ(h, 8);
  EXPECT_EQ(height.type(), DbPropertyType::get<int16_t>());
  EXPECT_EQ(container(line.get()).getProperty(L"Height~Arch")->type(),
            DbPropertyType::get<int32_t>());
  try {
    (void)sill.setValue(5.0);
    ADD_FAILURE() << "a write to an object open for reading was accepted";
  } catch (const OdError& e) {
    EXPECT_EQ(e.code(), eNotOpenForWrite);
  }
  EXPECT_THROW(sill.resetValue(), OdError);
  line->close();
  try {
    (void)sill.getValue(d);
    ADD_FAILURE() << "a read of a closed object was accepted";
  } catch (const OdError& e) {
    EXPECT_EQ(e.code(), eNotOpenForRead);
  }
  line = nullptr;
  line = lineId.openObject(OdDb::kForRead);
  EXPECT_EQ(DynamicProperty(library, line, PropertyKey(L"Arch", L"Sill"), true).getValue(d),
            DynamicProperty::Ok);
  EXPECT_EQ(d, 2.0);
}

}  // namespace sltest

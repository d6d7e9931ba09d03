// DynamicProperty: binding by key and by id, where values are stored, typed reads with defaults
// and computations, writes, the one-time conversion of a stored value, and open-mode checks.
#include "sl_db/DynamicProperty.h"

#include "ValuesSupport.h"
#include "sl_db/DynamicPropertyContext.h"

using sl_db::DynamicProperty;
using sl_db::PropertyKey;

namespace sltest {

namespace {

/// A definition made by the caller: the library's own, refusing negative reals.
struct NonNegative final : sl_db::IPropertyDefinition {
  explicit NonNegative(std::shared_ptr<sl_db::IPropertyDefinition> of) : d(std::move(of)) {}
  std::shared_ptr<sl_db::IPropertyDefinition> d;
  OdString displayName(bool useLabel) const override { return d->displayName(useLabel); }
  void setLabel(const OdString&) override {}
  void clearLabel() override {}
  void setName(const OdString&) override {}
  void setDescription(const OdString&) override {}
  void setType(const sl_db::PropertyType&) override {}
  void setTypeSpec(const OdString&) override {}
  template <class T>
  static bool valid(const T&) {
    return true;
  }
  static bool valid(double value) { return value >= 0; }
#define SLDB_EACH_VALUE_TYPE(...)                              \
  bool isValidValue(const __VA_ARGS__& value) const override { \
    return valid(value);                                       \
  }
  SLDB_FOR_EACH_VALUE_TYPE
#undef SLDB_EACH_VALUE_TYPE
  // clang-format off
#define FORWARD_(R, f) R f() const override { return d->f(); }
  FORWARD_(std::uint32_t, id) FORWARD_(bool, visible) FORWARD_(bool, namespaceVisible)
  FORWARD_(bool, hasLabel) FORWARD_(const OdString&, label) FORWARD_(const OdString&, ns)
  FORWARD_(const OdString&, name) FORWARD_(const OdString&, description)
  FORWARD_(sl_db::PropertyType, type) FORWARD_(DbPropertyType, dbPropertyType)
  FORWARD_(std::shared_ptr<sl_db::IUnit>, unit) FORWARD_(bool, isReserved)
  FORWARD_(const OdString&, reservedText) FORWARD_(sl_db::ObjectTypeWrapper::ObjectType, objectType)
  FORWARD_(OdRxObject*, object) FORWARD_(const OdString&, typeSpec) FORWARD_(bool, reservedFlag)
  FORWARD_(const OdRxObject*, reservedObject)
#undef FORWARD_
#define DEFAULT_(T) bool defaultValue(T& v) const override { return d->defaultValue(v); }
  DEFAULT_(bool) DEFAULT_(std::int32_t) DEFAULT_(double) DEFAULT_(OdString)
#undef DEFAULT_
  // clang-format on
};

}  // namespace

// Bindings by key come from the wrapper's key index; once an indexed object changes in memory
// they come from a scan of the sets. Both must bind the same definitions and set.
TEST_F(ValuesTest, BindsByKeyAndByIdAndStoresUnderTheKeyString) {
  OdDbObjectPtr line = lineId.openObject(OdDb::kForWrite);
  OdDbObjectPtr circle = circleId.openObject(OdDb::kForRead);
  const wchar_t* const keys[][2] = {
      {L"Arch", L"Width"},  {L"Arch", L"Height"},   {L"Arch", L"Area"}, {L"Arch", L"Sill"},
      {L"Struct", L"Load"}, {L"Struct", L"Radius"}, {L"X", L"Free"}};
  // Per key: p and v for the definitions bound, then the set.
  auto bindings = [&](const OdDbObjectPtr& object) {
    std::string out;
    for (const auto& key : keys) {
      DynamicProperty p(library, object, PropertyKey(key[0], key[1]), true);
      out += std::string(p.propertyDefinition() ? "p" : "") + (p.valueDefinition() ? "v" : "") +
             "/" + (p.propertySet() ? p.propertySet()->name().toUtf8() : "-") + " ";
    }
    return out;
  };
  // Width: a property definition in Door and a value definition in the later Frame, the set of
  // the last match. The per-instance Beam binds once attached; Circle's set is not for lines.
  const std::string lines = "pv/Frame p/Door v/Door p/Trim /- /- /- ";
  const std::string attached = "pv/Frame p/Door v/Door p/Trim p/Beam /- /- ";
  const std::string circles = "/- /- /- /- /- p/Circle /- ";
  EXPECT_EQ(bindings(line), lines);
  EXPECT_EQ(bindings(circle), circles);
  DbProperties::get(line.get())->attachInstancePropertySet(L"Beam~Struct");
  EXPECT_EQ(bindings(line), attached);
  auto sill =
      library->propertyDefinition(wrapper->propertyDefinition(PropertyKey(L"Arch", L"Sill"))->id());
  sill->setDescription(L"changed in memory");
  EXPECT_EQ(bindings(line), attached);
  DbProperties::get(line.get())->detachInstancePropertySet(L"Beam~Struct");
  EXPECT_EQ(bindings(line), lines);
  // An unsaved rename is seen at once, as the scan sees it; a reload indexes the file again.
  sill->setName(L"Threshold");
  EXPECT_FALSE(at(line, L"Sill").exists());
  EXPECT_TRUE(at(line, L"Threshold").exists());
  library->reload();
  EXPECT_EQ(bindings(line), lines);

  EXPECT_EQ(at(line, L"Height").setValue<int16_t>(12), DynamicProperty::Ok);
  EXPECT_TRUE(container(line.get()).getProperty(L"Height~Arch"));
  // Value definitions never reach storage; the stored value of that name goes all the same.
  store_(line.get(), L"Width~Arch", 4.0);
  DynamicProperty width = at(line, L"Width");
  EXPECT_FALSE(width.property() || width.isSet());
  EXPECT_TRUE(width.resetValue());
  // Unbound: only the stored value counts; an empty namespace stores under the name alone.
  DynamicProperty unresolved = at(line, L"Height", L"Arch", false);
  EXPECT_TRUE(!unresolved.propertyDefinition() && unresolved.isSet());
  EXPECT_EQ(DynamicProperty(nullptr, line, PropertyKey(L"", L"Width"), true).setValue(1.5),
            DynamicProperty::Ok);
  EXPECT_TRUE(container(line.get()).getProperty(L"Width"));

  // By identifier: kinds 3 and 4 only (4 in ValueComputations), ids of the index only.
  using Kind = sl_db::ObjectTypeWrapper;
  auto byId = [&](Kind::ObjectType kind, unsigned id) {
    return DynamicProperty(library, line, sl_db::ObjectKey(kind, id));
  };
  const unsigned noteId = wrapper->propertyDefinition(PropertyKey(L"Arch", L"Note"))->id();
  EXPECT_EQ(byId(Kind::PropertyDefinition, noteId).propertyKey(), PropertyKey(L"Arch", L"Note"));
  EXPECT_FALSE(byId(Kind::PropertyDefinition, noteId).propertySet());
  for (auto kind : {Kind::None, Kind::ValueDefinition})
    EXPECT_EQ(byId(kind, noteId).propertyKey(), PropertyKey());
}

TEST_F(ValuesTest, ReadsStoredDefaultOrComputedValuesConvertedOnceAndWritesChecked) {
  OdDbObjectPtr line = lineId.openObject(OdDb::kForWrite);
  EXPECT_TRUE(reads(at(line, L"Sill"), -1.0, DynamicProperty::NoValue, 0.0));
  EXPECT_TRUE(reads(at(line, L"Sill"), OdString(L"kept"), DynamicProperty::TypeMismatch, L"kept"));
  EXPECT_TRUE(reads<int16_t>(at(line, L"Height"), 0, DynamicProperty::Ok, 7));

  // Stored values win over defaults; a wrong type resets the output.
  DynamicProperty height = at(line, L"Height");
  EXPECT_EQ(height.setValue<int16_t>(9), DynamicProperty::Ok);
  EXPECT_TRUE(reads<int16_t>(height, 0, DynamicProperty::Ok, 9));
  EXPECT_EQ(height.setValue(9.0), DynamicProperty::TypeMismatch);
  EXPECT_TRUE(reads<int32_t>(height, 5, DynamicProperty::TypeMismatch, 0));
  // A new value of a bound definition takes the definition's type, not T's.
  EXPECT_EQ(at(line, L"Note").setValue(3.0), DynamicProperty::TypeMismatch);
  EXPECT_FALSE(container(line.get()).getProperty(L"Note~Arch"));

  // Nothing bound: NotAvailable until written; int and the 32-bit long are one type here.
  DynamicProperty loose = at(line, L"Free", L"X");
  EXPECT_TRUE(reads<int32_t>(loose, 3, DynamicProperty::NotAvailable, 0));
  EXPECT_EQ(loose.setValue(5), DynamicProperty::Ok);
  EXPECT_TRUE(reads<int32_t>(loose, 3, DynamicProperty::Ok, 5));

  // A value definition computes only with a context that names an entity, and the module's own
  // definitions compute nothing.
  DynamicProperty area = at(line, L"Area");
  auto noEntity = sl_db::DynamicPropertyContext::createObject(nullptr, 0);
  EXPECT_TRUE(reads(area, 4.0, DynamicProperty::TypeMismatch, 4.0));
  EXPECT_TRUE(reads(area, 4.0, DynamicProperty::TypeMismatch, 4.0, noEntity.get()));
  auto context = sl_db::DynamicPropertyContext::createObject(OdDbEntity::cast(line.get()).get(), 0);
  EXPECT_TRUE(reads(area, 4.0, DynamicProperty::TypeMismatch, 0.0, context.get()));

  // Objects without a property container carry no values.
  DynamicProperty onPlain(library, OdRxObjectPtr(noEntity.get()), PropertyKey(L"A", L"B"), false);
  EXPECT_EQ(onPlain.setValue(1.0), DynamicProperty::NotAvailable);
  EXPECT_TRUE(reads(onPlain, 4.0, DynamicProperty::NotAvailable, 0.0));
  EXPECT_FALSE(onPlain.resetValue() || onPlain.createProperty());

  // The definition decides what may be written: a refused value stores nothing.
  DynamicProperty checked(
      line, std::make_shared<NonNegative>(at(line, L"Sill").propertyDefinition()), nullptr);
  EXPECT_EQ(checked.setValue(-1.0), DynamicProperty::InvalidValue);
  EXPECT_FALSE(container(line.get()).getProperty(L"Sill~Arch"));
  EXPECT_EQ(checked.setValue(1.0), DynamicProperty::Ok);

  // A default at the type's largest value is one; a negative one is none of an unsigned type
  // (uint64: the one unsigned type a wrapped -1 still fits in).
  EXPECT_TRUE(reads<int8_t>(at(line, L"Top", L"Lim"), 0, DynamicProperty::Ok, 127));
  EXPECT_TRUE(reads<uint64_t>(at(line, L"Low", L"Lim"), 9, DynamicProperty::NoValue, 0));

  // A stored value of another type is converted to the definition's type once, when it can be;
  // one the definition cannot hold stays as it is. Empty values show the default.
  store_<int32_t>(line.get(), L"Sill~Arch", 3);
  DynamicProperty sill = at(line, L"Sill");
  EXPECT_TRUE(reads(sill, 0.0, DynamicProperty::Ok, 3.0));
  EXPECT_EQ(container(line.get()).getProperty(L"Sill~Arch")->type(), DbPropertyType::get<double>());
  // Not again through the same property: a value stored in another type now stays as it is.
  store_<int32_t>(line.get(), L"Sill~Arch", 4);
  EXPECT_TRUE(reads(sill, 1.0, DynamicProperty::TypeMismatch, 0.0));
  store_(line.get(), L"Note~Arch", 12.5);  // text holds it
  EXPECT_TRUE(reads(at(line, L"Note"), OdString(), DynamicProperty::Ok, L"12.5"));
  store_(line.get(), L"Height~Arch", 2.5);  // int16 cannot
  height = at(line, L"Height");
  EXPECT_TRUE(reads<int16_t>(height, 5, DynamicProperty::TypeMismatch, 0));
  EXPECT_TRUE(reads(at(line, L"Height", L"Arch", false), 0.0, DynamicProperty::Ok, 2.5));

  // Empty values: the default, else none; createProperty stores an empty one of the type.
  height.property()->reset();
  EXPECT_TRUE(reads<int16_t>(height, 0, DynamicProperty::Ok, 7));
  DbProperties::get(line.get())->resetProperty(L"Note~Arch");
  DynamicProperty note = at(line, L"Note");
  auto made = note.createProperty();
  ASSERT_TRUE(made && made->type() == DbPropertyType::get<OdString>());
  EXPECT_TRUE(note.exists() && !note.isSet());
  EXPECT_TRUE(reads(note, OdString(L"x"), DynamicProperty::NoValue, L""));
  DbProperties::get(line.get())
      ->setProperty(L"Loose", DbPropertyType::get<double>().createProperty());
  EXPECT_TRUE(reads(at(line, L"Loose", L""), 3.0, DynamicProperty::NotAvailable, 0.0));

  // A value definition alone (Area), or beside a property definition of the same key in an
  // earlier set (Width): reads compute, so a stored value would never be seen.
  for (const wchar_t* name : {L"Area", L"Width"}) {
    DynamicProperty computed = at(line, name);
    ASSERT_TRUE(computed.valueDefinition());
    EXPECT_EQ(computed.setValue(1.5), DynamicProperty::NotAvailable);
    EXPECT_FALSE(computed.createProperty());
    EXPECT_FALSE(container(line.get()).getProperty(PropertyKey(L"Arch", name).str()));
  }
}

// A read keeps what it found for the next one (a palette asks isSet() first): a change made in
// between by another property, in the storage itself or by undo is seen all the same. Objects
// not open are refused and left alone.
TEST_F(ValuesTest, ReadsSeeChangesSinceTheLastReadAndObjectsNotOpenAreRefused) {
  OdDbObjectPtr line = lineId.openObject(OdDb::kForWrite);
  DynamicProperty sill = at(line, L"Sill");
  DynamicProperty other = sill;
  store_<int32_t>(line.get(), L"Height~Arch", 8);
  store_(line.get(), L"Sill~Arch", 1.0);
  EXPECT_TRUE(sill.isSet());
  EXPECT_TRUE(other.resetValue());
  EXPECT_FALSE(sill.isSet());
  store_(line.get(), L"Sill~Arch", 2.0);
  EXPECT_TRUE(sill.isSet());
  EXPECT_EQ(other.setValue(2.5), DynamicProperty::Ok);  // in place
  EXPECT_TRUE(reads(sill, 0.0, DynamicProperty::Ok, 2.5));
  line->close();
  db->setUndoRecording(true);
  db->startUndoRecord();
  line = lineId.openObject(OdDb::kForWrite);
  store_(line.get(), L"Sill~Arch", 5.0);
  EXPECT_TRUE(reads(sill, 0.0, DynamicProperty::Ok, 5.0));
  line->close();
  db->undo();
  line = lineId.openObject(OdDb::kForRead);
  // A value of another type is read converted, and stays stored as it was.
  EXPECT_TRUE(reads<int16_t>(at(line, L"Height"), 0, DynamicProperty::Ok, 8));
  EXPECT_EQ(container(line.get()).getProperty(L"Height~Arch")->type(),
            DbPropertyType::get<int32_t>());
  EXPECT_EQ(odErrorOf([&] { (void)sill.setValue(5.0); }), eNotOpenForWrite);
  EXPECT_THROW(sill.resetValue(), OdError);
  // Read once while open: the closed object is refused though nothing changed since.
  EXPECT_TRUE(reads(sill, 0.0, DynamicProperty::Ok, 2.5));
  line->close();
  EXPECT_EQ(odErrorOf([&] { (void)reads(sill, 0.0, DynamicProperty::Ok, 2.5); }), eNotOpenForRead);
  line = lineId.openObject(OdDb::kForRead);
  EXPECT_TRUE(reads(at(line, L"Sill"), 0.0, DynamicProperty::Ok, 2.5));
}

}  // namespace sltest

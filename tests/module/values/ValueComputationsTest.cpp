// ValueComputations: providers hand out computing value definitions wherever the module binds
// one (listing, by key, by id, from the store), in name order, and stop doing so once removed.
#include "sl_db/ValueComputations.h"

#include <cmath>

#include "ValuesSupport.h"
#include "sl_db/DelegatingValueDefinition.h"
#include "sl_db/DynamicPropertyContext.h"

using sl_db::DynamicProperty;
using sl_db::PropertyKey;
using sl_db::ValueComputations;

namespace sltest {

namespace {

/// A line's length times `factor`, plus the context's ply index.
class ScaledLength final : public sl_db::DelegatingValueDefinition {
 public:
  ScaledLength(std::shared_ptr<sl_db::IValueDefinition> library, double factor)
      : DelegatingValueDefinition(std::move(library)), m_factor(factor) {}
  using DelegatingValueDefinition::computeValue;
  sl_db::DynamicPropertyResults::Result computeValue(double& value, const OdDbObjectPtr& object,
                                                     const OdRxObject* context) const override {
    OdDbLinePtr line = OdDbLine::cast(object.get());
    auto palette = sl_db::DynamicPropertyContext::queryX(context);
    if (!line || !palette) return sl_db::DynamicPropertyResults::NotAvailable;
    const OdGeVector3d d = line->endPoint() - line->startPoint();
    value = m_factor * std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z) +
            static_cast<double>(palette->plyIndex());
    return sl_db::DynamicPropertyResults::Ok;
  }

 private:
  double m_factor;
};

ValueComputations::Provider lengthTimes(double factor) {
  return [factor](const std::shared_ptr<sl_db::IValueDefinition>& definition)
             -> std::shared_ptr<sl_db::IValueDefinition> {
    if (definition->valueSpec() != L"length") return nullptr;
    return sl_db::DelegatingValueDefinition::make<ScaledLength>(definition, factor);
  };
}

/// Removes the test's providers however the test ends.
struct Providers {
  ~Providers() {
    ValueComputations::remove(L"a-first");
    ValueComputations::remove(L"b-second");
    ValueComputations::remove(L"0-declines");
  }
};

}  // namespace

TEST_F(ValuesTest, ProvidersComputeTheDefinitionsTheyClaimUntilRemoved) {
  auto arch = store->get<stocklib::PropertyNamespace>(stocklib::NameKey(L"Arch"));
  auto quantity = stocklib::PropertySet::create(arch, L"Quantity");
  quantity->insert_entity_type(L"OdDbLine");
  quantity->append_value_definition(L"Run", stocklib::PropertyType(1, 9))
      ->set_value_spec(L"length");
  quantity->save(store);
  wrapper->reload();
  const unsigned runId = wrapper->valueDefinition(PropertyKey(L"Arch", L"Run"))->id();

  OdDbObjectPtr opened = lineId.openObject(OdDb::kForWrite);
  OdDbLinePtr line = OdDbLine::cast(opened.get());
  line->setEndPoint(OdGePoint3d(3, 4, 0));
  auto context = sl_db::DynamicPropertyContext::createObject(line.get(), 2);
  // Every way of binding the definition, each asked anew.
  auto read = [&](const DynamicProperty& property) {
    double value = -1;
    const DynamicProperty::Result r = property.getValue(value, context.get());
    return r == DynamicProperty::Ok ? value : -static_cast<double>(r);
  };
  auto listed = [&](const wchar_t* name) {
    for (const DynamicProperty& p : sl_db::DynamicProperties(library, line))
      if (p.propertyKey() == PropertyKey(L"Arch", name) && p.valueDefinition()) return read(p);
    return -99.0;
  };
  auto byKey = [&] {
    return read(DynamicProperty(library, line, PropertyKey(L"Arch", L"Run"), true));
  };
  auto byId = [&] {
    return read(DynamicProperty(
        library, line, sl_db::ObjectKey(sl_db::ObjectTypeWrapper::ValueDefinition, runId)));
  };
  auto fromStore = [&] {
    return read(DynamicProperty(line, library->storeValueDefinition(runId), nullptr));
  };
  const double mismatch = -static_cast<double>(DynamicProperty::TypeMismatch);

  Providers cleanup;
  EXPECT_EQ(listed(L"Run"), mismatch);
  ValueComputations::add(L"0-declines", [](const auto&) { return nullptr; });
  EXPECT_EQ(byKey(), mismatch);

  // The second provider alone computes through every binding; the context reaches it.
  ValueComputations::add(L"b-second", lengthTimes(10));
  EXPECT_EQ(listed(L"Run"), 52.0);
  EXPECT_EQ(byKey(), 52.0);
  EXPECT_EQ(byId(), 52.0);
  EXPECT_EQ(fromStore(), 52.0);
  // A definition it does not claim stays the module's own.
  EXPECT_EQ(listed(L"Area"), mismatch);
  // Handed out in the library definition's place: same identity, same library object.
  auto handedOut = library->valueDefinition(runId);
  EXPECT_EQ(handedOut->id(), runId);
  EXPECT_EQ(handedOut->name(), L"Run");
  EXPECT_EQ(handedOut->ns(), L"Arch");
  EXPECT_EQ(handedOut->object(), wrapper->valueDefinition(runId));

  // The first in name order wins; removing it lets the next one answer again.
  ValueComputations::add(L"a-first", lengthTimes(1));
  EXPECT_EQ(byKey(), 7.0);
  EXPECT_EQ(listed(L"Run"), 7.0);
  ValueComputations::remove(L"a-first");
  EXPECT_EQ(byId(), 52.0);
  // An empty provider removes the name: nothing stale is left behind.
  ValueComputations::add(L"b-second", nullptr);
  EXPECT_EQ(listed(L"Run"), mismatch);
  EXPECT_EQ(byKey(), mismatch);
  EXPECT_EQ(byId(), mismatch);
  EXPECT_EQ(fromStore(), mismatch);
  EXPECT_FALSE(ValueComputations::bind(nullptr));
}

}  // namespace sltest

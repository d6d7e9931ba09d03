// ValueComputations: providers hand out computing value definitions where the module binds one,
// in name order, and stop doing so once removed.
#include "sl_db/ValueComputations.h"

#include "ValuesSupport.h"
#include "sl_db/DelegatingValueDefinition.h"
#include "sl_db/DynamicPropertyContext.h"

using sl_db::DynamicProperty;
using sl_db::PropertyKey;
using sl_db::ValueComputations;

namespace sltest {

namespace {

/// The x of a line's end times `factor`, plus the context's ply index.
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
    value = m_factor * line->endPoint().x + static_cast<double>(palette->plyIndex());
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
    for (const wchar_t* name : {L"a-first", L"b-second", L"0-declines"})
      ValueComputations::remove(name);
  }
};

}  // namespace

TEST_F(ValuesTest, ProvidersComputeTheDefinitionsTheyClaimUntilRemoved) {
  const unsigned runId = wrapper->valueDefinition(PropertyKey(L"Arch", L"Run"))->id();

  OdDbLinePtr line = OdDbLine::cast(lineId.openObject(OdDb::kForWrite).get());
  line->setEndPoint(OdGePoint3d(3, 4, 0));
  auto context = sl_db::DynamicPropertyContext::createObject(line.get(), 2);
  // The definition bound by key and by id, each asked anew: the value, else minus the result.
  auto read = [&](bool byId) {
    const sl_db::ObjectKey id(sl_db::ObjectTypeWrapper::ValueDefinition, runId);
    DynamicProperty property = byId ? DynamicProperty(library, line, id) : at(line, L"Run");
    double value = -1;
    const DynamicProperty::Result r = property.getValue(value, context.get());
    return r == DynamicProperty::Ok ? value : -static_cast<double>(r);
  };
  const double mismatch = -static_cast<double>(DynamicProperty::TypeMismatch);

  // One that declines leaves the definition to the next; the context reaches the provider.
  Providers cleanup;
  ValueComputations::add(L"0-declines", [](const auto&) { return nullptr; });
  const auto plain = library->valueDefinition(runId);
  ASSERT_TRUE(plain && ValueComputations::bind(plain) == plain);
  EXPECT_EQ(read(false), mismatch);
  ValueComputations::add(L"b-second", lengthTimes(10));
  EXPECT_EQ(read(false), 32.0);
  EXPECT_EQ(read(true), 32.0);
  EXPECT_EQ(library->valueDefinition(runId)->object(), wrapper->valueDefinition(runId));
  // The first in name order wins; removing it lets the next one answer again.
  ValueComputations::add(L"a-first", lengthTimes(1));
  EXPECT_EQ(read(false), 5.0);
  ValueComputations::remove(L"a-first");
  EXPECT_EQ(read(true), 32.0);
  // An empty provider removes the name: nothing stale is left behind.
  ValueComputations::add(L"b-second", nullptr);
  EXPECT_EQ(read(false), mismatch);
  EXPECT_EQ(read(true), mismatch);
  EXPECT_FALSE(ValueComputations::bind(nullptr));
}

}  // namespace sltest

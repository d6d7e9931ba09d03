// The registry of value-computation providers: a copy-on-write table, so that a provider runs
// outside the lock (it may add or remove providers itself) and bindings without any provider
// cost one atomic read.
#include "sl_db/ValueComputations.h"

#include <atomic>
#include <map>
#include <mutex>

namespace sl_db {

namespace {

using Table = std::map<OdString, ValueComputations::Provider>;

struct Registry {
  std::mutex mutex;
  std::shared_ptr<const Table> table;  // null while empty
  std::atomic<bool> any{false};

  void install(std::shared_ptr<const Table> next) {
    table = next && !next->empty() ? std::move(next) : nullptr;
    any.store(table != nullptr, std::memory_order_release);
  }
  std::shared_ptr<const Table> snapshot() {
    std::lock_guard<std::mutex> lock(mutex);
    return table;
  }
};

Registry& registry() {
  static Registry r;
  return r;
}

}  // namespace

void ValueComputations::add(const OdString& name, Provider provider) {
  if (!provider) {
    remove(name);
    return;
  }
  Registry& r = registry();
  std::lock_guard<std::mutex> lock(r.mutex);
  auto next = std::make_shared<Table>(r.table ? *r.table : Table());
  (*next)[name] = std::move(provider);
  r.install(std::move(next));
}

void ValueComputations::remove(const OdString& name) {
  Registry& r = registry();
  std::lock_guard<std::mutex> lock(r.mutex);
  if (!r.table || r.table->count(name) == 0) return;
  auto next = std::make_shared<Table>(*r.table);
  next->erase(name);
  r.install(std::move(next));
}

std::shared_ptr<IValueDefinition> ValueComputations::bind(
    std::shared_ptr<IValueDefinition> definition) {
  Registry& r = registry();
  if (!definition || !r.any.load(std::memory_order_acquire)) return definition;
  std::shared_ptr<const Table> table = r.snapshot();
  if (!table) return definition;
  for (const auto& entry : *table)
    if (std::shared_ptr<IValueDefinition> own = entry.second(definition)) return own;
  return definition;
}

}  // namespace sl_db

namespace sl_db {

std::uint32_t DelegatingValueDefinition::id() const {
  return m_library->id();
}
bool DelegatingValueDefinition::visible() const {
  return m_library->visible();
}
bool DelegatingValueDefinition::namespaceVisible() const {
  return m_library->namespaceVisible();
}
bool DelegatingValueDefinition::hasLabel() const {
  return m_library->hasLabel();
}
const OdString& DelegatingValueDefinition::label() const {
  return m_library->label();
}
const OdString& DelegatingValueDefinition::ns() const {
  return m_library->ns();
}
const OdString& DelegatingValueDefinition::name() const {
  return m_library->name();
}
const OdString& DelegatingValueDefinition::description() const {
  return m_library->description();
}
OdString DelegatingValueDefinition::displayName(bool useLabel) const {
  return m_library->displayName(useLabel);
}
PropertyType DelegatingValueDefinition::type() const {
  return m_library->type();
}
DbPropertyType DelegatingValueDefinition::dbPropertyType() const {
  return m_library->dbPropertyType();
}
std::shared_ptr<IUnit> DelegatingValueDefinition::unit() const {
  return m_library->unit();
}
bool DelegatingValueDefinition::isReserved() const {
  return m_library->isReserved();
}
const OdString& DelegatingValueDefinition::reservedText() const {
  return m_library->reservedText();
}
ObjectTypeWrapper::ObjectType DelegatingValueDefinition::objectType() const {
  return m_library->objectType();
}
void DelegatingValueDefinition::setLabel(const OdString& label) {
  m_library->setLabel(label);
}
void DelegatingValueDefinition::clearLabel() {
  m_library->clearLabel();
}
void DelegatingValueDefinition::setName(const OdString& name) {
  m_library->setName(name);
}
void DelegatingValueDefinition::setDescription(const OdString& description) {
  m_library->setDescription(description);
}
void DelegatingValueDefinition::setType(const PropertyType& type) {
  m_library->setType(type);
}
OdRxObject* DelegatingValueDefinition::object() const {
  return m_library->object();
}
const OdString& DelegatingValueDefinition::valueSpec() const {
  return m_library->valueSpec();
}
void DelegatingValueDefinition::setValueSpec(const OdString& spec) {
  m_library->setValueSpec(spec);
}
void DelegatingValueDefinition::reservedUpdate() {
  m_library->reservedUpdate();
}
void DelegatingValueDefinition::setUnit(std::shared_ptr<IUnit> unit) {
  m_library->setUnit(std::move(unit));
}

#define SLDB_EACH_VALUE_TYPE(...)                                                         \
  DynamicPropertyResults::Result DelegatingValueDefinition::computeValue(                 \
      __VA_ARGS__& value, const OdDbObjectPtr& object, const OdRxObject* context) const { \
    return m_library->computeValue(value, object, context);                               \
  }
SLDB_FOR_EACH_VALUE_TYPE
#undef SLDB_EACH_VALUE_TYPE

}  // namespace sl_db

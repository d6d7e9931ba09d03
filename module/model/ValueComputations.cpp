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

// Library (the public face of one store), IdMapping, LibraryManager, the reactor's defaults,
// the exceptions, and the registration of the runtime classes while the library is loaded.
#include "stocklib/Library.h"

#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

#include "Consistency.h"
#include "Plausibility.h"
#include "Schema.h"
#include "Store.h"
#include "stocklib/Objects.h"

namespace stocklib {

Exception::Exception(const char* message) : std::runtime_error(message) {}
Exception::Exception(const std::string& message) : std::runtime_error(message) {}
Exception::Exception(const OdString& message) : std::runtime_error(message.toUtf8()) {}
Exception::~Exception() = default;
ObjectNotUnique::~ObjectNotUnique() = default;
ConsistencyError::~ConsistencyError() = default;

OdString objectTypeName(ObjectType type) {
  if (const detail::TypeDesc* t = detail::TypeRegistry::get().find(type)) return OdString(t->name);
  return OdString::formatted(L"ObjectType(%d)", static_cast<int>(type));
}

// ---------------------------------------------------------------------------------------------

IdMapping::IdMapping(const Library* target) : m_target(target) {}

uint32_t IdMapping::get(ObjectType type, uint32_t oldId) const {
  auto it = m_ids.find(ObjectKey(type, oldId));
  return it == m_ids.end() ? 0 : it->second;
}

uint32_t IdMapping::get(uint32_t oldId) const {
  auto it = m_byId.find(oldId);
  return it == m_byId.end() ? 0 : it->second;
}

void IdMapping::set(ObjectType type, uint32_t oldId, uint32_t newId) {
  m_ids[ObjectKey(type, oldId)] = newId;
  m_byId[oldId] = newId;
}

void IdMapping::bindSource(const Library* source) {
  if (!m_source) m_source = source;
  if (m_source != source)
    throw Exception("an IdMapping serves one source library; it was used with another");
}

// ---------------------------------------------------------------------------------------------

Library::Reactor::~Reactor() = default;
void Library::Reactor::onSaved(const std::shared_ptr<const Library>&, const ObjectKey&) {}
RemoveResolution Library::Reactor::onRemove(const std::shared_ptr<const Library>&,
                                            const ObjectKey&) {
  return kRemoveObject;
}
void Library::Reactor::onRemoved(const std::shared_ptr<const Library>&, const ObjectKey&) {}
void Library::Reactor::onModified(const std::shared_ptr<const Library>&, ObjectType) {}
void Library::Reactor::onOpened(const std::shared_ptr<const Library>&) {}
void Library::Reactor::onClosed(const OdString&) {}

Library::Library() : m_store(std::make_unique<detail::Store>(*this)) {}

Library::~Library() {
  OdString name = m_store->location;
  m_store.reset();
  if (auto reactor = LibraryManager::instance().reactor()) reactor->onClosed(name);
}

Library::ReadScope::ReadScope(const Library& library) : m_library(library) {
  m_library.m_store->enterRead();
}

Library::ReadScope::~ReadScope() {
  m_library.m_store->leaveRead();
}

Library::CacheInfo Library::cacheInfo() const {
  const detail::ObjectCache& c = m_store->cache();
  CacheInfo info;
  info.rows = c.rows();
  info.keys = c.keys();
  info.limit = c.limit();
  info.hits = c.hits;
  info.misses = c.misses;
  return info;
}

void Library::setCacheLimit(std::size_t limit) {
  m_store->cache().setLimit(limit);
}

std::shared_ptr<Library> Library::self() {
  return shared_from_this();
}

void Library::throwNullObject() {
  throw Exception("cannot save a null object");
}

const OdString& Library::filename() const {
  return m_store->location;
}
bool Library::isNew() const {
  return m_store->isNew;
}
bool Library::isReadOnly() const {
  return m_store->readOnly;
}
int Library::schemaVersion() const {
  return m_store->schemaVersion;
}
LibraryUnit Library::unit() const {
  return m_store->unit;
}
OdString Library::name() const {
  return m_store->meta("name");
}
OdString Library::locale() const {
  return m_store->meta("locale");
}
void Library::locale(const OdString& locale) {
  m_store->setMeta("locale", locale);
}
OdString Library::region() const {
  return m_store->meta("region");
}
void Library::region(const OdString& region) {
  m_store->setMeta("region", region);
}

KcSmartPtr<Unit> Library::defaultUnit(const OdString& measureName) const {
  KcSmartPtr<Object> u = m_store->defaultUnit(measureName);
  return KcSmartPtr<Unit>(static_cast<Unit*>(u.get()));
}

void Library::setDefaultUnit(const Unit* unit) {
  // An unsaved unit (as made for a missing default) is stored here first.
  if (unit && unit->id() == 0 && !unit->library() && unit->measure()) {
    KcSmartPtr<Unit> stored = KcSmartPtr<Unit>(const_cast<Unit*>(unit))->save(self());
    m_store->setDefaultUnit(stored.get());
    return;
  }
  m_store->setDefaultUnit(unit);
}

KcSmartPtr<Object> Library::getObject(ObjectType type, uint32_t id) const {
  return m_store->getById(type, id);
}

KcSmartPtr<Object> Library::getObject(ObjectType type, const Key& key) const {
  return m_store->getByKey(type, key);
}

void Library::getObjects(ObjectType type, const Criteria* criteria,
                         std::vector<KcSmartPtr<Object>>& out) const {
  m_store->getAll(type, criteria, out);
}

Library::RemoveResult Library::removeObject(const Object* object) {
  return m_store->remove(object);
}

void Library::remove(const std::set<ObjectKey>& keys, std::map<ObjectKey, RemoveResult>& results) {
  m_store->remove(keys, results);
}

void Library::copyAll(const std::shared_ptr<const Library>& source, IdMapping& mapping) {
  if (!source) throw Exception("copyAll: no source library");
  m_store->copyAll(const_cast<Library&>(*source), mapping);
}

namespace {
// The problems that make a file unsafe to read: items the store did not make, broken references
// and rows. Values no real object can have are readable and are not among them.
std::vector<OdString> fileProblems(detail::Store& store, std::size_t limit,
                                   const Library::Progress& progress) {
  std::vector<OdString> out;
  for (const std::string& item : detail::foreignSchema(store.db))
    out.push_back(OdString::fromUtf8("not made by the store: " + item));
  for (const std::string& p : detail::consistencyProblems(store.db, limit, progress))
    out.push_back(OdString::fromUtf8(p));
  return out;
}
}  // namespace

std::vector<OdString> Library::check(std::size_t limit, const Progress& progress) const {
  std::vector<OdString> out = fileProblems(*m_store, limit, progress);
  // Values no real object can have; only when the file reads back, as they are read through it.
  if (out.empty()) {
    for (ObjectType type : {ObjectType::PhysicalAsset, ObjectType::BimAsset, ObjectType::Material,
                            ObjectType::Composition, ObjectType::ParametrizedProfile}) {
      std::vector<KcSmartPtr<Object>> objects;
      m_store->getAll(type, nullptr, objects);
      for (const KcSmartPtr<Object>& o : objects)
        for (const std::string& p : detail::implausible(*o)) {
          if (out.size() >= limit) return out;
          out.push_back(OdString::fromUtf8(detail::describeObject(*o) + ": " + p));
        }
    }
  }
  if (out.size() > limit) out.resize(limit);
  return out;
}

// ---------------------------------------------------------------------------------------------

namespace {
// An absolute, normalised form of a file location, so that two spellings open one library.
OdString normalise(const OdString& location) {
  if (location.getLength() >= 9 && location.left(9) == L"memvfs://") return location;
  std::string path = location.toUtf8();
  if (path.empty()) return location;
  if (path[0] != '/') {
    char cwd[PATH_MAX];
    if (::getcwd(cwd, sizeof cwd)) path = std::string(cwd) + "/" + path;
  }
  char resolved[PATH_MAX];
  if (::realpath(path.c_str(), resolved)) return OdString::fromUtf8(resolved);
  std::string::size_type slash = path.find_last_of('/');
  std::string dir = path.substr(0, slash);
  if (::realpath(dir.empty() ? "/" : dir.c_str(), resolved))
    return OdString::fromUtf8(std::string(resolved) + path.substr(slash));
  return OdString::fromUtf8(path);
}
}  // namespace

LibraryManager::LibraryManager() = default;
LibraryManager::~LibraryManager() = default;

LibraryManager& LibraryManager::instance() {
  static LibraryManager* manager = new LibraryManager();  // outlives every library
  return *manager;
}

void LibraryManager::setReactor(std::shared_ptr<Library::Reactor> reactor) {
  std::lock_guard<std::recursive_mutex> lock(m_mutex);
  m_reactor = std::move(reactor);
}

void LibraryManager::setReactor(Library::Reactor* reactor) {
  setReactor(std::shared_ptr<Library::Reactor>(reactor, [](Library::Reactor*) {}));
}

std::shared_ptr<Library::Reactor> LibraryManager::reactor() const {
  std::lock_guard<std::recursive_mutex> lock(m_mutex);
  return m_reactor;
}

LibraryResult LibraryManager::open(const OdString& location, bool readOnly) {
  return openOrCreate(location, readOnly, false, kLibraryUnitMillimeter, OdString());
}

LibraryResult LibraryManager::openChecked(const OdString& location,
                                          std::optional<LibraryUnit> createUnit) {
  return openOrCreate(location, false, createUnit.has_value(),
                      createUnit.value_or(kLibraryUnitMillimeter), OdString(), true);
}

LibraryResult LibraryManager::create(const OdString& location, LibraryUnit unit,
                                     const OdString& name) {
  return openOrCreate(location, false, true, unit, name);
}

LibraryResult LibraryManager::openOrCreate(const OdString& location, bool readOnly, bool create,
                                           LibraryUnit unit, const OdString& name, bool checked) {
  if (location.isEmpty() || location == L":memory:")
    return LibraryResult(ErrorCode::kNoLocation, L"no library location given");
  OdString key = normalise(location);
  std::shared_ptr<Library> lib;
  {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    auto it = m_open.find(key);
    if (it != m_open.end()) {
      if ((lib = it->second.lock())) return lib;
      m_open.erase(it);
    }
    lib.reset(new Library());
    OdString error;
    if (ErrorCode code = lib->m_store->open(key, readOnly, create, unit, name, error);
        code != ErrorCode::kNone)
      return LibraryResult(code, error.isEmpty() ? OdString(L"cannot open ") + key : error);
    if (checked && !lib->m_store->isNew) {
      // A value no real object can have is the user's to mend, not a reason to refuse the file.
      std::vector<OdString> problems = fileProblems(*lib->m_store, 3, {});
      if (problems.size() > 3) problems.resize(3);
      if (!problems.empty()) {
        OdString why = location + L" is not consistent: " + problems.front();
        for (std::size_t i = 1; i < problems.size(); ++i)
          why += L"; " + problems[i];
        return LibraryResult(ErrorCode::kInconsistent, why);
      }
    }
    lib->m_store->location = location;  // filename() answers the location as the caller gave it
    m_open[key] = lib;
  }
  if (auto r = reactor()) r->onOpened(lib);
  return lib;
}

// ---------------------------------------------------------------------------------------------

namespace {
// The runtime classes exist while this library is loaded.
struct ClassRegistration {
  ClassRegistration() { detail::TypeRegistry::get().registerClasses(); }
  ~ClassRegistration() { detail::TypeRegistry::get().unregisterClasses(); }
} g_classRegistration;
}  // namespace

}  // namespace stocklib

// The library wrapper: the process-wide cache of wrappers and the indexes built from one library.
#include "sl_db/Library.h"

#include <algorithm>
#include <cwctype>
#include <mutex>
#include <unordered_map>

#include "RxClass.h"
#include "odb/session.hxx"

namespace sl_db {

namespace {

// FNV-1a over the characters: OdString::hash copies the text first, which dominated lookups.
inline std::size_t textHash(const OdString& text, std::size_t h) {
  const wchar_t* p = text.c_str();
  for (int i = 0, n = text.getLength(); i < n; ++i)
    h = (h ^ static_cast<std::size_t>(p[i])) * 1099511628211ull;
  return h;
}

struct PropertyKeyHash {
  std::size_t operator()(const PropertyKey& k) const noexcept {
    return textHash(k.ns(), textHash(k.name(), 14695981039346656037ull) * 31u);
  }
};

template <class T>
struct DefinitionIndex {
  std::unordered_map<uint32_t, KcSmartPtr<T>> byId;
  std::unordered_map<PropertyKey, KcSmartPtr<T>, PropertyKeyHash> byKey;

  void clear() {
    byId.clear();
    byKey.clear();
  }
  const T* find(unsigned int id) const {
    if (id == 0) return nullptr;
    auto it = byId.find(id);
    return it == byId.end() ? nullptr : it->second.get();
  }
  const T* find(const PropertyKey& key) const {
    auto it = byKey.find(key);
    return it == byKey.end() ? nullptr : it->second.get();
  }
};

// Tells whether any object the indexes were built from was changed in memory since.
struct ChangeWatch : stocklib::ObjectReactor {
  bool changed = false;
  void modified(const stocklib::Object*) override { changed = true; }
  void removed(const stocklib::Object*) override { changed = true; }
};

// One definition of a key met in a set, in the order a scan of the sets meets it.
struct Occurrence {
  const stocklib::PropertySet* set;
  const stocklib::Object* definition;
  bool isValue;
};

struct NamespaceEntry {
  KcSmartPtr<const stocklib::PropertyNamespace> ns;  // null for sets without a namespace
  PropertySetList sets;
};

// The process-wide wrapper cache. A lock keeps concurrent first uses of different libraries from
// corrupting the map; wrappers themselves are used from one thread.
struct WrapperCache {
  std::mutex mutex;
  std::unordered_map<const stocklib::Library*, std::weak_ptr<Library>> wrappers;
};

WrapperCache& wrapperCache() {
  static WrapperCache cache;
  return cache;
}

// Indexes 2 to 8: built aside and swapped in, so a failed build keeps the previous ones.
struct Indexes {
  DefinitionIndex<stocklib::PropertyDefinition> propertyDefinitions;
  DefinitionIndex<stocklib::ValueDefinition> valueDefinitions;
  PropertySetList propertySets;
  std::unordered_map<const OdRxClass*, PropertySetList> setsByClass;
  std::map<OdString, NamespaceEntry> setsByNamespace;
  // Namespace name and key string of each set, so that lookups never load the namespace from
  // the library nor compose keys.
  struct SetNames {
    OdString ns;
    OdString key;
  };
  std::unordered_map<const stocklib::PropertySet*, SetNames> setNames;
  // Every namespace of the library, loaded once: sets, definitions and lookups by id all answer
  // these objects, so callers may compare namespaces by identity.
  std::unordered_map<uint32_t, KcSmartPtr<const stocklib::PropertyNamespace>> namespaceById;
  std::unordered_map<uint32_t, KcSmartPtr<const stocklib::PropertySet>> setById;
  // Binding by key: each key's definitions as the sets hold them, and the classes of each set.
  std::unordered_map<PropertyKey, std::vector<Occurrence>, PropertyKeyHash> occurrences;
  std::unordered_map<const stocklib::PropertySet*, std::vector<const OdRxClass*>> classesOf;
  // Last, so that it detaches before the objects it watches go.
  std::unique_ptr<ChangeWatch> watch = std::make_unique<ChangeWatch>();

  const SetNames& namesOf(const stocklib::PropertySet* set) const {
    static const SetNames none;
    auto it = setNames.find(set);
    return it == setNames.end() ? none : it->second;
  }
  const OdString& namespaceOf(const stocklib::PropertySet* set) const { return namesOf(set).ns; }
};

}  // namespace

struct Library::Impl {
  std::shared_ptr<stocklib::Library> library;
  Indexes idx;
  TypeSpecCache typeSpecCache;
};

std::function<void(const std::shared_ptr<stocklib::Library>&, OdDbDatabase*, bool,
                   const std::shared_ptr<const stocklib::Library>&)>
    Library::initLibrary;

Library::Library(const std::shared_ptr<stocklib::Library>& library)
    : m_impl(std::make_unique<Impl>()) {
  m_impl->library = library;
  build();
}

Library::~Library() = default;

std::shared_ptr<Library> Library::get(const std::shared_ptr<stocklib::Library>& library) {
  if (!library) return std::shared_ptr<Library>();
  WrapperCache& cache = wrapperCache();
  {
    std::lock_guard<std::mutex> lock(cache.mutex);
    auto it = cache.wrappers.find(library.get());
    if (it != cache.wrappers.end())
      if (std::shared_ptr<Library> live = it->second.lock()) return live;
  }
  // Built outside the lock: building reads the whole library.
  std::shared_ptr<Library> made(new Library(library));
  std::lock_guard<std::mutex> lock(cache.mutex);
  std::weak_ptr<Library>& slot = cache.wrappers[library.get()];
  if (std::shared_ptr<Library> winner = slot.lock()) return winner;
  slot = made;
  return made;
}

std::shared_ptr<const Library> Library::get(
    const std::shared_ptr<const stocklib::Library>& library) {
  return get(std::const_pointer_cast<stocklib::Library>(library));
}

const std::shared_ptr<stocklib::Library>& Library::library() {
  return m_impl->library;
}

std::shared_ptr<const stocklib::Library> Library::library() const {
  return m_impl->library;
}

void Library::reload() {
  build();
}

void Library::importFromXml(pugi::xml_node& node, const stocklib::Library::ImportOptions& options) {
  m_impl->library->importFromXml(node, options);
  build();
}

TypeSpecCache& Library::typeSpecCache() {
  m_impl->typeSpecCache.prune();
  return m_impl->typeSpecCache;
}

namespace {

template <class T>
void indexDefinitions(const stocklib::Library& library,
                      const std::unordered_map<uint32_t, OdString>& namespaceNames,
                      DefinitionIndex<T>& index) {
  std::vector<KcSmartPtr<T>> all;
  library.get<T>(all);
  index.byId.reserve(all.size());
  index.byKey.reserve(all.size());
  static const OdString none;
  for (auto& d : all) {
    auto ns = namespaceNames.find(d->namespace_id());
    index.byId[d->id()] = d;
    index.byKey[PropertyKey(ns == namespaceNames.end() ? none : ns->second, d->name())] = d;
  }
}

// The definition is keyed by the names a scan compares: its own and its namespace's.
template <class T>
void indexOccurrence(Indexes& m, const stocklib::PropertySet* set, const T& definition,
                     bool isValue) {
  static const OdString none;
  auto ns = definition.property_namespace();
  m.occurrences[PropertyKey(ns ? ns->name() : none, definition.name())].push_back(
      {set, &definition, isValue});
  definition.addReactor(m.watch.get());
}

}  // namespace

void Library::build() {
  Indexes m;
  odb::session session;
  const stocklib::Library& lib = *m_impl->library;

  // Namespaces and entity types first: the sets' references to them then resolve from the
  // session instead of one query each.
  std::vector<KcSmartPtr<const stocklib::PropertyNamespace>> namespaces;
  lib.get<stocklib::PropertyNamespace>(namespaces);
  std::unordered_map<uint32_t, OdString> namespaceNames;
  auto& namespaceById = m.namespaceById;
  for (const auto& ns : namespaces) {
    namespaceNames[ns->id()] = ns->name();
    namespaceById[ns->id()] = ns;
  }
  std::vector<KcSmartPtr<const stocklib::EntityType>> entityTypes;
  lib.get<stocklib::EntityType>(entityTypes);

  indexDefinitions(lib, namespaceNames, m.propertyDefinitions);
  indexDefinitions(lib, namespaceNames, m.valueDefinitions);

  lib.get<stocklib::PropertySet>(m.propertySets);
  std::unordered_map<OdString, const OdRxClass*> classes;  // per build: classes may come and go
  OdRxClassDictionary* dictionary = odrxClassDictionary();
  for (const auto& set : m.propertySets) {
    const stocklib::PropertySet* raw = set.get();
    m.setById[set->id()] = set;
    auto nsName = namespaceNames.find(set->namespace_id());
    const OdString name = nsName == namespaceNames.end() ? OdString() : nsName->second;
    m.setNames[raw] = {name, PropertyKey(name, set->name()).str()};
    NamespaceEntry& entry = m.setsByNamespace[name];
    if (entry.sets.empty()) {
      auto ns = namespaceById.find(set->namespace_id());
      if (ns != namespaceById.end()) entry.ns = ns->second;
    }
    entry.sets.push_back(set);
    // Resolved inside the session, each set keeps the one namespace object loaded above.
    set->property_namespace();
    set->addReactor(m.watch.get());
    for (const auto& definition : set->property_definitions())
      indexOccurrence(m, raw, *definition, false);
    for (const auto& definition : set->value_definitions())
      indexOccurrence(m, raw, *definition, true);
    for (const OdString& typeName : set->entity_type_names()) {
      auto known = classes.find(typeName);
      if (known == classes.end())
        known = classes.emplace(typeName, dictionary ? dictionary->getAt(typeName) : nullptr).first;
      if (known->second) {
        m.setsByClass[known->second].push_back(set);
        m.classesOf[raw].push_back(known->second);
      }
    }
  }
  for (const auto& [id, ns] : namespaceById)
    ns->addReactor(m.watch.get());
  std::swap(m_impl->idx, m);
}

const stocklib::PropertyNamespace* Library::propertyNamespace(const OdString& name) const {
  auto it = m_impl->idx.setsByNamespace.find(name);
  return it == m_impl->idx.setsByNamespace.end() ? nullptr : it->second.ns.get();
}

void Library::propertyNamespaces(
    std::vector<KcSmartPtr<const stocklib::PropertyNamespace>>& out) const {
  for (const auto& [name, entry] : m_impl->idx.setsByNamespace)
    if (entry.ns) out.push_back(entry.ns);
}

const stocklib::PropertySet* Library::propertySet(const PropertyKey& key) const {
  for (const auto& set : m_impl->idx.propertySets)
    if (set->name() == key.name() && m_impl->idx.namespaceOf(set.get()) == key.ns())
      return set.get();
  return nullptr;
}

const stocklib::PropertyNamespace* Library::indexedNamespace(unsigned int id) const {
  auto it = m_impl->idx.namespaceById.find(id);
  return it == m_impl->idx.namespaceById.end() ? nullptr : it->second.get();
}

const stocklib::PropertySet* Library::indexedPropertySet(unsigned int id) const {
  auto it = m_impl->idx.setById.find(id);
  return it == m_impl->idx.setById.end() ? nullptr : it->second.get();
}

const stocklib::PropertyDefinition* Library::propertyDefinition(unsigned int id) const {
  return m_impl->idx.propertyDefinitions.find(id);
}

const stocklib::PropertyDefinition* Library::propertyDefinition(const PropertyKey& key) const {
  return m_impl->idx.propertyDefinitions.find(key);
}

const stocklib::ValueDefinition* Library::valueDefinition(unsigned int id) const {
  return m_impl->idx.valueDefinitions.find(id);
}

const stocklib::ValueDefinition* Library::valueDefinition(const PropertyKey& key) const {
  return m_impl->idx.valueDefinitions.find(key);
}

bool Library::bind(const PropertyKey& key, const OdRxClass* cls,
                   const OdArray<OdString>& enabledKeys, KeyBinding& out) const {
  const Indexes& idx = m_impl->idx;
  if (idx.watch->changed) return false;
  KeyBinding found;
  auto it = idx.occurrences.find(key);
  if (it == idx.occurrences.end()) {
    out = found;
    return true;
  }
  // Walked from the last one a scan would meet: the first applicable of each kind wins.
  const std::vector<Occurrence>& all = it->second;
  for (auto o = all.rbegin(); o != all.rend(); ++o) {
    if (o->isValue ? found.valueDefinition != nullptr : found.propertyDefinition != nullptr)
      continue;
    auto classes = idx.classesOf.find(o->set);
    if (classes == idx.classesOf.end() ||
        std::find(classes->second.begin(), classes->second.end(), cls) == classes->second.end())
      continue;
    if (o->set->per_instance()) {
      const OdString& setKey = idx.namesOf(o->set).key;
      bool enabled = false;
      for (unsigned i = 0; i < enabledKeys.size() && !enabled; ++i)
        enabled = enabledKeys[i] == setKey;
      if (!enabled) continue;
    }
    if (!found.set) found.set = o->set;
    if (o->isValue)
      found.valueDefinition = static_cast<const stocklib::ValueDefinition*>(o->definition);
    else
      found.propertyDefinition = static_cast<const stocklib::PropertyDefinition*>(o->definition);
    if (found.valueDefinition && found.propertyDefinition) break;
  }
  out = found;
  return true;
}

bool Library::storeDefines(const PropertyKey& key) const {
  const stocklib::Library& lib = *m_impl->library;
  // Definitions without a namespace have the empty namespace name too (namespace id 0).
  std::vector<uint32_t> namespaces;
  if (key.ns().isEmpty()) namespaces.push_back(0);
  if (auto ns = lib.get<stocklib::PropertyNamespace>(stocklib::NameKey(key.ns())))
    namespaces.push_back(ns->id());
  for (uint32_t ns : namespaces) {
    const stocklib::DefinitionKey definition(key.name(), ns);
    if (lib.get<stocklib::PropertyDefinition>(definition) ||
        lib.get<stocklib::ValueDefinition>(definition))
      return true;
  }
  return false;
}

const PropertySetList& Library::propertySets() const {
  return m_impl->idx.propertySets;
}

void Library::propertySets(PropertySetList& out, const stocklib::PropertyNamespace* ns) const {
  if (!ns) return;
  auto it = m_impl->idx.setsByNamespace.find(ns->name());
  if (it != m_impl->idx.setsByNamespace.end()) out = it->second.sets;
}

void Library::propertySets(PropertySetList& out, const OdRxClass* cls) const {
  auto it = m_impl->idx.setsByClass.find(cls);
  if (it != m_impl->idx.setsByClass.end())
    out.insert(out.end(), it->second.begin(), it->second.end());
}

void Library::propertySets(PropertySetList& out, const OdRxClass* cls,
                           const stocklib::PropertyNamespace* ns) const {
  if (!ns) return;
  auto it = m_impl->idx.setsByClass.find(cls);
  if (it == m_impl->idx.setsByClass.end()) return;
  for (const auto& set : it->second)
    if (m_impl->idx.namespaceOf(set.get()) == ns->name()) out.push_back(set);
}

void Library::propertySets(PropertySetList& out, const OdRxClass* cls,
                           const OdArray<OdString>& enabledKeys) const {
  auto it = m_impl->idx.setsByClass.find(cls);
  if (it == m_impl->idx.setsByClass.end()) return;
  for (const auto& set : it->second) {
    bool keep = !set->per_instance();
    if (!keep) {
      const OdString& key = m_impl->idx.namesOf(set.get()).key;
      for (unsigned i = 0; i < enabledKeys.size() && !keep; ++i)
        keep = enabledKeys[i] == key;
    }
    if (keep) out.push_back(set);
  }
}

OdString Library::uniqueNameBase(const OdString& name) {
  const wchar_t* s = name.c_str();
  const int dash = name.reverseFind(L'-');
  if (dash < 0 || s[dash + 1] == L'\0') return name;
  for (const wchar_t* p = s + dash + 1; *p; ++p)
    if (!std::iswdigit(static_cast<wint_t>(*p))) return name;
  return name.left(dash);
}

OdString Library::numberedName(const OdString& base, uint64_t n) {
  OdString text;
  text.format(L"%ls-%llu", base.c_str(), static_cast<unsigned long long>(n));
  return text;
}

}  // namespace sl_db

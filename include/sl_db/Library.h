// The module's wrapper of one open library: one shared wrapper per library, in-memory indexes of
// property sets and definitions, a cache of parsed type specifications, and typed access.
#pragma once
/// @file

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <tuple>
#include <type_traits>
#include <vector>

#include "OdArray.h"
#include "OdString.h"
#include "sl_db/PropertyKey.h"
#include "sl_db/SlDbExport.h"
#include "stocklib/Library.h"
#include "stocklib/Materials.h"
#include "stocklib/Objects.h"
#include "stocklib/Profiles.h"

class OdDbDatabase;
class OdRxClass;
namespace pugi {
class xml_node;
}

namespace sl_db {

/// TypeSpecCacheSet<T>: values of type T parsed from property definitions' type specifications,
/// one entry per definition, each with the very specification string it was parsed from. An
/// entry is dropped when its definition reports a change or removal, and by prune() when the
/// definition's specification is no longer that same shared string or nobody else holds the
/// definition any more.
template <class T>
class TypeSpecCacheSet : public stocklib::ObjectReactor {
 public:
  /// Entry: one definition's values and the value specification they were parsed from.
  struct Entry {
    KcSmartPtr<const stocklib::PropertyDefinition> definition;  ///< held while cached
    OdString typeSpec;                                          ///< the parsed specification
    std::set<T> values;                                         ///< what it parsed to
  };

  TypeSpecCacheSet() = default;
  ~TypeSpecCacheSet() override = default;

  /// find: the values cached for `definition`; null when there is no entry (or for null).
  const std::set<T>* find(const stocklib::PropertyDefinition* definition) const {
    auto it = m_entries.find(definition);
    return it == m_entries.end() ? nullptr : &it->second.values;
  }
  /// insert: caches `values` for `definition` against its current type specification,
  /// replacing an earlier entry, and answers the stored values. A null definition is refused
  /// (nothing stored, null answered).
  const std::set<T>* insert(const stocklib::PropertyDefinition* definition, std::set<T> values) {
    if (!definition) return nullptr;
    Entry& e = m_entries[definition];
    e.definition = KcSmartPtr<const stocklib::PropertyDefinition>(definition);
    e.typeSpec = definition->type_spec();
    e.values = std::move(values);
    definition->addReactor(this);
    return &e.values;
  }
  /// erase: drops the entry of `definition`; false when there was none.
  bool erase(const stocklib::Object* definition) {
    auto it = m_entries.find(definition);
    if (it == m_entries.end()) return false;
    definition->removeReactor(this);
    m_entries.erase(it);
    return true;
  }
  /// prune: drops every entry whose definition's type specification is no longer the shared
  /// string it was parsed from, or whose definition only this cache still holds.
  void prune() {
    for (auto it = m_entries.begin(); it != m_entries.end();) {
      const Entry& e = it->second;
      bool stale = !e.definition || e.definition->numRefs() <= 1 ||
                   !e.definition->type_spec().sharesDataWith(e.typeSpec);
      if (stale) {
        if (e.definition) e.definition->removeReactor(this);
        it = m_entries.erase(it);
      } else {
        ++it;
      }
    }
  }
  /// size: the number of entries.
  std::size_t size() const { return m_entries.size(); }

  /// modified: a change to a cached definition drops its entry.
  void modified(const stocklib::Object* object) override { drop(object); }
  /// removed: the removal of a cached definition drops its entry.
  void removed(const stocklib::Object* object) override { drop(object); }

 private:
  void drop(const stocklib::Object* object) {
    if (object && object->isKindOf(stocklib::PropertyDefinition::desc())) erase(object);
  }
  std::map<const stocklib::Object*, Entry> m_entries;
};

/// TypeSpecCache: one TypeSpecCacheSet for each of the eleven value types.
class TypeSpecCache {
 public:
  /// get<T>: the set of values of type T.
  template <class T>
  TypeSpecCacheSet<T>& get() {
    return std::get<TypeSpecCacheSet<T>>(m_sets);
  }
  /// get<T>: the set of values of type T, for reading.
  template <class T>
  const TypeSpecCacheSet<T>& get() const {
    return std::get<TypeSpecCacheSet<T>>(m_sets);
  }
  /// prune: prunes every set.
  void prune() {
    std::apply([](auto&... set) { (set.prune(), ...); }, m_sets);
  }

 private:
  std::tuple<TypeSpecCacheSet<bool>, TypeSpecCacheSet<int8_t>, TypeSpecCacheSet<uint8_t>,
             TypeSpecCacheSet<int16_t>, TypeSpecCacheSet<uint16_t>, TypeSpecCacheSet<int32_t>,
             TypeSpecCacheSet<uint32_t>, TypeSpecCacheSet<int64_t>, TypeSpecCacheSet<uint64_t>,
             TypeSpecCacheSet<double>, TypeSpecCacheSet<OdString>>
      m_sets;
};

/// A list of property sets, held while listed.
using PropertySetList = std::vector<KcSmartPtr<const stocklib::PropertySet>>;

namespace detail {
/// KeyLookup<T> / UniqueNaming<T>: the object types that Library::get<T>(key) and
/// Library::uniqueName<T> serve: every stored type of STOCKLIB_OBJECT_TYPES is found by key;
/// the types named below are also given unique names.
template <class T>
struct KeyLookup : std::false_type {};
template <class T>
struct UniqueNaming : std::false_type {};
}  // namespace detail

/// SLDB_KEY_LOOKUP(T, n): Library::get<stocklib::T>(key) is served (every stored type).
#define SLDB_KEY_LOOKUP(T, n) \
  template <>                 \
  struct detail::KeyLookup<stocklib::T> : std::true_type {};
/// SLDB_UNIQUE_NAMING(T): Library::uniqueName<stocklib::T> is served.
#define SLDB_UNIQUE_NAMING(T) \
  template <>                 \
  struct detail::UniqueNaming<stocklib::T> : std::true_type {};

STOCKLIB_OBJECT_TYPES(SLDB_KEY_LOOKUP, STOCKLIB_TYPE_ROW_NONE, STOCKLIB_TYPE_ROW_NONE)

SLDB_UNIQUE_NAMING(PropertySet)
SLDB_UNIQUE_NAMING(ValueDefinition)
SLDB_UNIQUE_NAMING(PropertyDefinition)
SLDB_UNIQUE_NAMING(PropertyNamespace)
SLDB_UNIQUE_NAMING(EntityType)
SLDB_UNIQUE_NAMING(Unit)
SLDB_UNIQUE_NAMING(Measure)

/// Library: the one live wrapper of an open stocklib::Library. Its indexes reflect the library
/// as it was at the last build (creation, reload or importFromXml); lookups never query the
/// library and never throw.
class SLDB_API Library {
 public:
  ~Library();
  Library(const Library&) = delete;
  Library& operator=(const Library&) = delete;

  /// get: the shared wrapper of `library`, built on first use or when the previous one was
  /// released; empty for an empty `library`. Errors of the store while building pass through
  /// and nothing is cached.
  static std::shared_ptr<Library> get(const std::shared_ptr<stocklib::Library>& library);
  /// get: as above, for reading.
  static std::shared_ptr<const Library> get(
      const std::shared_ptr<const stocklib::Library>& library);

  /// library: the wrapped library.
  const std::shared_ptr<stocklib::Library>& library();
  /// library: the wrapped library, for reading.
  std::shared_ptr<const stocklib::Library> library() const;

  /// reload: rebuilds every index from the library (the type-spec cache is kept).
  void reload();
  /// importFromXml: imports `node` into the library, then rebuilds the indexes.
  void importFromXml(pugi::xml_node& node, const stocklib::Library::ImportOptions& options);
  /// typeSpecCache: the cache, pruned first.
  TypeSpecCache& typeSpecCache();

  /// initLibrary: a hook for other modules (library, drawing, is new, source library); empty
  /// until someone sets it. This module never calls it.
  static std::function<void(const std::shared_ptr<stocklib::Library>&, OdDbDatabase*, bool,
                            const std::shared_ptr<const stocklib::Library>&)>
      initLibrary;

  // Lookups. Answers are owned by the indexes; null or an unchanged vector means absent.

  /// propertyNamespace: the namespace of that name, if some property set is in it.
  const stocklib::PropertyNamespace* propertyNamespace(const OdString& name) const;
  /// propertyNamespaces: appends every namespace holding a property set, by ascending name.
  void propertyNamespaces(std::vector<KcSmartPtr<const stocklib::PropertyNamespace>>& out) const;
  /// indexedNamespace: the namespace of that id as loaded at the last build; null when unknown.
  const stocklib::PropertyNamespace* indexedNamespace(unsigned int id) const;
  /// indexedPropertySet: the property set of that id as loaded at the last build; null when
  /// unknown.
  const stocklib::PropertySet* indexedPropertySet(unsigned int id) const;
  /// propertySet: the first set (in library order) with that name and namespace name.
  const stocklib::PropertySet* propertySet(const PropertyKey& key) const;
  /// propertyDefinition / valueDefinition: by id (0: null) or by (namespace, name) key.
  const stocklib::PropertyDefinition* propertyDefinition(unsigned int id) const;
  /// propertyDefinition: by key; null when absent.
  const stocklib::PropertyDefinition* propertyDefinition(const PropertyKey& key) const;
  /// valueDefinition: by id; null for 0 or when absent.
  const stocklib::ValueDefinition* valueDefinition(unsigned int id) const;
  /// valueDefinition: by key; null when absent.
  const stocklib::ValueDefinition* valueDefinition(const PropertyKey& key) const;
  /// KeyBinding: what binding a key among the sets that apply to an object finds: the last
  /// property definition and the last value definition of the key (in library order of sets,
  /// then set order) and the set of the later of those two; null parts when none matches.
  struct KeyBinding {
    const stocklib::PropertySet* set = nullptr;                        ///< set of the last match
    const stocklib::PropertyDefinition* propertyDefinition = nullptr;  ///< last property match
    const stocklib::ValueDefinition* valueDefinition = nullptr;        ///< last value match
  };
  /// bind: `out` as a scan of propertySets(out, cls, enabledKeys) for definitions named `key`
  /// would find it, answered from an index. False, `out` untouched, when the index cannot tell:
  /// a set, definition or namespace of the last build was changed or removed in memory since
  /// (the caller scans then; reload() makes the index answer again).
  bool bind(const PropertyKey& key, const OdRxClass* cls, const OdArray<OdString>& enabledKeys,
            KeyBinding& out) const;
  /// storeDefines: whether the library file holds a property or a value definition of `key`,
  /// asked of the store (not of the indexes, nor of objects changed in memory and not saved).
  /// Throws what the store throws.
  bool storeDefines(const PropertyKey& key) const;
  /// propertySets: every set, in library order.
  const PropertySetList& propertySets() const;
  /// propertySets(out, ns): replaces `out` with the sets of `ns`; `out` unchanged for a null
  /// or unknown namespace.
  void propertySets(PropertySetList& out, const stocklib::PropertyNamespace* ns) const;
  /// propertySets(out, cls): appends the sets of exactly class `cls` (not its bases).
  void propertySets(PropertySetList& out, const OdRxClass* cls) const;
  /// propertySets(out, cls, ns): appends the sets of `cls` in namespace `ns`; nothing for null.
  void propertySets(PropertySetList& out, const OdRxClass* cls,
                    const stocklib::PropertyNamespace* ns) const;
  /// propertySets(out, cls, enabledKeys): appends the sets of `cls`, leaving out per-instance
  /// sets whose key string is not among `enabledKeys`.
  void propertySets(PropertySetList& out, const OdRxClass* cls,
                    const OdArray<OdString>& enabledKeys) const;

  // Typed access to library objects (empty answers when the wrapper holds no library).

  /// get<T>(id): the T of that id; empty for id 0 or when there is none. A namespace or a
  /// property set that the library still has and that was known at the last build is answered
  /// as the very object the indexes hold, so that callers may compare them by identity.
  template <class T>
  KcSmartPtr<T> get(unsigned int id) {
    const auto& lib = library();
    KcSmartPtr<T> found = (lib && id != 0) ? lib->get<T>(id) : KcSmartPtr<T>();
    if constexpr (std::is_same_v<std::remove_const_t<T>, stocklib::PropertyNamespace>) {
      if (const stocklib::PropertyNamespace* known = found ? indexedNamespace(id) : nullptr)
        return KcSmartPtr<T>(const_cast<stocklib::PropertyNamespace*>(known));
    }
    if constexpr (std::is_same_v<std::remove_const_t<T>, stocklib::PropertySet>) {
      if (const stocklib::PropertySet* known = found ? indexedPropertySet(id) : nullptr)
        return KcSmartPtr<T>(const_cast<stocklib::PropertySet*>(known));
    }
    return found;
  }
  /// get<T>(key): the T of that unique key; empty when there is none.
  template <class T>
  KcSmartPtr<T> get(const typename stocklib::ObjectTraits<T>::unique_key_type& key) {
    static_assert(detail::KeyLookup<T>::value, "no lookup by key for this type");
    const auto& lib = library();
    return lib ? lib->get<T>(key) : KcSmartPtr<T>();
  }
  /// save<T>: stores `object` (not empty) into this library and answers it as stored here.
  /// The indexes are not rebuilt.
  /// An empty object throws stocklib::Exception.
  template <class T>
  KcSmartPtr<T> save(const KcSmartPtr<T>& object) {
    return library()->save(object);
  }
  /// save<T>: as above, for a read-only object.
  template <class T>
  KcSmartPtr<const T> save(const KcSmartPtr<const T>& object) {
    return library()->save(object);
  }
  /// save<T>: as above, recording in `mapping` the ids of the objects copied along.
  template <class T>
  KcSmartPtr<T> save(const KcSmartPtr<T>& object, stocklib::IdMapping& mapping) {
    return library()->save(object, mapping);
  }
  /// save<T>: as above, read-only, recording the ids in `mapping`.
  template <class T>
  KcSmartPtr<const T> save(const KcSmartPtr<const T>& object, stocklib::IdMapping& mapping) {
    return library()->save(object, mapping);
  }
  /// uniqueName<T>: a name no T of this library has, derived from `key`'s name: the name itself
  /// when free, else BASE-2, BASE-3 ... where BASE is the name without a trailing "-digits".
  /// Other key fields (a definition's namespace) stay as given.
  template <class T>
  OdString uniqueName(const typename stocklib::ObjectTraits<T>::unique_key_type& key) {
    static_assert(detail::UniqueNaming<T>::value, "no unique names for this type");
    auto candidate = key;
    const auto& lib = library();
    if (!lib) return candidate.name();
    const OdString base = uniqueNameBase(key.name());
    for (uint64_t n = 2; lib->get<T>(candidate); ++n)
      candidate.set_name(numberedName(base, n));
    return candidate.name();
  }

 private:
  struct Impl;
  explicit Library(const std::shared_ptr<stocklib::Library>& library);
  void build();
  static OdString uniqueNameBase(const OdString& name);
  static OdString numberedName(const OdString& base, uint64_t n);
  std::unique_ptr<Impl> m_impl;
};

}  // namespace sl_db

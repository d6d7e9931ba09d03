// One open library file (Library), the id mapping of copies between libraries (IdMapping) and
// the process-wide manager that opens libraries and holds the event reactor (LibraryManager).
#pragma once
/// @file
/// An open library file, the id mapping of copies and the manager that opens libraries.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <vector>

#include "stocklib/Keys.h"
#include "stocklib/Object.h"
#include "stocklib/Result.h"
#include "stocklib/StocklibExport.h"
#include "stocklib/Types.h"

namespace pugi {
class xml_node;
}

namespace stocklib {

class Unit;
class LibraryManager;
namespace detail {
class Store;
}

/// IdMapping: ids of objects copied into one target library, old id -> new id, by type. One
/// mapping serves one source library: using it with a second source throws Exception.
class STOCKLIB_API IdMapping {
 public:
  explicit IdMapping(const Library* target);
  const Library* target() const { return m_target; }
  const Library* source() const { return m_source; }
  /// get: the new id of (type, oldId); 0 when it was not copied.
  uint32_t get(ObjectType type, uint32_t oldId) const;
  /// get: the new id of `oldId` of any type; 0 when it was not copied.
  uint32_t get(uint32_t oldId) const;
  /// set: records (type, oldId) -> newId, replacing an earlier entry.
  void set(ObjectType type, uint32_t oldId, uint32_t newId);
  const std::map<ObjectKey, uint32_t>& entries() const { return m_ids; }
  bool empty() const { return m_ids.empty(); }
  /// bindSource: records `source` as this mapping's source; Exception when it has another.
  void bindSource(const Library* source);

 private:
  const Library* m_target;
  const Library* m_source = nullptr;
  std::map<ObjectKey, uint32_t> m_ids;
  std::map<uint32_t, uint32_t> m_byId;
};

/// kLibrarySchemaVersion: the schema version of the files this code writes. Files of versions 1
/// to it open; opened writable, an earlier one is upgraded in place (one transaction, all or
/// nothing); opened read-only, it is read as it is, fields it lacks answering their defaults.
constexpr int kLibrarySchemaVersion = 2;

/// Library: one open library. Made by LibraryManager only and shared by std::shared_ptr;
/// the file is closed when the last holder lets go. A library and its objects are used from one
/// thread at a time.
///
/// Damaged files: opening checks the file's kind, version, schema and page structure, but a file
/// can be damaged further in, or changed by another process afterwards. Every call that reads or
/// writes the file can then throw Exception naming the file and the failure: name, locale,
/// region, their setters, defaultUnit, setDefaultUnit, get (all forms), save, remove, copyAll,
/// importFromXml, exportToXml and check. filename, isNew, isReadOnly, schemaVersion and unit answer
/// what was read at open and never throw.
class STOCKLIB_API Library : public std::enable_shared_from_this<Library> {
 public:
  /// RemoveResult: 0 removed, 1 not removed (not found, empty object or no library), 2 kept
  /// because the reactor answered kKeepObject, 3 still referenced by another object.
  enum RemoveResult : int32_t {
    kRemoved = 0,
    kNotRemoved = 1,
    kKeptByReactor = 2,
    kStillReferenced = 3
  };

  /// Progress: told that `done` of `total` steps of a long call are behind it: first with 0,
  /// then now and then (about every hundredth of the work), last with done == total. An
  /// exception it throws ends the call as a failure of the call would, and leaves it unchanged.
  using Progress = std::function<void(std::size_t done, std::size_t total)>;

  /// ImportOptions: `unit` of the lengths in the XML (0 inch, 1 mm, -1 this library's own);
  /// `replace`: an object whose key exists is overwritten (true) or kept as it is (false).
  struct ImportOptions {
    int32_t unit = -1;
    bool replace = false;
  };

  /// Reactor: told about every change of every library (held by the LibraryManager). Events are
  /// sent after the change committed; onRemove is asked before.
  class STOCKLIB_API Reactor {
   public:
    virtual ~Reactor();
    /// onSaved: `key` was stored into `library`.
    virtual void onSaved(const std::shared_ptr<const Library>& library, const ObjectKey& key);
    /// onRemove: asked before `key` is removed; kKeepObject keeps it. Default: kRemoveObject.
    virtual RemoveResolution onRemove(const std::shared_ptr<const Library>& library,
                                      const ObjectKey& key);
    /// onRemoved: `key` was removed from `library`.
    virtual void onRemoved(const std::shared_ptr<const Library>& library, const ObjectKey& key);
    /// onModified: objects of `type` changed in bulk (copyAll, importFromXml), once per type.
    virtual void onModified(const std::shared_ptr<const Library>& library, ObjectType type);
    /// onOpened: the manager opened or created `library`.
    virtual void onOpened(const std::shared_ptr<const Library>& library);
    /// onClosed: the library of that file name was closed (its last holder let go).
    virtual void onClosed(const OdString& filename);
  };

  /// ReadScope: while one lives, lookups in `library` share one read transaction (begun by the
  /// first lookup that reaches the file) and the file is checked for other writers once, at the
  /// first lookup. Scopes nest; a save inside one ends its read transaction first. Keep scopes
  /// short: another process's write waits for the transaction to end.
  class STOCKLIB_API ReadScope {
   public:
    explicit ReadScope(const Library& library);
    ~ReadScope();
    ReadScope(const ReadScope&) = delete;
    ReadScope& operator=(const ReadScope&) = delete;

   private:
    const Library& m_library;
  };

  /// CacheInfo: the lookup cache: rows (objects by id) and key answers held, the limit of each,
  /// and the lookups answered from it (hits) or from the file (misses) so far.
  struct CacheInfo {
    std::size_t rows = 0;
    std::size_t keys = 0;
    std::size_t limit = 0;
    uint64_t hits = 0;
    uint64_t misses = 0;
  };
  CacheInfo cacheInfo() const;
  /// setCacheLimit: at most `limit` rows and as many key answers (0: no cache).
  void setCacheLimit(std::size_t limit);

  ~Library();
  Library(const Library&) = delete;
  Library& operator=(const Library&) = delete;

  /// filename: the location exactly as given to the open or create that opened the library.
  const OdString& filename() const;
  /// isNew: true when LibraryManager::create made this library's file.
  bool isNew() const;
  /// isReadOnly: opened read-only, or the file or its folder is not writable.
  bool isReadOnly() const;
  /// schemaVersion: the file's schema version: kLibrarySchemaVersion once opened writable, the
  /// version it has when opened read-only.
  int schemaVersion() const;
  LibraryUnit unit() const;
  /// name: the name given at creation.
  OdString name() const;
  /// locale / region: settings kept in the file; empty when never set.
  OdString locale() const;
  void locale(const OdString& locale);
  OdString region() const;
  void region(const OdString& region);
  /// defaultUnit: the default unit of the measure of that name; null when none.
  KcSmartPtr<Unit> defaultUnit(const OdString& measureName) const;
  /// setDefaultUnit: makes `unit` its measure's default. The unit must have a measure and be
  /// stored in this library or unsaved (it is then saved here first); ConsistencyError otherwise.
  void setDefaultUnit(const Unit* unit);

  /// get<T>(id): the object of that id when it is a T; null otherwise (also for id 0).
  template <class T>
  KcSmartPtr<T> get(uint32_t id) const {
    return KcSmartPtr<T>(static_cast<T*>(getObject(ObjectTraits<T>::type, id).get()));
  }
  /// get<T>(key): the T with that unique key; null when none. Exception when the key's kind does
  /// not fit T.
  template <class T>
  KcSmartPtr<T> get(const Key& key) const {
    return KcSmartPtr<T>(static_cast<T*>(getObject(ObjectTraits<T>::type, key).get()));
  }
  /// get<T>(out[, criteria]): replaces `out` with every T (passing `criteria`), in id order per
  /// stored type; answers the count.
  template <class T>
  std::size_t get(std::vector<KcSmartPtr<T>>& out) const {
    return collect(ObjectTraits<T>::type, nullptr, out);
  }
  template <class T>
  std::size_t get(std::vector<KcSmartPtr<T>>& out, const Criteria& criteria) const {
    return collect(ObjectTraits<T>::type, &criteria, out);
  }
  template <class T>
  std::size_t get(std::vector<KcSmartPtr<const T>>& out) const {
    return collect(ObjectTraits<T>::type, nullptr, out);
  }
  template <class T>
  std::size_t get(std::vector<KcSmartPtr<const T>>& out, const Criteria& criteria) const {
    return collect(ObjectTraits<T>::type, &criteria, out);
  }

  /// save<T>: object->save(this library[, mapping]); Exception for a null object.
  template <class T>
  KcSmartPtr<T> save(const KcSmartPtr<T>& object) {
    return KcSmartPtr<T>(static_cast<T*>(nonNull(object.get())->saveObject(self(), nullptr).get()));
  }
  template <class T>
  KcSmartPtr<T> save(const KcSmartPtr<T>& object, IdMapping& mapping) {
    return KcSmartPtr<T>(
        static_cast<T*>(nonNull(object.get())->saveObject(self(), &mapping).get()));
  }
  template <class T>
  KcSmartPtr<const T> save(const KcSmartPtr<const T>& object) {
    return KcSmartPtr<const T>(
        static_cast<const T*>(nonNull(object.get())->saveObject(self(), nullptr).get()));
  }
  template <class T>
  KcSmartPtr<const T> save(const KcSmartPtr<const T>& object, IdMapping& mapping) {
    return KcSmartPtr<const T>(
        static_cast<const T*>(nonNull(object.get())->saveObject(self(), &mapping).get()));
  }

  /// remove<T>: removes a stored object of this library (and the objects it owns).
  template <class T>
  [[nodiscard]] RemoveResult remove(const KcSmartPtr<T>& object) {
    return removeObject(object.get());
  }
  [[nodiscard]] RemoveResult removeObject(const Object* object);
  /// remove(keys, results): removes all of `keys` in one transaction, in an order that lets
  /// objects referring to each other go together; one result per key.
  void remove(const std::set<ObjectKey>& keys, std::map<ObjectKey, RemoveResult>& results);

  /// copyAll: copies every object of `source` into this library in one transaction, reusing
  /// objects whose unique key exists here, and records the ids in `mapping`.
  void copyAll(const std::shared_ptr<const Library>& source, IdMapping& mapping);

  /// importFromXml: reads the objects under `node` (as written by exportToXml) in one transaction.
  /// Throws Exception naming the element at fault, also at a value no real object can have (see
  /// docs/FORMATS.md); nothing is kept then. `progress`: told of the elements read (not "meta").
  void importFromXml(pugi::xml_node& node, const ImportOptions& options,
                     const Progress& progress = {});
  /// exportToXml: writes the library's settings (element "meta") and every object of this
  /// library as children of `node`, so that importing them gives an equal library.
  void exportToXml(pugi::xml_node& node) const;
  /// exportToXml: as above, but only `objects` (stored in this library) and what they refer
  /// to. Exception for an object of another library or an unsaved one.
  void exportToXml(pugi::xml_node& node,
                   const std::vector<KcSmartPtr<const Object>>& objects) const;

  /// check: one line per problem (dangling references, objects without their data or data without
  /// its object, unknown types, lengths not finite, schema items the store did not make; when none
  /// of these, each value no real object can have, as importFromXml refuses it); at most `limit`
  /// lines, empty when the file is consistent. Exception only when the file cannot be read at all.
  /// `progress`: told of the check's steps (one per stored type and a few more), none by default.
  std::vector<OdString> check(std::size_t limit = 20, const Progress& progress = {}) const;

  // The non-template core of get (also usable with a run-time type).
  KcSmartPtr<Object> getObject(ObjectType type, uint32_t id) const;
  KcSmartPtr<Object> getObject(ObjectType type, const Key& key) const;
  void getObjects(ObjectType type, const Criteria* criteria,
                  std::vector<KcSmartPtr<Object>>& out) const;

 private:
  friend class LibraryManager;
  friend class detail::Store;
  friend class Object;
  Library();
  std::shared_ptr<Library> self();
  template <class P>
  static P* nonNull(P* object) {
    if (!object) throwNullObject();
    return object;
  }
  [[noreturn]] static void throwNullObject();
  template <class P>
  std::size_t collect(ObjectType type, const Criteria* criteria,
                      std::vector<KcSmartPtr<P>>& out) const {
    std::vector<KcSmartPtr<Object>> objects;
    getObjects(type, criteria, objects);
    out.clear();
    out.reserve(objects.size());
    for (auto& o : objects)
      out.emplace_back(static_cast<P*>(o.get()));
    return out.size();
  }

  std::unique_ptr<detail::Store> m_store;
};

/// LibraryResult: a library, or why it could not be opened or made (the message names the
/// location and the failure in one line).
using LibraryResult = Result<std::shared_ptr<Library>>;

/// LibraryManager: opens and creates libraries; the same location gives the same Library while
/// it is alive. Holds the one Reactor that every library reports to.
class STOCKLIB_API LibraryManager {
 public:
  static LibraryManager& instance();

  /// open: the library at `location` (a file path or "memvfs://NAME"); fails when the file is
  /// missing, is not a library, has a newer schema or is damaged.
  LibraryResult open(const OdString& location, bool readOnly);
  /// openChecked: as open for writing (with `createUnit`, as create with that unit and no name),
  /// for a file someone else made (embedded in a drawing from elsewhere, or named by a user): an
  /// existing file this call opens must also pass Library::check (values no real object can have
  /// excepted: they are readable, and the user's to mend), else it is closed and the call fails
  /// with kInconsistent, naming the first problems. A library open already is answered as it is.
  LibraryResult openChecked(const OdString& location,
                            std::optional<LibraryUnit> createUnit = std::nullopt);
  /// create: the library at `location`, making the file (with `unit` and `name`) when it does
  /// not exist; fails as open does, and with kNotWritable when the folder is not writable.
  LibraryResult create(const OdString& location, LibraryUnit unit, const OdString& name);

  /// setReactor: the reactor every event goes to; empty for none. The raw-pointer form does not
  /// own the reactor: the caller keeps it alive until it is replaced.
  void setReactor(std::shared_ptr<Library::Reactor> reactor);
  void setReactor(Library::Reactor* reactor);
  std::shared_ptr<Library::Reactor> reactor() const;

 private:
  LibraryManager();
  ~LibraryManager();
  LibraryResult openOrCreate(const OdString& location, bool readOnly, bool create, LibraryUnit unit,
                             const OdString& name, bool checked = false);
  mutable std::recursive_mutex m_mutex;
  std::map<OdString, std::weak_ptr<Library>> m_open;
  std::shared_ptr<Library::Reactor> m_reactor;
};

}  // namespace stocklib

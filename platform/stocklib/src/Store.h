// The storage engine of one library: the SQLite connection, cached statements, loading,
// saving, copying and removing objects by their type descriptions, transactions and events.
#pragma once

#include <sqlite3.h>

#include <functional>
#include <map>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "ObjectCache.h"
#include "Schema.h"
#include "stocklib/Library.h"

namespace stocklib::detail {

/// Access: the store's view of an object's private state.
struct Access {
  static uint32_t& id(Object& o) { return o.m_id; }
  static std::weak_ptr<Library>& library(Object& o) { return o.m_library; }
  static std::vector<Value>& values(Object& o) { return o.m_values; }
  static const std::vector<Value>& values(const Object& o) { return o.m_values; }
  static std::vector<std::vector<Ref>>& lists(Object& o) { return o.m_lists; }
  static const std::vector<std::vector<Ref>>& lists(const Object& o) { return o.m_lists; }
  static const TypeDesc& type(const Object& o) { return *o.m_type; }
  static std::vector<ObjectReactor*> reactors(const Object& o) { return o.m_reactors; }
};

/// Filter: the conditions a Criteria adds for one stored type.
class Filter {
 public:
  explicit Filter(const TypeDesc& type) : m_type(type) {}
  /// text: the field passes the string test.
  void text(const char* field, const StringCriteria& criteria);
  /// ref: the field refers to `id` (0: no condition).
  void ref(const char* field, uint32_t id);
  /// real: the field equals `value` within a relative tolerance.
  void real(const char* field, double value, double relTolerance);

  const TypeDesc& type() const { return m_type; }
  std::string where;
  std::vector<Value> binds;
  std::vector<std::function<bool(const Object&)>> predicates;
  bool never = false;

 private:
  int column(const char* field) const;
  void add(const std::string& condition);
  const TypeDesc& m_type;
};

class Store {
 public:
  explicit Store(Library& owner) : m_owner(owner) {}
  ~Store();

  /// open: opens (or creates) the database; kNone, or why not with `error` naming it.
  [[nodiscard]] ErrorCode open(const OdString& location, bool readOnly, bool create,
                               LibraryUnit unit, const OdString& name, OdString& error);

  // Settings.
  OdString meta(const char* key) const;
  void setMeta(const char* key, const OdString& value);
  KcSmartPtr<Object> defaultUnit(const OdString& measureName);
  void setDefaultUnit(const Object* unit);

  // Reading. Outside a write transaction lookups are answered from the cache while the file is
  // unchanged; see checkExternal.
  KcSmartPtr<Object> getById(ObjectType base, uint32_t id);
  KcSmartPtr<Object> getByKey(ObjectType base, const Key& key);
  void getAll(ObjectType base, const Criteria* criteria, std::vector<KcSmartPtr<Object>>& out);

  /// enterRead / leaveRead: a read scope; the outermost holds one read transaction, begun by
  /// the first lookup that reaches the file, and checks the file for other writers once.
  void enterRead();
  void leaveRead();
  ObjectCache& cache() { return m_objects; }

  // Writing.
  KcSmartPtr<Object> save(const Object& object, Object* self, IdMapping* mapping);
  [[nodiscard]] Library::RemoveResult remove(const Object* object);
  void remove(const std::set<ObjectKey>& keys, std::map<ObjectKey, Library::RemoveResult>& out);
  void copyAll(Library& source, IdMapping& mapping);
  /// inBulk: runs `work` in one transaction whose events are one onModified per touched type.
  void inBulk(const std::function<void()>& work);
  void touched(ObjectType type) { m_ctx.modified.insert(type); }
  /// storeImported: saves an object made by an import, keeping or replacing a same-key object.
  uint32_t storeImported(Object& object, bool replace);
  uint32_t findKeyOf(const Object& object);

  OdString location;
  bool isNew = false;
  bool readOnly = false;
  int schemaVersion = 0;  // the file's, after any upgrade
  LibraryUnit unit = kLibraryUnitMillimeter;
  sqlite3* db = nullptr;

 private:
  class Stmt;
  friend class Stmt;
  struct Cached {
    sqlite3_stmt* stmt = nullptr;
    bool busy = false;
  };
  struct Ctx {
    int depth = 0;
    bool failed = false;
    bool bulk = false;
    std::vector<ObjectKey> saved, removed;
    std::vector<KcSmartPtr<Object>> savedObjects, removedObjects;
    struct Adopted {
      KcSmartPtr<Object> object;
      uint32_t oldId;
      std::weak_ptr<Library> oldLibrary;
    };
    std::vector<Adopted> adopted;
    std::set<ObjectType> modified;
    // What the cache must forget once this commits: owners whose children changed, and the keys
    // saved objects took.
    std::vector<uint32_t> stale;
    std::vector<std::pair<const TypeDesc*, std::vector<Value>>> keys;
  };
  class Txn;

  void exec(const char* sql);
  [[noreturn]] void fail(const std::string& what, int rc) const;
  void createSchema(LibraryUnit unit, const OdString& name);
  void ensureTables();
  /// upgrade: runs the migrations after `from`, all in one transaction, and sets user_version.
  void upgrade(int from);
  /// addColumns: adds to the existing tables the columns of the fields `wanted` picks (with
  /// their indexes); they read as absent, that is their default, until set.
  void addColumns(const std::function<bool(const FieldDesc&)>& wanted);
  void migrateTo2();
  std::string tableName(const TypeDesc& t) const { return std::string("o_") + t.name; }
  std::string listTable(const TypeDesc& t, const ListDesc& l) const;
  const std::string& selectColumns(const TypeDesc& t);
  bool hasTable(const TypeDesc& t) const { return m_tables.count(&t) != 0; }
  /// hasColumn: the table of `t` has a column for its field `index` (a file opened read-only
  /// may lack columns added after it was written).
  bool hasColumn(const TypeDesc& t, std::size_t index) const {
    return !m_absent.count({&t, index});
  }

  // `keep`: what is loaded goes into the cache too.
  KcSmartPtr<Object> materialize(const TypeDesc& t, sqlite3_stmt* s, bool keep = false);
  void loadLists(Object& o, bool keep);
  ObjectType storedType(uint32_t id);
  KcSmartPtr<Object> loadConcrete(const TypeDesc& t, uint32_t id, bool keep);

  // The cache. `cacheable`: no write transaction is open (its rows are not yet the file's).
  bool cacheable() const { return m_ctx.depth == 0; }
  /// checkExternal: forgets the cache when another connection changed the file: a read of the
  /// file's change counter first, PRAGMA data_version only when the counter moved.
  void checkExternal();
  [[nodiscard]] bool fileCounter(uint32_t& counter) const;
  int64_t dataVersion();
  /// holdRead: inside a read scope, begins its read transaction before the file is read.
  void holdRead();
  void remember(const Object& o);
  KcSmartPtr<Object> fromRow(const ObjectCache::Row& row, uint32_t id);
  /// forget: drops from the cache what a committed change touched.
  void forget(const Ctx& ctx);
  uint32_t findKey(const TypeDesc& t, const std::vector<Value>& key, uint32_t exclude);
  void keyValues(const TypeDesc& t, const std::vector<Value>& row, std::vector<Value>& key);

  // Saving. `source`: the library `object` belongs to (null when unsaved); `adopt`: the object
  // (and its unsaved parts) may be given ids and updated in memory.
  struct SaveArgs {
    IdMapping* mapping = nullptr;
    bool adopt = false;
    bool reuse = false;  // a same-key object in this library is reused, not refused
    uint32_t owner = 0;  // child saves: the owner and the position in its list
    int64_t position = -1;
    const Value* sync = nullptr;  // child saves: the field value taken from the owner
    int syncField = -1;
  };
  // One save's view of the object: where it comes from and what it may change in memory.
  struct Saving {
    const Object& object;
    const TypeDesc& type;
    std::shared_ptr<Library> src;  // kept only when copying from another library
    bool own = false;              // stored in this library: an update
    bool unsaved = false;          // never stored: an insert
    bool copying = false;          // stored in another library: a copy
    IdMapping* mapping = nullptr;
    Object* self = nullptr;  // the object given the new id and values, when adopting
  };
  uint32_t saveImpl(const Object& object, Object* self, SaveArgs args);
  /// buildRow: the row to store, references resolved (and saved or copied) first.
  std::vector<Value> buildRow(const Saving& sv, const SaveArgs& args);
  /// sameKey: the id of another object with the row's key when it is to be reused (0: none);
  /// throws ObjectNotUnique when it may not be.
  uint32_t sameKey(const Saving& sv, const SaveArgs& args, const std::vector<Value>& row);
  /// writeRow: updates or inserts the row; the object's id.
  uint32_t writeRow(const Saving& sv, const std::vector<Value>& row);
  /// adoptSaved: gives the saved object its id, owner, position and place in the session.
  void adoptSaved(const Saving& sv, const SaveArgs& args, uint32_t id);
  /// resolveRef: the id `ref` has here; `from` and `field` (the object holding it) name it when
  /// a copy finds it dangling.
  uint32_t resolveRef(const Ref& ref, const std::shared_ptr<Library>& holder, const Object& from,
                      const char* field, IdMapping* mapping, bool adopt, bool cascade);
  void writeLists(const Object& object, Object* self, uint32_t id,
                  const std::shared_ptr<Library>& holder, IdMapping* mapping, bool adopt,
                  bool updating, const std::vector<Value>& row);
  double lengthFactor(const std::shared_ptr<Library>& source) const;
  void mapChildrenByKey(const Object& object, uint32_t targetId, IdMapping& mapping);

  // Removing.
  std::string referrer(uint32_t id, const std::set<uint32_t>& ignore);
  void collectTree(uint32_t id, std::set<uint32_t>& ids, std::vector<uint32_t>* order = nullptr);
  void removeTree(uint32_t id);

  void begin();
  void end(bool ok);
  void dispatch(Ctx& ctx);

  Library& m_owner;
  std::unordered_map<std::string, Cached> m_cache;
  std::set<const TypeDesc*> m_tables;
  std::set<std::pair<const TypeDesc*, std::size_t>> m_absent;  // fields without a column
  std::unordered_map<const TypeDesc*, std::string> m_columns;
  Ctx m_ctx;
  ObjectCache m_objects{kCacheLimit};
  sqlite3_file* m_file = nullptr;  // the main database file, for its change counter
  uint32_t m_counter = 0;
  bool m_counterKnown = false;
  int64_t m_dataVersion = -1;
  int m_readDepth = 0;
  bool m_readTxn = false;
  bool m_checked = false;  // inside a read scope: the file was checked once

 public:
  static constexpr std::size_t kCacheLimit = 20000;
};

/// SessionAccess: the identity map of the current odb::session (no-ops without one).
struct SessionAccess {
  static KcSmartPtr<Object> find(const Library* library, uint32_t id);
  static void put(const Library* library, Object* object);
  static void drop(const Library* library, uint32_t id);
  static void forget(const Library* library);
};

/// unitFactor: millimetres per unit of a library unit.
double unitFactor(int32_t unit);

}  // namespace stocklib::detail

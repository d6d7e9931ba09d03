// The storage engine: schema from the type descriptions, statement cache, loading, saving,
// copying and removing objects inside transactions, and the events that follow a commit.
#include "Store.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "stocklib/MemFs.h"
#include "stocklib/Objects.h"

namespace stocklib::detail {

namespace {
constexpr int kSchemaVersion = 1;
constexpr int kApplicationId = 0x534C4942;  // "SLIB"
const char kMemPrefix[] = "memvfs://";

std::string utf8(const OdString& s) {
  return s.toUtf8();
}

OdString describe(const TypeDesc& t, uint32_t id) {
  return OdString::formatted(L"%ls %u", OdString(t.name).c_str(), id);
}
}  // namespace

double unitFactor(int32_t unit) {
  return unit == kLibraryUnitInch ? 25.4 : 1.0;
}

// A cached prepared statement, reset when released; a statement already in use (a nested
// query of the same text) is prepared afresh and finalized after use.
class Store::Stmt {
 public:
  Stmt(Store& store, const std::string& sql) : m_store(store) {
    Cached& c = store.m_cache[sql];
    if (!c.busy) {
      if (!c.stmt) prepare(sql, &c.stmt);
      m_cached = &c;
      c.busy = true;
      m_stmt = c.stmt;
    } else {
      prepare(sql, &m_stmt);
    }
  }
  ~Stmt() {
    if (m_cached) {
      sqlite3_reset(m_stmt);
      sqlite3_clear_bindings(m_stmt);
      m_cached->busy = false;
    } else {
      sqlite3_finalize(m_stmt);
    }
  }
  Stmt(const Stmt&) = delete;
  Stmt& operator=(const Stmt&) = delete;

  sqlite3_stmt* get() const { return m_stmt; }
  void bind(int index, const Value& v) {
    int rc = SQLITE_OK;
    switch (v.index()) {
      case 1:
        rc = sqlite3_bind_int64(m_stmt, index, std::get<int64_t>(v));
        break;
      case 2:
        rc = sqlite3_bind_double(m_stmt, index, std::get<double>(v));
        break;
      case 3: {
        std::string s = utf8(std::get<OdString>(v));
        rc = sqlite3_bind_text(m_stmt, index, s.data(), static_cast<int>(s.size()),
                               SQLITE_TRANSIENT);
        break;
      }
      case 4: {
        uint32_t id = std::get<Ref>(v).id;
        rc = id ? sqlite3_bind_int64(m_stmt, index, id) : sqlite3_bind_null(m_stmt, index);
        break;
      }
      default:
        rc = sqlite3_bind_null(m_stmt, index);
    }
    if (rc != SQLITE_OK) m_store.fail("binding a value", rc);
  }
  void bind(int index, int64_t v) { bind(index, Value(v)); }
  /// step: true for a row, false when done; throws on failure.
  bool step() {
    int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    m_store.fail(sqlite3_sql(m_stmt), rc);
  }
  int64_t int64(int col) const { return sqlite3_column_int64(m_stmt, col); }

 private:
  void prepare(const std::string& sql, sqlite3_stmt** out) {
    int rc = sqlite3_prepare_v3(m_store.db, sql.c_str(), static_cast<int>(sql.size()),
                                SQLITE_PREPARE_PERSISTENT, out, nullptr);
    if (rc != SQLITE_OK) m_store.fail("preparing " + sql, rc);
  }
  Store& m_store;
  Cached* m_cached = nullptr;
  sqlite3_stmt* m_stmt = nullptr;
};

// A write transaction; nested ones join the outermost, and any failure rolls back all.
class Store::Txn {
 public:
  explicit Txn(Store& s) : m_s(s) { m_s.begin(); }
  ~Txn() {
    if (!m_done) m_s.end(false);
  }
  void commit() {
    m_done = true;
    m_s.end(true);
  }

 private:
  Store& m_s;
  bool m_done = false;
};

Store::~Store() {
  for (auto& [sql, c] : m_cache)
    sqlite3_finalize(c.stmt);
  if (db) sqlite3_close_v2(db);
  SessionAccess::forget(&m_owner);
}

void Store::fail(const std::string& what, int rc) const {
  std::string msg = OdString(location).toUtf8() + ": " + what + ": " +
                    (db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
  int ext = db ? sqlite3_extended_errcode(db) : rc;
  if (ext == SQLITE_CONSTRAINT_UNIQUE || ext == SQLITE_CONSTRAINT_PRIMARYKEY)
    throw ObjectNotUnique(msg);
  if (ext == SQLITE_CONSTRAINT_FOREIGNKEY || ext == SQLITE_CONSTRAINT_NOTNULL)
    throw ConsistencyError(msg);
  throw Exception(msg);
}

void Store::exec(const char* sql) {
  char* err = nullptr;
  int rc = sqlite3_exec(db, sql, nullptr, nullptr, &err);
  if (rc != SQLITE_OK) {
    sqlite3_free(err);  // fail() reads the same message from the connection
    fail(std::string(sql).substr(0, 60), rc);
  }
}

// ---------------------------------------------------------------------------------------------
// Opening and schema

bool Store::open(const OdString& loc, bool ro, bool create, LibraryUnit newUnit,
                 const OdString& name, OdString& error) {
  location = loc;
  std::string path;
  const char* vfs = nullptr;
  bool exists = false;
  bool mem = loc.getLength() >= 9 && loc.left(9) == OdString(kMemPrefix);
  if (mem) {
    if (!memvfs_registered()) {
      error = L"the in-memory file system is not registered";
      return false;
    }
    OdString memName = loc.mid(9);
    if (memName.isEmpty()) {
      error = L"an in-memory location needs a file name";
      return false;
    }
    auto file = MemFs::instance().open(memName, create && !ro);
    exists = file && file->size() > 0;
    if (!file) {
      error = OdString(L"no in-memory file ") + memName;
      return false;
    }
    if (!exists && (!create || ro)) {
      error = OdString(L"the in-memory file ") + memName + L" is empty";
      return false;
    }
    path = utf8(memName);
    vfs = "memvfs";
  } else {
    path = utf8(loc);
    struct stat st;
    exists = ::stat(path.c_str(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode)) {
      error = loc + L" is not a file";
      return false;
    }
    if (exists && st.st_size == 0) exists = false;
    if (!exists && (!create || ro)) {
      error = OdString(L"no library file ") + loc;
      return false;
    }
    std::string dir = path.substr(0, path.find_last_of('/') + 1);
    if (dir.empty()) dir = ".";
    if (::access(dir.c_str(), W_OK) != 0 ||
        (::access(path.c_str(), F_OK) == 0 && ::access(path.c_str(), W_OK) != 0)) {
      if (!exists) {
        error = loc + L": the folder is not writable";
        return false;
      }
      ro = true;
    }
  }
  readOnly = ro;
  int flags = ro ? SQLITE_OPEN_READONLY : (SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
  int rc = sqlite3_open_v2(path.c_str(), &db, flags | SQLITE_OPEN_NOMUTEX, vfs);
  if (rc != SQLITE_OK) {
    error = loc + L": " + OdString(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
    return false;
  }
  sqlite3_extended_result_codes(db, 1);
  sqlite3_busy_timeout(db, 5000);  // another process's write transaction: wait, then fail
  try {
    exec("PRAGMA foreign_keys=ON");
    exec("PRAGMA cache_size=-32000");
    if (!ro) exec(mem ? "PRAGMA journal_mode=MEMORY" : "PRAGMA journal_mode=DELETE");
    if (!exists) {
      createSchema(newUnit, name);
      isNew = true;
    } else {
      int appId = 0, version = 0;
      {
        Stmt s(*this, "PRAGMA application_id");
        if (s.step()) appId = static_cast<int>(s.int64(0));
      }
      {
        Stmt s(*this, "PRAGMA user_version");
        if (s.step()) version = static_cast<int>(s.int64(0));
      }
      if (appId != kApplicationId) {
        error = loc + L" is not a library file";
        return false;
      }
      if (version > kSchemaVersion || version < 1) {
        error = OdString::formatted(L"%ls has schema version %d; this program reads 1 to %d",
                                    loc.c_str(), version, kSchemaVersion);
        return false;
      }
      Stmt check(*this, "PRAGMA quick_check(1)");
      std::string answer;
      if (check.step()) {
        const unsigned char* t = sqlite3_column_text(check.get(), 0);
        answer = t ? reinterpret_cast<const char*>(t) : "";
      }
      if (answer != "ok") {
        error = loc + L" is damaged: " + OdString::fromUtf8(answer);
        return false;
      }
    }
    ensureTables();
    OdString u = meta("unit");
    unit = u == L"0" ? kLibraryUnitInch : kLibraryUnitMillimeter;
  } catch (const Exception& e) {
    error = OdString(e.what());
    return false;
  }
  return true;
}

std::string Store::listTable(const TypeDesc& t, const ListDesc& l) const {
  return std::string("l_") + t.name + "_" + l.name;
}

void Store::createSchema(LibraryUnit newUnit, const OdString& name) {
  Txn txn(*this);
  exec(("PRAGMA application_id=" + std::to_string(kApplicationId)).c_str());
  exec(("PRAGMA user_version=" + std::to_string(kSchemaVersion)).c_str());
  exec("CREATE TABLE library_meta(key TEXT PRIMARY KEY, value TEXT)");
  exec("CREATE TABLE objects(id INTEGER PRIMARY KEY AUTOINCREMENT, type INTEGER NOT NULL)");
  exec(
      "CREATE TABLE default_units(measure INTEGER PRIMARY KEY REFERENCES objects(id) ON DELETE "
      "CASCADE, unit INTEGER NOT NULL REFERENCES objects(id) ON DELETE CASCADE)");
  exec("CREATE INDEX default_units_unit ON default_units(unit)");
  setMeta("unit", newUnit == kLibraryUnitInch ? OdString(L"0") : OdString(L"1"));
  setMeta("name", name);
  txn.commit();
}

void Store::ensureTables() {
  std::set<std::string> existing;
  {
    Stmt s(*this, "SELECT name FROM sqlite_master WHERE type='table'");
    while (s.step())
      existing.insert(reinterpret_cast<const char*>(sqlite3_column_text(s.get(), 0)));
  }
  std::vector<std::string> ddl;
  for (const TypeDesc* t : TypeRegistry::get().all()) {
    if (t->abstract) continue;
    std::string table = tableName(*t);
    if (existing.count(table)) {
      m_tables.insert(t);
      continue;
    }
    std::string sql = "CREATE TABLE " + table +
                      "(id INTEGER PRIMARY KEY REFERENCES objects(id) ON DELETE CASCADE";
    for (const FieldDesc& f : t->allFields) {
      sql += std::string(", ") + f.name;
      switch (f.kind) {
        case FieldKind::Text:
          sql += " TEXT";
          break;
        case FieldKind::Real:
        case FieldKind::Length:
          sql += " REAL";
          break;
        case FieldKind::Ref:
        case FieldKind::Owner:
          sql += " INTEGER REFERENCES objects(id)";
          break;
        default:
          sql += " INTEGER";
      }
      if (f.required) sql += " NOT NULL";
    }
    ddl.push_back(sql + ")");
    if (!t->keyFields.empty()) {
      std::string idx = "CREATE UNIQUE INDEX " + table + "_key ON " + table + "(";
      for (std::size_t i = 0; i < t->keyFields.size(); ++i)
        idx += std::string(i ? "," : "") + t->allFields[t->keyFields[i]].name;
      ddl.push_back(idx + ")");
    }
    for (const FieldDesc& f : t->allFields)
      if (f.kind == FieldKind::Ref || f.kind == FieldKind::Owner)
        ddl.push_back("CREATE INDEX " + table + "_" + f.name + " ON " + table + "(" + f.name + ")");
    for (const ListDesc& l : t->allLists) {
      if (l.kind != ListKind::Refs) continue;
      std::string lt = listTable(*t, l);
      ddl.push_back("CREATE TABLE " + lt +
                    "(owner INTEGER NOT NULL REFERENCES objects(id) ON DELETE CASCADE, pos "
                    "INTEGER NOT NULL, item INTEGER NOT NULL REFERENCES objects(id), PRIMARY "
                    "KEY(owner, pos))");
      ddl.push_back("CREATE INDEX " + lt + "_item ON " + lt + "(item)");
    }
    if (readOnly) continue;  // a read-only library answers nothing for types it lacks
    m_tables.insert(t);
  }
  if (ddl.empty() || readOnly) return;
  Txn txn(*this);
  for (const std::string& s : ddl)
    exec(s.c_str());
  txn.commit();
}

OdString Store::meta(const char* key) const {
  Stmt s(const_cast<Store&>(*this), "SELECT value FROM library_meta WHERE key=?");
  s.bind(1, Value(OdString(key)));
  if (!s.step() || sqlite3_column_type(s.get(), 0) == SQLITE_NULL) return OdString();
  return OdString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s.get(), 0)),
                            static_cast<std::size_t>(sqlite3_column_bytes(s.get(), 0)));
}

void Store::setMeta(const char* key, const OdString& value) {
  if (readOnly) throw Exception(utf8(location) + " is read-only");
  Txn txn(*this);
  Stmt s(*this, "INSERT OR REPLACE INTO library_meta(key, value) VALUES(?, ?)");
  s.bind(1, Value(OdString(key)));
  s.bind(2, Value(value));
  s.step();
  txn.commit();
}

KcSmartPtr<Object> Store::defaultUnit(const OdString& measureName) {
  const TypeDesc& m = typeDesc(ObjectType::Measure);
  if (!hasTable(m)) return KcSmartPtr<Object>();
  Stmt s(*this, "SELECT d.unit FROM default_units d JOIN " + tableName(m) +
                    " m ON m.id = d.measure WHERE m.name = ?");
  s.bind(1, Value(measureName));
  if (!s.step()) return KcSmartPtr<Object>();
  return getById(ObjectType::Unit, static_cast<uint32_t>(s.int64(0)));
}

void Store::setDefaultUnit(const Object* unitObject) {
  if (readOnly) throw Exception(utf8(location) + " is read-only");
  const Unit* u = static_cast<const Unit*>(unitObject);
  if (!u || u->id() == 0 || u->library().get() != &m_owner)
    throw ConsistencyError("a default unit must be a unit stored in " + utf8(location));
  if (!u->measure_id()) throw ConsistencyError("unit " + utf8(u->symbol()) + " has no measure");
  Txn txn(*this);
  Stmt s(*this, "INSERT OR REPLACE INTO default_units(measure, unit) VALUES(?, ?)");
  s.bind(1, static_cast<int64_t>(u->measure_id()));
  s.bind(2, static_cast<int64_t>(u->id()));
  s.step();
  txn.commit();
}

// ---------------------------------------------------------------------------------------------
// Reading

const std::string& Store::selectColumns(const TypeDesc& t) {
  std::string& s = m_columns[&t];
  if (s.empty()) {
    s = "SELECT id";
    for (const FieldDesc& f : t.allFields)
      s += std::string(", ") + f.name;
    s += " FROM " + tableName(t);
  }
  return s;
}

KcSmartPtr<Object> Store::materialize(const TypeDesc& t, sqlite3_stmt* s) {
  uint32_t id = static_cast<uint32_t>(sqlite3_column_int64(s, 0));
  if (KcSmartPtr<Object> known = SessionAccess::find(&m_owner, id)) return known;
  KcSmartPtr<Object> o(static_cast<Object*>(t.make().detach()), kOdRxObjAttach);
  std::vector<Value>& values = Access::values(*o);
  for (std::size_t i = 0; i < t.allFields.size(); ++i) {
    int col = static_cast<int>(i) + 1;
    int type = sqlite3_column_type(s, col);
    if (type == SQLITE_NULL) {
      values[i] = std::monostate();
      continue;
    }
    switch (t.allFields[i].kind) {
      case FieldKind::Text: {
        const char* text = reinterpret_cast<const char*>(sqlite3_column_text(s, col));
        values[i] =
            OdString::fromUtf8(text, static_cast<std::size_t>(sqlite3_column_bytes(s, col)));
        break;
      }
      case FieldKind::Real:
      case FieldKind::Length:
        values[i] = sqlite3_column_double(s, col);
        break;
      case FieldKind::Ref:
        values[i] = Ref{static_cast<uint32_t>(sqlite3_column_int64(s, col)), nullptr};
        break;
      default:
        values[i] = static_cast<int64_t>(sqlite3_column_int64(s, col));
    }
  }
  Access::id(*o) = id;
  Access::library(*o) = m_owner.weak_from_this();
  if (!t.allLists.empty()) loadLists(*o);
  SessionAccess::put(&m_owner, o.get());
  return o;
}

void Store::loadLists(Object& o) {
  const TypeDesc& t = Access::type(o);
  auto& lists = Access::lists(o);
  for (std::size_t li = 0; li < t.allLists.size(); ++li) {
    const ListDesc& l = t.allLists[li];
    std::vector<Ref>& items = lists[li];
    items.clear();
    if (l.kind == ListKind::Refs) {
      Stmt s(*this, "SELECT item FROM " + listTable(t, l) + " WHERE owner=? ORDER BY pos");
      s.bind(1, static_cast<int64_t>(o.id()));
      while (s.step())
        items.push_back(Ref{static_cast<uint32_t>(s.int64(0)), nullptr});
      continue;
    }
    std::vector<std::pair<int64_t, KcSmartPtr<Object>>> children;
    for (const TypeDesc* c : typeDesc(l.itemType).concrete) {
      if (!hasTable(*c)) continue;
      Stmt s(*this, selectColumns(*c) + " WHERE " + c->allFields[c->ownerField].name + "=?");
      s.bind(1, static_cast<int64_t>(o.id()));
      while (s.step()) {
        KcSmartPtr<Object> child = materialize(*c, s.get());
        int64_t pos = std::get<int64_t>(Access::values(*child)[c->positionField]);
        children.emplace_back(pos, child);
      }
    }
    std::stable_sort(children.begin(), children.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto& [pos, child] : children)
      items.push_back(Ref{child->id(), child});
  }
}

ObjectType Store::storedType(uint32_t id) {
  Stmt s(*this, "SELECT type FROM objects WHERE id=?");
  s.bind(1, static_cast<int64_t>(id));
  if (!s.step()) return ObjectType::None;
  return static_cast<ObjectType>(s.int64(0));
}

KcSmartPtr<Object> Store::loadConcrete(const TypeDesc& t, uint32_t id) {
  if (!hasTable(t)) return KcSmartPtr<Object>();
  Stmt s(*this, selectColumns(t) + " WHERE id=?");
  s.bind(1, static_cast<int64_t>(id));
  if (!s.step()) return KcSmartPtr<Object>();
  return materialize(t, s.get());
}

KcSmartPtr<Object> Store::getById(ObjectType base, uint32_t id) {
  if (id == 0) return KcSmartPtr<Object>();
  if (KcSmartPtr<Object> known = SessionAccess::find(&m_owner, id))
    return Access::type(*known).isA(base) ? known : KcSmartPtr<Object>();
  const TypeDesc* b = base == ObjectType::None ? nullptr : TypeRegistry::get().find(base);
  if (b && !b->abstract && b->concrete.size() == 1) return loadConcrete(*b, id);
  const TypeDesc* t = TypeRegistry::get().find(storedType(id));
  if (!t || !t->isA(base)) return KcSmartPtr<Object>();
  return loadConcrete(*t, id);
}

void Store::keyValues(const TypeDesc& t, const std::vector<Value>& row, std::vector<Value>& key) {
  key.clear();
  for (int i : t.keyFields)
    key.push_back(row[i]);
}

namespace {
std::string keyWhere(const TypeDesc& t) {
  std::string w;
  for (std::size_t i = 0; i < t.keyFields.size(); ++i) {
    const FieldDesc& f = t.allFields[t.keyFields[i]];
    w += std::string(i ? " AND " : "") + f.name + (f.required ? " = ?" : " IS ?");
  }
  return w;
}
}  // namespace

uint32_t Store::findKey(const TypeDesc& t, const std::vector<Value>& key, uint32_t exclude) {
  if (!hasTable(t) || key.empty()) return 0;
  Stmt s(*this, "SELECT id FROM " + tableName(t) + " WHERE " + keyWhere(t));
  for (std::size_t i = 0; i < key.size(); ++i)
    s.bind(static_cast<int>(i) + 1, key[i]);
  while (s.step()) {
    uint32_t id = static_cast<uint32_t>(s.int64(0));
    if (id != exclude) return id;
  }
  return 0;
}

uint32_t Store::findKeyOf(const Object& object) {
  const TypeDesc& t = Access::type(object);
  std::vector<Value> key;
  keyValues(t, Access::values(object), key);
  return findKey(t, key, 0);
}

KcSmartPtr<Object> Store::getByKey(ObjectType base, const Key& key) {
  // One reused buffer per thread, unless a key's resolution looks up another key meanwhile.
  thread_local std::vector<Value> shared;
  thread_local bool sharedBusy = false;
  std::vector<Value> own;
  std::vector<Value>& values = sharedBusy ? own : shared;
  struct Busy {
    bool& flag;
    bool was;
    ~Busy() { flag = was; }
  } busy{sharedBusy, sharedBusy};
  sharedBusy = true;
  values.clear();
  if (!key.resolve(m_owner, values)) return KcSmartPtr<Object>();
  bool fits = false;
  ObjectType only = key.objectType();
  for (const TypeDesc* t : TypeRegistry::get().concrete(base)) {
    if (t->keyFields.size() != values.size()) continue;
    if (only != ObjectType::None && !t->isA(only)) continue;
    fits = true;
    if (!hasTable(*t)) continue;
    Stmt s(*this, selectColumns(*t) + " WHERE " + keyWhere(*t));
    for (std::size_t i = 0; i < values.size(); ++i)
      s.bind(static_cast<int>(i) + 1, values[i]);
    if (s.step()) return materialize(*t, s.get());
  }
  if (!fits)
    throw Exception(OdString::formatted(L"a key of %d fields does not name a %ls",
                                        static_cast<int>(values.size()),
                                        objectTypeName(base).c_str()));
  return KcSmartPtr<Object>();
}

void Store::getAll(ObjectType base, const Criteria* criteria,
                   std::vector<KcSmartPtr<Object>>& out) {
  for (const TypeDesc* t : TypeRegistry::get().concrete(base)) {
    if (!hasTable(*t)) continue;
    Filter f(*t);
    if (criteria) criteria->apply(f);
    if (f.never) continue;
    std::string sql = selectColumns(*t);
    if (!f.where.empty()) sql += " WHERE " + f.where;
    Stmt s(*this, sql + " ORDER BY id");
    for (std::size_t i = 0; i < f.binds.size(); ++i)
      s.bind(static_cast<int>(i) + 1, f.binds[i]);
    while (s.step()) {
      KcSmartPtr<Object> o = materialize(*t, s.get());
      bool pass = true;
      for (auto& p : f.predicates)
        pass = pass && p(*o);
      if (pass) out.push_back(std::move(o));
    }
  }
}

// ---------------------------------------------------------------------------------------------
// Transactions and events

void Store::begin() {
  if (m_ctx.depth == 0) {
    exec("BEGIN IMMEDIATE");
    m_ctx = Ctx();
  }
  ++m_ctx.depth;
}

void Store::end(bool ok) {
  if (!ok) m_ctx.failed = true;
  if (--m_ctx.depth > 0) return;
  bool failed = m_ctx.failed;
  if (!failed && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) failed = true;
  if (failed) {
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    for (auto it = m_ctx.adopted.rbegin(); it != m_ctx.adopted.rend(); ++it) {
      SessionAccess::drop(&m_owner, it->object->id());
      Access::id(*it->object) = it->oldId;
      Access::library(*it->object) = it->oldLibrary;
    }
    m_ctx = Ctx();
    if (ok) throw Exception(utf8(location) + ": the change failed and was rolled back");
    return;
  }
  Ctx done = std::move(m_ctx);
  m_ctx = Ctx();
  dispatch(done);
}

void Store::dispatch(Ctx& ctx) {
  for (const ObjectKey& k : ctx.removed) {
    if (KcSmartPtr<Object> o = SessionAccess::find(&m_owner, k.id)) ctx.removedObjects.push_back(o);
    SessionAccess::drop(&m_owner, k.id);
  }
  for (auto& o : ctx.removedObjects) {
    if (o->library().get() != &m_owner) continue;
    Access::id(*o) = 0;
    Access::library(*o).reset();
    for (ObjectReactor* r : Access::reactors(*o))
      r->removed(o.get());
  }
  for (auto& o : ctx.savedObjects)
    for (ObjectReactor* r : Access::reactors(*o))
      r->saved(o.get());
  std::shared_ptr<Library::Reactor> reactor = LibraryManager::instance().reactor();
  if (!reactor) return;
  std::shared_ptr<const Library> self = m_owner.shared_from_this();
  if (ctx.bulk) {
    for (ObjectType t : ctx.modified)
      reactor->onModified(self, t);
    return;
  }
  for (const ObjectKey& k : ctx.saved)
    reactor->onSaved(self, k);
  for (const ObjectKey& k : ctx.removed)
    reactor->onRemoved(self, k);
}

void Store::inBulk(const std::function<void()>& work) {
  if (readOnly) throw Exception(utf8(location) + " is read-only");
  Txn txn(*this);
  m_ctx.bulk = true;
  work();
  txn.commit();
}

// ---------------------------------------------------------------------------------------------
// Saving

double Store::lengthFactor(const std::shared_ptr<Library>& source) const {
  if (!source) return 1.0;
  return unitFactor(source->m_store->unit) / unitFactor(unit);
}

KcSmartPtr<Object> Store::save(const Object& object, Object* self, IdMapping* mapping) {
  if (readOnly) throw Exception(utf8(location) + " is read-only");
  if (mapping && mapping->target() && mapping->target() != &m_owner)
    throw Exception(utf8(location) + ": the IdMapping was made for another library");
  SaveArgs args;
  args.mapping = mapping;
  args.adopt = self != nullptr;
  uint32_t id;
  {
    Txn txn(*this);
    id = saveImpl(object, self, args);
    txn.commit();
  }
  if (object.id() == id && object.library().get() == &m_owner)
    return KcSmartPtr<Object>(const_cast<Object*>(&object));
  return getById(Access::type(object).type, id);
}

uint32_t Store::resolveRef(const Ref& ref, const std::shared_ptr<Library>& holder,
                           Object* /*holderSelf*/, IdMapping* mapping, bool adopt, bool cascade) {
  Library* me = &m_owner;
  bool copying = holder && holder.get() != me;
  if (ref.object) {
    Object& r = *ref.object;
    std::shared_ptr<Library> rl = r.library();
    if (r.id() && rl.get() == me) {
      // A referent saved with its holder (a material's assets) keeps its in-memory edits.
      if (cascade && adopt && !copying) {
        SaveArgs a;
        a.mapping = mapping;
        a.adopt = true;
        saveImpl(r, &r, a);
      }
      return r.id();
    }
    SaveArgs a;
    a.mapping = mapping;
    a.reuse = true;
    if (r.id() == 0) {
      a.adopt = adopt;
      return saveImpl(r, adopt ? &r : nullptr, a);
    }
    if (!copying)
      throw ConsistencyError(OdString(describe(Access::type(r), r.id())) +
                             L" belongs to another library than " + location);
    return saveImpl(r, nullptr, a);
  }
  if (ref.id == 0) return 0;
  if (!copying) return ref.id;
  KcSmartPtr<Object> r = holder->m_store->getById(ObjectType::None, ref.id);
  if (!r)
    throw ConsistencyError(OdString::formatted(L"dangling reference to id %u in ", ref.id) +
                           holder->filename());
  SaveArgs a;
  a.mapping = mapping;
  a.reuse = true;
  return saveImpl(*r, nullptr, a);
}

uint32_t Store::saveImpl(const Object& o, Object* self, SaveArgs args) {
  const TypeDesc& t = Access::type(o);
  Library* me = &m_owner;
  std::shared_ptr<Library> src = o.library();
  bool own = o.id() != 0 && src.get() == me;
  bool unsaved = o.id() == 0;
  if (!own && !unsaved && !src)
    throw ConsistencyError(describe(t, o.id()) + L" belongs to a library that is closed");
  bool copying = !own && !unsaved;
  IdMapping local(me);
  IdMapping* mapping = args.mapping;
  if (copying) {
    if (!mapping) mapping = &local;
    mapping->bindSource(src.get());
    uint32_t known = mapping->get(t.type, o.id());
    if (known && storedType(known) == t.type) return known;
  }
  Object* selfObj = args.adopt && !copying ? self : nullptr;
  if (!copying) src.reset();
  const std::vector<Value>& values = Access::values(o);
  std::vector<Value> row(t.allFields.size());
  double lf = copying ? lengthFactor(src) : 1.0;
  for (std::size_t i = 0; i < t.allFields.size(); ++i) {
    const FieldDesc& f = t.allFields[i];
    const Value& v = values[i];
    switch (f.kind) {
      case FieldKind::Ref: {
        if (args.sync && static_cast<int>(i) == args.syncField) {
          row[i] = *args.sync;
        } else {
          const Ref* r = std::get_if<Ref>(&v);
          uint32_t rid = r ? resolveRef(*r, src, selfObj, copying ? mapping : args.mapping,
                                        args.adopt && !copying, f.cascade)
                           : 0;
          row[i] = rid ? Value(Ref{rid, nullptr}) : Value();
          if (selfObj && r) {
            Ref& mine = std::get<Ref>(Access::values(*selfObj)[i]);
            mine.id = rid;
            if (mine.object && mine.object->id() != rid) mine.object = nullptr;
          }
        }
        break;
      }
      case FieldKind::Owner:
        row[i] = args.owner ? Value(static_cast<int64_t>(args.owner)) : (copying ? Value() : v);
        break;
      case FieldKind::Position:
        row[i] = args.position >= 0 ? Value(args.position) : (copying ? Value() : v);
        break;
      case FieldKind::Length:
        row[i] = std::holds_alternative<double>(v) ? Value(std::get<double>(v) * lf) : v;
        break;
      default:
        row[i] = v;
    }
    if (f.required && row[i].index() == 0)
      throw ConsistencyError(describe(t, o.id()) + L": field " + OdString(f.name) +
                             L" has no value");
  }
  std::vector<Value> key;
  keyValues(t, row, key);
  if (uint32_t existing = findKey(t, key, own ? o.id() : 0)) {
    if (args.reuse && (copying || unsaved)) {
      if (copying) {
        mapping->set(t.type, o.id(), existing);
        mapChildrenByKey(o, existing, *mapping);
      }
      return existing;
    }
    OdString name;
    for (const Value& k : key)
      if (auto* s = std::get_if<OdString>(&k)) name = *s;
    throw ObjectNotUnique(OdString(t.name) + L" \"" + name + L"\" already exists as id " +
                          OdString::formatted(L"%u", existing) + L" in " + location);
  }
  uint32_t id;
  if (own) {
    id = o.id();
    std::string sql = "UPDATE " + tableName(t) + " SET ";
    for (std::size_t i = 0; i < t.allFields.size(); ++i)
      sql += std::string(i ? ", " : "") + t.allFields[i].name + "=?";
    Stmt s(*this, sql + " WHERE id=?");
    for (std::size_t i = 0; i < row.size(); ++i)
      s.bind(static_cast<int>(i) + 1, row[i]);
    s.bind(static_cast<int>(row.size()) + 1, static_cast<int64_t>(id));
    s.step();
  } else {
    {
      Stmt s(*this, "INSERT INTO objects(type) VALUES(?)");
      s.bind(1, static_cast<int64_t>(t.type));
      s.step();
    }
    sqlite3_int64 newId = sqlite3_last_insert_rowid(db);
    if (newId <= 0 || newId > std::numeric_limits<uint32_t>::max())
      throw Exception(utf8(location) + ": the library has run out of object ids");
    id = static_cast<uint32_t>(newId);
    std::string sql = "INSERT INTO " + tableName(t) + "(id";
    std::string marks = "?";
    for (const FieldDesc& f : t.allFields) {
      sql += std::string(", ") + f.name;
      marks += ", ?";
    }
    Stmt s(*this, sql + ") VALUES(" + marks + ")");
    s.bind(1, static_cast<int64_t>(id));
    for (std::size_t i = 0; i < row.size(); ++i)
      s.bind(static_cast<int>(i) + 2, row[i]);
    s.step();
    if (copying) mapping->set(t.type, o.id(), id);
  }
  if (selfObj) {
    std::vector<Value>& mine = Access::values(*selfObj);
    if (t.ownerField >= 0 && args.owner) mine[t.ownerField] = static_cast<int64_t>(args.owner);
    if (t.positionField >= 0 && args.position >= 0) mine[t.positionField] = args.position;
    if (args.sync && args.syncField >= 0) {
      Ref& r = std::get<Ref>(mine[args.syncField] = Ref());
      r = std::get<Ref>(*args.sync);
    }
    if (unsaved) {
      m_ctx.adopted.push_back({KcSmartPtr<Object>(selfObj), 0, Access::library(*selfObj)});
      Access::id(*selfObj) = id;
      Access::library(*selfObj) = m_owner.weak_from_this();
      SessionAccess::put(me, selfObj);
    }
    m_ctx.savedObjects.emplace_back(selfObj);
  }
  writeLists(o, selfObj, id, src, copying ? mapping : args.mapping, args.adopt && !copying, own,
             row);
  m_ctx.saved.emplace_back(t.type, id);
  m_ctx.modified.insert(t.type);
  return id;
}

void Store::writeLists(const Object& o, Object* self, uint32_t id,
                       const std::shared_ptr<Library>& src, IdMapping* mapping, bool adopt,
                       bool updating, const std::vector<Value>& row) {
  const TypeDesc& t = Access::type(o);
  for (std::size_t li = 0; li < t.allLists.size(); ++li) {
    const ListDesc& l = t.allLists[li];
    const std::vector<Ref>& items = Access::lists(o)[li];
    if (l.kind == ListKind::Refs) {
      std::vector<uint32_t> ids;
      for (std::size_t k = 0; k < items.size(); ++k) {
        uint32_t rid = resolveRef(items[k], src, self, mapping, adopt, false);
        ids.push_back(rid);
        if (self) {
          Ref& mine = Access::lists(*self)[li][k];
          mine.id = rid;
          if (mine.object && mine.object->id() != rid) mine.object = nullptr;
        }
      }
      std::string table = listTable(t, l);
      if (updating) {
        Stmt d(*this, "DELETE FROM " + table + " WHERE owner=?");
        d.bind(1, static_cast<int64_t>(id));
        d.step();
      }
      Stmt s(*this, "INSERT INTO " + table + "(owner, pos, item) VALUES(?, ?, ?)");
      for (std::size_t k = 0; k < ids.size(); ++k) {
        if (!ids[k]) continue;
        sqlite3_reset(s.get());
        s.bind(1, static_cast<int64_t>(id));
        s.bind(2, static_cast<int64_t>(k));
        s.bind(3, static_cast<int64_t>(ids[k]));
        s.step();
      }
      continue;
    }
    const TypeDesc& ct = typeDesc(l.itemType);
    Value syncValue;
    int syncField = -1;
    if (l.sync) {
      syncValue = row[t.fieldIndex(l.sync)];
      syncField = ct.fieldIndex(l.sync);
      if (auto* r = std::get_if<Ref>(&syncValue); r && self) {
        if (auto* mine = std::get_if<Ref>(&Access::values(*self)[t.fieldIndex(l.sync)]))
          r->object = mine->object;
      }
    }
    if (updating) {
      // Children taken out of the list go first, so that a new child may reuse their keys.
      std::set<uint32_t> keep;
      for (const Ref& item : items)
        if (item.object && item.object->id() && item.object->library().get() == &m_owner)
          keep.insert(item.object->id());
      std::vector<uint32_t> stale;
      for (const TypeDesc* c : ct.concrete) {
        if (!hasTable(*c)) continue;
        Stmt s(*this, "SELECT id FROM " + tableName(*c) + " WHERE " +
                          c->allFields[c->ownerField].name + "=?");
        s.bind(1, static_cast<int64_t>(id));
        while (s.step()) {
          uint32_t cid = static_cast<uint32_t>(s.int64(0));
          if (!keep.count(cid)) stale.push_back(cid);
        }
      }
      for (uint32_t cid : stale) {
        std::set<uint32_t> tree;
        collectTree(cid, tree);
        for (uint32_t member : tree) {
          std::string who = referrer(member, tree);
          if (!who.empty())
            throw ConsistencyError(utf8(location) + ": cannot drop id " + std::to_string(cid) +
                                   " from " + t.name + " " + std::to_string(id) + ": " + who +
                                   " refers to it");
        }
        removeTree(cid);
      }
    }
    for (std::size_t k = 0; k < items.size(); ++k) {
      KcSmartPtr<Object> child = items[k].object;
      if (!child && src) child = src->m_store->getById(l.itemType, items[k].id);
      if (!child) continue;
      SaveArgs a;
      a.mapping = mapping;
      a.adopt = adopt;
      a.owner = id;
      a.position = static_cast<int64_t>(k);
      a.sync = syncField >= 0 ? &syncValue : nullptr;
      a.syncField = syncField;
      uint32_t cid = saveImpl(*child, self ? child.get() : nullptr, a);
      if (self) Access::lists(*self)[li][k].id = cid;
    }
  }
}

void Store::mapChildrenByKey(const Object& o, uint32_t targetId, IdMapping& mapping) {
  const TypeDesc& t = Access::type(o);
  bool hasChildren = false;
  for (const ListDesc& l : t.allLists)
    hasChildren = hasChildren || l.kind == ListKind::Children;
  if (!hasChildren) return;
  KcSmartPtr<Object> target = getById(t.type, targetId);
  if (!target) return;
  for (std::size_t li = 0; li < t.allLists.size(); ++li) {
    if (t.allLists[li].kind != ListKind::Children) continue;
    for (const Ref& item : Access::lists(o)[li]) {
      if (!item.object) continue;
      const TypeDesc& ct = Access::type(*item.object);
      for (const Ref& candidate : Access::lists(*target)[li]) {
        if (!candidate.object || &Access::type(*candidate.object) != &ct) continue;
        bool same = true;
        for (int k : ct.keyFields)
          if (ct.allFields[k].kind != FieldKind::Ref)
            same = same && Access::values(*item.object)[k] == Access::values(*candidate.object)[k];
        if (same) mapping.set(ct.type, item.object->id(), candidate.object->id());
      }
    }
  }
}

uint32_t Store::storeImported(Object& object, bool replace) {
  const TypeDesc& t = Access::type(object);
  uint32_t existing = findKeyOf(object);
  if (existing && !replace) return existing;
  if (existing) {
    Access::id(object) = existing;
    Access::library(object) = m_owner.weak_from_this();
  }
  SaveArgs a;
  a.adopt = true;
  a.reuse = true;
  uint32_t id = saveImpl(object, &object, a);
  touched(t.type);
  return id;
}

// ---------------------------------------------------------------------------------------------
// Removing

std::string Store::referrer(uint32_t id, const std::set<uint32_t>& ignore) {
  for (const TypeDesc* t : TypeRegistry::get().all()) {
    if (t->abstract || !hasTable(*t)) continue;
    for (const FieldDesc& f : t->allFields) {
      if (f.kind != FieldKind::Ref) continue;
      Stmt s(*this, "SELECT id FROM " + tableName(*t) + " WHERE " + f.name + "=?");
      s.bind(1, static_cast<int64_t>(id));
      while (s.step()) {
        uint32_t by = static_cast<uint32_t>(s.int64(0));
        if (!ignore.count(by)) return std::string(t->name) + " " + std::to_string(by);
      }
    }
    for (const ListDesc& l : t->allLists) {
      if (l.kind != ListKind::Refs) continue;
      Stmt s(*this, "SELECT owner FROM " + listTable(*t, l) + " WHERE item=?");
      s.bind(1, static_cast<int64_t>(id));
      while (s.step()) {
        uint32_t by = static_cast<uint32_t>(s.int64(0));
        if (!ignore.count(by)) return std::string(t->name) + " " + std::to_string(by);
      }
    }
  }
  return std::string();
}

void Store::collectTree(uint32_t id, std::set<uint32_t>& ids, std::vector<uint32_t>* order) {
  if (!ids.insert(id).second) return;
  const TypeDesc* t = TypeRegistry::get().find(storedType(id));
  if (!t) return;
  for (const ListDesc& l : t->allLists) {
    if (l.kind != ListKind::Children) continue;
    for (const TypeDesc* c : typeDesc(l.itemType).concrete) {
      if (!hasTable(*c)) continue;
      std::vector<uint32_t> children;
      {
        Stmt s(*this, "SELECT id FROM " + tableName(*c) + " WHERE " +
                          c->allFields[c->ownerField].name + "=?");
        s.bind(1, static_cast<int64_t>(id));
        while (s.step())
          children.push_back(static_cast<uint32_t>(s.int64(0)));
      }
      for (uint32_t child : children)
        collectTree(child, ids, order);
    }
  }
  if (order) order->push_back(id);
}

void Store::removeTree(uint32_t id) {
  // Owned objects before their owner (post-order), as each child row refers to its owner.
  std::set<uint32_t> tree;
  std::vector<uint32_t> order;
  collectTree(id, tree, &order);
  for (uint32_t member : order) {
    ObjectType type = storedType(member);
    Stmt s(*this, "DELETE FROM objects WHERE id=?");
    s.bind(1, static_cast<int64_t>(member));
    s.step();
    m_ctx.removed.emplace_back(type, member);
  }
}

Library::RemoveResult Store::remove(const Object* object) {
  if (!object || object->id() == 0 || object->library().get() != &m_owner)
    return Library::kNotRemoved;
  std::map<ObjectKey, Library::RemoveResult> results;
  ObjectKey key = object->objectKey();
  remove(std::set<ObjectKey>{key}, results);
  Library::RemoveResult result = results[key];
  if (result == Library::kRemoved && object->id() != 0) {
    Object& o = const_cast<Object&>(*object);
    Access::id(o) = 0;
    Access::library(o).reset();
    for (ObjectReactor* r : Access::reactors(o))
      r->removed(&o);
  }
  return result;
}

void Store::remove(const std::set<ObjectKey>& keys,
                   std::map<ObjectKey, Library::RemoveResult>& out) {
  if (readOnly) throw Exception(utf8(location) + " is read-only");
  std::vector<ObjectKey> candidates;
  for (const ObjectKey& k : keys) {
    if (k.id == 0 || storedType(k.id) != k.type) {
      out[k] = Library::kNotRemoved;
      continue;
    }
    candidates.push_back(k);
  }
  if (std::shared_ptr<Library::Reactor> reactor = LibraryManager::instance().reactor()) {
    std::shared_ptr<const Library> self = m_owner.shared_from_this();
    std::vector<ObjectKey> asked;
    for (const ObjectKey& k : candidates) {
      if (reactor->onRemove(self, k) == kKeepObject)
        out[k] = Library::kKeptByReactor;
      else
        asked.push_back(k);
    }
    candidates.swap(asked);
  }
  Txn txn(*this);
  bool progress = true;
  while (progress && !candidates.empty()) {
    progress = false;
    for (auto it = candidates.begin(); it != candidates.end();) {
      std::set<uint32_t> tree;
      collectTree(it->id, tree);
      bool referenced = false;
      for (uint32_t member : tree)
        referenced = referenced || !referrer(member, tree).empty();
      if (referenced) {
        ++it;
        continue;
      }
      removeTree(it->id);
      out[*it] = Library::kRemoved;
      it = candidates.erase(it);
      progress = true;
    }
  }
  for (const ObjectKey& k : candidates)
    out[k] = Library::kStillReferenced;
  txn.commit();
}

void Store::copyAll(Library& source, IdMapping& mapping) {
  if (&source == &m_owner) throw Exception(utf8(location) + ": a library cannot copy itself");
  if (mapping.target() && mapping.target() != &m_owner)
    throw Exception(utf8(location) + ": the IdMapping was made for another library");
  mapping.bindSource(&source);
  Store& from = *source.m_store;
  inBulk([&] {
    for (const TypeDesc* t : TypeRegistry::get().all()) {
      if (t->abstract) continue;
      std::vector<KcSmartPtr<Object>> objects;
      from.getAll(t->type, nullptr, objects);
      for (const KcSmartPtr<Object>& o : objects) {
        if (&Access::type(*o) != t) continue;
        if (t->ownerField >= 0 && Access::values(*o)[t->ownerField].index() != 0) continue;
        SaveArgs a;
        a.mapping = &mapping;
        a.reuse = true;
        saveImpl(*o, nullptr, a);
      }
    }
    // Default units the target does not have yet.
    Stmt s(from, "SELECT measure, unit FROM default_units ORDER BY measure");
    while (s.step()) {
      uint32_t measure = mapping.get(static_cast<uint32_t>(s.int64(0)));
      uint32_t unitId = mapping.get(static_cast<uint32_t>(s.int64(1)));
      if (!measure || !unitId) continue;
      Stmt put(*this, "INSERT OR IGNORE INTO default_units(measure, unit) VALUES(?, ?)");
      put.bind(1, static_cast<int64_t>(measure));
      put.bind(2, static_cast<int64_t>(unitId));
      put.step();
    }
  });
}

// ---------------------------------------------------------------------------------------------
// Criteria

int Filter::column(const char* field) const {
  int i = m_type.fieldIndex(field);
  if (i < 0)
    throw Exception(std::string("criteria on ") + field + " do not apply to " + m_type.name);
  return i;
}

void Filter::add(const std::string& condition) {
  if (!where.empty()) where += " AND ";
  where += condition;
}

void Filter::text(const char* field, const StringCriteria& c) {
  int i = column(field);
  std::string col = m_type.allFields[i].name;
  switch (c.mode()) {
    case StringCriteria::kAny:
      break;
    case StringCriteria::kEqual:
      add(col + " = ?");
      binds.emplace_back(c.text());
      break;
    case StringCriteria::kBeginsWith:
      add("substr(" + col + ", 1, ?) = ?");
      binds.emplace_back(static_cast<int64_t>(c.text().getLength()));
      binds.emplace_back(c.text());
      break;
    case StringCriteria::kContains:
      add("instr(" + col + ", ?) > 0");
      binds.emplace_back(c.text());
      break;
    case StringCriteria::kEqualNoCase: {
      StringCriteria copy = c;
      predicates.push_back([i, copy](const Object& o) {
        const Value& v = Access::values(o)[i];
        const OdString* s = std::get_if<OdString>(&v);
        return copy.matches(s ? *s : OdString());
      });
      break;
    }
    default:
      never = true;
  }
}

void Filter::ref(const char* field, uint32_t id) {
  int i = column(field);
  if (!id) return;
  add(std::string(m_type.allFields[i].name) + " = ?");
  binds.emplace_back(static_cast<int64_t>(id));
}

void Filter::real(const char* field, double value, double tol) {
  std::string col = m_type.allFields[column(field)].name;
  add("abs(" + col + " - ?) <= ? * max(abs(" + col + "), abs(?))");
  binds.emplace_back(value);
  binds.emplace_back(tol);
  binds.emplace_back(value);
}

}  // namespace stocklib::detail

namespace stocklib {

bool StringCriteria::matches(const OdString& value) const {
  switch (m_mode) {
    case kAny:
      return true;
    case kEqual:
      return value == m_text;
    case kBeginsWith:
      return value.getLength() >= m_text.getLength() && value.left(m_text.getLength()) == m_text;
    case kContains:
      return value.find(m_text.c_str()) >= 0;
    case kEqualNoCase:
      return value.iCompare(m_text.c_str()) == 0;
    default:
      return false;
  }
}

void StringCriteria::apply(detail::Filter& filter) const {
  filter.text("name", *this);
}

void PropertySetCriteria::apply(detail::Filter& filter) const {
  filter.text("name", m_name);
  filter.ref("namespace", m_ns);
}

UnitCriteria::UnitCriteria(const Measure* measure, double factor)
    : m_measure(measure ? measure->id() : 0), m_factor(factor) {}

void UnitCriteria::apply(detail::Filter& filter) const {
  filter.ref("measure", m_measure);
  filter.real("factor", m_factor, 1e-9);
}

Key::~Key() = default;
bool Key::resolve(const Library&, std::vector<detail::Value>& out) const {
  values(out);
  return true;
}
ObjectType Key::objectType() const {
  return ObjectType::None;
}
Criteria::~Criteria() = default;

void NameKey::values(std::vector<detail::Value>& out) const {
  out.emplace_back(m_name);
}

void DefinitionKey::values(std::vector<detail::Value>& out) const {
  out.emplace_back(m_name);
  out.emplace_back(detail::Ref{m_ns, nullptr});
}

void NameTypeKey::values(std::vector<detail::Value>& out) const {
  out.emplace_back(m_name);
  out.emplace_back(static_cast<int64_t>(m_type));
}

}  // namespace stocklib

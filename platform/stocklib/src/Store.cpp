// The storage engine's frame: the connection's lifetime, failures, transactions and the
// events that follow a commit.
#include "StoreInternal.h"

namespace stocklib::detail {

double unitFactor(int32_t unit) {
  return unit == kLibraryUnitInch ? 25.4 : 1.0;
}

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

void Store::begin() {
  if (m_ctx.depth == 0) {
    if (m_readTxn) {  // a write inside a read scope: the scope reads again after it
      m_readTxn = false;
      exec("COMMIT");
    }
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
  forget(done);
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
// The cache's view of the file

bool Store::fileCounter(uint32_t& counter) const {
  // The header's change counter moves with every commit in rollback-journal mode; it is read
  // without a lock, as a hint only: a moved counter is confirmed by PRAGMA data_version.
  unsigned char h[28];
  if (!m_file || !m_file->pMethods || m_file->pMethods->xRead(m_file, h, sizeof h, 0) != SQLITE_OK)
    return false;
  if (h[18] == 2 || h[19] == 2) return false;  // write-ahead log: the counter stays
  counter = (uint32_t(h[24]) << 24) | (uint32_t(h[25]) << 16) | (uint32_t(h[26]) << 8) | h[27];
  return true;
}

int64_t Store::dataVersion() {
  Stmt s(*this, "PRAGMA data_version");
  return s.step() ? s.int64(0) : -1;
}

void Store::checkExternal() {
  if (m_checked) return;
  uint32_t counter = 0;
  bool known = fileCounter(counter);
  if (!known || !m_counterKnown || counter != m_counter) {
    holdRead();
    int64_t version = dataVersion();
    if (version != m_dataVersion) {
      m_objects.clear();
      m_dataVersion = version;
    }
  }
  m_counter = counter;
  m_counterKnown = known;
  m_checked = m_readDepth > 0;
}

void Store::holdRead() {
  if (m_readDepth == 0 || m_readTxn || m_ctx.depth > 0 || !sqlite3_get_autocommit(db)) return;
  Stmt begin(*this, "BEGIN");  // prepared once: a scope's cold lookup pays little more
  begin.step();
  m_readTxn = true;
}

void Store::enterRead() {
  ++m_readDepth;
}

void Store::leaveRead() {
  if (--m_readDepth > 0) return;
  m_checked = false;
  if (!m_readTxn) return;
  m_readTxn = false;
  try {
    Stmt commit(*this, "COMMIT");
    commit.step();
  } catch (const Exception&) {
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
  }
}

void Store::forget(const Ctx& ctx) {
  // A change of many objects forgets their types whole, rather than scanning the cache for each.
  constexpr std::size_t kExact = 32;
  if (ctx.saved.size() + ctx.removed.size() + ctx.stale.size() <= kExact) {
    for (const ObjectKey& k : ctx.saved)
      m_objects.dropId(k.id);
    for (const ObjectKey& k : ctx.removed)
      m_objects.dropId(k.id);
    for (uint32_t id : ctx.stale)
      m_objects.dropId(id);
    for (const auto& [type, key] : ctx.keys)
      m_objects.dropKey(*type, key);
    return;
  }
  std::set<ObjectType> types = ctx.modified;
  for (const ObjectKey& k : ctx.removed)
    types.insert(k.type);
  for (const TypeDesc* t : TypeRegistry::get().all()) {
    bool owns = false;
    for (const ListDesc& l : t->allLists)
      for (const TypeDesc* c : typeDesc(l.itemType).concrete)
        owns = owns || (l.kind == ListKind::Children && types.count(c->type));
    if (owns) types.insert(t->type);
  }
  for (ObjectType type : types)
    if (const TypeDesc* t = TypeRegistry::get().find(type)) m_objects.dropType(*t);
}

}  // namespace stocklib::detail

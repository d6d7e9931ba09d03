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

}  // namespace stocklib::detail

// The store's internals shared by its sources: cached statements, write transactions and the
// small helpers every section uses.
#pragma once

#include "Store.h"

namespace stocklib::detail {

inline std::string utf8(const OdString& s) {
  return s.toUtf8();
}

inline OdString describe(const TypeDesc& t, uint32_t id) {
  return OdString::formatted(L"%ls %u", OdString(t.name).c_str(), id);
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

}  // namespace stocklib::detail

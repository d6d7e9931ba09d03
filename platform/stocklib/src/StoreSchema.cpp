// Opening a library file and keeping its schema: tables from the type descriptions, settings and
// default units.
#include "StoreInternal.h"

#include <sys/stat.h>
#include <unistd.h>

#include "Consistency.h"
#include "stocklib/MemFs.h"
#include "stocklib/Objects.h"

namespace stocklib::detail {

namespace {
constexpr int kSchemaVersion = kLibrarySchemaVersion;
constexpr int kApplicationId = 0x534C4942;  // "SLIB"
const char kMemPrefix[] = "memvfs://";

/// columnDef: the column of a field, as CREATE TABLE and ALTER TABLE write it.
std::string columnDef(const FieldDesc& f) {
  std::string sql = f.name;
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
  return sql;
}

std::string refIndex(const std::string& table, const FieldDesc& f) {
  return "CREATE INDEX " + table + "_" + f.name + " ON " + table + "(" + f.name + ")";
}
}  // namespace

// Version 2: I-shaped profiles gain flange_slope (absent, that is parallel, on older rows).
void Store::migrateTo2() {
  addColumns([](const FieldDesc& f) { return f.since == 2; });
}

void Store::addColumns(const std::function<bool(const FieldDesc&)>& wanted) {
  std::map<std::string, std::set<std::string>> columns = tableColumns(db);
  for (const TypeDesc* t : TypeRegistry::get().all()) {
    if (t->abstract) continue;
    std::string table = tableName(*t);
    auto have = columns.find(table);
    if (have == columns.end()) continue;  // made whole by ensureTables
    for (const FieldDesc& f : t->allFields) {
      if (!wanted(f) || have->second.count(f.name)) continue;
      if (f.required)
        throw Exception(std::string("a required column cannot be added: ") + table + "." + f.name);
      exec(("ALTER TABLE " + table + " ADD COLUMN " + columnDef(f)).c_str());
      if (f.kind == FieldKind::Ref || f.kind == FieldKind::Owner) exec(refIndex(table, f).c_str());
    }
  }
}

void Store::upgrade(int from) {
  // The migrations, in order: steps[i] brings a file from version i + 1 to i + 2. Each runs
  // inside the one transaction of the upgrade; a new schema version is one more entry.
  // Plain function pointers: gcc 12's bounds sanitizer misreads an array of member pointers.
  using Migration = void (*)(Store&);
  static const Migration steps[] = {[](Store& s) { s.migrateTo2(); }};
  static_assert(std::size(steps) == kSchemaVersion - 1, "one migration per schema version");
  Txn txn(*this);
  for (int v = from; v < kSchemaVersion; ++v)
    steps[v - 1](*this);
  exec(("PRAGMA user_version=" + std::to_string(kSchemaVersion)).c_str());
  txn.commit();
}

ErrorCode Store::open(const OdString& loc, bool ro, bool create, LibraryUnit newUnit,
                      const OdString& name, OdString& error) {
  location = loc;
  std::string path;
  const char* vfs = nullptr;
  bool exists = false;
  bool mem = loc.getLength() >= 9 && loc.left(9) == OdString(kMemPrefix);
  if (mem) {
    if (!memvfs_registered()) {
      error = L"the in-memory file system is not registered";
      return ErrorCode::kNoLocation;
    }
    OdString memName = loc.mid(9);
    if (memName.isEmpty()) {
      error = L"an in-memory location needs a file name";
      return ErrorCode::kNoLocation;
    }
    auto file = MemFs::instance().open(memName, create && !ro);
    exists = file && file->size() > 0;
    if (!file) {
      error = OdString(L"no in-memory file ") + memName;
      return ErrorCode::kNotFound;
    }
    if (!exists && (!create || ro)) {
      error = OdString(L"the in-memory file ") + memName + L" is empty";
      return ErrorCode::kNotFound;
    }
    path = utf8(memName);
    vfs = "memvfs";
  } else {
    path = utf8(loc);
    struct stat st;
    exists = ::stat(path.c_str(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode)) {
      error = loc + L" is not a file";
      return ErrorCode::kNotALibrary;
    }
    if (exists && st.st_size == 0) exists = false;
    if (!exists && (!create || ro)) {
      error = OdString(L"no library file ") + loc;
      return ErrorCode::kNotFound;
    }
    std::string dir = path.substr(0, path.find_last_of('/') + 1);
    if (dir.empty()) dir = ".";
    if (::access(dir.c_str(), W_OK) != 0 ||
        (::access(path.c_str(), F_OK) == 0 && ::access(path.c_str(), W_OK) != 0)) {
      if (!exists) {
        error = loc + L": the folder is not writable";
        return ErrorCode::kNotWritable;
      }
      ro = true;
    }
  }
  readOnly = ro;
  int flags = ro ? SQLITE_OPEN_READONLY : (SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
  int rc = sqlite3_open_v2(path.c_str(), &db, flags | SQLITE_OPEN_NOMUTEX, vfs);
  if (rc != SQLITE_OK) {
    error = loc + L": " + OdString(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
    return ErrorCode::kDamaged;
  }
  sqlite3_extended_result_codes(db, 1);
  std::string unsafe;
  if (!harden(db, unsafe)) {
    error = loc + L": " + OdString::fromUtf8(unsafe);
    return ErrorCode::kDamaged;
  }
  sqlite3_busy_timeout(db, 5000);  // another process's write transaction: wait, then fail
  try {
    exec("PRAGMA foreign_keys=ON");
    exec("PRAGMA cache_size=-32000");
    if (!ro) exec(mem ? "PRAGMA journal_mode=MEMORY" : "PRAGMA journal_mode=DELETE");
    int appId = 0, version = 0;
    if (exists) {
      {
        Stmt s(*this, "PRAGMA application_id");
        if (s.step()) appId = static_cast<int>(s.int64(0));
      }
      {
        Stmt s(*this, "PRAGMA user_version");
        if (s.step()) version = static_cast<int>(s.int64(0));
      }
      // A file whose making failed holds an empty database once its journal is rolled back: it
      // is no library yet, as an empty file is.
      Stmt s(*this, "SELECT count(*) FROM sqlite_master");
      if (appId == 0 && version == 0 && s.step() && s.int64(0) == 0) exists = false;
      if (!exists && (!create || ro)) {
        error = OdString(L"no library file ") + loc;
        return ErrorCode::kNotFound;
      }
    }
    if (!exists) {
      createSchema(newUnit, name);
      isNew = true;
    } else {
      if (appId != kApplicationId) {
        error = loc + L" is not a library file";
        return ErrorCode::kNotALibrary;
      }
      if (version > kSchemaVersion || version < 1) {
        error = OdString::formatted(L"%ls has schema version %d; this program reads 1 to %d",
                                    loc.c_str(), version, kSchemaVersion);
        return ErrorCode::kUnknownVersion;
      }
      // Triggers and views would run or answer in the store's name: a file holding anything
      // the store does not make is refused, naming it.
      std::vector<std::string> foreign = foreignSchema(db);
      if (!foreign.empty()) {
        std::string items;
        for (const std::string& item : foreign)
          items += (items.empty() ? "" : ", ") + item;
        error = loc + L" holds what a library does not: " + OdString::fromUtf8(items);
        return ErrorCode::kNotALibrary;
      }
      std::string answer;
      {
        Stmt check(*this, "PRAGMA quick_check(1)");
        if (check.step()) {
          const unsigned char* t = sqlite3_column_text(check.get(), 0);
          answer = t ? reinterpret_cast<const char*>(t) : "";
        }
      }
      if (answer != "ok") {
        error = loc + L" is damaged: " + OdString::fromUtf8(answer);
        return ErrorCode::kDamaged;
      }
      if (version < kSchemaVersion && !ro) {
        try {
          upgrade(version);
        } catch (const Exception& e) {
          error = OdString::formatted(L"%ls: the upgrade from schema version %d to %d failed: ",
                                      loc.c_str(), version, kSchemaVersion) +
                  OdString(e.what());
          return ErrorCode::kUpgradeFailed;
        }
        version = kSchemaVersion;
      }
    }
    schemaVersion = exists ? version : kSchemaVersion;
    ensureTables();
    if (sqlite3_file_control(db, "main", SQLITE_FCNTL_FILE_POINTER, &m_file) != SQLITE_OK)
      m_file = nullptr;
    m_dataVersion = dataVersion();
    OdString u = meta("unit");
    unit = u == L"0" ? kLibraryUnitInch : kLibraryUnitMillimeter;
  } catch (const Exception& e) {
    error = OdString(e.what());
    return ErrorCode::kDamaged;
  }
  return ErrorCode::kNone;
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
  std::map<std::string, std::set<std::string>> existing = tableColumns(db);
  std::vector<std::string> ddl;
  for (const TypeDesc* t : TypeRegistry::get().all()) {
    if (t->abstract) continue;
    std::string table = tableName(*t);
    auto have = existing.find(table);
    if (have != existing.end()) {
      m_tables.insert(t);
      for (std::size_t i = 0; i < t->allFields.size(); ++i) {
        const FieldDesc& f = t->allFields[i];
        if (have->second.count(f.name)) continue;
        // A column the file lacks (it predates its field): read as absent; a writable file
        // gets it, as its version's migration would have given it.
        if (readOnly || f.required) {
          m_absent.insert({t, i});
          continue;
        }
        ddl.push_back("ALTER TABLE " + table + " ADD COLUMN " + columnDef(f));
        if (f.kind == FieldKind::Ref || f.kind == FieldKind::Owner)
          ddl.push_back(refIndex(table, f));
      }
      continue;
    }
    std::string sql = "CREATE TABLE " + table +
                      "(id INTEGER PRIMARY KEY REFERENCES objects(id) ON DELETE CASCADE";
    for (const FieldDesc& f : t->allFields)
      sql += ", " + columnDef(f);
    ddl.push_back(sql + ")");
    if (!t->keyFields.empty()) {
      std::string idx = "CREATE UNIQUE INDEX " + table + "_key ON " + table + "(";
      for (std::size_t i = 0; i < t->keyFields.size(); ++i)
        idx += std::string(i ? "," : "") + t->allFields[t->keyFields[i]].name;
      ddl.push_back(idx + ")");
    }
    for (const FieldDesc& f : t->allFields)
      if (f.kind == FieldKind::Ref || f.kind == FieldKind::Owner) ddl.push_back(refIndex(table, f));
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

}  // namespace stocklib::detail

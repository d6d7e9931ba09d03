// Hardening of connections to untrusted files, the schema census, the consistency check and the
// checks on rows before they are stored.
#include "Consistency.h"

#include <cmath>
#include <set>

#include "stocklib/Types.h"

namespace stocklib::detail {

namespace {
const char* const kOwnTables[] = {"library_meta", "objects", "default_units", "sqlite_sequence"};

// Runs `sql` and hands each row's columns, as text, to `row`; false with the error in `error`.
template <class F>
[[nodiscard]] bool eachRow(sqlite3* db, const std::string& sql, std::string& error, F row) {
  sqlite3_stmt* s = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr) != SQLITE_OK) {
    error = sqlite3_errmsg(db);
    sqlite3_finalize(s);
    return false;
  }
  int rc;
  std::vector<std::string> cols;
  while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
    cols.clear();
    for (int c = 0; c < sqlite3_column_count(s); ++c) {
      const unsigned char* t = sqlite3_column_text(s, c);
      cols.emplace_back(t ? reinterpret_cast<const char*>(t) : "NULL");
    }
    row(cols);
  }
  if (rc != SQLITE_DONE) error = sqlite3_errmsg(db);
  sqlite3_finalize(s);
  return rc == SQLITE_DONE;
}

std::set<std::string> ownTables() {
  std::set<std::string> names(std::begin(kOwnTables), std::end(kOwnTables));
  for (const TypeDesc* t : TypeRegistry::get().all()) {
    if (t->abstract) continue;
    names.insert(std::string("o_") + t->name);
    for (const ListDesc& l : t->allLists)
      if (l.kind == ListKind::Refs) names.insert(std::string("l_") + t->name + "_" + l.name);
  }
  return names;
}

bool hasDelimiter(const Value& v) {
  const OdString* s = std::get_if<OdString>(&v);
  return s && s->find(L'~') >= 0;
}
}  // namespace

bool harden(sqlite3* db, std::string& error) {
  struct {
    int op, value;
    const char* name;
  } settings[] = {{SQLITE_DBCONFIG_DEFENSIVE, 1, "defensive mode"},
                  {SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, "disabling triggers"},
                  {SQLITE_DBCONFIG_ENABLE_VIEW, 0, "disabling views"},
                  {SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, "an untrusted schema"}};
  for (const auto& s : settings) {
    if (sqlite3_db_config(db, s.op, s.value, nullptr) != SQLITE_OK) {
      error = std::string(s.name) + ": " + sqlite3_errmsg(db);
      return false;
    }
  }
  if (sqlite3_exec(db, "PRAGMA cell_size_check=ON", nullptr, nullptr, nullptr) != SQLITE_OK) {
    error = std::string("cell size checks: ") + sqlite3_errmsg(db);
    return false;
  }
  return true;
}

std::vector<std::string> foreignSchema(sqlite3* db) {
  std::vector<std::string> out;
  std::set<std::string> own = ownTables();
  std::string error;
  bool ok = eachRow(db, "SELECT type, name, tbl_name FROM sqlite_master ORDER BY rowid", error,
                    [&](const std::vector<std::string>& c) {
                      if (c[0] == "table" && own.count(c[1])) return;
                      if (c[0] == "index" && own.count(c[2])) return;
                      out.push_back(c[0] + " " + c[1]);
                    });
  if (!ok) out.push_back("the schema cannot be read: " + error);
  return out;
}

std::map<std::string, std::set<std::string>> tableColumns(sqlite3* db) {
  std::map<std::string, std::set<std::string>> out;
  std::string error;
  (void)eachRow(db,
                "SELECT m.name, c.name FROM sqlite_master m, pragma_table_info(m.name) c WHERE "
                "m.type='table'",
                error, [&](const std::vector<std::string>& c) { out[c[0]].insert(c[1]); });
  return out;
}

std::vector<std::string> consistencyProblems(
    sqlite3* db, std::size_t limit, const std::function<void(std::size_t, std::size_t)>& progress) {
  std::vector<std::string> out;
  std::string error;
  // Steps: the reference check, one per concrete type, the census of unknown types.
  std::size_t steps = 2, done = 0;
  for (const TypeDesc* t : TypeRegistry::get().all())
    steps += !t->abstract;
  auto step = [&] {
    if (progress) progress(done, steps);
    ++done;
  };
  step();
  auto report = [&](const std::string& what) {
    if (out.size() < limit) out.push_back(what);
  };
  auto run = [&](const std::string& sql, auto row) {
    if (out.size() >= limit) return;
    if (!eachRow(db, sql, error, row)) report("query failed (" + sql + "): " + error);
  };
  run("PRAGMA foreign_key_check", [&](const std::vector<std::string>& c) {
    report("dangling reference: " + c[0] + " row " + c[1] + " refers to a missing " + c[2] +
           " row");
  });
  step();
  std::map<std::string, std::set<std::string>> tables = tableColumns(db);
  std::string known;
  for (const TypeDesc* t : TypeRegistry::get().all()) {
    if (t->abstract) continue;
    std::string number = std::to_string(static_cast<int>(t->type));
    known += (known.empty() ? "" : ",") + number;
    std::string table = std::string("o_") + t->name;
    if (!tables.count(table)) {
      run("SELECT count(*) FROM objects WHERE type=" + number,
          [&](const std::vector<std::string>& c) {
            if (c[0] != "0") report(c[0] + " " + t->name + " without their data");
          });
      step();
      continue;
    }
    run("SELECT count(*) FROM objects o WHERE o.type=" + number +
            " AND NOT EXISTS (SELECT 1 FROM " + table + " d WHERE d.id=o.id)",
        [&](const std::vector<std::string>& c) {
          if (c[0] != "0") report(c[0] + " " + t->name + " without their data");
        });
    run("SELECT count(*) FROM " + table +
            " d WHERE NOT EXISTS (SELECT 1 FROM objects o WHERE o.id=d.id AND o.type=" + number +
            ")",
        [&](const std::vector<std::string>& c) {
          if (c[0] != "0") report(c[0] + " " + t->name + " rows of no object of that type");
        });
    for (const FieldDesc& f : t->allFields) {
      if (f.kind != FieldKind::Real && f.kind != FieldKind::Length) continue;
      if (!tables[table].count(f.name)) continue;  // an older file's: absent everywhere
      // Infinities read back as such; NaN is stored as NULL and cannot arise.
      run(std::string("SELECT id FROM ") + table + " WHERE abs(" + f.name +
              ") > 1.7976931348623157e308",
          [&](const std::vector<std::string>& c) {
            report(std::string(t->name) + " " + c[0] + ": field " + f.name + " is not finite");
          });
    }
    step();
  }
  run("SELECT type, count(*) FROM objects WHERE type NOT IN (" + known + ") GROUP BY type",
      [&](const std::vector<std::string>& c) {
        report(c[1] + " objects of unknown type " + c[0]);
      });
  step();
  return out;
}

void checkRow(const TypeDesc& t, const std::vector<Value>& row, uint32_t id) {
  int name = t.fieldIndex("name");
  const OdString* text = name < 0 ? nullptr : std::get_if<OdString>(&row[name]);
  std::string what = std::string(t.name) + (text ? " \"" + text->toUtf8() + "\""
                                            : id ? " " + std::to_string(id)
                                                 : "");
  for (std::size_t i = 0; i < t.allFields.size(); ++i) {
    const FieldDesc& f = t.allFields[i];
    if ((f.kind == FieldKind::Real || f.kind == FieldKind::Length) &&
        std::holds_alternative<double>(row[i]) && !std::isfinite(std::get<double>(row[i])))
      throw ConsistencyError(what + ": field " + f.name + " is not a finite number");
  }
  if (name < 0 || !hasDelimiter(row[name])) return;
  if (t.type == ObjectType::PropertyNamespace)
    throw ConsistencyError(what + ": a namespace name may not hold \"~\"");
  int ns = t.isA(ObjectType::AbstractDefinition) ? t.fieldIndex("namespace") : -1;
  if (ns >= 0 && row[ns].index() == 0)
    throw ConsistencyError(what +
                           ": the name of a definition without a namespace may not hold \"~\"");
}

}  // namespace stocklib::detail

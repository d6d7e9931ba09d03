// Defences against library files the store did not write: a hardened connection, the schema
// items it does not know, the checks that prove a file consistent, and the checks on the values
// and names a save is about to store.
#pragma once

#include <sqlite3.h>

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "Schema.h"

namespace stocklib::detail {

/// harden: sets a fresh connection up for a file from anyone: defensive mode (no writes to the
/// schema or to pages by hand), triggers and views off, untrusted schema, cell size checks.
/// false with `error` set when SQLite refuses a setting.
[[nodiscard]] bool harden(sqlite3* db, std::string& error);

/// foreignSchema: the triggers, views, tables and indexes of the file that the store does not
/// make, named ("trigger t", "view v", "table x"); empty for a file of our own. Throws nothing;
/// a failed query is itself reported as an item.
std::vector<std::string> foreignSchema(sqlite3* db);

/// tableColumns: the column names of every table of the file, by table. Throws nothing; a
/// failed query answers what was read before it.
std::map<std::string, std::set<std::string>> tableColumns(sqlite3* db);

/// consistencyProblems: one line per problem found (at most `limit`): dangling references,
/// objects without their data, data without its object, objects of unknown types, and lengths
/// or reals that are not finite. Empty for a consistent file. `progress` (may be empty) is told
/// of each stored type checked, and of the checks before and after them.
std::vector<std::string> consistencyProblems(
    sqlite3* db, std::size_t limit, const std::function<void(std::size_t, std::size_t)>& progress);

/// checkRow: refuses (ConsistencyError, naming the object of `id` and the field) a row that a save
/// is about to store with a real or length that is not finite, a namespace whose name holds the key
/// delimiter, or a definition without a namespace whose name holds it: such keys would not
/// read back as themselves.
void checkRow(const TypeDesc& t, const std::vector<Value>& row, uint32_t id);

}  // namespace stocklib::detail

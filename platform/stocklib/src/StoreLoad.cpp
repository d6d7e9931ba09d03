// Loading objects: rows into objects (with their lists and children), by id and by criteria.
#include "StoreInternal.h"

#include <algorithm>

namespace stocklib::detail {

const std::string& Store::selectColumns(const TypeDesc& t) {
  std::string& s = m_columns[&t];
  if (s.empty()) {
    s = "SELECT id";
    for (std::size_t i = 0; i < t.allFields.size(); ++i)
      s += std::string(", ") + (hasColumn(t, i) ? t.allFields[i].name : "NULL");
    s += " FROM " + tableName(t);
  }
  return s;
}

KcSmartPtr<Object> Store::materialize(const TypeDesc& t, sqlite3_stmt* s, bool keep) {
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
  if (!t.allLists.empty()) loadLists(*o, keep);
  SessionAccess::put(&m_owner, o.get());
  if (keep) remember(*o);
  return o;
}

void Store::loadLists(Object& o, bool keep) {
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
        KcSmartPtr<Object> child = materialize(*c, s.get(), keep);
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

KcSmartPtr<Object> Store::loadConcrete(const TypeDesc& t, uint32_t id, bool keep) {
  if (!hasTable(t)) return KcSmartPtr<Object>();
  Stmt s(*this, selectColumns(t) + " WHERE id=?");
  s.bind(1, static_cast<int64_t>(id));
  if (!s.step()) return KcSmartPtr<Object>();
  return materialize(t, s.get(), keep);
}

KcSmartPtr<Object> Store::getById(ObjectType base, uint32_t id) {
  if (id == 0) return KcSmartPtr<Object>();
  if (KcSmartPtr<Object> known = SessionAccess::find(&m_owner, id))
    return Access::type(*known).isA(base) ? known : KcSmartPtr<Object>();
  bool keep = cacheable();
  if (keep) {
    checkExternal();
    if (const ObjectCache::Row* row = m_objects.row(id)) {
      ++m_objects.hits;
      if (!row->type || !row->type->isA(base)) return KcSmartPtr<Object>();
      return fromRow(*row, id);
    }
    ++m_objects.misses;
    holdRead();
  }
  const TypeDesc* b = base == ObjectType::None ? nullptr : TypeRegistry::get().find(base);
  if (b && !b->abstract && b->concrete.size() == 1) return loadConcrete(*b, id, keep);
  ObjectType stored = storedType(id);
  const TypeDesc* t = TypeRegistry::get().find(stored);
  if (!t && stored == ObjectType::None && keep) m_objects.putRow(id, ObjectCache::Row());
  if (!t || !t->isA(base)) return KcSmartPtr<Object>();
  return loadConcrete(*t, id, keep);
}

// ---------------------------------------------------------------------------------------------
// The cache

void Store::remember(const Object& o) {
  const TypeDesc& t = Access::type(o);
  ObjectCache::Row row;
  row.type = &t;
  row.values = Access::values(o);
  for (Value& v : row.values)
    if (Ref* r = std::get_if<Ref>(&v)) r->object = nullptr;
  row.lists.resize(t.allLists.size());
  for (std::size_t li = 0; li < t.allLists.size(); ++li)
    for (const Ref& item : Access::lists(o)[li])
      row.lists[li].push_back(item.id);
  m_objects.putRow(o.id(), std::move(row));
}

KcSmartPtr<Object> Store::fromRow(const ObjectCache::Row& row, uint32_t id) {
  const TypeDesc& t = *row.type;
  KcSmartPtr<Object> o(static_cast<Object*>(t.make().detach()), kOdRxObjAttach);
  Access::values(*o) = row.values;
  Access::id(*o) = id;
  Access::library(*o) = m_owner.weak_from_this();
  if (!t.allLists.empty()) {
    // Loading a child may push this row out of the cache: its lists are copied first.
    std::vector<std::vector<uint32_t>> lists = row.lists;
    auto& mine = Access::lists(*o);
    for (std::size_t li = 0; li < t.allLists.size(); ++li) {
      const ListDesc& l = t.allLists[li];
      for (uint32_t item : lists[li]) {
        if (l.kind == ListKind::Refs) {
          mine[li].push_back(Ref{item, nullptr});
        } else if (KcSmartPtr<Object> child = getById(l.itemType, item)) {
          mine[li].push_back(Ref{item, child});
        }
      }
    }
  }
  SessionAccess::put(&m_owner, o.get());
  return o;
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

}  // namespace stocklib::detail

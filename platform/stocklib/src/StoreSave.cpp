// Saving and copying objects: rows from objects, references resolved or copied across libraries,
// lists and children written in order.
#include "StoreInternal.h"

#include <limits>

#include "Consistency.h"

namespace stocklib::detail {

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
                           const Object& from, const char* field, IdMapping* mapping, bool adopt,
                           bool cascade) {
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
    throw ConsistencyError(
        describe(Access::type(from), from.id()) + L" \"" + OdString::fromUtf8(field) +
        OdString::formatted(L"\" refers to id %u, which is missing from ", ref.id) +
        holder->filename() + L": nothing was copied");
  SaveArgs a;
  a.mapping = mapping;
  a.reuse = true;
  return saveImpl(*r, nullptr, a);
}

uint32_t Store::saveImpl(const Object& o, Object* self, SaveArgs args) {
  const TypeDesc& t = Access::type(o);
  Saving sv{o, t, o.library()};
  sv.own = o.id() != 0 && sv.src.get() == &m_owner;
  sv.unsaved = o.id() == 0;
  if (!sv.own && !sv.unsaved && !sv.src)
    throw ConsistencyError(describe(t, o.id()) + L" belongs to a library that is closed");
  sv.copying = !sv.own && !sv.unsaved;
  IdMapping local(&m_owner);
  sv.mapping = args.mapping;
  if (sv.copying) {
    if (!sv.mapping) sv.mapping = &local;
    sv.mapping->bindSource(sv.src.get());
    uint32_t known = sv.mapping->get(t.type, o.id());
    if (known && storedType(known) == t.type) return known;
  }
  sv.self = args.adopt && !sv.copying ? self : nullptr;
  if (!sv.copying) sv.src.reset();
  std::vector<Value> row = buildRow(sv, args);
  if (uint32_t existing = sameKey(sv, args, row)) return existing;
  checkRow(sv.type, row, sv.object.id());
  uint32_t id = writeRow(sv, row);
  if (sv.self) adoptSaved(sv, args, id);
  m_ctx.keys.emplace_back(&t, std::vector<Value>());
  keyValues(t, row, m_ctx.keys.back().second);
  if (t.ownerField >= 0)
    if (const int64_t* owner = std::get_if<int64_t>(&row[t.ownerField]))
      m_ctx.stale.push_back(static_cast<uint32_t>(*owner));
  writeLists(o, sv.self, id, sv.src, sv.copying ? sv.mapping : args.mapping,
             args.adopt && !sv.copying, sv.own, row);
  m_ctx.saved.emplace_back(t.type, id);
  m_ctx.modified.insert(t.type);
  return id;
}

std::vector<Value> Store::buildRow(const Saving& sv, const SaveArgs& args) {
  const TypeDesc& t = sv.type;
  const std::vector<Value>& values = Access::values(sv.object);
  std::vector<Value> row(t.allFields.size());
  double lf = sv.copying ? lengthFactor(sv.src) : 1.0;
  for (std::size_t i = 0; i < t.allFields.size(); ++i) {
    const FieldDesc& f = t.allFields[i];
    const Value& v = values[i];
    switch (f.kind) {
      case FieldKind::Ref: {
        if (args.sync && static_cast<int>(i) == args.syncField) {
          row[i] = *args.sync;
        } else {
          const Ref* r = std::get_if<Ref>(&v);
          uint32_t rid =
              r ? resolveRef(*r, sv.src, sv.object, f.name, sv.copying ? sv.mapping : args.mapping,
                             args.adopt && !sv.copying, f.cascade)
                : 0;
          row[i] = rid ? Value(Ref{rid, nullptr}) : Value();
          if (sv.self && r) {
            Ref& mine = std::get<Ref>(Access::values(*sv.self)[i]);
            mine.id = rid;
            if (mine.object && mine.object->id() != rid) mine.object = nullptr;
          }
        }
        break;
      }
      case FieldKind::Owner:
        row[i] = args.owner ? Value(static_cast<int64_t>(args.owner)) : (sv.copying ? Value() : v);
        break;
      case FieldKind::Position:
        row[i] = args.position >= 0 ? Value(args.position) : (sv.copying ? Value() : v);
        break;
      case FieldKind::Length:
        row[i] = std::holds_alternative<double>(v) ? Value(std::get<double>(v) * lf) : v;
        break;
      default:
        row[i] = v;
    }
    if (f.required && row[i].index() == 0)
      throw ConsistencyError(describe(t, sv.object.id()) + L": field " + OdString(f.name) +
                             L" has no value");
  }
  return row;
}

uint32_t Store::sameKey(const Saving& sv, const SaveArgs& args, const std::vector<Value>& row) {
  const TypeDesc& t = sv.type;
  std::vector<Value> key;
  keyValues(t, row, key);
  uint32_t existing = findKey(t, key, sv.own ? sv.object.id() : 0);
  if (!existing) return 0;
  if (args.reuse && (sv.copying || sv.unsaved)) {
    if (sv.copying) {
      sv.mapping->set(t.type, sv.object.id(), existing);
      mapChildrenByKey(sv.object, existing, *sv.mapping);
    }
    return existing;
  }
  OdString name;
  for (const Value& k : key)
    if (auto* s = std::get_if<OdString>(&k)) name = *s;
  throw ObjectNotUnique(OdString(t.name) + L" \"" + name + L"\" already exists as id " +
                        OdString::formatted(L"%u", existing) + L" in " + location);
}

uint32_t Store::writeRow(const Saving& sv, const std::vector<Value>& row) {
  const TypeDesc& t = sv.type;
  if (sv.own) {
    uint32_t id = sv.object.id();
    std::string sql = "UPDATE " + tableName(t) + " SET ";
    for (std::size_t i = 0; i < t.allFields.size(); ++i)
      sql += std::string(i ? ", " : "") + t.allFields[i].name + "=?";
    Stmt s(*this, sql + " WHERE id=?");
    for (std::size_t i = 0; i < row.size(); ++i)
      s.bind(static_cast<int>(i) + 1, row[i]);
    s.bind(static_cast<int>(row.size()) + 1, static_cast<int64_t>(id));
    s.step();
    return id;
  }
  {
    Stmt s(*this, "INSERT INTO objects(type) VALUES(?)");
    s.bind(1, static_cast<int64_t>(t.type));
    s.step();
  }
  sqlite3_int64 newId = sqlite3_last_insert_rowid(db);
  if (newId <= 0 || newId > std::numeric_limits<uint32_t>::max())
    throw Exception(utf8(location) + ": the library has run out of object ids");
  uint32_t id = static_cast<uint32_t>(newId);
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
  if (sv.copying) sv.mapping->set(t.type, sv.object.id(), id);
  return id;
}

void Store::adoptSaved(const Saving& sv, const SaveArgs& args, uint32_t id) {
  const TypeDesc& t = sv.type;
  Object* selfObj = sv.self;
  std::vector<Value>& mine = Access::values(*selfObj);
  if (t.ownerField >= 0 && args.owner) mine[t.ownerField] = static_cast<int64_t>(args.owner);
  if (t.positionField >= 0 && args.position >= 0) mine[t.positionField] = args.position;
  // The owner's reference is copied to its parts; an owner without one (a property set in no
  // namespace) leaves them without one too.
  if (args.sync && args.syncField >= 0) {
    if (const Ref* from = std::get_if<Ref>(args.sync)) {
      Ref& r = std::get<Ref>(mine[args.syncField] = Ref());
      r = *from;
    } else {
      mine[args.syncField] = *args.sync;
    }
  }
  if (sv.unsaved) {
    m_ctx.adopted.push_back({KcSmartPtr<Object>(selfObj), 0, Access::library(*selfObj)});
    Access::id(*selfObj) = id;
    Access::library(*selfObj) = m_owner.weak_from_this();
    SessionAccess::put(&m_owner, selfObj);
  }
  m_ctx.savedObjects.emplace_back(selfObj);
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
        uint32_t rid = resolveRef(items[k], src, o, l.name, mapping, adopt, false);
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

}  // namespace stocklib::detail

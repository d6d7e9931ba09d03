// Removing objects: the tree an object owns, who still refers to it, and the events that follow.
#include "StoreInternal.h"

namespace stocklib::detail {

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
  // An owned object removed alone changes its owner's list.
  if (const TypeDesc* t = TypeRegistry::get().find(storedType(id)); t && t->ownerField >= 0) {
    Stmt s(*this, "SELECT " + std::string(t->allFields[t->ownerField].name) + " FROM " +
                      tableName(*t) + " WHERE id=?");
    s.bind(1, static_cast<int64_t>(id));
    if (s.step()) m_ctx.stale.push_back(static_cast<uint32_t>(s.int64(0)));
  }
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

}  // namespace stocklib::detail

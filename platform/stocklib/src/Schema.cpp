// The type registry: derives inherited fields, keys and dependency order from the type tables.
#include "Schema.h"

#include <cstring>
#include <functional>
#include <set>
#include <string>

namespace stocklib::detail {

bool TypeDesc::isA(ObjectType base) const {
  if (base == ObjectType::None) return true;
  for (const TypeDesc* t = this; t; t = t->parentDesc)
    if (t->type == base) return true;
  return false;
}

int TypeDesc::fieldIndex(const char* fieldName) const {
  for (std::size_t i = 0; i < allFields.size(); ++i)
    if (std::strcmp(allFields[i].name, fieldName) == 0) return static_cast<int>(i);
  return -1;
}

namespace {
std::vector<TypeDesc>& storage() {
  static std::vector<TypeDesc> types = [] {
    std::vector<TypeDesc> t;
    addPropertyTypes(t);
    addMaterialTypes(t);
    addProfileTypes(t);
    return t;
  }();
  return types;
}
}  // namespace

TypeRegistry::TypeRegistry() {
  std::vector<TypeDesc>& types = storage();
  for (TypeDesc& t : types)
    m_types.push_back(&t);
  // Parents first: inherit fields and lists.
  std::set<const TypeDesc*> derived;
  std::function<void(TypeDesc&)> derive = [&](TypeDesc& t) {
    if (!derived.insert(&t).second) return;
    if (t.parent != ObjectType::None) {
      TypeDesc* p = nullptr;
      for (TypeDesc* c : m_types)
        if (c->type == t.parent) p = c;
      if (!p) throw Exception(std::string("type ") + t.name + " has an unknown parent");
      derive(*p);
      t.parentDesc = p;
      t.allFields = p->allFields;
      t.allLists = p->allLists;
    }
    t.allFields.insert(t.allFields.end(), t.fields.begin(), t.fields.end());
    t.allLists.insert(t.allLists.end(), t.lists.begin(), t.lists.end());
  };
  for (TypeDesc* t : m_types)
    derive(*t);
  for (TypeDesc* t : m_types) {
    if (t->key.empty() && t->parentDesc) t->key = t->parentDesc->key;
    for (const char* k : t->key) {
      int i = t->fieldIndex(k);
      if (i < 0) throw Exception(std::string("type ") + t->name + " has no key field " + k);
      t->keyFields.push_back(i);
    }
    // The class's named indexes (its struct F) must name these fields in this order.
    bool named = t->fieldNameCount == t->allFields.size();
    for (std::size_t i = 0; named && i < t->fieldNameCount; ++i)
      named = std::string(t->fieldNames[i]) == t->allFields[i].name;
    if (!named)
      throw Exception(std::string("the named field indexes of ") + t->name +
                      " do not match its description");
    for (std::size_t i = 0; i < t->allFields.size(); ++i) {
      if (t->allFields[i].kind == FieldKind::Owner) t->ownerField = static_cast<int>(i);
      if (t->allFields[i].kind == FieldKind::Position) t->positionField = static_cast<int>(i);
    }
  }
  for (TypeDesc* t : m_types)
    for (TypeDesc* c : m_types)
      if (!c->abstract && c->isA(t->type)) t->concrete.push_back(c);

  // Dependency order: what a type refers to (directly or through its children) comes first.
  std::set<const TypeDesc*> done, active;
  std::function<void(const TypeDesc*)> visit = [&](const TypeDesc* t) {
    if (done.count(t) || active.count(t)) return;
    active.insert(t);
    auto dependOn = [&](ObjectType target) {
      if (const TypeDesc* d = find(target))
        for (const TypeDesc* c : d->concrete)
          if (c != t) visit(c);
    };
    for (const FieldDesc& f : t->allFields)
      if (f.kind == FieldKind::Ref) dependOn(f.refType);
    for (const ListDesc& l : t->allLists) {
      if (l.kind == ListKind::Refs) {
        dependOn(l.itemType);
      } else if (const TypeDesc* child = find(l.itemType)) {
        for (const FieldDesc& f : child->allFields)
          if (f.kind == FieldKind::Ref) dependOn(f.refType);
      }
    }
    active.erase(t);
    done.insert(t);
    m_ordered.push_back(t);
  };
  for (const TypeDesc* t : m_types)
    visit(t);
  for (const TypeDesc* t : m_ordered)
    if (!t->abstract) m_stored.push_back(t);
}

const std::vector<const TypeDesc*>& TypeRegistry::concrete(ObjectType base) const {
  return base == ObjectType::None ? m_stored : typeDesc(base).concrete;
}

const TypeRegistry& TypeRegistry::get() {
  static const TypeRegistry registry;
  return registry;
}

const TypeDesc* TypeRegistry::find(ObjectType type) const {
  for (const TypeDesc* t : m_types)
    if (t->type == type) return t;
  return nullptr;
}

const TypeDesc* TypeRegistry::byName(const char* name) const {
  for (const TypeDesc* t : m_types)
    if (std::strcmp(t->name, name) == 0) return t;
  return nullptr;
}

void TypeRegistry::registerClasses() const {
  if (!Object::desc()) Object::rxInit();
  std::set<const TypeDesc*> done;
  std::function<void(const TypeDesc*)> reg = [&](const TypeDesc* t) {
    if (done.count(t)) return;
    if (t->parentDesc) reg(t->parentDesc);
    if (!t->rxClass()) t->rxInit();
    done.insert(t);
  };
  for (const TypeDesc* t : m_types)
    reg(t);
}

void TypeRegistry::unregisterClasses() const {
  // Children before parents: repeat until every class whose descendants are gone is removed.
  std::set<const TypeDesc*> left(m_types.begin(), m_types.end());
  while (!left.empty()) {
    for (auto it = left.begin(); it != left.end();) {
      bool hasChild = false;
      for (const TypeDesc* c : left)
        if (c->parentDesc == *it) hasChild = true;
      if (hasChild) {
        ++it;
        continue;
      }
      if ((*it)->rxClass()) (*it)->rxUninit();
      it = left.erase(it);
    }
  }
  if (Object::desc()) Object::rxUninit();
}

const TypeDesc& typeDesc(ObjectType type) {
  const TypeDesc* t = TypeRegistry::get().find(type);
  if (!t) throw Exception(OdString("unknown object type ") + objectTypeName(type));
  return *t;
}

}  // namespace stocklib::detail

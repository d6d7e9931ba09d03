// XML import and export of library objects, driven by the type descriptions: one element per
// object, named after its class; fields as attributes; references by the referred object's key.
#include <pugixml.hpp>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <map>

#include "Schema.h"
#include "Store.h"
#include "stocklib/Library.h"
#include "stocklib/Objects.h"

namespace stocklib {

namespace {

using detail::Access;
using detail::FieldKind;
using detail::ListKind;
using detail::TypeDesc;
using detail::Value;

const char kItem[] = "item";
const char kDefaultUnit[] = "DefaultUnit";

std::string nodePath(const pugi::xml_node& n) {
  std::string p;
  for (pugi::xml_node a = n; a && a.type() == pugi::node_element; a = a.parent())
    p = "/" + std::string(a.name()) + p;
  return p + " (offset " + std::to_string(n.offset_debug()) + ")";
}

// keyText: an object's key values joined by '|'; references by their own key text, looked up
// in `lib` when only their id is known.
std::string keyText(const Object& o, const Library& lib) {
  const TypeDesc& t = Access::type(o);
  std::string out;
  for (std::size_t i = 0; i < t.keyFields.size(); ++i) {
    if (i) out += '|';
    const Value& v = Access::values(o)[t.keyFields[i]];
    if (auto* s = std::get_if<OdString>(&v)) out += s->toUtf8();
    if (auto* n = std::get_if<int64_t>(&v)) out += std::to_string(*n);
    if (auto* r = std::get_if<detail::Ref>(&v)) {
      KcSmartPtr<Object> ref = r->object ? r->object : lib.getObject(ObjectType::None, r->id);
      if (ref) out += keyText(*ref, lib);
    }
  }
  return out;
}

// Ids of the library's objects of one (possibly abstract) type, by key text.
class KeyIndex {
 public:
  explicit KeyIndex(const Library& lib) : m_lib(lib) {}
  uint32_t find(ObjectType type, const std::string& key) {
    auto& index = indexFor(type);
    auto it = index.find(key);
    return it == index.end() ? 0 : it->second;
  }
  void add(const Object& o, uint32_t id) {
    for (auto& [type, index] : m_index)
      if (Access::type(o).isA(type)) index[keyText(o, m_lib)] = id;
  }

 private:
  std::map<std::string, uint32_t>& indexFor(ObjectType type) {
    auto it = m_index.find(type);
    if (it != m_index.end()) return it->second;
    auto& index = m_index[type];
    std::vector<KcSmartPtr<Object>> all;
    m_lib.getObjects(type, nullptr, all);
    for (auto& o : all)
      index[keyText(*o, m_lib)] = o->id();
    return index;
  }
  const Library& m_lib;
  std::map<ObjectType, std::map<std::string, uint32_t>> m_index;
};

int64_t parseInt(const pugi::xml_attribute& a, const pugi::xml_node& n) {
  const char* text = a.value();
  char* end = nullptr;
  errno = 0;
  long long v = std::strtoll(text, &end, 10);
  if (!*text || *end || errno)
    throw Exception("attribute " + std::string(a.name()) + "=\"" + text +
                    "\" is not an integer at " + nodePath(n));
  return v;
}

double parseReal(const pugi::xml_attribute& a, const pugi::xml_node& n) {
  const char* text = a.value();
  char* end = nullptr;
  double v = std::strtod(text, &end);
  if (!*text || *end || !std::isfinite(v))
    throw Exception("attribute " + std::string(a.name()) + "=\"" + text + "\" is not a number at " +
                    nodePath(n));
  return v;
}

struct Importer {
  Library& lib;
  detail::Store& store;
  KeyIndex keys;
  double lengthFactor;

  uint32_t resolve(ObjectType type, const std::string& key, const pugi::xml_node& n,
                   const char* what) {
    uint32_t id = keys.find(type, key);
    if (!id)
      throw ConsistencyError(std::string(what) + " refers to " + objectTypeName(type).toUtf8() +
                             " \"" + key + "\", which the library does not have, at " +
                             nodePath(n));
    return id;
  }

  // Builds the object an element describes (children included), unsaved.
  KcSmartPtr<Object> build(const TypeDesc& t, const pugi::xml_node& n) {
    if (t.abstract || !t.make)
      throw Exception("element <" + std::string(n.name()) + "> names an abstract type at " +
                      nodePath(n));
    KcSmartPtr<Object> o(static_cast<Object*>(t.make().detach()), kOdRxObjAttach);
    std::vector<Value>& values = Access::values(*o);
    for (pugi::xml_attribute a : n.attributes()) {
      int i = t.fieldIndex(a.name());
      if (i < 0)
        throw Exception("unknown attribute " + std::string(a.name()) + " at " + nodePath(n));
      const detail::FieldDesc& f = t.allFields[i];
      switch (f.kind) {
        case FieldKind::Text:
          values[i] = OdString::fromUtf8(a.value());
          break;
        case FieldKind::Int:
        case FieldKind::Bool:
          values[i] = parseInt(a, n);
          break;
        case FieldKind::Real:
          values[i] = parseReal(a, n);
          break;
        case FieldKind::Length:
          values[i] = parseReal(a, n) * lengthFactor;
          break;
        case FieldKind::Ref:
          values[i] = detail::Ref{resolve(f.refType, a.value(), n, a.name()), nullptr};
          break;
        default:
          throw Exception("attribute " + std::string(a.name()) + " cannot be set at " +
                          nodePath(n));
      }
    }
    auto& lists = Access::lists(*o);
    for (pugi::xml_node c : n.children()) {
      if (c.type() != pugi::node_element) continue;
      bool used = false;
      for (std::size_t li = 0; li < t.allLists.size() && !used; ++li) {
        const detail::ListDesc& l = t.allLists[li];
        if (l.kind == ListKind::Refs && std::string(c.name()) == l.name) {
          for (pugi::xml_node item : c.children(kItem))
            lists[li].push_back(detail::Ref{
                resolve(l.itemType, item.attribute("key").value(), item, "item"), nullptr});
          used = true;
        } else if (l.kind == ListKind::Children) {
          const TypeDesc* ct = detail::TypeRegistry::get().byName(c.name());
          if (ct && ct->isA(l.itemType)) {
            KcSmartPtr<Object> child = build(*ct, c);
            lists[li].push_back(detail::Ref{0, child});
            used = true;
          }
        }
      }
      if (!used)
        throw Exception("unexpected element <" + std::string(c.name()) + "> at " + nodePath(c));
    }
    return o;
  }
};

void writeObject(const Object& o, const Library& lib, pugi::xml_node parent) {
  const TypeDesc& t = Access::type(o);
  pugi::xml_node n = parent.append_child(t.name);
  const std::vector<Value>& values = Access::values(o);
  for (std::size_t i = 0; i < t.allFields.size(); ++i) {
    const detail::FieldDesc& f = t.allFields[i];
    const Value& v = values[i];
    if (v.index() == 0 || f.kind == FieldKind::Owner || f.kind == FieldKind::Position) continue;
    pugi::xml_attribute a = n.append_attribute(f.name);
    if (auto* s = std::get_if<OdString>(&v)) a.set_value(s->toUtf8().c_str());
    if (auto* d = std::get_if<double>(&v)) a.set_value(*d, 17);
    if (auto* k = std::get_if<int64_t>(&v)) a.set_value(static_cast<long long>(*k));
    if (std::get_if<detail::Ref>(&v)) {
      KcSmartPtr<Object> r = lib.getObject(ObjectType::None, std::get<detail::Ref>(v).id);
      a.set_value(r ? keyText(*r, lib).c_str() : "");
    }
  }
  for (std::size_t li = 0; li < t.allLists.size(); ++li) {
    const detail::ListDesc& l = t.allLists[li];
    const auto& items = Access::lists(o)[li];
    if (l.kind == ListKind::Refs) {
      if (items.empty()) continue;
      pugi::xml_node list = n.append_child(l.name);
      for (const detail::Ref& r : items) {
        KcSmartPtr<Object> item = r.object ? r.object : lib.getObject(ObjectType::None, r.id);
        if (item)
          list.append_child(kItem).append_attribute("key").set_value(keyText(*item, lib).c_str());
      }
    } else {
      for (const detail::Ref& r : items)
        if (r.object) writeObject(*r.object, lib, n);
    }
  }
}

}  // namespace

void Library::importFromXml(pugi::xml_node& node, const ImportOptions& options) {
  double factor =
      options.unit < 0 ? 1.0 : detail::unitFactor(options.unit) / detail::unitFactor(unit());
  Importer importer{*this, *m_store, KeyIndex(*this), factor};
  m_store->inBulk([&] {
    for (pugi::xml_node c : node.children()) {
      if (c.type() != pugi::node_element || std::string(c.name()) == "meta") continue;
      if (std::string(c.name()) == kDefaultUnit) {
        uint32_t id = importer.resolve(ObjectType::Unit, c.attribute("unit").value(), c, "unit");
        KcSmartPtr<Unit> u = get<Unit>(id);
        KcSmartPtr<const Measure> m = u ? u->measure() : KcSmartPtr<const Measure>();
        if (!m) throw ConsistencyError("a default unit without a measure at " + nodePath(c));
        if (options.replace || !defaultUnit(m->name())) m_store->setDefaultUnit(u);
        continue;
      }
      const TypeDesc* t = detail::TypeRegistry::get().byName(c.name());
      if (!t) throw Exception("unknown element <" + std::string(c.name()) + "> at " + nodePath(c));
      KcSmartPtr<Object> o = importer.build(*t, c);
      importer.keys.add(*o, m_store->storeImported(*o, options.replace));
    }
  });
}

void Library::exportToXml(pugi::xml_node& node) const {
  for (const TypeDesc* t : detail::TypeRegistry::get().all()) {
    if (t->abstract) continue;
    std::vector<KcSmartPtr<Object>> objects;
    getObjects(t->type, nullptr, objects);
    for (const auto& o : objects) {
      if (&Access::type(*o) != t) continue;
      if (t->ownerField >= 0 && Access::values(*o)[t->ownerField].index() != 0) continue;
      writeObject(*o, *this, node);
    }
  }
  std::vector<KcSmartPtr<Object>> measures;
  getObjects(ObjectType::Measure, nullptr, measures);
  for (const auto& m : measures) {
    KcSmartPtr<Unit> u = defaultUnit(static_cast<const Measure*>(m.get())->name());
    if (!u) continue;
    node.append_child(kDefaultUnit).append_attribute("unit").set_value(keyText(*u, *this).c_str());
  }
}

}  // namespace stocklib

// XML import and export of library objects, driven by the type descriptions: one element per
// object named after its class, one attribute per field, references by the referent's key.
#include <pugixml.hpp>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <map>
#include <set>
#include <string>

#include "Plausibility.h"
#include "Schema.h"
#include "Store.h"
#include "stocklib/Library.h"
#include "stocklib/Objects.h"

namespace stocklib {
namespace detail {
namespace {

const char kMeta[] = "meta";
const char kDefaultUnit[] = "DefaultUnit";

std::string numberText(double v) {
  char buf[40];
  auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

bool parseNumber(const char* text, double& out) {
  const char* end = text + std::strlen(text);
  auto r = std::from_chars(text, end, out);
  return r.ec == std::errc() && r.ptr == end && std::isfinite(out);
}

bool parseInteger(const char* text, int64_t& out) {
  const char* end = text + std::strlen(text);
  auto r = std::from_chars(text, end, out);
  return r.ec == std::errc() && r.ptr == end;
}

bool parseBool(const char* text, int64_t& out) {
  if (!std::strcmp(text, "true") || !std::strcmp(text, "1")) return out = 1, true;
  if (!std::strcmp(text, "false") || !std::strcmp(text, "0")) return out = 0, true;
  return false;
}

/// lineOf: the line of an element in the text it was parsed from; 0 when unknown (a document
/// built in memory). Counts the line breaks before the element in the parse buffer, which holds
/// the text as read except inside attribute values and decoded text. Linear in the offset: for
/// messages only.
int lineOf(const pugi::xml_node& n) {
  std::ptrdiff_t offset = n.offset_debug();
  if (offset < 0 || n.type() != pugi::node_element) return 0;
  const char* name = n.name();
  const char* start = name - offset;
  int line = 1;
  for (const char* p = start; p < name; ++p)
    if (*p == '\n') ++line;
  return line;
}

/// where: "line N, <Element name="...">" for messages.
std::string where(const pugi::xml_node& n) {
  std::string s;
  if (int line = lineOf(n)) s = "line " + std::to_string(line) + ", ";
  s += std::string("<") + n.name();
  if (pugi::xml_attribute a = n.attribute("name")) s += std::string(" name=\"") + a.value() + "\"";
  return s + ">";
}

/// primaryKey: the key field written as the reference attribute itself: "name" when the key
/// has it, else the first key field; -1 for types without a key.
int primaryKey(const TypeDesc& t) {
  for (int k : t.keyFields)
    if (!std::strcmp(t.allFields[k].name, "name")) return k;
  return t.keyFields.empty() ? -1 : t.keyFields.front();
}

/// RawKey: key values already in the stored form, for one concrete type.
class RawKey : public Key {
 public:
  RawKey(ObjectType type, std::vector<Value> v) : m_type(type), m_values(std::move(v)) {}
  void values(std::vector<Value>& out) const override {
    out.insert(out.end(), m_values.begin(), m_values.end());
  }
  ObjectType objectType() const override { return m_type; }

 private:
  ObjectType m_type;
  std::vector<Value> m_values;
};

class Importer {
 public:
  Importer(Library& library, Store& store, const Library::ImportOptions& options,
           const Library::Progress& progress)
      : m_library(library), m_store(store), m_replace(options.replace), m_progress(progress) {
    if (options.unit == kLibraryUnitInch || options.unit == kLibraryUnitMillimeter)
      m_lengthFactor = unitFactor(options.unit) / unitFactor(store.unit);
    else if (options.unit != -1)
      throw Exception("import: unknown length unit " + std::to_string(options.unit) +
                      " (0 inch, 1 millimetre, -1 the library's own)");
  }

  void run(const pugi::xml_node& root) {
    std::size_t total = 0, done = 0;
    if (m_progress) {
      for (pugi::xml_node n = root.first_child(); n; n = n.next_sibling())
        total += n.type() == pugi::node_element && std::strcmp(n.name(), kMeta) != 0;
      m_progress(0, total);
    }
    // About a hundred calls however large the document: a call per object would cost more
    // than the objects when the caller draws on a terminal.
    const std::size_t stride = std::max<std::size_t>(1, (total + 99) / 100);
    auto advance = [&] {
      if (m_progress && ++done % stride == 0 && done < total) m_progress(done, total);
    };
    for (pugi::xml_node n = root.first_child(); n; n = n.next_sibling()) {
      if (n.type() == pugi::node_pcdata || n.type() == pugi::node_cdata) fail(n, "unexpected text");
      if (n.type() != pugi::node_element) continue;
      if (!std::strcmp(n.name(), kMeta)) continue;
      if (!std::strcmp(n.name(), kDefaultUnit)) {
        defaultUnit(n);
        advance();
        continue;
      }
      const TypeDesc* t = TypeRegistry::get().byName(n.name());
      if (!t || t->abstract) fail(n, "unknown element");
      KcSmartPtr<Object> o = build(n, *t, -1);
      std::string refused;
      for (const std::string& p : implausible(*o))
        refused += (refused.empty() ? "" : "; ") + p;
      if (!refused.empty()) fail(n, refused);
      uint32_t id = 0;
      try {
        id = m_store.storeImported(*o, m_replace);
      } catch (const ConsistencyError& e) {
        fail(n, e.what());
      }
      auto [it, fresh] = m_made.emplace(id, n);
      if (!fresh && !t->keyFields.empty()) {
        int line = lineOf(it->second);
        fail(n, "duplicate: the same " + std::string(t->name) + " is defined" +
                    (line ? " at line " + std::to_string(line) : " above"));
      }
      advance();
    }
    if (m_progress && total) m_progress(total, total);
  }

 private:
  [[noreturn]] void fail(const pugi::xml_node& n, const std::string& what) const {
    throw Exception("XML " + where(n) + ": " + what);
  }

  // An object of type `t` from element `n`; `syncField`: the field a child takes from its owner.
  KcSmartPtr<Object> build(const pugi::xml_node& n, const TypeDesc& t, int syncField) {
    KcSmartPtr<Object> o(static_cast<Object*>(t.make().detach()), kOdRxObjAttach);
    std::vector<Value>& values = Access::values(*o);
    for (pugi::xml_attribute a = n.first_attribute(); a; a = a.next_attribute()) {
      std::string name = a.name();
      std::size_t dot = name.find('.');
      int i = t.fieldIndex(name.substr(0, dot).c_str());
      if (i < 0 || i == syncField || t.allFields[i].kind == FieldKind::Owner ||
          t.allFields[i].kind == FieldKind::Position)
        fail(n, "unknown attribute \"" + name + "\"");
      const FieldDesc& f = t.allFields[i];
      if (f.kind == FieldKind::Ref) continue;  // resolved below, with its parts
      if (dot != std::string::npos) fail(n, "unknown attribute \"" + name + "\"");
      values[i] = parse(n, a, f);
    }
    for (std::size_t i = 0; i < t.allFields.size(); ++i) {
      const FieldDesc& f = t.allFields[i];
      if (f.kind != FieldKind::Ref || static_cast<int>(i) == syncField) continue;
      if (uint32_t id = reference(n, f.name, f.refType)) values[i] = Ref{id, nullptr};
    }
    for (pugi::xml_node c = n.first_child(); c; c = c.next_sibling()) {
      if (c.type() == pugi::node_pcdata || c.type() == pugi::node_cdata) fail(n, "unexpected text");
      if (c.type() != pugi::node_element) continue;
      listItem(n, c, *o, t);
    }
    return o;
  }

  Value parse(const pugi::xml_node& n, const pugi::xml_attribute& a, const FieldDesc& f) {
    const char* text = a.value();
    switch (f.kind) {
      case FieldKind::Text:
        return OdString::fromUtf8(text, std::strlen(text));
      case FieldKind::Real:
      case FieldKind::Length: {
        double v = 0;
        if (!parseNumber(text, v))
          fail(n, "attribute \"" + std::string(a.name()) + "\": \"" + text + "\" is not a number");
        if (f.kind != FieldKind::Length) return v;
        double converted = v * m_lengthFactor;
        if (!std::isfinite(converted))
          fail(n, "attribute \"" + std::string(a.name()) + "\": \"" + text +
                      "\" is too large a length for this library's unit");
        return converted;
      }
      case FieldKind::Bool: {
        int64_t v = 0;
        if (!parseBool(text, v))
          fail(n, "attribute \"" + std::string(a.name()) + "\": \"" + text +
                      "\" is not true or false");
        return v;
      }
      default: {
        int64_t v = 0;
        if (!parseInteger(text, v))
          fail(n,
               "attribute \"" + std::string(a.name()) + "\": \"" + text + "\" is not an integer");
        return v;
      }
    }
  }

  // A child element of an object: an owned child or an item of a reference list.
  void listItem(const pugi::xml_node& n, const pugi::xml_node& c, Object& o, const TypeDesc& t) {
    for (std::size_t li = 0; li < t.allLists.size(); ++li) {
      const ListDesc& l = t.allLists[li];
      for (const TypeDesc* ct : typeDesc(l.itemType).concrete) {
        if (std::strcmp(ct->name, c.name()) != 0) continue;
        if (l.kind == ListKind::Children) {
          int sync = l.sync ? ct->fieldIndex(l.sync) : -1;
          KcSmartPtr<Object> child = build(c, *ct, sync);
          Access::lists(o)[li].push_back(Ref{0, child});
        } else {
          uint32_t id = keyOf(c, *ct, "");
          if (!id) fail(c, std::string("unknown ") + ct->name);
          Access::lists(o)[li].push_back(Ref{id, nullptr});
        }
        return;
      }
    }
    fail(c, std::string("unexpected in <") + n.name() + ">");
  }

  // The id named by the reference attributes `prefix` (and `prefix.part`) of `n`; 0 when `n`
  // has none of them. Fails when they name nothing.
  uint32_t reference(const pugi::xml_node& n, const std::string& prefix, ObjectType refType) {
    bool present = false;
    std::string parts = prefix + ".";
    for (pugi::xml_attribute a = n.first_attribute(); a && !present; a = a.next_attribute())
      present = prefix == a.name() || !std::strncmp(a.name(), parts.c_str(), parts.size());
    if (!present) return 0;
    const TypeDesc& base = typeDesc(refType);
    pugi::xml_attribute kind = n.attribute((parts + "class").c_str());
    for (const TypeDesc* t : base.concrete) {
      if (kind && std::strcmp(kind.value(), t->name) != 0) continue;
      if (uint32_t id = keyOf(n, *t, prefix)) return id;
    }
    std::string text = n.attribute(prefix.c_str()).value();
    fail(n, "attribute \"" + prefix + "\": no " + base.name + " \"" + text +
                "\" in the document above or in the library");
  }

  // The id of the `t` whose key the attributes of `n` give: the primary key field as `prefix`
  // (or by its own name when `prefix` is empty), the others as `prefix.field`; 0 when none.
  uint32_t keyOf(const pugi::xml_node& n, const TypeDesc& t, const std::string& prefix) {
    if (t.keyFields.empty()) fail(n, std::string(t.name) + " cannot be referred to");
    int primary = primaryKey(t);
    std::vector<Value> key;
    std::string cacheKey = t.name;
    for (int k : t.keyFields) {
      const FieldDesc& f = t.allFields[k];
      std::string attr = prefix.empty() ? std::string(f.name)
                         : k == primary ? prefix
                                        : prefix + "." + f.name;
      if (f.kind == FieldKind::Ref) {
        uint32_t id = reference(n, attr, f.refType);
        key.push_back(id ? Value(Ref{id, nullptr}) : Value());
        cacheKey += '\x1f' + std::to_string(id);
        continue;
      }
      pugi::xml_attribute a = n.attribute(attr.c_str());
      key.push_back(a ? parse(n, a, f) : Value());
      cacheKey += '\x1f' + std::string(a ? a.value() : "\x1e");
    }
    auto cached = m_keys.find(cacheKey);
    if (cached != m_keys.end()) return cached->second;
    KcSmartPtr<Object> found = m_store.getByKey(t.type, RawKey(t.type, std::move(key)));
    uint32_t id = found ? found->id() : 0;
    if (id) m_keys.emplace(cacheKey, id);
    return id;
  }

  void defaultUnit(const pugi::xml_node& n) {
    uint32_t measure = reference(n, "measure", ObjectType::Measure);
    uint32_t unit = reference(n, "unit", ObjectType::Unit);
    if (!measure || !unit) fail(n, "needs a measure and a unit");
    KcSmartPtr<Object> u = m_store.getById(ObjectType::Unit, unit);
    if (static_cast<const Unit*>(u.get())->measure_id() != measure)
      fail(n, "the unit is not of that measure");
    KcSmartPtr<Object> m = m_store.getById(ObjectType::Measure, measure);
    if (!m_replace && m_library.defaultUnit(static_cast<const Measure*>(m.get())->name())) return;
    m_store.setDefaultUnit(u.get());
  }

  Library& m_library;
  Store& m_store;
  bool m_replace;
  const Library::Progress& m_progress;
  double m_lengthFactor = 1.0;
  std::map<uint32_t, pugi::xml_node> m_made;  // ids stored by this import -> their element
  std::map<std::string, uint32_t> m_keys;     // resolved references
};

class Exporter {
 public:
  explicit Exporter(Store& store) : m_store(store) {}

  void meta(pugi::xml_node& root, const Library& library) {
    pugi::xml_node m = root.append_child(kMeta);
    m.append_child("locale").text().set(library.locale().toUtf8().c_str());
    m.append_child("region").text().set(library.region().toUtf8().c_str());
    m.append_child("Unit").text().set(library.unit() == kLibraryUnitInch ? "Inch" : "Millimeter");
  }

  /// objects: writes every stored object of `wanted` (all when null), by type in dependency
  /// order and by id within a type; owned objects inside their owners.
  void objects(pugi::xml_node& root, const std::set<uint32_t>* wanted) {
    for (const TypeDesc* t : TypeRegistry::get().all()) {
      if (t->abstract) continue;
      std::vector<KcSmartPtr<Object>> all;
      m_store.getAll(t->type, nullptr, all);
      for (const KcSmartPtr<Object>& o : all) {
        if (&Access::type(*o) != t) continue;
        if (t->ownerField >= 0 && Access::values(*o)[t->ownerField].index() != 0) continue;
        if (wanted && !wanted->count(o->id())) continue;
        write(root, *o, -1);
      }
      if (t->type == ObjectType::Unit) defaultUnits(root, wanted);
    }
  }

  /// closure: `o` and everything it refers to, directly or through what it owns.
  void closure(const Object& o, std::set<uint32_t>& ids) {
    if (!o.id() || !ids.insert(o.id()).second) return;
    refs(o, ids);
  }

 private:
  void refs(const Object& o, std::set<uint32_t>& ids) {
    const TypeDesc& t = Access::type(o);
    const auto& values = Access::values(o);
    for (std::size_t i = 0; i < t.allFields.size(); ++i)
      if (const Ref* r = std::get_if<Ref>(&values[i]))
        if (KcSmartPtr<Object> target = load(r->id)) closure(*target, ids);
    for (std::size_t li = 0; li < t.allLists.size(); ++li)
      for (const Ref& item : Access::lists(o)[li]) {
        KcSmartPtr<Object> target = item.object ? item.object : load(item.id);
        if (!target) continue;
        if (t.allLists[li].kind == ListKind::Children)
          refs(*target, ids);
        else
          closure(*target, ids);
      }
  }

  KcSmartPtr<Object> load(uint32_t id) {
    if (!id) return KcSmartPtr<Object>();
    auto it = m_loaded.find(id);
    if (it != m_loaded.end()) return it->second;
    KcSmartPtr<Object> o = m_store.getById(ObjectType::None, id);
    m_loaded.emplace(id, o);
    return o;
  }

  void write(pugi::xml_node& parent, const Object& o, int syncField) {
    const TypeDesc& t = Access::type(o);
    pugi::xml_node e = parent.append_child(t.name);
    const auto& values = Access::values(o);
    for (std::size_t i = 0; i < t.allFields.size(); ++i) {
      const FieldDesc& f = t.allFields[i];
      const Value& v = values[i];
      if (v.index() == 0 || static_cast<int>(i) == syncField) continue;
      switch (f.kind) {
        case FieldKind::Owner:
        case FieldKind::Position:
          break;
        case FieldKind::Ref:
          if (KcSmartPtr<Object> target = load(std::get<Ref>(v).id))
            reference(e, f.name, f.refType, *target);
          break;
        default:
          attribute(e, f.name, f, v);
      }
    }
    for (std::size_t li = 0; li < t.allLists.size(); ++li) {
      const ListDesc& l = t.allLists[li];
      for (const Ref& item : Access::lists(o)[li]) {
        KcSmartPtr<Object> target = item.object ? item.object : load(item.id);
        if (!target) continue;
        const TypeDesc& ct = Access::type(*target);
        if (l.kind == ListKind::Children) {
          write(e, *target, l.sync ? ct.fieldIndex(l.sync) : -1);
        } else {
          pugi::xml_node r = e.append_child(ct.name);
          keyAttributes(r, "", *target);
        }
      }
    }
  }

  void attribute(pugi::xml_node& e, const std::string& name, const FieldDesc& f, const Value& v) {
    pugi::xml_attribute a = e.append_attribute(name.c_str());
    if (const auto* s = std::get_if<OdString>(&v)) {
      a.set_value(s->toUtf8().c_str());
    } else if (const auto* d = std::get_if<double>(&v)) {
      a.set_value(numberText(*d).c_str());
    } else if (const auto* i = std::get_if<int64_t>(&v)) {
      if (f.kind == FieldKind::Bool)
        a.set_value(*i ? "true" : "false");
      else
        a.set_value(std::to_string(*i).c_str());
    }
  }

  void reference(pugi::xml_node& e, const std::string& prefix, ObjectType refType,
                 const Object& target) {
    const TypeDesc& t = Access::type(target);
    if (typeDesc(refType).concrete.size() > 1)
      e.append_attribute((prefix + ".class").c_str()).set_value(t.name);
    keyAttributes(e, prefix, target);
  }

  void keyAttributes(pugi::xml_node& e, const std::string& prefix, const Object& target) {
    const TypeDesc& t = Access::type(target);
    int primary = primaryKey(t);
    const auto& values = Access::values(target);
    // The primary key field first: references read as name="HEA" name.standard="EN 10365".
    std::vector<int> order{primary};
    for (int k : t.keyFields)
      if (k != primary) order.push_back(k);
    for (int k : order) {
      const FieldDesc& f = t.allFields[k];
      std::string name = prefix.empty() ? std::string(f.name)
                         : k == primary ? prefix
                                        : prefix + "." + f.name;
      const Value& v = values[k];
      if (v.index() == 0) continue;
      if (f.kind == FieldKind::Ref) {
        if (KcSmartPtr<Object> r = load(std::get<Ref>(v).id)) reference(e, name, f.refType, *r);
      } else {
        attribute(e, name, f, v);
      }
    }
  }

  void defaultUnits(pugi::xml_node& root, const std::set<uint32_t>* wanted) {
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(m_store.db, "SELECT measure, unit FROM default_units ORDER BY measure",
                           -1, &s, nullptr) != SQLITE_OK)
      throw Exception("export: cannot read the default units");
    std::vector<std::pair<uint32_t, uint32_t>> rows;
    while (sqlite3_step(s) == SQLITE_ROW)
      rows.emplace_back(static_cast<uint32_t>(sqlite3_column_int64(s, 0)),
                        static_cast<uint32_t>(sqlite3_column_int64(s, 1)));
    sqlite3_finalize(s);
    for (auto [measure, unit] : rows) {
      if (wanted && !wanted->count(unit)) continue;
      KcSmartPtr<Object> m = load(measure), u = load(unit);
      if (!m || !u) continue;
      pugi::xml_node e = root.append_child(kDefaultUnit);
      reference(e, "measure", ObjectType::Measure, *m);
      reference(e, "unit", ObjectType::Unit, *u);
    }
  }

  Store& m_store;
  std::map<uint32_t, KcSmartPtr<Object>> m_loaded;
};

}  // namespace
}  // namespace detail

void Library::importFromXml(pugi::xml_node& node, const ImportOptions& options,
                            const Progress& progress) {
  detail::Importer importer(*this, *m_store, options, progress);
  m_store->inBulk([&] { importer.run(node); });
}

void Library::exportToXml(pugi::xml_node& node) const {
  detail::Exporter exporter(*m_store);
  exporter.meta(node, *this);
  exporter.objects(node, nullptr);
}

void Library::exportToXml(pugi::xml_node& node,
                          const std::vector<KcSmartPtr<const Object>>& objects) const {
  detail::Exporter exporter(*m_store);
  std::set<uint32_t> ids;
  for (const auto& o : objects) {
    if (!o || o->library().get() != this)
      throw Exception("export: an object to export is not stored in " + filename().toUtf8());
    exporter.closure(*o, ids);
  }
  exporter.meta(node, *this);
  exporter.objects(node, &ids);
}

}  // namespace stocklib

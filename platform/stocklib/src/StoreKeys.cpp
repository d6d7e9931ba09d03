// Unique keys and criteria: finding an object by its key, and the conditions a Criteria adds.
#include "StoreInternal.h"
#include "stocklib/Objects.h"

namespace stocklib::detail {

void Store::keyValues(const TypeDesc& t, const std::vector<Value>& row, std::vector<Value>& key) {
  key.clear();
  for (int i : t.keyFields)
    key.push_back(row[i]);
}

namespace {
std::string keyWhere(const TypeDesc& t) {
  std::string w;
  for (std::size_t i = 0; i < t.keyFields.size(); ++i) {
    const FieldDesc& f = t.allFields[t.keyFields[i]];
    w += std::string(i ? " AND " : "") + f.name + (f.required ? " = ?" : " IS ?");
  }
  return w;
}
}  // namespace

uint32_t Store::findKey(const TypeDesc& t, const std::vector<Value>& key, uint32_t exclude) {
  if (!hasTable(t) || key.empty()) return 0;
  Stmt s(*this, "SELECT id FROM " + tableName(t) + " WHERE " + keyWhere(t));
  for (std::size_t i = 0; i < key.size(); ++i)
    s.bind(static_cast<int>(i) + 1, key[i]);
  while (s.step()) {
    uint32_t id = static_cast<uint32_t>(s.int64(0));
    if (id != exclude) return id;
  }
  return 0;
}

uint32_t Store::findKeyOf(const Object& object) {
  const TypeDesc& t = Access::type(object);
  std::vector<Value> key;
  keyValues(t, Access::values(object), key);
  return findKey(t, key, 0);
}

KcSmartPtr<Object> Store::getByKey(ObjectType base, const Key& key) {
  // One reused buffer per thread, unless a key's resolution looks up another key meanwhile.
  thread_local std::vector<Value> shared;
  thread_local bool sharedBusy = false;
  std::vector<Value> own;
  std::vector<Value>& values = sharedBusy ? own : shared;
  struct Busy {
    bool& flag;
    bool was;
    ~Busy() { flag = was; }
  } busy{sharedBusy, sharedBusy};
  sharedBusy = true;
  values.clear();
  if (!key.resolve(m_owner, values)) return KcSmartPtr<Object>();
  bool fits = false;
  ObjectType only = key.objectType();
  bool keep = cacheable();
  if (keep) {
    checkExternal();
    uint32_t id = 0;
    if (m_objects.key(base, only, values, id)) {
      ++m_objects.hits;
      if (!id) return KcSmartPtr<Object>();
      if (KcSmartPtr<Object> found = getById(base, id)) return found;
    } else {
      ++m_objects.misses;
    }
    holdRead();
  }
  for (const TypeDesc* t : TypeRegistry::get().concrete(base)) {
    if (t->keyFields.size() != values.size()) continue;
    if (only != ObjectType::None && !t->isA(only)) continue;
    fits = true;
    if (!hasTable(*t)) continue;
    Stmt s(*this, selectColumns(*t) + " WHERE " + keyWhere(*t));
    for (std::size_t i = 0; i < values.size(); ++i)
      s.bind(static_cast<int>(i) + 1, values[i]);
    if (!s.step()) continue;
    KcSmartPtr<Object> found = materialize(*t, s.get(), keep);
    if (keep) m_objects.putKey(base, only, values, found->id());
    return found;
  }
  if (!fits)
    throw Exception(OdString::formatted(L"a key of %d fields does not name a %ls",
                                        static_cast<int>(values.size()),
                                        objectTypeName(base).c_str()));
  if (keep) m_objects.putKey(base, only, values, 0);
  return KcSmartPtr<Object>();
}

int Filter::column(const char* field) const {
  int i = m_type.fieldIndex(field);
  if (i < 0)
    throw Exception(std::string("criteria on ") + field + " do not apply to " + m_type.name);
  return i;
}

void Filter::add(const std::string& condition) {
  if (!where.empty()) where += " AND ";
  where += condition;
}

void Filter::text(const char* field, const StringCriteria& c) {
  int i = column(field);
  std::string col = m_type.allFields[i].name;
  switch (c.mode()) {
    case StringCriteria::kAny:
      break;
    case StringCriteria::kEqual:
      add(col + " = ?");
      binds.emplace_back(c.text());
      break;
    case StringCriteria::kBeginsWith:
      add("substr(" + col + ", 1, ?) = ?");
      binds.emplace_back(static_cast<int64_t>(c.text().getLength()));
      binds.emplace_back(c.text());
      break;
    case StringCriteria::kContains:
      add("instr(" + col + ", ?) > 0");
      binds.emplace_back(c.text());
      break;
    case StringCriteria::kEqualNoCase: {
      StringCriteria copy = c;
      predicates.push_back([i, copy](const Object& o) {
        const Value& v = Access::values(o)[i];
        const OdString* s = std::get_if<OdString>(&v);
        return copy.matches(s ? *s : OdString());
      });
      break;
    }
    default:
      never = true;
  }
}

void Filter::ref(const char* field, uint32_t id) {
  int i = column(field);
  if (!id) return;
  add(std::string(m_type.allFields[i].name) + " = ?");
  binds.emplace_back(static_cast<int64_t>(id));
}

void Filter::real(const char* field, double value, double tol) {
  std::string col = m_type.allFields[column(field)].name;
  add("abs(" + col + " - ?) <= ? * max(abs(" + col + "), abs(?))");
  binds.emplace_back(value);
  binds.emplace_back(tol);
  binds.emplace_back(value);
}

}  // namespace stocklib::detail

namespace stocklib {

bool StringCriteria::matches(const OdString& value) const {
  switch (m_mode) {
    case kAny:
      return true;
    case kEqual:
      return value == m_text;
    case kBeginsWith:
      return value.getLength() >= m_text.getLength() && value.left(m_text.getLength()) == m_text;
    case kContains:
      return value.find(m_text.c_str()) >= 0;
    case kEqualNoCase:
      return value.iCompare(m_text.c_str()) == 0;
    default:
      return false;
  }
}

void StringCriteria::apply(detail::Filter& filter) const {
  filter.text("name", *this);
}

void PropertySetCriteria::apply(detail::Filter& filter) const {
  filter.text("name", m_name);
  filter.ref("namespace", m_ns);
}

UnitCriteria::UnitCriteria(const Measure* measure, double factor)
    : m_measure(measure ? measure->id() : 0), m_factor(factor) {}

void UnitCriteria::apply(detail::Filter& filter) const {
  filter.ref("measure", m_measure);
  filter.real("factor", m_factor, 1e-9);
}

Key::~Key() = default;
bool Key::resolve(const Library&, std::vector<detail::Value>& out) const {
  values(out);
  return true;
}
ObjectType Key::objectType() const {
  return ObjectType::None;
}
Criteria::~Criteria() = default;

void NameKey::values(std::vector<detail::Value>& out) const {
  out.emplace_back(m_name);
}

void DefinitionKey::values(std::vector<detail::Value>& out) const {
  out.emplace_back(m_name);
  out.emplace_back(detail::Ref{m_ns, nullptr});
}

void NameTypeKey::values(std::vector<detail::Value>& out) const {
  out.emplace_back(m_name);
  out.emplace_back(static_cast<int64_t>(m_type));
}

}  // namespace stocklib

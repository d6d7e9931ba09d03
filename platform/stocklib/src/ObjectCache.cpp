// The per-library cache of loaded rows and key answers, least recently used out.
#include "ObjectCache.h"

#include <functional>

namespace stocklib::detail {

namespace {
// A reference to nothing is stored as no value: both name the same key.
bool sameValue(const Value& a, const Value& b) {
  const Ref* ra = std::get_if<Ref>(&a);
  const Ref* rb = std::get_if<Ref>(&b);
  if (ra && !ra->id) return rb ? !rb->id : b.index() == 0;
  if (rb && !rb->id) return a.index() == 0;
  return a == b;
}

bool sameValues(const std::vector<Value>& a, const std::vector<Value>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (!sameValue(a[i], b[i])) return false;
  return true;
}
}  // namespace

bool ObjectCache::KeyOf::operator==(const KeyOf& o) const {
  return base == o.base && only == o.only && sameValues(values, o.values);
}

std::size_t ObjectCache::KeyHash::operator()(const KeyOf& k) const noexcept {
  std::size_t h = static_cast<std::size_t>(k.base) * 31u + static_cast<std::size_t>(k.only);
  for (const Value& v : k.values) {
    std::size_t e = v.index();
    if (const OdString* s = std::get_if<OdString>(&v)) {
      const wchar_t* c = s->c_str();
      for (int i = 0, n = s->getLength(); i < n; ++i)
        e = e * 131u + static_cast<std::size_t>(c[i]);
    } else if (const int64_t* i = std::get_if<int64_t>(&v)) {
      e = std::hash<int64_t>()(*i);
    } else if (const double* d = std::get_if<double>(&v)) {
      e = std::hash<double>()(*d);
    } else if (const Ref* r = std::get_if<Ref>(&v)) {
      e = r->id;
    }
    h = h * 1000003u ^ e;
  }
  return h;
}

const ObjectCache::Row* ObjectCache::row(uint32_t id) {
  auto it = m_rows.find(id);
  if (it == m_rows.end()) return nullptr;
  m_rowOrder.splice(m_rowOrder.begin(), m_rowOrder, it->second);
  return &it->second->second;
}

void ObjectCache::putRow(uint32_t id, Row row) {
  if (m_limit == 0) return;
  auto it = m_rows.find(id);
  if (it != m_rows.end()) {
    it->second->second = std::move(row);
    m_rowOrder.splice(m_rowOrder.begin(), m_rowOrder, it->second);
    return;
  }
  m_rowOrder.emplace_front(id, std::move(row));
  m_rows.emplace(id, m_rowOrder.begin());
  trim();
}

bool ObjectCache::key(ObjectType base, ObjectType only, std::vector<Value>& values, uint32_t& id) {
  // The caller's values are lent to the probe, so that a lookup copies nothing.
  m_probe.base = base;
  m_probe.only = only;
  m_probe.values.swap(values);
  auto it = m_keys.find(m_probe);
  m_probe.values.swap(values);
  if (it == m_keys.end()) return false;
  m_keyOrder.splice(m_keyOrder.begin(), m_keyOrder, it->second);
  id = it->second->second;
  return true;
}

void ObjectCache::putKey(ObjectType base, ObjectType only, const std::vector<Value>& values,
                         uint32_t id) {
  if (m_limit == 0) return;
  KeyOf k{base, only, values};
  for (Value& v : k.values)
    if (Ref* r = std::get_if<Ref>(&v)) r->object = nullptr;  // ids only: nothing kept alive
  auto it = m_keys.find(k);
  if (it != m_keys.end()) {
    it->second->second = id;
    m_keyOrder.splice(m_keyOrder.begin(), m_keyOrder, it->second);
    return;
  }
  m_keyOrder.emplace_front(std::move(k), id);
  m_keys.emplace(m_keyOrder.front().first, m_keyOrder.begin());
  trim();
}

void ObjectCache::trim() {
  while (m_rows.size() > m_limit) {
    m_rows.erase(m_rowOrder.back().first);
    m_rowOrder.pop_back();
  }
  while (m_keys.size() > m_limit) {
    m_keys.erase(m_keyOrder.back().first);
    m_keyOrder.pop_back();
  }
}

void ObjectCache::setLimit(std::size_t limit) {
  m_limit = limit;
  trim();
}

void ObjectCache::dropId(uint32_t id) {
  auto it = m_rows.find(id);
  if (it != m_rows.end()) {
    m_rowOrder.erase(it->second);
    m_rows.erase(it);
  }
  for (auto k = m_keyOrder.begin(); k != m_keyOrder.end();) {
    if (k->second != id) {
      ++k;
      continue;
    }
    m_keys.erase(k->first);
    k = m_keyOrder.erase(k);
  }
}

bool ObjectCache::changedBy(const KeyOf& k, const TypeDesc& t) const {
  return t.isA(k.base) && (k.only == ObjectType::None || t.isA(k.only)) &&
         t.keyFields.size() == k.values.size();
}

void ObjectCache::dropKey(const TypeDesc& t, const std::vector<Value>& values) {
  for (auto k = m_keyOrder.begin(); k != m_keyOrder.end();) {
    if (!changedBy(k->first, t) || !sameValues(k->first.values, values)) {
      ++k;
      continue;
    }
    m_keys.erase(k->first);
    k = m_keyOrder.erase(k);
  }
}

void ObjectCache::dropType(const TypeDesc& t) {
  for (auto r = m_rowOrder.begin(); r != m_rowOrder.end();) {
    if (r->second.type != &t && r->second.type) {
      ++r;
      continue;
    }
    m_rows.erase(r->first);
    r = m_rowOrder.erase(r);
  }
  for (auto k = m_keyOrder.begin(); k != m_keyOrder.end();) {
    if (!changedBy(k->first, t)) {
      ++k;
      continue;
    }
    m_keys.erase(k->first);
    k = m_keyOrder.erase(k);
  }
}

void ObjectCache::clear() {
  m_rows.clear();
  m_rowOrder.clear();
  m_keys.clear();
  m_keyOrder.clear();
}

}  // namespace stocklib::detail

// The per-library cache of what lookups loaded: object rows by id and key answers by (type, key),
// each bounded and least recently used out. It keeps values, never the objects handed out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <unordered_map>
#include <vector>

#include "Schema.h"

namespace stocklib::detail {

class ObjectCache {
 public:
  /// Row: one stored object as loaded: its concrete type (null: no object has that id), its
  /// field values (references by id only) and the ids of its list items (children in order).
  struct Row {
    const TypeDesc* type = nullptr;
    std::vector<Value> values;
    std::vector<std::vector<uint32_t>> lists;
  };

  explicit ObjectCache(std::size_t limit) : m_limit(limit) {}

  /// row: the cached row of `id`; null when it is not cached.
  const Row* row(uint32_t id);
  void putRow(uint32_t id, Row row);
  /// key: whether the answer to (base, only, values) is cached, and then its id (0: none).
  [[nodiscard]] bool key(ObjectType base, ObjectType only, std::vector<Value>& values,
                         uint32_t& id);
  void putKey(ObjectType base, ObjectType only, const std::vector<Value>& values, uint32_t id);

  /// dropId: the row of `id` and every key answer naming it.
  void dropId(uint32_t id);
  /// dropType: every row of type `t` (and every "no such id") and every key answer (found or not)
  /// that `t` could change.
  void dropType(const TypeDesc& t);
  /// dropKey: every key answer that an object of type `t` with key `values` could change.
  void dropKey(const TypeDesc& t, const std::vector<Value>& values);
  void clear();

  std::size_t rows() const { return m_rows.size(); }
  std::size_t keys() const { return m_keys.size(); }
  std::size_t limit() const { return m_limit; }
  /// setLimit: at most `limit` rows and as many key answers (0: nothing is kept).
  void setLimit(std::size_t limit);
  uint64_t hits = 0;
  uint64_t misses = 0;

 private:
  struct KeyOf {
    ObjectType base;
    ObjectType only;
    std::vector<Value> values;
    bool operator==(const KeyOf& o) const;
  };
  struct KeyHash {
    std::size_t operator()(const KeyOf& k) const noexcept;
  };
  using RowList = std::list<std::pair<uint32_t, Row>>;
  using KeyList = std::list<std::pair<KeyOf, uint32_t>>;
  void trim();
  bool changedBy(const KeyOf& k, const TypeDesc& t) const;

  std::size_t m_limit;
  RowList m_rowOrder;  // most recently used first
  std::unordered_map<uint32_t, RowList::iterator> m_rows;
  KeyList m_keyOrder;
  std::unordered_map<KeyOf, KeyList::iterator, KeyHash> m_keys;
  KeyOf m_probe{ObjectType::None, ObjectType::None, {}};
};

}  // namespace stocklib::detail

// ut::vector_map: a map kept as a sorted vector of pairs; compact and fast to walk, for small
// maps that are built once and read often.
#pragma once
/// @file
/// A map kept as a sorted vector.

#include <algorithm>
#include <functional>
#include <utility>
#include <vector>

namespace ut {

template <class Key, class Value, class Less = std::less<Key>>
class vector_map {
 public:
  using value_type = std::pair<Key, Value>;
  using container_type = std::vector<value_type>;
  using iterator = typename container_type::iterator;
  using const_iterator = typename container_type::const_iterator;
  using size_type = typename container_type::size_type;

  vector_map() = default;
  vector_map(std::initializer_list<value_type> items) {
    for (const auto& item : items)
      insert(item);
  }

  /// insert: adds the pair unless the key is present; answers the entry and whether it was added.
  std::pair<iterator, bool> insert(const value_type& item) {
    iterator it = lower_bound(item.first);
    if (it != m_items.end() && !m_less(item.first, it->first)) return {it, false};
    return {m_items.insert(it, item), true};
  }
  std::pair<iterator, bool> insert(const Key& key, const Value& value) {
    return insert(value_type(key, value));
  }
  /// operator[]: the value of `key`, inserted default-constructed when missing.
  Value& operator[](const Key& key) { return insert(value_type(key, Value())).first->second; }

  iterator find(const Key& key) {
    iterator it = lower_bound(key);
    return it != m_items.end() && !m_less(key, it->first) ? it : m_items.end();
  }
  const_iterator find(const Key& key) const {
    const_iterator it = lower_bound(key);
    return it != m_items.end() && !m_less(key, it->first) ? it : m_items.end();
  }
  bool contains(const Key& key) const { return find(key) != end(); }
  size_type count(const Key& key) const { return contains(key) ? 1 : 0; }
  /// erase: removes `key`; answers how many entries went (0 or 1).
  size_type erase(const Key& key) {
    iterator it = find(key);
    if (it == m_items.end()) return 0;
    m_items.erase(it);
    return 1;
  }
  iterator erase(const_iterator it) { return m_items.erase(it); }

  iterator lower_bound(const Key& key) {
    return std::lower_bound(
        m_items.begin(), m_items.end(), key,
        [this](const value_type& a, const Key& k) { return m_less(a.first, k); });
  }
  const_iterator lower_bound(const Key& key) const {
    return std::lower_bound(
        m_items.begin(), m_items.end(), key,
        [this](const value_type& a, const Key& k) { return m_less(a.first, k); });
  }

  size_type size() const { return m_items.size(); }
  bool empty() const { return m_items.empty(); }
  void clear() { m_items.clear(); }
  void reserve(size_type n) { m_items.reserve(n); }
  iterator begin() { return m_items.begin(); }
  iterator end() { return m_items.end(); }
  const_iterator begin() const { return m_items.begin(); }
  const_iterator end() const { return m_items.end(); }

  bool operator==(const vector_map& o) const { return m_items == o.m_items; }
  bool operator!=(const vector_map& o) const { return m_items != o.m_items; }

 private:
  container_type m_items;
  Less m_less;
};

}  // namespace ut

// OdArray: the SDK's dynamic array. The allocator parameter names how elements are moved
// (plain memory, constructed objects, or memory cleared on release); all three behave as
// constructed objects here, which is correct for every element type. Exported so that templates
// instantiated over arrays are visible across libraries.
#pragma once
/// @file
/// The SDK's dynamic array.

#include <algorithm>
#include <initializer_list>
#include <utility>
#include <vector>

#include "OdError.h"
#include "OdExport.h"

template <class T>
struct ODSDK_API OdMemoryAllocator {};
template <class T>
struct ODSDK_API OdObjectsAllocator {};
template <class T>
struct ODSDK_API OdClrMemAllocator {};

template <class T, class A = OdObjectsAllocator<T>>
class ODSDK_API OdArray {
 public:
  using size_type = unsigned int;
  using value_type = T;
  using iterator = typename std::vector<T>::iterator;
  using const_iterator = typename std::vector<T>::const_iterator;

  OdArray() = default;
  explicit OdArray(size_type physicalLength) { m_items.reserve(physicalLength); }
  OdArray(std::initializer_list<T> items) : m_items(items) {}

  size_type size() const { return static_cast<size_type>(m_items.size()); }
  size_type length() const { return size(); }
  size_type logicalLength() const { return size(); }
  size_type physicalLength() const { return static_cast<size_type>(m_items.capacity()); }
  bool isEmpty() const { return m_items.empty(); }
  bool empty() const { return m_items.empty(); }

  /// at / getAt / operator[]: the element at `index`; OdError(eInvalidIndex) when out of range.
  T& at(size_type index) {
    check(index);
    return m_items[index];
  }
  const T& at(size_type index) const {
    check(index);
    return m_items[index];
  }
  const T& getAt(size_type index) const { return at(index); }
  T& operator[](size_type index) { return at(index); }
  const T& operator[](size_type index) const { return at(index); }
  OdArray& setAt(size_type index, const T& value) {
    at(index) = value;
    return *this;
  }
  T& first() { return at(0); }
  const T& first() const { return at(0); }
  T& last() { return at(size() - 1); }
  const T& last() const { return at(size() - 1); }

  size_type append(const T& value) {
    m_items.push_back(value);
    return size() - 1;
  }
  OdArray& append(const OdArray& other) {
    m_items.insert(m_items.end(), other.m_items.begin(), other.m_items.end());
    return *this;
  }
  void push_back(const T& value) { m_items.push_back(value); }
  void push_back(T&& value) { m_items.push_back(std::move(value)); }
  OdArray& insertAt(size_type index, const T& value) {
    if (index > size()) throw OdError(eInvalidIndex);
    m_items.insert(m_items.begin() + index, value);
    return *this;
  }
  OdArray& removeAt(size_type index) {
    check(index);
    m_items.erase(m_items.begin() + index);
    return *this;
  }
  OdArray& removeFirst() { return removeAt(0); }
  OdArray& removeLast() { return removeAt(size() - 1); }
  /// remove: removes the first element equal to `value`; false when there is none.
  bool remove(const T& value, size_type start = 0) {
    size_type index;
    if (!find(value, index, start)) return false;
    removeAt(index);
    return true;
  }
  OdArray& removeAll() {
    m_items.clear();
    return *this;
  }
  void clear() { m_items.clear(); }
  OdArray& reserve(size_type n) {
    m_items.reserve(n);
    return *this;
  }
  OdArray& setPhysicalLength(size_type n) { return reserve(n); }
  OdArray& resize(size_type n) {
    m_items.resize(n);
    return *this;
  }
  OdArray& resize(size_type n, const T& value) {
    m_items.resize(n, value);
    return *this;
  }
  OdArray& setLogicalLength(size_type n) { return resize(n); }

  bool contains(const T& value, size_type start = 0) const {
    size_type index;
    return find(value, index, start);
  }
  bool find(const T& value, size_type& index, size_type start = 0) const {
    for (size_type i = start; i < size(); ++i) {
      if (m_items[i] == value) {
        index = i;
        return true;
      }
    }
    return false;
  }

  T* asArrayPtr() { return m_items.data(); }
  const T* asArrayPtr() const { return m_items.data(); }
  const T* getPtr() const { return m_items.data(); }

  iterator begin() { return m_items.begin(); }
  iterator end() { return m_items.end(); }
  const_iterator begin() const { return m_items.begin(); }
  const_iterator end() const { return m_items.end(); }

  bool operator==(const OdArray& other) const { return m_items == other.m_items; }
  bool operator!=(const OdArray& other) const { return m_items != other.m_items; }
  bool operator<(const OdArray& other) const { return m_items < other.m_items; }

 private:
  void check(size_type index) const {
    if (index >= m_items.size()) throw OdError(eInvalidIndex);
  }

  std::vector<T> m_items;
};

class OdString;
using OdStringArray = OdArray<OdString, OdObjectsAllocator<OdString>>;

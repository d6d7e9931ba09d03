// Private: filing of every value type of the storage, and dispatch over the supported types.
// Readers throw OdError (eEndOfFile from the filer, eBadDrawingFile for refused data); the
// public entry points turn that into a result.
#pragma once

#include <map>
#include <memory>
#include <type_traits>

#include "DbFiler.h"
#include "OdError.h"
#include "dbprops/DbProperty.h"

namespace dbprops_detail {

/// Values nested deeper than this are refused when read (guards the stack against bad files)
/// and when stored (so that what is stored reads back).
constexpr int kMaxNesting = 32;

/// depth: how many levels a value takes, itself included (an empty nested value takes none).
int depth(const DbProperty& value);

/// Lenient reads, for finding where a refused value ends: bool bytes above 1, unknown flag bits,
/// repeated map keys and unknown reference types pass. Only the layout is trusted then.
bool lenient();
struct LenientGuard {
  LenientGuard();
  ~LenientGuard();
};

[[noreturn]] void refuse(const OdString& what);
/// noteRefusal / lastRefusal: the description of the last refused read on this thread, kept
/// across readDataFromDwg, whose answer is a bare result.
void noteRefusal(const OdError& e);
OdString lastRefusal();
/// checkCount: refuses a count of elements that the data left cannot hold (each element takes
/// at least one byte).
void checkCount(OdDbDwgFiler* filer, std::uint32_t count, const wchar_t* what);

void writeTypedId(OdDbDwgFiler* filer, const OdDbTypedId& id);
OdDbTypedId readTypedId(OdDbDwgFiler* filer);

/// writeDescriptor / readDescriptor: the three codes of a type.
void writeDescriptor(OdDbDwgFiler* filer, const DbPropertyType& type);
DbPropertyType readDescriptor(OdDbDwgFiler* filer);

/// writeNested / readNested: a nested value with its descriptor; (0,0,0) stands for empty.
void writeNested(OdDbDwgFiler* filer, const DbPropertyPtr& value);
DbPropertyPtr readNested(OdDbDwgFiler* filer);

/// readStored: reads the data of a value of `type` (as written by writeDataToDwg), throwing.
std::shared_ptr<DbProperty> readStored(OdDbDwgFiler* filer, const DbPropertyType& type);

/// Depth of nested reads on this thread.
struct NestingGuard {
  NestingGuard();
  ~NestingGuard();
};

// Element filing.
inline void writeValue(OdDbDwgFiler* f, bool v) {
  f->wrBool(v);
}
inline void writeValue(OdDbDwgFiler* f, std::int8_t v) {
  f->wrInt8(v);
}
inline void writeValue(OdDbDwgFiler* f, std::uint8_t v) {
  f->wrUInt8(v);
}
inline void writeValue(OdDbDwgFiler* f, std::int16_t v) {
  f->wrInt16(v);
}
inline void writeValue(OdDbDwgFiler* f, std::uint16_t v) {
  f->wrUInt16(v);
}
inline void writeValue(OdDbDwgFiler* f, std::int32_t v) {
  f->wrInt32(v);
}
inline void writeValue(OdDbDwgFiler* f, std::uint32_t v) {
  f->wrUInt32(v);
}
inline void writeValue(OdDbDwgFiler* f, std::int64_t v) {
  f->wrInt64(v);
}
inline void writeValue(OdDbDwgFiler* f, std::uint64_t v) {
  f->wrUInt64(v);
}
inline void writeValue(OdDbDwgFiler* f, double v) {
  f->wrDouble(v);
}
inline void writeValue(OdDbDwgFiler* f, const OdString& v) {
  f->wrString(v);
}
inline void writeValue(OdDbDwgFiler* f, const OdDbHandle& v) {
  f->wrDbHandle(v);
}
inline void writeValue(OdDbDwgFiler* f, const OdDbTypedId& v) {
  writeTypedId(f, v);
}
inline void writeValue(OdDbDwgFiler* f, const OdGeVector2d& v) {
  f->wrVector2d(v);
}
inline void writeValue(OdDbDwgFiler* f, const OdGePoint2d& v) {
  f->wrPoint2d(v);
}
inline void writeValue(OdDbDwgFiler* f, const OdGeVector3d& v) {
  f->wrVector3d(v);
}
inline void writeValue(OdDbDwgFiler* f, const OdGePoint3d& v) {
  f->wrPoint3d(v);
}
inline void writeValue(OdDbDwgFiler* f, const DbBytes& v) {
  f->wrUInt32(static_cast<std::uint32_t>(v.size()));
  if (!v.empty()) f->wrBytes(v.data(), v.size());
}
inline void writeValue(OdDbDwgFiler* f, const DbPropertyPtr& v) {
  writeNested(f, v);
}

inline void readValue(OdDbDwgFiler* f, bool& v) {
  v = lenient() ? f->rdUInt8() != 0 : f->rdBool();
}
inline void readValue(OdDbDwgFiler* f, std::int8_t& v) {
  v = f->rdInt8();
}
inline void readValue(OdDbDwgFiler* f, std::uint8_t& v) {
  v = f->rdUInt8();
}
inline void readValue(OdDbDwgFiler* f, std::int16_t& v) {
  v = f->rdInt16();
}
inline void readValue(OdDbDwgFiler* f, std::uint16_t& v) {
  v = f->rdUInt16();
}
inline void readValue(OdDbDwgFiler* f, std::int32_t& v) {
  v = f->rdInt32();
}
inline void readValue(OdDbDwgFiler* f, std::uint32_t& v) {
  v = f->rdUInt32();
}
inline void readValue(OdDbDwgFiler* f, std::int64_t& v) {
  v = f->rdInt64();
}
inline void readValue(OdDbDwgFiler* f, std::uint64_t& v) {
  v = f->rdUInt64();
}
inline void readValue(OdDbDwgFiler* f, double& v) {
  v = f->rdDouble();
}
inline void readValue(OdDbDwgFiler* f, OdString& v) {
  v = f->rdString();
}
inline void readValue(OdDbDwgFiler* f, OdDbHandle& v) {
  v = f->rdDbHandle();
}
inline void readValue(OdDbDwgFiler* f, OdDbTypedId& v) {
  v = readTypedId(f);
}
inline void readValue(OdDbDwgFiler* f, OdGeVector2d& v) {
  v = f->rdVector2d();
}
inline void readValue(OdDbDwgFiler* f, OdGePoint2d& v) {
  v = f->rdPoint2d();
}
inline void readValue(OdDbDwgFiler* f, OdGeVector3d& v) {
  v = f->rdVector3d();
}
inline void readValue(OdDbDwgFiler* f, OdGePoint3d& v) {
  v = f->rdPoint3d();
}
inline void readValue(OdDbDwgFiler* f, DbBytes& v) {
  std::uint32_t size = f->rdUInt32();
  checkCount(f, size, L"byte vector");
  DbBytes bytes(size);
  if (size) f->rdBytes(bytes.data(), size);
  v.swap(bytes);
}
inline void readValue(OdDbDwgFiler* f, DbPropertyPtr& v) {
  v = readNested(f);
}

template <class T, class A>
void writeValue(OdDbDwgFiler* f, const OdArray<T, A>& v) {
  f->wrUInt32(v.size());
  for (const T& item : v)
    writeValue(f, item);
}
template <class T, class A>
void readValue(OdDbDwgFiler* f, OdArray<T, A>& v) {
  std::uint32_t count = f->rdUInt32();
  checkCount(f, count, L"array");
  OdArray<T, A> items(count);
  for (std::uint32_t i = 0; i < count; ++i) {
    T item{};
    readValue(f, item);
    items.push_back(std::move(item));
  }
  v = std::move(items);
}

template <class K, class V>
void writeValue(OdDbDwgFiler* f, const std::map<K, V>& v) {
  f->wrUInt32(static_cast<std::uint32_t>(v.size()));
  for (const auto& item : v) {
    writeValue(f, item.first);
    writeValue(f, item.second);
  }
}
template <class K, class V>
void readValue(OdDbDwgFiler* f, std::map<K, V>& v) {
  std::uint32_t count = f->rdUInt32();
  checkCount(f, count, L"map");
  std::map<K, V> items;
  for (std::uint32_t i = 0; i < count; ++i) {
    K key{};
    readValue(f, key);
    V value{};
    readValue(f, value);
    if (!items.emplace(std::move(key), std::move(value)).second && !lenient()) {
      refuse(OdString::formatted(L"map entry %u repeats a key", i));
    }
  }
  v.swap(items);
}

// Deep copies: nested values are cloned, everything else copied.
template <class T>
T deepCopy(const T& v) {
  return v;
}
inline DbPropertyPtr deepCopy(const DbPropertyPtr& v) {
  return v ? v->clone() : DbPropertyPtr();
}
template <class A>
OdArray<DbPropertyPtr, A> deepCopy(const OdArray<DbPropertyPtr, A>& v) {
  OdArray<DbPropertyPtr, A> out(v.size());
  for (const auto& item : v)
    out.push_back(deepCopy(item));
  return out;
}
template <class K>
std::map<K, DbPropertyPtr> deepCopy(const std::map<K, DbPropertyPtr>& v) {
  std::map<K, DbPropertyPtr> out;
  for (const auto& item : v)
    out.emplace(item.first, deepCopy(item.second));
  return out;
}

/// visitType: calls `f(static_cast<T*>(nullptr))` with the value type T whose descriptor is
/// `type`; false when `type` is not valid.
template <class F>
bool visitType(const DbPropertyType& type, F&& f) {
#define DBPROPS_VISIT_SINGLE_(T, C)       \
  if (type == DbPropertyType::get<T>()) { \
    f(static_cast<T*>(nullptr));          \
    return true;                          \
  }
#define DBPROPS_VISIT_ARRAY_(T, C) DBPROPS_VISIT_SINGLE_(DbArray<T>, C)
#define DBPROPS_VISIT_MAP_(K, KC, V, VC)               \
  if (type == DbPropertyType::get<std::map<K, V>>()) { \
    f(static_cast<std::map<K, V>*>(nullptr));          \
    return true;                                       \
  }
  switch (type.structure()) {
    case DbPropertyType::kSingle:
      DBPROPS_SINGLE_TYPES(DBPROPS_VISIT_SINGLE_)
      break;
    case DbPropertyType::kArray:
      DBPROPS_ARRAY_TYPES(DBPROPS_VISIT_ARRAY_)
      break;
    case DbPropertyType::kMap:
      DBPROPS_MAP_TYPES(DBPROPS_VISIT_MAP_)
      break;
    default:
      break;
  }
#undef DBPROPS_VISIT_SINGLE_
#undef DBPROPS_VISIT_ARRAY_
#undef DBPROPS_VISIT_MAP_
  return false;
}

}  // namespace dbprops_detail

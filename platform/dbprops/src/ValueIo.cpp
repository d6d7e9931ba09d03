// Private filing helpers: refusals, count checks, descriptors and nested values.
#include "ValueIo.h"

#include <algorithm>

namespace dbprops_detail {

namespace {
thread_local int t_nesting = 0;
thread_local int t_lenient = 0;
thread_local OdString t_lastRefusal;
}  // namespace

void noteRefusal(const OdError& e) {
  t_lastRefusal = e.description();
}
OdString lastRefusal() {
  return t_lastRefusal;
}

bool lenient() {
  return t_lenient > 0;
}
LenientGuard::LenientGuard() {
  ++t_lenient;
}
LenientGuard::~LenientGuard() {
  --t_lenient;
}

namespace {
int depthOf(const DbPropertyPtr& v) {
  return v ? depth(*v) : 0;
}
template <class T>
int depthOf(const T&) {
  return 0;
}
template <class T, class A>
int depthOf(const OdArray<T, A>& v) {
  int d = 0;
  for (const T& item : v)
    d = std::max(d, depthOf(item));
  return d;
}
template <class K, class V>
int depthOf(const std::map<K, V>& v) {
  int d = 0;
  for (const auto& item : v)
    d = std::max(d, std::max(depthOf(item.first), depthOf(item.second)));
  return d;
}
}  // namespace

int depth(const DbProperty& value) {
  int inner = 0;
  visitType(value.type(), [&](auto* tag) {
    using T = std::remove_pointer_t<decltype(tag)>;
    auto& held = static_cast<const DbPropertyContainer<T>&>(value);
    if (held.isSet()) inner = depthOf(held.value());
  });
  return 1 + inner;
}

void refuse(const OdString& what) {
  throw OdError(eBadDrawingFile, what);
}

void checkCount(OdDbDwgFiler* filer, std::uint32_t count, const wchar_t* what) {
  std::uint64_t left = filer->bytesLeft();
  if (count > left) {
    refuse(OdString::formatted(L"%ls of %u elements, but only %llu bytes are left", what, count,
                               static_cast<unsigned long long>(left)));
  }
}

NestingGuard::NestingGuard() {
  if (t_nesting >= kMaxNesting) {
    refuse(OdString::formatted(L"values nested deeper than %d levels", kMaxNesting));
  }
  ++t_nesting;
}
NestingGuard::~NestingGuard() {
  --t_nesting;
}

void writeDescriptor(OdDbDwgFiler* filer, const DbPropertyType& type) {
  filer->wrInt32(type.structure());
  filer->wrInt32(type.type());
  filer->wrInt32(type.keyType());
}

DbPropertyType readDescriptor(OdDbDwgFiler* filer) {
  std::int32_t structure = filer->rdInt32();
  std::int32_t type = filer->rdInt32();
  std::int32_t key = filer->rdInt32();
  return DbPropertyType(structure, type, key);
}

std::shared_ptr<DbProperty> readStored(OdDbDwgFiler* filer, const DbPropertyType& type) {
  std::shared_ptr<DbProperty> value = type.createProperty();
  if (!value) {
    refuse(OdString::formatted(L"unknown value type (structure %d, element %d, key %d)",
                               type.structure(), type.type(), type.keyType()));
  }
  NestingGuard guard;
  OdResult result = value->readDataFromDwg(filer);
  if (result != eOk) throw OdError(result, lastRefusal());
  return value;
}

void writeNested(OdDbDwgFiler* filer, const DbPropertyPtr& value) {
  if (!value) {
    writeDescriptor(filer, DbPropertyType());
    return;
  }
  writeDescriptor(filer, value->type());
  value->writeDataToDwg(filer);
}

DbPropertyPtr readNested(OdDbDwgFiler* filer) {
  DbPropertyType type = readDescriptor(filer);
  if (type == DbPropertyType()) return DbPropertyPtr();
  return readStored(filer, type);
}

}  // namespace dbprops_detail

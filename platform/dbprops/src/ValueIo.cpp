// Private filing helpers: refusals, count checks, descriptors and nested values.
#include "ValueIo.h"

namespace dbprops_detail {

namespace {
thread_local int t_nesting = 0;
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
  if (result != eOk) throw OdError(result);
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

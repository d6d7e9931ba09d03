// Temporary stand-ins for SDK pieces until the drawing objects are merged.
#include "DbObjectExtension.h"
#include "ValueIo.h"
#include "dbprops/DbProperties.h"

OdDbFiler::~OdDbFiler() = default;
OdDbDwgFiler::~OdDbDwgFiler() = default;
OdDbObjectExtension::~OdDbObjectExtension() = default;

const DbProperties* DbProperties::get(const OdRxObject*) {
  return nullptr;
}
DbProperties* DbProperties::get(OdRxObject*) {
  return nullptr;
}
bool DbProperties::ownerWritable() const {
  return true;
}
void DbProperties::assertOwnerWrite() {}

namespace dbprops_detail {
void writeTypedId(OdDbDwgFiler* filer, const OdDbTypedId& id) {
  filer->wrDbHandle(id.handle());
  filer->wrInt8(static_cast<std::int8_t>(id.refType()));
}
OdDbTypedId readTypedId(OdDbDwgFiler* filer) {
  OdDbHandle handle = filer->rdDbHandle();
  std::int8_t type = filer->rdInt8();
  if (type < OdDb::kSoftPointerRef || type > OdDb::kHardOwnershipRef) {
    refuse(OdString::formatted(L"unknown reference type %d", type));
  }
  return OdDbTypedId(OdDbObjectId(handle), static_cast<OdDb::ReferenceType>(type));
}
}  // namespace dbprops_detail

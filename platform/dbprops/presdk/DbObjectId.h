// Temporary stand-in for the SDK's object ids until the drawing objects are merged.
#pragma once

#include "OdDbHandle.h"

class OdDbDatabase;
namespace OdDb {
enum ReferenceType {
  kSoftPointerRef = 2,
  kHardPointerRef = 3,
  kSoftOwnershipRef = 4,
  kHardOwnershipRef = 5,
};
}  // namespace OdDb

class __attribute__((visibility("default"))) OdDbObjectId {
 public:
  OdDbObjectId() = default;
  explicit OdDbObjectId(OdDbHandle h) : m_handle(h) {}
  bool isNull() const { return m_handle.isNull(); }
  OdDbHandle handle() const { return m_handle; }
  bool operator<(const OdDbObjectId& o) const { return m_handle < o.m_handle; }
  bool operator==(const OdDbObjectId& o) const { return m_handle == o.m_handle; }
  bool operator!=(const OdDbObjectId& o) const { return m_handle != o.m_handle; }

 private:
  OdDbHandle m_handle;
};

class __attribute__((visibility("default"))) OdDbTypedId : public OdDbObjectId {
 public:
  OdDbTypedId() = default;
  OdDbTypedId(const OdDbObjectId& id, OdDb::ReferenceType type = OdDb::kSoftPointerRef)
      : OdDbObjectId(id), m_type(type) {}
  OdDb::ReferenceType refType() const { return m_type; }

 private:
  OdDb::ReferenceType m_type = OdDb::kSoftPointerRef;
};

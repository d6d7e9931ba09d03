// OdDbObjectId: a light value naming one object of one open drawing; OdDbTypedId adds the kind
// of reference. An id is valid while its drawing lives; the null id is always safe to use.
#pragma once
/// @file
/// Ids that name one object of an open drawing.

#include "OdDbHandle.h"
#include "OdExport.h"
#include "OdResult.h"
#include "RxObject.h"

class OdDbDatabase;
class OdDbObject;
class OdDbStub;
using OdDbObjectPtr = OdSmartPtr<OdDbObject>;

namespace OdDb {
/// How an object is opened. The numbers are stable.
enum OpenMode { kNotOpen = -1, kForRead = 0, kForWrite = 1, kForNotify = 2 };
/// What a stored reference to another object means.
enum ReferenceType {
  kSoftPointerRef = 2,
  kHardPointerRef = 3,
  kSoftOwnershipRef = 4,
  kHardOwnershipRef = 5,
};
}  // namespace OdDb

class ODSDK_API OdDbObjectId {
 public:
  OdDbObjectId() = default;
  /// kNull: the null id.
  static const OdDbObjectId kNull;

  /// isNull: true for the null id.
  bool isNull() const { return m_stub == nullptr; }
  /// isValid: true when the id names an object that exists in its drawing (erased or not).
  bool isValid() const;
  /// isErased: true when the object is erased; false for null or invalid ids.
  bool isErased() const;
  /// handle: the object's handle; the null handle for the null id.
  OdDbHandle handle() const;
  /// database: the drawing of the object; null for the null id.
  OdDbDatabase* database() const;

  /// openObject: opens the object in `mode` and answers it, or an empty pointer when the id is
  /// null, names no object, the object is erased (unless `openErased`) or is open in a mode that
  /// excludes `mode`. The open lasts until close() or until the last pointer to it goes.
  OdDbObjectPtr openObject(OdDb::OpenMode mode = OdDb::kForRead, bool openErased = false) const;
  /// openObject: as above, answering why it failed (eNullObjectId, eKeyNotFound, eWasErased,
  /// eWasOpenForWrite, eWasOpenForRead, eWasNotifying); `object` is empty unless eOk.
  OdResult openObject(OdDbObjectPtr& object, OdDb::OpenMode mode = OdDb::kForRead,
                      bool openErased = false) const;
  /// safeOpenObject: as openObject, but throws OdError with the reason instead of answering empty.
  OdDbObjectPtr safeOpenObject(OdDb::OpenMode mode = OdDb::kForRead, bool openErased = false) const;

  /// Ids order by drawing, then handle; the null id comes first.
  bool operator<(const OdDbObjectId& o) const;
  bool operator==(const OdDbObjectId& o) const { return m_stub == o.m_stub; }
  bool operator!=(const OdDbObjectId& o) const { return m_stub != o.m_stub; }

  /// For the SDK's own use: the id of a stub.
  explicit OdDbObjectId(OdDbStub* stub) : m_stub(stub) {}
  OdDbStub* stub() const { return m_stub; }

 private:
  OdDbStub* m_stub = nullptr;
};

class ODSDK_API OdDbTypedId : public OdDbObjectId {
 public:
  OdDbTypedId() = default;
  OdDbTypedId(const OdDbObjectId& id, OdDb::ReferenceType type = OdDb::kSoftPointerRef)
      : OdDbObjectId(id), m_type(type) {}
  OdDb::ReferenceType refType() const { return m_type; }
  void setRefType(OdDb::ReferenceType type) { m_type = type; }

 private:
  OdDb::ReferenceType m_type = OdDb::kSoftPointerRef;
};

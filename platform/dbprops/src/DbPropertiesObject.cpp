// DbProperties on drawing objects: finding an entity's container, checking the owner's open
// state, and registering the container as extension data when the library is loaded.
#include "DbDatabase.h"
#include "DbEntity.h"
#include "DbObject.h"
#include "ValueIo.h"
#include "dbprops/DbProperties.h"

namespace {

OdDbObjectExtensionPtr makeContainer() {
  return OdDbObjectExtensionPtr(new OdRxObjectImpl<DbProperties>(), kOdRxObjAttach);
}

// Made once: every lookup of a container asks for its kind.
const OdString& kindName() {
  static const OdString kind(DbProperties::kExtensionKind);
  return kind;
}

const OdDbEntity* asEntity(const OdRxObject* object) {
  if (!object || !OdDbEntity::desc() || !object->isKindOf(OdDbEntity::desc())) return nullptr;
  return static_cast<const OdDbEntity*>(object);
}

// Registered while the library is loaded.
struct RegisterContainerKind {
  RegisterContainerKind() {
    if (!odDbIsObjectExtensionRegistered(DbProperties::kExtensionKind)) {
      odDbRegisterObjectExtension(DbProperties::kExtensionKind, &makeContainer);
    }
  }
  ~RegisterContainerKind() {
    if (odDbIsObjectExtensionRegistered(DbProperties::kExtensionKind)) {
      odDbUnregisterObjectExtension(DbProperties::kExtensionKind);
    }
  }
} registerContainerKind;

}  // namespace

const DbProperties* DbProperties::get(const OdRxObject* object) {
  const OdDbEntity* entity = asEntity(object);
  if (!entity) return nullptr;
  auto* attached = dynamic_cast<DbProperties*>(entity->extension(kindName()));
  if (attached) {
    attached->m_owner = const_cast<OdDbEntity*>(entity);
    return attached;
  }
  static const OdStaticRxObject<DbProperties> s_empty;
  return &s_empty;
}

DbProperties* DbProperties::get(OdRxObject* object) {
  const OdDbEntity* constEntity = asEntity(object);
  if (!constEntity) return nullptr;
  OdDbEntity* entity = const_cast<OdDbEntity*>(constEntity);
  auto* attached = dynamic_cast<DbProperties*>(entity->extension(kindName()));
  if (!attached) {
    OdDbObjectExtensionPtr made = makeContainer();
    entity->setExtension(kindName(), made.get());  // needs write; snapshots for undo
    attached = static_cast<DbProperties*>(made.get());
  }
  attached->m_owner = entity;
  return attached;
}

bool DbProperties::ownerWritable() const {
  return !m_owner || m_owner->isWriteEnabled();
}

void DbProperties::assertOwnerWrite() {
  if (m_owner) m_owner->assertWriteEnabled(true, true);
}

namespace dbprops_detail {

void writeTypedId(OdDbDwgFiler* filer, const OdDbTypedId& id) {
  filer->wrDbHandle(id.handle());
  filer->wrInt8(static_cast<std::int8_t>(id.refType()));
}

OdDbTypedId readTypedId(OdDbDwgFiler* filer) {
  OdDbHandle handle = filer->rdDbHandle();
  std::int8_t type = filer->rdInt8();
  if ((type < OdDb::kSoftPointerRef || type > OdDb::kHardOwnershipRef) && !lenient()) {
    refuse(OdString::formatted(L"unknown reference type %d", type));
  }
  OdDbObjectId id;
  OdDbDatabase* db = filer->database();
  if (!handle.isNull() && db) id = db->getOdDbObjectId(handle);
  if (type < OdDb::kSoftPointerRef || type > OdDb::kHardOwnershipRef) type = OdDb::kSoftPointerRef;
  return OdDbTypedId(id, static_cast<OdDb::ReferenceType>(type));
}

}  // namespace dbprops_detail

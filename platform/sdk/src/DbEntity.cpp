// Entities (line, circle, polyline) and the block table record that owns them.
#include "DbEntity.h"

#include <cmath>

#include "DbDatabase.h"

ODRX_NO_CONS_DEFINE_MEMBERS(OdDbEntity, OdDbObject)
ODRX_DEFINE_MEMBERS(OdDbLine, OdDbEntity)
ODRX_DEFINE_MEMBERS(OdDbCircle, OdDbEntity)
ODRX_DEFINE_MEMBERS(OdDbPolyline, OdDbEntity)
ODRX_DEFINE_MEMBERS(OdDbBlockTableRecord, OdDbObject)

OdDbEntity::OdDbEntity() = default;
OdDbEntity::~OdDbEntity() = default;

int OdDbEntity::colorIndex() const {
  assertReadEnabled();
  return m_color;
}

void OdDbEntity::setColorIndex(int index) {
  if (index < 0 || index > 256) {
    throw OdError(eInvalidInput, OdString::formatted(L"colour index %d is not 0 to 256", index));
  }
  assertWriteEnabled();
  m_color = index;
}

void OdDbEntity::dwgOutFields(OdDbDwgFiler* filer) const {
  OdDbObject::dwgOutFields(filer);
  filer->wrInt16(static_cast<std::int16_t>(m_color));
}

OdResult OdDbEntity::dwgInFields(OdDbDwgFiler* filer) {
  OdResult result = OdDbObject::dwgInFields(filer);
  if (result != eOk) return result;
  int color = filer->rdInt16();
  if (color < 0 || color > 256) return eBadDrawingFile;
  m_color = color;
  return eOk;
}

OdGePoint3d OdDbLine::startPoint() const {
  assertReadEnabled();
  return m_start;
}
OdGePoint3d OdDbLine::endPoint() const {
  assertReadEnabled();
  return m_end;
}
void OdDbLine::setStartPoint(const OdGePoint3d& point) {
  assertWriteEnabled();
  m_start = point;
}
void OdDbLine::setEndPoint(const OdGePoint3d& point) {
  assertWriteEnabled();
  m_end = point;
}
void OdDbLine::dwgOutFields(OdDbDwgFiler* filer) const {
  OdDbEntity::dwgOutFields(filer);
  filer->wrPoint3d(m_start);
  filer->wrPoint3d(m_end);
}
OdResult OdDbLine::dwgInFields(OdDbDwgFiler* filer) {
  OdResult result = OdDbEntity::dwgInFields(filer);
  if (result != eOk) return result;
  m_start = filer->rdPoint3d();
  m_end = filer->rdPoint3d();
  return eOk;
}

OdGePoint3d OdDbCircle::center() const {
  assertReadEnabled();
  return m_center;
}
double OdDbCircle::radius() const {
  assertReadEnabled();
  return m_radius;
}
OdGeVector3d OdDbCircle::normal() const {
  assertReadEnabled();
  return m_normal;
}
void OdDbCircle::setCenter(const OdGePoint3d& center) {
  assertWriteEnabled();
  m_center = center;
}
void OdDbCircle::setRadius(double radius) {
  if (!std::isfinite(radius) || radius <= 0) {
    throw OdError(eInvalidInput, OdString(L"a circle's radius must be finite and positive"));
  }
  assertWriteEnabled();
  m_radius = radius;
}
void OdDbCircle::setNormal(const OdGeVector3d& normal) {
  assertWriteEnabled();
  m_normal = normal;
}
void OdDbCircle::dwgOutFields(OdDbDwgFiler* filer) const {
  OdDbEntity::dwgOutFields(filer);
  filer->wrPoint3d(m_center);
  filer->wrDouble(m_radius);
  filer->wrVector3d(m_normal);
}
OdResult OdDbCircle::dwgInFields(OdDbDwgFiler* filer) {
  OdResult result = OdDbEntity::dwgInFields(filer);
  if (result != eOk) return result;
  OdGePoint3d center = filer->rdPoint3d();
  double radius = filer->rdDouble();
  OdGeVector3d normal = filer->rdVector3d();
  if (!std::isfinite(radius) || radius <= 0) return eBadDrawingFile;
  m_center = center;
  m_radius = radius;
  m_normal = normal;
  return eOk;
}

unsigned int OdDbPolyline::numVerts() const {
  assertReadEnabled();
  return m_vertices.size();
}
OdGePoint2d OdDbPolyline::getPointAt(unsigned int index) const {
  assertReadEnabled();
  if (index >= m_vertices.size()) {
    throw OdError(eInvalidIndex,
                  OdString::formatted(L"vertex %d of %d", int(index), int(m_vertices.size())));
  }
  return m_vertices[index];
}
void OdDbPolyline::addVertexAt(unsigned int index, const OdGePoint2d& point) {
  assertWriteEnabled();
  if (index > m_vertices.size()) {
    throw OdError(eInvalidIndex,
                  OdString::formatted(L"vertex %d beyond %d", int(index), int(m_vertices.size())));
  }
  m_vertices.insertAt(index, point);
}
void OdDbPolyline::removeVertexAt(unsigned int index) {
  assertWriteEnabled();
  if (index >= m_vertices.size()) {
    throw OdError(eInvalidIndex,
                  OdString::formatted(L"vertex %d of %d", int(index), int(m_vertices.size())));
  }
  m_vertices.removeAt(index);
}
bool OdDbPolyline::isClosed() const {
  assertReadEnabled();
  return m_closed;
}
void OdDbPolyline::setClosed(bool closed) {
  assertWriteEnabled();
  m_closed = closed;
}
double OdDbPolyline::elevation() const {
  assertReadEnabled();
  return m_elevation;
}
void OdDbPolyline::setElevation(double elevation) {
  assertWriteEnabled();
  m_elevation = elevation;
}
void OdDbPolyline::dwgOutFields(OdDbDwgFiler* filer) const {
  OdDbEntity::dwgOutFields(filer);
  filer->wrBool(m_closed);
  filer->wrDouble(m_elevation);
  filer->wrUInt32(m_vertices.size());
  for (const OdGePoint2d& p : m_vertices)
    filer->wrPoint2d(p);
}
OdResult OdDbPolyline::dwgInFields(OdDbDwgFiler* filer) {
  OdResult result = OdDbEntity::dwgInFields(filer);
  if (result != eOk) return result;
  bool closed = filer->rdBool();
  double elevation = filer->rdDouble();
  std::uint32_t count = filer->rdUInt32();
  if (count > filer->bytesLeft() / 16) return eBadDrawingFile;
  OdArray<OdGePoint2d> vertices(count);
  for (std::uint32_t i = 0; i < count; ++i)
    vertices.append(filer->rdPoint2d());
  m_closed = closed;
  m_elevation = elevation;
  m_vertices = vertices;
  return eOk;
}

OdDbBlockTableRecord::OdDbBlockTableRecord() = default;
OdDbBlockTableRecord::~OdDbBlockTableRecord() = default;

OdString OdDbBlockTableRecord::getName() const {
  assertReadEnabled();
  return m_name;
}
void OdDbBlockTableRecord::setName(const OdString& name) {
  assertWriteEnabled();
  m_name = name;
}

OdDbObjectId OdDbBlockTableRecord::appendOdDbEntity(OdDbEntity* entity) {
  if (!entity) throw OdError(eNullObjectPointer, OdString(L"appendOdDbEntity: no entity"));
  assertWriteEnabled();
  if (!database()) throw OdError(eNoDatabase, OdString(L"block record is in no drawing"));
  OdDbObjectId id = entity->objectId();
  if (id.isNull()) {
    id = database()->addOdDbObject(entity, objectId());
  } else if (entity->database() != database()) {
    throw OdError(eInvalidInput, OdString(L"entity belongs to another drawing"));
  }
  m_entities.append(id);
  return id;
}

OdArray<OdDbObjectId> OdDbBlockTableRecord::entityIds() const {
  assertReadEnabled();
  OdArray<OdDbObjectId> out;
  for (const OdDbObjectId& id : m_entities) {
    if (id.isValid() && !id.isErased()) out.append(id);
  }
  return out;
}

void OdDbBlockTableRecord::dwgOutFields(OdDbDwgFiler* filer) const {
  OdDbObject::dwgOutFields(filer);
  filer->wrString(m_name);
  bool all = filer->filerType() == OdDbFiler::kUndoFiler;
  std::uint32_t count = 0;
  for (const OdDbObjectId& id : m_entities)
    count += all || (id.isValid() && !id.isErased());
  filer->wrUInt32(count);
  for (const OdDbObjectId& id : m_entities) {
    if (all || (id.isValid() && !id.isErased())) filer->wrDbHandle(id.handle());
  }
}

OdResult OdDbBlockTableRecord::dwgInFields(OdDbDwgFiler* filer) {
  OdResult result = OdDbObject::dwgInFields(filer);
  if (result != eOk) return result;
  OdString name = filer->rdString();
  std::uint32_t count = filer->rdUInt32();
  if (count > filer->bytesLeft() / 8) return eBadDrawingFile;
  OdDbDatabase* db = filer->database() ? filer->database() : database();
  OdArray<OdDbObjectId> entities(count);
  for (std::uint32_t i = 0; i < count; ++i) {
    OdDbObjectId id = db ? db->getOdDbObjectId(filer->rdDbHandle()) : OdDbObjectId();
    if (!id.isNull()) entities.append(id);
  }
  m_name = name;
  m_entities = entities;
  return eOk;
}

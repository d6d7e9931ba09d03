// Entities: OdDbEntity and the concrete line, circle and polyline, plus the model space that
// owns them (OdDbBlockTableRecord).
#pragma once
/// @file
/// Drawing entities (line, circle, polyline) and the model space that owns them.

#include "DbObject.h"
#include "OdArray.h"
#include "OdGe.h"

class ODSDK_API OdDbEntity : public OdDbObject {
  ODRX_DECLARE_MEMBERS(OdDbEntity)
 public:
  ~OdDbEntity() override;
  /// colorIndex: 0 to 256 (256: by layer, the default).
  int colorIndex() const;
  void setColorIndex(int index);  // throws OdError(eInvalidInput) outside 0..256

  OdResult dwgInFields(OdDbDwgFiler* filer) override;
  void dwgOutFields(OdDbDwgFiler* filer) const override;

 protected:
  OdDbEntity();

 private:
  int m_color = 256;
};
using OdDbEntityPtr = OdSmartPtr<OdDbEntity>;

class ODSDK_API OdDbLine : public OdDbEntity {
  ODRX_DECLARE_MEMBERS(OdDbLine)
 public:
  OdGePoint3d startPoint() const;
  OdGePoint3d endPoint() const;
  void setStartPoint(const OdGePoint3d& point);
  void setEndPoint(const OdGePoint3d& point);
  OdResult dwgInFields(OdDbDwgFiler* filer) override;
  void dwgOutFields(OdDbDwgFiler* filer) const override;

 private:
  OdGePoint3d m_start, m_end;
};
using OdDbLinePtr = OdSmartPtr<OdDbLine>;

class ODSDK_API OdDbCircle : public OdDbEntity {
  ODRX_DECLARE_MEMBERS(OdDbCircle)
 public:
  OdGePoint3d center() const;
  double radius() const;
  OdGeVector3d normal() const;
  void setCenter(const OdGePoint3d& center);
  void setRadius(double radius);  // throws OdError(eInvalidInput) unless finite and > 0
  void setNormal(const OdGeVector3d& normal);
  OdResult dwgInFields(OdDbDwgFiler* filer) override;
  void dwgOutFields(OdDbDwgFiler* filer) const override;

 private:
  OdGePoint3d m_center;
  double m_radius = 1.0;
  OdGeVector3d m_normal{0, 0, 1};
};
using OdDbCirclePtr = OdSmartPtr<OdDbCircle>;

class ODSDK_API OdDbPolyline : public OdDbEntity {
  ODRX_DECLARE_MEMBERS(OdDbPolyline)
 public:
  unsigned int numVerts() const;
  /// getPointAt: vertex `index`; throws OdError(eInvalidIndex) out of range.
  OdGePoint2d getPointAt(unsigned int index) const;
  /// addVertexAt: inserts before `index` (numVerts() appends); throws eInvalidIndex beyond.
  void addVertexAt(unsigned int index, const OdGePoint2d& point);
  void removeVertexAt(unsigned int index);
  bool isClosed() const;
  void setClosed(bool closed);
  double elevation() const;
  void setElevation(double elevation);
  OdResult dwgInFields(OdDbDwgFiler* filer) override;
  void dwgOutFields(OdDbDwgFiler* filer) const override;

 private:
  OdArray<OdGePoint2d> m_vertices;
  bool m_closed = false;
  double m_elevation = 0.0;
};
using OdDbPolylinePtr = OdSmartPtr<OdDbPolyline>;

/// A named container of entities; a drawing's model space is one.
class ODSDK_API OdDbBlockTableRecord : public OdDbObject {
  ODRX_DECLARE_MEMBERS(OdDbBlockTableRecord)
 public:
  OdDbBlockTableRecord();
  ~OdDbBlockTableRecord() override;
  OdString getName() const;
  void setName(const OdString& name);
  /// appendOdDbEntity: adds `entity` to this record's drawing (owned by this record) unless it
  /// is in it already, and appends it. Needs write access; throws OdError(eNoDatabase) when this
  /// record is in no drawing, OdError(eNullObjectPointer) for null, OdError(eInvalidInput) for an
  /// entity of another drawing.
  OdDbObjectId appendOdDbEntity(OdDbEntity* entity);
  /// entityIds: the entities in the order they were appended (erased ones left out).
  OdArray<OdDbObjectId> entityIds() const;
  OdResult dwgInFields(OdDbDwgFiler* filer) override;
  void dwgOutFields(OdDbDwgFiler* filer) const override;

 private:
  OdString m_name;
  OdArray<OdDbObjectId> m_entities;
};
using OdDbBlockTableRecordPtr = OdSmartPtr<OdDbBlockTableRecord>;

// Geometry value types: 2D and 3D points and vectors. Exported so that templates instantiated
// over them (stored values of other libraries) are visible across libraries.
#pragma once
/// @file
/// 2D and 3D points and vectors.

#include <tuple>

#include "OdExport.h"

struct ODSDK_API OdGeVector2d {
  double x = 0.0;
  double y = 0.0;
  OdGeVector2d() = default;
  OdGeVector2d(double xx, double yy) : x(xx), y(yy) {}
  bool operator==(const OdGeVector2d& o) const { return x == o.x && y == o.y; }
  bool operator!=(const OdGeVector2d& o) const { return !(*this == o); }
  bool operator<(const OdGeVector2d& o) const { return std::tie(x, y) < std::tie(o.x, o.y); }
};

struct ODSDK_API OdGePoint2d {
  double x = 0.0;
  double y = 0.0;
  OdGePoint2d() = default;
  OdGePoint2d(double xx, double yy) : x(xx), y(yy) {}
  bool operator==(const OdGePoint2d& o) const { return x == o.x && y == o.y; }
  bool operator!=(const OdGePoint2d& o) const { return !(*this == o); }
  bool operator<(const OdGePoint2d& o) const { return std::tie(x, y) < std::tie(o.x, o.y); }
  OdGePoint2d operator+(const OdGeVector2d& v) const { return {x + v.x, y + v.y}; }
  OdGeVector2d operator-(const OdGePoint2d& p) const { return {x - p.x, y - p.y}; }
};

struct ODSDK_API OdGeVector3d {
  double x = 0.0;
  double y = 0.0;
  double z = 0.0;
  OdGeVector3d() = default;
  OdGeVector3d(double xx, double yy, double zz) : x(xx), y(yy), z(zz) {}
  bool operator==(const OdGeVector3d& o) const { return x == o.x && y == o.y && z == o.z; }
  bool operator!=(const OdGeVector3d& o) const { return !(*this == o); }
  bool operator<(const OdGeVector3d& o) const {
    return std::tie(x, y, z) < std::tie(o.x, o.y, o.z);
  }
};

struct ODSDK_API OdGePoint3d {
  double x = 0.0;
  double y = 0.0;
  double z = 0.0;
  OdGePoint3d() = default;
  OdGePoint3d(double xx, double yy, double zz) : x(xx), y(yy), z(zz) {}
  bool operator==(const OdGePoint3d& o) const { return x == o.x && y == o.y && z == o.z; }
  bool operator!=(const OdGePoint3d& o) const { return !(*this == o); }
  bool operator<(const OdGePoint3d& o) const { return std::tie(x, y, z) < std::tie(o.x, o.y, o.z); }
  OdGePoint3d operator+(const OdGeVector3d& v) const { return {x + v.x, y + v.y, z + v.z}; }
  OdGeVector3d operator-(const OdGePoint3d& p) const { return {x - p.x, y - p.y, z - p.z}; }
};

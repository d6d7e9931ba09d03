// Registers the drawing classes when the SDK library is loaded and removes them when it goes.
#include "DbDatabase.h"
#include "DbDictionary.h"
#include "DbEntity.h"
#include "DbProxyObject.h"

namespace {

struct DrawingClasses {
  DrawingClasses() {
    OdDbObject::rxInit();
    OdDbDictionary::rxInit();
    OdDbEntity::rxInit();
    OdDbLine::rxInit();
    OdDbCircle::rxInit();
    OdDbPolyline::rxInit();
    OdDbBlockTableRecord::rxInit();
    OdDbProxyObject::rxInit();
    OdDbDatabase::rxInit();
  }
  ~DrawingClasses() {
    OdDbDatabase::rxUninit();
    OdDbProxyObject::rxUninit();
    OdDbBlockTableRecord::rxUninit();
    OdDbPolyline::rxUninit();
    OdDbCircle::rxUninit();
    OdDbLine::rxUninit();
    OdDbEntity::rxUninit();
    OdDbDictionary::rxUninit();
    OdDbObject::rxUninit();
  }
};

const DrawingClasses g_drawingClasses;

}  // namespace

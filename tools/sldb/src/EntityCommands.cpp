// The entity commands of the command-line host: adding lines, circles and polylines to a
// drawing's model space and listing its entities with the number of values each carries.
#include <iostream>

#include "EntityAccess.h"

#include "Cli.h"
#include "DbDatabase.h"
#include "DbEntity.h"
#include "DbFileLock.h"
#include "ValueText.h"
#include "dbprops/DbProperties.h"
#include "ut/FileUtils.h"

namespace sldb {

OdDbDatabasePtr openDrawing(const std::string& path, bool forChange) {
  OdString file = OdString::fromUtf8(path);
  if (!ut::fileExists(file)) throw Failure{"no drawing at " + path};
  OdDbDatabasePtr db = odDbCreateDatabase();
  if (forChange) {
    odDbReadFileForChange(db.get(), file);
  } else {
    db->readFile(file);
  }
  return db;
}

int damagedEntities(OdDbDatabase* db) {
  int count = 0;
  for (const OdDbObjectId& id : db->objectIds()) {
    OdDbObjectPtr object = id.openObject(OdDb::kForRead);
    if (object && !damageNote(object.get()).empty()) ++count;
  }
  return count;
}

std::string damageNote(const OdDbObject* entity) {
  const DbProperties* container = DbProperties::get(static_cast<const OdRxObject*>(entity));
  if (!container || !container->isDamaged()) return std::string();
  return "its stored values could not be read: " + container->damage().toUtf8();
}

void saveDrawing(OdDbDatabase* db, const std::string& path) {
  db->writeFile(OdString::fromUtf8(path));
  std::cout << "saved " << path << "\n";
}

std::string handleText(const OdDbObjectId& id) {
  return id.handle().ascii().toUtf8();
}

OdDbEntityPtr entityAt(OdDbDatabase* db, const std::string& text, OdDb::OpenMode mode) {
  std::uint64_t value = 0;
  bool ok = !text.empty() && text.size() <= 16;
  for (char c : text) {
    int digit = c >= '0' && c <= '9'   ? c - '0'
                : c >= 'a' && c <= 'f' ? c - 'a' + 10
                : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                       : -1;
    ok = ok && digit >= 0;
    value = value * 16 + static_cast<std::uint64_t>(digit < 0 ? 0 : digit);
  }
  if (!ok) throw UsageError{"a handle is hexadecimal, not '" + text + "'"};
  OdDbObjectId id = db->getOdDbObjectId(OdDbHandle(value));
  OdDbObjectPtr object = id.isNull() || id.isErased() ? OdDbObjectPtr() : id.openObject(mode);
  if (!object) throw Failure{"no object with handle " + text + " in the drawing"};
  OdDbEntityPtr entity = OdDbEntity::cast(object.get());
  if (!entity)
    throw Failure{"the object " + text + " is a " + object->isA()->name().toUtf8() +
                  ", not an entity"};
  return entity;
}

namespace {

struct AddEntityArguments {
  std::string drawing, kind;
  std::vector<std::string> points;
};

int cmdAddEntity(const AddEntityArguments& a) {
  const std::vector<std::string>& points = a.points;
  auto point3 = [](const std::string& text) {
    std::string error;
    auto parsed = parseValue(text, DbPropertyType::get<OdGePoint3d>(), error);
    if (!parsed) throw UsageError{"a point is X,Y,Z: " + error};
    OdGePoint3d p;
    (void)parsed->get(p);
    return p;
  };
  OdDbEntityPtr entity;
  const std::string& kind = a.kind;
  if (kind == "line" && points.size() == 2) {
    OdDbLinePtr line = OdDbLine::createObject();
    line->setStartPoint(point3(points[0]));
    line->setEndPoint(point3(points[1]));
    entity = line;
  } else if (kind == "circle" && points.size() == 2) {
    OdDbCirclePtr circle = OdDbCircle::createObject();
    circle->setCenter(point3(points[0]));
    std::string error;
    auto radius = parseValue(points[1], DbPropertyType::get<double>(), error);
    double r = 0;
    if (!radius || !radius->get(r) || !(r > 0)) throw UsageError{"a radius is a number above 0"};
    circle->setRadius(r);
    entity = circle;
  } else if (kind == "polyline" && points.size() >= 2) {
    OdDbPolylinePtr polyline = OdDbPolyline::createObject();
    for (const std::string& vertex : points) {
      std::string error;
      auto parsed = parseValue(vertex, DbPropertyType::get<OdGePoint2d>(), error);
      if (!parsed) throw UsageError{"a vertex is X,Y: " + error};
      OdGePoint2d p;
      (void)parsed->get(p);
      polyline->addVertexAt(polyline->numVerts(), p);
    }
    entity = polyline;
  } else {
    throw UsageError{"the entity is line X,Y,Z X,Y,Z, circle X,Y,Z R or polyline X,Y X,Y ..."};
  }
  OdDbDatabasePtr db = openDrawing(a.drawing, true);
  OdDbBlockTableRecordPtr space = db->getModelSpaceId().safeOpenObject(OdDb::kForWrite);
  OdDbObjectId id = space->appendOdDbEntity(entity);
  space = nullptr;
  entity = nullptr;
  saveDrawing(db, a.drawing);
  std::cout << handleText(id) << "\n";
  return 0;
}

int cmdEntities(const std::string& drawing) {
  OdDbDatabasePtr db = openDrawing(drawing);
  OdDbBlockTableRecordPtr space = db->getModelSpaceId().safeOpenObject();
  for (const OdDbObjectId& id : space->entityIds()) {
    OdDbObjectPtr object = id.openObject();
    if (!object) continue;
    const DbProperties* container = DbProperties::get(static_cast<const OdRxObject*>(object.get()));
    std::size_t values = container ? container->size() : 0;
    const std::string note = damageNote(object.get());
    std::cout << handleText(id) << "  " << object->isA()->name().toUtf8() << "  " << values
              << (values == 1 ? " value" : " values") << (note.empty() ? "" : "; " + note) << "\n";
  }
  return 0;
}

}  // namespace

void declareEntityCommands(Commands& commands) {
  auto& add = commands.arguments<AddEntityArguments>();
  CLI::App* c = commands.add("add-entity",
                             "add an entity to the model space and print its handle: line X,Y,Z "
                             "X,Y,Z,\ncircle X,Y,Z R or polyline X,Y X,Y ...",
                             [&add] { return cmdAddEntity(add); });
  drawingArgument(c, add.drawing);
  c->add_option("KIND", add.kind, "the kind of entity")
      ->required()
      ->check(CLI::IsMember({"line", "circle", "polyline"}));
  c->add_option("POINTS", add.points, "its points (and a circle's radius)")->required();

  auto& drawing = commands.arguments<std::string>();
  c = commands.add("entities",
                   "list the model space's entities: handle, class, number of stored values",
                   [&drawing] { return cmdEntities(drawing); });
  drawingArgument(c, drawing);
}

}  // namespace sldb

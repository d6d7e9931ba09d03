// The entity commands of the command-line host: adding lines, circles and polylines to a
// drawing's model space and listing its entities with the number of values each carries.
#include <iostream>
#include <type_traits>

#include "EntityAccess.h"

#include "CommandsModule.h"
#include "DbDatabase.h"
#include "DbEntity.h"
#include "Session.h"
#include "dbprops/DbProperties.h"
#include "sl_db/ValueText.h"

namespace sldb {

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

std::string damageNote(const OdDbObject* entity) {
  const DbProperties* container = DbProperties::get(static_cast<const OdRxObject*>(entity));
  if (!container || !container->isDamaged()) return std::string();
  return "its stored values could not be read: " + shown(container->damage().toUtf8());
}

int damagedEntities(OdDbDatabase* db) {
  int count = 0;
  for (const OdDbObjectId& id : db->objectIds()) {
    OdDbObjectPtr object = id.openObject(OdDb::kForRead);
    if (object && !damageNote(object.get()).empty()) ++count;
  }
  return count;
}

namespace {

class AddEntityCommand final : public DrawingCommand {
 public:
  AddEntityCommand()
      : DrawingCommand("add-entity",
                       "add an entity to the model space and print its handle: line X,Y,Z "
                       "X,Y,Z,\ncircle X,Y,Z R or polyline X,Y X,Y ...") {}
  void options(CLI::App& c) override {
    c.add_option("KIND", m_kind, "the kind of entity")
        ->required()
        ->check(CLI::IsMember({"line", "circle", "polyline"}));
    c.add_option("POINTS", m_points, "its points (and a circle's radius)")->required();
  }
  int run(DrawingSession& drawing) override {
    OdDbEntityPtr entity = make();
    OdDbBlockTableRecordPtr space = drawing.db()->getModelSpaceId().safeOpenObject(OdDb::kForWrite);
    OdDbObjectId id = space->appendOdDbEntity(entity);
    drawing.changed();
    std::cout << handleText(id) << "\n";
    return 0;
  }
  bool quiet() const override { return true; }

 private:
  OdDbEntityPtr make() const {
    const std::vector<std::string>& points = m_points;
    auto point3 = [](const std::string& text) {
      std::string error;
      auto parsed = sl_db::parseValue(text, DbPropertyType::get<OdGePoint3d>(), error);
      if (!parsed) throw UsageError{"a point is X,Y,Z: " + error};
      OdGePoint3d p;
      (void)parsed->get(p);
      return p;
    };
    if (m_kind == "line" && points.size() == 2) {
      OdDbLinePtr line = OdDbLine::createObject();
      line->setStartPoint(point3(points[0]));
      line->setEndPoint(point3(points[1]));
      return line;
    }
    if (m_kind == "circle" && points.size() == 2) {
      OdDbCirclePtr circle = OdDbCircle::createObject();
      circle->setCenter(point3(points[0]));
      std::string error;
      auto radius = sl_db::parseValue(points[1], DbPropertyType::get<double>(), error);
      double r = 0;
      if (!radius || !radius->get(r) || !(r > 0)) throw UsageError{"a radius is a number above 0"};
      circle->setRadius(r);
      return circle;
    }
    if (m_kind == "polyline" && points.size() >= 2) {
      OdDbPolylinePtr polyline = OdDbPolyline::createObject();
      for (const std::string& vertex : points) {
        std::string error;
        auto parsed = sl_db::parseValue(vertex, DbPropertyType::get<OdGePoint2d>(), error);
        if (!parsed) throw UsageError{"a vertex is X,Y: " + error};
        OdGePoint2d p;
        (void)parsed->get(p);
        polyline->addVertexAt(polyline->numVerts(), p);
      }
      return polyline;
    }
    throw UsageError{"the entity is line X,Y,Z X,Y,Z, circle X,Y,Z R or polyline X,Y X,Y ..."};
  }

  std::string m_kind;
  std::vector<std::string> m_points;
};
SLDB_COMMAND(AddEntityCommand);

class EntitiesCommand final : public DrawingCommand {
 public:
  bool readOnly() const override { return true; }
  EntitiesCommand()
      : DrawingCommand("entities",
                       "list the model space's entities: handle, class, number of stored values") {}
  void options(CLI::App& c) override {
    c.add_flag("--json", m_json,
               "one JSON document: each entity's class, colour, geometry and stored values");
  }
  int run(DrawingSession& drawing) override {
    OdDbBlockTableRecordPtr space = drawing.db()->getModelSpaceId().safeOpenObject();
    if (m_json) {
      nlohmann::json entities = nlohmann::json::array();
      for (const OdDbObjectId& id : space->entityIds())
        if (OdDbEntityPtr entity = OdDbEntity::cast(id.openObject().get()))
          entities.push_back(entityJson(id, *entity));
      std::cout << nlohmann::json{{"entities", entities}}.dump(2) << "\n";
      return 0;
    }
    for (const OdDbObjectId& id : space->entityIds()) {
      OdDbObjectPtr object = id.openObject();
      if (!object) continue;
      const DbProperties* container =
          DbProperties::get(static_cast<const OdRxObject*>(object.get()));
      std::size_t values = container ? container->size() : 0;
      const std::string note = damageNote(object.get());
      std::cout << handleText(id) << "  " << shown(object->isA()->name().toUtf8()) << "  " << values
                << (values == 1 ? " value" : " values") << (note.empty() ? "" : "; " + note)
                << "\n";
    }
    return 0;
  }

 private:
  static nlohmann::json point(const OdGePoint3d& p) { return {p.x, p.y, p.z}; }

  /// valueJson: a stored number or boolean as itself, any other value as its text.
  static nlohmann::json valueJson(const DbProperty& value) {
    nlohmann::json json = sl_db::formatValue(value);
    sl_db::visitValueType(value.type(), [&](auto tag) {
      using T = typename decltype(tag)::type;
      if constexpr (std::is_arithmetic_v<T>) {
        T read{};
        if (value.get(read)) json = read;
      }
    });
    return json;
  }

  /// entityJson: handle, class, colour index, geometry by kind, and every stored value as text
  /// by its key.
  static nlohmann::json entityJson(const OdDbObjectId& id, const OdDbEntity& entity) {
    nlohmann::json geometry = nlohmann::json::object();
    if (auto line = OdDbLine::cast(&entity)) {
      geometry = {{"start", point(line->startPoint())}, {"end", point(line->endPoint())}};
    } else if (auto circle = OdDbCircle::cast(&entity)) {
      geometry = {{"center", point(circle->center())}, {"radius", circle->radius()}};
    } else if (auto polyline = OdDbPolyline::cast(&entity)) {
      nlohmann::json vertices = nlohmann::json::array();
      for (unsigned int i = 0; i < polyline->numVerts(); ++i) {
        const OdGePoint2d p = polyline->getPointAt(i);
        vertices.push_back({p.x, p.y});
      }
      geometry = {{"vertices", std::move(vertices)},
                  {"closed", polyline->isClosed()},
                  {"elevation", polyline->elevation()}};
    }
    nlohmann::json values = nlohmann::json::object();
    if (const DbProperties* container = DbProperties::get(static_cast<const OdRxObject*>(&entity)))
      for (const auto& [key, value] : *container)
        if (value) values[key.toUtf8()] = valueJson(*value);
    return {{"handle", handleText(id)},
            {"class", entity.isA()->name().toUtf8()},
            {"color_index", entity.colorIndex()},
            {"geometry", std::move(geometry)},
            {"values", std::move(values)}};
  }

  bool m_json = false;
};
SLDB_COMMAND(EntitiesCommand);

}  // namespace

}  // namespace sldb

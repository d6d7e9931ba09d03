// The entity and property-value commands of the command-line host: adding and listing entities,
// and showing, setting, resetting and purging an entity's user property values. Each saves the
// drawing only when it changed something.
#include <algorithm>
#include <functional>
#include <iostream>
#include <map>
#include <optional>

#include "CommandsModule.h"
#include "DbDatabase.h"
#include "DbEntity.h"
#include "EntityAccess.h"
#include "Session.h"
#include "dbprops/DbProperties.h"
#include "sl_db/DocumentLibrariesManager.h"
#include "sl_db/DynamicProperties.h"
#include "sl_db/DynamicPropertyContext.h"
#include "sl_db/IDefinitions.h"
#include "sl_db/ILibrary.h"
#include "sl_db/Library.h"
#include "sl_db/ValueComputations.h"
#include "sl_db/ValueText.h"
#include "stocklib/Objects.h"

namespace sldb {

namespace {

/// The library must live while its interface is used: the interface holds it weakly.
struct BoundEntity {
  OdDbEntityPtr entity;
  std::shared_ptr<sl_db::Library> wrapper;
  std::shared_ptr<sl_db::ILibrary> library;
};

/// bindEntity: the entity at `handle`. Opened for write, it is refused while its stored values
/// cannot be read, unless `discardDamaged` drops them.
BoundEntity bindEntity(DrawingSession& drawing, const std::string& handle, OdDb::OpenMode mode,
                       bool needLibrary, bool discardDamaged = false) {
  BoundEntity b;
  b.entity = entityAt(drawing.db(), handle, mode);
  if (const std::string note = damageNote(b.entity.get()); !note.empty()) {
    if (mode != OdDb::kForWrite) {
      std::cerr << "sldb: the entity " << handle << ": " << note << "\n";
    } else if (!discardDamaged) {
      throw Failure{"the entity " + handle + ": " + note +
                    " (--discard-damaged drops them for good)"};
    } else if (DbProperties::get(b.entity.get())->discardDamaged()) {
      drawing.changed();
    }
  }
  b.wrapper = drawing.libraries().primaryLibrary(false);
  if (b.wrapper) b.library = sl_db::ILibrary::create<sl_db::Library>(b.wrapper);
  if (needLibrary && !b.library)
    throw Failure{drawing.path() + " has no primary library (give it one with sldb init)"};
  return b;
}

const char* resultWord(sl_db::DynamicProperty::Result result) {
  switch (result) {
    case sl_db::DynamicProperty::Ok:
      return "Ok";
    case sl_db::DynamicProperty::NoValue:
      return "NoValue";
    case sl_db::DynamicProperty::InvalidValue:
      return "InvalidValue";
    case sl_db::DynamicProperty::TypeMismatch:
      return "TypeMismatch";
    case sl_db::DynamicProperty::NotAvailable:
      return "NotAvailable";
  }
  return "?";
}

/// The set that `text` (NAME~NS) names among the library's sets.
std::shared_ptr<sl_db::IPropertySet> findSet(sl_db::ILibrary& library, sl_db::Library& wrapper,
                                             const std::string& text) {
  const sl_db::PropertyKey key = sl_db::PropertyKey::fromString(OdString::fromUtf8(text));
  const stocklib::PropertySet* set = wrapper.propertySet(key);
  std::shared_ptr<sl_db::IPropertySet> found =
      set ? library.propertySet(set->id()) : std::shared_ptr<sl_db::IPropertySet>();
  if (!found) throw Failure{"no property set " + text + " in the primary library"};
  return found;
}

/// typedValue: `value` as JSON: a number, a boolean or a string; other types as `text`.
template <class T>
nlohmann::json typedValue(const T& value, const std::string& text) {
  if constexpr (std::is_same_v<T, bool> || std::is_arithmetic_v<T>) {
    return value;
  } else if constexpr (std::is_same_v<T, OdString>) {
    return value.toUtf8();
  } else {
    return text;
  }
}

/// computedByModule: whether a module's provider computes `definition`; the library's own
/// definition computes nothing.
bool computedByModule(const sl_db::IValueDefinition& definition) {
  auto* stored = static_cast<const stocklib::ValueDefinition*>(definition.object());
  std::shared_ptr<sl_db::IValueDefinition> own = sl_db::IValueDefinition::create(stored);
  return own && sl_db::ValueComputations::bind(own) != own;
}

/// propertyJson: one property of `props`: key, set, kind, storage type, value (typed, and as
/// text) with where it came from, and the result of reading it.
nlohmann::json propertyJson(const sl_db::DynamicProperty& property, const OdDbEntity* entity) {
  const char* kind = property.propertyDefinition() ? "property"
                     : property.valueDefinition()  ? "value"
                                                   : "unbound";
  nlohmann::json set = property.propertySet()
                           ? nlohmann::json(sl_db::PropertyKey(property.propertySet()->ns(),
                                                               property.propertySet()->name())
                                                .str()
                                                .toUtf8())
                           : nlohmann::json();
  const DbPropertyType type = property.type();
  nlohmann::json json = {{"key", property.propertyKey().str().toUtf8()},
                         {"set", std::move(set)},
                         {"kind", kind},
                         {"type", sl_db::typeName(type)},
                         {"value", nullptr},
                         {"text", nullptr},
                         {"source", nullptr},
                         {"result", "NotAvailable"}};
  KcSmartPtr<sl_db::DynamicPropertyContext> context =
      sl_db::DynamicPropertyContext::createObject(entity, -1);
  sl_db::visitValueType(type, [&](auto tag) {
    using T = typename decltype(tag)::type;
    T read{};
    sl_db::DynamicProperty::Result r = property.getValue(read, context.get());
    json["result"] = resultWord(r);
    if (r != sl_db::DynamicProperty::Ok) return;
    DbPropertyContainer<T> shown(read);
    json["text"] = sl_db::formatValue(shown);
    json["value"] = typedValue(read, json["text"].get<std::string>());
    json["source"] = property.property()             ? "stored"
                     : property.propertyDefinition() ? "default"
                                                     : "computed";
  });
  if (property.valueDefinition() && !property.propertyDefinition())
    json["computed_by_module"] = computedByModule(*property.valueDefinition());
  return json;
}

/// One line of `props`: key, set, kind, storage type, value with where it came from, result.
void printProperty(const nlohmann::json& p) {
  if (p.value("computed_by_module", true) == false && p["text"].is_null()) {
    std::cout << shown(p["key"].get<std::string>()) << "  set "
              << (p["set"].is_null() ? std::string("-") : shown(p["set"].get<std::string>()))
              << "  value  " << p["type"].get<std::string>()
              << "  not computed (no module computes it)\n";
    return;
  }
  std::cout << shown(p["key"].get<std::string>()) << "  set "
            << (p["set"].is_null() ? std::string("-") : shown(p["set"].get<std::string>())) << "  "
            << p["kind"].get<std::string>() << "  " << p["type"].get<std::string>() << "  "
            << (p["text"].is_null() ? std::string("none")
                                    : shown(p["text"].get<std::string>()) + " (" +
                                          p["source"].get<std::string>() + ")")
            << "  " << p["result"].get<std::string>()
            << (p.value("mapped", false) ? "  mapped" : "") << "\n";
}

class PropsCommand final : public DrawingCommand {
 public:
  bool readOnly() const override { return true; }
  PropsCommand()
      : DrawingCommand(
            "props", "list the entity's properties: key, set, kind, storage type, value, result") {}
  void options(CLI::App& c) override {
    c.add_option("HANDLE", m_handle, "the entity's handle (hexadecimal)")->required();
    CLI::Option* set =
        c.add_option("--set", m_set, "only the properties of this set")->type_name("NAME~NS");
    CLI::Option* ns =
        c.add_option("--namespace", m_ns, "only those of this namespace")->type_name("NS");
    CLI::Option* mapped = c.add_flag("--mapped", m_mapped, "only the mapped properties");
    set->excludes(ns)->excludes(mapped);
    ns->excludes(mapped);
    c.add_flag("--json", m_json, "one JSON document with the same values");
  }
  int run(DrawingSession& drawing) override {
    const bool filtered = m_set || m_ns;
    BoundEntity b = bindEntity(drawing, m_handle, OdDb::kForRead, filtered);
    std::optional<sl_db::DynamicProperties> properties;
    if (m_mapped) {
      properties.emplace(b.entity, sl_db::StaticPropertiesTag());
    } else if (m_set) {
      properties.emplace(b.library, b.entity, findSet(*b.library, *b.wrapper, *m_set));
    } else if (m_ns) {
      const stocklib::PropertyNamespace* ns =
          b.wrapper->propertyNamespace(OdString::fromUtf8(*m_ns));
      std::shared_ptr<sl_db::IPropertyNamespace> found =
          ns ? b.library->propertyNamespace(ns->id()) : nullptr;
      if (!found) throw Failure{"no property namespace " + *m_ns + " with sets in the library"};
      properties.emplace(b.library, b.entity, found);
    } else {
      properties.emplace(b.library, b.entity);
    }
    // A mapped value comes in the mapped run and again under its definition: shown once, in the
    // first place, with what its definition says.
    nlohmann::json listed = nlohmann::json::array();
    std::map<std::string, std::size_t> mappedAt;
    for (const sl_db::DynamicProperty& property : *properties) {
      nlohmann::json p = propertyJson(property, b.entity.get());
      const std::shared_ptr<const DbProperty> stored = property.property();
      p["mapped"] = stored && stored->isMapped();
      const std::string key = p["key"].get<std::string>();
      if (auto at = mappedAt.find(key); at != mappedAt.end()) {
        if (p["mapped"].get<bool>()) listed[at->second] = std::move(p);
        continue;
      }
      if (p["mapped"].get<bool>()) mappedAt.emplace(key, listed.size());
      listed.push_back(std::move(p));
    }
    if (m_json) {
      std::cout << nlohmann::json{{"handle", m_handle}, {"properties", listed}}.dump(2) << "\n";
      return 0;
    }
    for (const auto& property : listed)
      printProperty(property);
    if (listed.empty()) std::cout << "no properties\n";
    return 0;
  }

 private:
  std::string m_handle;
  std::optional<std::string> m_set, m_ns;
  bool m_mapped = false, m_json = false;
};
SLDB_COMMAND(PropsCommand);

/// csvField: `text` as one CSV field, quoted when it holds a separator, a quote or a line break;
/// its other control characters escaped, so that none reaches a terminal or a reader raw.
std::string csvField(const std::string& raw) {
  const std::string text = shownLines(raw);
  if (text.find_first_of(",\"\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text)
    quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

class ScheduleCommand final : public DrawingCommand {
 public:
  bool readOnly() const override { return true; }
  ScheduleCommand()
      : DrawingCommand("schedule",
                       "every entity of the model space with the values of its properties, as CSV\n"
                       "(one column per property) or JSON: stored values, defaults and the values\n"
                       "a module computes") {}
  void options(CLI::App& c) override {
    c.add_flag("--json", m_json, "one JSON document instead of CSV");
  }
  int run(DrawingSession& drawing) override {
    std::shared_ptr<sl_db::Library> wrapper = drawing.libraries().primaryLibrary(false);
    std::shared_ptr<sl_db::ILibrary> library =
        wrapper ? sl_db::ILibrary::create<sl_db::Library>(wrapper) : nullptr;
    nlohmann::json rows = nlohmann::json::array();
    std::vector<std::string> columns;  // property keys in the order first met
    OdDbBlockTableRecordPtr space = drawing.db()->getModelSpaceId().safeOpenObject();
    for (const OdDbObjectId& id : space->entityIds()) {
      OdDbEntityPtr entity = OdDbEntity::cast(id.openObject().get());
      if (!entity) continue;
      nlohmann::json values = nlohmann::json::object(), texts = nlohmann::json::object();
      if (library) {
        for (const sl_db::DynamicProperty& property : sl_db::DynamicProperties(library, entity)) {
          nlohmann::json p = propertyJson(property, entity.get());
          const std::string key = p["key"];
          if (std::find(columns.begin(), columns.end(), key) == columns.end())
            columns.push_back(key);
          values[key] = p["value"];
          texts[key] = p["text"];
        }
      }
      rows.push_back({{"handle", handleText(id)},
                      {"class", entity->isA()->name().toUtf8()},
                      {"values", std::move(values)},
                      {"texts", std::move(texts)}});
    }
    if (m_json) {
      for (auto& row : rows)
        row.erase("texts");
      std::cout << nlohmann::json{{"entities", rows}}.dump(2) << "\n";
      return 0;
    }
    std::cout << "handle,class";
    for (const std::string& column : columns)
      std::cout << "," << csvField(column);
    std::cout << "\n";
    for (const auto& row : rows) {
      std::cout << row["handle"].get<std::string>() << "," << csvField(row["class"]);
      for (const std::string& column : columns) {
        const nlohmann::json& text = row["texts"].contains(column) ? row["texts"][column] : nullptr;
        std::cout << "," << (text.is_null() ? std::string() : csvField(text.get<std::string>()));
      }
      std::cout << "\n";
    }
    return 0;
  }

 private:
  bool m_json = false;
};
SLDB_COMMAND(ScheduleCommand);

/// A command on one entity: DRAWING HANDLE, then perhaps a key or a set.
class EntityCommand : public DrawingCommand {
 public:
  using DrawingCommand::DrawingCommand;
  void options(CLI::App& c) override {
    c.add_option("HANDLE", m_handle, "the entity's handle (hexadecimal)")->required();
    c.add_flag("--discard-damaged", m_discardDamaged,
               "drop the entity's stored values that cannot be read, for good");
  }

 protected:
  std::string m_handle, m_key;
  bool m_discardDamaged = false;
};

class SetPropCommand final : public EntityCommand {
 public:
  SetPropCommand()
      : EntityCommand(
            "set-prop",
            "set a property value, parsed by its type (1.5, text, true, 1,2,3, [1, 2], {a: 1})") {}
  void options(CLI::App& c) override {
    EntityCommand::options(c);
    c.add_option("NAME~NS", m_key, "the property")->required();
    c.add_option("VALUE", m_value, "its new value")->required();
  }
  int run(DrawingSession& drawing) override {
    BoundEntity b = bindEntity(drawing, m_handle, OdDb::kForWrite, true, m_discardDamaged);
    sl_db::DynamicProperty property(
        b.library, b.entity, sl_db::PropertyKey::fromString(OdString::fromUtf8(m_key)), true);
    if (property.valueDefinition() && !property.propertyDefinition())
      throw Failure{m_key + " is a computed value; it cannot be set"};
    if (!property.propertyDefinition())
      throw Failure{"no property " + m_key + " applies to the " + b.entity->isA()->name().toUtf8() +
                    " " + m_handle};
    const DbPropertyType type = property.propertyDefinition()->dbPropertyType();
    std::string error;
    std::shared_ptr<DbProperty> parsed = sl_db::parseValue(m_value, type, error);
    if (!parsed) throw Failure{"the value does not fit " + sl_db::typeName(type) + ": " + error};
    sl_db::DynamicProperty::Result result = sl_db::DynamicProperty::TypeMismatch;
    sl_db::visitValueType(type, [&](auto tag) {
      using T = typename decltype(tag)::type;
      T value{};
      if (parsed->get(value)) result = property.setValue(value);
    });
    if (result != sl_db::DynamicProperty::Ok)
      throw Failure{"setting " + m_key + " gave " + resultWord(result)};
    drawing.changed();
    return 0;
  }
  bool quiet() const override { return true; }

 private:
  std::string m_value;
};
SLDB_COMMAND(SetPropCommand);

class ResetPropCommand final : public EntityCommand {
 public:
  ResetPropCommand()
      : EntityCommand("reset-prop",
                      "remove one stored value, or every value of the entity's properties") {}
  void options(CLI::App& c) override {
    EntityCommand::options(c);
    c.add_option("NAME~NS", m_key, "the property");
    c.add_flag("--all", m_all, "every value of the entity's properties instead");
  }
  int run(DrawingSession& drawing) override {
    // Removing every value is never what a forgotten key means.
    if (m_key.empty() == !m_all)
      throw UsageError{"give NAME~NS, or --all for every value of the entity"};
    BoundEntity b = bindEntity(drawing, m_handle, OdDb::kForWrite, false, m_discardDamaged);
    bool changed = false;
    if (!m_key.empty()) {
      sl_db::DynamicProperty property(
          b.library, b.entity, sl_db::PropertyKey::fromString(OdString::fromUtf8(m_key)), true);
      if (!property.exists()) throw Failure{"no property " + m_key + " on the entity " + m_handle};
      changed = property.resetValue();
    } else {
      const DbProperties* container =
          DbProperties::get(static_cast<const OdRxObject*>(b.entity.get()));
      const std::size_t before = container ? container->size() : 0;
      sl_db::DynamicProperties(b.library, b.entity).resetAllValues();
      changed = container && container->size() != before;
    }
    std::cout << (changed ? "reset\n" : "nothing stored\n");
    if (changed) drawing.changed();
    return 0;
  }

 private:
  bool m_all = false;
};
SLDB_COMMAND(ResetPropCommand);

class PurgePropsCommand final : public EntityCommand {
 public:
  PurgePropsCommand()
      : EntityCommand("purge-props",
                      "remove the stored values that no applicable property set defines") {}
  int run(DrawingSession& drawing) override {
    BoundEntity b = bindEntity(drawing, m_handle, OdDb::kForWrite, false, m_discardDamaged);
    const DbProperties* container =
        DbProperties::get(static_cast<const OdRxObject*>(b.entity.get()));
    const std::size_t before = container ? container->size() : 0;
    sl_db::DynamicProperties(b.library, b.entity).purgeValues();
    const std::size_t purged = before - (container ? container->size() : 0);
    std::cout << "purged " << purged << (purged == 1 ? " value\n" : " values\n");
    if (purged) drawing.changed();
    return 0;
  }
};
SLDB_COMMAND(PurgePropsCommand);

/// attach-set and detach-set.
class InstanceSetCommand : public EntityCommand {
 public:
  InstanceSetCommand(bool attach)
      : EntityCommand(attach ? "attach-set" : "detach-set",
                      attach ? "attach a per-instance property set to the entity"
                             : "detach a per-instance property set from the entity"),
        m_attach(attach) {}
  void options(CLI::App& c) override {
    EntityCommand::options(c);
    c.add_option("SET~NS", m_key, "the property set")->required();
  }
  int run(DrawingSession& drawing) override {
    BoundEntity b = bindEntity(drawing, m_handle, OdDb::kForWrite, true, m_discardDamaged);
    std::shared_ptr<sl_db::IPropertySet> set = findSet(*b.library, *b.wrapper, m_key);
    if (!set->perInstance())
      throw Failure{"the property set " + m_key + " applies to all entities of its types"};
    const OdString key = sl_db::PropertyKey(set->ns(), set->name()).str();
    bool changed = m_attach ? DbProperties::get(b.entity.get())->attachInstancePropertySet(key)
                            : DbProperties::get(b.entity.get())->detachInstancePropertySet(key);
    std::cout << (changed ? (m_attach ? "attached\n" : "detached\n")
                          : (m_attach ? "attached already\n" : "not attached\n"));
    if (changed) drawing.changed();
    return 0;
  }

 private:
  bool m_attach;
};

struct AttachSetCommand final : InstanceSetCommand {
  AttachSetCommand() : InstanceSetCommand(true) {}
};
SLDB_COMMAND(AttachSetCommand);

struct DetachSetCommand final : InstanceSetCommand {
  DetachSetCommand() : InstanceSetCommand(false) {}
};
SLDB_COMMAND(DetachSetCommand);

}  // namespace

void valueTour(const std::string& drawing) {
  OdDbDatabasePtr db = DrawingSession(drawing).db();
  std::shared_ptr<sl_db::Library> wrapper = sl_db::docLibs(db)->primaryLibrary(false);
  if (!wrapper) throw Failure{"the tour's drawing has no primary library"};
  std::shared_ptr<sl_db::ILibrary> library = sl_db::ILibrary::create<sl_db::Library>(wrapper);
  OdDbBlockTableRecordPtr space = db->getModelSpaceId().safeOpenObject(OdDb::kForWrite);
  OdDbLinePtr second = OdDbLine::createObject();
  second->setStartPoint(OdGePoint3d(0, 1000, 0));
  second->setEndPoint(OdGePoint3d(1000, 1000, 0));
  space->appendOdDbEntity(second);
  second = nullptr;
  std::vector<OdDbObjectId> lines;
  for (const OdDbObjectId& id : space->entityIds())
    if (OdDbObjectPtr object = id.openObject(); object && object->isKindOf(OdDbLine::desc()))
      lines.push_back(id);
  std::vector<OdDbHandle> handles;  // ids die with their drawing
  for (const OdDbObjectId& id : lines)
    handles.push_back(id.handle());
  space = nullptr;
  struct TourValue {
    const wchar_t* key;
    double thickness;
    const wchar_t* finish;
    bool loadBearing;
  };
  const TourValue values[] = {{L"line 1", 200.0, L"painted", true},
                              {L"line 2", 150.0, L"fair-faced", false}};
  std::cout << "6. gave the two lines values of the property set Linear~Geometry:\n";
  for (std::size_t i = 0; i < lines.size() && i < 2; ++i) {
    OdDbObjectPtr line = lines[i].openObject(OdDb::kForWrite);
    auto set = [&](const wchar_t* name, const auto& value) {
      sl_db::DynamicProperty property(library, line, sl_db::PropertyKey(L"Geometry", name), true);
      sl_db::DynamicProperty::Result result = property.setValue(value);
      if (result != sl_db::DynamicProperty::Ok)
        throw Failure{"setting " + property.propertyKey().str().toUtf8() + " gave " +
                      resultWord(result)};
    };
    set(L"Thickness", values[i].thickness);
    set(L"Finish", OdString(values[i].finish));
    set(L"LoadBearing", values[i].loadBearing);
    std::cout << "   " << handleText(lines[i]) << ": Thickness " << values[i].thickness
              << ", Finish " << OdString(values[i].finish).toUtf8() << ", LoadBearing "
              << (values[i].loadBearing ? "true" : "false") << "\n";
  }
  db->writeFile(OdString::fromUtf8(drawing));
  db = nullptr;
  std::cout << "7. saved and reopened; the lines' properties read back:\n";
  OdDbDatabasePtr reopened = DrawingSession(drawing).db();
  std::shared_ptr<sl_db::Library> reopenedWrapper = sl_db::docLibs(reopened)->primaryLibrary(false);
  std::shared_ptr<sl_db::ILibrary> reopenedLibrary =
      sl_db::ILibrary::create<sl_db::Library>(reopenedWrapper);
  for (std::size_t i = 0; i < handles.size() && i < 2; ++i) {
    OdDbObjectPtr line = reopened->getOdDbObjectId(handles[i]).openObject();
    std::cout << "   " << handles[i].ascii().toUtf8() << ":\n";
    for (const sl_db::DynamicProperty& property : sl_db::DynamicProperties(reopenedLibrary, line)) {
      std::cout << "     ";
      printProperty(propertyJson(property, OdDbEntity::cast(line.get()).get()));
    }
  }
}

}  // namespace sldb

// The entity and property-value commands of the command-line host: adding and listing entities,
// and showing, setting, resetting and purging an entity's user property values. Each saves the
// drawing only when it changed something.
#include <functional>
#include <iostream>
#include <map>
#include <optional>

#include "Cli.h"
#include "DbDatabase.h"
#include "DbEntity.h"
#include "EntityAccess.h"
#include "ValueText.h"
#include "dbprops/DbProperties.h"
#include "sl_db/DocumentLibrariesManager.h"
#include "sl_db/DynamicProperties.h"
#include "sl_db/DynamicPropertyContext.h"
#include "sl_db/IDefinitions.h"
#include "sl_db/ILibrary.h"
#include "sl_db/Library.h"

namespace sldb {

namespace {

/// The library must live while its interface is used: the interface holds it weakly.
struct BoundEntity {
  OdDbDatabasePtr db;
  OdDbEntityPtr entity;
  std::shared_ptr<sl_db::Library> wrapper;
  std::shared_ptr<sl_db::ILibrary> library;
  bool discarded = false;  // unreadable values dropped: the drawing changed
};

/// bind: the entity at `handle`. Opened for write, it is refused while its stored values cannot
/// be read, unless `discardDamaged` drops them.
BoundEntity bind(const std::string& path, const std::string& handle, OdDb::OpenMode mode,
                 bool needLibrary, bool discardDamaged = false) {
  BoundEntity b;
  b.db = openDrawing(path, mode == OdDb::kForWrite);
  b.entity = entityAt(b.db, handle, mode);
  const std::string note = damageNote(b.entity.get());
  if (!note.empty()) {
    if (mode != OdDb::kForWrite) {
      std::cerr << "sldb: the entity " << handle << ": " << note << "\n";
    } else if (!discardDamaged) {
      throw Failure{"the entity " + handle + ": " + note +
                    " (--discard-damaged drops them for good)"};
    } else {
      b.discarded = DbProperties::get(b.entity.get())->discardDamaged();
    }
  }
  b.wrapper = sl_db::docLibs(b.db)->primaryLibrary(false);
  if (b.wrapper) b.library = sl_db::ILibrary::create<sl_db::Library>(b.wrapper);
  if (needLibrary && !b.library)
    throw Failure{path + " has no primary library (give it one with sldb init)"};
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
                         {"type", typeName(type)},
                         {"value", nullptr},
                         {"text", nullptr},
                         {"source", nullptr},
                         {"result", "NotAvailable"}};
  KcSmartPtr<sl_db::DynamicPropertyContext> context =
      sl_db::DynamicPropertyContext::createObject(entity, -1);
  visitValueType(type, [&](auto tag) {
    using T = typename decltype(tag)::type;
    T read{};
    sl_db::DynamicProperty::Result r = property.getValue(read, context.get());
    json["result"] = resultWord(r);
    if (r != sl_db::DynamicProperty::Ok) return;
    DbPropertyContainer<T> shown(read);
    json["text"] = formatValue(shown);
    json["value"] = typedValue(read, json["text"].get<std::string>());
    json["source"] = property.property()             ? "stored"
                     : property.propertyDefinition() ? "default"
                                                     : "computed";
  });
  return json;
}

/// One line of `props`: key, set, kind, storage type, value with where it came from, result.
void printProperty(const nlohmann::json& p) {
  std::cout << p["key"].get<std::string>() << "  set "
            << (p["set"].is_null() ? std::string("-") : p["set"].get<std::string>()) << "  "
            << p["kind"].get<std::string>() << "  " << p["type"].get<std::string>() << "  "
            << (p["text"].is_null()
                    ? std::string("none")
                    : p["text"].get<std::string>() + " (" + p["source"].get<std::string>() + ")")
            << "  " << p["result"].get<std::string>()
            << (p.value("mapped", false) ? "  mapped" : "") << "\n";
}

struct PropsArguments {
  std::string drawing, handle;
  std::optional<std::string> set, ns;
  bool mapped = false, json = false;
};

int cmdProps(const PropsArguments& a) {
  const bool filtered = a.set || a.ns;
  BoundEntity b = bind(a.drawing, a.handle, OdDb::kForRead, filtered);
  std::optional<sl_db::DynamicProperties> properties;
  if (a.mapped) {
    properties.emplace(b.entity, sl_db::StaticPropertiesTag());
  } else if (a.set) {
    properties.emplace(b.library, b.entity, findSet(*b.library, *b.wrapper, *a.set));
  } else if (a.ns) {
    const stocklib::PropertyNamespace* ns = b.wrapper->propertyNamespace(OdString::fromUtf8(*a.ns));
    std::shared_ptr<sl_db::IPropertyNamespace> found =
        ns ? b.library->propertyNamespace(ns->id()) : nullptr;
    if (!found) throw Failure{"no property namespace " + *a.ns + " with sets in the library"};
    properties.emplace(b.library, b.entity, found);
  } else {
    properties.emplace(b.library, b.entity);
  }
  nlohmann::json listed = nlohmann::json::array();
  // A mapped value comes in the mapped run and again under its definition: shown once, in the
  // first place, with what its definition says.
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
  if (a.json) {
    std::cout << nlohmann::json{{"handle", a.handle}, {"properties", listed}}.dump(2) << "\n";
    return 0;
  }
  for (const auto& property : listed)
    printProperty(property);
  if (listed.empty()) std::cout << "no properties\n";
  return 0;
}

struct ValueArguments {
  std::string drawing, handle, key, value;
  bool discardDamaged = false;
};

int cmdSetProp(const ValueArguments& args) {
  BoundEntity b = bind(args.drawing, args.handle, OdDb::kForWrite, true, args.discardDamaged);
  sl_db::DynamicProperty property(
      b.library, b.entity, sl_db::PropertyKey::fromString(OdString::fromUtf8(args.key)), true);
  if (property.valueDefinition() && !property.propertyDefinition())
    throw Failure{args.key + " is a computed value; it cannot be set"};
  if (!property.propertyDefinition())
    throw Failure{"no property " + args.key + " applies to the " +
                  b.entity->isA()->name().toUtf8() + " " + args.handle};
  const DbPropertyType type = property.propertyDefinition()->dbPropertyType();
  std::string error;
  std::shared_ptr<DbProperty> parsed = parseValue(args.value, type, error);
  if (!parsed) throw Failure{"the value does not fit " + typeName(type) + ": " + error};
  sl_db::DynamicProperty::Result result = sl_db::DynamicProperty::TypeMismatch;
  visitValueType(type, [&](auto tag) {
    using T = typename decltype(tag)::type;
    T value{};
    if (parsed->get(value)) result = property.setValue(value);
  });
  std::cout << resultWord(result) << "\n";
  if (result != sl_db::DynamicProperty::Ok) return 1;
  saveDrawing(b.db, args.drawing);
  return 0;
}

int cmdResetProp(const ValueArguments& args) {
  BoundEntity b = bind(args.drawing, args.handle, OdDb::kForWrite, false, args.discardDamaged);
  bool changed = false;
  if (!args.key.empty()) {
    sl_db::DynamicProperty property(
        b.library, b.entity, sl_db::PropertyKey::fromString(OdString::fromUtf8(args.key)), true);
    if (!property.exists())
      throw Failure{"no property " + args.key + " on the entity " + args.handle};
    changed = property.resetValue();
  } else {
    const DbProperties* container =
        DbProperties::get(static_cast<const OdRxObject*>(b.entity.get()));
    const std::size_t before = container ? container->size() : 0;
    sl_db::DynamicProperties(b.library, b.entity).resetAllValues();
    changed = container && container->size() != before;
  }
  std::cout << (changed ? "reset\n" : "nothing stored\n");
  if (changed || b.discarded) saveDrawing(b.db, args.drawing);
  return 0;
}

int cmdPurgeProps(const ValueArguments& args) {
  BoundEntity b = bind(args.drawing, args.handle, OdDb::kForWrite, false, args.discardDamaged);
  const DbProperties* container = DbProperties::get(static_cast<const OdRxObject*>(b.entity.get()));
  const std::size_t before = container ? container->size() : 0;
  sl_db::DynamicProperties(b.library, b.entity).purgeValues();
  const std::size_t purged = before - (container ? container->size() : 0);
  std::cout << "purged " << purged << (purged == 1 ? " value\n" : " values\n");
  if (purged || b.discarded) saveDrawing(b.db, args.drawing);
  return 0;
}

int attachOrDetach(const ValueArguments& args, bool attach) {
  BoundEntity b = bind(args.drawing, args.handle, OdDb::kForWrite, true, args.discardDamaged);
  std::shared_ptr<sl_db::IPropertySet> set = findSet(*b.library, *b.wrapper, args.key);
  if (!set->perInstance())
    throw Failure{"the property set " + args.key + " applies to all entities of its types"};
  const OdString key = sl_db::PropertyKey(set->ns(), set->name()).str();
  bool changed = attach ? DbProperties::get(b.entity.get())->attachInstancePropertySet(key)
                        : DbProperties::get(b.entity.get())->detachInstancePropertySet(key);
  std::cout << (changed ? (attach ? "attached\n" : "detached\n")
                        : (attach ? "attached already\n" : "not attached\n"));
  if (changed || b.discarded) saveDrawing(b.db, args.drawing);
  return 0;
}

int cmdAttachSet(const ValueArguments& args) {
  return attachOrDetach(args, true);
}

int cmdDetachSet(const ValueArguments& args) {
  return attachOrDetach(args, false);
}

}  // namespace

void declareValueCommands(Commands& commands) {
  auto& props = commands.arguments<PropsArguments>();
  CLI::App* c = commands.add(
      "props", "list the entity's properties: key, set, kind, storage type, value, result",
      [&props] { return cmdProps(props); });
  drawingArgument(c, props.drawing);
  c->add_option("HANDLE", props.handle, "the entity's handle (hexadecimal)")->required();
  CLI::Option* set =
      c->add_option("--set", props.set, "only the properties of this set")->type_name("NAME~NS");
  CLI::Option* ns =
      c->add_option("--namespace", props.ns, "only those of this namespace")->type_name("NS");
  CLI::Option* mapped = c->add_flag("--mapped", props.mapped, "only the mapped properties");
  set->excludes(ns)->excludes(mapped);
  ns->excludes(mapped);
  c->add_flag("--json", props.json, "one JSON document with the same values");

  // The commands on one entity: DRAWING HANDLE, then perhaps a key or a set and a value.
  auto onEntity = [&](const char* name, const char* description,
                      int (*run)(const ValueArguments&)) -> std::pair<CLI::App*, ValueArguments*> {
    auto& a = commands.arguments<ValueArguments>();
    CLI::App* command = commands.add(name, description, [&a, run] { return run(a); });
    drawingArgument(command, a.drawing);
    command->add_option("HANDLE", a.handle, "the entity's handle (hexadecimal)")->required();
    command->add_flag("--discard-damaged", a.discardDamaged,
                      "drop the entity's stored values that cannot be read, for good");
    return {command, &a};
  };
  auto [setProp, setArgs] =
      onEntity("set-prop",
               "set a property value, parsed by its type (1.5, text, true, 1,2,3, [1, 2], {a: 1})",
               cmdSetProp);
  setProp->add_option("NAME~NS", setArgs->key, "the property")->required();
  setProp->add_option("VALUE", setArgs->value, "its new value")->required();
  auto [resetProp, resetArgs] =
      onEntity("reset-prop", "remove one stored value, or every value of the entity's properties",
               cmdResetProp);
  resetProp->add_option("NAME~NS", resetArgs->key, "the property (default: all of them)");
  onEntity("purge-props", "remove the stored values that no applicable property set defines",
           cmdPurgeProps);
  auto [attach, attachArgs] =
      onEntity("attach-set", "attach a per-instance property set to the entity", cmdAttachSet);
  attach->add_option("SET~NS", attachArgs->key, "the property set")->required();
  auto [detach, detachArgs] =
      onEntity("detach-set", "detach a per-instance property set from the entity", cmdDetachSet);
  detach->add_option("SET~NS", detachArgs->key, "the property set")->required();
}

void valueTour(const std::string& drawing) {
  OdDbDatabasePtr db = openDrawing(drawing);
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
  OdDbDatabasePtr reopened = openDrawing(drawing);
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

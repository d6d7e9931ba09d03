// The entity and property-value commands of the command-line host: adding and listing entities,
// and showing, setting, resetting and purging an entity's user property values. Each saves the
// drawing only when it changed something.
#include <functional>
#include <iostream>
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
};

BoundEntity bind(const std::string& path, const std::string& handle, OdDb::OpenMode mode,
                 bool needLibrary) {
  BoundEntity b;
  b.db = openDrawing(path);
  b.entity = entityAt(b.db, handle, mode);
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

/// One line of `props`: key, set, kind, storage type, value with where it came from, result.
void printProperty(const sl_db::DynamicProperty& property, const OdDbEntity* entity) {
  const char* kind = property.propertyDefinition() ? "property"
                     : property.valueDefinition()  ? "value"
                                                   : "unbound";
  std::string set = property.propertySet() ? sl_db::PropertyKey(property.propertySet()->ns(),
                                                                property.propertySet()->name())
                                                 .str()
                                                 .toUtf8()
                                           : "-";
  const DbPropertyType type = property.type();
  std::string value = "none";
  std::string result = "NotAvailable";
  KcSmartPtr<sl_db::DynamicPropertyContext> context =
      sl_db::DynamicPropertyContext::createObject(entity, -1);
  visitValueType(type, [&](auto tag) {
    using T = typename decltype(tag)::type;
    T read{};
    sl_db::DynamicProperty::Result r = property.getValue(read, context.get());
    result = resultWord(r);
    if (r != sl_db::DynamicProperty::Ok) return;
    DbPropertyContainer<T> shown(read);
    value = formatValue(shown) + (property.property()             ? " (stored)"
                                  : property.propertyDefinition() ? " (default)"
                                                                  : " (computed)");
  });
  std::cout << property.propertyKey().str().toUtf8() << "  set " << set << "  " << kind << "  "
            << typeName(type) << "  " << value << "  " << result << "\n";
}

}  // namespace

int cmdProps(const Args& args) {
  if (args.size() != 2 && args.size() != 4 && !(args.size() == 3 && args[2] == "--mapped"))
    throw UsageError{"props needs a drawing, a handle and at most one filter"};
  const bool filtered = args.size() == 4;
  BoundEntity b = bind(args[0], args[1], OdDb::kForRead, filtered);
  std::optional<sl_db::DynamicProperties> properties;
  if (args.size() == 3) {
    properties.emplace(b.entity, sl_db::StaticPropertiesTag());
  } else if (filtered && args[2] == "--set") {
    properties.emplace(b.library, b.entity, findSet(*b.library, *b.wrapper, args[3]));
  } else if (filtered && args[2] == "--namespace") {
    const stocklib::PropertyNamespace* ns =
        b.wrapper->propertyNamespace(OdString::fromUtf8(args[3]));
    std::shared_ptr<sl_db::IPropertyNamespace> found =
        ns ? b.library->propertyNamespace(ns->id()) : nullptr;
    if (!found) throw Failure{"no property namespace " + args[3] + " with sets in the library"};
    properties.emplace(b.library, b.entity, found);
  } else if (filtered) {
    throw UsageError{"the filter is --set NAME~NS, --namespace NS or --mapped"};
  } else {
    properties.emplace(b.library, b.entity);
  }
  for (const sl_db::DynamicProperty& property : *properties)
    printProperty(property, b.entity.get());
  if (properties->count() == 0) std::cout << "no properties\n";
  return 0;
}

int cmdSetProp(const Args& args) {
  if (args.size() != 4) throw UsageError{"set-prop needs a drawing, a handle, a key and a value"};
  BoundEntity b = bind(args[0], args[1], OdDb::kForWrite, true);
  sl_db::DynamicProperty property(
      b.library, b.entity, sl_db::PropertyKey::fromString(OdString::fromUtf8(args[2])), true);
  if (property.valueDefinition() && !property.propertyDefinition())
    throw Failure{args[2] + " is a computed value; it cannot be set"};
  if (!property.propertyDefinition())
    throw Failure{"no property " + args[2] + " applies to the " + b.entity->isA()->name().toUtf8() +
                  " " + args[1]};
  const DbPropertyType type = property.propertyDefinition()->dbPropertyType();
  std::string error;
  std::shared_ptr<DbProperty> parsed = parseValue(args[3], type, error);
  if (!parsed) throw Failure{"the value does not fit " + typeName(type) + ": " + error};
  sl_db::DynamicProperty::Result result = sl_db::DynamicProperty::TypeMismatch;
  visitValueType(type, [&](auto tag) {
    using T = typename decltype(tag)::type;
    T value{};
    if (parsed->get(value)) result = property.setValue(value);
  });
  std::cout << resultWord(result) << "\n";
  if (result != sl_db::DynamicProperty::Ok) return 1;
  saveDrawing(b.db, args[0]);
  return 0;
}

int cmdResetProp(const Args& args) {
  if (args.size() != 2 && args.size() != 3)
    throw UsageError{"reset-prop needs a drawing, a handle and perhaps a key"};
  BoundEntity b = bind(args[0], args[1], OdDb::kForWrite, false);
  bool changed = false;
  if (args.size() == 3) {
    sl_db::DynamicProperty property(
        b.library, b.entity, sl_db::PropertyKey::fromString(OdString::fromUtf8(args[2])), true);
    if (!property.exists()) throw Failure{"no property " + args[2] + " on the entity " + args[1]};
    changed = property.resetValue();
  } else {
    const DbProperties* container =
        DbProperties::get(static_cast<const OdRxObject*>(b.entity.get()));
    const std::size_t before = container ? container->size() : 0;
    sl_db::DynamicProperties(b.library, b.entity).resetAllValues();
    changed = container && container->size() != before;
  }
  std::cout << (changed ? "reset\n" : "nothing stored\n");
  if (changed) saveDrawing(b.db, args[0]);
  return 0;
}

int cmdPurgeProps(const Args& args) {
  if (args.size() != 2) throw UsageError{"purge-props needs a drawing and a handle"};
  BoundEntity b = bind(args[0], args[1], OdDb::kForWrite, false);
  const DbProperties* container = DbProperties::get(static_cast<const OdRxObject*>(b.entity.get()));
  const std::size_t before = container ? container->size() : 0;
  sl_db::DynamicProperties(b.library, b.entity).purgeValues();
  const std::size_t purged = before - (container ? container->size() : 0);
  std::cout << "purged " << purged << (purged == 1 ? " value\n" : " values\n");
  if (purged) saveDrawing(b.db, args[0]);
  return 0;
}

namespace {

int attachOrDetach(const Args& args, bool attach) {
  if (args.size() != 3) throw UsageError{"needs a drawing, a handle and a set NAME~NS"};
  BoundEntity b = bind(args[0], args[1], OdDb::kForWrite, true);
  std::shared_ptr<sl_db::IPropertySet> set = findSet(*b.library, *b.wrapper, args[2]);
  if (!set->perInstance())
    throw Failure{"the property set " + args[2] + " applies to all entities of its types"};
  const OdString key = sl_db::PropertyKey(set->ns(), set->name()).str();
  bool changed = attach ? DbProperties::get(b.entity.get())->attachInstancePropertySet(key)
                        : DbProperties::get(b.entity.get())->detachInstancePropertySet(key);
  std::cout << (changed ? (attach ? "attached\n" : "detached\n")
                        : (attach ? "attached already\n" : "not attached\n"));
  if (changed) saveDrawing(b.db, args[0]);
  return 0;
}

}  // namespace

int cmdAttachSet(const Args& args) {
  return attachOrDetach(args, true);
}

int cmdDetachSet(const Args& args) {
  return attachOrDetach(args, false);
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
      printProperty(property, OdDbEntity::cast(line.get()).get());
    }
  }
}

}  // namespace sldb

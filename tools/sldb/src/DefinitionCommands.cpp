// The host's property-definition commands: list, add and remove the property namespaces, sets
// and definitions of a drawing's primary library through the module's library interface.
#include <iostream>
#include <optional>
#include <sstream>

#include "Cli.h"
#include "DbDatabase.h"
#include "sl_db/DocumentLibrariesManager.h"
#include "sl_db/ILibrary.h"
#include "sl_db/Library.h"
#include "stocklib/Objects.h"

namespace sldb {

namespace {

// Element words by storage code.
const char* const kElementWords[DbPropertyType::kTypeCount] = {
    "bool",    "int8",     "uint8",   "int16",  "uint16",  "int32", "uint32",
    "int64",   "uint64",   "double",  "string", "handle",  "id",    "vector2d",
    "point2d", "vector3d", "point3d", "bytes",  "property"};

std::string elementWord(std::int32_t code) {
  return code >= 0 && code < DbPropertyType::kTypeCount ? kElementWords[code]
                                                        : "?" + std::to_string(code);
}

std::optional<std::int32_t> elementCode(const std::string& word) {
  for (std::int32_t code = 0; code < DbPropertyType::kTypeCount; ++code)
    if (word == kElementWords[code]) return code;
  return std::nullopt;
}

}  // namespace

std::string typeWord(const DbPropertyType& type) {
  switch (type.structure()) {
    case DbPropertyType::kSingle:
      return elementWord(type.type());
    case DbPropertyType::kArray:
      return "array<" + elementWord(type.type()) + ">";
    case DbPropertyType::kMap:
      return "map<" + elementWord(type.keyType()) + "," + elementWord(type.type()) + ">";
    default:
      return "structure " + std::to_string(type.structure()) + " of " + elementWord(type.type());
  }
}

DbPropertyType parseTypeWord(const std::string& text) {
  std::string word;
  for (char c : text)
    if (c != ' ') word += c;
  auto inside = [&](const std::string& head) -> std::optional<std::string> {
    if (word.size() <= head.size() + 1 || word.compare(0, head.size(), head) != 0 ||
        word.back() != '>')
      return std::nullopt;
    return word.substr(head.size(), word.size() - head.size() - 1);
  };
  DbPropertyType type;
  if (auto element = elementCode(word)) {
    type = DbPropertyType(DbPropertyType::kSingle, *element);
  } else if (auto array = inside("array<")) {
    if (auto element = elementCode(*array)) type = DbPropertyType(DbPropertyType::kArray, *element);
  } else if (auto map = inside("map<")) {
    std::size_t comma = map->find(',');
    auto key = elementCode(map->substr(0, comma));
    auto element = comma == std::string::npos ? std::nullopt : elementCode(map->substr(comma + 1));
    if (key && element) type = DbPropertyType(DbPropertyType::kMap, *element, *key);
  }
  // Only the types the property storage can hold on an entity.
  return type.isValid() ? type : DbPropertyType();
}

namespace {

/// The primary library of an opened drawing as the module's library interface.
struct Primary {
  std::shared_ptr<stocklib::Library> store;
  std::shared_ptr<sl_db::Library> wrapper;
  std::shared_ptr<sl_db::ILibrary> library;
};

Primary primaryOf(const std::string& drawing, sl_db::DocumentLibraries* docs, bool writing) {
  Primary p;
  p.store = std::const_pointer_cast<stocklib::Library>(docs->primary());
  if (!p.store) throw Failure{drawing + " has no primary library"};
  if (writing && p.store->isReadOnly())
    throw Failure{"the primary library " + p.store->filename().toUtf8() + " is read-only"};
  p.wrapper = sl_db::Library::get(p.store);
  p.library = sl_db::ILibrary::create(p.wrapper);
  return p;
}

std::shared_ptr<sl_db::IPropertyNamespace> findNamespace(const Primary& p, const OdString& name) {
  auto ns = p.store->get<stocklib::PropertyNamespace>(stocklib::NameKey(name));
  if (!ns) throw Failure{"no property namespace '" + name.toUtf8() + "' in the primary library"};
  return p.library->propertyNamespace(ns->id());
}

/// splitKey: NAME~NS, both parts required.
sl_db::PropertyKey splitKey(const std::string& text, const char* what) {
  sl_db::PropertyKey key = sl_db::PropertyKey::fromString(OdString::fromUtf8(text));
  if (key.name().isEmpty() || key.ns().isEmpty())
    throw UsageError{std::string(what) + " wants NAME~NAMESPACE, not '" + text + "'"};
  return key;
}

std::string defaultText(const sl_db::IPropertyDefinition& def) {
  if (def.type().structure != sl_db::PropertyType::Structure::Single) return {};
  std::ostringstream out;
  bool b;
  std::int32_t i;
  double d;
  OdString s;
  const std::int32_t code = def.type().type;
  if (code == DbPropertyType::kBool && def.defaultValue(b)) {
    out << (b ? "true" : "false");
  } else if (code >= DbPropertyType::kInt8 && code <= DbPropertyType::kUInt64 &&
             def.defaultValue(i)) {
    out << i;
  } else if (code == DbPropertyType::kDouble && def.defaultValue(d)) {
    out << d;
  } else if (code == DbPropertyType::kString && def.defaultValue(s)) {
    out << '"' << s.toUtf8() << '"';
  }
  return out.str().empty() ? std::string() : "  default " + out.str();
}

void printDefinition(const sl_db::IAbstractDefinition& def, const char* kind,
                     const std::string& defaultPart) {
  auto* stored = static_cast<const stocklib::AbstractDefinition*>(def.object());
  const stocklib::PropertyType t = stored->type();
  std::cout << "    " << sl_db::PropertyKey(def).str().toUtf8() << "  " << kind << "  "
            << typeWord(DbPropertyType(t.structure, t.type, t.key_type));
  if (auto unit = stored->unit()) std::cout << "  unit " << unit->symbol().toUtf8();
  std::cout << defaultPart << "\n";
}

void printSet(const sl_db::IPropertySet& set) {
  std::cout << "  set " << set.name().toUtf8() << (set.perInstance() ? " (per instance)" : "")
            << ":";
  const OdArray<OdString> types = set.entityTypes();
  for (unsigned i = 0; i < types.size(); ++i)
    std::cout << (i ? ", " : " ") << types[i].toUtf8();
  std::cout << (types.empty() ? " no entity types\n" : "\n");
  for (const auto& def : set.propertyDefinitions())
    printDefinition(*def, "property", defaultText(*def));
  for (const auto& def : set.valueDefinitions())
    printDefinition(*def, "value", {});
}

const char* removalWords(sl_db::ILibrary::RemoveResult result) {
  switch (result) {
    case stocklib::Library::kRemoved:
      return "removed";
    case stocklib::Library::kKeptByReactor:
      return "kept: a library event handler refused the removal";
    case stocklib::Library::kStillReferenced:
      return "kept: still referenced by another object";
    default:
      return "not removed: not found";
  }
}

}  // namespace

int cmdDefs(const Args& args) {
  std::optional<std::string> only;
  Args rest;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--namespace") {
      if (++i == args.size()) throw UsageError{"--namespace needs a name"};
      only = args[i];
    } else {
      rest.push_back(args[i]);
    }
  }
  if (rest.size() != 1) throw UsageError{"defs needs exactly one drawing"};
  return withDrawing(rest[0], [&](OdDbDatabase*, sl_db::DocumentLibraries* docs) {
    Primary p = primaryOf(rest[0], docs, false);
    std::vector<std::shared_ptr<sl_db::IPropertyNamespace>> namespaces;
    if (only) {
      namespaces.push_back(findNamespace(p, OdString::fromUtf8(*only)));
    } else {
      namespaces = p.library->allPropertyNamespaces();
    }
    for (const auto& ns : namespaces) {
      std::cout << "namespace " << ns->name().toUtf8();
      if (ns->displayName(true) != ns->name()) std::cout << " (" << ns->label().toUtf8() << ")";
      std::cout << "\n";
      for (const auto& set : p.library->propertySets(ns))
        printSet(*set);
    }
    return 0;
  });
}

int cmdDefAdd(const Args& args) {
  bool value = false;
  Args rest;
  for (const std::string& a : args) {
    if (a == "--value") {
      value = true;
    } else {
      rest.push_back(a);
    }
  }
  if (rest.size() != 4)
    throw UsageError{"def-add needs a drawing, SET~NAMESPACE, a name and a type"};
  const sl_db::PropertyKey setKey = splitKey(rest[1], "the set");
  const OdString name = OdString::fromUtf8(rest[2]);
  if (name.isEmpty() || name.find(sl_db::PropertyKey::KEY_DELIMITER) >= 0)
    throw UsageError{"a definition's name is not empty and holds no '~'"};
  const DbPropertyType type = parseTypeWord(rest[3]);
  if (!type.isValid()) {
    throw UsageError{"'" + rest[3] +
                     "' is no type the property storage holds (say double, array<string> or "
                     "map<string,double>)"};
  }
  return withDrawing(rest[0], [&](OdDbDatabase*, sl_db::DocumentLibraries* docs) {
    Primary p = primaryOf(rest[0], docs, true);
    auto ns = findNamespace(p, setKey.ns());
    const stocklib::DefinitionKey key(name, ns->id());
    if (p.store->get<stocklib::PropertyDefinition>(key) ||
        p.store->get<stocklib::ValueDefinition>(key))
      throw Failure{"a definition " + sl_db::PropertyKey(setKey.ns(), name).str().toUtf8() +
                    " exists already"};
    auto set = p.library->propertySet(setKey.name(), ns->id());
    if (!set) {
      set = p.library->createPropertySet(ns, setKey.name());
      std::cout << "created the property set " << rest[1] << "\n";
    }
    const sl_db::PropertyType structure(
        static_cast<sl_db::PropertyType::Structure>(type.structure()),
        static_cast<sl_db::PropertyType::Type>(type.type()));
    std::shared_ptr<sl_db::IAbstractDefinition> def;
    if (value) {
      def = set->appendValueDefinition(name, structure);
    } else {
      def = set->appendPropertyDefinition(name, structure);
    }
    // The interface writes no key type; a map keeps the one asked for.
    static_cast<stocklib::AbstractDefinition*>(def->object())
        ->set_type(stocklib::PropertyType(type.structure(), type.type(), type.keyType()));
    set->save(p.library);
    std::cout << "added the " << (value ? "value" : "property") << " definition "
              << sl_db::PropertyKey(*def).str().toUtf8() << " (" << typeWord(type) << ") to "
              << rest[1] << "\n";
    return 0;
  });
}

int cmdDefRm(const Args& args) {
  if (args.size() != 2) throw UsageError{"def-rm needs a drawing and NAME~NAMESPACE"};
  const sl_db::PropertyKey key = splitKey(args[1], "the definition");
  return withDrawing(args[0], [&](OdDbDatabase*, sl_db::DocumentLibraries* docs) {
    Primary p = primaryOf(args[0], docs, true);
    auto ns = findNamespace(p, key.ns());
    const stocklib::DefinitionKey storeKey(key.name(), ns->id());
    sl_db::ILibrary::RemoveResult result;
    if (auto def = p.store->get<stocklib::PropertyDefinition>(storeKey)) {
      result = p.library->remove(sl_db::IPropertyDefinition::create(def.get()));
    } else if (auto value = p.store->get<stocklib::ValueDefinition>(storeKey)) {
      result = p.library->remove(sl_db::IValueDefinition::create(value.get()));
    } else {
      throw Failure{"no definition " + args[1] + " in the primary library"};
    }
    std::cout << args[1] << ": " << removalWords(result) << "\n";
    return result == stocklib::Library::kRemoved ? 0 : 1;
  });
}

}  // namespace sldb

// The host's property-definition commands: list, add and remove the property namespaces, sets
// and definitions of a drawing's primary library through the module's library interface.
#include <iostream>
#include <optional>
#include <sstream>

#include "CommandsModule.h"
#include "DbDatabase.h"
#include "DbEntity.h"
#include "RxClass.h"
#include "Session.h"
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

/// madeName: the name of a namespace, set or definition about to be made: UsageError when it is
/// blank or holds the key's '~'.
OdString madeName(const OdString& name, const char* what) {
  if (name.isBlank() || name.find(sl_db::PropertyKey::KEY_DELIMITER) >= 0)
    throw UsageError{std::string(what) + "'s name is not blank and holds no '~'"};
  return name;
}

/// defaultJson: a single value's default as a typed JSON value; null when it has none.
nlohmann::json defaultJson(const sl_db::IPropertyDefinition& def) {
  if (def.type().structure != sl_db::PropertyType::Structure::Single) return nullptr;
  bool b;
  std::int32_t i;
  double d;
  OdString s;
  const std::int32_t code = def.type().type;
  if (code == DbPropertyType::kBool && def.defaultValue(b)) return b;
  if (code >= DbPropertyType::kInt8 && code <= DbPropertyType::kUInt64 && def.defaultValue(i))
    return i;
  if (code == DbPropertyType::kDouble && def.defaultValue(d)) return jsonNumber(d);
  if (code == DbPropertyType::kString && def.defaultValue(s)) return s.toUtf8();
  return nullptr;
}

nlohmann::json definitionJson(const sl_db::IAbstractDefinition& def, const char* kind,
                              nlohmann::json defaultValue) {
  auto* stored = static_cast<const stocklib::AbstractDefinition*>(def.object());
  const stocklib::PropertyType t = stored->type();
  auto unit = stored->unit();
  return {{"key", sl_db::PropertyKey(def).str().toUtf8()},
          {"kind", kind},
          {"type", typeWord(DbPropertyType(t.structure, t.type, t.key_type))},
          {"unit", unit ? nlohmann::json(unit->symbol().toUtf8()) : nlohmann::json()},
          {"default", std::move(defaultValue)}};
}

nlohmann::json setJson(const sl_db::IPropertySet& set) {
  nlohmann::json types = nlohmann::json::array();
  for (const OdString& type : set.entityTypes())
    types.push_back(type.toUtf8());
  nlohmann::json definitions = nlohmann::json::array();
  for (const auto& def : set.propertyDefinitions())
    definitions.push_back(definitionJson(*def, "property", defaultJson(*def)));
  for (const auto& def : set.valueDefinitions())
    definitions.push_back(definitionJson(*def, "value", nullptr));
  return {{"name", set.name().toUtf8()},
          {"per_instance", set.perInstance()},
          {"entity_types", std::move(types)},
          {"definitions", std::move(definitions)}};
}

void printDefinition(const nlohmann::json& def) {
  std::cout << "    " << shown(def["key"].get<std::string>()) << "  "
            << def["kind"].get<std::string>() << "  " << def["type"].get<std::string>();
  if (!def["unit"].is_null()) std::cout << "  unit " << shown(def["unit"].get<std::string>());
  const nlohmann::json& value = def["default"];
  if (value.is_number_float()) {
    std::cout << "  default " << value.get<double>();
  } else if (!value.is_null()) {
    std::cout << "  default " << value.dump();  // true, 3, "text"
  }
  std::cout << "\n";
}

void printSet(const nlohmann::json& set) {
  std::cout << "  set " << shown(set["name"].get<std::string>())
            << (set["per_instance"].get<bool>() ? " (per instance)" : "") << ":";
  const nlohmann::json& types = set["entity_types"];
  for (std::size_t i = 0; i < types.size(); ++i)
    std::cout << (i ? ", " : " ") << shown(types[i].get<std::string>());
  std::cout << (types.empty() ? " no entity types\n" : "\n");
  for (const auto& def : set["definitions"])
    printDefinition(def);
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

class DefsCommand final : public DrawingCommand {
 public:
  bool readOnly() const override { return true; }
  DefsCommand()
      : DrawingCommand("defs",
                       "list the primary library's property namespaces, their sets (entity\n"
                       "types, per instance) and definitions (key, kind, type, unit, default)") {}
  void options(CLI::App& c) override {
    c.add_option("--namespace", m_only, "only this namespace")->type_name("NS");
    c.add_flag("--json", m_json, "one JSON document with the same definitions");
  }
  int run(DrawingSession& drawing) override {
    Primary p = primaryOf(drawing.path(), &drawing.libraries(), false);
    std::vector<std::shared_ptr<sl_db::IPropertyNamespace>> namespaces;
    if (m_only) {
      namespaces.push_back(findNamespace(p, OdString::fromUtf8(*m_only)));
    } else {
      namespaces = p.library->allPropertyNamespaces();
    }
    nlohmann::json listed = nlohmann::json::array();
    for (const auto& ns : namespaces) {
      nlohmann::json sets = nlohmann::json::array();
      for (const auto& set : p.library->propertySets(ns))
        sets.push_back(setJson(*set));
      listed.push_back(
          {{"name", ns->name().toUtf8()},
           {"label", ns->displayName(true) != ns->name() ? nlohmann::json(ns->label().toUtf8())
                                                         : nlohmann::json()},
           {"sets", std::move(sets)}});
    }
    if (m_json) {
      std::cout << nlohmann::json{{"namespaces", listed}}.dump(2) << "\n";
      return 0;
    }
    for (const auto& ns : listed) {
      std::cout << "namespace " << shown(ns["name"].get<std::string>());
      if (!ns["label"].is_null()) std::cout << " (" << shown(ns["label"].get<std::string>()) << ")";
      std::cout << "\n";
      for (const auto& set : ns["sets"])
        printSet(set);
    }
    return 0;
  }

 private:
  std::optional<std::string> m_only;
  bool m_json = false;
};
SLDB_COMMAND(DefsCommand);

class DefAddCommand final : public DrawingCommand {
 public:
  DefAddCommand()
      : DrawingCommand("def-add",
                       "append a property (or value) definition of TYPE (double, array<string>,\n"
                       "map<string,double> ...) to the set, created in namespace NS when missing") {
  }
  void options(CLI::App& c) override {
    c.add_option("SET~NS", m_set, "the property set and its namespace")->required();
    c.add_option("NAME", m_name, "the definition's name")->required();
    c.add_option("TYPE", m_type, "the storage type")->required();
    c.add_flag("--value", m_value, "a value definition (computed, not stored)");
  }
  int run(DrawingSession& drawing) override {
    const sl_db::PropertyKey setKey = splitKey(m_set, "the set");
    madeName(setKey.name(), "a set");
    const OdString name = madeName(OdString::fromUtf8(m_name), "a definition");
    const DbPropertyType type = parseTypeWord(m_type);
    if (!type.isValid()) {
      throw UsageError{"'" + m_type +
                       "' is no type the property storage holds (say double, array<string> or "
                       "map<string,double>)"};
    }
    Primary p = primaryOf(drawing.path(), &drawing.libraries(), true);
    auto ns = findNamespace(p, setKey.ns());
    const stocklib::DefinitionKey key(name, ns->id());
    if (p.store->get<stocklib::PropertyDefinition>(key) ||
        p.store->get<stocklib::ValueDefinition>(key))
      throw Failure{"a definition " + sl_db::PropertyKey(setKey.ns(), name).str().toUtf8() +
                    " exists already"};
    auto set = p.library->propertySet(setKey.name(), ns->id());
    if (!set) {
      set = p.library->createPropertySet(ns, setKey.name());
      status("created the property set " + m_set);
    }
    const sl_db::PropertyType structure(
        static_cast<sl_db::PropertyType::Structure>(type.structure()),
        static_cast<sl_db::PropertyType::Type>(type.type()));
    std::shared_ptr<sl_db::IAbstractDefinition> def;
    if (m_value) {
      def = set->appendValueDefinition(name, structure);
    } else {
      def = set->appendPropertyDefinition(name, structure);
    }
    // The interface writes no key type; a map keeps the one asked for.
    static_cast<stocklib::AbstractDefinition*>(def->object())
        ->set_type(stocklib::PropertyType(type.structure(), type.type(), type.keyType()));
    set->save(p.library);
    status("added the " + std::string(m_value ? "value" : "property") + " definition " +
           sl_db::PropertyKey(*def).str().toUtf8() + " (" + typeWord(type) + ") to " + m_set);
    return 0;
  }

 private:
  std::string m_set, m_name, m_type;
  bool m_value = false;
};
SLDB_COMMAND(DefAddCommand);

/// entityClassNames: the registered classes of entities, in name order.
std::string entityClassNames() {
  std::string names;
  for (const OdString& name : odrxClassDictionary()->names()) {
    const OdRxClass* cls = odrxClassDictionary()->getAt(name);
    if (cls && cls->isDerivedFrom(OdDbEntity::desc()))
      names += (names.empty() ? "" : ", ") + name.toUtf8();
  }
  return names;
}

/// The entity classes a set applies to, as --applies-to names them: checked against the
/// registered classes unless --force (a library may name classes of modules loaded later).
struct AppliesTo {
  std::vector<std::string> names;
  bool force = false;

  void declare(CLI::App& c, const char* help) {
    c.add_option("--applies-to", names, help)->type_name("CLASS,...")->delimiter(',');
    c.add_flag("--force", force, "take class names that no loaded module registers");
  }
  /// check: UsageError naming the first unknown class and the known ones.
  void check() const {
    if (force) return;
    for (const std::string& name : names) {
      const OdRxClass* cls = odrxClassDictionary()->getAt(OdString::fromUtf8(name));
      if (!cls || !cls->isDerivedFrom(OdDbEntity::desc()))
        throw UsageError{"no entity class '" + name + "' is registered (known: " +
                         entityClassNames() + "; --force takes it anyway)"};
    }
  }
  /// applyTo: the set's entity types become exactly these.
  void applyTo(sl_db::IPropertySet& set) const {
    for (const OdString& old : set.entityTypes())
      set.removeEntityType(old);
    for (const std::string& name : names)
      (void)set.insertEntityType(OdString::fromUtf8(name));  // false: named twice
  }
};

class NsAddCommand final : public DrawingCommand {
 public:
  NsAddCommand()
      : DrawingCommand("ns-add", "make a property namespace NS in the primary library") {}
  void options(CLI::App& c) override {
    c.add_option("NS", m_name, "the namespace's name")->required();
    c.add_option("--label", m_label, "the name shown for it");
  }
  int run(DrawingSession& drawing) override {
    const OdString name = madeName(OdString::fromUtf8(m_name), "a namespace");
    Primary p = primaryOf(drawing.path(), &drawing.libraries(), true);
    if (p.store->get<stocklib::PropertyNamespace>(stocklib::NameKey(name)))
      throw Failure{"a property namespace '" + m_name + "' exists already"};
    KcSmartPtr<stocklib::PropertyNamespace> ns = stocklib::PropertyNamespace::create(name);
    if (!m_label.empty()) ns->set_label(OdString::fromUtf8(m_label));
    ns->save(p.store);
    status("made the property namespace " + m_name);
    return 0;
  }

 private:
  std::string m_name, m_label;
};
SLDB_COMMAND(NsAddCommand);

class SetAddCommand final : public DrawingCommand {
 public:
  SetAddCommand()
      : DrawingCommand("set-add",
                       "make a property set in namespace NS that applies to the entity classes\n"
                       "given (--applies-to OdDbLine,OdDbPolyline), or to entities it is\n"
                       "attached to (--per-instance)") {}
  void options(CLI::App& c) override {
    c.add_option("SET~NS", m_set, "the property set and its namespace")->required();
    m_classes.declare(c, "the entity classes it applies to");
    c.add_flag("--per-instance", m_perInstance, "attached to single entities (attach-set)");
  }
  int run(DrawingSession& drawing) override {
    const sl_db::PropertyKey key = splitKey(m_set, "the set");
    madeName(key.name(), "a set");
    m_classes.check();
    Primary p = primaryOf(drawing.path(), &drawing.libraries(), true);
    auto ns = findNamespace(p, key.ns());
    if (p.library->propertySet(key.name(), ns->id()))
      throw Failure{"a property set " + m_set + " exists already"};
    auto set = p.library->createPropertySet(ns, key.name());
    m_classes.applyTo(*set);
    set->setPerInstance(m_perInstance);
    set->save(p.library);
    status("made the property set " + m_set);
    return 0;
  }

 private:
  std::string m_set;
  AppliesTo m_classes;
  bool m_perInstance = false;
};
SLDB_COMMAND(SetAddCommand);

class SetChangeCommand final : public DrawingCommand {
 public:
  SetChangeCommand()
      : DrawingCommand("set-change",
                       "change the entity classes a property set applies to, or whether it is\n"
                       "per instance") {}
  void options(CLI::App& c) override {
    c.add_option("SET~NS", m_set, "the property set and its namespace")->required();
    m_classes.declare(c, "the entity classes it applies to from now on");
    CLI::Option* on =
        c.add_flag("--per-instance", m_perInstance, "attached to single entities (attach-set)");
    c.add_flag("--all-of-type", m_allOfType, "applies to every entity of its classes")
        ->excludes(on);
  }
  int run(DrawingSession& drawing) override {
    const sl_db::PropertyKey key = splitKey(m_set, "the set");
    m_classes.check();
    Primary p = primaryOf(drawing.path(), &drawing.libraries(), true);
    auto ns = findNamespace(p, key.ns());
    auto set = p.library->propertySet(key.name(), ns->id());
    if (!set) throw Failure{"no property set " + m_set + " in the primary library"};
    if (m_classes.names.empty() && !m_perInstance && !m_allOfType)
      throw UsageError{"say what changes: --applies-to, --per-instance or --all-of-type"};
    if (!m_classes.names.empty()) m_classes.applyTo(*set);
    if (m_perInstance || m_allOfType) set->setPerInstance(m_perInstance);
    set->save(p.library);
    status("changed the property set " + m_set);
    return 0;
  }

 private:
  std::string m_set;
  AppliesTo m_classes;
  bool m_perInstance = false, m_allOfType = false;
};
SLDB_COMMAND(SetChangeCommand);

class DefRmCommand final : public DrawingCommand {
 public:
  DefRmCommand() : DrawingCommand("def-rm", "remove a property or value definition") {}
  void options(CLI::App& c) override {
    c.add_option("NAME~NS", m_key, "the definition and its namespace")->required();
  }
  int run(DrawingSession& drawing) override {
    const sl_db::PropertyKey key = splitKey(m_key, "the definition");
    Primary p = primaryOf(drawing.path(), &drawing.libraries(), true);
    auto ns = findNamespace(p, key.ns());
    const stocklib::DefinitionKey storeKey(key.name(), ns->id());
    sl_db::ILibrary::RemoveResult result;
    if (auto def = p.store->get<stocklib::PropertyDefinition>(storeKey)) {
      result = p.library->remove(sl_db::IPropertyDefinition::create(def.get()));
    } else if (auto value = p.store->get<stocklib::ValueDefinition>(storeKey)) {
      result = p.library->remove(sl_db::IValueDefinition::create(value.get()));
    } else {
      throw Failure{"no definition " + m_key + " in the primary library"};
    }
    status(m_key + ": " + removalWords(result));
    return result == stocklib::Library::kRemoved ? 0 : 1;
  }

 private:
  std::string m_key;
};
SLDB_COMMAND(DefRmCommand);

}  // namespace

}  // namespace sldb

// The library commands of the command-line host: binding a drawing to its libraries, listing
// and fetching library objects. Each saves the drawing only when its library record changed.
#include <filesystem>
#include <functional>
#include <iostream>
#include <memory>
#include <optional>

#include "Cli.h"
#include "DbDatabase.h"
#include "DbMemoryFiler.h"
#include "EntityAccess.h"
#include "ProfileLookup.h"
#include "sl_db/DbPreferencesProvider.h"
#include "sl_db/DocumentLibrariesManager.h"
#include "sl_db/LibraryPaths.h"
#include "sl_db/LibraryReactor.h"
#include "sl_db/ProfileHelpers.h"
#include "stocklib/Library.h"
#include "stocklib/Materials.h"
#include "stocklib/Objects.h"
#include "stocklib/Profiles.h"
#include "stocklib/Translations.h"
#include "ut/FileUtils.h"

namespace sldb {

namespace {

// ---- Options ----

class PrintingReactor : public sl_db::LibraryReactor {
 public:
  static std::string what(const stocklib::ObjectKey& key) {
    return stocklib::objectTypeName(key.type).toUtf8() + " " + std::to_string(key.id);
  }
  PrintingReactor() {
    const OdString name(L"sldb");
    addOnSavedHandler(
        name, [](const std::shared_ptr<const stocklib::Library>& l, const stocklib::ObjectKey& k) {
          std::cout << "event: saved " << what(k) << " in " << l->filename().toUtf8() << "\n";
        });
    addOnModifiedHandler(
        name, [](const std::shared_ptr<const stocklib::Library>& l, stocklib::ObjectType t) {
          std::cout << "event: objects of type " << stocklib::objectTypeName(t).toUtf8()
                    << " changed in " << l->filename().toUtf8() << "\n";
        });
    addOnRemoveHandler(name, [](const OdDbDatabase*, const stocklib::ObjectKey& k) {
      std::cout << "event: asked whether " << what(k) << " may be removed\n";
      return stocklib::kRemoveObject;
    });
    addOnRemovedHandler(
        name, [](const OdDbDatabase*, const std::shared_ptr<const stocklib::Library>& l,
                 const stocklib::ObjectKey& k) {
          std::cout << "event: removed " << what(k) << " from " << l->filename().toUtf8() << "\n";
        });
    addOnPrimaryCopyHandler(
        name, [](OdDbDatabase*, const stocklib::Library* from, const stocklib::IdMapping& mapping) {
          std::cout << "event: primary received a copy of " << from->filename().toUtf8() << " ("
                    << mapping.entries().size() << " objects)\n";
        });
    addOnClosedHandler(name, [](OdDbDatabase*, const stocklib::Library* l) {
      std::cout << "event: closed " << l->filename().toUtf8() << "\n";
    });
  }
  ~PrintingReactor() override = default;
  void onLibraryFileMissing(OdDbDatabase*, const OdString& path, sl_db::EDbType type) override {
    std::cout << "event: " << (type == sl_db::kPrimary ? "primary" : "secondary")
              << " library missing: " << path.toUtf8() << "\n";
  }
};

}  // namespace

struct AppliedOptions::State {
  std::unique_ptr<PrintingReactor> reactor;
  std::shared_ptr<stocklib::Library::Reactor> oldReactor;
  bool translations = false;
  bool paletteLanguage = false;
};

AppliedOptions::AppliedOptions(const LibraryOptions& options) : m_state(new State) {
  if (sl_db::DbPreferencesProvider* prefs = sl_db::DbPreferencesProvider::getInstance()) {
    if (!options.roaming.empty()) prefs->setRoamableRootFolder(OdString::fromUtf8(options.roaming));
    if (!options.defaultLibrary.empty()) {
      prefs->setDefaultStocklibMetric(OdString::fromUtf8(options.defaultLibrary));
      prefs->setDefaultStocklibImperial(OdString::fromUtf8(options.defaultLibrary));
    }
  }
  if (!options.language.empty()) {
    // Names given to the objects of new libraries come from the store's catalogue.
    OdString path = sl_db::detail::supportFolderPath() + L"/locale/" +
                    OdString::fromUtf8(options.language) + L"/LC_MESSAGES/stocklib.mo";
    OdString error;
    auto catalogue = stocklib::Translations::loadMo(path, &error);
    if (!catalogue)
      throw Failure{"no translations for the language '" + options.language +
                    "': " + error.toUtf8()};
    stocklib::Translations::set(catalogue);
    m_state->translations = true;
    // Palette labels come from the same catalogue, through the application's translations.
    if (!setPaletteLanguage(options.language))
      throw Failure{"no palette labels for the language '" + options.language + "'"};
    m_state->paletteLanguage = true;
  }
  if (options.verbose) {
    m_state->reactor = std::make_unique<PrintingReactor>();
    m_state->oldReactor = stocklib::LibraryManager::instance().reactor();
    stocklib::LibraryManager::instance().setReactor(m_state->reactor.get());
  }
}

AppliedOptions::~AppliedOptions() {
  if (m_state->reactor) stocklib::LibraryManager::instance().setReactor(m_state->oldReactor);
  if (m_state->translations) stocklib::Translations::set(nullptr);
  if (m_state->paletteLanguage) setPaletteLanguage(std::string());
}

namespace {

// ---- Drawings ----

/// The record's filed bytes (embedded library included); empty without a record.
std::vector<std::uint8_t> recordBytes(OdDbDatabase* db) {
  std::vector<std::uint8_t> bytes;
  OdDbObjectPtr record = DbStockLibManager::getInstance(*db).openObject(OdDb::kForRead);
  if (record) record->dwgOutFields(odDbCreateMemoryWriter(bytes, OdDbFiler::kFileFiler, db));
  return bytes;
}

std::string storeError() {
  OdString error = stocklib::LibraryManager::instance().lastError();
  return error.isEmpty() ? std::string() : ": " + error.toUtf8();
}

/// describe: the library's location; an embedded library's in-memory name says so.
std::string describe(const std::shared_ptr<const stocklib::Library>& library) {
  std::string name = library->filename().toUtf8();
  return name.rfind("memvfs://", 0) == 0 ? name + " (embedded)" : name;
}

// ---- Types the host can list and fetch ----

/// The libraries to look in, primary first.
std::vector<std::shared_ptr<const stocklib::Library>> boundLibraries(
    const sl_db::DocumentLibraries& docs) {
  std::vector<std::shared_ptr<const stocklib::Library>> libraries;
  if (docs.primary()) libraries.push_back(docs.primary());
  for (const auto& s : docs.secondaries())
    if (s) libraries.push_back(s);
  return libraries;
}

/// How a type is shown and named on the command line: by its name, and fetched by a name key.
template <class T>
struct Naming {
  static OdString label(const T& object) { return object.name(); }
  static std::optional<stocklib::NameKey> key(const sl_db::DocumentLibraries&,
                                              const OdString& label) {
    return stocklib::NameKey(label);
  }
};

/// A profile is shown by its full name ("EN 10365 HEA 200", "Round column 300"). The text is not
/// split back (names hold spaces): the libraries are searched for it.
template <>
struct Naming<stocklib::Profile> {
  static OdString label(const stocklib::Profile& profile) {
    return sl_db::fullProfileName(&profile);
  }
  static std::optional<stocklib::ProfileKey> key(const sl_db::DocumentLibraries& docs,
                                                 const OdString& label) {
    KcSmartPtr<stocklib::Profile> p = findProfile(docs, label);
    if (!p) return std::nullopt;
    KcSmartPtr<stocklib::ProfileName> name = p->name();
    KcSmartPtr<stocklib::ProfileStandard> standard = name ? name->standard() : nullptr;
    return stocklib::ProfileKey(standard ? standard->name() : OdString(),
                                name ? name->name() : OdString(), p->size());
  }
};

/// Property sets are keyed by a namespace id of one library, which another library does not
/// share: they are listed, not fetched.
template <>
struct Naming<stocklib::PropertySet> {
  static OdString label(const stocklib::PropertySet& set) { return set.name(); }
};

struct TypeEntry {
  const char* name;
  /// labels: the names of the library's objects of this type, in the store's order.
  std::function<std::vector<OdString>(const stocklib::Library&)> labels;
  /// count: how many the library holds (without making their names).
  std::function<std::size_t(const stocklib::Library&)> count;
  /// fetch: the primary's object of that name, copied there on first use; empty when there is
  /// none. Null for a type that is only listed.
  std::function<KcSmartPtr<stocklib::Object>(sl_db::DocumentLibraries&, const OdString&)> fetch;
};

template <class T>
std::vector<OdString> labelsOf(const stocklib::Library& library) {
  std::vector<KcSmartPtr<T>> objects;
  library.get(objects);
  if constexpr (std::is_same_v<T, stocklib::Profile>) sl_db::sortProfiles(objects);
  std::vector<OdString> labels;
  labels.reserve(objects.size());
  for (const auto& o : objects)
    labels.push_back(Naming<T>::label(*o));
  return labels;
}

template <class T>
std::size_t countOf(const stocklib::Library& library) {
  std::vector<KcSmartPtr<T>> objects;
  return library.get(objects);
}

template <class T>
TypeEntry listedType(const char* name) {
  return {name, labelsOf<T>, countOf<T>, nullptr};
}

template <class T>
TypeEntry fetchedType(const char* name) {
  return {name, labelsOf<T>, countOf<T>, [](sl_db::DocumentLibraries& docs, const OdString& label) {
            auto key = Naming<T>::key(docs, label);
            if (!key) return KcSmartPtr<stocklib::Object>();
            return KcSmartPtr<stocklib::Object>(docs.getAndSaveToPrimary<T>(*key).get());
          }};
}

const std::vector<TypeEntry>& types() {
  static const std::vector<TypeEntry> table = {
      fetchedType<stocklib::Material>("material"),
      fetchedType<stocklib::MaterialType>("material-type"),
      fetchedType<stocklib::Composition>("composition"),
      fetchedType<stocklib::CompositionType>("composition-type"),
      fetchedType<stocklib::Profile>("profile"),
      fetchedType<stocklib::PropertyNamespace>("property-namespace"),
      listedType<stocklib::PropertySet>("property-set"),
      fetchedType<stocklib::Measure>("measure"),
      fetchedType<stocklib::Unit>("unit"),
      fetchedType<stocklib::EntityType>("entity-type"),
      fetchedType<stocklib::Layer>("layer"),
      fetchedType<stocklib::Tag>("tag"),
  };
  return table;
}

const TypeEntry& findType(const std::string& name) {
  for (const TypeEntry& t : types())
    if (name == t.name) return t;
  throw Failure{"unknown type '" + name + "'"};
}

}  // namespace

KcSmartPtr<stocklib::Profile> findProfile(const sl_db::DocumentLibraries& docs,
                                          const OdString& name) {
  for (const auto& library : boundLibraries(docs)) {
    std::vector<KcSmartPtr<stocklib::Profile>> profiles;
    library->get(profiles);
    for (const auto& p : profiles)
      if (sl_db::fullProfileName(p.get()) == name) return p;
  }
  return nullptr;
}

// ---- Commands ----

int withDrawing(const std::string& path,
                const std::function<int(OdDbDatabase*, sl_db::DocumentLibraries*)>& change) {
  OdDbDatabasePtr db = openDrawing(path, true);
  std::vector<std::uint8_t> before = recordBytes(db.get());
  int rc = change(db.get(), sl_db::docLibs(db.get()));
  if (rc == 0 && recordBytes(db.get()) != before) saveDrawing(db.get(), path);
  return rc;
}

namespace {

int cmdInit(const std::string& drawing) {
  return withDrawing(drawing, [](OdDbDatabase*, sl_db::DocumentLibraries* docs) {
    docs->initialize();
    if (!docs->primary()) throw Failure{"the drawing's primary library cannot be opened"};
    std::cout << "primary: " << describe(docs->primary()) << "\n";
    return 0;
  });
}

int cmdEmbed(const std::string& drawing) {
  return withDrawing(drawing, [](OdDbDatabase*, sl_db::DocumentLibraries* docs) {
    auto library = docs->openEmbeddedPrimary();
    if (!library) throw Failure{"cannot embed a primary library" + storeError()};
    std::cout << "primary: embedded " << describe(library) << "\n";
    return 0;
  });
}

struct LibraryArguments {
  std::string drawing, library;
  bool repoint = false;
};

int cmdSetPrimary(const LibraryArguments& a) {
  return withDrawing(a.drawing, [&](OdDbDatabase* db, sl_db::DocumentLibraries* docs) {
    OdString path = OdString::fromUtf8(a.library);
    auto library = docs->openPrimary(path);
    if (!library) {
      // Binding the old primary again may have cleared the reason: a checked open of the
      // refused file (closed by now) gives it back.
      std::string why = storeError();
      OdString file = sl_db::detail::absoluteLibraryPath(path, db->getFilename());
      if (why.empty() && ut::fileExists(file) &&
          !stocklib::LibraryManager::instance().openChecked(file))
        why = storeError();
      throw Failure{"cannot open or create the library " + a.library + why};
    }
    std::cout << "primary: " << describe(library) << "\n";
    return 0;
  });
}

int cmdMovePrimary(const LibraryArguments& a) {
  return withDrawing(a.drawing, [&](OdDbDatabase* db, sl_db::DocumentLibraries* docs) {
    if (docs->isPrimaryEmbedded()) throw Failure{"the primary library is embedded"};
    OdString path = OdString::fromUtf8(a.library);
    bool exists = ut::fileExists(sl_db::detail::absoluteLibraryPath(path, db->getFilename()));
    if (a.repoint && !exists) throw Failure{"no library at " + a.library + " to re-point to"};
    if (!a.repoint && exists) throw Failure{a.library + " exists already"};
    auto library = docs->movePrimary(path, !a.repoint);
    if (!library) throw Failure{"cannot move the primary library to " + a.library + storeError()};
    std::cout << "primary: " << describe(library) << "\n";
    return 0;
  });
}

int cmdAddSecondary(const LibraryArguments& a) {
  return withDrawing(a.drawing, [&](OdDbDatabase* db, sl_db::DocumentLibraries* docs) {
    // The secondaries are kept in the record: without one the drawing could not remember this.
    if (recordBytes(db).empty())
      throw Failure{a.drawing + " has no library record to keep a secondary in (sldb init " +
                    a.drawing + " gives it one)"};
    auto library = docs->openSecondary(OdString::fromUtf8(a.library));
    if (!library)
      throw Failure{"cannot open " + a.library + " as a secondary library" + storeError()};
    std::cout << "secondary: " << describe(library) << "\n";
    return 0;
  });
}

int cmdCloseSecondary(const LibraryArguments& a) {
  return withDrawing(a.drawing, [&](OdDbDatabase* db, sl_db::DocumentLibraries* docs) {
    OdString path =
        sl_db::detail::absoluteLibraryPath(OdString::fromUtf8(a.library), db->getFilename());
    const auto& list = docs->secondaries();
    for (auto it = list.begin(); it != list.end(); ++it) {
      if (sl_db::detail::absoluteLibraryPath((*it)->filename(), db->getFilename()) != path)
        continue;
      docs->closeSecondary(it);
      std::cout << "closed " << a.library << "\n";
      return 0;
    }
    throw Failure{a.library + " is not a secondary library of " + a.drawing};
  });
}

struct ListArguments {
  std::string drawing, type, from = "all";
  bool json = false;
};

int cmdList(const ListArguments& a) {
  const TypeEntry& type = findType(a.type);
  return withDrawing(a.drawing, [&](OdDbDatabase*, sl_db::DocumentLibraries* docs) {
    nlohmann::json listed = nlohmann::json::array();
    for (const auto& library : boundLibraries(*docs)) {
      bool primary = library == docs->primary();
      if ((a.from == "primary" && !primary) || (a.from == "secondaries" && primary)) continue;
      nlohmann::json names = nlohmann::json::array();
      for (const OdString& label : type.labels(*library))
        names.push_back(label.toUtf8());
      listed.push_back({{"library", describe(library)},
                        {"role", primary ? "primary" : "secondary"},
                        {"names", std::move(names)}});
    }
    if (listed.empty()) {
      throw Failure{a.drawing + " has no " +
                    (a.from == "all"       ? "libraries"
                     : a.from == "primary" ? "primary library"
                                           : "secondary libraries")};
    }
    if (a.json) {
      std::cout << nlohmann::json{{"type", a.type}, {"libraries", listed}}.dump(2) << "\n";
      return 0;
    }
    for (const auto& library : listed) {
      std::cout << library["library"].get<std::string>() << ":\n";
      for (const auto& name : library["names"])
        std::cout << "  " << name.get<std::string>() << "\n";
    }
    return 0;
  });
}

struct FetchArguments {
  std::string drawing, type, name;
};

int cmdFetch(const FetchArguments& a) {
  const TypeEntry& type = findType(a.type);
  if (!type.fetch) throw Failure{std::string(type.name) + " objects are listed, not fetched"};
  return withDrawing(a.drawing, [&](OdDbDatabase*, sl_db::DocumentLibraries* docs) {
    auto object = type.fetch(*docs, OdString::fromUtf8(a.name));
    if (!object) {
      if (boundLibraries(*docs).empty()) throw Failure{a.drawing + " has no libraries"};
      throw Failure{"no " + a.type + " named '" + a.name + "' in the libraries of " + a.drawing};
    }
    std::cout << "fetched " << a.type << " '" << a.name << "' into " << describe(docs->primary())
              << " (id " << object->id() << ")\n";
    return 0;
  });
}

std::vector<std::string> typeWords() {
  std::vector<std::string> words;
  for (const TypeEntry& t : types())
    words.push_back(t.name);
  return words;
}

}  // namespace

void declareLibraryCommands(Commands& commands) {
  auto onDrawing = [&](const char* name, const char* description, int (*run)(const std::string&)) {
    auto& drawing = commands.arguments<std::string>();
    drawingArgument(commands.add(name, description, [&drawing, run] { return run(drawing); }),
                    drawing);
  };
  onDrawing("init", "give a drawing without libraries an embedded primary library", cmdInit);
  onDrawing("embed", "make the primary library embedded (an external primary is copied into it)",
            cmdEmbed);
  auto onLibrary = [&](const char* name, const char* description,
                       int (*run)(const LibraryArguments&)) -> LibraryArguments& {
    auto& a = commands.arguments<LibraryArguments>();
    CLI::App* c = commands.add(name, description, [&a, run] { return run(a); });
    drawingArgument(c, a.drawing);
    c->add_option("PATH", a.library, "the library file")->required();
    return a;
  };
  onLibrary("set-primary",
            "make the library at PATH (created when missing) the primary; the old one is\n"
            "copied in",
            cmdSetPrimary);
  LibraryArguments& move =
      onLibrary("move-primary",
                "move the external primary's file to PATH, or with --repoint use the file at PATH",
                cmdMovePrimary);
  commands.app()
      .get_subcommand("move-primary")
      ->add_flag("--repoint", move.repoint, "bind the library at PATH; no file is moved");
  onLibrary("add-secondary",
            "open the library at PATH (created when missing) as the secondary library",
            cmdAddSecondary);
  onLibrary("close-secondary", "close that secondary library", cmdCloseSecondary);

  auto& list = commands.arguments<ListArguments>();
  CLI::App* c =
      commands.add("list", "list the names of objects of TYPE (profiles by full name, sorted)",
                   [&list] { return cmdList(list); });
  drawingArgument(c, list.drawing);
  c->add_option("TYPE", list.type, "the type of object")
      ->required()
      ->check(CLI::IsMember(typeWords()));
  c->add_option("--from", list.from, "the libraries to list")
      ->capture_default_str()
      ->check(CLI::IsMember({"primary", "secondaries", "all"}));
  c->add_flag("--json", list.json, "one JSON document with the same names");

  auto& fetch = commands.arguments<FetchArguments>();
  c = commands.add("fetch",
                   "copy the object NAME of TYPE from a secondary library into the primary on\n"
                   "first use (every type but property-set; a profile as \"EN 10365 HEA 200\")",
                   [&fetch] { return cmdFetch(fetch); });
  drawingArgument(c, fetch.drawing);
  c->add_option("TYPE", fetch.type, "the type of object")
      ->required()
      ->check(CLI::IsMember(typeWords()));
  c->add_option("NAME", fetch.name, "the object's name as list prints it")->required();
}

nlohmann::json libraries(OdDbDatabase* db) {
  sl_db::DocumentLibraries* docs = sl_db::docLibs(db);
  auto describeJson = [&](const char* role, const std::shared_ptr<const stocklib::Library>& l) {
    nlohmann::json holds = nlohmann::json::object();
    for (const TypeEntry& t : types())
      if (std::size_t count = t.count(*l)) holds[t.name] = count;
    return nlohmann::json{{"role", role},
                          {"library", describe(l)},
                          {"unit", l->unit() == stocklib::kLibraryUnitMillimeter ? "mm" : "inch"},
                          {"read_only", l->isReadOnly()},
                          {"holds", std::move(holds)}};
  };
  nlohmann::json json = nlohmann::json::array();
  json.push_back(docs->primary() ? describeJson("primary", docs->primary())
                                 : nlohmann::json{{"role", "primary"}, {"library", nullptr}});
  for (const auto& s : docs->secondaries())
    json.push_back(describeJson("secondary", s));
  return json;
}

void printLibraries(const nlohmann::json& libraries, std::ostream& out) {
  for (const auto& library : libraries) {
    const bool primary = library["role"] == "primary";
    out << (primary ? "  primary:   " : "  secondary: ");
    if (library["library"].is_null()) {
      out << "none\n";
      continue;
    }
    out << library["library"].get<std::string>() << "\n      unit "
        << library["unit"].get<std::string>()
        << (library["read_only"].get<bool>() ? ", read-only" : ", writable") << "\n      holds";
    std::size_t shown = 0;
    // In the order of the listed types, as the object holds them.
    for (const TypeEntry& t : types()) {
      if (!library["holds"].contains(t.name)) continue;
      const char* separator = shown == 0 ? " " : shown % 4 == 0 ? ",\n            " : ", ";
      out << separator << library["holds"][t.name].get<std::size_t>() << " " << t.name;
      ++shown;
    }
    out << (shown ? "\n" : " no objects of the listed types\n");
  }
}

}  // namespace sldb

namespace sldb {

void libraryTour(const std::string& folder, const std::string& drawing) {
  sl_db::DbPreferencesProvider* prefs = sl_db::DbPreferencesProvider::getInstance();
  if (!prefs) throw Failure{"the module installed no preferences provider"};
  const std::string shipped = sl_db::detail::supportFolderPath().toUtf8();
  if (!std::filesystem::exists(shipped + "/metric.stocklib"))
    throw Failure{"no support data at " + shipped + " (build the project or pass --roaming)"};
  std::filesystem::copy(shipped, folder + "/Support", std::filesystem::copy_options::recursive);
  prefs->setRoamableRootFolder(OdString::fromUtf8(folder));
  prefs->setDefaultStocklibMetric(OdString());

  OdDbDatabasePtr db = odDbCreateDatabase();
  db->readFile(OdString::fromUtf8(drawing));
  sl_db::DocumentLibraries* docs = sl_db::docLibs(db.get());
  std::cout << "1. its default secondary library is the shipped metric library, copied to\n   "
            << sl_db::defaultSecondaryLibraryPath(db.get()).toUtf8() << "\n";
  if (!docs->secondary()) throw Failure{"the default library cannot be opened" + storeError()};
  std::cout << "2. bound the drawing: "
            << (docs->primary() ? "a primary library" : "no primary library yet") << ", "
            << docs->secondaries().size() << " secondary library\n   holding "
            << countOf<stocklib::Material>(*docs->secondary()) << " materials and "
            << countOf<stocklib::Profile>(*docs->secondary()) << " profiles\n";

  const OdString materialName(L"Concrete C30/37");
  const OdString profileName(L"EN 10365 HEA 200");
  auto material = docs->getAndSaveToPrimary<stocklib::Material>(stocklib::NameKey(materialName));
  auto profileKey = Naming<stocklib::Profile>::key(*docs, profileName);
  auto profile = profileKey ? docs->getAndSaveToPrimary<stocklib::Profile>(*profileKey) : nullptr;
  if (!material || !profile) throw Failure{"the fetch from the default library failed"};
  std::cout << "3. fetched the material '" << materialName.toUtf8() << "' and the profile '"
            << profileName.toUtf8() << "';\n   the drawing now has an "
            << (docs->isPrimaryEmbedded() ? "embedded" : "external")
            << " primary library holding their copies:\n";
  std::cout << "   " << material->description().toUtf8() << "\n  ";
  if (auto shape = stocklib::ParametrizedProfile::cast(profile.get())) {
    for (std::size_t i = 0; i < shape->dimension_count(); ++i)
      if (shape->has_dimension(i))
        std::cout << " " << shape->dimension_name(i).toUtf8() << " " << shape->dimension(i);
    std::cout << " (mm)\n";
  }
  db->writeFile(OdString::fromUtf8(drawing));
  std::cout << "4. saved " << drawing << "; the embedded library travels inside it\n";
}

}  // namespace sldb

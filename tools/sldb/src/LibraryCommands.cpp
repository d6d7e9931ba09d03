// The library commands of the command-line host: binding a drawing to its libraries, listing
// and fetching library objects. Each saves the drawing only when its library record changed.
#include <cctype>
#include <filesystem>
#include <functional>
#include <iostream>
#include <memory>
#include <optional>

#include "CommandsModule.h"
#include "DbDatabase.h"
#include "ProfileLookup.h"
#include "Session.h"
#include "sl_db/DbPreferencesProvider.h"
#include "sl_db/DbStockLibManager.h"
#include "sl_db/DocumentLibrariesManager.h"
#include "sl_db/LibraryPaths.h"
#include "sl_db/LibraryReactor.h"
#include "sl_db/ProfileHelpers.h"
#include "sl_db/ProfileNames.h"
#include "stocklib/Library.h"
#include "stocklib/Materials.h"
#include "stocklib/Objects.h"
#include "stocklib/Profiles.h"
#include "stocklib/Translations.h"
#include "ut/FileName.h"
#include "ut/FileUtils.h"

namespace sldb {

namespace {

// ---- Options ----

bool g_verbose = false;

/// The host's library reactor, installed while the commands module is loaded, before any host
/// module: those find it and add their handlers. Its own handlers print with --verbose only.
class PrintingReactor : public sl_db::LibraryReactor {
 public:
  static std::string what(const stocklib::ObjectKey& key) {
    return stocklib::objectTypeName(key.type).toUtf8() + " " + std::to_string(key.id);
  }
  PrintingReactor() {
    const OdString name(L"sldb");
    addOnSavedHandler(
        name, [](const std::shared_ptr<const stocklib::Library>& l, const stocklib::ObjectKey& k) {
          if (g_verbose)
            std::cerr << "event: saved " << what(k) << " in " << l->filename().toUtf8() << "\n";
        });
    addOnModifiedHandler(
        name, [](const std::shared_ptr<const stocklib::Library>& l, stocklib::ObjectType t) {
          if (g_verbose)
            std::cerr << "event: objects of type " << stocklib::objectTypeName(t).toUtf8()
                      << " changed in " << l->filename().toUtf8() << "\n";
        });
    addOnRemoveHandler(name, [](const OdDbDatabase*, const stocklib::ObjectKey& k) {
      if (g_verbose) std::cerr << "event: asked whether " << what(k) << " may be removed\n";
      return stocklib::kRemoveObject;
    });
    addOnRemovedHandler(
        name, [](const OdDbDatabase*, const std::shared_ptr<const stocklib::Library>& l,
                 const stocklib::ObjectKey& k) {
          if (g_verbose)
            std::cerr << "event: removed " << what(k) << " from " << l->filename().toUtf8() << "\n";
        });
    addOnPrimaryCopyHandler(
        name, [](OdDbDatabase*, const stocklib::Library* from, const stocklib::IdMapping& mapping) {
          if (g_verbose)
            std::cerr << "event: primary received a copy of " << from->filename().toUtf8() << " ("
                      << mapping.entries().size() << " objects)\n";
        });
    addOnClosedHandler(name, [](OdDbDatabase*, const stocklib::Library* l) {
      if (g_verbose) std::cerr << "event: closed " << l->filename().toUtf8() << "\n";
    });
  }
  ~PrintingReactor() override = default;
  void onLibraryFileMissing(OdDbDatabase*, const OdString& path, sl_db::EDbType type) override {
    if (g_verbose)
      std::cerr << "event: " << (type == sl_db::kPrimary ? "primary" : "secondary")
                << " library missing: " << path.toUtf8() << "\n";
  }
};

}  // namespace

bool verbose() {
  return g_verbose;
}

struct AppliedOptions::State {
  bool translations = false;
  bool paletteLanguage = false;
};

namespace {

struct HostReactor {
  std::unique_ptr<PrintingReactor> reactor;
  std::shared_ptr<stocklib::Library::Reactor> old;
};

HostReactor& hostReactor() {
  static HostReactor installed;
  return installed;
}

}  // namespace

void installHostReactor() {
  HostReactor& host = hostReactor();
  if (host.reactor) return;
  host.reactor = std::make_unique<PrintingReactor>();
  host.old = stocklib::LibraryManager::instance().reactor();
  stocklib::LibraryManager::instance().setReactor(host.reactor.get());
}

void removeHostReactor() {
  HostReactor& host = hostReactor();
  if (!host.reactor) return;
  stocklib::LibraryManager::instance().setReactor(host.old);
  host.old = nullptr;
  host.reactor = nullptr;
}

AppliedOptions::AppliedOptions(const LibraryOptions& options) : m_state(new State) {
  if (sl_db::DbPreferencesProvider* prefs = sl_db::DbPreferencesProvider::getInstance()) {
    // Preferences belong to no drawing: a relative one means the working folder.
    auto absolute = [](const std::string& path) {
      return OdString::fromUtf8(std::filesystem::absolute(path).lexically_normal().string());
    };
    if (!options.roaming.empty()) prefs->setRoamableRootFolder(absolute(options.roaming));
    if (!options.defaultLibrary.empty()) {
      prefs->setDefaultStocklibMetric(absolute(options.defaultLibrary));
      prefs->setDefaultStocklibImperial(absolute(options.defaultLibrary));
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
  g_verbose = options.verbose;
}

AppliedOptions::~AppliedOptions() {
  g_verbose = false;
  if (m_state->translations) stocklib::Translations::set(nullptr);
  if (m_state->paletteLanguage) setPaletteLanguage(std::string());
}

namespace {

// ---- Drawings ----

/// storeError: ": " and why the drawing's last open of a library failed; empty when no reason.
std::string storeError(const sl_db::DocumentLibraries& docs) {
  OdString error = docs.openFailure();
  return error.isEmpty() ? std::string() : ": " + error.toUtf8();
}

/// describe: the library's file, or "embedded" for one that lives in the drawing (its
/// in-memory name changes with every run).
std::string describe(const std::shared_ptr<const stocklib::Library>& library) {
  std::string name = library->filename().toUtf8();
  return name.rfind("memvfs://", 0) == 0 ? "embedded" : name;
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
    return sl_db::profileKey(*p);
  }
};

/// Property sets are keyed by a namespace id of one library, which another library does not
/// share: they are listed, not fetched.
template <>
struct Naming<stocklib::PropertySet> {
  static OdString label(const stocklib::PropertySet& set) { return set.name(); }
};

struct TypeEntry {
  /// name: the TYPE word, the type's name in lower case with '-' between words
  /// ("material-type").
  std::string name;
  /// labels: the names of the library's objects of this type, in the store's order.
  std::function<std::vector<OdString>(const stocklib::Library&)> labels;
  /// count: how many the library holds (without making their names).
  std::function<std::size_t(const stocklib::Library&)> count;
  /// fetch: the primary's object of that name, copied there on first use; empty when there is
  /// none. Null for a type that is only listed.
  std::function<KcSmartPtr<stocklib::Object>(sl_db::DocumentLibraries&, const OdString&)> fetch;
  /// inPrimary: whether the primary holds the object of that name already.
  std::function<bool(const sl_db::DocumentLibraries&, const OdString&)> inPrimary;
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
std::string typeWord() {
  std::string word;
  for (char c : stocklib::objectTypeName(stocklib::ObjectTraits<T>::type).toUtf8()) {
    if (std::isupper(static_cast<unsigned char>(c)) && !word.empty()) word += '-';
    word += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return word;
}

template <class T>
TypeEntry listedType() {
  return {typeWord<T>(), labelsOf<T>, countOf<T>, nullptr, nullptr};
}

template <class T>
TypeEntry fetchedType() {
  return {typeWord<T>(), labelsOf<T>, countOf<T>,
          [](sl_db::DocumentLibraries& docs, const OdString& label) {
            auto key = Naming<T>::key(docs, label);
            if (!key) return KcSmartPtr<stocklib::Object>();
            return KcSmartPtr<stocklib::Object>(docs.getAndSaveToPrimary<T>(*key).get());
          },
          [](const sl_db::DocumentLibraries& docs, const OdString& label) {
            auto key = Naming<T>::key(docs, label);
            return key && docs.primary() && docs.getFromPrimary<T>(*key);
          }};
}

const std::vector<TypeEntry>& types() {
  static const std::vector<TypeEntry> table = {
      fetchedType<stocklib::Material>(),    fetchedType<stocklib::MaterialType>(),
      fetchedType<stocklib::Composition>(), fetchedType<stocklib::CompositionType>(),
      fetchedType<stocklib::Profile>(),     fetchedType<stocklib::PropertyNamespace>(),
      listedType<stocklib::PropertySet>(),  fetchedType<stocklib::Measure>(),
      fetchedType<stocklib::Unit>(),        fetchedType<stocklib::EntityType>(),
      fetchedType<stocklib::Layer>(),       fetchedType<stocklib::Tag>(),
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
  for (const auto& library : boundLibraries(docs))
    if (KcSmartPtr<stocklib::Profile> p = sl_db::findProfileByFullName(*library, name)) return p;
  return nullptr;
}

// ---- Commands ----

namespace {

class InitCommand final : public DrawingCommand {
 public:
  InitCommand()
      : DrawingCommand("init", "give a drawing without libraries an embedded primary library") {}
  int run(DrawingSession& drawing) override {
    sl_db::DocumentLibraries& docs = drawing.libraries();
    docs.initialize();
    if (!docs.primary()) throw Failure{"the drawing's primary library cannot be opened"};
    std::cout << "primary: " << describe(docs.primary()) << "\n";
    return 0;
  }
};
SLDB_COMMAND(InitCommand);

class EmbedCommand final : public DrawingCommand {
 public:
  EmbedCommand()
      : DrawingCommand(
            "embed", "make the primary library embedded (an external primary is copied into it)") {}
  int run(DrawingSession& drawing) override {
    auto library = drawing.libraries().openEmbeddedPrimary();
    if (!library) throw Failure{"cannot embed a primary library" + storeError(drawing.libraries())};
    std::cout << "primary: " << describe(library) << "\n";
    return 0;
  }
};
SLDB_COMMAND(EmbedCommand);

/// A command on a drawing and a library file PATH.
class LibraryFileCommand : public DrawingCommand {
 public:
  using DrawingCommand::DrawingCommand;
  void options(CLI::App& command) override {
    command.add_option("PATH", m_library, "the library file")->required();
  }

 protected:
  /// libraryPath: PATH as the module reads it. A relative PATH means the working folder here
  /// and the drawing's folder in the module, so it is given relative to the drawing's folder:
  /// the same file, and a record that still works when the folders travel together.
  OdString libraryPath(const DrawingSession& drawing) const {
    namespace fs = std::filesystem;
    const fs::path path(m_library);
    if (m_library.empty() || path.is_absolute()) return OdString::fromUtf8(m_library);
    const fs::path folder = fs::absolute(fs::path(drawing.path())).parent_path().lexically_normal();
    fs::path relative = fs::absolute(path).lexically_normal().lexically_relative(folder);
    if (relative.empty()) relative = fs::absolute(path).lexically_normal();
    return OdString::fromUtf8(relative.string());
  }

  std::string m_library;
};

/// A command that binds the library at PATH, made only when --create asks for it: a typo must
/// not become a new empty library.
class BindLibraryCommand : public LibraryFileCommand {
 public:
  using LibraryFileCommand::LibraryFileCommand;
  void options(CLI::App& command) override {
    LibraryFileCommand::options(command);
    command.add_flag("--create", m_create, "make a new library when there is none at PATH");
  }

 protected:
  /// requireFile: Failure when there is no file at PATH and --create was not given.
  void requireFile(const DrawingSession& drawing) const {
    const OdString file =
        sl_db::detail::absoluteLibraryPath(libraryPath(drawing), drawing.db()->getFilename());
    if (!m_create && !ut::fileExists(file))
      throw Failure{"no library at " + m_library + " (--create makes a new one)"};
  }

 private:
  bool m_create = false;
};

class SetPrimaryCommand final : public BindLibraryCommand {
 public:
  SetPrimaryCommand()
      : BindLibraryCommand("set-primary",
                           "make the library at PATH (with --create a new one) the primary; the "
                           "old one is\ncopied in") {}
  int run(DrawingSession& drawing) override {
    requireFile(drawing);
    OdString path = libraryPath(drawing);
    auto library = drawing.libraries().openPrimary(path);
    if (!library)
      throw Failure{"cannot open or create the library " + m_library +
                    storeError(drawing.libraries())};
    std::cout << "primary: " << describe(library) << "\n";
    return 0;
  }
};
SLDB_COMMAND(SetPrimaryCommand);

class MovePrimaryCommand final : public LibraryFileCommand {
 public:
  MovePrimaryCommand()
      : LibraryFileCommand("move-primary",
                           "move the external primary's file to PATH, or with --repoint use the "
                           "file at PATH") {}
  void options(CLI::App& command) override {
    LibraryFileCommand::options(command);
    command.add_flag("--repoint", m_repoint, "bind the library at PATH; no file is moved");
  }
  int run(DrawingSession& drawing) override {
    sl_db::DocumentLibraries& docs = drawing.libraries();
    if (docs.isPrimaryEmbedded()) throw Failure{"the primary library is embedded"};
    OdString path = libraryPath(drawing);
    bool exists =
        ut::fileExists(sl_db::detail::absoluteLibraryPath(path, drawing.db()->getFilename()));
    if (m_repoint && !exists) throw Failure{"no library at " + m_library + " to re-point to"};
    if (!m_repoint && exists) throw Failure{m_library + " exists already"};
    auto library = docs.movePrimary(path, !m_repoint);
    if (!library)
      throw Failure{"cannot move the primary library to " + m_library + storeError(docs)};
    std::cout << "primary: " << describe(library) << "\n";
    return 0;
  }

 private:
  bool m_repoint = false;
};
SLDB_COMMAND(MovePrimaryCommand);

class AddSecondaryCommand final : public BindLibraryCommand {
 public:
  AddSecondaryCommand()
      : BindLibraryCommand(
            "add-secondary",
            "open the library at PATH (with --create a new one) as the secondary library") {}
  int run(DrawingSession& drawing) override {
    // The secondaries are kept in the record: without one the drawing could not remember this.
    if (DbStockLibManager::getInstance(*drawing.db()).isNull())
      throw Failure{drawing.path() + " has no library record to keep a secondary in (sldb init " +
                    drawing.path() + " gives it one)"};
    requireFile(drawing);
    auto library = drawing.libraries().openSecondary(libraryPath(drawing));
    if (!library)
      throw Failure{"cannot open " + m_library + " as a secondary library" +
                    storeError(drawing.libraries())};
    std::cout << "secondary: " << describe(library) << "\n";
    return 0;
  }
};
SLDB_COMMAND(AddSecondaryCommand);

class CloseSecondaryCommand final : public LibraryFileCommand {
 public:
  CloseSecondaryCommand() : LibraryFileCommand("close-secondary", "close that secondary library") {}
  int run(DrawingSession& drawing) override {
    const OdString& drawingFile = drawing.db()->getFilename();
    OdString path = sl_db::detail::absoluteLibraryPath(libraryPath(drawing), drawingFile);
    sl_db::DocumentLibraries& docs = drawing.libraries();
    const auto& list = docs.secondaries();
    for (auto it = list.begin(); it != list.end(); ++it) {
      // A library's name is where this process opened it, already taken against the drawing.
      if (ut::FileName((*it)->filename()).getFullPath() != path) continue;
      docs.closeSecondary(it);
      std::cout << "closed " << m_library << "\n";
      return 0;
    }
    throw Failure{m_library + " is not a secondary library of " + drawing.path()};
  }
};
SLDB_COMMAND(CloseSecondaryCommand);

/// typeFilter: a TYPE word in the form both tools accept: either case, with or without '-' or
/// '_' ("property-set", "PropertySet", "PROPERTY_SET").
std::string typeFilter(std::string word) {
  std::string out;
  for (char c : word)
    if (c != '-' && c != '_') out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::vector<std::string> typeWords() {
  std::vector<std::string> words;
  for (const TypeEntry& t : types())
    words.push_back(t.name);
  return words;
}

class ListCommand final : public DrawingCommand {
 public:
  bool readOnly() const override { return true; }
  ListCommand()
      : DrawingCommand("list",
                       "list the names of objects of TYPE (profiles by full name, sorted)") {}
  void options(CLI::App& c) override {
    c.add_option("TYPE", m_type, "the type of object")
        ->required()
        ->transform(CLI::IsMember(typeWords(), typeFilter));
    c.add_option("--from", m_from, "the libraries to list")
        ->capture_default_str()
        ->check(CLI::IsMember({"primary", "secondaries", "all"}));
    c.add_flag("--json", m_json, "one JSON document with the same names");
  }
  int run(DrawingSession& drawing) override {
    const TypeEntry& type = findType(m_type);
    sl_db::DocumentLibraries& docs = drawing.libraries();
    nlohmann::json listed = nlohmann::json::array();
    for (const auto& library : boundLibraries(docs)) {
      bool primary = library == docs.primary();
      if ((m_from == "primary" && !primary) || (m_from == "secondaries" && primary)) continue;
      nlohmann::json names = nlohmann::json::array();
      for (const OdString& label : type.labels(*library))
        names.push_back(label.toUtf8());
      listed.push_back({{"library", describe(library)},
                        {"role", primary ? "primary" : "secondary"},
                        {"names", std::move(names)}});
    }
    if (listed.empty()) {
      throw Failure{drawing.path() + " has no " +
                    (m_from == "all"       ? "libraries"
                     : m_from == "primary" ? "primary library"
                                           : "secondary libraries")};
    }
    if (m_json) {
      std::cout << nlohmann::json{{"type", m_type}, {"libraries", listed}}.dump(2) << "\n";
      return 0;
    }
    for (const auto& library : listed) {
      std::cout << library["library"].get<std::string>() << ":\n";
      for (const auto& name : library["names"])
        std::cout << "  " << shown(name.get<std::string>()) << "\n";
    }
    return 0;
  }

 private:
  std::string m_type, m_from = "all";
  bool m_json = false;
};
SLDB_COMMAND(ListCommand);

class FetchCommand final : public DrawingCommand {
 public:
  FetchCommand()
      : DrawingCommand("fetch",
                       "copy the object NAME of TYPE from a secondary library into the primary "
                       "on\nfirst use (every type but property-set; a profile as \"EN 10365 HEA "
                       "200\")") {}
  void options(CLI::App& c) override {
    c.add_option("TYPE", m_type, "the type of object")
        ->required()
        ->transform(CLI::IsMember(typeWords(), typeFilter));
    c.add_option("NAME", m_name, "the object's name as list prints it")->required();
  }
  int run(DrawingSession& drawing) override {
    const TypeEntry& type = findType(m_type);
    if (!type.fetch) throw Failure{std::string(type.name) + " objects are listed, not fetched"};
    sl_db::DocumentLibraries& docs = drawing.libraries();
    const bool already = type.inPrimary(docs, OdString::fromUtf8(m_name));
    auto object = type.fetch(docs, OdString::fromUtf8(m_name));
    if (!object) {
      if (boundLibraries(docs).empty()) throw Failure{drawing.path() + " has no libraries"};
      throw Failure{"no " + m_type + " named '" + m_name + "' in the libraries of " +
                    drawing.path()};
    }
    if (already) {
      status(m_type + " '" + m_name + "' is already in the primary (id " +
             std::to_string(object->id()) + ")");
    } else {
      status("fetched " + m_type + " '" + m_name + "' into " + describe(docs.primary()) + " (id " +
             std::to_string(object->id()) + ")");
    }
    return 0;
  }

 private:
  std::string m_type, m_name;
};
SLDB_COMMAND(FetchCommand);

}  // namespace

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
  if (!docs->secondary()) throw Failure{"the default library cannot be opened" + storeError(*docs)};
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

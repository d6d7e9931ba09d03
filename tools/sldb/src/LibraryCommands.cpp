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

std::string typeNames() {
  std::string known;
  for (const TypeEntry& t : types())
    known += std::string(known.empty() ? "" : ", ") + t.name;
  return known;
}

const TypeEntry& findType(const std::string& name) {
  for (const TypeEntry& t : types())
    if (name == t.name) return t;
  throw Failure{"unknown type '" + name + "' (known: " + typeNames() + ")"};
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
  OdDbDatabasePtr db = openDrawing(path);
  std::vector<std::uint8_t> before = recordBytes(db.get());
  int rc = change(db.get(), sl_db::docLibs(db.get()));
  if (rc == 0 && recordBytes(db.get()) != before) saveDrawing(db.get(), path);
  return rc;
}

int cmdInit(const Args& args) {
  if (args.size() != 1) throw UsageError{"init needs exactly one drawing"};
  return withDrawing(args[0], [](OdDbDatabase*, sl_db::DocumentLibraries* docs) {
    docs->initialize();
    if (!docs->primary()) throw Failure{"the drawing's primary library cannot be opened"};
    std::cout << "primary: " << describe(docs->primary()) << "\n";
    return 0;
  });
}

int cmdEmbed(const Args& args) {
  if (args.size() != 1) throw UsageError{"embed needs exactly one drawing"};
  return withDrawing(args[0], [](OdDbDatabase*, sl_db::DocumentLibraries* docs) {
    auto library = docs->openEmbeddedPrimary();
    if (!library) throw Failure{"cannot embed a primary library" + storeError()};
    std::cout << "primary: embedded " << describe(library) << "\n";
    return 0;
  });
}

int cmdSetPrimary(const Args& args) {
  if (args.size() != 2) throw UsageError{"set-primary needs a drawing and a library path"};
  return withDrawing(args[0], [&](OdDbDatabase* db, sl_db::DocumentLibraries* docs) {
    OdString path = OdString::fromUtf8(args[1]);
    auto library = docs->openPrimary(path);
    if (!library) {
      // Binding the old primary again may have cleared the reason: a checked open of the
      // refused file (closed by now) gives it back.
      std::string why = storeError();
      OdString file = sl_db::detail::absoluteLibraryPath(path, db->getFilename());
      if (why.empty() && ut::fileExists(file) &&
          !stocklib::LibraryManager::instance().openChecked(file))
        why = storeError();
      throw Failure{"cannot open or create the library " + args[1] + why};
    }
    std::cout << "primary: " << describe(library) << "\n";
    return 0;
  });
}

int cmdMovePrimary(const Args& args) {
  bool repoint = false;
  Args rest;
  for (const std::string& a : args) {
    if (a == "--repoint") {
      repoint = true;
    } else {
      rest.push_back(a);
    }
  }
  if (rest.size() != 2) throw UsageError{"move-primary needs a drawing and a library path"};
  return withDrawing(rest[0], [&](OdDbDatabase* db, sl_db::DocumentLibraries* docs) {
    if (docs->isPrimaryEmbedded()) throw Failure{"the primary library is embedded"};
    OdString path = OdString::fromUtf8(rest[1]);
    bool exists = ut::fileExists(sl_db::detail::absoluteLibraryPath(path, db->getFilename()));
    if (repoint && !exists) throw Failure{"no library at " + rest[1] + " to re-point to"};
    if (!repoint && exists) throw Failure{rest[1] + " exists already"};
    auto library = docs->movePrimary(path, !repoint);
    if (!library) throw Failure{"cannot move the primary library to " + rest[1] + storeError()};
    std::cout << "primary: " << describe(library) << "\n";
    return 0;
  });
}

int cmdAddSecondary(const Args& args) {
  if (args.size() != 2) throw UsageError{"add-secondary needs a drawing and a library path"};
  return withDrawing(args[0], [&](OdDbDatabase*, sl_db::DocumentLibraries* docs) {
    auto library = docs->openSecondary(OdString::fromUtf8(args[1]));
    if (!library)
      throw Failure{"cannot open " + args[1] + " as a secondary library" + storeError()};
    std::cout << "secondary: " << describe(library) << "\n";
    return 0;
  });
}

int cmdCloseSecondary(const Args& args) {
  if (args.size() != 2) throw UsageError{"close-secondary needs a drawing and a library path"};
  return withDrawing(args[0], [&](OdDbDatabase* db, sl_db::DocumentLibraries* docs) {
    OdString path =
        sl_db::detail::absoluteLibraryPath(OdString::fromUtf8(args[1]), db->getFilename());
    const auto& list = docs->secondaries();
    for (auto it = list.begin(); it != list.end(); ++it) {
      if (sl_db::detail::absoluteLibraryPath((*it)->filename(), db->getFilename()) != path)
        continue;
      docs->closeSecondary(it);
      std::cout << "closed " << args[1] << "\n";
      return 0;
    }
    throw Failure{args[1] + " is not a secondary library of " + args[0]};
  });
}

int cmdList(const Args& args) {
  std::string from = "all";
  Args rest;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--from") {
      if (++i == args.size()) throw UsageError{"--from needs primary, secondaries or all"};
      from = args[i];
      if (from != "primary" && from != "secondaries" && from != "all")
        throw UsageError{"--from wants primary, secondaries or all, not '" + from + "'"};
    } else {
      rest.push_back(args[i]);
    }
  }
  if (rest.size() != 2) throw UsageError{"list needs a drawing and a type"};
  const TypeEntry& type = findType(rest[1]);
  return withDrawing(rest[0], [&](OdDbDatabase*, sl_db::DocumentLibraries* docs) {
    std::vector<std::shared_ptr<const stocklib::Library>> chosen;
    for (const auto& library : boundLibraries(*docs)) {
      bool primary = library == docs->primary();
      if ((from == "primary" && !primary) || (from == "secondaries" && primary)) continue;
      chosen.push_back(library);
    }
    if (chosen.empty()) {
      throw Failure{rest[0] + " has no " +
                    (from == "all"       ? "libraries"
                     : from == "primary" ? "primary library"
                                         : "secondary libraries")};
    }
    for (const auto& library : chosen) {
      std::cout << describe(library) << ":\n";
      for (const OdString& label : type.labels(*library))
        std::cout << "  " << label.toUtf8() << "\n";
    }
    return 0;
  });
}

int cmdFetch(const Args& args) {
  if (args.size() != 3) throw UsageError{"fetch needs a drawing, a type and a name"};
  const TypeEntry& type = findType(args[1]);
  if (!type.fetch) throw Failure{std::string(type.name) + " objects are listed, not fetched"};
  return withDrawing(args[0], [&](OdDbDatabase*, sl_db::DocumentLibraries* docs) {
    auto object = type.fetch(*docs, OdString::fromUtf8(args[2]));
    if (!object) {
      if (boundLibraries(*docs).empty()) throw Failure{args[0] + " has no libraries"};
      throw Failure{"no " + args[1] + " named '" + args[2] + "' in the libraries of " + args[0]};
    }
    std::cout << "fetched " << args[1] << " '" << args[2] << "' into " << describe(docs->primary())
              << " (id " << object->id() << ")\n";
    return 0;
  });
}

void printLibraries(OdDbDatabase* db, std::ostream& out) {
  sl_db::DocumentLibraries* docs = sl_db::docLibs(db);
  auto show = [&](const char* role, const std::shared_ptr<const stocklib::Library>& library) {
    out << role << describe(library) << "\n      unit "
        << (library->unit() == stocklib::kLibraryUnitMillimeter ? "mm" : "inch")
        << (library->isReadOnly() ? ", read-only" : ", writable") << "\n      holds";
    std::size_t shown = 0;
    for (const TypeEntry& t : types()) {
      std::size_t count = t.count(*library);
      if (count == 0) continue;
      const char* separator = shown == 0 ? " " : shown % 4 == 0 ? ",\n            " : ", ";
      out << separator << count << " " << t.name;
      ++shown;
    }
    out << (shown ? "\n" : " no objects of the listed types\n");
  };
  if (docs->primary()) {
    show("  primary:   ", docs->primary());
  } else {
    out << "  primary:   none\n";
  }
  for (const auto& s : docs->secondaries())
    show("  secondary: ", s);
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

// The library commands of the command-line host: binding a drawing to its libraries, listing
// and fetching library objects. Each saves the drawing only when its library record changed.
#include <filesystem>
#include <functional>
#include <iostream>
#include <memory>

#include "Cli.h"
#include "DbDatabase.h"
#include "DbMemoryFiler.h"
#include "sl_db/DbPreferencesProvider.h"
#include "sl_db/DocumentLibrariesManager.h"
#include "sl_db/LibraryPaths.h"
#include "sl_db/LibraryReactor.h"
#include "stocklib/Library.h"
#include "stocklib/Objects.h"
#include "ut/FileUtils.h"

namespace sldb {

namespace {

// ---- Options ----

class PrintingReactor : public sl_db::LibraryReactor {
 public:
  PrintingReactor() {
    addOnSavedHandler(OdString(L"sldb"), [](const std::shared_ptr<const stocklib::Library>& l,
                                            const stocklib::ObjectKey& k) {
      std::cout << "event: saved object " << k.id << " of type " << static_cast<int>(k.type)
                << " in " << l->filename().toUtf8() << "\n";
    });
    addOnModifiedHandler(OdString(L"sldb"), [](const std::shared_ptr<const stocklib::Library>& l,
                                               stocklib::ObjectType t) {
      std::cout << "event: objects of type " << static_cast<int>(t) << " changed in "
                << l->filename().toUtf8() << "\n";
    });
    addOnPrimaryCopyHandler(OdString(L"sldb"), [](OdDbDatabase*, const stocklib::Library* from,
                                                  const stocklib::IdMapping& mapping) {
      std::cout << "event: primary received a copy of " << from->filename().toUtf8() << " ("
                << mapping.entries().size() << " objects)\n";
    });
    addOnClosedHandler(OdString(L"sldb"), [](OdDbDatabase*, const stocklib::Library* l) {
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
};

AppliedOptions::AppliedOptions(const LibraryOptions& options) : m_state(new State) {
  if (sl_db::DbPreferencesProvider* prefs = sl_db::DbPreferencesProvider::getInstance()) {
    if (!options.roaming.empty()) prefs->setRoamableRootFolder(OdString::fromUtf8(options.roaming));
    if (!options.defaultLibrary.empty()) {
      prefs->setDefaultStocklibMetric(OdString::fromUtf8(options.defaultLibrary));
      prefs->setDefaultStocklibImperial(OdString::fromUtf8(options.defaultLibrary));
    }
  }
  if (options.verbose) {
    m_state->reactor = std::make_unique<PrintingReactor>();
    m_state->oldReactor = stocklib::LibraryManager::instance().reactor();
    stocklib::LibraryManager::instance().setReactor(m_state->reactor.get());
  }
}

AppliedOptions::~AppliedOptions() {
  if (m_state->reactor) stocklib::LibraryManager::instance().setReactor(m_state->oldReactor);
  delete m_state;
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

/// Runs `change` on the drawing's libraries and saves the drawing when its record changed.
int withDrawing(const std::string& path,
                const std::function<int(OdDbDatabase*, sl_db::DocumentLibraries*)>& change) {
  OdString file = OdString::fromUtf8(path);
  if (!ut::fileExists(file)) throw Failure{"no drawing at " + path};
  OdDbDatabasePtr db = odDbCreateDatabase();
  db->readFile(file);
  std::vector<std::uint8_t> before = recordBytes(db.get());
  int rc = change(db.get(), sl_db::docLibs(db.get()));
  if (rc == 0 && recordBytes(db.get()) != before) {
    db->writeFile(file);
    std::cout << "saved " << path << "\n";
  }
  return rc;
}

std::string storeError() {
  OdString error = stocklib::LibraryManager::instance().lastError();
  return error.isEmpty() ? std::string() : ": " + error.toUtf8();
}

std::string describe(const std::shared_ptr<const stocklib::Library>& library) {
  return library->filename().toUtf8();
}

// ---- Types the host can list and fetch ----

struct TypeEntry {
  const char* name;
  std::function<std::vector<OdString>(const stocklib::Library&)> names;
  std::function<KcSmartPtr<stocklib::Object>(sl_db::DocumentLibraries&, const OdString&)> fetch;
};

template <class T>
TypeEntry typeEntry(const char* name) {
  return {name,
          [](const stocklib::Library& lib) {
            std::vector<KcSmartPtr<T>> objects;
            lib.get(objects);
            std::vector<OdString> names;
            for (const auto& o : objects)
              names.push_back(o->name());
            return names;
          },
          [](sl_db::DocumentLibraries& docs, const OdString& key) {
            return KcSmartPtr<stocklib::Object>(
                docs.getAndSaveToPrimary<T>(stocklib::NameKey(key)).get());
          }};
}

const std::vector<TypeEntry>& types() {
  static const std::vector<TypeEntry> table = {
      typeEntry<stocklib::Measure>("measure"),
      typeEntry<stocklib::Unit>("unit"),
      typeEntry<stocklib::PropertyNamespace>("property-namespace"),
      typeEntry<stocklib::EntityType>("entity-type"),
      typeEntry<stocklib::Layer>("layer"),
      typeEntry<stocklib::Tag>("tag"),
  };
  return table;
}

const TypeEntry& findType(const std::string& name) {
  for (const TypeEntry& t : types())
    if (name == t.name) return t;
  std::string known;
  for (const TypeEntry& t : types())
    known += std::string(known.empty() ? "" : ", ") + t.name;
  throw Failure{"unknown type '" + name + "' (known: " + known + ")"};
}

}  // namespace

// ---- Commands ----

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
  return withDrawing(args[0], [&](OdDbDatabase*, sl_db::DocumentLibraries* docs) {
    auto library = docs->openPrimary(OdString::fromUtf8(args[1]));
    if (!library) throw Failure{"cannot open or create the library " + args[1] + storeError()};
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
    std::vector<std::shared_ptr<const stocklib::Library>> libraries;
    if (from != "secondaries" && docs->primary()) libraries.push_back(docs->primary());
    if (from != "primary")
      for (const auto& s : docs->secondaries())
        libraries.push_back(s);
    for (const auto& library : libraries) {
      std::cout << describe(library) << ":\n";
      for (const OdString& name : type.names(*library))
        std::cout << "  " << name.toUtf8() << "\n";
    }
    return 0;
  });
}

int cmdFetch(const Args& args) {
  if (args.size() != 3) throw UsageError{"fetch needs a drawing, a type and a name"};
  const TypeEntry& type = findType(args[1]);
  return withDrawing(args[0], [&](OdDbDatabase*, sl_db::DocumentLibraries* docs) {
    auto object = type.fetch(*docs, OdString::fromUtf8(args[2]));
    if (!object) throw Failure{"no " + args[1] + " named '" + args[2] + "' in the libraries"};
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
        << (library->isReadOnly() ? ", read-only" : ", writable");
    for (const TypeEntry& t : types())
      out << ", " << t.names(*library).size() << " " << t.name;
    out << "\n";
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
  prefs->setRoamableRootFolder(OdString::fromUtf8(folder));
  prefs->setDefaultStocklibMetric(OdString());
  std::filesystem::create_directories(folder + "/Support");

  OdDbDatabasePtr db = odDbCreateDatabase();
  db->readFile(OdString::fromUtf8(drawing));
  OdString defaultPath = sl_db::defaultSecondaryLibraryPath(db.get());
  std::cout << "1. the metric drawing's default secondary library is " << defaultPath.toUtf8()
            << "\n";
  {
    auto library = stocklib::LibraryManager::instance().create(
        defaultPath, stocklib::kLibraryUnitMillimeter, OdString(L"defaults"));
    if (!library) throw Failure{"cannot make the default library" + storeError()};
    for (const wchar_t* name : {L"Walls", L"Beams", L"Columns"})
      library->save(stocklib::Layer::create(OdString(name)));
    for (const wchar_t* name : {L"load-bearing", L"fire-rated"})
      library->save(stocklib::Tag::create(OdString(name)));
    std::cout << "   made it with the layers Walls, Beams, Columns and the tags load-bearing,"
                 " fire-rated\n";
  }
  sl_db::DocumentLibraries* docs = sl_db::docLibs(db.get());
  std::cout << "2. bound the drawing: "
            << (docs->primary() ? "a primary library" : "no primary library yet") << ", "
            << docs->secondaries().size() << " secondary (" << describe(docs->secondary()) << ")\n";
  auto layer = docs->getAndSaveToPrimary<stocklib::Layer>(stocklib::NameKey(OdString(L"Beams")));
  auto tag = docs->getAndSaveToPrimary<stocklib::Tag>(stocklib::NameKey(OdString(L"fire-rated")));
  if (!layer || !tag) throw Failure{"the fetch from the default library failed"};
  std::cout << "3. fetched the layer Beams and the tag fire-rated: the drawing now has an "
            << (docs->isPrimaryEmbedded() ? "embedded" : "external") << " primary library ("
            << describe(docs->primary()) << ") holding both\n";
  db->writeFile(OdString::fromUtf8(drawing));
  std::cout << "4. saved " << drawing << "; the embedded library travels inside it\n";
}

}  // namespace sldb

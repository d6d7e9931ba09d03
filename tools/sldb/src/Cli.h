// Shared pieces of the command-line host: its subcommands, usage errors and the library commands.
#pragma once

#include <CLI/CLI.hpp>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

class OdDbDatabase;
class DbPropertyType;
namespace sl_db {
class DocumentLibraries;
}

namespace sldb {

// Thrown in the commands module and caught in the host: their type information is shared.
#define SLDB_SHARED __attribute__((visibility("default")))

/// Thrown for a wrong command line; main prints it with the usage hint (exit code 2).
struct SLDB_SHARED UsageError {
  std::string message;
};

/// Thrown for a failure the user can act on; main prints it as one line (exit code 1).
struct SLDB_SHARED Failure {
  std::string message;
};

/// Global options of the library commands, applied once the module is loaded.
struct LibraryOptions {
  std::string roaming;         // root folder whose Support folder holds the defaults
  std::string defaultLibrary;  // default secondary library for both unit systems
  std::string language;        // catalogue of names for new libraries ("de"); empty: none
  bool verbose = false;        // print every library event
};

/// AppliedOptions: installs the preferences, the language's catalogue and, with verbose, an
/// event printer. Made after the module is loaded; undoes it all when destroyed.
struct AppliedOptions {
  /// Throws Failure when the language has no catalogue in the support folder.
  explicit AppliedOptions(const LibraryOptions& options);
  ~AppliedOptions();
  AppliedOptions(const AppliedOptions&) = delete;
  AppliedOptions& operator=(const AppliedOptions&) = delete;

 private:
  struct State;
  std::unique_ptr<State> m_state;
};

/// Commands: the subcommands declared on the host's command line, each with what runs it. Made
/// once the modules are loaded and destroyed before they are unloaded: a subcommand holds code of
/// the module that declared it. Header-only, so the host and the commands module share no symbol.
class Commands {
 public:
  explicit Commands(CLI::App& app) : m_app(app) {}
  ~Commands() {
    m_app.clear();  // drops the parse's pointers to the subcommands
    for (const Entry& c : m_commands)
      m_app.remove_subcommand(c.app);
  }
  Commands(const Commands&) = delete;
  Commands& operator=(const Commands&) = delete;

  CLI::App& app() const { return m_app; }
  /// add: the subcommand `name`; `run` runs it once the command line chose it and is parsed.
  CLI::App* add(const std::string& name, const std::string& description, std::function<int()> run) {
    CLI::App* command = m_app.add_subcommand(name, description)->group("Commands");
    m_commands.push_back({command, std::move(run)});
    return command;
  }
  /// arguments: a new T that lives as long as the commands, for a subcommand's options to fill.
  template <class T>
  T& arguments() {
    auto made = std::make_shared<T>();
    m_arguments.push_back(made);
    return *made;
  }
  /// run: runs the subcommand the command line chose; -1 when it chose none of these.
  int run() const {
    for (const Entry& c : m_commands)
      if (c.app->parsed()) return c.run();
    return -1;
  }

 private:
  struct Entry {
    CLI::App* app;
    std::function<int()> run;
  };
  CLI::App& m_app;
  std::vector<Entry> m_commands;
  std::vector<std::shared_ptr<void>> m_arguments;
};

/// drawingArgument: the positional DRAWING of a subcommand, required.
inline CLI::Option* drawingArgument(CLI::App* command, std::string& drawing) {
  return command->add_option("DRAWING", drawing, "the drawing file")->required();
}

/// jsonNumber: `value` as a JSON number with the ten significant digits the text output shows.
nlohmann::json jsonNumber(double value);
/// number: `value` as the text output shows it ("%.10g").
std::string number(double value);

void declareLibraryCommands(Commands& commands);
void declarePaletteCommand(Commands& commands);
void declareProfileCommands(Commands& commands);
void declareDefinitionCommands(Commands& commands);
void declareEntityCommands(Commands& commands);
void declareValueCommands(Commands& commands);

/// withDrawing: runs `change` on the drawing at `path` and its libraries, and saves the drawing
/// when `change` answers 0 and the drawing's library record changed. Throws Failure when there
/// is no drawing at `path`.
int withDrawing(const std::string& path,
                const std::function<int(OdDbDatabase*, sl_db::DocumentLibraries*)>& change);
/// setPaletteLanguage: palette labels in `language` from the support folder's catalogue from now
/// on; empty: untranslated again. False, nothing changed, when there is no such catalogue.
bool setPaletteLanguage(const std::string& language);
/// typeWord: a storage type as written on the command line ("double", "array<string>",
/// "map<string,double>": key, then element).
std::string typeWord(const DbPropertyType& type);
/// parseTypeWord: the storage type a word names (spaces ignored); the empty descriptor when it
/// names none the property storage holds.
DbPropertyType parseTypeWord(const std::string& word);
/// libraryTour: the demo's library steps on the saved metric drawing `drawing`: the support
/// folder in use is copied into `folder`, which becomes the roaming root; a material and a
/// profile are fetched from the default library into a new embedded primary; the drawing is saved.
void libraryTour(const std::string& folder, const std::string& drawing);
/// valueTour: the demo's value steps on the drawing the library tour saved: a second line, the
/// two lines given values of a shipped property set, saved, reopened and shown.
void valueTour(const std::string& drawing);
/// libraries: the drawing's bound libraries, primary first: role, location, embedded, unit,
/// read-only, and the number of objects of each listed type it holds (types it holds none of
/// left out); the primary as null when there is none.
nlohmann::json libraries(OdDbDatabase* db);
/// damagedEntities: how many entities of `db` hold stored values that cannot be read.
int damagedEntities(OdDbDatabase* db);
/// printLibraries: `libraries` as text, as `sldb info` shows them.
void printLibraries(const nlohmann::json& libraries, std::ostream& out);

/// The library commands as the commands module hands them to the host. The host loads the
/// module with the module manager (after stocklib_db.tx, which the module links) and finds this
/// table under the C name "sldbLibraryCommands".
struct LibraryCommandTable {
  /// declare: adds the module's subcommands.
  void (*declare)(Commands& commands);
  /// applyOptions / releaseOptions: an AppliedOptions made and destroyed in the module.
  void* (*applyOptions)(const LibraryOptions&);
  void (*releaseOptions)(void*);
  void (*libraryTour)(const std::string& folder, const std::string& drawing);
  void (*valueTour)(const std::string& drawing);
  nlohmann::json (*libraries)(OdDbDatabase* db);
  void (*printLibraries)(const nlohmann::json& libraries, std::ostream& out);
  int (*damagedEntities)(OdDbDatabase* db);
};
using LibraryCommandsEntry = const LibraryCommandTable* (*)();

}  // namespace sldb

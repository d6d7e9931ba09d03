// Shared pieces of the command-line host: arguments, usage errors and the library commands.
#pragma once

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

class OdDbDatabase;
class DbPropertyType;
namespace sl_db {
class DocumentLibraries;
}

namespace sldb {

using Args = std::vector<std::string>;

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

int cmdInit(const Args& args);
int cmdEmbed(const Args& args);
int cmdSetPrimary(const Args& args);
int cmdMovePrimary(const Args& args);
int cmdAddSecondary(const Args& args);
int cmdCloseSecondary(const Args& args);
int cmdList(const Args& args);
int cmdFetch(const Args& args);
int cmdPalette(const Args& args);
/// withDrawing: runs `change` on the drawing at `path` and its libraries, and saves the drawing
/// when `change` answers 0 and the drawing's library record changed. Throws Failure when there
/// is no drawing at `path`.
int withDrawing(const std::string& path,
                const std::function<int(OdDbDatabase*, sl_db::DocumentLibraries*)>& change);
/// setPaletteLanguage: palette labels in `language` from the support folder's catalogue from now
/// on; empty: untranslated again. False, nothing changed, when there is no such catalogue.
bool setPaletteLanguage(const std::string& language);
int cmdSection(const Args& args);
int cmdDraw(const Args& args);
int cmdDefs(const Args& args);
int cmdDefAdd(const Args& args);
int cmdDefRm(const Args& args);
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
int cmdAddEntity(const Args& args);
int cmdEntities(const Args& args);
int cmdProps(const Args& args);
int cmdSetProp(const Args& args);
int cmdResetProp(const Args& args);
int cmdPurgeProps(const Args& args);
int cmdAttachSet(const Args& args);
int cmdDetachSet(const Args& args);
/// valueTour: the demo's value steps on the drawing the library tour saved: a second line, the
/// two lines given values of a shipped property set, saved, reopened and shown.
void valueTour(const std::string& drawing);
/// printLibraries: the drawing's bound libraries (location, unit, read-only, object counts).
void printLibraries(OdDbDatabase* db, std::ostream& out);

/// The library commands as the commands module hands them to the host. The host loads the
/// module with the module manager (after stocklib_db.tx, which the module links) and finds this
/// table under the C name "sldbLibraryCommands".
struct LibraryCommandTable {
  int (*init)(const Args&);
  int (*embed)(const Args&);
  int (*setPrimary)(const Args&);
  int (*movePrimary)(const Args&);
  int (*addSecondary)(const Args&);
  int (*closeSecondary)(const Args&);
  int (*list)(const Args&);
  int (*fetch)(const Args&);
  /// applyOptions / releaseOptions: an AppliedOptions made and destroyed in the module.
  void* (*applyOptions)(const LibraryOptions&);
  void (*releaseOptions)(void*);
  void (*libraryTour)(const std::string& folder, const std::string& drawing);
  void (*printLibraries)(OdDbDatabase* db, std::ostream& out);
  int (*palette)(const Args&);
  int (*section)(const Args&);
  int (*draw)(const Args&);
  int (*defs)(const Args&);
  int (*defAdd)(const Args&);
  int (*defRm)(const Args&);
  int (*addEntity)(const Args&);
  int (*entities)(const Args&);
  int (*props)(const Args&);
  int (*setProp)(const Args&);
  int (*resetProp)(const Args&);
  int (*purgeProps)(const Args&);
  int (*attachSet)(const Args&);
  int (*detachSet)(const Args&);
  void (*valueTour)(const std::string& drawing);
};
using LibraryCommandsEntry = const LibraryCommandTable* (*)();

}  // namespace sldb

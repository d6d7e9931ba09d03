// What the files of the commands module share: the options applied around each command, number
// text, storage-type words and the pieces of the demo and of `info`.
#pragma once

#include <memory>
#include <ostream>
#include <string>

#include <nlohmann/json.hpp>

#include "Cli.h"

class OdDbDatabase;
class DbPropertyType;

namespace sldb {

/// AppliedOptions: installs the preferences, the language's catalogue and, with verbose, an
/// event printer; undoes it all when destroyed.
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

/// installHostReactor / removeHostReactor: the host's library reactor, installed when the commands
/// module loads (before any host module, which finds it through LibraryReactor::instance()) and
/// removed when it unloads; the one there before is put back.
void installHostReactor();
void removeHostReactor();

/// jsonNumber: `value` as a JSON number with the ten significant digits the text output shows.
nlohmann::json jsonNumber(double value);
/// number: `value` as the text output shows it ("%.10g").
std::string number(double value);

/// writeFile: `content` to `path` through a temporary file renamed into place, so a failure
/// leaves no half-written file; Failure "cannot write PATH".
void writeFile(const std::string& path, const std::string& content);

/// setPaletteLanguage: palette labels in `language` from the support folder's catalogue from now
/// on; empty: untranslated again. False, nothing changed, when there is no such catalogue.
bool setPaletteLanguage(const std::string& language);
/// typeWord: a storage type as written on the command line ("double", "array<string>",
/// "map<string,double>": key, then element).
std::string typeWord(const DbPropertyType& type);
/// parseTypeWord: the storage type a word names (spaces ignored, either case); the empty
/// descriptor when it names none the property storage holds.
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
/// printLibraries: `libraries` as text, as `sldb info` shows them.
void printLibraries(const nlohmann::json& libraries, std::ostream& out);

}  // namespace sldb

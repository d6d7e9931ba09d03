// A drawing as one command of the commands module holds it: opened once with one wording for each
// failure, and saved by one rule: only when the command changed it, and never after a refusal.
#pragma once

#include <string>

#include "Cli.h"
#include "DbDatabase.h"
#include "Shown.h"

namespace sl_db {
class DocumentLibraries;
}

namespace sldb {

/// status: a line for the person at the terminal (stderr); data goes to stdout.
void status(const std::string& line);
/// verbose: whether --verbose asked for every status line.
bool verbose();

/// DrawingSession: the drawing of one command.
class DrawingSession {
 public:
  /// Opens the drawing at `path`. Throws Failure "no drawing at PATH" when there is no file
  /// there, "PATH is not a drawing (REASON)" when the reader refuses it. `forChange` holds the
  /// drawing's change lock until the session ends: Failure "the drawing is being changed by
  /// process N" while another changer holds it.
  explicit DrawingSession(std::string path, bool forChange = false);
  DrawingSession(const DrawingSession&) = delete;
  DrawingSession& operator=(const DrawingSession&) = delete;

  OdDbDatabase* db() const { return m_db.get(); }
  const std::string& path() const { return m_path; }
  /// libraries: the drawing's libraries, bound on first use.
  sl_db::DocumentLibraries& libraries() const;
  /// changed: the command changed the drawing's objects; finish saves it.
  void changed() { m_changed = true; }
  /// finish: writes the drawing back when changed() was called or its library record differs
  /// from what it was when opened, and says so unless `quiet`; answers whether it wrote.
  bool finish(bool quiet = false);

 private:
  std::string m_path;
  OdDbDatabasePtr m_db;
  std::vector<std::uint8_t> m_record;
  bool m_changed = false;
};

/// DrawingCommand: a command on one drawing, its first positional DRAWING. A run that answers 0
/// finishes the session; a non-zero answer or a throw leaves the file as it was.
class DrawingCommand : public Command {
 public:
  using Command::Command;
  void declare(CLI::App& command) final;
  int run() final;

 protected:
  /// options: the positionals after DRAWING and the options.
  virtual void options(CLI::App&) {}
  virtual int run(DrawingSession& drawing) = 0;
  /// quiet: the save is not reported (unless --verbose).
  virtual bool quiet() const { return false; }
  /// readOnly: the command never changes the drawing, so it takes no change lock.
  virtual bool readOnly() const { return false; }

 private:
  std::string m_drawing;
};

}  // namespace sldb

// What the command-line host and its commands module share: the command unit, the registry each
// side fills where its commands are defined, usage errors and the global library options.
#pragma once

#include <CLI/CLI.hpp>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace sldb {

// Thrown in the commands module and caught in the host: their type information is shared.
#define SLDB_SHARED __attribute__((visibility("default")))
// One registry per program or module, never merged by the dynamic linker.
#define SLDB_LOCAL __attribute__((visibility("hidden")))

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
  bool verbose = false;        // print every library event and every status line
};

/// Command: one subcommand: its name and help, the options it declares and what runs it.
class Command {
 public:
  Command(std::string name, std::string help) : m_name(std::move(name)), m_help(std::move(help)) {}
  virtual ~Command() = default;
  Command(const Command&) = delete;
  Command& operator=(const Command&) = delete;

  const std::string& name() const { return m_name; }
  const std::string& help() const { return m_help; }
  /// declare: the command's positionals and options, filling the command's own members.
  virtual void declare(CLI::App& command) = 0;
  /// run: the exit code; called once the command line chose this command and parsed whole.
  virtual int run() = 0;

 private:
  std::string m_name, m_help;
};

using CommandMaker = std::unique_ptr<Command> (*)();

/// registry: the commands defined in this program or module, in the order they registered.
SLDB_LOCAL inline std::vector<CommandMaker>& registry() {
  static std::vector<CommandMaker> commands;
  return commands;
}

/// Registration: adds T to the registry when its file is loaded.
template <class T>
struct Registration {
  Registration() {
    registry().push_back([]() -> std::unique_ptr<Command> { return std::make_unique<T>(); });
  }
};

/// SLDB_COMMAND(T): registers the command class T, next to its definition.
#define SLDB_COMMAND(T) const ::sldb::Registration<T> sldbRegistered##T

/// Commands: the subcommands on the host's command line, each with what runs it. Made once the
/// modules are loaded and destroyed before they are unloaded: a command holds code of the module
/// that made it. Header-only, so the host and the commands module share no symbol.
class Commands {
 public:
  using Runner = std::function<int(Command&)>;

  explicit Commands(CLI::App& app) : m_app(app) {}
  ~Commands() {
    m_app.clear();  // drops the parse's pointers to the subcommands
    for (const Entry& c : m_commands)
      m_app.remove_subcommand(c.app);
  }
  Commands(const Commands&) = delete;
  Commands& operator=(const Commands&) = delete;

  CLI::App& app() const { return m_app; }
  /// add: `command` as a subcommand; `runner` runs it (default: its own run).
  void add(std::unique_ptr<Command> command, Runner runner = {}) {
    CLI::App* app = m_app.add_subcommand(command->name(), command->help())->group("Commands");
    command->declare(*app);
    m_commands.push_back({app, std::move(command), std::move(runner)});
  }
  /// addAll: every command of the registry of the caller's program or module.
  void addAll(const std::vector<CommandMaker>& makers, const Runner& runner = {}) {
    for (CommandMaker make : makers)
      add(make(), runner);
  }
  /// run: runs the subcommand the command line chose; -1 when it chose none of these.
  int run() const {
    for (const Entry& c : m_commands)
      if (c.app->parsed()) return c.runner ? c.runner(*c.command) : c.command->run();
    return -1;
  }

 private:
  struct Entry {
    CLI::App* app;
    std::unique_ptr<Command> command;
    Runner runner;
  };
  CLI::App& m_app;
  std::vector<Entry> m_commands;
};

/// The commands module's one C entry point, "sldbDeclareCommands": adds the module's commands,
/// each run with `options` applied.
using DeclareCommandsEntry = void (*)(Commands& commands, const LibraryOptions& options);

}  // namespace sldb

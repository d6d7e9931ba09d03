// sldb: the command-line host. Global options are parsed first, the modules they name are
// loaded, and then the command line is parsed whole against the commands the host and the
// commands module register; errors go to stderr as one line with a non-zero exit code.
#include <dlfcn.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "Cli.h"
#include "DbDatabase.h"
#include "HostCommands.h"
#include "RxModule.h"
#include "Shown.h"

namespace {

using sldb::UsageError;

/// The global options, parsed before the modules are loaded.
struct GlobalOptions {
  std::vector<std::string> modules;
  sldb::LibraryOptions library;
};

void declareGlobalOptions(CLI::App& app, GlobalOptions& options) {
  app.add_option("--module", options.modules,
                 "a module to load after stocklib_db.tx, in the order given (repeatable); one\n"
                 "named stocklib_db.tx replaces the default (the build's or the installed copy)")
      ->type_name("PATH")
      ->allow_extra_args(false);
  app.add_option("--roaming", options.library.roaming,
                 "root folder whose Support folder holds the defaults\n"
                 "(default: the build's or the installed support data)")
      ->type_name("DIR");
  app.add_option("--default-library", options.library.defaultLibrary, "default secondary library")
      ->type_name("PATH");
  // The code becomes part of a path: a plain code ("de", "pt_BR", "sr@latin") only.
  app.add_option("--lang", options.library.language,
                 "name the objects of new libraries, and label palettes, in that language (de)")
      ->type_name("CODE")
      ->check(CLI::Validator(
          [](std::string& code) {
            return code.find_first_not_of(
                       "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz_@") ==
                           std::string::npos
                       ? std::string()
                       : "wants a language code such as de or pt_BR, not '" + code + "'";
          },
          ""));
  app.add_flag("--verbose", options.library.verbose, "print every library event");
}

#ifdef SLDB_BUILD_MODULE
const char* const kBuildModule = SLDB_BUILD_MODULE;
const char* const kBuildCommands = SLDB_BUILD_COMMANDS;
const char* const kBuildRoaming = SLDB_BUILD_ROAMING;
#else
// The installed copy knows no build: only what lies beside it counts.
const char* const kBuildModule = "";
const char* const kBuildCommands = "";
const char* const kBuildRoaming = "";
#endif

/// defaultPath: the build's copy when it exists, else the copy installed beside the host or in
/// the prefix's lib folder; that last path when there is none, for the error to name it.
std::string defaultPath(const char* built, const char* fileName) {
  if (*built && std::filesystem::exists(built)) return built;
  std::error_code ec;
  std::filesystem::path self = std::filesystem::canonical("/proc/self/exe", ec);
  if (ec) return built;
  const std::filesystem::path installed = self.parent_path().parent_path() / "lib" / fileName;
  for (const std::filesystem::path& candidate : {self.parent_path() / fileName, installed})
    if (std::filesystem::exists(candidate)) return candidate.string();
  return *built ? built : installed.string();
}

/// defaultRoaming: the build's root folder when its Support folder exists, else the installed
/// one: share/stocklib_db under the prefix, or the host's folder or the one above; empty when
/// there is none.
std::string defaultRoaming() {
  std::error_code ec;
  std::filesystem::path self = std::filesystem::canonical("/proc/self/exe", ec);
  std::vector<std::filesystem::path> candidates;
  if (*kBuildRoaming) candidates.push_back(kBuildRoaming);
  if (!ec) {
    const std::filesystem::path bin = self.parent_path(), prefix = bin.parent_path();
    candidates.insert(candidates.end(), {prefix / "share" / "stocklib_db", bin, prefix});
  }
  for (const std::filesystem::path& root : candidates)
    if (std::filesystem::is_directory(root / "Support", ec)) return root.string();
  return std::string();
}

/// Loads the module for the life of the command, as a host does, and unloads it afterwards.
class LoadedModule {
 public:
  explicit LoadedModule(const std::string& path)
      : m_module(odrxModuleManager()->loadModule(OdString::fromUtf8(path))) {}
  /// entry: the address of the module's C entry point `name`, or null.
  void* entry(const char* name) const { return dlsym(m_module->sysData(), name); }
  ~LoadedModule() {
    try {
      odrxModuleManager()->unloadModule(m_module);
    } catch (const OdError& e) {
      std::cerr << "sldb: unloading the module: " << e.description().toUtf8() << "\n";
    }
  }

 private:
  OdRxModulePtr m_module;
};

/// The modules of one command, unloaded in the reverse order of their loading.
class LoadedModules {
 public:
  LoadedModule& load(const std::string& path) {
    m_modules.push_back(std::make_unique<LoadedModule>(path));
    return *m_modules.back();
  }
  ~LoadedModules() {
    while (!m_modules.empty())
      m_modules.pop_back();
  }

 private:
  std::vector<std::unique_ptr<LoadedModule>> m_modules;
};

/// hoistGlobalOptions: moves the global options in `rest` after the command's name (and before a
/// "--") to the end of `globals`; answers whether it moved any.
bool hoistGlobalOptions(std::vector<std::string>& rest, std::vector<std::string>& globals) {
  static const char* const withValue[] = {"--module", "--roaming", "--default-library", "--lang"};
  bool moved = false;
  for (std::size_t i = 1; i < rest.size();) {
    const std::string& arg = rest[i];
    if (arg == "--") break;
    const std::string name = arg.substr(0, arg.find('='));
    const bool takesValue =
        std::find(std::begin(withValue), std::end(withValue), name) != std::end(withValue);
    if (!takesValue && arg != "--verbose") {
      ++i;
      continue;
    }
    const std::size_t count = takesValue && name == arg && i + 1 < rest.size() ? 2 : 1;
    globals.insert(globals.end(), rest.begin() + i, rest.begin() + i + count);
    rest.erase(rest.begin() + i, rest.begin() + i + count);
    moved = true;
  }
  return moved;
}

/// oneLine: a message on one line.
std::string oneLine(std::string text) {
  std::replace(text.begin(), text.end(), '\n', ' ');
  while (!text.empty() && text.back() == ' ')
    text.pop_back();
  return text;
}

/// chosen: the subcommand the parsed command line named; null when none.
const CLI::App* chosen(const CLI::App& app) {
  std::vector<CLI::App*> parsed = app.get_subcommands();
  return parsed.empty() ? nullptr : parsed.front();
}

/// usage: "sldb COMMAND [OPTIONS] POSITIONALS", as the command's help begins.
std::string usage(const CLI::App& command) {
  std::string text = oneLine(CLI::Formatter().make_usage(&command, command.get_name()));
  return "sldb " + text.substr(text.find(command.get_name()));
}

/// reporting: runs `body` and turns what it throws into one line on stderr and an exit code;
/// a command's errors are named after the subcommand that `app` parsed.
template <class Body>
int reporting(const CLI::App& app, Body body) {
  auto prefix = [&] {
    const CLI::App* command = chosen(app);
    return command ? "sldb " + command->get_name() + ": " : std::string("sldb: ");
  };
  auto hint = [&] {
    const CLI::App* command = chosen(app);
    return command ? " (usage: " + usage(*command) + ")" : std::string(" (see sldb --help)");
  };
  try {
    return body();
  } catch (const CLI::ParseError& e) {
    if (e.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success)) {
      std::cout << app.help();  // the chosen command's help, else the host's
      return 0;
    }
    std::cerr << prefix() << sldb::shown(oneLine(e.what())) << hint() << "\n";
    return 2;
  } catch (const UsageError& e) {
    std::cerr << prefix() << sldb::shown(e.message) << hint() << "\n";
    return 2;
  } catch (const sldb::Failure& e) {
    std::cerr << prefix() << sldb::shown(e.message) << "\n";
    return 1;
  } catch (const OdError& e) {
    std::cerr << "sldb: " << sldb::shown(e.description().toUtf8()) << "\n";
    return 1;
  } catch (const std::exception& e) {
    std::cerr << "sldb: " << sldb::shown(e.what()) << "\n";
    return 1;
  }
}

bool asksForHelp(const std::vector<std::string>& args) {
  return args.empty() || args[0] == "help" ||
         std::find_if(args.begin(), args.end(), [](const std::string& a) {
           return a == "--help" || a == "-h";
         }) != args.end();
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app(
      "The command-line host: it loads stocklib_db.tx as a CAD host does and binds\n"
      "building-information libraries to drawings.",
      "sldb");
  // Every name and text is taken as UTF-8: a byte that is none would be stored as U+FFFD.
  for (int i = 1; i < argc; ++i) {
    if (!OdString::isValidUtf8(argv[i])) {
      std::cerr << "sldb: argument " << i << " is not UTF-8 text\n";
      return 2;
    }
  }
  GlobalOptions options;
  declareGlobalOptions(app, options);
  // First pass: the global options, up to the command's name. The modules they name declare
  // the commands, so the command line is parsed whole only once they are loaded.
  app.set_help_flag();
  app.set_version_flag("--version", "sldb " SL_VERSION);
  app.prefix_command();
  std::vector<std::string> rest;
  try {
    app.parse(argc, argv);
    rest = app.remaining();
    // Global options after the command's name count as if given before it.
    std::vector<std::string> globals(argv + 1, argv + argc - rest.size());
    if (hoistGlobalOptions(rest, globals)) {
      std::reverse(globals.begin(), globals.end());
      app.parse(globals);
    }
  } catch (const CLI::ParseError& e) {
    if (e.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success)) return app.exit(e);
    std::cerr << "sldb: " << oneLine(e.what()) << " (see sldb --help)\n";
    return 2;
  }
  app.prefix_command(false);
  app.set_help_flag("-h,--help", "print this help and exit");
  app.require_subcommand(0, 1);
  app.footer("Drawings use the extension " + OdString(OD_DRAWING_FILE_EXTENSION).toUtf8() +
             "; sldb COMMAND --help describes a command.");
  app.get_formatter()->label("SUBCOMMAND", "COMMAND");
  app.get_formatter()->column_width(24);

  std::string modulePath;
  std::vector<std::string> hostModules;  // loaded after stocklib_db.tx, in this order
  for (const std::string& path : options.modules) {
    if (std::filesystem::path(path).filename() == "stocklib_db.tx") {
      modulePath = path;
    } else {
      hostModules.push_back(path);
    }
  }
  if (modulePath.empty()) modulePath = defaultPath(kBuildModule, "stocklib_db.tx");
  const std::string commandsPath = defaultPath(kBuildCommands, "sldb_commands.tx");
  if (options.library.roaming.empty()) options.library.roaming = defaultRoaming();
  return reporting(app, [&] {
    LoadedModules modules;
    sldb::DeclareCommandsEntry declareModuleCommands = nullptr;
    try {
      modules.load(modulePath);
      // The commands module links stocklib_db.tx; loaded after it, it shares the copy loaded. It
      // installs the host's library reactor, which the host modules loaded next look for.
      LoadedModule& loaded = modules.load(commandsPath);
      declareModuleCommands =
          reinterpret_cast<sldb::DeclareCommandsEntry>(loaded.entry("sldbDeclareCommands"));
      if (!declareModuleCommands) throw sldb::Failure{commandsPath + " holds no commands"};
      for (const std::string& path : hostModules)
        modules.load(path);
    } catch (const OdError& e) {
      // Help is still given: the host's own commands.
      if (!asksForHelp(rest)) throw;
      std::cerr << "sldb: " << e.description().toUtf8()
                << " (only the host's own commands are listed)\n";
    }
    sldb::Commands commands(app);
    commands.addAll(sldb::registry());
    if (declareModuleCommands) declareModuleCommands(commands, options.library);
    commands.add(sldb::makeHelpCommand());
    // Errors of the parse and the command are reported while the modules that threw them
    // are still loaded: the thrown objects' code lives there.
    return reporting(app, [&] {
      if (!rest.empty() && rest[0].rfind('-', 0) != 0 &&
          app.get_subcommands([&](const CLI::App* c) { return c->get_name() == rest[0]; })
              .empty()) {
        std::cerr << "sldb: unknown command '" << rest[0] << "' (see sldb --help)\n";
        return 2;
      }
      app.parse(std::vector<std::string>(rest.rbegin(), rest.rend()));
      if (!chosen(app)) {
        std::cout << app.help();
        return 0;
      }
      return commands.run();
    });
  });
}

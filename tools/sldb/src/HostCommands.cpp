// The host's own commands, which need only the drawing SDK: a new drawing, and help.
#include "HostCommands.h"

#include <filesystem>
#include <iostream>
#include <optional>

#include "DbDatabase.h"

namespace sldb {

namespace {

class NewCommand final : public Command {
 public:
  NewCommand()
      : Command("new",
                "write an empty drawing (metric: MEASUREMENT 1, INSUNITS 4; imperial: 0 and 1)") {}
  void declare(CLI::App& c) override {
    c.add_option("DRAWING", m_drawing, "the drawing file")->required();
    c.add_flag("--imperial", m_imperial, "an imperial drawing");
    c.add_option("--insunits", m_insunits, "the drawing's INSUNITS")->check(CLI::Range(0, 20));
    c.add_flag("--force", m_force, "replace an existing file");
  }
  int run() override {
    if (!m_force && std::filesystem::exists(m_drawing))
      throw Failure{m_drawing + " exists already (use --force to replace it)"};
    OdDbDatabasePtr db = odDbCreateDatabase(!m_imperial);
    if (m_insunits) db->setINSUNITS(static_cast<OdDb::UnitsValue>(*m_insunits));
    db->writeFile(OdString::fromUtf8(m_drawing));
    std::cerr << "wrote " << db->getFilename().toUtf8() << "\n";
    return 0;
  }

 private:
  std::string m_drawing;
  bool m_imperial = false, m_force = false;
  std::optional<int> m_insunits;
};
SLDB_COMMAND(NewCommand);

class HelpCommand final : public Command {
 public:
  HelpCommand() : Command("help", "print this help, or with COMMAND that command's help") {}
  void declare(CLI::App& c) override {
    m_root = c.get_parent();
    c.add_option("COMMAND", m_command, "the command to describe");
  }
  int run() override {
    CLI::App* shown = m_root;
    std::string name = m_root->get_name();
    if (!m_command.empty()) {
      shown = nullptr;
      for (CLI::App* c : m_root->get_subcommands({}))
        if (c->get_name() == m_command) shown = c;
      if (!shown) throw UsageError{"no command '" + m_command + "' (see sldb --help)"};
      name += " " + m_command;
    }
    std::cout << shown->get_formatter()->make_help(shown, name, CLI::AppFormatMode::Normal);
    return 0;
  }

 private:
  CLI::App* m_root = nullptr;
  std::string m_command;
};

}  // namespace

std::unique_ptr<Command> makeHelpCommand() {
  return std::make_unique<HelpCommand>();
}

}  // namespace sldb

// The host's own commands: those it registers, and help, which it adds after every other.
#pragma once

#include <memory>

#include "Cli.h"

namespace sldb {

/// makeHelpCommand: `help [COMMAND]`, the help of the host or of one of its commands.
std::unique_ptr<Command> makeHelpCommand();

}  // namespace sldb

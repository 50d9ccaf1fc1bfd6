#include "cli/Cli.h"

namespace zadaravod::cli {
void addSetCommands(CLI::App&, Context&) {}
}  // namespace zadaravod::cli

#include "cli/Cli.h"

namespace zadaravod::cli {
void addListCommands(CLI::App&, Context&) {}
}  // namespace zadaravod::cli

#include "cli/Cli.h"

namespace zadaravod::cli {
void addImageCommands(CLI::App&, Context&) {}
}  // namespace zadaravod::cli

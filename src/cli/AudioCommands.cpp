#include "cli/Cli.h"

namespace zadaravod::cli {
void addAudioCommands(CLI::App&, Context&) {}
}  // namespace zadaravod::cli

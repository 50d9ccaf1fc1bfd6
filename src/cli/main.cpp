// zadaravod-cli: the editor's commands without a window. Messages go to
// standard error; exit status 1 when a command refuses, 2 on a usage error.
#include <CLI/CLI.hpp>

#include "cli/Cli.h"

int main(int argc, char** argv) {
    using namespace zadaravod::cli;
    CLI::App app{"ZadarAvod: prepares the flash image of the LARK40 voice chip", "zadaravod-cli"};
    app.require_subcommand(1);
    app.set_version_flag("--version", "zadaravod-cli 1.6");

    Session session;
    session.paths = zadaravod::AppPaths::ofRunningExecutable();

    addProjectCommands(app, session);
    addImageCommands(app, session);
    addAudioCommands(app, session);
    addListCommands(app, session);
    addSetCommands(app, session);
    addPlayCommands(app, session);
    addExportCommands(app, session);
    addPromptCommands(app, session);

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int code = app.exit(e);
        return code == 0 ? kExitOk : kExitUsage;
    }
    return session.exitCode;
}

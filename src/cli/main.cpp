// zadaravod-cli: the editor's commands without a window. Messages go to
// standard error; exit status 1 when a command refuses, 2 on a usage error.
#include <CLI/CLI.hpp>

#include <exception>
#include <iostream>

#include "cli/Cli.h"

int main(int argc, char** argv) {
    using namespace zadaravod::cli;
    CLI::App app{"ZadarAvod: prepares the flash image of the LARK40 voice chip", "zadaravod-cli"};
    app.require_subcommand(1);
    // Usage errors name the program, as other tools' do.
    app.failure_message([](const CLI::App* failed, const CLI::Error& e) {
        return "zadaravod-cli: " + CLI::FailureMessage::simple(failed, e);
    });
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

    // CLI11 takes an unknown first word for a missing command; name it.
    if (argc > 1 && argv[1][0] != '-' &&
        app.get_subcommands([&](CLI::App* c) { return c->check_name(argv[1]); }).empty()) {
        std::cerr << "zadaravod-cli: unknown command '" << argv[1]
                  << "'\nRun with --help for the commands.\n";
        return kExitUsage;
    }
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        // --help and --version end parsing with CLI11's success code; every
        // other parse error (unknown command or option, a missing, extra or
        // malformed argument, a value out of range) is a usage error.
        const int code = app.exit(e);
        return code == static_cast<int>(CLI::ExitCodes::Success) ? kExitOk : kExitUsage;
    } catch (const std::exception& e) {
        std::cerr << "zadaravod-cli: " << e.what() << '\n';
        return kExitRefused;
    }
    return session.exitCode;
}

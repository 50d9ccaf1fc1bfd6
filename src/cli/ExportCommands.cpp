// export <project> [--open]: the record sheet of a project (<project
// file>.xlsx) from the template of the application folder.
#include <spawn.h>
#include <sys/wait.h>
#include <CLI/CLI.hpp>

#include <iostream>

#include "cli/Cli.h"
#include "commands/Export.h"

extern char** environ;

namespace zadaravod::cli {

namespace {

struct ExportArguments {
    std::string project;
    bool open = false;
};
ExportArguments args;

/// Opens `path` with the desktop's default program (xdg-open), without
/// waiting for it; false when no opener could be started.
bool openWithDesktop(const std::string& path) {
    std::string program = "xdg-open";
    char* argv[] = {program.data(), const_cast<char*>(path.c_str()), nullptr};
    pid_t pid = 0;
    if (posix_spawnp(&pid, "xdg-open", nullptr, nullptr, argv, environ) != 0) return false;
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void run(Session& session) {
    const std::optional<Project> project = session.read(args.project);
    if (!project) return;
    const RecordSheetResult result = exportProject(*project, session.paths, session.console, false);
    if (!result.written) {
        session.exitCode = kExitRefused;
        return;
    }
    const std::string path = recordSheetPath(project->projectFilePath);
    std::cout << path << '\n';
    if (args.open && !openWithDesktop(path)) {
        session.refuse(
            "The record sheet was written, but no program could be started to show "
            "it (xdg-open failed). Open " +
            path + " yourself.");
    }
}

}  // namespace

void addExportCommands(CLI::App& app, Session& session) {
    auto* cmd =
        app.add_subcommand("export", "Write the project's record sheet (<project file>.xlsx)");
    cmd->add_option("project", args.project, "Project folder or project file")->required();
    cmd->add_flag("--open", args.open, "Then open it with the desktop's spreadsheet program");
    cmd->callback([&session] { run(session); });
}

}  // namespace zadaravod::cli

#pragma once

#include <memory>
#include <string>

#include "model/AppPaths.h"
#include "model/Project.h"
#include "model/ScriptedUserInterface.h"
#include "tools/ProjectLock.h"

namespace CLI {
class App;
}

namespace zadaravod::cli {

/// Exit statuses of zadaravod-cli.
inline constexpr int kExitOk = 0;
inline constexpr int kExitRefused = 1;  ///< a command refused or failed
inline constexpr int kExitUsage = 2;    ///< bad arguments

/// What every command shares: the seam (messages go to standard error), the
/// application folder, and the exit status the run ends with.
struct Context {
    ScriptedUserInterface ui;
    AppPaths paths;
    int exitCode = kExitOk;
    /// The lock of the project a command works on, held from load to save.
    ProjectLock lock;

    /// Prints `text` on standard error and marks the run as refused.
    void refuse(const std::string& text);
    /// Resolves `<project>` (a project folder or its project file) and opens
    /// it into `project` with the editor's Open rules. On failure prints why,
    /// sets the exit status and returns false; `project` then holds nothing.
    bool openProject(const std::string& argument, Project& project);
    /// Saves the open project (project file and flash-size file), as the
    /// editor does when a project is left. Prints why and returns false on failure.
    bool saveProject(const Project& project);
};

// Each group of commands registers itself on the application. The callbacks
// run after parsing and set ctx.exitCode.
void addProjectCommands(CLI::App& app, Context& ctx);  // new, info
void addImageCommands(CLI::App& app, Context& ctx);    // build, inspect
void addAudioCommands(CLI::App& app,
                      Context& ctx);                // import, remove, clear-library, music, convert
void addListCommands(CLI::App& app, Context& ctx);  // list, clear-lists
void addSetCommands(CLI::App& app, Context& ctx);   // set

/// Parses a list number written in decimal ("10") or as the editor shows it
/// ("0aH"); returns -1 when it is not 0..219.
int parseListNumber(const std::string& text);

}  // namespace zadaravod::cli

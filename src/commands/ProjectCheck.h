#pragma once

#include <string>
#include <vector>

#include "commands/UserInterface.h"
#include "model/Project.h"

namespace zadaravod {

// The project check: what would make the device behave other than the user
// expects, found before anything is written.

enum class Severity { Error, Warning, Hint };

/// "error", "warning", "hint".
const char* severityName(Severity severity);

/// One thing the check found. The numbers name the place; -1 where they do
/// not apply.
struct Finding {
    Severity severity = Severity::Warning;
    std::string kind;    ///< a stable name for scripts: "list-too-long", ...
    std::string place;   ///< "list 03H, entry 2", "key 5", "sound 4 (a.wav)", "flash", ...
    std::string text;    ///< what is wrong
    std::string action;  ///< what to do about it
    int list = -1;       ///< 0-based playlist
    int entry = -1;      ///< 0-based entry of that list
    int key = -1;        ///< 1-based key
    int sound = -1;      ///< 0-based library sound

    bool operator==(const Finding&) const = default;
};

/// What the check runs before: each looks at what that command relies on.
enum class CheckPurpose {
    OnDemand,  ///< everything, the image included when there is one
    Build,     ///< what the build reads
    Download,  ///< the built image; what only a build reads becomes a warning
};

/// Every finding for `project`, errors first, then warnings, then hints.
std::vector<Finding> checkProject(const Project& project,
                                  CheckPurpose purpose = CheckPurpose::OnDemand);

/// Whether any finding is an error (the command must not go on).
bool hasErrors(const std::vector<Finding>& findings);
/// How many findings have `severity`.
int countOf(const std::vector<Finding>& findings, Severity severity);

/// "2 errors, 1 warning, no hints" — or "No problems found." when empty.
std::string findingsSummary(const std::vector<Finding>& findings);
/// One finding as a line of text: "error: list 03H: ... — ...".
std::string findingLine(const Finding& finding);

/// The check before a command (Build, Download): true when it may run.
/// Errors are shown and stop it; warnings (with any hints) are shown and the
/// user decides; hints alone or nothing at all let it run unasked.
bool checkBeforeCommand(const Project& project, CheckPurpose purpose, UserInterface& ui);
/// "Проверить проект": every finding shown, or "No problems found.".
void showProjectCheck(const Project& project, UserInterface& ui);

}  // namespace zadaravod

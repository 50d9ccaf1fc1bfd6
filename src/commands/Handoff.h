#pragma once

#include <string>
#include <vector>

#include "commands/UserInterface.h"
#include "io/AppPaths.h"
#include "model/Project.h"

namespace zadaravod {

// The hand-off to the outside programs: the download utility, the
// companion program, the image chooser and the About box's link.

/// Starts outside programs. The window implements it with
/// QProcess::startDetached and QDesktopServices::openUrl; tests record calls.
class Launcher {
  public:
    virtual ~Launcher() = default;
    /// Starts `program` detached with `arguments`; the result is not waited for.
    virtual bool startDetached(const std::string& program,
                               const std::vector<std::string>& arguments) = 0;
    /// Opens an address in the desktop's web browser.
    virtual bool openUrl(const std::string& url) = 0;
};

/// A program and its whole parameter string, as the hand-off commands start it.
struct LaunchCommand {
    std::string program;
    std::string parameters;  ///< "" for none
    /// The argument list: the parameter string as one argument, unquoted and
    /// unsplit (so an image path with blanks stays one path); none when empty.
    std::vector<std::string> arguments() const;
};

/// The download command: the download utility of the application folder and
/// the image path of the open project ("" without a project).
LaunchCommand downloadCommand(const AppPaths& paths, const Project& project);
/// Starts the download utility (commands 32782, 32789). The image's existence
/// is not checked and the launch's result not reported; when the utility is
/// missing nothing starts and a status line says so. Returns whether a launch
/// was attempted.
bool startDownloadUtility(const AppPaths& paths, const Project& project, Launcher& launcher,
                          Messenger& messenger);

/// The companion program (command 32835): started with no parameters when
/// present, nothing reported when not. Returns whether it was started.
bool startCompanion(const AppPaths& paths, Launcher& launcher);

/// The image chooser (command 32809): "BIN Files(*.bin)|*.bin||" with no
/// default extension; on OK the chosen path is stored in binPath, on Cancel
/// nothing changes. Returns whether a path was stored.
bool chooseImageFile(Project& project, UserInterface& ui);
inline constexpr const char* kImageFilter = "BIN Files(*.bin)|*.bin||";

/// The maker's home page the About box's company line opens.
inline constexpr const char* kHomePageUrl = "https://github.com/zadaravod/zadaravod";
/// The About box link: opens the home page; the result is not reported.
void openHomePage(Launcher& launcher);

}  // namespace zadaravod

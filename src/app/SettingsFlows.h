#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "app/Editor.h"

namespace zadaravod {

// The main window's side of the settings dialogs and of the hand-off to the
// outside programs, in plain C++. The window shows a dialog, then passes its
// result code and values here; the dialog never touches the project.

/// Result codes the acceptance steps compare with (the dialogs' own ids).
inline constexpr int kOptionsDialogCancel = 1075;
inline constexpr int kKeySetupDialogCancel = 1081;
inline constexpr int kEquationDialogCancel = 1083;

/// Acceptance of the options dialog. Every `result` but 1075 accepts:
/// 1. controlMode, audioOutput, busyLevel, pullUp and backgroundMusic of
///    `chosen` are stored (externalMode and binPath keep their values);
/// 2. the background-music view is enabled, with its commandsEnabled set,
///    for modes 0 and 1, and disabled with commandsEnabled cleared otherwise
///    (EditorView::setBackgroundMusicViewEnabled does both);
/// 3. the mode command runs for modes 0, 1, 2, 3, 4 and 6 (Editor::setControlMode:
///    stores the mode, moves the check mark); mode 5 or any other value has no
///    command and leaves the menu's check marks as they are;
/// 4. the mode caption is refreshed.
/// Returns whether the result was taken as acceptance.
bool acceptOptionsDialog(Editor& editor, int result, const COptions& chosen);

/// Acceptance of the key function dialog: every result but 1081 copies the
/// 24 codes into keyFunction. Returns whether they were taken.
bool acceptKeySetupDialog(Editor& editor, int result,
                          const std::array<std::int32_t, kKeyCount>& codes);

/// Acceptance of the key-to-playlist dialog: every result but 1083 copies
/// the 24 numbers into listOfKey. Returns whether they were taken.
bool acceptEquationDialog(Editor& editor, int result,
                          const std::array<std::int32_t, kKeyCount>& numbers);

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
LaunchCommand downloadCommand(const Editor& editor);
/// Starts the download utility (commands 32782, 32789). The image's existence
/// is not checked and the launch's result not reported; when the utility is
/// missing nothing starts and a status line says so. Returns whether a launch
/// was attempted.
bool startDownloadUtility(Editor& editor, Launcher& launcher);

/// The companion program (command 32835): started with no parameters when
/// present, nothing reported when not. Returns whether it was started.
bool startCompanion(const Editor& editor, Launcher& launcher);

/// The image chooser (command 32809): "BIN Files(*.bin)|*.bin||" with no
/// default extension; on OK the chosen path is stored in binPath, on Cancel
/// nothing changes. Returns whether a path was stored.
bool chooseImageFile(Editor& editor);
inline constexpr const char* kImageFilter = "BIN Files(*.bin)|*.bin||";

/// The maker's home page the About box's company line opens.
inline constexpr const char* kHomePageUrl = "https://github.com/zadaravod/zadaravod";
/// The About box link: opens the home page; the result is not reported.
void openHomePage(Launcher& launcher);

}  // namespace zadaravod

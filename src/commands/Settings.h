#pragma once

#include <array>
#include <cstdint>

#include "commands/ProjectFiles.h"

namespace zadaravod {

// The main window's side of the settings dialogs, in plain C++. The window
// shows a dialog, then passes its result code and values here; the dialog
// never touches the project.

/// Acceptance of the options dialog. Every `result` but result::kOptionsCancel accepts:
/// 1. controlMode, audioOutput, busyLevel, pullUp and backgroundMusic of
///    `chosen` are stored (externalMode and binPath keep their values);
/// 2. the background-music view is enabled, with its commandsEnabled set,
///    for modes 0 and 1, and disabled with commandsEnabled cleared otherwise
///    (ProjectView::setBackgroundMusicViewEnabled does both);
/// 3. the mode command runs for modes 0, 1, 2, 3, 4 and 6
///    (ProjectFiles::setControlMode: stores the mode, moves the check mark);
///    mode 5 or any other value has no command and leaves the menu's check
///    marks as they are;
/// 4. the mode caption is refreshed.
/// Returns whether the result was taken as acceptance.
bool acceptOptionsDialog(ProjectFiles& files, int result, const COptions& chosen);

/// Acceptance of the key function dialog: every result but
/// result::kKeySetupCancel copies the 24 codes into keyFunction. Returns
/// whether they were taken.
bool acceptKeySetupDialog(ProjectFiles& files, int result,
                          const std::array<std::int32_t, kKeyCount>& codes);

/// Acceptance of the key-to-playlist dialog: every result but
/// result::kEquationCancel copies the 24 numbers into listOfKey. Returns
/// whether they were taken.
bool acceptEquationDialog(ProjectFiles& files, int result,
                          const std::array<std::int32_t, kKeyCount>& numbers);

}  // namespace zadaravod

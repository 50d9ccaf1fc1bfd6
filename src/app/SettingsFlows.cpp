#include "app/SettingsFlows.h"

#include <unistd.h>
#include <filesystem>

namespace zadaravod {
namespace fs = std::filesystem;

bool acceptOptionsDialog(Editor& editor, int result, const COptions& chosen) {
    if (result == kOptionsDialogCancel) return false;
    COptions& o = editor.project().options;
    o.controlMode = chosen.controlMode;
    o.audioOutput = chosen.audioOutput;
    o.busyLevel = chosen.busyLevel;
    o.pullUp = chosen.pullUp;
    o.backgroundMusic = chosen.backgroundMusic;

    const int mode = o.controlMode;
    editor.view().setBackgroundMusicViewEnabled(mode == kModeOneLine || mode == kModeThreeLine);
    switch (mode) {
        case kModeOneLine:
        case kModeThreeLine:
        case kModeMp3:
        case kModeMatrix:
        case kModeParallel:
        case kModeKey:
            editor.setControlMode(mode);
            break;
        default:
            break;  // extended and unknown modes have no menu command
    }
    editor.refreshModeCaption();
    return true;
}

bool acceptKeySetupDialog(Editor& editor, int result,
                          const std::array<std::int32_t, kKeyCount>& codes) {
    if (result == kKeySetupDialogCancel) return false;
    editor.project().keys.keyFunction = codes;
    return true;
}

bool acceptEquationDialog(Editor& editor, int result,
                          const std::array<std::int32_t, kKeyCount>& numbers) {
    if (result == kEquationDialogCancel) return false;
    editor.project().equation.listOfKey = numbers;
    return true;
}

std::vector<std::string> LaunchCommand::arguments() const {
    if (parameters.empty()) return {};
    return {parameters};
}

LaunchCommand downloadCommand(const Editor& editor) {
    return {editor.paths().downloadUtilityPath(), editor.project().imagePath()};
}

namespace {
bool isExecutableFile(const std::string& path) {
    std::error_code ec;
    return fs::is_regular_file(path, ec) && ::access(path.c_str(), X_OK) == 0;
}
}  // namespace

bool startDownloadUtility(Editor& editor, Launcher& launcher) {
    const LaunchCommand command = downloadCommand(editor);
    if (!isExecutableFile(command.program)) {
        editor.ui().status("The download utility " + command.program +
                           " is missing, so nothing was started. Reinstall ZadarAvod.");
        return false;
    }
    launcher.startDetached(command.program, command.arguments());
    return true;
}

bool startCompanion(const Editor& editor, Launcher& launcher) {
    const std::string program = editor.paths().companionPath();
    if (!isExecutableFile(program)) return false;
    launcher.startDetached(program, {});
    return true;
}

bool chooseImageFile(Editor& editor) {
    FileDialogRequest request{kImageFilter, {}, {}, {}};
    auto chosen = editor.ui().chooseOpenFile(request);
    if (!chosen) return false;
    editor.project().options.binPath = *chosen;
    return true;
}

void openHomePage(Launcher& launcher) { launcher.openUrl(kHomePageUrl); }

}  // namespace zadaravod

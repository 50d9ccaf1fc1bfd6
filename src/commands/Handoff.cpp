#include "commands/Handoff.h"

#include <unistd.h>

#include <filesystem>

namespace zadaravod {
namespace fs = std::filesystem;

std::vector<std::string> LaunchCommand::arguments() const {
    if (parameters.empty()) return {};
    return {parameters};
}

LaunchCommand downloadCommand(const AppPaths& paths, const Project& project) {
    return {paths.downloadUtilityPath(), project.imagePath()};
}

namespace {
bool isExecutableFile(const std::string& path) {
    std::error_code ec;
    return fs::is_regular_file(path, ec) && ::access(path.c_str(), X_OK) == 0;
}
}  // namespace

bool startDownloadUtility(const AppPaths& paths, const Project& project, Launcher& launcher,
                          Messenger& messenger) {
    const LaunchCommand command = downloadCommand(paths, project);
    if (!isExecutableFile(command.program)) {
        messenger.status("The download utility " + command.program +
                         " is missing, so nothing was started. Reinstall ZadarAvod.");
        return false;
    }
    launcher.startDetached(command.program, command.arguments());
    return true;
}

bool startCompanion(const AppPaths& paths, Launcher& launcher) {
    const std::string program = paths.companionPath();
    if (!isExecutableFile(program)) return false;
    launcher.startDetached(program, {});
    return true;
}

bool chooseImageFile(Project& project, UserInterface& ui) {
    auto chosen = ui.chooseOpenFile({kImageFilter, {}, {}, {}});
    if (!chosen) return false;
    project.options.binPath = *chosen;
    return true;
}

void openHomePage(Launcher& launcher) { launcher.openUrl(kHomePageUrl); }

}  // namespace zadaravod

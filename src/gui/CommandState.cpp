#include "gui/CommandState.h"

#include <QAction>
#include <filesystem>
#include <utility>

#include "gui/CommandIds.h"
#include "model/Project.h"

namespace zadaravod {
namespace {

/// The commands the refresh enables with a project, and those it grays
/// without one (the two lists differ: the view toggles are never grayed,
/// 32834 is never enabled, "Excel" follows the image file).
constexpr int kEnabledWithProject[] = {
    cmd::kBuild,      cmd::kOptions,     cmd::kKeySetup,      cmd::kEquationSetup,
    cmd::kModeKey,    cmd::kModeOneLine, cmd::kModeThreeLine, cmd::kModeParallel,
    cmd::kModeMatrix, cmd::kViewToolbar, cmd::kViewStatusBar, cmd::kChooseImage,
    cmd::kConvert,    cmd::kSaveAs,      cmd::kCloseProject,  cmd::kSave};
constexpr int kGrayedWithoutProject[] = {
    cmd::kBuild,        cmd::kOptions,      cmd::kKeySetup,    cmd::kEquationSetup,
    cmd::kModeKey,      cmd::kModeMp3,      cmd::kModeOneLine, cmd::kModeThreeLine,
    cmd::kModeParallel, cmd::kModeMatrix,   cmd::kChooseImage, cmd::kConvert,
    cmd::kSaveAs,       cmd::kCloseProject, cmd::kSave,        cmd::kExcel};
/// The toolbar buttons that follow the project commands.
constexpr int kToolsWithProject[] = {cmd::kToolOptions, cmd::kToolBuild};

}  // namespace

CommandState::CommandState(const Project& project, Targets targets)
    : project_(project), targets_(std::move(targets)) {}

bool CommandState::refresh(bool withProject) {
    projectCommands_ = withProject && project_.projectOpen;
    playlistRefilled_ = false;
    const bool on = projectCommands_;
    if (on) {
        for (int id : kEnabledWithProject) targets_.action(id)->setEnabled(true);
        targets_.libraryView->setCommandsEnabled(true);
        targets_.playlistView->setCommandsEnabled(true);
        if (modeHasBackgroundMusic(project_.options.controlMode)) {
            targets_.musicView->setCommandsEnabled(true);
        }
    } else {
        for (int id : kGrayedWithoutProject) targets_.action(id)->setEnabled(false);
        targets_.libraryView->setCommandsEnabled(false);
        targets_.playlistView->setCommandsEnabled(false);
        targets_.musicView->setCommandsEnabled(false);
    }
    targets_.action(cmd::kExcel)->setEnabled(excelEnabled());
    targets_.action(cmd::kPlaylistClearAll)->setEnabled(true);
    for (int id : kToolsWithProject) targets_.action(id)->setEnabled(on);
    for (QWidget* control : targets_.projectControls) control->setEnabled(on);
    return on;
}

void CommandState::playlistViewRefilled() {
    playlistRefilled_ = true;
    targets_.action(cmd::kExcel)->setEnabled(excelEnabled());
}

void CommandState::setMusicCommandsEnabled(bool enabled) {
    targets_.musicView->setCommandsEnabled(enabled);
}

bool CommandState::excelEnabled() const {
    if (!projectCommands_ || playlistRefilled_) return false;
    std::error_code ec;
    return std::filesystem::exists(project_.imagePath(), ec);
}

}  // namespace zadaravod

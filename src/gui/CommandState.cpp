#include "gui/CommandState.h"

#include <QAction>
#include <QCoreApplication>
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
    historyChanged();
    return on;
}

void CommandState::historyChanged() {
    const EditHistory* history = targets_.history;
    QAction* undo = targets_.action(cmd::kUndo);
    QAction* redo = targets_.action(cmd::kRedo);
    const auto undoKind = history ? history->undoKind() : std::nullopt;
    const auto redoKind = history ? history->redoKind() : std::nullopt;
    undo->setEnabled(projectCommands_ && undoKind.has_value());
    redo->setEnabled(projectCommands_ && redoKind.has_value());
    undo->setText(undoKind ? QCoreApplication::translate("CommandState", "&Отменить: %1")
                                 .arg(editCaption(*undoKind))
                           : QCoreApplication::translate("CommandState", "&Отменить"));
    redo->setText(redoKind ? QCoreApplication::translate("CommandState", "&Повторить: %1")
                                 .arg(editCaption(*redoKind))
                           : QCoreApplication::translate("CommandState", "&Повторить"));
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

QString editCaption(EditKind kind) {
    switch (kind) {
        case EditKind::InsertSound:
            return QCoreApplication::translate("CommandState", "вставка звука");
        case EditKind::InsertSilence:
            return QCoreApplication::translate("CommandState", "вставка тишины");
        case EditKind::AppendSound:
            return QCoreApplication::translate("CommandState", "добавление звука в список");
        case EditKind::DeleteEntry:
            return QCoreApplication::translate("CommandState", "удаление записи");
        case EditKind::ClearList:
            return QCoreApplication::translate("CommandState", "очистка списка");
        case EditKind::ClearAllLists:
            return QCoreApplication::translate("CommandState", "очистка всех списков");
        case EditKind::ReplaceEntry:
            return QCoreApplication::translate("CommandState", "замена записи");
        case EditKind::MoveEntry:
            return QCoreApplication::translate("CommandState", "перемещение записи");
        case EditKind::ImportSounds:
            return QCoreApplication::translate("CommandState", "загрузка звуков");
        case EditKind::DeleteSound:
            return QCoreApplication::translate("CommandState", "удаление звука");
        case EditKind::ClearLibrary:
            return QCoreApplication::translate("CommandState", "очистка библиотеки");
        case EditKind::ProcessSound:
            return QCoreApplication::translate("CommandState", "обработка звука");
        case EditKind::SpeakText:
            return QCoreApplication::translate("CommandState", "синтез речи");
        case EditKind::LoadMusic:
            return QCoreApplication::translate("CommandState", "загрузка фоновой музыки");
        case EditKind::ClearMusic:
            return QCoreApplication::translate("CommandState", "очистка фоновой музыки");
        case EditKind::Options:
            return QCoreApplication::translate("CommandState", "конфигурация кодека");
        case EditKind::KeyFunctions:
            return QCoreApplication::translate("CommandState", "функции клавиш");
        case EditKind::KeyLists:
            return QCoreApplication::translate("CommandState", "списки клавиш");
        case EditKind::ControlMode:
            return QCoreApplication::translate("CommandState", "режим управления");
        case EditKind::FlashSize:
            return QCoreApplication::translate("CommandState", "размер флеш-памяти");
        case EditKind::ImageFile:
            return QCoreApplication::translate("CommandState", "выбор образа");
    }
    return QCoreApplication::translate("CommandState", "изменение");
}

}  // namespace zadaravod

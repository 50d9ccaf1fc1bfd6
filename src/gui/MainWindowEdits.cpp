// The main window's side of undo and redo, of the project check before a
// command and of the recent projects.

#include <QAction>
#include <QMenu>

#include "gui/CLK_AppDlg.h"
#include "gui/CommandIds.h"
#include "gui/CommandState.h"
#include "gui/WindowSettings.h"

namespace zadaravod {

void CLK_AppDlg::edit(EditKind kind, const std::function<void()>& change) {
    editIf(kind, [&change] {
        change();
        return true;
    });
}

bool CLK_AppDlg::editIf(EditKind kind, const std::function<bool()>& change) {
    if (editDepth_ > 0 || !project().projectOpen) return change();
    ++editDepth_;
    struct Leave {
        int& depth;
        ~Leave() { --depth; }
    } leave{editDepth_};
    const bool changed = editor_->history().record(project(), kind, change);
    commandState_->historyChanged();
    return changed;
}

void CLK_AppDlg::undoEdit() {
    const Done undone = editor_->history().undo(project());
    if (!undone) ui_.tell(undone.error());
    showWholeProject();
}

void CLK_AppDlg::redoEdit() {
    const Done redone = editor_->history().redo(project());
    if (!redone) ui_.tell(redone.error());
    showWholeProject();
}

void CLK_AppDlg::showWholeProject() {
    const int mode = project().options.controlMode;
    setBackgroundMusicViewEnabled(modeHasBackgroundMusic(mode));
    checkModeItem(mode);
    selectFlashSize(project().flashSize.sizeIndex);
    refillViews();
    refreshCommandState(true);
}

bool CLK_AppDlg::checkedBefore(CheckPurpose purpose) {
    if (!project().projectOpen) return true;
    return checkBeforeCommand(project(), purpose, ui_);
}

void CLK_AppDlg::rememberOpenProject() {
    if (!project().projectOpen) return;
    recent_.add(project().projectFilePath);
    storeRecentProjects(recent_.entries());
    fillRecentMenu();
}

void CLK_AppDlg::fillRecentMenu() {
    QMenu* menu = w_.recentMenu;
    menu->clear();
    const auto& entries = recent_.entries();
    for (std::size_t i = 0; i < entries.size(); ++i) {
        // "&1 /path/demo.winproj/demo.winproj": a digit to reach it by key.
        const QString path = QString::fromStdString(entries[i]);
        QAction* item = menu->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(path));
        item->setObjectName(QStringLiteral("recent_%1").arg(i));
        connect(item, &QAction::triggered, this, [this, i] { openRecentProject(i); });
    }
    menu->menuAction()->setEnabled(!entries.empty());
}

bool CLK_AppDlg::openRecentProject(std::size_t index) {
    if (index >= recent_.entries().size()) return false;
    const std::string path = recent_.entries()[index];
    stopPlaybackAndWait();
    const Done opened = zadaravod::openRecentProject(*editor_, recent_, path);
    storeRecentProjects(recent_.entries());
    fillRecentMenu();
    if (!opened) ui_.tell(opened.error());
    return opened.ok();
}

}  // namespace zadaravod

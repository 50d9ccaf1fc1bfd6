// The window's ways of bringing sound in beyond the Load commands: files
// dropped from the desktop, the import options (trim, loudness), speech and
// the processing of a library sound.
#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>

#include "commands/BackgroundMusic.h"
#include "commands/Drops.h"
#include "commands/Library.h"
#include "commands/PromptTools.h"
#include "gui/CLK_AppDlg.h"
#include "gui/CommandIds.h"
#include "gui/ListControls.h"
#include "gui/ProcessSoundDialog.h"
#include "gui/SpeakDialog.h"
#include "gui/WindowSettings.h"

namespace zadaravod {

SoundTreatment CLK_AppDlg::importTreatment() const {
    SoundTreatment treatment;
    treatment.trim = commandAction(cmd::kTrimOnImport)->isChecked();
    treatment.normalize = commandAction(cmd::kNormalizeOnImport)->isChecked();
    return treatment;
}

void CLK_AppDlg::restoreImportOptions() {
    const ImportOptions stored = storedImportOptions();
    commandAction(cmd::kTrimOnImport)->setChecked(stored.trim);
    commandAction(cmd::kNormalizeOnImport)->setChecked(stored.normalize);
}

void CLK_AppDlg::importOptionsChanged() {
    const SoundTreatment t = importTreatment();
    storeImportOptions({t.trim, t.normalize});
    std::string text = "Sounds loaded from now on are ";
    if (t.trim && t.normalize) {
        text += "trimmed of leading and trailing silence and evened out in loudness.";
    } else if (t.trim) {
        text += "trimmed of leading and trailing silence.";
    } else if (t.normalize) {
        text += "evened out in loudness.";
    } else {
        text += "taken as their files hold them.";
    }
    ui_.status(text);
}

// --- drops ---------------------------------------------------------------------

void CLK_AppDlg::dragEnterEvent(QDragEnterEvent* event) {
    if (!droppedLocalFiles(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void CLK_AppDlg::dragMoveEvent(QDragMoveEvent* event) {
    if (!droppedLocalFiles(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void CLK_AppDlg::dropEvent(QDropEvent* event) {
    const QStringList files = droppedLocalFiles(event->mimeData());
    if (files.isEmpty()) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    dropFiles(DropTarget::Window, files);
}

void CLK_AppDlg::dropFiles(DropTarget target, const QStringList& files) {
    std::vector<std::string> paths;
    for (const QString& f : files) paths.push_back(f.toStdString());
    const DropPlan plan = planDrop(paths, target);
    switch (plan.action) {
        case DropPlan::Action::None:
            return;
        case DropPlan::Action::Refuse:
            ui_.message(plan.message, "Drop", MessageIcon::Warning);
            return;
        case DropPlan::Action::OpenProject:
            // The open command saves the current project first; a failed
            // save keeps it open and says why.
            openProjectFile(plan.files.front());
            return;
        case DropPlan::Action::ImportSounds: {
            if (!project().projectOpen) {
                ui_.message("Open or create a project first, then drop the sounds on it.", "Drop",
                            MessageIcon::Warning);
                return;
            }
            if (!commandAction(cmd::kLibraryLoad)->isEnabled()) return;
            stopPlaybackAndWait();
            edit(EditKind::ImportSounds, [&] {
                const Result<ImportReport> report =
                    importSounds(project(), ui_, plan.files, importTreatment());
                if (!report) ui_.tell(report.error());
            });
            applyRefreshes(kRefreshLibrary);
            return;
        }
        case DropPlan::Action::LoadMusic:
            if (!project().projectOpen || !commandAction(cmd::kMusicLoad)->isEnabled()) return;
            if (!project().backgroundMusic.empty()) {
                ui_.message(
                    "Background music is loaded already: clear it first, then drop the "
                    "new file.",
                    "Drop", MessageIcon::Warning);
                return;
            }
            stopPlaybackAndWait();
            edit(EditKind::LoadMusic, [&] {
                loadBackgroundMusicFrom(project(), ui_, plan.files.front(), importTreatment());
            });
            applyRefreshes(kRefreshMusic | kRefreshLibrary);
            return;
    }
}

// --- speech and processing -------------------------------------------------------

void CLK_AppDlg::speakText() {
    if (!project().projectOpen) return;
    stopPlaybackAndWait();
    SpeakDialog dialog(*player_, this);
    dialog.setTakenNames(takenSoundNames(project()));
    dialog.setRates(libraryImportRates());
    dialog.setTreatment(importTreatment());
    if (dialog.exec() != QDialog::Accepted) return;
    const SpeechRequest request = dialog.request();
    const std::string name = dialog.fileName();
    edit(EditKind::SpeakText,
         [&] { showRefusal(speakIntoLibrary(project(), ui_, request, name, importTreatment())); });
    applyRefreshes(kRefreshLibrary);
}

void CLK_AppDlg::processSound() {
    if (!project().projectOpen) return;
    const std::optional<int> row = w_.libraryView->firstSelectedRow();
    if (!row || static_cast<std::size_t>(*row) >= project().library.count()) {
        ui_.message("Select the sound to process in the library first.", "Process",
                    MessageIcon::Warning);
        return;
    }
    stopPlaybackAndWait();
    ProcessSoundDialog dialog(this);
    dialog.setSoundName(QString::fromStdString(project().library.at(*row).name));
    SoundTreatment start = importTreatment();
    if (!start.any()) start.trim = start.normalize = true;
    dialog.setTreatment(start);
    if (dialog.exec() != QDialog::Accepted) return;
    const SoundTreatment chosen = dialog.treatment();
    edit(EditKind::ProcessSound,
         [&] { showRefusal(processLibrarySound(project(), ui_, *row, chosen)); });
    applyRefreshes(kRefreshLibrary | kRefreshGauge);
}

}  // namespace zadaravod

// What the main window's commands and controls do: the command table (each
// command's handler and the views it refreshes), the one place where those
// refreshes are applied, the controls' notifications, and the handlers that
// open the window's own dialogs.

#include <QAction>
#include <QComboBox>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QToolBar>
#include <QUrl>

#include "commands/BackgroundMusic.h"
#include "commands/Build.h"
#include "commands/Conversion.h"
#include "commands/Export.h"
#include "commands/Library.h"
#include "commands/Settings.h"
#include "gui/AboutDlg.h"
#include "gui/CLK_AppDlg.h"
#include "gui/CommandIds.h"
#include "gui/EquationSetupDlg.h"
#include "gui/KeySetupDlg.h"
#include "gui/Language.h"
#include "gui/ListControls.h"
#include "gui/OptionsDlg.h"
#include "rules/Silence.h"

namespace zadaravod {

void CLK_AppDlg::addCommands() {
    CommandTable& t = commands_;
    const auto selectedEntry = [this] { return w_.playlistView->firstSelectedRow(); };

    // Project files and the window.
    // Leaving the project stops playback and waits for its worker first.
    t.add({cmd::kNew, cmd::kToolNew}, kRefreshNothing, [this] {
        stopPlaybackAndWait();
        if (editor_->newProject(ui_)) rememberOpenProject();
    });
    t.add({cmd::kOpen, cmd::kToolOpen}, kRefreshNothing, [this] {
        stopPlaybackAndWait();
        if (editor_->openProject(ui_)) rememberOpenProject();
    });
    t.add({cmd::kSave}, kRefreshNothing, [this] { showRefusal(editor_->save()); });
    t.add({cmd::kSaveAs}, kRefreshNothing, [this] { editor_->saveAsProject(ui_); });
    t.add({cmd::kCloseProject}, kRefreshNothing, [this] {
        stopPlaybackAndWait();
        showRefusal(editor_->close());
    });
    t.add({cmd::kExit}, kRefreshNothing, [this] { close(); });
    t.add({cmd::kViewToolbar}, kRefreshNothing, [this] { toggleToolbar(); });
    t.add({cmd::kViewStatusBar}, kRefreshNothing, [this] { toggleStatusBar(); });
    for (const cmd::ModeCommand& m : cmd::kModeCommands) {
        t.add({m.id}, kRefreshNothing, [this, mode = m.controlMode] {
            edit(EditKind::ControlMode, [&] { editor_->setControlMode(mode); });
        });
    }

    // Help and the outside programs.
    t.add({cmd::kAbout, cmd::kAboutAlt}, kRefreshNothing, [this] { showAbout(); });
    t.add({cmd::kHelp, cmd::kToolHelp}, kRefreshNothing, [this] { openHelp(); });
    t.add({cmd::kDownload, cmd::kToolDownload}, kRefreshNothing, [this] {
        if (!checkedBefore(CheckPurpose::Download)) return;
        startDownloadUtility(editor_->paths(), project(), *launcher_, ui_);
    });
    t.add({cmd::kChooseImage}, kRefreshNothing,
          [this] { edit(EditKind::ImageFile, [&] { chooseImageFile(project(), ui_); }); });
    t.add({cmd::kCompanion}, kRefreshNothing, [this] {
        setInterfaceLanguage(QString::fromLatin1(kLanguageRussian));
        startCompanion(editor_->paths(), *launcher_);
    });
    t.add({cmd::kEnglish}, kRefreshNothing,
          [this] { setInterfaceLanguage(QString::fromLatin1(kLanguageEnglish)); });
    t.add({cmd::kConvert}, kRefreshNothing, [this] { runConversionTool(ui_); });
    t.add({cmd::kExcel}, kRefreshNothing, [this] { exportRecordSheet(); });

    // The image and the settings. A new image enables "Excel".
    t.add({cmd::kBuild, cmd::kToolBuild}, kRefreshCommandState, [this] {
        if (checkedBefore(CheckPurpose::Build)) {
            showRefusal(buildImage(project(), editor_->paths(), ui_));
        }
    });
    t.add({cmd::kCheckProject}, kRefreshNothing, [this] { showProjectCheck(project(), ui_); });
    t.add({cmd::kUndo}, kRefreshNothing, [this] { undoEdit(); });
    t.add({cmd::kRedo}, kRefreshNothing, [this] { redoEdit(); });
    t.add({cmd::kOptions, cmd::kToolOptions}, kRefreshNothing, [this] { optionsDialog(); });
    t.add({cmd::kKeySetup}, kRefreshNothing,
          [this] { keySetupDialog(project().options.controlMode); });
    t.add({cmd::kEquationSetup}, kRefreshNothing, [this] { equationDialog(); });

    // The library and the background music. A failed file removal has taken
    // the record all the same, so the views are refilled whatever the result.
    t.add({cmd::kLibraryLoad}, kRefreshLibrary, [this] {
        edit(EditKind::ImportSounds, [&] { loadLibrarySounds(project(), ui_, importTreatment()); });
    });
    t.add({cmd::kLibraryDelete}, kRefreshLibrary | kRefreshPlaylist, [this] {
        edit(EditKind::DeleteSound,
             [&] { deleteLibrarySound(project(), ui_, w_.libraryView->firstSelectedRow()); });
    });
    t.add({cmd::kLibraryClear}, kRefreshLibrary | kRefreshPlaylist,
          [this] { edit(EditKind::ClearLibrary, [&] { clearLibrary(project(), ui_); }); });
    t.add({cmd::kMusicLoad}, kRefreshMusic | kRefreshLibrary, [this] {
        edit(EditKind::LoadMusic, [&] { loadBackgroundMusic(project(), ui_, importTreatment()); });
    });
    t.add({cmd::kMusicClear}, kRefreshMusic | kRefreshLibrary,
          [this] { edit(EditKind::ClearMusic, [&] { clearBackgroundMusic(project()); }); });

    // The current playlist. An insertion rebuilds the playlist view and the
    // library view, also when nothing was inserted; a refused deletion
    // leaves the view as it is (and "Excel" as it was).
    t.add({cmd::kInsertTrack}, kRefreshPlaylist | kRefreshLibrary, [this, selectedEntry] {
        edit(EditKind::InsertSound, [&] { playlists_->insertTrack(ui_, selectedEntry()); });
    });
    t.add({cmd::kInsertSilence}, kRefreshPlaylist | kRefreshLibrary, [this, selectedEntry] {
        edit(EditKind::InsertSilence, [&] { playlists_->insertFreeSilence(ui_, selectedEntry()); });
    });
    for (const FixedSilence& s : kFixedSilences) {
        t.add({s.commandId}, kRefreshPlaylist | kRefreshLibrary,
              [this, selectedEntry, ms = s.durationMs] {
                  edit(EditKind::InsertSilence,
                       [&] { showRefusal(playlists_->insertSilence(ms, selectedEntry())); });
              });
    }
    t.addConditional(
        {cmd::kPlaylistDelete}, kRefreshGauge, kRefreshPlaylist, [this, selectedEntry] {
            return editIf(EditKind::DeleteEntry,
                          [&] { return playlists_->deleteEntry(ui_, selectedEntry()); });
        });
    t.addConditional({cmd::kPlaylistClear}, kRefreshGauge, kRefreshPlaylist, [this] {
        return editIf(EditKind::ClearList, [&] { return playlists_->clearList(ui_); });
    });
    t.addConditional({cmd::kPlaylistClearAll}, kRefreshGauge, kRefreshPlaylist, [this] {
        return editIf(EditKind::ClearAllLists, [&] { return playlists_->clearAllLists(ui_); });
    });

    // Playback.
    t.add({cmd::kLibraryPlay}, kRefreshNothing, [this] { playLibrary(); });
    t.add({cmd::kPlaylistPlay}, kRefreshNothing, [this] { playPlaylist(); });
    t.add({cmd::kMusicPlay}, kRefreshNothing, [this] { playBackground(); });
    // Sound brought in by speech or processed in place.
    t.add({cmd::kSpeakText}, kRefreshNothing, [this] { speakText(); });
    t.add({cmd::kProcessSound}, kRefreshNothing, [this] { processSound(); });
    t.add({cmd::kTrimOnImport, cmd::kNormalizeOnImport}, kRefreshNothing,
          [this] { importOptionsChanged(); });
    t.add({cmd::kPlayAsChip}, kRefreshNothing, [this] {
        ui_.status(playsAsChip() ? "Sounds now play as the chip will play them."
                                 : "Sounds now play as their files hold them.");
    });
}

void CLK_AppDlg::route(int id) {
    commands_.run(id, [this](Refreshes refreshes) { applyRefreshes(refreshes); });
}

void CLK_AppDlg::applyRefreshes(Refreshes refreshes) {
    if (refreshes & kRefreshLibrary) fillLibraryView();
    if (refreshes & kRefreshPlaylist) fillPlaylistView();
    if (refreshes & kRefreshMusic) fillBackgroundMusicView();
    if (refreshes & kRefreshGauge) updateMemoryGauge();
    if (refreshes & kRefreshCommandState) refreshCommandState(true);
}

void CLK_AppDlg::connectControls() {
    connect(w_.listCombo, &QComboBox::currentIndexChanged, this, [this](int n) {
        if (n >= 0) switchList(n);
    });
    connect(w_.listBox, &QListWidget::currentRowChanged, this, [this](int n) {
        if (n >= 0) switchList(n);
    });
    connect(w_.listSpin, &ListSpin::stepped, this, [this](int delta) {
        playlists_->stepSpin(delta);
        switchList(playlists_->currentList());
    });
    connect(w_.plusButton, &QPushButton::clicked, this, [this] {
        if (playlists_->stepPlus()) switchList(playlists_->currentList());
    });
    connect(w_.minusButton, &QPushButton::clicked, this, [this] {
        if (playlists_->stepMinus()) switchList(playlists_->currentList());
    });
    connect(w_.flashCombo, &QComboBox::currentIndexChanged, this, [this](int index) {
        updateMemoryGauge();
        if (index >= 0) edit(EditKind::FlashSize, [&] { editor_->setFlashSize(index); });
    });

    connect(w_.libraryView, &QAbstractItemView::activated, this, [this](const QModelIndex& index) {
        if (!w_.libraryView->commandsEnabled() || !index.isValid()) return;
        Refreshes refreshes = kRefreshGauge;
        if (!project().library.empty()) {
            edit(EditKind::AppendSound,
                 [&] { showRefusal(playlists_->appendLibrarySound(index.row())); });
            refreshes |= kRefreshPlaylist;
        }
        applyRefreshes(refreshes);
    });
    connect(w_.playlistView, &QAbstractItemView::activated, this, [this](const QModelIndex&) {
        if (!w_.playlistView->commandsEnabled()) return;
        edit(EditKind::ReplaceEntry,
             [&] { playlists_->replaceEntry(ui_, w_.playlistView->firstSelectedRow()); });
        applyRefreshes(kRefreshPlaylist | kRefreshLibrary);
    });
    connect(w_.playlistView, &CListCtrl::librarySoundDropped, this, [this](int row) {
        if (project().library.empty()) return;
        edit(EditKind::AppendSound, [&] { showRefusal(playlists_->appendLibrarySound(row)); });
        applyRefreshes(kRefreshPlaylist);
    });
    connect(w_.playlistView, &CListCtrl::entryMoved, this, [this](int from, int to) {
        if (editIf(EditKind::MoveEntry, [&] { return playlists_->moveEntry(from, to); })) {
            applyRefreshes(kRefreshPlaylist);
        }
    });
    connect(w_.libraryView, &CListCtrl::filesDropped, this,
            [this](const QStringList& files) { dropFiles(DropTarget::Library, files); });
    connect(w_.musicView, &CListCtrl::filesDropped, this,
            [this](const QStringList& files) { dropFiles(DropTarget::Music, files); });
    for (CListCtrl* view :
         {static_cast<CListCtrl*>(w_.libraryView), static_cast<CListCtrl*>(w_.playlistView)}) {
        connect(view, &CListCtrl::stopRequested, this, &CLK_AppDlg::stopPlayback);
    }
}

void CLK_AppDlg::switchList(int n) {
    playlists_->setCurrentList(n);
    const int current = playlists_->currentList();
    {
        const QSignalBlocker blockCombo(w_.listCombo);
        const QSignalBlocker blockBox(w_.listBox);
        w_.listCombo->setCurrentIndex(current);
        w_.listBox->setCurrentRow(current);
    }
    applyRefreshes(kRefreshPlaylist);
}

void CLK_AppDlg::toggleToolbar() {
    toolbarVisible_ = !toolbarVisible_;
    w_.toolBar->setVisible(toolbarVisible_);
    w_.actions.at(cmd::kViewToolbar)->setChecked(toolbarVisible_);
}

void CLK_AppDlg::toggleStatusBar() {
    statusBarVisible_ = !statusBarVisible_;
    statusBar()->setVisible(statusBarVisible_);
    w_.progressBar->setVisible(statusBarVisible_);
    w_.actions.at(cmd::kViewStatusBar)->setChecked(statusBarVisible_);
}

void CLK_AppDlg::showAbout() {
    CAboutDlg about(this);
    connect(&about, &CAboutDlg::linkActivated, this, [this] { openHomePage(*launcher_); });
    about.exec();
}

void CLK_AppDlg::openHelp() {
    // No existence check and no message: the viewer reports a missing page.
    const QString page = QString::fromStdString(editor_->paths().helpPath());
    launcher_->openUrl(QUrl::fromLocalFile(page).toString().toStdString());
}

// --- playback ----------------------------------------------------------------

PlaybackEvents CLK_AppDlg::playbackEvents() {
    // Called on the worker: nothing here touches a widget directly.
    PlaybackEvents events;
    events.progress = [this](int position, int upper) {
        QMetaObject::invokeMethod(
            this,
            [this, position, upper] {
                w_.progressBar->setRange(0, upper);
                w_.progressBar->setValue(position);
            },
            Qt::QueuedConnection);
    };
    events.message = [this](const std::string& text, const std::string& caption) {
        QMetaObject::invokeMethod(
            this, [this, text, caption] { ui_.message(text, caption, MessageIcon::None); },
            Qt::QueuedConnection);
    };
    return events;
}

bool CLK_AppDlg::playsAsChip() const { return commandAction(cmd::kPlayAsChip)->isChecked(); }

namespace {
int selectedRow(const CListCtrl* view) { return view->firstSelectedRow().value_or(-1); }
}  // namespace

void CLK_AppDlg::playLibrary() {
    playback_->playLibrary(project().library, selectedRow(w_.libraryView),
                           playsAsChip() ? PlayMode::AsChip : PlayMode::File);
}

void CLK_AppDlg::playPlaylist() {
    const CSoundList& list =
        project().playlists[static_cast<std::size_t>(playlists_->currentList())];
    const PlayOutcome outcome = playback_->playPlaylist(
        list, selectedRow(w_.playlistView), playsAsChip() ? PlayMode::AsChip : PlayMode::File);
    // The commands stay off until the list has played (the timer) or a stop.
    if (outcome == PlayOutcome::Started) refreshCommandState(false);
}

void CLK_AppDlg::playBackground() {
    playback_->playBackground(project().backgroundMusic, selectedRow(w_.musicView));
}

void CLK_AppDlg::stopPlayback() {
    playback_->requestStop();
    refreshCommandState(project().projectOpen);
}

void CLK_AppDlg::stopPlaybackAndWait() { playback_->stopAndJoin(); }

void CLK_AppDlg::exportRecordSheet() {
    const RecordSheetResult result =
        exportProject(project(), editor_->paths(), ui_, recordSheetExported_);
    if (result.ran) recordSheetExported_ = true;
    if (!result.showPath.empty()) {
        const std::string url =
            QUrl::fromLocalFile(QString::fromStdString(result.showPath)).toString().toStdString();
        if (!launcher_->openUrl(url)) {
            ui_.message("No program could be started to show " + result.showPath +
                            ". Open it with your spreadsheet program.",
                        kAppCaption, MessageIcon::Warning);
        }
    } else if (result.written) {
        ui_.status("The record sheet was written to " + recordSheetPath(project().projectFilePath));
    }
}

void CLK_AppDlg::optionsDialog() {
    COptionsDlg dialog(this);
    dialog.setUserInterface(&ui_);
    dialog.setFromOptions(project().options);
    connect(&dialog, &COptionsDlg::keySetupRequested, this,
            [this](int mode) { keySetupDialog(mode); });
    const int result = dialog.exec();
    COptions chosen = project().options;
    dialog.applyTo(chosen);
    edit(EditKind::Options, [&] { acceptOptionsDialog(*editor_, result, chosen); });
}

void CLK_AppDlg::keySetupDialog(int controlMode) {
    CKeySetupDlg dialog(this);
    dialog.setKeyFunctions(project().keys.keyFunction);
    dialog.setControlMode(controlMode);
    const int result = dialog.exec();
    edit(EditKind::KeyFunctions,
         [&] { acceptKeySetupDialog(*editor_, result, dialog.keyFunctions()); });
}

void CLK_AppDlg::equationDialog() {
    CEquationSetupDlg dialog(this);
    dialog.setUserInterface(&ui_);
    dialog.setListOfKey(project().equation.listOfKey);
    dialog.setControlMode(project().options.controlMode);
    const int result = dialog.exec();
    edit(EditKind::KeyLists, [&] { acceptEquationDialog(*editor_, result, dialog.listOfKey()); });
}

}  // namespace zadaravod

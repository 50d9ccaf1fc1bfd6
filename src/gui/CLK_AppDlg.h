#pragma once

#include <QMainWindow>
#include <functional>
#include <memory>

#include "audio/Player.h"
#include "commands/Drops.h"
#include "commands/Handoff.h"
#include "commands/Playback.h"
#include "commands/Playlists.h"
#include "commands/ProjectCheck.h"
#include "commands/ProjectFiles.h"
#include "commands/PromptTools.h"
#include "commands/RecentProjects.h"
#include "commands/Result.h"
#include "gui/CommandTable.h"
#include "gui/MainWindowBuilder.h"
#include "gui/QtUserInterface.h"

class QTimer;

namespace zadaravod {

class CMenuTipManager;
class CommandState;

/// The editor's main window. It owns the open project (through the
/// ProjectFiles editor), shows it in the three list views and the memory
/// gauge, and routes every menu, toolbar, accelerator, context menu and
/// control command through its command table to the flow that handles it.
/// The window itself decides nothing about the project: the flows do, and
/// the window refills its views from the model afterwards.
///
/// Its parts: MainWindowBuilder.cpp makes the widgets, MainWindowCommands.cpp
/// says what each command and control does, CommandState decides what is
/// enabled; this file holds the project, the views and the window events.
class CLK_AppDlg : public QMainWindow, public ProjectView {
    Q_OBJECT
  public:
    /// `paths` names the application folder with the fixed files.
    explicit CLK_AppDlg(AppPaths paths, QWidget* parent = nullptr);
    ~CLK_AppDlg() override;

    ProjectFiles& editor() { return *editor_; }
    Project& project() { return editor_->project(); }
    PlaylistEditor& playlistEditor() { return *playlists_; }
    QtUserInterface& userInterface() { return ui_; }

    /// Opens the project file `path` as Open does, without the file dialog
    /// (a project named on the command line). False when it did not open.
    bool openProjectFile(const std::string& path);

    /// The action of command `id` (objectName "action_<id>"); null if unknown.
    QAction* commandAction(int id) const;
    /// Routes command `id` as if its menu item, button or key was used. A
    /// grayed command does nothing. Returns false for an unknown id.
    bool runCommand(int id);
    /// What each command does and refreshes (read-only, for tests).
    const CommandTable& commandTable() const { return commands_; }
    /// The recent projects of "Последние проекты", newest first.
    const RecentProjects& recentProjects() const { return recent_; }
    /// Opens recent project `index` (0 = newest) as its menu item does.
    bool openRecentProject(std::size_t index);

    // ProjectView: what the project commands ask of the window.
    void setTitle(const std::string& title) override;
    /// The command-state refresh: the one place that enables or grays the
    /// project commands, the toolbar buttons, the controls and the views'
    /// context-menu flags (CommandState), then the mode caption.
    void refreshCommandState(bool withProject) override;
    void refillViews() override;
    void clearViews() override;
    void selectList(int n) override;
    void selectFlashSize(int index) override;
    void setBackgroundMusicViewEnabled(bool enabled) override;
    void checkModeItem(int controlMode) override;
    void setModeCaption(const std::string& caption) override;

    /// Rebuilds the library view, applies the background music enabling rule
    /// and updates the gauge.
    void fillLibraryView();
    /// Rebuilds the playlist view from the current list, updates the gauge
    /// and grays "Excel" (the last image is stale).
    void fillPlaylistView();
    void fillBackgroundMusicView();
    /// Recomputes both status bar texts from the library and the flash size.
    void updateMemoryGauge();

    /// One tick of the 30 ms playback watch: after a playlist ran to its end
    /// and the player stayed silent for ten ticks, the commands come back.
    void onTimer();
    int idleTicks() const { return playback_->idleTicks(); }
    /// Replaces the audio player (the window plays through SDL2 by default)
    /// and the playback engine over it; whatever plays stops first. Tests
    /// put a fake player here. The converter path is the application
    /// folder's when `options` names none.
    void setPlayer(std::unique_ptr<Player> player, PlaybackOptions options = {});
    Playback& playback() { return *playback_; }
    /// Whether "Как на микросхеме" is checked: sounds play as the chip will
    /// play them, after the element codec.
    bool playsAsChip() const;
    /// Starts the outside programs and opens the help page and the home
    /// page. Not owned; the default starts them for real (QProcess,
    /// QDesktopServices). Tests put a recording one here.
    void setLauncher(Launcher* launcher);
    Launcher& launcher() { return *launcher_; }

    /// Makes `code` ("ru" or "en") the interface language at once: every
    /// window text is shown again in it, the language menu checks it, and it
    /// is kept for the next start. An unknown code changes nothing.
    void setInterfaceLanguage(const QString& code);

    bool toolbarVisible() const { return toolbarVisible_; }
    bool statusBarVisible() const { return statusBarVisible_; }

    CListCtrl_Snd_Lib* libraryView() const { return w_.libraryView; }
    CListCtrl_Playlist* playlistView() const { return w_.playlistView; }
    CListCtrl_Backgroundmusic* musicView() const { return w_.musicView; }
    QComboBox* listCombo() const { return w_.listCombo; }
    QListWidget* listBox() const { return w_.listBox; }
    QComboBox* flashCombo() const { return w_.flashCombo; }
    QLabel* lengthPane() const { return w_.lengthPane; }
    QLabel* usagePane() const { return w_.usagePane; }
    QLineEdit* modeCaption() const { return w_.modeCaption; }
    QToolBar* toolBar() const { return w_.toolBar; }
    QProgressBar* progressBar() const { return w_.progressBar; }
    CMenuTipManager* menuTips() const { return menuTips_.get(); }

    /// Files dropped from the desktop on `target` (MainWindowPrompts.cpp).
    void dropFiles(DropTarget target, const QStringList& files);
    /// The import options of the library menu's two check items.
    SoundTreatment importTreatment() const;

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    /// A language change (from setInterfaceLanguage() or any other
    /// translation installed in the application) re-sets every text.
    void changeEvent(QEvent* event) override;

  private:
    // MainWindowCommands.cpp: the command table, the controls' notifications
    // and the handlers that open the window's own dialogs.
    void addCommands();
    void connectControls();
    /// Runs command `id` from the table, then applies its refreshes.
    void route(int id);
    /// The one place where a command's refreshes are applied, in the order
    /// of the Refresh bits.
    void applyRefreshes(Refreshes refreshes);
    /// Switches the current list to `n` in the combo, the list box and the
    /// playlist editor, then rebuilds the playlist view.
    void switchList(int n);
    void toggleToolbar();
    void toggleStatusBar();
    void showAbout();
    void openHelp();
    /// Escape in a list view: stop whatever plays, commands back on.
    void stopPlayback();
    /// Before the project is left or the window goes: stops playback and
    /// waits for the worker, which then no longer reads anything of it.
    void stopPlaybackAndWait();
    void playLibrary();
    void playPlaylist();
    void playBackground();
    /// The engine's results, carried to the window's thread by queued calls.
    PlaybackEvents playbackEvents();

    // The interface language (MainWindowLanguage.cpp).
    /// Sets every text of the window again in the current language.
    void retranslate();
    /// Checks the language menu's item of the current language.
    void showLanguageChecks();

    // Undo and redo (MainWindowEdits.cpp).
    /// Runs `change` as one edit of the history named `kind`; an edit inside
    /// an edit (a dialog opened from a dialog) belongs to the outer one.
    void edit(EditKind kind, const std::function<void()>& change);
    /// The same for a change that says whether it changed something.
    bool editIf(EditKind kind, const std::function<bool()>& change);
    void undoEdit();
    void redoEdit();
    /// Shows the whole model again after an undo or redo: the mode's check
    /// mark, caption and music view, the flash size, the three views.
    void showWholeProject();
    /// The project check before Build and Download; true when it may run.
    bool checkedBefore(CheckPurpose purpose);
    /// A project was opened or created: it goes to the top of the recent list.
    void rememberOpenProject();
    void fillRecentMenu();
    /// "Excel": the record sheet beside the project file; from the second
    /// export of a run on, the written sheet is shown.
    void exportRecordSheet();
    // MainWindowPrompts.cpp: import options, speech, processing.
    void restoreImportOptions();
    void importOptionsChanged();
    void speakText();
    void processSound();
    void optionsDialog();
    void keySetupDialog(int controlMode);
    void equationDialog();
    /// Shows a command's refusal (unless it has nothing to say); true when
    /// the command succeeded.
    template <typename T>
    bool showRefusal(const Result<T>& result) {
        if (!result && !result.error().text.empty()) ui_.tell(result.error());
        return result.ok();
    }

    QtUserInterface ui_;
    std::unique_ptr<Player> player_;
    /// Declared after the player it plays on, so it goes first.
    std::unique_ptr<Playback> playback_;
    std::unique_ptr<ProjectFiles> editor_;
    std::unique_ptr<PlaylistEditor> playlists_;
    MainWindowWidgets w_;
    std::unique_ptr<CommandState> commandState_;
    CommandTable commands_;
    std::unique_ptr<CMenuTipManager> menuTips_;
    std::unique_ptr<Launcher> defaultLauncher_;
    Launcher* launcher_ = nullptr;
    QTimer* timer_ = nullptr;

    bool toolbarVisible_ = true;
    bool statusBarVisible_ = true;
    /// An export has run since the window opened.
    bool recordSheetExported_ = false;
    RecentProjects recent_;
    int editDepth_ = 0;
};

}  // namespace zadaravod

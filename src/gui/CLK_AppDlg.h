#pragma once

#include <QMainWindow>
#include <QUrl>
#include <atomic>
#include <functional>
#include <map>
#include <memory>

#include "commands/Handoff.h"
#include "commands/ProjectFiles.h"
#include "commands/Playlists.h"
#include "commands/Settings.h"
#include "gui/QtUserInterface.h"

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QProgressBar;
class QPushButton;
class QTimer;
class QToolBar;

namespace zadaravod {

class CListCtrl;
class CListCtrl_Backgroundmusic;
class CListCtrl_Playlist;
class CListCtrl_Snd_Lib;
class CMenuTipManager;
class ListSpin;

/// The editor's main window. It owns the open project (through the Editor),
/// shows it in the three list views and the memory gauge, and routes every
/// menu, toolbar, accelerator, context menu and control command to the flow
/// that handles it. The window itself decides nothing about the project: the
/// flows do, and the window refills its views from the model afterwards.
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

    // ProjectView: what the project commands ask of the window.
    void setTitle(const std::string& title) override;
    /// The command-state refresh: the one place that enables or grays the
    /// project commands, the toolbar buttons, the controls and the views'
    /// context-menu flags.
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

    /// One tick of the 30 ms playback watch.
    void onTimer();
    int idleTicks() const { return idleTicks_; }
    /// Set by a finished playlist playback; the timer then refreshes the
    /// command state with a project.
    std::atomic<bool> playlistDone{false};
    std::atomic<bool> playerReady{false};
    std::atomic<bool> stopRequested{false};
    /// Whether the library playback channel plays; nothing plays by default.
    std::function<bool()> libraryChannelPlaying = [] { return false; };
    /// Starts the outside programs and opens the help page and the home
    /// page. Not owned; the default starts them for real (QProcess,
    /// QDesktopServices). Tests put a recording one here.
    void setLauncher(Launcher* launcher);
    Launcher& launcher() { return *launcher_; }

    bool toolbarVisible() const { return toolbarVisible_; }
    bool statusBarVisible() const { return statusBarVisible_; }

    CListCtrl_Snd_Lib* libraryView() const { return libraryView_; }
    CListCtrl_Playlist* playlistView() const { return playlistView_; }
    CListCtrl_Backgroundmusic* musicView() const { return musicView_; }
    QComboBox* listCombo() const { return listCombo_; }
    QListWidget* listBox() const { return listBox_; }
    QComboBox* flashCombo() const { return flashCombo_; }
    QLabel* lengthPane() const { return lengthPane_; }
    QLabel* usagePane() const { return usagePane_; }
    QLineEdit* modeCaption() const { return modeCaption_; }
    QToolBar* toolBar() const { return toolBar_; }
    QProgressBar* progressBar() const { return progressBar_; }
    CMenuTipManager* menuTips() const { return menuTips_.get(); }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QAction* makeAction(int id, const QString& text, const QKeySequence& key = {});
    void createActions();
    void createMenus();
    void createToolBar();
    void createControls();
    void createStatusBar();
    void connectControls();
    void route(int id);

    /// Switches the current list to `n` in the combo, the list box and the
    /// playlist editor, then rebuilds the playlist view.
    void switchList(int n);
    void toggleToolbar();
    void toggleStatusBar();
    void showAbout();
    void openHelp();
    void stopPlayback();
    void buildImageCommand();
    void optionsDialog();
    void keySetupDialog(int controlMode);
    void equationDialog();
    void afterPlaylistEdit();
    /// Shows a command's refusal (unless it has nothing to say); true when
    /// the command succeeded.
    template <typename T>
    bool showRefusal(const Result<T>& result);

    QtUserInterface ui_;
    std::unique_ptr<ProjectFiles> editor_;
    std::unique_ptr<PlaylistEditor> playlists_;
    std::map<int, QAction*> actions_;
    std::unique_ptr<CMenuTipManager> menuTips_;
    std::unique_ptr<Launcher> defaultLauncher_;
    Launcher* launcher_ = nullptr;

    QToolBar* toolBar_ = nullptr;
    QMenu* languageMenu_ = nullptr;
    CListCtrl_Snd_Lib* libraryView_ = nullptr;
    CListCtrl_Playlist* playlistView_ = nullptr;
    CListCtrl_Backgroundmusic* musicView_ = nullptr;
    QProgressBar* progressBar_ = nullptr;
    QPushButton* plusButton_ = nullptr;
    QPushButton* minusButton_ = nullptr;
    QComboBox* listCombo_ = nullptr;
    QComboBox* flashCombo_ = nullptr;
    ListSpin* listSpin_ = nullptr;
    QListWidget* listBox_ = nullptr;
    QLineEdit* modeCaption_ = nullptr;
    QLabel* lengthPane_ = nullptr;
    QLabel* usagePane_ = nullptr;
    QTimer* timer_ = nullptr;

    bool toolbarVisible_ = true;
    bool statusBarVisible_ = true;
    int idleTicks_ = 0;
};

}  // namespace zadaravod

#pragma once

#include <map>

#include "gui/ListControls.h"

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMainWindow;
class QMenu;
class QProgressBar;
class QPushButton;
class QToolBar;

namespace zadaravod {

/// The widgets of the main window that the window works with. All are
/// children of the window, which owns them.
struct MainWindowWidgets {
    /// The action of every command, by id (objectName "action_<id>").
    std::map<int, QAction*> actions;
    QToolBar* toolBar = nullptr;
    QMenu* languageMenu = nullptr;
    /// "Последние проекты" of the File menu; the window fills it.
    QMenu* recentMenu = nullptr;
    CListCtrl_Snd_Lib* libraryView = nullptr;
    CListCtrl_Playlist* playlistView = nullptr;
    CListCtrl_Backgroundmusic* musicView = nullptr;
    QProgressBar* progressBar = nullptr;
    QPushButton* plusButton = nullptr;
    QPushButton* minusButton = nullptr;
    QComboBox* listCombo = nullptr;
    QComboBox* flashCombo = nullptr;
    ListSpin* listSpin = nullptr;
    QListWidget* listBox = nullptr;
    QLineEdit* modeCaption = nullptr;
    QLabel* lengthPane = nullptr;  ///< status bar pane 102
    QLabel* usagePane = nullptr;   ///< status bar pane 103
};

/// Builds the main window's face on `window`: the actions of every command
/// with their captions, keys and toolbar icons (each also added to the
/// window, so commands without a menu item are reachable by id), the menu
/// bar, the toolbar, the controls in their grid, the status bar with its two
/// panes, and the minimum and first size. Connects nothing: the window routes
/// the actions and the controls. The list views keep `actionOf` to find
/// their commands' actions later, once the window holds the result.
MainWindowWidgets buildMainWindow(QMainWindow& window, const ActionLookup& actionOf);

}  // namespace zadaravod

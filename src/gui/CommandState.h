#pragma once

#include <QString>
#include <vector>

#include "commands/EditHistory.h"
#include "gui/ListControls.h"

class QWidget;

namespace zadaravod {

struct Project;

/// The one place that enables or grays the main window's commands: the menu
/// and toolbar commands, the context-menu flags of the three list views and
/// the list and flash-size controls, all from whether a project is open and
/// commands may be used, and "Excel" also from the image file.
class CommandState {
  public:
    /// What the refresh enables and grays; not owned.
    struct Targets {
        ActionLookup action;  ///< the action of a command id
        CListCtrl* libraryView = nullptr;
        CListCtrl* playlistView = nullptr;
        CListCtrl* musicView = nullptr;
        /// Enabled exactly while the project commands are.
        std::vector<QWidget*> projectControls;
        /// The open project's edit history (undo and redo follow it).
        const EditHistory* history = nullptr;
    };

    /// `project` is read at each refresh and must outlive this object.
    CommandState(const Project& project, Targets targets);

    /// The command-state refresh. With `withProject` and an open project it
    /// enables the project commands (the view toggles too; the MP3 mode
    /// command 32834 never), "Excel" when the image file exists, the library
    /// and playlist views' commands, the music view's in modes 0 and 1, and
    /// the controls; otherwise it grays them all (the view toggles stay as
    /// they are). "Очистить все" is never grayed. Returns whether the project
    /// commands are enabled now.
    bool refresh(bool withProject);

    /// The playlist view was refilled: the last image no longer shows the
    /// playlists, so "Excel" is grayed until the next refresh, which enables
    /// it again while the image file exists.
    void playlistViewRefilled();

    /// The options dialog was accepted: the background music view's commands
    /// follow `enabled` (the mode chosen there) until the next refresh.
    void setMusicCommandsEnabled(bool enabled);

    /// An edit, an undo or a redo changed the history: undo and redo are
    /// enabled while the project commands are and there is a step to take,
    /// and name that step ("Отменить: вставка тишины").
    void historyChanged();

  private:
    bool excelEnabled() const;

    const Project& project_;
    Targets targets_;
    bool projectCommands_ = false;   ///< what the last refresh decided
    bool playlistRefilled_ = false;  ///< since the last refresh
};

/// The window's name of an edit, for the undo and redo items.
QString editCaption(EditKind kind);

}  // namespace zadaravod

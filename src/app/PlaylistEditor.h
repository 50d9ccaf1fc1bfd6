#pragma once

#include <optional>
#include <vector>

#include "model/Project.h"
#include "model/UserInterface.h"

namespace zadaravod {

/// The playlist edits of the main window in plain C++: the current list, the
/// placing rule with back-fill, the capacity check by image bytes, insert,
/// silences, delete, clear, replace, reorder. It asks the user only through
/// the UserInterface; the caller rebuilds the views after each call (every
/// method that changes something returns true).
///
/// `selected` is the first selected entry of the playlist view (0-based), or
/// nullopt when nothing is selected.
class PlaylistEditor {
public:
    PlaylistEditor(Project& project, UserInterface& ui);

    /// The current list, 0..219.
    int currentList() const { return current_; }
    /// Selects list n (clamped to 0..219).
    void setCurrentList(int n);
    /// The spin control: steps by `delta`, held within 0..219, past empty lists.
    void stepSpin(int delta);
    /// "+": only below 219 and when the current list is not empty. Returns
    /// whether the list changed.
    bool stepPlus();
    /// "-": only above 0.
    bool stepMinus();

    /// The bytes the current list's codes take in its image slot.
    int currentListBytes() const;

    /// 32800: capacity check, the library picker, placing.
    bool insertTrack(std::optional<int> selected);
    /// 32801: capacity check, the silence dialog, placing.
    bool insertFreeSilence(std::optional<int> selected);
    /// 32827..32832: a silence of `ms` placed without a dialog.
    bool insertFixedSilence(int ms, std::optional<int> selected);
    /// Activation or drop of library row `libraryIndex`: appended at the end
    /// with back-fill. `fromDrop` selects the message spelling of a drop.
    bool appendLibrarySound(int libraryIndex);
    /// 32795 / Delete: confirmation, then removes the selected entry.
    bool deleteEntry(std::optional<int> selected);
    /// 32796: confirmation, empties the current list, "Empty playlist".
    bool clearList();
    /// 32848: confirmation, empties all 220 lists.
    bool clearAllLists();
    /// Activation of a playlist entry: replace it by a picked sound or a new
    /// silence length, keeping its position.
    bool replaceEntry(std::optional<int> selected);
    /// Drop of entry `from` on entry `to` within the playlist view.
    bool moveEntry(int from, int to);

private:
    Project& project_;
    UserInterface& ui_;
    int current_ = 0;
};

}  // namespace zadaravod

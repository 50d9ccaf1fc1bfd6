#pragma once

#include <optional>

#include "commands/Result.h"
#include "commands/UserInterface.h"
#include "model/Project.h"

namespace zadaravod {

/// The playlist edits in plain C++: the current list, the placing rule with
/// back-fill, the capacity check by image bytes, insert, silences, delete,
/// clear, replace, reorder. The entry points take values and return Done or
/// the refusal; the dialog-asking versions take the UserInterface, show the
/// refusal and return whether something changed. The caller rebuilds the
/// views afterwards.
///
/// Capacity: a list's codes must fit its image slot, so every entry counts
/// the bytes the image writer gives it (3 for a sound, 2 for each code of a
/// silence: 300 ms takes 4) and a list never passes kListByteLimit. The check
/// made before a dialog opens assumes the smallest entry (3 for a track, 2
/// for a silence); a length or a replacement that needs more than is left is
/// refused afterwards with the same message, and nothing changes.
///
/// `selected` is the first selected entry of the playlist view (0-based), or
/// nullopt when nothing is selected. A selection that names no entry counts
/// as none. A refusal with an empty text means nothing happened and there is
/// nothing to say (the original does nothing silently there).
class PlaylistEditor {
  public:
    /// The most bytes one list's codes may take in its 256-byte slot.
    static constexpr int kListByteLimit = 255;
    static constexpr const char* kFullMessage = "Full, cannot insert more!";
    /// The spelling used by activation and drop of a library sound.
    static constexpr const char* kFullMessageAppend = "Full, cannot Insert More!";
    static constexpr const char* kEmptyMessage = "Empty playlist";

    PlaylistEditor(Project& project, Messenger& messenger);

    /// The current list, 0..219.
    int currentList() const { return current_; }
    /// Selects list n (clamped to 0..219).
    void setCurrentList(int n);
    /// The spin control: steps by `delta`, held within 0..219, past empty lists.
    void stepSpin(int delta);
    /// "+": only below 219 and when the current list is not empty. Returns
    /// whether the list changed.
    bool stepPlus();
    /// "-": only above 0. Returns whether the list changed.
    bool stepMinus();

    /// The bytes the current list's codes take in its image slot.
    int currentListBytes() const;

    // --- entry points --------------------------------------------------------

    /// Places a copy of library sound `libraryIndex` (0-based).
    Done insertSound(int libraryIndex, std::optional<int> selected);
    /// 32827..32832 and a chosen length: a silence of `ms` milliseconds.
    Done insertSilence(int ms, std::optional<int> selected);
    /// Activation or drop of library row `libraryIndex`: appended at the end
    /// with back-fill, never before a selected entry. An empty library or an
    /// index that names no sound does nothing.
    Done appendLibrarySound(int libraryIndex);
    /// Removes the selected entry (no question asked).
    Done removeEntry(std::optional<int> selected);
    /// Empties the current list and says "Empty playlist".
    Done clearCurrentList();
    /// Empties all 220 lists.
    Done clearEveryList();
    /// Puts a copy of library sound `libraryIndex` in the place of entry
    /// `selected`, or a silence of `ms`; the replacement may need no more
    /// bytes than the list has left, or than the old entry took.
    Done replaceWithSound(std::optional<int> selected, int libraryIndex);
    Done replaceWithSilence(std::optional<int> selected, int ms);
    /// Drop of entry `from` on entry `to` within the playlist view: the entry
    /// then stands at index `to`. Out-of-range indexes (a drop on empty
    /// space is -1) do nothing; true when the order changed.
    bool moveEntry(int from, int to);

    // --- the window's dialog-asking versions (true when something changed) ---

    /// 32800: capacity check, the library picker, placing.
    bool insertTrack(UserInterface& ui, std::optional<int> selected);
    /// 32801: capacity check, the silence dialog, placing.
    bool insertFreeSilence(UserInterface& ui, std::optional<int> selected);
    /// 32795 / Delete: confirmation, then removes the selected entry.
    bool deleteEntry(UserInterface& ui, std::optional<int> selected);
    /// 32796: confirmation, empties the current list, "Empty playlist".
    bool clearList(UserInterface& ui);
    /// 32848: confirmation, empties all 220 lists.
    bool clearAllLists(UserInterface& ui);
    /// Activation of a playlist entry: replace it by a picked sound or a new
    /// silence length, keeping its position.
    bool replaceEntry(UserInterface& ui, std::optional<int> selected);

  private:
    CSoundList& current() { return project_.playlists[static_cast<std::size_t>(current_)]; }
    const CSoundList& current() const {
        return project_.playlists[static_cast<std::size_t>(current_)];
    }
    /// The selection as an entry index of the current list, if it names one.
    std::optional<std::size_t> entryAt(std::optional<int> selected) const;
    /// Before the selected entry, else at the end with the back-fill.
    void place(const CSound& entry, std::optional<int> selected);
    /// Appends `entry` to the current list and back-fills the empty lists below.
    void appendWithBackFill(const CSound& entry);
    /// Done when `bytes` more fit the current list; else the refusal `message`.
    Done fits(int bytes, const char* message) const;
    /// Puts `replacement` in the place of entry `n`, within the byte limit.
    Done replaceAt(std::size_t n, const CSound& replacement);

    Project& project_;
    Messenger& messenger_;
    int current_ = 0;
};

/// The bytes `entry` takes in a playlist's image slot: 3 for a sound, 2 for
/// each code of a silence (whole seconds, then codes of at most 249 ms; none
/// for a length of 0 or less), as the image writer codes it.
int playlistEntryBytes(const CSound& entry);
/// The sum of playlistEntryBytes over `list`.
int playlistBytes(const CSoundList& list);

}  // namespace zadaravod

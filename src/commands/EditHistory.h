#pragma once

#include <array>
#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "commands/Result.h"
#include "model/Project.h"

namespace zadaravod {

/// The kinds of edit the history knows, so the window can name each in its
/// own language ("Undo Insert silence").
enum class EditKind {
    InsertSound,
    InsertSilence,
    AppendSound,
    DeleteEntry,
    ClearList,
    ClearAllLists,
    ReplaceEntry,
    MoveEntry,
    ImportSounds,
    DeleteSound,
    ClearLibrary,
    ProcessSound,
    SpeakText,
    LoadMusic,
    ClearMusic,
    Options,
    KeyFunctions,
    KeyLists,
    ControlMode,
    FlashSize,
    ImageFile,
};

/// The English name of an edit kind ("Insert silence").
const char* editKindName(EditKind kind);

/// Everything an edit can change in the model, with every list held shared
/// and read-only: two states taken one after the other share the lists the
/// edit between them did not touch, so a long history costs little more
/// than what its edits changed.
struct ProjectState {
    COptions options;
    CKey keys;
    CEquation equation;
    CFlashSize flashSize;
    std::shared_ptr<const CSoundList> library;
    std::array<std::shared_ptr<const CSoundList>, kPlaylistCount> playlists;
    std::shared_ptr<const CSoundList> backgroundMusic;

    bool operator==(const ProjectState& other) const;
};

/// The state of `project`, sharing every list equal to the same list of
/// `previous` (when given).
ProjectState captureState(const Project& project, const ProjectState* previous = nullptr);
/// Puts `state` back into `project` (paths and the open flag stay).
void restoreState(Project& project, const ProjectState& state);

/// The hidden folder inside the project folder that keeps the sound files an
/// edit removed or replaced, so that undo can bring them back. It lasts until
/// the project is closed.
std::string holdingFolderOf(const Project& project);
inline constexpr const char* kHoldingFolderName = ".zadaravod-undo";

/// Moves the sound folder's file `name` into the holding folder (made when
/// missing) instead of deleting it. A file already gone is no error. Returns
/// the name it has there ("" when there was no file), or why it could not
/// be moved.
Result<std::string> retireSoundFile(const Project& project, const std::string& name);

/// Undo and redo of the edits of the open project. Each step keeps the
/// project's state before and after the edit and the sound files the edit
/// added, removed or replaced; undo puts the state and the files back, redo
/// makes the edit again. The history lasts while the project is open.
///
/// An edit is recorded by running it inside record(): the state is taken
/// before and after, and the sound folder and holding folder are listed, so
/// the commands need to know nothing of the history beyond removing sound
/// files through retireSoundFile().
class EditHistory {
  public:
    static constexpr std::size_t kDefaultLimit = 200;

    explicit EditHistory(std::size_t limit = kDefaultLimit) : limit_(limit) {}

    /// A new history for the project just opened or created; a holding
    /// folder left behind by an earlier run is removed.
    void start(const Project& project);
    /// Ends the history and removes the holding folder with what it keeps.
    void end();
    bool active() const { return active_; }

    /// Runs `edit` (which returns something testable as a bool, or void) and
    /// keeps it as one step when it changed the project or its sound folder.
    template <typename Edit>
    auto record(Project& project, EditKind kind, Edit&& edit) -> decltype(edit()) {
        Recording recording = begin(project);
        if constexpr (std::is_void_v<decltype(edit())>) {
            edit();
            finish(project, kind, std::move(recording));
        } else {
            auto outcome = edit();
            finish(project, kind, std::move(recording));
            return outcome;
        }
    }

    bool canUndo() const { return next_ > 0; }
    bool canRedo() const { return next_ < steps_.size(); }
    /// The edit undo (redo) would take back (make again).
    std::optional<EditKind> undoKind() const;
    std::optional<EditKind> redoKind() const;
    /// Steps kept in all (undoable and redoable).
    std::size_t size() const { return steps_.size(); }

    /// Takes back the last edit: its files first, then the state. Nothing
    /// changes when a file cannot be moved back, or when the project was
    /// changed without the history (the history is then cleared).
    Done undo(Project& project);
    /// Makes the last undone edit again, on the same terms.
    Done redo(Project& project);

  private:
    struct Listing {
        std::vector<std::string> soundFiles;    ///< sorted
        std::vector<std::string> holdingFiles;  ///< sorted
    };
    struct Recording {
        ProjectState before;
        Listing files;
    };
    struct Step {
        EditKind kind;
        ProjectState before;
        ProjectState after;
        /// Sound files the edit took away (or replaced): name -> the name
        /// their old content has in the holding folder.
        std::map<std::string, std::string> removed;
        /// Sound files the edit made (or replaced), and after an undo the
        /// name their content has in the holding folder ("" while in place).
        std::map<std::string, std::string> added;
    };

    Recording begin(const Project& project);
    void finish(const Project& project, EditKind kind, Recording recording);
    Listing list(const Project& project) const;
    Done checkUnchanged(const Project& project, const ProjectState& expected);

    std::vector<Step> steps_;
    std::size_t next_ = 0;  ///< steps_[0..next_) are done, the rest undone
    std::size_t limit_;
    bool active_ = false;
    std::string holdingFolder_;
    std::string soundFolder_;
};

}  // namespace zadaravod

#include "commands/EditHistory.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <iterator>

namespace zadaravod {
namespace fs = std::filesystem;

const char* editKindName(EditKind kind) {
    switch (kind) {
        case EditKind::InsertSound:
            return "Insert sound";
        case EditKind::InsertSilence:
            return "Insert silence";
        case EditKind::AppendSound:
            return "Add sound to list";
        case EditKind::DeleteEntry:
            return "Delete entry";
        case EditKind::ClearList:
            return "Clear list";
        case EditKind::ClearAllLists:
            return "Clear all lists";
        case EditKind::ReplaceEntry:
            return "Replace entry";
        case EditKind::MoveEntry:
            return "Move entry";
        case EditKind::ImportSounds:
            return "Load sounds";
        case EditKind::DeleteSound:
            return "Delete sound";
        case EditKind::ClearLibrary:
            return "Clear library";
        case EditKind::ProcessSound:
            return "Process sound";
        case EditKind::SpeakText:
            return "Speak text";
        case EditKind::LoadMusic:
            return "Load music";
        case EditKind::ClearMusic:
            return "Clear music";
        case EditKind::Options:
            return "Options";
        case EditKind::KeyFunctions:
            return "Key functions";
        case EditKind::KeyLists:
            return "Key lists";
        case EditKind::ControlMode:
            return "Control mode";
        case EditKind::FlashSize:
            return "Flash size";
        case EditKind::ImageFile:
            return "Image file";
    }
    return "Edit";
}

// --- states ------------------------------------------------------------------

namespace {

bool sameList(const std::shared_ptr<const CSoundList>& a,
              const std::shared_ptr<const CSoundList>& b) {
    return a == b || (a && b && *a == *b);
}

std::shared_ptr<const CSoundList> shareList(const CSoundList& list,
                                            const std::shared_ptr<const CSoundList>* previous) {
    if (previous && *previous && **previous == list) return *previous;
    return std::make_shared<const CSoundList>(list);
}

}  // namespace

bool ProjectState::operator==(const ProjectState& other) const {
    if (!(options == other.options && keys == other.keys && equation == other.equation &&
          flashSize == other.flashSize && sameList(library, other.library) &&
          sameList(backgroundMusic, other.backgroundMusic))) {
        return false;
    }
    for (std::size_t i = 0; i < playlists.size(); ++i) {
        if (!sameList(playlists[i], other.playlists[i])) return false;
    }
    return true;
}

ProjectState captureState(const Project& project, const ProjectState* previous) {
    ProjectState state;
    state.options = project.options;
    state.keys = project.keys;
    state.equation = project.equation;
    state.flashSize = project.flashSize;
    state.library = shareList(project.library, previous ? &previous->library : nullptr);
    state.backgroundMusic =
        shareList(project.backgroundMusic, previous ? &previous->backgroundMusic : nullptr);
    for (std::size_t i = 0; i < state.playlists.size(); ++i) {
        state.playlists[i] =
            shareList(project.playlists[i], previous ? &previous->playlists[i] : nullptr);
    }
    return state;
}

void restoreState(Project& project, const ProjectState& state) {
    project.options = state.options;
    project.keys = state.keys;
    project.equation = state.equation;
    project.flashSize = state.flashSize;
    project.library = *state.library;
    project.backgroundMusic = *state.backgroundMusic;
    for (std::size_t i = 0; i < state.playlists.size(); ++i) {
        project.playlists[i] = *state.playlists[i];
    }
}

// --- the holding folder --------------------------------------------------------

std::string holdingFolderOf(const Project& project) {
    const std::string folder = folderOf(project.projectFilePath);
    return folder.empty() ? std::string() : folder + "/" + kHoldingFolderName;
}

namespace {

/// "<serial>-<name>": the serial keeps every version of a name apart.
std::string holdingName(unsigned long serial, const std::string& name) {
    return std::to_string(serial) + "-" + name;
}

/// The sound file name of a holding entry and its serial.
std::pair<std::string, unsigned long> parseHoldingName(const std::string& entry) {
    const auto dash = entry.find('-');
    if (dash == std::string::npos || dash == 0) return {{}, 0};
    unsigned long serial = 0;
    for (std::size_t i = 0; i < dash; ++i) {
        if (entry[i] < '0' || entry[i] > '9') return {{}, 0};
        serial = serial * 10 + static_cast<unsigned long>(entry[i] - '0');
    }
    return {entry.substr(dash + 1), serial};
}

bool entryExists(const std::string& path) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(path, ec));
}

/// Done when `folder` is a real folder (made when missing).
Done ensureHoldingFolder(const std::string& folder) {
    std::error_code ec;
    const auto status = fs::symlink_status(folder, ec);
    if (fs::is_directory(status)) return {};
    if (fs::exists(status)) {
        return failure("The undo folder " + folder +
                       " is not a folder. Close the project (which removes it) and open it "
                       "again.");
    }
    if (!fs::create_directory(folder, ec) && ec) {
        return failure("Cannot create the undo folder " + folder + ": " + ec.message());
    }
    return {};
}

std::vector<std::string> sortedNames(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        names.push_back(it->path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

/// Renames made by one undo or redo, taken back when a later one fails.
class Moves {
  public:
    ~Moves() {
        if (committed_) return;
        for (auto it = done_.rbegin(); it != done_.rend(); ++it) {
            std::error_code ec;
            fs::rename(it->second, it->first, ec);
        }
    }
    /// Renames `from` to `to`, refusing to replace anything at `to`.
    Done move(const std::string& from, const std::string& to) {
        if (entryExists(to)) {
            return failure("Cannot put back " + to +
                           ": a file of that name is in the way. Move it elsewhere and try "
                           "again.");
        }
        std::error_code ec;
        fs::rename(from, to, ec);
        if (ec) return failure("Cannot move " + from + " to " + to + ": " + ec.message());
        done_.emplace_back(from, to);
        return {};
    }
    void commit() { committed_ = true; }

  private:
    std::vector<std::pair<std::string, std::string>> done_;
    bool committed_ = false;
};

std::atomic<unsigned long> holdingSerial{0};

/// A name for another version of `name` that is free in `holding`.
std::string freeHoldingName(const std::string& holding, const std::string& name) {
    std::string entry;
    do {
        entry = holdingName(++holdingSerial, name);
    } while (entryExists(holding + "/" + entry));
    return entry;
}

/// Moves each of `names` still in the sound folder into the holding folder;
/// returns where each went (names already gone are left out).
Result<std::map<std::string, std::string>> parkFiles(
    Moves& moves, const std::string& holding, const std::string& soundFolder,
    const std::map<std::string, std::string>& names) {
    std::map<std::string, std::string> parked;
    for (const auto& entry : names) {
        const std::string path = soundPath(soundFolder, entry.first);
        if (!entryExists(path)) continue;
        const std::string target = freeHoldingName(holding, entry.first);
        if (Done moved = moves.move(path, holding + "/" + target); !moved) return moved.error();
        parked[entry.first] = target;
    }
    return parked;
}

/// Moves each version kept in `holding` back to its name in the sound folder
/// ("" = none kept).
Done unparkFiles(Moves& moves, const std::string& holding, const std::string& soundFolder,
                 const std::map<std::string, std::string>& names) {
    for (const auto& [name, entry] : names) {
        if (entry.empty()) continue;
        if (Done moved = moves.move(holding + "/" + entry, soundPath(soundFolder, name)); !moved) {
            return moved;
        }
    }
    return {};
}

/// Done when every kept version of `names` is still in `holding`.
Done checkKept(const std::string& holding, const std::map<std::string, std::string>& names,
               const std::string& what) {
    for (const auto& [name, entry] : names) {
        if (!entry.empty() && !entryExists(holding + "/" + entry)) {
            return failure("Cannot " + what + ": the kept copy of " + name + " is gone from " +
                           holding + ".");
        }
    }
    return {};
}

/// Every name of `names` mapped to where `parked` says it went, else to "".
void takeParked(std::map<std::string, std::string>& names,
                const std::map<std::string, std::string>& parked) {
    for (auto& [name, entry] : names) {
        const auto it = parked.find(name);
        entry = it == parked.end() ? std::string() : it->second;
    }
}

}  // namespace

Result<std::string> retireSoundFile(const Project& project, const std::string& name) {
    const std::string path = soundPath(project.soundFolder, name);
    if (!entryExists(path)) return std::string();
    std::error_code ec;
    if (fs::is_directory(fs::symlink_status(path, ec))) {
        return failure("Cannot remove " + path + ": it is a folder, not a sound file.");
    }
    const std::string folder = holdingFolderOf(project);
    if (folder.empty()) return failure("No project is open.");
    if (Done ready = ensureHoldingFolder(folder); !ready) return ready.error();
    const std::string entry = freeHoldingName(folder, name);
    fs::rename(path, folder + "/" + entry, ec);
    if (ec) return failure("Cannot remove " + path + ": " + ec.message());
    return entry;
}

// --- the history -------------------------------------------------------------------

void EditHistory::start(const Project& project) {
    end();
    holdingFolder_ = holdingFolderOf(project);
    soundFolder_ = project.soundFolder;
    active_ = !holdingFolder_.empty();
    std::error_code ec;
    if (active_) fs::remove_all(holdingFolder_, ec);  // links are removed, never followed
}

void EditHistory::end() {
    steps_.clear();
    next_ = 0;
    if (!holdingFolder_.empty()) {
        std::error_code ec;
        fs::remove_all(holdingFolder_, ec);
    }
    holdingFolder_.clear();
    soundFolder_.clear();
    active_ = false;
}

std::optional<EditKind> EditHistory::undoKind() const {
    if (!canUndo()) return std::nullopt;
    return steps_[next_ - 1].kind;
}

std::optional<EditKind> EditHistory::redoKind() const {
    if (!canRedo()) return std::nullopt;
    return steps_[next_].kind;
}

EditHistory::Listing EditHistory::list(const Project& project) const {
    Listing listing;
    if (!project.soundFolder.empty()) listing.soundFiles = sortedNames(project.soundFolder);
    const std::string holding = holdingFolderOf(project);
    if (!holding.empty()) listing.holdingFiles = sortedNames(holding);
    return listing;
}

EditHistory::Recording EditHistory::begin(const Project& project) {
    const ProjectState* latest = nullptr;
    if (next_ > 0) {
        latest = &steps_[next_ - 1].after;
    } else if (!steps_.empty()) {
        latest = &steps_.front().before;
    }
    return {captureState(project, latest), active_ ? list(project) : Listing{}};
}

void EditHistory::finish(const Project& project, EditKind kind, Recording recording) {
    if (!active_) return;
    Step step{kind, std::move(recording.before), {}, {}, {}};
    step.after = captureState(project, &step.before);
    const Listing after = list(project);

    std::vector<std::string> retired;
    std::set_difference(after.holdingFiles.begin(), after.holdingFiles.end(),
                        recording.files.holdingFiles.begin(), recording.files.holdingFiles.end(),
                        std::back_inserter(retired));
    // The first version of a name moved away during the edit is the one it
    // had before; later ones were made and replaced within the edit.
    std::map<std::string, unsigned long> firstSerial;
    for (const std::string& entry : retired) {
        const auto [name, serial] = parseHoldingName(entry);
        if (name.empty()) continue;
        const auto known = firstSerial.find(name);
        if (known == firstSerial.end() || serial < known->second) {
            firstSerial[name] = serial;
            step.removed[name] = entry;
        }
    }
    std::vector<std::string> made;
    std::set_difference(after.soundFiles.begin(), after.soundFiles.end(),
                        recording.files.soundFiles.begin(), recording.files.soundFiles.end(),
                        std::back_inserter(made));
    for (const std::string& name : made) step.added[name];
    for (const auto& [name, entry] : step.removed) {
        if (std::binary_search(after.soundFiles.begin(), after.soundFiles.end(), name)) {
            step.added[name];
        }
    }

    if (step.after == step.before && step.removed.empty() && step.added.empty()) return;
    steps_.erase(steps_.begin() + static_cast<std::ptrdiff_t>(next_), steps_.end());
    steps_.push_back(std::move(step));
    if (steps_.size() > limit_) steps_.erase(steps_.begin());
    next_ = steps_.size();
}

Done EditHistory::checkUnchanged(const Project& project, const ProjectState& expected) {
    if (captureState(project, &expected) == expected) return {};
    steps_.clear();
    next_ = 0;
    return failure(
        "The project was changed in a way the edit history did not see, so earlier edits can "
        "no longer be undone. The history was cleared; the project is as it stands.");
}

Done EditHistory::undo(Project& project) {
    if (!canUndo()) return failure("There is nothing to undo.");
    Step& step = steps_[next_ - 1];
    if (Done same = checkUnchanged(project, step.after); !same) return same;
    const std::string what = "undo \"" + std::string(editKindName(step.kind)) + "\"";
    if (Done kept = checkKept(holdingFolder_, step.removed, what); !kept) return kept;
    if (Done ready = ensureHoldingFolder(holdingFolder_); !ready) return ready;

    // What the edit made goes aside first, then what it removed comes back.
    Moves moves;
    const auto parked = parkFiles(moves, holdingFolder_, soundFolder_, step.added);
    if (!parked) return parked.error();
    if (Done back = unparkFiles(moves, holdingFolder_, soundFolder_, step.removed); !back) {
        return back;
    }
    moves.commit();
    takeParked(step.added, parked.value());
    restoreState(project, step.before);
    --next_;
    return {};
}

Done EditHistory::redo(Project& project) {
    if (!canRedo()) return failure("There is nothing to redo.");
    Step& step = steps_[next_];
    if (Done same = checkUnchanged(project, step.before); !same) return same;
    const std::string what = "redo \"" + std::string(editKindName(step.kind)) + "\"";
    if (Done kept = checkKept(holdingFolder_, step.added, what); !kept) return kept;
    if (Done ready = ensureHoldingFolder(holdingFolder_); !ready) return ready;

    Moves moves;
    const auto parked = parkFiles(moves, holdingFolder_, soundFolder_, step.removed);
    if (!parked) return parked.error();
    if (Done back = unparkFiles(moves, holdingFolder_, soundFolder_, step.added); !back) {
        return back;
    }
    moves.commit();
    takeParked(step.removed, parked.value());
    for (auto& entry : step.added) entry.second.clear();
    restoreState(project, step.after);
    ++next_;
    return {};
}

}  // namespace zadaravod

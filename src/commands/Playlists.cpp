#include "commands/Playlists.h"

#include <algorithm>

#include "model/ImageContent.h"
#include "rules/Silence.h"

namespace zadaravod {

namespace {

/// Nothing happened, and there is nothing to tell.
Message nothing() { return {}; }

Message full(const char* text) { return failure(text, MessageIcon::None); }

/// Shows a refusal that has something to say; true when `done` succeeded.
bool shown(const Done& done, Messenger& messenger) {
    if (!done && !done.error().text.empty()) messenger.tell(done.error());
    return done.ok();
}

}  // namespace

int playlistEntryBytes(const CSound& entry) {
    // Counted by the image writer's own rule, so the check and the slot agree.
    return entryImageBytes(entry);
}

int playlistBytes(const CSoundList& list) { return listImageBytes(list); }

PlaylistEditor::PlaylistEditor(Project& project, Messenger& messenger)
    : project_(project), messenger_(messenger) {}

void PlaylistEditor::setCurrentList(int n) { current_ = std::clamp(n, 0, kPlaylistCount - 1); }

void PlaylistEditor::stepSpin(int delta) {
    // Widen before adding, so a huge step cannot overflow.
    const long long next = static_cast<long long>(current_) + delta;
    current_ = static_cast<int>(std::clamp<long long>(next, 0, kPlaylistCount - 1));
}

bool PlaylistEditor::stepPlus() {
    if (current_ >= kPlaylistCount - 1 || current().empty()) return false;
    ++current_;
    return true;
}

bool PlaylistEditor::stepMinus() {
    if (current_ <= 0) return false;
    --current_;
    return true;
}

int PlaylistEditor::currentListBytes() const { return playlistBytes(current()); }

std::optional<std::size_t> PlaylistEditor::entryAt(std::optional<int> selected) const {
    if (!selected || *selected < 0 || static_cast<std::size_t>(*selected) >= current().count()) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(*selected);
}

void PlaylistEditor::appendWithBackFill(const CSound& entry) {
    current().addTail(entry);
    for (int j = current_ - 1; j >= 0; --j) {
        CSoundList& lower = project_.playlists[static_cast<std::size_t>(j)];
        if (lower.empty()) lower.addTail(CSound::silence(kBackFillSilenceMs));
    }
}

void PlaylistEditor::place(const CSound& entry, std::optional<int> selected) {
    if (const auto n = entryAt(selected)) {
        current().insertAt(*n, entry);
    } else {
        appendWithBackFill(entry);
    }
}

Done PlaylistEditor::fits(int bytes, const char* message) const {
    if (currentListBytes() + bytes <= kListByteLimit) return {};
    return full(message);
}

Done PlaylistEditor::insertSound(int libraryIndex, std::optional<int> selected) {
    if (libraryIndex < 0 || static_cast<std::size_t>(libraryIndex) >= project_.library.count()) {
        return nothing();
    }
    const CSound& sound = project_.library.at(static_cast<std::size_t>(libraryIndex));
    // A library record is a sound; should one not be, it still must fit.
    if (Done room = fits(std::max(3, playlistEntryBytes(sound)), kFullMessage); !room) return room;
    place(sound, selected);
    return {};
}

Done PlaylistEditor::insertSilence(int ms, std::optional<int> selected) {
    if (ms <= 0) return nothing();
    const CSound silence = CSound::silence(ms);
    if (Done room = fits(std::max(2, playlistEntryBytes(silence)), kFullMessage); !room) {
        return room;
    }
    place(silence, selected);
    return {};
}

Done PlaylistEditor::appendLibrarySound(int libraryIndex) {
    if (libraryIndex < 0 || static_cast<std::size_t>(libraryIndex) >= project_.library.count()) {
        return nothing();
    }
    const CSound sound = project_.library.at(static_cast<std::size_t>(libraryIndex));
    if (Done room = fits(std::max(3, playlistEntryBytes(sound)), kFullMessageAppend); !room) {
        return room;
    }
    appendWithBackFill(sound);
    return {};
}

Done PlaylistEditor::removeEntry(std::optional<int> selected) {
    const auto n = entryAt(selected);
    if (!n) return nothing();
    current().removeAt(*n);
    return {};
}

Done PlaylistEditor::clearCurrentList() {
    current().removeAll();
    messenger_.message(kEmptyMessage, kAppCaption);
    return {};
}

Done PlaylistEditor::clearEveryList() {
    for (CSoundList& list : project_.playlists) list.removeAll();
    return {};
}

Done PlaylistEditor::replaceAt(std::size_t n, const CSound& replacement) {
    // A longer silence may need more codes than the old entry had; a
    // replacement that needs no more is always allowed, so an overfull list
    // loaded from a file can still be mended.
    const int oldBytes = playlistEntryBytes(current().at(n));
    const int newBytes = playlistEntryBytes(replacement);
    if (newBytes > oldBytes && currentListBytes() - oldBytes + newBytes > kListByteLimit) {
        return full(kFullMessage);
    }
    current().insertAt(n, replacement);
    current().removeAt(n + 1);
    return {};
}

Done PlaylistEditor::replaceWithSound(std::optional<int> selected, int libraryIndex) {
    const auto n = entryAt(selected);
    if (!n || libraryIndex < 0 ||
        static_cast<std::size_t>(libraryIndex) >= project_.library.count()) {
        return nothing();
    }
    return replaceAt(*n, project_.library.at(static_cast<std::size_t>(libraryIndex)));
}

Done PlaylistEditor::replaceWithSilence(std::optional<int> selected, int ms) {
    const auto n = entryAt(selected);
    if (!n || ms <= 0) return nothing();
    return replaceAt(*n, CSound::silence(ms));
}

bool PlaylistEditor::moveEntry(int from, int to) {
    const int count = static_cast<int>(current().count());
    if (from < 0 || to < 0 || from >= count || to >= count || from == to) return false;
    const CSound entry = current().at(static_cast<std::size_t>(from));
    current().removeAt(static_cast<std::size_t>(from));
    // After the removal, index `to` is where the entry must stand: after the
    // entry now at to-1 when it came from above, before the entry now at
    // `to` (or at the end) when it came from below.
    current().insertAt(static_cast<std::size_t>(to), entry);
    return true;
}

// --- the window's dialog-asking versions ----------------------------------------

bool PlaylistEditor::insertTrack(UserInterface& ui, std::optional<int> selected) {
    if (!shown(fits(3, kFullMessage), ui)) return false;
    const int choice = ui.chooseLibrarySound(project_.library);
    if (choice == result::kLibraryCancel) return false;
    return shown(insertSound(choice, selected), ui);
}

bool PlaylistEditor::insertFreeSilence(UserInterface& ui, std::optional<int> selected) {
    if (!shown(fits(2, kFullMessage), ui)) return false;
    const int ms = ui.chooseSilence(currentListBytes());
    if (ms == result::kSilenceCancel) return false;
    return shown(insertSilence(ms, selected), ui);
}

bool PlaylistEditor::deleteEntry(UserInterface& ui, std::optional<int> selected) {
    if (ui.confirmDelete() != result::kConfirmOk) return false;
    return shown(removeEntry(selected), ui);
}

bool PlaylistEditor::clearList(UserInterface& ui) {
    if (ui.confirmDelete() != result::kConfirmOk) return false;
    return shown(clearCurrentList(), ui);
}

bool PlaylistEditor::clearAllLists(UserInterface& ui) {
    if (ui.confirmDelete() != result::kConfirmOk) return false;
    return shown(clearEveryList(), ui);
}

bool PlaylistEditor::replaceEntry(UserInterface& ui, std::optional<int> selected) {
    const auto n = entryAt(selected);
    if (!n) return false;
    if (current().at(*n).isSound()) {
        const int choice = ui.chooseLibrarySound(project_.library);
        if (choice == result::kLibraryCancel) return false;
        return shown(replaceWithSound(selected, choice), ui);
    }
    // The byte check decides; held to the limit, the dialog's own "Playlist
    // full!" cannot lock an overfull list (one written by another program)
    // out of being mended.
    const int ms = ui.chooseSilence(std::min(currentListBytes(), kListByteLimit));
    if (ms == result::kSilenceCancel) return false;
    return shown(replaceWithSilence(selected, ms), ui);
}

}  // namespace zadaravod

#include "app/PlaylistEditor.h"

#include <algorithm>

#include "audio/Silence.h"
#include "image/ImageFormat.h"

namespace zadaravod {

namespace {
/// The confirmation dialog's "ОК".
constexpr int kConfirmed = 1095;
/// The library picker's cancel.
constexpr int kPickerCancel = 1073;
}  // namespace

int playlistEntryBytes(const CSound& entry) {
    // Counted by the image writer's own rule, so the check and the slot agree.
    return image::entryImageBytes(entry);
}

int playlistBytes(const CSoundList& list) { return image::listImageBytes(list); }

PlaylistEditor::PlaylistEditor(Project& project, UserInterface& ui) : project_(project), ui_(ui) {}

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

bool PlaylistEditor::fits(int bytes, const char* message) {
    if (currentListBytes() + bytes <= kListByteLimit) return true;
    ui_.message(message, kAppCaption);
    return false;
}

bool PlaylistEditor::insertTrack(std::optional<int> selected) {
    if (!fits(3, kFullMessage)) return false;
    const int choice = ui_.chooseLibrarySound(project_.library);
    if (choice == kPickerCancel || choice < 0 ||
        static_cast<std::size_t>(choice) >= project_.library.count()) {
        return false;
    }
    const CSound& sound = project_.library.at(static_cast<std::size_t>(choice));
    // A library record is a sound; should one not be, it still must fit.
    if (!fits(playlistEntryBytes(sound), kFullMessage)) return false;
    place(sound, selected);
    return true;
}

bool PlaylistEditor::insertFreeSilence(std::optional<int> selected) {
    if (!fits(2, kFullMessage)) return false;
    const int ms = ui_.chooseSilence(currentListBytes());
    if (ms == kSilenceCancel || ms <= 0) return false;
    return insertFixedSilence(ms, selected);
}

bool PlaylistEditor::insertFixedSilence(int ms, std::optional<int> selected) {
    if (ms <= 0) return false;
    const CSound silence = CSound::silence(ms);
    if (!fits(std::max(2, playlistEntryBytes(silence)), kFullMessage)) return false;
    place(silence, selected);
    return true;
}

bool PlaylistEditor::appendLibrarySound(int libraryIndex) {
    if (libraryIndex < 0 || static_cast<std::size_t>(libraryIndex) >= project_.library.count()) {
        return false;
    }
    const CSound sound = project_.library.at(static_cast<std::size_t>(libraryIndex));
    if (!fits(std::max(3, playlistEntryBytes(sound)), kFullMessageAppend)) return false;
    appendWithBackFill(sound);
    return true;
}

bool PlaylistEditor::deleteEntry(std::optional<int> selected) {
    if (ui_.confirmDelete() != kConfirmed) return false;
    const auto n = entryAt(selected);
    if (!n) return false;
    current().removeAt(*n);
    return true;
}

bool PlaylistEditor::clearList() {
    if (ui_.confirmDelete() != kConfirmed) return false;
    current().removeAll();
    ui_.message(kEmptyMessage, kAppCaption);
    return true;
}

bool PlaylistEditor::clearAllLists() {
    if (ui_.confirmDelete() != kConfirmed) return false;
    for (CSoundList& list : project_.playlists) list.removeAll();
    return true;
}

bool PlaylistEditor::replaceEntry(std::optional<int> selected) {
    const auto n = entryAt(selected);
    if (!n) return false;
    const CSound old = current().at(*n);
    CSound replacement;
    if (old.isSound()) {
        const int choice = ui_.chooseLibrarySound(project_.library);
        if (choice == kPickerCancel || choice < 0 ||
            static_cast<std::size_t>(choice) >= project_.library.count()) {
            return false;
        }
        replacement = project_.library.at(static_cast<std::size_t>(choice));
    } else {
        // The byte check below decides; held to the limit, the dialog's own
        // "Playlist full!" cannot lock an overfull list (one written by
        // another program) out of being mended.
        const int ms = ui_.chooseSilence(std::min(currentListBytes(), kListByteLimit));
        if (ms == kSilenceCancel || ms <= 0) return false;
        replacement = CSound::silence(ms);
    }
    // A longer silence may need more codes than the old entry had; a
    // replacement that needs no more is always allowed, so an overfull list
    // loaded from a file can still be mended.
    const int oldBytes = playlistEntryBytes(old);
    const int newBytes = playlistEntryBytes(replacement);
    if (newBytes > oldBytes && currentListBytes() - oldBytes + newBytes > kListByteLimit) {
        ui_.message(kFullMessage, kAppCaption);
        return false;
    }
    current().insertAt(*n, replacement);
    current().removeAt(*n + 1);
    return true;
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

}  // namespace zadaravod

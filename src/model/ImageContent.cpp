#include "model/ImageContent.h"

namespace zadaravod {

LibraryIndex::LibraryIndex(const CSoundList& library) {
    int i = 0;
    for (const CSound& s : library) positions_.emplace(s.filePath, i++);
}

int LibraryIndex::find(const std::string& filePath) const {
    const auto it = positions_.find(filePath);
    return it == positions_.end() ? -1 : it->second;
}

image::ImageSettings imageSettingsOf(const Project& project) {
    image::ImageSettings s;
    s.controlMode = project.options.controlMode;
    s.audioOutput = project.options.audioOutput;
    s.busyLevel = project.options.busyLevel;
    s.pullUp = project.options.pullUp;
    s.flashSizeIndex = project.flashSize.sizeIndex;
    s.keyFunction = project.keys.keyFunction;
    s.listOfKey = project.equation.listOfKey;
    return s;
}

std::vector<image::PlaylistItem> imageItemsOf(const CSoundList& list, const LibraryIndex& library) {
    std::vector<image::PlaylistItem> items;
    items.reserve(list.count());
    for (const CSound& e : list) {
        if (e.isSound()) {
            const int index = library.find(e.filePath);
            items.push_back({true, index < 0 ? kUnmatchedSoundIndex : index, 0});
        } else {
            items.push_back({false, 0, e.durationMs});
        }
    }
    return items;
}

std::uint8_t listCountByte(const Project& project) {
    for (int j = 0; j < kPlaylistCount; ++j)
        if (project.playlists[static_cast<std::size_t>(j)].empty())
            return static_cast<std::uint8_t>(j + 1);
    return image::kListCountAllUsed;
}

image::ImageContent imageContentOf(const Project& project) {
    image::ImageContent content;
    content.settings = imageSettingsOf(project);
    content.listCountByte = listCountByte(project);
    const LibraryIndex index(project.library);
    for (int j = 0; j < kPlaylistCount; ++j) {
        content.lists[static_cast<std::size_t>(j)] =
            imageItemsOf(project.playlists[static_cast<std::size_t>(j)], index);
    }
    for (const CSound& s : project.library) {
        if (content.soundRates.size() == static_cast<std::size_t>(kLibraryCapacity)) break;
        content.soundRates.push_back(s.sampleRate);
    }
    return content;
}

int entryImageBytes(const CSound& entry) {
    return image::itemBytes({entry.isSound(), 0, entry.durationMs});
}

int listImageBytes(const CSoundList& list) {
    int bytes = 0;
    for (const CSound& s : list) bytes += entryImageBytes(s);
    return bytes;
}

std::string soundMissingFromFullLibrary(const Project& project) {
    if (project.library.count() < static_cast<std::size_t>(kLibraryCapacity)) return {};
    const LibraryIndex index(project.library);
    for (int j = 0; j < kPlaylistCount; ++j) {
        for (const CSound& e : project.playlists[static_cast<std::size_t>(j)]) {
            if (e.isSound() && index.find(e.filePath) < 0) {
                return "List " + listNumberText(j) + " plays " + e.name +
                       ", which is not in the library.";
            }
        }
    }
    return {};
}

}  // namespace zadaravod

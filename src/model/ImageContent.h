#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "format/ImageWriter.h"
#include "model/Project.h"

namespace zadaravod {

// How the records of a project go into the flash image.

/// Library position by file path; the first of equal paths wins.
class LibraryIndex {
  public:
    explicit LibraryIndex(const CSoundList& library);
    /// The 0-based position, or -1 when no library sound has this path.
    int find(const std::string& filePath) const;

  private:
    std::unordered_map<std::string, int> positions_;
};

/// The sound number the image gives a list entry whose sound is not in the
/// library (the library then has fewer than 510 sounds).
inline constexpr int kUnmatchedSoundIndex = 509;

/// The header values of the settings records.
image::ImageSettings imageSettingsOf(const Project& project);
/// A list's entries as image items: sounds by library position (or
/// kUnmatchedSoundIndex), every silence entry an item of its own.
std::vector<image::PlaylistItem> imageItemsOf(const CSoundList& list, const LibraryIndex& library);
/// The list count byte: first empty list + 1, or 0xDD when none is empty.
std::uint8_t listCountByte(const Project& project);
/// Everything of the project the image holds besides the sound data.
image::ImageContent imageContentOf(const Project& project);

/// Image bytes of one playlist entry: 3 for a sound, 2 per silence code.
int entryImageBytes(const CSound& entry);
/// Image bytes of a whole playlist (before the 0xFF filler).
int listImageBytes(const CSoundList& list);

/// "" unless the library is full (510) and a list plays a sound that is not
/// in it, which the image cannot number; then the message naming the list.
std::string soundMissingFromFullLibrary(const Project& project);

}  // namespace zadaravod

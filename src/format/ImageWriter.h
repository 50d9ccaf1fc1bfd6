#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "format/ChipConstants.h"
#include "format/ImageFormat.h"

namespace zadaravod::image {

/// Everything an image holds besides the sound data, as plain values.
struct ImageContent {
    ImageSettings settings;
    std::uint8_t listCountByte = kListCountAllUsed;
    /// Each list's items in order; a silence item stands for one entry.
    std::array<std::vector<PlaylistItem>, kPlaylistCount> lists;
    /// The rate of each library sound, in library order (at most 510).
    std::vector<std::int32_t> soundRates;
};

/// "" when the codes of every list fit its 256-byte slot; otherwise a message
/// naming the first list that does not, with its byte count.
std::string checkSlots(const ImageContent& content);

/// The image bytes: header, playlist slots, chip code block (the first 256
/// bytes of `chipCode`), the sound table, then one element per entry of
/// `soundRates` (from `elements`, in order) followed by a copy of `silence`
/// for every spare table entry. The spare entries' addresses step by the
/// silence's nominal 68 bytes. The caller has checked the slots.
std::vector<std::uint8_t> assembleImage(const ImageContent& content,
                                        const std::vector<std::vector<std::uint8_t>>& elements,
                                        const std::vector<std::uint8_t>& silence,
                                        const std::vector<std::uint8_t>& chipCode);

}  // namespace zadaravod::image

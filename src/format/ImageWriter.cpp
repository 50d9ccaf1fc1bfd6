#include "format/ImageWriter.h"

#include <algorithm>

namespace zadaravod::image {

std::string checkSlots(const ImageContent& content) {
    for (int j = 0; j < kPlaylistCount; ++j) {
        const int bytes = slotBytes(content.lists[static_cast<std::size_t>(j)]);
        if (bytes > static_cast<int>(kSlotBytes)) {
            return "List " + listNumberText(j) + " needs " + std::to_string(bytes) +
                   " bytes in the image, but a list holds at most 256. Shorten the list or use "
                   "fewer silences.";
        }
    }
    return {};
}

std::vector<std::uint8_t> assembleImage(const ImageContent& content,
                                        const std::vector<std::vector<std::uint8_t>>& elements,
                                        const std::vector<std::uint8_t>& silence,
                                        const std::vector<std::uint8_t>& chipCode) {
    const std::size_t libraryCount = std::min<std::size_t>(
        {content.soundRates.size(), elements.size(), static_cast<std::size_t>(kLibraryCapacity)});
    std::size_t dataBytes = 0;
    for (std::size_t i = 0; i < libraryCount; ++i) dataBytes += elements[i].size();
    const std::size_t spare = kLibraryCapacity - libraryCount;
    dataBytes += spare * silence.size();

    std::vector<std::uint8_t> image(kSoundDataOffset + dataBytes, 0);
    writeHeader(image, content.settings, content.listCountByte);
    for (int j = 0; j < kPlaylistCount; ++j)
        writeSlot(image, j, content.lists[static_cast<std::size_t>(j)]);

    // Sound data: library elements, then the silence copies.
    std::size_t at = kSoundDataOffset;
    std::vector<std::uint32_t> starts(kLibraryCapacity);
    for (std::size_t i = 0; i < libraryCount; ++i) {
        starts[i] = static_cast<std::uint32_t>(at);
        std::copy(elements[i].begin(), elements[i].end(), image.begin() + static_cast<long>(at));
        at += elements[i].size();
    }
    const std::size_t end = at;
    for (std::size_t k = 0; k < spare; ++k) {
        std::copy(silence.begin(), silence.end(), image.begin() + static_cast<long>(at));
        at += silence.size();
    }
    // Spare entries step by the converted silence's nominal length.
    for (std::size_t k = libraryCount; k < static_cast<std::size_t>(kLibraryCapacity); ++k)
        starts[k] = static_cast<std::uint32_t>(end + kHeaderSize * (k - libraryCount + 1));

    for (std::size_t k = 0; k < static_cast<std::size_t>(kLibraryCapacity); ++k) {
        std::uint8_t* e = image.data() + kSoundTableOffset + kSoundEntryBytes * k;
        const auto rate = ratePair(k < libraryCount ? content.soundRates[k] : 0);
        const auto address = encodeAddress(starts[k]);
        e[0] = rate[0];
        e[1] = rate[1];
        e[2] = address[0];
        e[3] = address[1];
        e[4] = address[2];
        e[5] = 0x88;
        e[6] = 0x01;
        e[7] = 0xFF;
    }
    std::copy_n(chipCode.begin(), std::min(chipCode.size(), kChipCodeBytes),
                image.begin() + static_cast<long>(kChipCodeOffset));
    return image;
}

}  // namespace zadaravod::image

// Reads arbitrary bytes as a flash image, then decodes every sound and
// renders every playlist the reading names. An input that starts like an
// image (FF 08, as the images the tests keep as seeds do) is read as it
// stands, so the fuzzer works on real headers, key tables and playlist
// slots; any other input with an odd first byte is the tail after a
// built-in valid-looking fixed part, so time is also spent in the sound
// table and the elements.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "format/ImageFormat.h"
#include "format/ImageReader.h"

using namespace zadaravod;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> bytes(data, data + size);
    const bool wholeImage = size >= 2 && data[0] == 0xFF && data[1] == 0x08;
    if (!wholeImage && size > 0 && (data[0] & 1) != 0) {
        // Odd first byte: the input is the tail after a valid-looking fixed part.
        std::vector<std::uint8_t> framed(image::kSoundDataOffset, 0xFF);
        for (std::size_t k = 0; k < static_cast<std::size_t>(kLibraryCapacity); ++k) {
            const auto a =
                image::encodeAddress(static_cast<std::uint32_t>(image::kSoundDataOffset + 68 * k));
            std::uint8_t* e = framed.data() + image::kSoundTableOffset + 8 * k;
            e[0] = 0x90;
            e[1] = 0x7F;
            e[2] = a[0];
            e[3] = a[1];
            e[4] = a[2];
        }
        framed.insert(framed.end(), data + 1, data + size);
        bytes.swap(framed);
    }
    image::ImageReading reading;
    if (!image::readImage(bytes, reading)) return 0;
    for (int k = 0; k < kLibraryCapacity; ++k) {
        element::DecodedElement d;
        std::string error;
        image::decodeSound(bytes, reading, k, d, error);
    }
    for (int j = 0; j < kPlaylistCount; ++j) {
        std::vector<std::int16_t> samples;
        int rate = 0;
        std::string error;
        image::renderPlaylist(bytes, reading, j, samples, rate, error);
    }
    return 0;
}

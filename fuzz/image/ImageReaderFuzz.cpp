// Reads arbitrary bytes as a flash image, then decodes every sound and
// renders every playlist the reading names. Inputs shorter than the fixed
// part are padded from a built-in image prefix, so that the fuzzer spends its
// time in the playlist slots, the sound table and the elements.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "image/ImageFormat.h"
#include "image/ImageReader.h"

using namespace zadaravod;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> bytes(data, data + size);
    if (size > 0 && (data[0] & 1) != 0) {
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

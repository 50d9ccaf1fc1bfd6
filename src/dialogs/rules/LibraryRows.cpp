#include "dialogs/rules/LibraryRows.h"

#include <cstdio>

namespace zadaravod {

std::array<std::string, 6> libraryRowTexts(const CSound& sound, int rowNumber) {
    char number[16];
    std::snprintf(number, sizeof number, "%.3d", rowNumber);
    return {number,
            sound.name,
            std::to_string(sound.sampleRate) + " Hz",
            std::to_string(sound.bitsPerSample) + " Bit",
            sound.stereo == 1 ? "STEREO" : "MONO",
            std::to_string(sound.durationMs) + " ms"};
}

}  // namespace zadaravod

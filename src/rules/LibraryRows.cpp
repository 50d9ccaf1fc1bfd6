#include "rules/LibraryRows.h"

#include "rules/NumberText.h"

namespace zadaravod {

std::array<std::string, 6> pickerRowTexts(const CSound& sound, int rowNumber) {
    return {decimalText(rowNumber, 3),
            sound.name,
            decimalText(sound.sampleRate) + " Hz",
            decimalText(sound.bitsPerSample) + " Bit",
            sound.stereo == 1 ? "STEREO" : "MONO",
            decimalText(sound.durationMs) + " ms"};
}

}  // namespace zadaravod

// The converter plugin's one entry point.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "image/ElementCodec.h"
#include "tools/AtomicFile.h"

/// Converts the WAV file `wav` (PCM 8 or 16 bits, mono or stereo, any rate)
/// into a sound element written to `rbf`, and the same element as a C array
/// to `rbf` + ".h". `rbf2` is accepted for the caller's sake and must name
/// the same file as `rbf` (or be null). Both files are written atomically.
/// Returns 1 on success, 0 on failure (nothing is written then).
extern "C" __attribute__((visibility("default"))) int ConvertWAVToMDM(const char* wav,
                                                                       const char* rbf,
                                                                       const char* rbf2) {
    (void)rbf2;
    if (wav == nullptr || rbf == nullptr || *wav == '\0' || *rbf == '\0') return 0;
    try {
        std::vector<std::uint8_t> element;
        std::string error;
        if (!zadaravod::element::encodeWavFile(wav, element, error)) return 0;
        const std::string header = zadaravod::element::elementAsCArray(element, "sound_element");
        const std::string rbfPath = rbf;
        if (!zadaravod::writeFileAtomically(rbfPath, element).empty()) return 0;
        const std::vector<std::uint8_t> text(header.begin(), header.end());
        if (!zadaravod::writeFileAtomically(rbfPath + ".h", text).empty()) {
            std::error_code ec;
            std::filesystem::remove(rbfPath, ec);
            return 0;
        }
        return 1;
    } catch (...) {
        return 0;  // no exception may cross the C boundary
    }
}

#pragma once

#include <cstdint>
#include <string>

#include "format/ChipConstants.h"
#include "model/Project.h"

namespace zadaravod {

/// The two status bar texts: the library's total length and an estimate of
/// how much of the chosen flash the image will fill.
struct MemoryGauge {
    double usedBits = 0;
    double capacityBits = 0;
    double percent = 0;
    double totalMs = 0;

    std::string usageText() const;   ///< "3.17 % flash used"
    std::string lengthText() const;  ///< "0 msec. total"
};

/// The estimate for `library` on the flash of `sizeIndex`: the 0x17FF0 bytes
/// before the sound data, 42/65 byte per sample of every sound and one 68-byte
/// silence element per unused sound-table entry.
MemoryGauge computeMemoryGauge(const CSoundList& library, int sizeIndex);

/// The most samples one sound may have so that its element still fits the
/// largest flash (4M) beside the image's fixed part and the silence elements
/// of the other 509 sound-table entries.
std::uint64_t maxSoundSamples();

/// "" when a sound of `lengthSeconds` at `rate` Hz fits the largest flash;
/// otherwise a message naming `what` with the figures and what to do.
std::string checkFitsLargestFlash(const std::string& what, double lengthSeconds, int rate);

}  // namespace zadaravod

#include "model/MemoryGauge.h"

#include <cstdio>

namespace zadaravod {

std::string MemoryGauge::usageText() const {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.2f %% flash used", percent);
    return buffer;
}

std::string MemoryGauge::lengthText() const {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.0f msec. total", totalMs);
    return buffer;
}

MemoryGauge computeMemoryGauge(const CSoundList& library, int sizeIndex) {
    MemoryGauge g;
    g.capacityBits = static_cast<double>(flashCapacityBits(sizeIndex));
    g.usedBits = 786304;
    double seconds = 0;
    for (const CSound& r : library) {
        const double e = r.durationMs / 1000.0 * r.sampleRate / 65 * 42 * 8;
        if (e > 0) g.usedBits += e;
        seconds += r.durationMs / 1000.0;
    }
    g.usedBits += (kLibraryCapacity - static_cast<double>(library.count())) * 544;
    g.percent = g.capacityBits > 0 ? g.usedBits / g.capacityBits * 100 : 0;
    g.totalMs = seconds * 1000;
    return g;
}

namespace {
constexpr std::uint64_t kSoundDataOffset = 0x17FF0;
constexpr std::uint64_t kElementHeaderBytes = 26;
constexpr std::uint64_t kBlockBytes = 42;
constexpr std::uint64_t kBlockSamples = 65;
}  // namespace

std::uint64_t maxSoundSamples() {
    const std::uint64_t room = kLargestFlashBytes - kSoundDataOffset -
                               (kLibraryCapacity - 1) * static_cast<std::uint64_t>(kHeaderSize) -
                               kElementHeaderBytes;
    return room / kBlockBytes * kBlockSamples;
}

std::string checkFitsLargestFlash(const std::string& what, double lengthSeconds, int rate) {
    if (rate <= 0 || lengthSeconds <= 0) return {};
    const double samples = lengthSeconds * rate;
    if (samples <= static_cast<double>(maxSoundSamples())) return {};
    char buffer[512];
    std::snprintf(buffer, sizeof buffer,
                  "%s lasts %.1f s: at %d Hz its sound would take about %.0f bytes of flash, more "
                  "than the largest flash (4M, %llu bytes) holds beside the rest of the image "
                  "(at most %.1f s at this rate). Shorten the recording or use a lower rate.",
                  what.c_str(), lengthSeconds, rate, samples * 42 / 65,
                  static_cast<unsigned long long>(kLargestFlashBytes),
                  static_cast<double>(maxSoundSamples()) / rate);
    return buffer;
}

}  // namespace zadaravod

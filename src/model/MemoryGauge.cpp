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

}  // namespace zadaravod

#pragma once

// Reading what SDL's "disk" driver wrote, and finding the sounds in it.

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "audio/Player.h"
#include "support/TempDir.h"

namespace zadaravod::test {

/// Points SDL's audio at the disk driver, writing to `file` at full speed.
/// Must run before the player first opens its device.
inline void useDiskAudio(const std::filesystem::path& file) {
    ::setenv("SDL_AUDIODRIVER", "disk", 1);
    ::setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
    ::setenv("SDL_DISKAUDIODELAY", "0", 1);
}

/// Polls until channel 1 is silent. The limit only guards against a hang
/// (the disk driver plays far faster than real time); false when reached.
inline bool waitUntilSilent(Player& player) {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (player.isPlaying(kPlaybackChannel)) {
        if (std::chrono::steady_clock::now() > limit) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

/// The captured 16-bit interleaved samples split into channels.
struct Capture {
    std::vector<std::int16_t> left, right;
};

inline Capture readCapture(const std::filesystem::path& file, int channels) {
    const std::string bytes = readFile(file);
    std::vector<std::int16_t> all(bytes.size() / 2);
    std::memcpy(all.data(), bytes.data(), all.size() * 2);
    Capture c;
    for (std::size_t i = 0; i + static_cast<std::size_t>(channels) <= all.size();
         i += static_cast<std::size_t>(channels)) {
        c.left.push_back(all[i]);
        c.right.push_back(channels > 1 ? all[i + 1] : all[i]);
    }
    return c;
}

/// A stretch of sound: [begin, end) sample indexes.
struct Span {
    std::size_t begin = 0, end = 0;
    std::size_t length() const { return end - begin; }
};

/// The stretches where |x| exceeds `threshold`, split where it stays at or
/// below it for at least `minGap` samples.
inline std::vector<Span> soundSpans(const std::vector<std::int16_t>& x, int threshold,
                                    std::size_t minGap) {
    std::vector<Span> spans;
    std::size_t quiet = 0;
    bool inside = false;
    for (std::size_t i = 0; i < x.size(); ++i) {
        if (std::abs(x[i]) > threshold) {
            if (!inside) {
                spans.push_back({i, i + 1});
                inside = true;
            }
            spans.back().end = i + 1;
            quiet = 0;
        } else if (inside && ++quiet >= minGap) {
            inside = false;
        }
    }
    return spans;
}

/// Sign changes per second over `span` of a signal at `rate`, halved: the
/// frequency of a sine.
inline double frequencyOf(const std::vector<std::int16_t>& x, Span span, int rate) {
    int changes = 0;
    for (std::size_t i = span.begin + 1; i < span.end; ++i) changes += (x[i - 1] < 0) != (x[i] < 0);
    return changes / 2.0 * rate / static_cast<double>(span.length());
}

/// A sine of `hz` at `rate`, `n` samples, starting at phase 0.
inline std::vector<std::int16_t> sineWave(double hz, int rate, std::size_t n, double amp) {
    std::vector<std::int16_t> x(n);
    for (std::size_t i = 0; i < n; ++i)
        x[i] = static_cast<std::int16_t>(
            std::lround(amp * std::sin(2 * M_PI * hz * static_cast<double>(i) / rate)));
    return x;
}

}  // namespace zadaravod::test

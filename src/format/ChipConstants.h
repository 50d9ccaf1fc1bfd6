#pragma once

#include <cstdint>

namespace zadaravod {

/// What the chip and its flash image have room for.
constexpr int kKeyCount = 24;
constexpr int kPlaylistCount = 220;
constexpr int kLibraryCapacity = 510;  ///< entries of the sound table
constexpr int kKeyFunctionCount = 15;
constexpr int kFlashSizeCount = 5;  ///< "4M", "2M", "1M", "512K", "256K"

/// The largest flash the chip takes: 4M (32 Mbit).
inline constexpr std::uint64_t kLargestFlashBytes = 4194304;

/// The address step the sound table assumes for each converted 10 ms silence.
inline constexpr int kHeaderSize = 68;

/// Control modes (`COptions::controlMode`).
enum ControlMode : std::int32_t {
    kModeOneLine = 0,
    kModeThreeLine = 1,
    kModeMp3 = 2,
    kModeMatrix = 3,
    kModeParallel = 4,
    kModeExtended = 5,
    kModeKey = 6,
};

/// Control modes 0 and 1 can play background music.
constexpr bool modeHasBackgroundMusic(int mode) {
    return mode == kModeOneLine || mode == kModeThreeLine;
}

}  // namespace zadaravod

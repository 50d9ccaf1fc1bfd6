#pragma once

// Helpers shared by the element decoder (ElementCodec.cpp) and encoder
// (ElementEncoder.cpp). Internal: not part of the codec's interface.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace zadaravod::element::detail {

inline std::int32_t clamp16(std::int64_t v) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, -32768, 32767));
}

inline int signOf(std::int32_t v) { return (v > 0) - (v < 0); }

/// ORs the low `width` (at most 8) bits of `value` into the little-endian bit
/// stream `bytes` (`size` bytes long, zeroed beforehand) at stream bit `bit`.
inline void putBits(std::uint8_t* bytes, std::size_t size, std::size_t bit, std::uint32_t value,
                    int width) {
    const std::uint32_t v = (value & ((1u << width) - 1)) << (bit % 8);
    bytes[bit / 8] = static_cast<std::uint8_t>(bytes[bit / 8] | (v & 0xFF));
    if (v > 0xFF && bit / 8 + 1 < size)
        bytes[bit / 8 + 1] = static_cast<std::uint8_t>(bytes[bit / 8 + 1] | (v >> 8));
}

/// Reads `width` (at most 8) bits at stream bit `bit` of `bytes` (`size`
/// bytes long; bits beyond it read as 0).
inline std::uint32_t getBits(const std::uint8_t* bytes, std::size_t size, std::size_t bit,
                             int width) {
    std::uint32_t v = bytes[bit / 8];
    if (bit / 8 + 1 < size) v |= static_cast<std::uint32_t>(bytes[bit / 8 + 1]) << 8;
    return (v >> (bit % 8)) & ((1u << width) - 1);
}

/// The step floor of a version-2 block: before code `position` (0..63) the
/// step index is set to 2 x `value`, and before every later code of the
/// block it is raised to at least that; value 0 means no floor.
struct StepFloor {
    std::uint8_t position = 0;
    std::uint8_t value = 0;

    std::int32_t index() const { return 2 * static_cast<std::int32_t>(value); }
    /// Applies the floor before code `i` of the block is decoded.
    void raise(std::size_t i, std::int32_t& stepIndex) const {
        if (value == 0 || i < position) return;
        stepIndex = i == position ? index() : std::max(stepIndex, index());
    }
};

/// The initial step index the encoder writes for `samples`: the largest
/// index whose step does not exceed a quarter of the mean absolute first
/// difference of the first block.
std::uint8_t initialStepIndex(std::span<const std::int16_t> samples);

/// Writes the 26-byte header into `out` (already sized to the whole
/// element); the checksum is added by finishChecksum().
void writeHeader(std::vector<std::uint8_t>& out, std::uint8_t version, std::uint32_t sampleRate,
                 std::uint32_t sampleCount, std::uint8_t initialStepIndex);
/// Computes the CRC over header bytes 0..23 and the data, and stores it.
void finishChecksum(std::vector<std::uint8_t>& out);

}  // namespace zadaravod::element::detail

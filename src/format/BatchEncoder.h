#pragma once

// Version 2's encoder for many sounds at once: one sound per vector lane,
// so that the serial chain of one sound (each sample's prediction needs the
// previous sample's adaptation) no longer bounds the speed. The bytes are
// exactly those of encodeElement(samples, rate) with default options.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace zadaravod::element {

/// The instruction sets the batch encoder is built for.
enum class BatchPath {
    Automatic,  ///< the fastest the processor runs (without AVX2: one sound at a time)
    Portable,   ///< no extension (SSE2 on x86-64); slower than one sound at a time
    Avx2,
    Avx512,  ///< AVX-512 F and BW
};

/// Whether `path` is built into this program and the processor runs it
/// (Automatic and Portable always are).
bool batchPathAvailable(BatchPath path);

/// How many sounds `path` encodes side by side: a batch of this many keeps
/// every lane busy. 0 when the path is not available.
std::size_t batchLanes(BatchPath path = BatchPath::Automatic);

/// Encodes each of `sounds` (mono 16-bit samples) at the rate of the same
/// index in `rates`, as encodeElement(sounds[i], rates[i]) does, and returns
/// the elements in order. Sounds longer than kMaxSamples are cut there, as
/// encodeElement does. Besides the elements it holds at most a block of
/// samples per lane. Throws std::invalid_argument when the two spans differ
/// in size or `path` is not available.
std::vector<std::vector<std::uint8_t>> encodeElements(
    std::span<const std::span<const std::int16_t>> sounds, std::span<const std::uint32_t> rates,
    BatchPath path = BatchPath::Automatic);

}  // namespace zadaravod::element

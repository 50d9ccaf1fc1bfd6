#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace zadaravod {

/// The PCM content of a WAV file as its header describes it.
struct WavData {
    int sampleRate = 0;
    int channels = 0;
    int bitsPerSample = 0;  ///< 8 (unsigned samples) or 16 (signed little-endian)
    /// Interleaved samples, widened to 16 bits (8-bit samples are re-centred
    /// and scaled by 256).
    std::vector<std::int16_t> samples;

    std::size_t frameCount() const {
        return channels > 0 ? samples.size() / static_cast<std::size_t>(channels) : 0;
    }
    /// The samples mixed to one channel as (L+R)/2 (truncated toward zero).
    std::vector<std::int16_t> mono() const;
};

/// Parses a RIFF/WAVE file held in memory. Only uncompressed PCM with 8 or 16
/// bits per sample and 1 or 2 channels is accepted; anything else, and any
/// malformed or truncated file, is refused with a reason in `error`. Chunk
/// sizes are checked against the bytes present before anything is allocated.
bool parseWav(const std::string& bytes, WavData& out, std::string& error);

/// Reads and parses a WAV file; `error` names the file on failure.
bool readWav(const std::filesystem::path& path, WavData& out, std::string& error);

/// The canonical 44-byte-header PCM WAV file for 16-bit samples.
std::vector<std::uint8_t> makeWav16(const std::vector<std::int16_t>& interleaved, int sampleRate,
                                    int channels);

/// Writes a 16-bit PCM WAV file atomically; returns an error text or "".
std::string writeWav16(const std::filesystem::path& path,
                       const std::vector<std::int16_t>& interleaved, int sampleRate,
                       int channels);

}  // namespace zadaravod

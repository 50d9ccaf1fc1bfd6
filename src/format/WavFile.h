#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "io/AtomicFile.h"

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

/// What the chunks of a WAV file say, before any sample is read.
struct WavHeader {
    int formatTag = 0;  ///< 1 PCM, 3 float, 6 A-law, ...; the sub-format of an extensible header
    int channels = 0;
    int sampleRate = 0;
    int bitsPerSample = 0;
    std::uint32_t byteRate = 0;
    int blockAlign = 0;
    std::uint64_t dataOffset = 0;  ///< where the samples start
    /// Bytes of samples present: a data size beyond the end of the file (as
    /// streamed WAVs have) is cut to what is there.
    std::uint64_t dataBytes = 0;

    /// Samples the converter plugin takes as they are: integer PCM of 8 or
    /// 16 bits, mono or stereo.
    bool plainPcm() const {
        return formatTag == 1 && (bitsPerSample == 8 || bitsPerSample == 16) &&
               (channels == 1 || channels == 2);
    }
};

/// Reads `n` bytes at `offset` into `to`; false when they are not there.
using ByteReader = std::function<bool(std::uint64_t offset, std::uint8_t* to, std::size_t n)>;

/// Finds the format and data chunks of a RIFF/WAVE file of `size` bytes
/// through `read`. False with `error` when it is not a WAV file, a chunk is
/// missing or truncated, or the data chunk comes first.
bool findWavChunks(const ByteReader& read, std::uint64_t size, WavHeader& out, std::string& error);

/// Reads the header of the WAV file at `path` without loading its samples;
/// `error` names the file on failure.
bool readWavHeader(const std::filesystem::path& path, WavHeader& out, std::string& error);

/// Parses a RIFF/WAVE file held in memory. Only uncompressed PCM with 8 or 16
/// bits per sample and 1 or 2 channels is accepted; anything else, and any
/// malformed or truncated file, is refused with a reason in `error`. Chunk
/// sizes are checked against the bytes present before anything is allocated.
bool parseWav(const std::string& bytes, WavData& out, std::string& error);

/// Reads and parses a WAV file; `error` names the file on failure.
bool readWav(const std::filesystem::path& path, WavData& out, std::string& error);

/// The canonical 44-byte header of a 16-bit PCM WAV file whose data chunk
/// holds `dataBytes` bytes.
std::array<std::uint8_t, 44> wavHeader16(int sampleRate, int channels, std::uint32_t dataBytes);

/// The canonical 44-byte-header PCM WAV file for 16-bit samples.
std::vector<std::uint8_t> makeWav16(const std::vector<std::int16_t>& interleaved, int sampleRate,
                                    int channels);

/// Writes a 16-bit PCM WAV file atomically; returns an error text or "".
std::string writeWav16(const std::filesystem::path& path,
                       const std::vector<std::int16_t>& interleaved, int sampleRate, int channels);

/// Streams 16-bit mono samples into a WAV file: the samples go to a
/// temporary file beside `path`, which finish() completes and renames over
/// `path`; a writer destroyed before finish() leaves nothing behind.
class WavWriter {
  public:
    WavWriter(const std::filesystem::path& path, int sampleRate);
    /// "" when the temporary file is open for writing, else why not.
    const std::string& error() const { return error_; }
    /// Appends samples; false when the file would outgrow what a WAV can
    /// hold (4 GiB) or the write failed (see error()).
    bool write(const std::int16_t* samples, std::size_t count);
    std::uint64_t samplesWritten() const { return written_; }
    /// Completes the header and renames the file into place; "" or the reason.
    std::string finish();

  private:
    PendingFile pending_;
    std::ofstream file_;
    int rate_;
    std::uint64_t written_ = 0;
    std::string error_;
    std::vector<std::uint8_t> buffer_;
};

}  // namespace zadaravod

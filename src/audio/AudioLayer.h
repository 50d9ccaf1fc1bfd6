#pragma once

#include <cstdint>
#include <string>

namespace zadaravod {

/// What the audio layer tells about a sound file.
struct AudioInfo {
    double sampleRate = 0;  ///< Hz
    int channels = 0;
    int bitsPerSample = 0;  ///< for compressed streams the decoded width, 16
    double lengthSeconds = 0;
    double extra = 0;  ///< the stream's bit rate in kbit/s (0 when unknown)
    /// A WAV file whose samples the converter plugin takes as they are:
    /// integer PCM of 8 or 16 bits, mono or stereo.
    bool plainPcm = false;
};

/// Reads the audio information of `path`. WAV files with PCM or float samples
/// report their header's own values (an 8-bit stereo WAV reports 8 bits and 2
/// channels, its length comes from the data chunk's size); every other file is
/// probed with FFmpeg. Returns false with a reason in `error` (naming the file)
/// when the file cannot be read, holds no audio stream or reports a rate of 0.
bool readAudioInfo(const std::string& path, AudioInfo& info, std::string& error);

/// The outcome of a conversion.
struct ConversionResult {
    bool ok = false;
    std::string error;         ///< why it failed (names the file); empty on success
    std::uint64_t frames = 0;  ///< samples written to the output
};

/// The highest rate a conversion accepts, in Hz.
inline constexpr int kMaxConversionRate = 384000;

/// Decodes `source` (anything FFmpeg reads: WAV, MP3, WMA, ...), mixes it to
/// one channel as the mean of its channels ((L+R)/2 for stereo), resamples it
/// with the soxr resampler to `rate` Hz (1..kMaxConversionRate) and writes a
/// canonical 16-bit mono PCM WAV file to `output`. The output is written
/// atomically: on failure an existing `output` is untouched and nothing is left
/// behind, and `output` may be `source` itself. A source without any decodable
/// sample is a failure. Damaged packets inside a stream are skipped, as players do.
ConversionResult convertToMonoWav(const std::string& source, const std::string& output, int rate);

}  // namespace zadaravod

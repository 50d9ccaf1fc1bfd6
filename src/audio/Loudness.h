#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "format/ElementCodec.h"

namespace zadaravod {

// Silence trimming and loudness normalisation of 16-bit mono sounds. Levels
// in dBFS are RMS levels against a full-scale square wave (a full-scale sine
// is -3 dBFS); loudness is EBU R128 integrated loudness in LUFS and peaks are
// true peaks in dBTP, both measured with libebur128.

/// The lowest and highest sampling rates these functions take, in Hz (the
/// loudness weighting filter needs a rate above 3400 Hz).
inline constexpr int kMinProcessingRate = 4000;
inline constexpr int kMaxProcessingRate = 384000;

/// How silence is found and cut.
struct TrimOptions {
    /// A window whose RMS level is below this counts as silence (-96..0).
    double thresholdDbfs = -45.0;
    int windowMs = 10;  ///< the analysis window (1..1000)
    /// Kept before the first and after the last sounding window and faded
    /// in and out linearly over that span, so the cut makes no click (0..100).
    int fadeMs = 5;
};

/// What a trim removed.
struct TrimResult {
    std::size_t removedLeading = 0;   ///< samples cut from the start
    std::size_t removedTrailing = 0;  ///< samples cut from the end
    std::uint64_t savedBytes = 0;     ///< flash bytes the shorter element saves
    std::size_t removed() const { return removedLeading + removedTrailing; }
};

/// The bytes the sample data of a sound element of `samples` samples takes:
/// 42 bytes for each started block of 65 samples.
inline std::uint64_t elementDataBytes(std::uint64_t samples) {
    const std::uint64_t blocks =
        (samples + element::kSamplesPerBlock - 1) / element::kSamplesPerBlock;
    return blocks * element::kBlockBytes;
}

/// Cuts leading and trailing silence from `samples` (mono, `rate` Hz) and
/// fades the new ends. A side with no silence to cut is left as it is.
/// Returns "" on success; otherwise the reason (bad options or rate, no
/// samples, or a sound that is silence throughout and would become empty),
/// and `samples` and `result` are left unchanged.
std::string trimSilence(std::vector<std::int16_t>& samples, int rate, const TrimOptions& options,
                        TrimResult& result);

/// The loudness target.
struct LoudnessOptions {
    double targetLufs = -16.0;          ///< integrated loudness to reach (-70..-5)
    double truePeakCeilingDbtp = -1.0;  ///< no true peak above this (-20..0)
};

/// A measurement of a sound.
struct LoudnessMeasurement {
    double integratedLufs = 0;  ///< -infinity for silence
    double truePeakDbtp = 0;    ///< -infinity for silence
};

/// Measures `samples` (mono, `rate` Hz). A sound shorter than the 400 ms
/// gating block is measured as if repeated to that length (the mean power of
/// a repetition is the sound's own). Returns "" or the reason of a failure.
std::string measureLoudness(std::span<const std::int16_t> samples, int rate,
                            LoudnessMeasurement& measurement);

/// What a normalisation did.
struct LoudnessResult {
    LoudnessMeasurement before;
    LoudnessMeasurement after;  ///< measured on the written samples
    double gainDb = 0;          ///< the gain applied
    /// True when the ceiling held the gain below what the target asked:
    /// the result is then quieter than the target.
    bool peakLimited = false;
};

/// Brings `samples` (mono, `rate` Hz) to the target loudness with one gain,
/// lowered where needed so that the true peak stays at or below the ceiling
/// (so no sample clips). Returns "" on success; otherwise the reason (bad
/// options or rate, no samples, a sound too quiet to measure) and `samples`
/// is left unchanged.
std::string normalizeLoudness(std::vector<std::int16_t>& samples, int rate,
                              const LoudnessOptions& options, LoudnessResult& result);

/// What processWavFile does.
struct SoundProcessing {
    bool trim = true;
    bool normalize = true;
    TrimOptions trimOptions;
    LoudnessOptions loudnessOptions;
};

/// The outcome of processWavFile.
struct SoundProcessingResult {
    bool ok = false;
    std::string error;  ///< names the file; empty on success
    int sampleRate = 0;
    std::int64_t durationMs = 0;  ///< the new length, truncated to whole ms
    std::size_t samples = 0;      ///< the new sample count
    TrimResult trim;              ///< zero when no trim was asked for
    LoudnessResult loudness;      ///< zero when no normalisation was asked for
};

/// The largest WAV file processWavFile reads, in bytes (25 minutes of
/// 16-bit mono at 22050 Hz).
inline constexpr std::uintmax_t kMaxProcessedWavBytes = std::uintmax_t{64} << 20;

/// Trims and/or normalises the WAV file at `path` in place: reads it (8 or 16
/// bits, mono or stereo PCM; stereo is mixed to (L+R)/2), processes the
/// samples, and writes a canonical 16-bit mono WAV at the same rate through a
/// temporary file in the same folder that is renamed over the original, which
/// keeps its permission bits. A symbolic link is refused rather than followed,
/// as is anything but a regular file. On any failure the file is unchanged.
/// With neither step asked for, the file is read and not written.
SoundProcessingResult processWavFile(const std::filesystem::path& path,
                                     const SoundProcessing& options);

}  // namespace zadaravod

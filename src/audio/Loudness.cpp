#include "audio/Loudness.h"

#include <ebur128.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <memory>

#include "format/ElementCodec.h"
#include "format/WavFile.h"
#include "io/AtomicFile.h"

namespace zadaravod {
namespace fs = std::filesystem;

namespace {

/// The EBU R128 gating block: the shortest span integrated loudness measures.
constexpr double kGatingBlockSeconds = 0.4;
/// Headroom kept below the true-peak ceiling for the rounding to 16 bits.
constexpr double kCeilingMarginDb = 0.02;
/// Full scale of a 16-bit sample.
constexpr double kFullScale = 32768.0;

struct StateFreer {
    void operator()(ebur128_state* s) const { ebur128_destroy(&s); }
};
using StatePtr = std::unique_ptr<ebur128_state, StateFreer>;

std::string number(double value) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.1f", value);
    return buf;
}

std::string checkRate(int rate) {
    if (rate < kMinProcessingRate || rate > kMaxProcessingRate) {
        return "The sampling rate " + std::to_string(rate) +
               " Hz cannot be processed; rates from " + std::to_string(kMinProcessingRate) +
               " to " + std::to_string(kMaxProcessingRate) + " Hz can";
    }
    return {};
}

std::string checkSound(std::span<const std::int16_t> samples, int rate) {
    if (std::string e = checkRate(rate); !e.empty()) return e;
    if (samples.empty()) return "The sound holds no samples";
    return {};
}

/// Samples in `ms` milliseconds at `rate` Hz, truncated.
std::size_t samplesIn(int ms, int rate) {
    return static_cast<std::size_t>(static_cast<std::int64_t>(ms) * rate / 1000);
}

double toDb(double linear) {
    return linear > 0 ? 20.0 * std::log10(linear) : -std::numeric_limits<double>::infinity();
}

/// Feeds `samples` into a new state of `mode`; null when the library refuses.
StatePtr measured(std::span<const std::int16_t> samples, int rate, int mode) {
    StatePtr state(ebur128_init(1, static_cast<unsigned long>(rate), mode));
    if (!state) return nullptr;
    if (ebur128_add_frames_short(state.get(), samples.data(), samples.size()) != EBUR128_SUCCESS) {
        return nullptr;
    }
    return state;
}

}  // namespace

// ---------------------------------------------------------------- trim

std::string trimSilence(std::vector<std::int16_t>& samples, int rate, const TrimOptions& options,
                        TrimResult& result) {
    if (std::string e = checkSound(samples, rate); !e.empty()) return e;
    if (!(options.thresholdDbfs >= -96.0 && options.thresholdDbfs <= 0.0)) {
        return "The silence threshold " + number(options.thresholdDbfs) +
               " dBFS cannot be used; choose -96 to 0 dBFS";
    }
    if (options.windowMs < 1 || options.windowMs > 1000) {
        return "The silence window of " + std::to_string(options.windowMs) +
               " ms cannot be used; choose 1 to 1000 ms";
    }
    if (options.fadeMs < 0 || options.fadeMs > 100) {
        return "The fade of " + std::to_string(options.fadeMs) +
               " ms cannot be used; choose 0 to 100 ms";
    }

    const std::size_t n = samples.size();
    const std::size_t window = std::max<std::size_t>(1, samplesIn(options.windowMs, rate));
    const double rms = kFullScale * std::pow(10.0, options.thresholdDbfs / 20.0);
    const double threshold = rms * rms;
    // A window is sound when its mean square reaches the threshold's; the
    // last window may be shorter and is judged by its own length.
    auto sounding = [&](std::size_t begin) {
        const std::size_t end = std::min(n, begin + window);
        double sum = 0;
        for (std::size_t i = begin; i < end; ++i) {
            sum += static_cast<double>(samples[i]) * samples[i];
        }
        return sum >= threshold * static_cast<double>(end - begin);
    };
    std::size_t first = n;
    for (std::size_t w = 0; w < n; w += window) {
        if (sounding(w)) {
            first = w;
            break;
        }
    }
    if (first == n) {
        return "The sound is silent: no part of it reaches " + number(options.thresholdDbfs) +
               " dBFS, so trimming would leave nothing; lower the threshold or choose another "
               "sound";
    }
    std::size_t lastEnd = first + window;
    for (std::size_t w = (n - 1) / window * window; w > first; w -= window) {
        if (sounding(w)) {
            lastEnd = w + window;
            break;
        }
    }
    lastEnd = std::min(n, lastEnd);

    const std::size_t fade = samplesIn(options.fadeMs, rate);
    const std::size_t start = first > fade ? first - fade : 0;
    const std::size_t end = std::min(n, lastEnd + fade);

    std::vector<std::int16_t> kept(samples.begin() + static_cast<std::ptrdiff_t>(start),
                                   samples.begin() + static_cast<std::ptrdiff_t>(end));
    // Fades run over the kept margins only, and only where something was cut.
    if (start > 0) {
        const std::size_t span = first - start;
        for (std::size_t i = 0; i < span; ++i) {
            const double g = static_cast<double>(i + 1) / static_cast<double>(span + 1);
            kept[i] = static_cast<std::int16_t>(std::lround(kept[i] * g));
        }
    }
    if (end < n) {
        const std::size_t span = end - lastEnd;
        for (std::size_t i = 0; i < span; ++i) {
            const double g = static_cast<double>(span - i) / static_cast<double>(span + 1);
            std::int16_t& s = kept[kept.size() - span + i];
            s = static_cast<std::int16_t>(std::lround(s * g));
        }
    }

    result.removedLeading = start;
    result.removedTrailing = n - end;
    result.savedBytes = elementDataBytes(n) - elementDataBytes(kept.size());
    samples = std::move(kept);
    return {};
}

// ---------------------------------------------------------------- loudness

std::string measureLoudness(std::span<const std::int16_t> samples, int rate,
                            LoudnessMeasurement& measurement) {
    if (std::string e = checkSound(samples, rate); !e.empty()) return e;
    const auto block = static_cast<std::size_t>(std::ceil(kGatingBlockSeconds * rate));
    std::vector<std::int16_t> repeated;
    std::span<const std::int16_t> gated = samples;
    if (samples.size() < block) {
        repeated.reserve(block + samples.size());
        while (repeated.size() < block)
            repeated.insert(repeated.end(), samples.begin(), samples.end());
        gated = repeated;
    }
    const StatePtr loudness = measured(gated, rate, EBUR128_MODE_I);
    const StatePtr peak = measured(samples, rate, EBUR128_MODE_TRUE_PEAK);
    double lufs = 0, truePeak = 0;
    if (!loudness || !peak || ebur128_loudness_global(loudness.get(), &lufs) != EBUR128_SUCCESS ||
        ebur128_true_peak(peak.get(), 0, &truePeak) != EBUR128_SUCCESS) {
        return "The loudness of the sound cannot be measured";
    }
    measurement.integratedLufs = lufs;
    measurement.truePeakDbtp = toDb(truePeak);
    return {};
}

std::string normalizeLoudness(std::vector<std::int16_t>& samples, int rate,
                              const LoudnessOptions& options, LoudnessResult& result) {
    if (!(options.targetLufs >= -70.0 && options.targetLufs <= -5.0)) {
        return "The loudness target " + number(options.targetLufs) +
               " LUFS cannot be used; choose -70 to -5 LUFS";
    }
    if (!(options.truePeakCeilingDbtp >= -20.0 && options.truePeakCeilingDbtp <= 0.0)) {
        return "The peak ceiling " + number(options.truePeakCeilingDbtp) +
               " dBTP cannot be used; choose -20 to 0 dBTP";
    }
    LoudnessMeasurement before;
    if (std::string e = measureLoudness(samples, rate, before); !e.empty()) return e;
    // The absolute gate of integrated loudness: anything quieter reads as
    // silence, and a gain for it would only raise noise.
    if (!std::isfinite(before.integratedLufs) || before.integratedLufs < -70.0 ||
        !std::isfinite(before.truePeakDbtp)) {
        return "The sound is silent or too quiet to measure (below -70 LUFS), so it cannot be "
               "brought to " +
               number(options.targetLufs) + " LUFS";
    }

    double gainDb = options.targetLufs - before.integratedLufs;
    const double allowedDb = options.truePeakCeilingDbtp - kCeilingMarginDb - before.truePeakDbtp;
    const bool limited = gainDb > allowedDb;
    if (limited) gainDb = allowedDb;

    const double gain = std::pow(10.0, gainDb / 20.0);
    std::vector<std::int16_t> out(samples.size());
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const double v = std::clamp(std::round(samples[i] * gain), -32768.0, 32767.0);
        out[i] = static_cast<std::int16_t>(v);
    }
    LoudnessMeasurement after;
    if (std::string e = measureLoudness(out, rate, after); !e.empty()) return e;

    result.before = before;
    result.after = after;
    result.gainDb = gainDb;
    result.peakLimited = limited;
    samples = std::move(out);
    return {};
}

// ---------------------------------------------------------------- files

SoundProcessingResult processWavFile(const fs::path& path, const SoundProcessing& options) {
    SoundProcessingResult result;
    auto fail = [&](const std::string& reason) {
        result.error = path.string() + ": " + reason;
        return result;
    };
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(path, ec);
    if (ec || !fs::exists(status)) return fail("the file does not exist");
    if (fs::is_symlink(status)) {
        return fail("is a symbolic link; only a regular file is changed in place");
    }
    if (!fs::is_regular_file(status)) return fail("is not a regular file");

    std::string bytes, error;
    if (!readWholeFile(path, bytes, error, kMaxProcessedWavBytes)) {
        result.error = error;
        return result;
    }
    WavData wav;
    if (!parseWav(bytes, wav, error)) return fail(error);
    std::string().swap(bytes);  // frees the file's bytes before the next copy
    std::vector<std::int16_t> samples = wav.mono();
    std::vector<std::int16_t>().swap(wav.samples);
    const int rate = wav.sampleRate;

    if (options.trim) {
        if (std::string e = trimSilence(samples, rate, options.trimOptions, result.trim);
            !e.empty()) {
            return fail(e);
        }
    }
    if (options.normalize) {
        if (std::string e =
                normalizeLoudness(samples, rate, options.loudnessOptions, result.loudness);
            !e.empty()) {
            return fail(e);
        }
    }
    if (options.trim || options.normalize) {
        if (std::string e = writeWav16(path, samples, rate, 1); !e.empty()) {
            result.error = e;
            return result;
        }
        // The new file takes the old one's permission bits; a failure here
        // leaves the default bits and is no reason to report the write failed.
        fs::permissions(path, status.permissions(), fs::perm_options::replace, ec);
    }
    result.ok = true;
    result.sampleRate = rate;
    result.samples = samples.size();
    result.durationMs = static_cast<std::int64_t>(samples.size()) * 1000 / rate;
    return result;
}

}  // namespace zadaravod

// Silence trimming and loudness normalisation, on samples and on WAV files
// in place. Loudness and true peaks are checked with libebur128 called
// directly and, once, with the ffmpeg program's ebur128 filter.
#include <ebur128.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>

#include "audio/Loudness.h"
#include "format/WavFile.h"
#include "support/TempDir.h"

namespace zadaravod {
namespace {
namespace fs = std::filesystem;
using test::TempDir;

constexpr int kRate = 16000;

/// A sine of `amplitude` (of full scale) for `seconds`, starting at phase 0.
std::vector<std::int16_t> tone(double seconds, double hz, double amplitude, int rate = kRate) {
    std::vector<std::int16_t> out(static_cast<std::size_t>(std::lround(seconds * rate)));
    for (std::size_t i = 0; i < out.size(); ++i) {
        out[i] = static_cast<std::int16_t>(
            std::lround(amplitude * 32767.0 *
                        std::sin(2 * std::numbers::pi * hz * static_cast<double>(i) / rate)));
    }
    return out;
}

/// Deterministic noise of at most `peak` either way.
std::vector<std::int16_t> noise(double seconds, int peak, unsigned seed = 1) {
    std::vector<std::int16_t> out(static_cast<std::size_t>(std::lround(seconds * kRate)));
    for (std::int16_t& s : out) {
        seed = seed * 1103515245u + 12345u;
        s = static_cast<std::int16_t>(
            static_cast<int>((seed >> 16) % static_cast<unsigned>(2 * peak + 1)) - peak);
    }
    return out;
}

std::vector<std::int16_t> join(std::initializer_list<std::vector<std::int16_t>> parts) {
    std::vector<std::int16_t> out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

/// 0.3 s of faint noise, 0.5 s of a 1 kHz tone at -12 dB, 0.4 s of faint noise.
std::vector<std::int16_t> toneInSilence() {
    return join({noise(0.3, 30, 7), tone(0.5, 1000, 0.25), noise(0.4, 30, 9)});
}

struct Measured {
    double lufs = 0;
    double truePeakDb = 0;
};

/// libebur128 called directly (for sounds of at least 400 ms).
Measured measureDirectly(const std::vector<std::int16_t>& s, int rate = kRate) {
    ebur128_state* st =
        ebur128_init(1, static_cast<unsigned long>(rate), EBUR128_MODE_I | EBUR128_MODE_TRUE_PEAK);
    EXPECT_NE(st, nullptr);
    Measured m;
    if (st == nullptr) return m;
    ebur128_add_frames_short(st, s.data(), s.size());
    double peak = 0;
    ebur128_loudness_global(st, &m.lufs);
    ebur128_true_peak(st, 0, &peak);
    m.truePeakDb = 20 * std::log10(peak);
    ebur128_destroy(&st);
    return m;
}

/// The integrated loudness the ffmpeg program's ebur128 filter reports.
double ffmpegLufs(const fs::path& wav) {
    const std::string command = "/usr/bin/ffmpeg -hide_banner -nostats -nostdin -i \"" +
                                wav.string() + "\" -af ebur128 -f null - 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return NAN;
    std::string text;
    char buf[4096];
    while (std::size_t n = std::fread(buf, 1, sizeof buf, pipe)) text.append(buf, n);
    pclose(pipe);
    const std::size_t summary = text.find("Summary:");
    const std::size_t at = text.find("I:", summary == std::string::npos ? 0 : summary);
    if (summary == std::string::npos || at == std::string::npos) {
        ADD_FAILURE() << text;
        return NAN;
    }
    return std::strtod(text.c_str() + at + 2, nullptr);
}

int maxAbs(const std::vector<std::int16_t>& s) {
    int m = 0;
    for (std::int16_t v : s) m = std::max(m, std::abs(static_cast<int>(v)));
    return m;
}

// ---------------------------------------------------------------- trim

TEST(ElementBytes, FortyTwoPerStartedBlockOfSixtyFive) {
    EXPECT_EQ(elementDataBytes(0), 0u);
    EXPECT_EQ(elementDataBytes(1), 42u);
    EXPECT_EQ(elementDataBytes(40), 42u);  // the 10 ms silence: 26 + 42 = 68 bytes
    EXPECT_EQ(elementDataBytes(65), 42u);
    EXPECT_EQ(elementDataBytes(66), 84u);
    EXPECT_EQ(elementDataBytes(6500), 4200u);
    EXPECT_EQ(elementDataBytes(6501), 4242u);
}

TEST(TrimSilence, ToneLosesTheSilenceAroundIt) {
    const auto original = toneInSilence();
    auto s = original;
    TrimResult r;
    ASSERT_EQ(trimSilence(s, kRate, TrimOptions{}, r), "");
    // The tone spans windows 30..79 (10 ms = 160 samples each); 5 ms = 80
    // samples are kept on each side.
    EXPECT_EQ(r.removedLeading, 4800u - 80u);
    EXPECT_EQ(r.removedTrailing, original.size() - 12800u - 80u);
    EXPECT_EQ(s.size(), 8000u + 160u);
    EXPECT_EQ(s.size() * 1000 / kRate, 510u);
    EXPECT_EQ(r.savedBytes, (296u - 126u) * 42u);
    // The tone itself is untouched; the kept margins fade to nothing at the
    // new ends, so there is no click.
    for (std::size_t i = 80; i < 8080; ++i) ASSERT_EQ(s[i], original[4720 + i]) << i;
    EXPECT_LE(std::abs(s.front()), 1);
    EXPECT_LE(std::abs(s.back()), 1);
}

TEST(TrimSilence, OnlyTheEndsAreCut) {
    // No silence at either end: nothing changes, not even a fade.
    const auto full = tone(0.3, 440, 0.5);
    auto s = full;
    TrimResult r;
    ASSERT_EQ(trimSilence(s, kRate, TrimOptions{}, r), "");
    EXPECT_EQ(s, full);
    EXPECT_EQ(r.removed(), 0u);
    EXPECT_EQ(r.savedBytes, 0u);

    // A pause in the middle stays.
    const auto paused =
        join({tone(0.2, 440, 0.5), std::vector<std::int16_t>(8000), tone(0.2, 440, 0.5)});
    s = paused;
    ASSERT_EQ(trimSilence(s, kRate, TrimOptions{}, r), "");
    EXPECT_EQ(s.size(), paused.size());
}

TEST(TrimSilence, ThresholdAndFadeAreSettings) {
    // At -70 dBFS the faint noise (about -66 dBFS) counts as sound.
    auto s = toneInSilence();
    TrimResult r;
    TrimOptions low;
    low.thresholdDbfs = -70;
    ASSERT_EQ(trimSilence(s, kRate, low, r), "");
    EXPECT_LT(r.removed(), 160u);

    // Without a fade the cut falls on the window edges.
    s = toneInSilence();
    TrimOptions hard;
    hard.fadeMs = 0;
    ASSERT_EQ(trimSilence(s, kRate, hard, r), "");
    EXPECT_EQ(r.removedLeading, 4800u);
    EXPECT_EQ(s.size(), 8000u);
}

TEST(TrimSilence, SilenceIsRefusedAndLeftAlone) {
    for (const auto& silent : {std::vector<std::int16_t>(16000), noise(1.0, 30)}) {
        auto s = silent;
        TrimResult r;
        const std::string e = trimSilence(s, kRate, TrimOptions{}, r);
        EXPECT_NE(e.find("silent"), std::string::npos) << e;
        EXPECT_NE(e.find("-45.0 dBFS"), std::string::npos) << e;
        EXPECT_EQ(s, silent);
        EXPECT_EQ(r.removed(), 0u);
    }
}

TEST(TrimSilence, BadSettingsAreRefused) {
    auto s = toneInSilence();
    TrimResult r;
    TrimOptions o;
    o.thresholdDbfs = 3;
    EXPECT_NE(trimSilence(s, kRate, o, r).find("-96 to 0"), std::string::npos);
    o = TrimOptions{};
    o.thresholdDbfs = NAN;
    EXPECT_NE(trimSilence(s, kRate, o, r), "");
    o = TrimOptions{};
    o.windowMs = 0;
    EXPECT_NE(trimSilence(s, kRate, o, r).find("1 to 1000 ms"), std::string::npos);
    o = TrimOptions{};
    o.fadeMs = 101;
    EXPECT_NE(trimSilence(s, kRate, o, r).find("0 to 100 ms"), std::string::npos);
    EXPECT_NE(trimSilence(s, 3000, TrimOptions{}, r).find("3000 Hz"), std::string::npos);
    std::vector<std::int16_t> empty;
    EXPECT_NE(trimSilence(empty, kRate, TrimOptions{}, r).find("no samples"), std::string::npos);
    EXPECT_EQ(s, toneInSilence());
}

// ---------------------------------------------------------------- loudness

TEST(NormalizeLoudness, QuietAndLoudEndAtTheTarget) {
    const std::vector<std::int16_t> inputs[] = {
        tone(2.0, 440, 0.01),                                // about -43 LUFS
        join({tone(1.0, 440, 0.95), tone(1.0, 1000, 0.9)}),  // about -4 LUFS
        join({tone(0.7, 300, 0.3), noise(0.5, 3000), tone(0.8, 2500, 0.2)}),
    };
    for (const auto& input : inputs) {
        auto s = input;
        LoudnessResult r;
        ASSERT_EQ(normalizeLoudness(s, kRate, LoudnessOptions{}, r), "");
        const Measured m = measureDirectly(s);
        EXPECT_NEAR(m.lufs, -16.0, 1.0);
        EXPECT_LE(m.truePeakDb, -1.0);
        EXPECT_LT(maxAbs(s), 32767);
        EXPECT_FALSE(r.peakLimited);
        EXPECT_NEAR(r.after.integratedLufs, m.lufs, 0.05);
        EXPECT_NEAR(r.before.integratedLufs + r.gainDb, m.lufs, 0.1);
    }
}

TEST(NormalizeLoudness, AgreesWithFfmpeg) {
    TempDir dir;
    for (int rate : {8000, 22000}) {
        auto s = join({tone(1.0, 440, 0.02, rate), tone(1.0, 700, 0.05, rate)});
        LoudnessOptions o;
        o.targetLufs = -20;
        LoudnessResult r;
        ASSERT_EQ(normalizeLoudness(s, rate, o, r), "");
        const fs::path file = dir / ("n" + std::to_string(rate) + ".wav");
        ASSERT_EQ(writeWav16(file, s, rate, 1), "");
        EXPECT_NEAR(ffmpegLufs(file), -20.0, 1.0) << rate;
    }
}

TEST(NormalizeLoudness, CeilingKeepsPeaksFromClipping) {
    // A quiet tone with loud clicks: the target asks for about +8 dB, which
    // would drive the clicks (-6 dBFS) past full scale.
    auto s = tone(2.0, 440, 0.1);
    for (std::size_t i = 1000; i < s.size(); i += 4000) s[i] = s[i + 1] = 16384;
    LoudnessResult r;
    ASSERT_EQ(normalizeLoudness(s, kRate, LoudnessOptions{}, r), "");
    EXPECT_TRUE(r.peakLimited);
    const Measured m = measureDirectly(s);
    EXPECT_LE(m.truePeakDb, -1.0);
    EXPECT_GT(m.truePeakDb, -1.5);
    EXPECT_LT(m.lufs, -16.5);
    EXPECT_LT(maxAbs(s), 32767);

    // A stricter ceiling holds too.
    s = tone(1.0, 1000, 0.9);
    LoudnessOptions strict;
    strict.targetLufs = -5;
    strict.truePeakCeilingDbtp = -6;
    ASSERT_EQ(normalizeLoudness(s, kRate, strict, r), "");
    EXPECT_LE(measureDirectly(s).truePeakDb, -6.0);
}

TEST(NormalizeLoudness, ShortSoundIsMeasuredByItsPower) {
    // 200 ms is shorter than one gating block. A 1 kHz sine at -16 LUFS has
    // a peak of about -13 dBFS (a full-scale 1 kHz sine reads -3 LUFS).
    auto s = tone(0.2, 1000, 0.05);
    LoudnessResult r;
    ASSERT_EQ(normalizeLoudness(s, kRate, LoudnessOptions{}, r), "");
    EXPECT_NEAR(20 * std::log10(maxAbs(s) / 32768.0), -16.0 + 3.0, 1.0);
}

TEST(NormalizeLoudness, SilenceIsRefused) {
    for (const auto& silent : {std::vector<std::int16_t>(16000), noise(1.0, 1)}) {
        auto s = silent;
        LoudnessResult r;
        const std::string e = normalizeLoudness(s, kRate, LoudnessOptions{}, r);
        EXPECT_NE(e.find("silent"), std::string::npos) << e;
        EXPECT_EQ(s, silent);
    }
    auto s = tone(1.0, 440, 0.5);
    LoudnessResult r;
    LoudnessOptions o;
    o.targetLufs = 0;
    EXPECT_NE(normalizeLoudness(s, kRate, o, r).find("-70 to -5"), std::string::npos);
    o = LoudnessOptions{};
    o.truePeakCeilingDbtp = 1;
    EXPECT_NE(normalizeLoudness(s, kRate, o, r).find("-20 to 0"), std::string::npos);
    EXPECT_EQ(s, tone(1.0, 440, 0.5));
}

// ---------------------------------------------------------------- files

TEST(ProcessWavFile, TrimsAndNormalisesInPlace) {
    TempDir dir;
    const fs::path file = dir / "word.wav";
    // A stereo file: both channels carry the tone in silence.
    std::vector<std::int16_t> stereo;
    for (std::int16_t v : toneInSilence()) stereo.insert(stereo.end(), {v, v});
    ASSERT_EQ(writeWav16(file, stereo, kRate, 2), "");
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write);

    const SoundProcessingResult r = processWavFile(file, SoundProcessing{});
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.durationMs, 510);
    EXPECT_EQ(r.sampleRate, kRate);
    EXPECT_EQ(r.trim.savedBytes, (296u - 126u) * 42u);

    WavData wav;
    std::string error;
    ASSERT_TRUE(readWav(file, wav, error)) << error;
    EXPECT_EQ(wav.channels, 1);
    EXPECT_EQ(wav.bitsPerSample, 16);
    EXPECT_EQ(wav.sampleRate, kRate);
    EXPECT_EQ(wav.samples.size(), 8160u);
    EXPECT_NEAR(measureDirectly(wav.samples).lufs, -16.0, 1.0);
    EXPECT_EQ(fs::status(file).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    // Nothing but the file itself is left in the folder.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST(ProcessWavFile, FailuresLeaveTheFileAsItWas) {
    TempDir dir;
    const fs::path silent = dir / "silent.wav";
    ASSERT_EQ(writeWav16(silent, std::vector<std::int16_t>(8000), 8000, 1), "");
    const std::string silentBytes = test::readFile(silent);

    SoundProcessingResult r = processWavFile(silent, SoundProcessing{});
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find(silent.string()), std::string::npos) << r.error;
    EXPECT_NE(r.error.find("silent"), std::string::npos) << r.error;
    SoundProcessing normalizeOnly;
    normalizeOnly.trim = false;
    r = processWavFile(silent, normalizeOnly);
    EXPECT_NE(r.error.find("silent"), std::string::npos) << r.error;
    EXPECT_EQ(test::readFile(silent), silentBytes);

    // A link is not followed, wherever it points.
    TempDir outside;
    const fs::path target = outside / "real.wav";
    ASSERT_EQ(writeWav16(target, toneInSilence(), kRate, 1), "");
    const std::string targetBytes = test::readFile(target);
    fs::create_symlink(target, dir / "link.wav");
    r = processWavFile(dir / "link.wav", SoundProcessing{});
    EXPECT_NE(r.error.find("symbolic link"), std::string::npos) << r.error;
    EXPECT_TRUE(fs::is_symlink(dir / "link.wav"));
    EXPECT_EQ(test::readFile(target), targetBytes);

    test::writeFile(dir / "text.wav", "not a sound");
    r = processWavFile(dir / "text.wav", SoundProcessing{});
    EXPECT_NE(r.error.find("RIFF"), std::string::npos) << r.error;
    EXPECT_EQ(test::readFile(dir / "text.wav"), "not a sound");

    EXPECT_NE(processWavFile(dir / "missing.wav", {}).error.find("does not exist"),
              std::string::npos);
    fs::create_directory(dir / "folder.wav");
    EXPECT_NE(processWavFile(dir / "folder.wav", {}).error.find("not a regular file"),
              std::string::npos);

    // A rate the loudness filter cannot weight.
    ASSERT_EQ(writeWav16(dir / "low.wav", tone(0.5, 300, 0.5, 3000), 3000, 1), "");
    EXPECT_NE(processWavFile(dir / "low.wav", {}).error.find("3000 Hz"), std::string::npos);

    // Neither step asked for: the file is read, not rewritten.
    SoundProcessing nothing;
    nothing.trim = nothing.normalize = false;
    r = processWavFile(target, nothing);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.durationMs, 1200);
    EXPECT_EQ(test::readFile(target), targetBytes);
}

}  // namespace
}  // namespace zadaravod

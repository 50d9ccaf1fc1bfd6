// The audio layer: audio information and conversion over FFmpeg.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "audio/AudioLayer.h"
#include "format/WavFile.h"
#include "model/SamplingRates.h"
#include "support/AudioFixtures.h"

namespace zadaravod {
namespace {
using test::TempDir;

AudioInfo infoOf(const std::filesystem::path& path) {
    AudioInfo info;
    std::string error;
    EXPECT_TRUE(readAudioInfo(path.string(), info, error)) << error;
    return info;
}

WavData readBack(const std::filesystem::path& path) {
    WavData wav;
    std::string error;
    EXPECT_TRUE(readWav(path, wav, error)) << error;
    return wav;
}

double rms(const std::vector<std::int16_t>& s, std::size_t from, std::size_t to) {
    double sum = 0;
    for (std::size_t i = from; i < to; ++i) sum += static_cast<double>(s[i]) * s[i];
    return std::sqrt(sum / static_cast<double>(to - from));
}

TEST(AudioInfo, WavFilesReportTheirHeaderValues) {
    TempDir dir;
    test::writePcmWav(dir / "s8.wav", 16000, 2, 8, 1.5);
    const AudioInfo s8 = infoOf(dir / "s8.wav");
    EXPECT_EQ(s8.sampleRate, 16000);
    EXPECT_EQ(s8.channels, 2);
    EXPECT_EQ(s8.bitsPerSample, 8);
    EXPECT_DOUBLE_EQ(s8.lengthSeconds, 1.5);
    EXPECT_DOUBLE_EQ(s8.extra, 256.0);  // 16000 x 2 x 8 bit/s

    std::vector<int> rates(kSupportedRates.begin(), kSupportedRates.end());
    rates.push_back(11025);
    for (int rate : rates) {
        const auto path = dir / ("m" + std::to_string(rate) + ".wav");
        test::writePcmWav(path, rate, 1, 16, 0.5);
        const AudioInfo m = infoOf(path);
        EXPECT_EQ(m.sampleRate, rate);
        EXPECT_EQ(m.channels, 1);
        EXPECT_EQ(m.bitsPerSample, 16);
        EXPECT_NEAR(m.lengthSeconds, 0.5, 1.0 / rate);
    }
}

TEST(AudioInfo, AWavWhoseDataChunkClaimsMoreThanTheFileHoldsCountsWhatIsThere) {
    TempDir dir;
    test::writePcmWav(dir / "w.wav", 8000, 1, 16, 1.0);
    std::string bytes = test::readFile(dir / "w.wav");
    bytes[40] = '\xff';
    bytes[41] = '\xff';
    bytes[42] = '\xff';
    bytes[43] = '\x7f';
    test::writeFile(dir / "w.wav", bytes);
    EXPECT_DOUBLE_EQ(infoOf(dir / "w.wav").lengthSeconds, 1.0);
}

TEST(AudioInfo, CompressedFilesAreProbed) {
    TempDir dir;
    test::makeWithFfmpeg(dir / "a.mp3", 44100, 2, "libmp3lame", 2.0);
    const AudioInfo mp3 = infoOf(dir / "a.mp3");
    EXPECT_EQ(mp3.sampleRate, 44100);
    EXPECT_EQ(mp3.channels, 2);
    EXPECT_EQ(mp3.bitsPerSample, 16);
    EXPECT_NEAR(mp3.lengthSeconds, 2.0, 0.1);
    EXPECT_GT(mp3.extra, 8.0);  // kbit/s

    test::makeWithFfmpeg(dir / "a.wma", 22050, 1, "wmav2", 1.0);
    const AudioInfo wma = infoOf(dir / "a.wma");
    EXPECT_EQ(wma.sampleRate, 22050);
    EXPECT_EQ(wma.channels, 1);
    EXPECT_NEAR(wma.lengthSeconds, 1.0, 0.2);
}

TEST(AudioInfo, UnreadableFilesAreRefusedWithTheirName) {
    TempDir dir;
    test::writeFile(dir / "text.mp3", "this is no sound at all, just some words");
    test::writeFile(dir / "cut.wav", std::string("RIFF\x10\0\0\0WAVEfmt ", 16));
    for (const char* name : {"missing.wav", "text.mp3", "cut.wav"}) {
        AudioInfo info;
        std::string error;
        EXPECT_FALSE(readAudioInfo((dir / name).string(), info, error)) << name;
        EXPECT_NE(error.find(name), std::string::npos) << error;
    }
}

// Fits a*sin + b*cos at `frequency` by least squares over [from, to) and
// returns the signal-to-residual ratio in dB; `amplitude` gets sqrt(a²+b²).
double sineFitSnr(const std::vector<std::int16_t>& s, int rate, double frequency, std::size_t from,
                  std::size_t to, double& amplitude) {
    double ss = 0, cc = 0, sc = 0, ys = 0, yc = 0;
    for (std::size_t i = from; i < to; ++i) {
        const double w = 2 * std::numbers::pi * frequency * static_cast<double>(i) / rate;
        const double si = std::sin(w), ci = std::cos(w);
        ss += si * si;
        cc += ci * ci;
        sc += si * ci;
        ys += s[i] * si;
        yc += s[i] * ci;
    }
    const double det = ss * cc - sc * sc;
    const double a = (ys * cc - yc * sc) / det;
    const double b = (yc * ss - ys * sc) / det;
    double signal = 0, noise = 0;
    for (std::size_t i = from; i < to; ++i) {
        const double w = 2 * std::numbers::pi * frequency * static_cast<double>(i) / rate;
        const double ideal = a * std::sin(w) + b * std::cos(w);
        signal += ideal * ideal;
        noise += (s[i] - ideal) * (s[i] - ideal);
    }
    amplitude = std::hypot(a, b);
    return 10 * std::log10(signal / noise);
}

TEST(Conversion, KeepsFrequencyLengthAndPurityOfASine) {
    TempDir dir;
    const auto input = test::sineSamples(44100, 1, 2.0, 1000.0, 0.5);
    ASSERT_EQ(writeWav16(dir / "sine.wav", input, 44100, 1), "");
    const auto result =
        convertToMonoWav((dir / "sine.wav").string(), (dir / "out.wav").string(), 8000);
    ASSERT_TRUE(result.ok) << result.error;

    const WavData out = readBack(dir / "out.wav");
    EXPECT_EQ(out.sampleRate, 8000);
    EXPECT_EQ(out.channels, 1);
    EXPECT_EQ(out.bitsPerSample, 16);
    EXPECT_NEAR(static_cast<double>(out.samples.size()), 16000.0, 2.0);
    EXPECT_EQ(result.frames, out.samples.size());

    // Away from the edges, where the filter has no input on one side.
    double amplitude = 0;
    const double snr =
        sineFitSnr(out.samples, 8000, 1000.0, 200, out.samples.size() - 200, amplitude);
    EXPECT_GE(snr, 60.0);
    EXPECT_NEAR(amplitude, 0.5 * 32767, 0.01 * 32767);
}

TEST(Conversion, MixesStereoAsTheMeanOfBothChannels) {
    TempDir dir;
    // Left only: half the amplitude. Both equal: the full amplitude (not -3 dB).
    const auto leftOnly = test::sineSamples(8000, 2, 1.0, 500.0, 0.6, {1.0, 0.0});
    const auto both = test::sineSamples(8000, 2, 1.0, 500.0, 0.6, {1.0, 1.0});
    const auto opposite = test::sineSamples(8000, 2, 1.0, 500.0, 0.6, {1.0, -1.0});
    ASSERT_EQ(writeWav16(dir / "left.wav", leftOnly, 8000, 2), "");
    ASSERT_EQ(writeWav16(dir / "both.wav", both, 8000, 2), "");
    ASSERT_EQ(writeWav16(dir / "opposite.wav", opposite, 8000, 2), "");
    const double full = 0.6 * 32767 / std::sqrt(2.0);
    for (auto [name, expected] :
         {std::pair{"left", full / 2}, std::pair{"both", full}, std::pair{"opposite", 0.0}}) {
        const auto in = dir / (std::string(name) + ".wav");
        const auto out = dir / (std::string(name) + ".out.wav");
        ASSERT_TRUE(convertToMonoWav(in.string(), out.string(), 8000).ok) << name;
        const WavData wav = readBack(out);
        ASSERT_EQ(wav.channels, 1);
        ASSERT_GT(wav.samples.size(), 7000U);
        EXPECT_NEAR(rms(wav.samples, 500, 7000), expected, 0.01 * full + 2) << name;
    }
}

TEST(Conversion, DecodesMp3WmaAnd8BitWavAtAnyRate) {
    TempDir dir;
    test::makeWithFfmpeg(dir / "a.mp3", 44100, 2, "libmp3lame", 1.0);
    test::makeWithFfmpeg(dir / "a.wma", 16000, 1, "wmav2", 1.0);
    test::writePcmWav(dir / "s8.wav", 22000, 2, 8, 1.0);
    for (auto [name, rate] : {std::pair{"a.mp3", 11025}, std::pair{"a.wma", 22000},
                              std::pair{"s8.wav", 6000}, std::pair{"a.mp3", 8000}}) {
        const auto out = dir / (std::string(name) + std::to_string(rate) + ".wav");
        const auto result = convertToMonoWav((dir / name).string(), out.string(), rate);
        ASSERT_TRUE(result.ok) << name << ": " << result.error;
        const WavData wav = readBack(out);
        EXPECT_EQ(wav.sampleRate, rate);
        EXPECT_EQ(wav.channels, 1);
        EXPECT_EQ(wav.bitsPerSample, 16);
        EXPECT_NEAR(static_cast<double>(wav.samples.size()) / rate, 1.0, 0.15) << name;
        const AudioInfo info = infoOf(out);
        EXPECT_EQ(info.sampleRate, rate);
        EXPECT_EQ(info.channels, 1);
    }
}

TEST(Conversion, FailuresAreReportedAndLeaveTheOutputAlone) {
    TempDir dir;
    test::writePcmWav(dir / "good.wav", 8000, 1, 16, 0.5);
    test::writeFile(dir / "text.mp3", "no sound in here");
    test::writeFile(dir / "empty.wav",
                    std::string(reinterpret_cast<const char*>(makeWav16({}, 8000, 1).data()), 44));
    test::writeFile(dir / "out.wav", "keep me");
    const std::string out = (dir / "out.wav").string();

    struct Case {
        std::string source;
        int rate;
    };
    for (const Case& c :
         {Case{(dir / "missing.mp3").string(), 8000}, Case{(dir / "text.mp3").string(), 8000},
          Case{(dir / "empty.wav").string(), 8000}, Case{(dir / "good.wav").string(), 0},
          Case{(dir / "good.wav").string(), -8000}}) {
        const auto result = convertToMonoWav(c.source, out, c.rate);
        EXPECT_FALSE(result.ok) << c.source << " at " << c.rate;
        EXPECT_FALSE(result.error.empty());
        EXPECT_EQ(test::readFile(dir / "out.wav"), "keep me");
    }
    EXPECT_NE(
        convertToMonoWav((dir / "empty.wav").string(), out, 8000).error.find("no audio samples"),
        std::string::npos);
    const auto noFolder =
        convertToMonoWav((dir / "good.wav").string(), (dir / "no/such/x.wav").string(), 8000);
    EXPECT_FALSE(noFolder.ok);
    // Nothing but the files made above is left in the folder.
    int files = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path())) ++files;
    EXPECT_EQ(files, 4);
}

TEST(Conversion, MayReplaceItsOwnSource) {
    TempDir dir;
    test::writePcmWav(dir / "a.wav", 16000, 2, 16, 1.0);
    const std::string path = (dir / "a.wav").string();
    ASSERT_TRUE(convertToMonoWav(path, path, 8000).ok);
    const WavData wav = readBack(dir / "a.wav");
    EXPECT_EQ(wav.sampleRate, 8000);
    EXPECT_EQ(wav.channels, 1);
    EXPECT_NEAR(static_cast<double>(wav.samples.size()), 8000.0, 2.0);
}

}  // namespace
}  // namespace zadaravod

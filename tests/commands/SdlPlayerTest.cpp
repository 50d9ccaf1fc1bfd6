// The SDL player against SDL's "disk" driver: what it plays is written to a
// file at full speed, and the tests compare that with what should sound.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>

#include "audio/SdlPlayer.h"
#include "commands/Playback.h"
#include "format/WavFile.h"
#include "support/Capture.h"
#include "support/TempDir.h"

namespace zadaravod {
namespace {

namespace fs = std::filesystem;
using namespace test;

/// Least-squares fit of a sine of `hz` to x[span]: its amplitude and the RMS
/// of what the sine does not explain (noise and distortion).
struct SineFit {
    double amplitude = 0;
    double residualRms = 0;
};

SineFit fitSine(const std::vector<std::int16_t>& x, Span span, double hz, int rate) {
    double ss = 0, sc = 0, cc = 0, xs = 0, xc = 0;
    for (std::size_t i = span.begin; i < span.end; ++i) {
        const double w = 2 * M_PI * hz * static_cast<double>(i) / rate;
        const double s = std::sin(w), c = std::cos(w);
        ss += s * s;
        sc += s * c;
        cc += c * c;
        xs += x[i] * s;
        xc += x[i] * c;
    }
    const double det = ss * cc - sc * sc;
    const double a = (xs * cc - xc * sc) / det, b = (xc * ss - xs * sc) / det;
    double err = 0;
    for (std::size_t i = span.begin; i < span.end; ++i) {
        const double w = 2 * M_PI * hz * static_cast<double>(i) / rate;
        const double d = x[i] - (a * std::sin(w) + b * std::cos(w));
        err += d * d;
    }
    return {std::hypot(a, b), std::sqrt(err / static_cast<double>(span.length()))};
}

/// The middle of a span, `margin` samples in from each end.
Span inner(Span s, std::size_t margin) { return {s.begin + margin, s.end - margin}; }

class SdlPlayerTest : public ::testing::Test {
  protected:
    void SetUp() override { useDiskAudio(capturePath); }

    std::string writeSine(const std::string& name, double hz, int rate, std::size_t n) {
        const fs::path path = dir / name;
        EXPECT_EQ(writeWav16(path, sineWave(hz, rate, n, kAmp), rate, 1), "");
        return path.string();
    }

    static constexpr double kAmp = 12000;
    TempDir dir;
    fs::path capturePath = dir / "capture.raw";
};

TEST_F(SdlPlayerTest, ASoundComesOutResampledToTheDeviceRate) {
    const std::string wav = writeSine("a.wav", 440, 8000, 8000);  // 1 s at 8000 Hz
    int rate = 0, channels = 0;
    {
        SdlPlayer player;
        ASSERT_TRUE(player.available()) << player.errorText();
        EXPECT_EQ(player.errorText(), "");
        rate = player.deviceRate();
        channels = player.deviceChannels();
        const LoadResult loaded = player.loadFile(wav);
        ASSERT_TRUE(loaded) << loaded.error;
        ASSERT_TRUE(player.playPaused(kPlaybackChannel, loaded.sample));
        EXPECT_TRUE(player.isPlaying(kPlaybackChannel));  // paused counts as playing
        player.unpauseAll();
        ASSERT_TRUE(waitUntilSilent(player));
    }  // closing the player closes the capture file
    ASSERT_EQ(rate, 44100);
    ASSERT_EQ(channels, 2);
    const Capture c = readCapture(capturePath, channels);
    EXPECT_EQ(c.left, c.right);  // mono plays on both sides

    const auto spans = soundSpans(c.left, 300, 441);
    ASSERT_EQ(spans.size(), 1u);
    // One second at the device rate, within 3 ms.
    EXPECT_NEAR(static_cast<double>(spans[0].length()), 44100.0, 132.0);
    const SineFit fit = fitSine(c.left, inner(spans[0], 441), 440, rate);
    EXPECT_NEAR(fit.amplitude, kAmp, kAmp * 0.01);
    EXPECT_LT(fit.residualRms, kAmp * 0.001) << "more distortion than a good resampler makes";
}

TEST_F(SdlPlayerTest, StereoKeepsItsSidesAndAnyRatePlays) {
    // Left a 1000 Hz sine, right silent, at 22050 Hz: 0.5 s.
    const auto tone = sineWave(1000, 22050, 11025, kAmp);
    std::vector<std::int16_t> stereo;
    for (std::int16_t s : tone) stereo.insert(stereo.end(), {s, std::int16_t{0}});
    ASSERT_EQ(writeWav16(dir / "st.wav", stereo, 22050, 2), "");
    {
        SdlPlayer player;
        const LoadResult loaded = player.loadFile((dir / "st.wav").string());
        ASSERT_TRUE(loaded) << loaded.error;
        EXPECT_EQ(loaded.sample->channels, 2);
        ASSERT_TRUE(player.playPaused(kPlaybackChannel, loaded.sample));
        player.unpauseAll();
        ASSERT_TRUE(waitUntilSilent(player));
    }
    const Capture c = readCapture(capturePath, 2);
    const auto spans = soundSpans(c.left, 300, 441);
    ASSERT_EQ(spans.size(), 1u);
    EXPECT_NEAR(static_cast<double>(spans[0].length()), 22050.0, 132.0);
    EXPECT_NEAR(frequencyOf(c.left, spans[0], 44100), 1000.0, 10.0);
    EXPECT_TRUE(soundSpans(c.right, 50, 441).empty());
}

TEST_F(SdlPlayerTest, AListPlaysItsSoundsInOrderWithTheSilenceBetween) {
    CSoundList list;
    CSound a;
    a.kind = 1;
    a.filePath = writeSine("a.wav", 440, 8000, 4000);  // 500 ms
    a.sampleRate = 8000;
    a.durationMs = 500;
    CSound b = a;
    b.filePath = writeSine("b.wav", 880, 8000, 4000);
    list.addTail(a);
    list.addTail(CSound::silence(300));
    list.addTail(b);

    for (PlayMode mode : {PlayMode::File, PlayMode::AsChip}) {
        SCOPED_TRACE(mode == PlayMode::File ? "file" : "as the chip plays it");
        fs::remove(capturePath);
        std::atomic<int> done{0};
        std::vector<std::string> messages;
        {
            SdlPlayer player;
            PlaybackEvents events;
            events.playlistDone = [&] { ++done; };
            events.message = [&](const std::string& text, const std::string&) {
                messages.push_back(text);
            };
            PlaybackOptions options;
            options.converterPath = appDir() + "libZozazeZovevidiz.so";
            Playback engine(player, events, options);
            for (int i = 0; i < Playback::kIdleTicksNeeded; ++i) engine.tick();
            ASSERT_EQ(engine.playPlaylist(list, 0, mode), PlayOutcome::Started);
            engine.waitUntilFinished();
        }
        EXPECT_THAT(messages, ::testing::IsEmpty());
        EXPECT_EQ(done, 1);
        const Capture c = readCapture(capturePath, 2);
        const auto spans = soundSpans(c.left, 1000, 441);
        ASSERT_EQ(spans.size(), 2u);
        EXPECT_NEAR(static_cast<double>(spans[0].length()), 22050.0, 132.0);
        EXPECT_NEAR(static_cast<double>(spans[1].length()), 22050.0, 132.0);
        EXPECT_NEAR(frequencyOf(c.left, spans[0], 44100), 440.0, 10.0);
        EXPECT_NEAR(frequencyOf(c.left, spans[1], 44100), 880.0, 10.0);
        const double gapMs = static_cast<double>(spans[1].begin - spans[0].end) * 1000 / 44100;
        if (mode == PlayMode::AsChip) {
            // One rendered block: the silence the image codes, to the sample.
            EXPECT_NEAR(gapMs, 300.0, 3.0);
        } else {
            // Timed by the worker while the disk driver runs ahead of real
            // time: at least the silence's length.
            EXPECT_GE(gapMs, 297.0);
        }
    }
}

TEST_F(SdlPlayerTest, WithoutADeviceEveryCallIsAHarmlessNoOp) {
    ::setenv("SDL_AUDIODRIVER", "zadaravod-no-such-driver", 1);
    const std::string wav = writeSine("a.wav", 440, 8000, 800);
    SdlPlayer player;
    EXPECT_FALSE(player.isPlaying(kPlaybackChannel));  // polling opens nothing
    EXPECT_FALSE(player.available());
    EXPECT_THAT(player.errorText(), ::testing::StartsWith("No sound can be played: "));
    EXPECT_THAT(player.errorText(), ::testing::HasSubstr("zadaravod-no-such-driver"));
    const LoadResult loaded = player.loadFile(wav);  // loading needs no device
    ASSERT_TRUE(loaded);
    EXPECT_FALSE(player.playPaused(kPlaybackChannel, loaded.sample));
    player.unpauseAll();
    EXPECT_FALSE(player.isPlaying(kPlaybackChannel));
    player.stopAll();
    EXPECT_FALSE(player.available());
    EXPECT_FALSE(fs::exists(capturePath));

    // The engine passes the reason on once.
    std::vector<std::string> messages;
    PlaybackEvents events;
    events.message = [&](const std::string& text, const std::string&) { messages.push_back(text); };
    Playback engine(player, events);
    for (int i = 0; i < Playback::kIdleTicksNeeded; ++i) engine.tick();
    CSoundList library;
    CSound s;
    s.kind = 1;
    s.filePath = wav;
    library.addTail(s);
    EXPECT_EQ(engine.playLibrary(library, 0), PlayOutcome::NoDevice);
    EXPECT_EQ(engine.playPlaylist(library, 0), PlayOutcome::NoDevice);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], player.errorText());
}

TEST_F(SdlPlayerTest, BadCallsAndBadFilesAreRefused) {
    SdlPlayer player;
    fs::create_directory(dir / "folder.wav");
    test::writeFile(dir / "text.wav", "RIFF but not really a wave file");
    for (const std::string name : {"missing.wav", "folder.wav", "text.wav"}) {
        const LoadResult r = player.loadFile((dir / name).string());
        EXPECT_FALSE(r) << name;
        EXPECT_THAT(r.error, ::testing::HasSubstr(name));
    }
    EXPECT_FALSE(player.loadSamples({1, 2, 3}, 0));
    EXPECT_FALSE(player.loadSamples({1, 2, 3}, kMaxPlayerRate + 1));
    const LoadResult ok = player.loadSamples({1, 2, 3}, 8000);
    ASSERT_TRUE(ok);
    EXPECT_FALSE(player.playPaused(-1, ok.sample));
    EXPECT_FALSE(player.playPaused(kPlayerChannels, ok.sample));
    EXPECT_FALSE(player.playPaused(kPlaybackChannel, nullptr));
    EXPECT_FALSE(player.isPlaying(kPlayerChannels));
}

TEST_F(SdlPlayerTest, AWorkerPollsWhileTheWindowStops) {
    const std::string wav = writeSine("a.wav", 440, 8000, 80000);  // 10 s
    SdlPlayer player;
    ASSERT_TRUE(player.available()) << player.errorText();
    const LoadResult loaded = player.loadFile(wav);
    ASSERT_TRUE(loaded);
    std::atomic<bool> quit{false};
    std::atomic<int> started{0};
    std::thread worker([&] {
        while (!quit) {
            if (!player.isPlaying(kPlaybackChannel)) {
                if (player.playPaused(kPlaybackChannel, loaded.sample)) ++started;
                player.unpauseAll();
            }
        }
    });
    for (int i = 0; i < 2000; ++i) {
        player.stopAll();
        if (i % 100 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    quit = true;
    worker.join();
    EXPECT_GT(started.load(), 1);
    player.stopAll();
    EXPECT_FALSE(player.isPlaying(kPlaybackChannel));
    // The sample is shared only by the caller now: the player let it go.
    EXPECT_EQ(loaded.sample.use_count(), 1);
}

}  // namespace
}  // namespace zadaravod

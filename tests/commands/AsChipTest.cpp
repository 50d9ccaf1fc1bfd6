// Playing "as the chip plays it": the rendering must equal what the image
// inspector decodes from a built image of the same project, the converter
// plugin of the application folder (or one put in its place) must make the
// elements, and nothing may be written beside the user's files.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

#include "commands/AsChip.h"
#include "commands/Build.h"
#include "commands/Playback.h"
#include "format/ElementCodec.h"
#include "format/ImageReader.h"
#include "support/ConverterPattern.h"
#include "support/FakePlayer.h"
#include "support/ImageFixtures.h"
#include "support/ScriptedUserInterface.h"

namespace zadaravod {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

std::string appPlugin() { return test::appDir() + "libZozazeZovevidiz.so"; }

/// Sets an environment variable for the life of the object.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (old_)
            ::setenv(name_, old_->c_str(), 1);
        else
            ::unsetenv(name_);
    }

  private:
    const char* name_;
    std::optional<std::string> old_;
};

/// The first index where two renderings differ, or -1.
long firstDifference(const std::vector<std::int16_t>& a, const std::vector<std::int16_t>& b) {
    for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i)
        if (a[i] != b[i]) return static_cast<long>(i);
    return a.size() == b.size() ? -1 : static_cast<long>(std::min(a.size(), b.size()));
}

std::vector<CSound> entriesOf(const CSoundList& list) { return {list.begin(), list.end()}; }

class AsChipTest : public ::testing::Test {
  protected:
    /// Two 8000 Hz sounds of 0.5 s and one 16000 Hz sound of 0.25 s.
    Project makeProject() {
        Project p = test::makeProject(dir, 2, 4000, 8000);
        CSound s = p.library.at(0);
        s.name = "fast.wav";
        s.filePath = soundPath(p.soundFolder, s.name);
        s.sampleRate = 16000;
        s.durationMs = 250;
        EXPECT_EQ(writeWav16(s.filePath, test::sine(700, 16000, 4000, 9000), 16000, 1), "");
        p.library.addTail(s);
        return p;
    }

    test::TempDir dir;
};

TEST_F(AsChipTest, RenderingEqualsTheInspectorsReadingOfTheBuiltImage) {
    Project p = makeProject();
    const CSound s1 = p.library.at(0), s2 = p.library.at(1), fast = p.library.at(2);
    auto& list = p.playlists[0];
    for (const CSound& e :
         {s1, CSound::silence(300), fast, CSound::silence(1500), CSound::silence(20), s2, s1})
        list.addTail(e);
    for (const CSound& e : {CSound::silence(2300), CSound::silence(40)}) p.playlists[1].addTail(e);
    ScriptedUserInterface ui;
    ASSERT_TRUE(buildImage(p, AppPaths::ofFolder(test::appDir()), ui));
    const auto image = test::bytesOf(test::readFile(p.imagePath()));
    image::ImageReading reading;
    ASSERT_TRUE(image::readImage(image, reading));

    for (int j : {0, 1}) {
        SCOPED_TRACE("list " + std::to_string(j));
        std::vector<std::int16_t> expected;
        int rate = 0;
        std::string error;
        ASSERT_TRUE(image::renderPlaylist(image, reading, j, expected, rate, error)) << error;
        RenderedAudio got;
        ASSERT_TRUE(renderEntriesAsChip(
            appPlugin(), entriesOf(p.playlists[static_cast<std::size_t>(j)]), got, error))
            << error;
        EXPECT_EQ(got.sampleRate, rate);
        EXPECT_EQ(got.samples.size(), expected.size());
        EXPECT_EQ(firstDifference(got.samples, expected), -1);
    }
    // List 0 plays at the fastest sound's rate: 0.5 + 0.3 + 0.25 + 1.52 + 0.5 + 0.5 s.
    RenderedAudio list0;
    std::string error;
    ASSERT_TRUE(renderEntriesAsChip(appPlugin(), entriesOf(list), list0, error));
    EXPECT_EQ(list0.sampleRate, 16000);
    EXPECT_EQ(list0.samples.size(), 16000u * 3570 / 1000);

    // Each library sound alone: the element at the rate of its table entry.
    for (int k = 0; k < 3; ++k) {
        element::DecodedElement decoded;
        ASSERT_TRUE(image::decodeSound(image, reading, k, decoded, error)) << error;
        const CSound& s = p.library.at(static_cast<std::size_t>(k));
        RenderedAudio one;
        ASSERT_TRUE(renderSoundAsChip(appPlugin(), s.filePath, s.sampleRate, one, error)) << error;
        EXPECT_EQ(one.sampleRate, reading.sounds[static_cast<std::size_t>(k)].sampleRate);
        EXPECT_EQ(one.samples, decoded.samples);
    }
}

TEST_F(AsChipTest, AReplacementConverterIsHonouredAndWorksInAPrivateFolder) {
    const Project p = makeProject();
    const fs::path tmp = dir / "tmp";
    fs::create_directory(tmp);
    const ScopedEnv tmpdir("TMPDIR", tmp.string());
    const ScopedEnv log("ZADARAVOD_TEST_CONVERTER_LOG", (dir / "converter.log").string());
    const auto before = test::readFile(p.library.at(0).filePath);

    RenderedAudio got;
    std::string error;
    const CSound& s = p.library.at(0);
    ASSERT_TRUE(
        renderSoundAsChip(ZADARAVOD_PATTERN_CONVERTER, s.filePath, s.sampleRate, got, error))
        << error;
    // The plugin's element, whatever the WAV holds, played at the table's rate.
    element::DecodedElement pattern;
    ASSERT_TRUE(element::decodeElement(
        element::encodeElement(test::converterPattern(), test::kPatternRate), pattern, error));
    EXPECT_EQ(got.samples, pattern.samples);
    EXPECT_EQ(got.sampleRate, 8000);

    // It converted a copy in a folder of its own under TMPDIR, only the
    // owner may enter, and removed it; the sound folder holds only the WAVs.
    const std::string logged = test::readFile(dir / "converter.log");
    EXPECT_THAT(logged, ::testing::StartsWith((tmp / "zadaravod-").string()));
    EXPECT_THAT(logged, ::testing::EndsWith(" 700\n"));
    EXPECT_TRUE(fs::is_empty(tmp));
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(p.soundFolder))
        names.push_back(e.path().filename().string());
    EXPECT_THAT(names, ::testing::UnorderedElementsAre("s1.wav", "s2.wav", "fast.wav"));
    EXPECT_EQ(test::readFile(s.filePath), before);
}

TEST_F(AsChipTest, FailuresSayWhatIsWrong) {
    const Project p = makeProject();
    const CSound& s = p.library.at(0);
    RenderedAudio got;
    std::string error;
    EXPECT_FALSE(renderSoundAsChip((dir / "nowhere.so").string(), s.filePath, 8000, got, error));
    EXPECT_THAT(error, HasSubstr("cannot be loaded"));
    EXPECT_FALSE(renderSoundAsChip(appPlugin(), (dir / "gone.wav").string(), 8000, got, error));
    EXPECT_THAT(error, HasSubstr("gone.wav"));
    test::writeFile(dir / "noise.wav", "this is not a WAV file");
    EXPECT_FALSE(renderSoundAsChip(appPlugin(), (dir / "noise.wav").string(), 8000, got, error));
    EXPECT_THAT(error, HasSubstr("could not turn"));

    // A list with a sound that cannot be rendered fails as a whole.
    CSound gone = s;
    gone.filePath = (dir / "gone.wav").string();
    EXPECT_FALSE(renderEntriesAsChip(appPlugin(), {s, CSound::silence(100), gone}, got, error));
    EXPECT_THAT(error, HasSubstr("gone.wav"));
    // A stop before a conversion ends the rendering without a message.
    const std::atomic<bool> cancel{true};
    error = "unchanged";
    EXPECT_FALSE(renderEntriesAsChip(appPlugin(), {s}, got, error, &cancel));
    EXPECT_EQ(error, "");
    // Hours of silence are refused before anything is allocated.
    EXPECT_FALSE(renderEntriesAsChip(appPlugin(), {CSound::silence(20'000'000)}, got, error));
    EXPECT_THAT(error, HasSubstr("too long"));
}

TEST_F(AsChipTest, TheEnginePlaysTheRenderingOnTheWorker) {
    const Project p = makeProject();
    test::FakeClock clock;
    test::FakePlayer player(&clock);
    std::vector<std::string> messages;
    std::vector<int> uppers;
    PlaybackEvents events;
    events.message = [&](const std::string& text, const std::string&) { messages.push_back(text); };
    events.progress = [&](int, int upper) { uppers.push_back(upper); };
    PlaybackOptions options;
    options.sleep = clock.sleeper();
    options.converterPath = appPlugin();
    Playback engine(player, events, options);
    for (int i = 0; i < Playback::kIdleTicksNeeded; ++i) engine.tick();

    ASSERT_EQ(engine.playLibrary(p.library, 2, PlayMode::AsChip), PlayOutcome::Started);
    engine.waitUntilFinished();
    RenderedAudio expected;
    std::string error;
    ASSERT_TRUE(renderSoundAsChip(appPlugin(), p.library.at(2).filePath, 16000, expected, error));
    ASSERT_NE(player.lastSamples(), nullptr);
    EXPECT_EQ(player.lastSamples()->samples, expected.samples);
    EXPECT_EQ(player.lastSamples()->sampleRate, 16000);
    EXPECT_EQ(uppers.front(), 250 / 100 + 1);
    EXPECT_EQ(clock.now().count(), 250);   // played for the rendering's length
    EXPECT_TRUE(player.loaded().empty());  // the WAV itself was not played

    // A list as one block; a failed rendering is reported and plays nothing.
    for (int i = 0; i < Playback::kIdleTicksNeeded; ++i) engine.tick();
    CSoundList list;
    list.addTail(p.library.at(0));
    list.addTail(CSound::silence(300));
    ASSERT_EQ(engine.playPlaylist(list, 0, PlayMode::AsChip), PlayOutcome::Started);
    engine.waitUntilFinished();
    EXPECT_TRUE(engine.playlistDone());
    EXPECT_EQ(player.lastSamples()->samples.size(), 8000u * 800 / 1000);

    for (int i = 0; i < Playback::kIdleTicksNeeded; ++i) engine.tick();
    CSound gone = p.library.at(0);
    gone.filePath = (dir / "gone.wav").string();
    list.addTail(gone);
    const auto callsBefore = player.calls().size();
    ASSERT_EQ(engine.playPlaylist(list, 0, PlayMode::AsChip), PlayOutcome::Started);
    engine.waitUntilFinished();
    EXPECT_FALSE(engine.playlistDone());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_THAT(messages[0], HasSubstr("gone.wav"));
    EXPECT_EQ(player.calls().size(), callsBefore + 1);  // only the device check
}

}  // namespace
}  // namespace zadaravod

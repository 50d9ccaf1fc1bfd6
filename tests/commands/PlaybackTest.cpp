// The play commands over a fake player and a fake clock: every step of the
// engine lands at a known fake time, so the 10 / 100 / 120 ms rules are
// checked exactly and the tests run in no time.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "commands/Playback.h"
#include "support/FakePlayer.h"

namespace zadaravod {
namespace {

using test::FakeClock;
using test::FakePlayer;
using test::milliseconds;
using ::testing::ElementsAre;

struct Step {
    int position;
    int upper;
    long at;  ///< fake ms
    bool operator==(const Step&) const = default;
};

void PrintTo(const Step& s, std::ostream* os) {
    *os << "(" << s.position << "/" << s.upper << " @" << s.at << ")";
}

CSound sound(const std::string& path, std::int32_t ms) {
    CSound s;
    s.kind = 1;
    s.filePath = path;
    s.name = path;
    s.sampleRate = 8000;
    s.durationMs = ms;
    return s;
}

CSoundList listOf(std::initializer_list<CSound> entries) {
    CSoundList list;
    for (const CSound& e : entries) list.addTail(e);
    return list;
}

class PlaybackTest : public ::testing::Test {
  protected:
    void SetUp() override { engine = makeEngine(); }

    std::unique_ptr<Playback> makeEngine() {
        PlaybackEvents events;
        events.progress = [this](int position, int upper) {
            std::lock_guard lock(mutex);
            steps.push_back({position, upper, static_cast<long>(clock.now().count())});
        };
        events.message = [this](const std::string& text, const std::string& caption) {
            std::lock_guard lock(mutex);
            messages.push_back(caption + ": " + text);
        };
        events.playlistDone = [this] { ++doneCount; };
        PlaybackOptions options;
        options.sleep = clock.sleeper();
        return std::make_unique<Playback>(player, events, options);
    }

    /// The ticks a fresh engine needs before it accepts a play.
    void settle() {
        for (int i = 0; i < Playback::kIdleTicksNeeded; ++i) engine->tick();
    }
    long now() const { return static_cast<long>(clock.now().count()); }
    int loads(const std::string& path) const {
        int n = 0;
        for (const std::string& p : player.loaded()) n += p == path;
        return n;
    }

    FakeClock clock;
    FakePlayer player{&clock};
    std::mutex mutex;
    std::vector<Step> steps;
    std::vector<std::string> messages;
    std::atomic<int> doneCount{0};
    std::unique_ptr<Playback> engine;
};

TEST_F(PlaybackTest, SilenceStepsEvery120MsThenJumpsToTheEnd) {
    settle();
    const CSoundList list = listOf({CSound::silence(1000)});
    ASSERT_EQ(engine->playPlaylist(list, 0), PlayOutcome::Started);
    engine->waitUntilFinished();
    EXPECT_THAT(steps,
                ElementsAre(Step{0, 10, 0}, Step{1, 10, 0}, Step{2, 10, 120}, Step{3, 10, 240},
                            Step{4, 10, 360}, Step{5, 10, 480}, Step{6, 10, 600}, Step{7, 10, 720},
                            Step{8, 10, 840}, Step{9, 10, 960}, Step{10, 10, 1000}));
    EXPECT_EQ(doneCount, 1);
    EXPECT_TRUE(engine->playlistDone());
    EXPECT_TRUE(player.loaded().empty());
    // The timer switches the commands back on once, at the first quiet tick.
    EXPECT_TRUE(engine->tick());
    EXPECT_FALSE(engine->tick());
}

TEST_F(PlaybackTest, LibrarySoundRangeIsDurationOver100PlusOne) {
    settle();
    player.setLength("short.wav", milliseconds{50});
    player.setLength("long.wav", milliseconds{1000});
    const CSoundList library = listOf({sound("short.wav", 50), sound("long.wav", 1000)});

    ASSERT_EQ(engine->playLibrary(library, 0), PlayOutcome::Started);
    engine->waitUntilFinished();
    EXPECT_THAT(steps, ElementsAre(Step{0, 1, 0}, Step{1, 1, 0}));
    EXPECT_THAT(player.calls(),
                ElementsAre("available", "load short.wav", "play 1 paused", "unpause all"));

    for (int i = 0; i < Playback::kIdleTicksNeeded; ++i) engine->tick();
    steps.clear();
    const long start = now();
    ASSERT_EQ(engine->playLibrary(library, 1), PlayOutcome::Started);
    engine->waitUntilFinished();
    // One step per 100 ms while it plays: 10 steps of the 11.
    ASSERT_EQ(steps.size(), 11u);
    for (int k = 0; k <= 10; ++k) {
        EXPECT_EQ(steps[static_cast<std::size_t>(k)].upper, 11);
        EXPECT_EQ(steps[static_cast<std::size_t>(k)].position, k);
    }
    EXPECT_EQ(steps.back().at - start, 900);
    EXPECT_EQ(now() - start, 1000);
    EXPECT_EQ(doneCount, 0);  // "done" belongs to playlists
}

TEST_F(PlaybackTest, PlayIsRefusedWhileASoundPlaysAndForTenTicksAfter) {
    // A fresh engine has seen no quiet ticks yet.
    const CSoundList library = listOf({sound("a.wav", 1000)});
    EXPECT_EQ(engine->playLibrary(library, 0), PlayOutcome::Refused);
    settle();

    player.setLength("a.wav", milliseconds{1000});
    clock.holdAt(milliseconds{300});
    ASSERT_EQ(engine->playLibrary(library, 0), PlayOutcome::Started);
    ASSERT_TRUE(clock.waitUntilHeld());
    EXPECT_FALSE(engine->tick());
    EXPECT_EQ(engine->idleTicks(), 0);
    EXPECT_EQ(engine->playLibrary(library, 0), PlayOutcome::Refused);
    EXPECT_EQ(engine->playPlaylist(library, 0), PlayOutcome::Refused);
    clock.release();
    engine->waitUntilFinished();
    EXPECT_EQ(loads("a.wav"), 1);

    for (int i = 1; i < Playback::kIdleTicksNeeded; ++i) engine->tick();
    EXPECT_EQ(engine->playLibrary(library, 0), PlayOutcome::Refused);
    engine->tick();
    EXPECT_EQ(engine->playLibrary(library, 0), PlayOutcome::Started);
    engine->waitUntilFinished();
    EXPECT_EQ(loads("a.wav"), 2);
}

TEST_F(PlaybackTest, StopDuringASilenceEndsTheListWithin120Ms) {
    settle();
    const CSoundList list = listOf({CSound::silence(1000), sound("after.wav", 500)});
    clock.holdAt(milliseconds{500});
    ASSERT_EQ(engine->playPlaylist(list, 0), PlayOutcome::Started);
    ASSERT_TRUE(clock.waitUntilHeld());
    engine->requestStop();
    clock.release();
    engine->waitUntilFinished();
    EXPECT_LE(now(), 500 + 120);
    EXPECT_EQ(doneCount, 0);
    EXPECT_FALSE(engine->playlistDone());
    EXPECT_EQ(loads("after.wav"), 0);
    EXPECT_THAT(player.calls(), ::testing::Contains("stop all"));
    EXPECT_FALSE(engine->tick());  // a stopped list does not count as done
}

TEST_F(PlaybackTest, StopDuringASoundEndsTheListAtOnce) {
    settle();
    player.setLength("a.wav", milliseconds{1000});
    const CSoundList list =
        listOf({sound("a.wav", 1000), CSound::silence(500), sound("b.wav", 500)});
    clock.holdAt(milliseconds{300});
    ASSERT_EQ(engine->playPlaylist(list, 0), PlayOutcome::Started);
    ASSERT_TRUE(clock.waitUntilHeld());
    engine->requestStop();
    clock.release();
    engine->waitUntilFinished();
    EXPECT_EQ(now(), 300);  // no further wait once the sound stopped
    EXPECT_EQ(loads("b.wav"), 0);
    EXPECT_EQ(doneCount, 0);
}

TEST_F(PlaybackTest, ListPlaysFromTheSelectedEntryToTheEnd) {
    settle();
    for (const char* p : {"a.wav", "b.wav", "c.wav"}) player.setLength(p, milliseconds{400});
    const CSoundList list = listOf(
        {sound("a.wav", 400), CSound::silence(200), sound("b.wav", 400), sound("c.wav", 400)});

    ASSERT_EQ(engine->playPlaylist(list, 3), PlayOutcome::Started);
    engine->waitUntilFinished();
    EXPECT_THAT(player.loaded(), ElementsAre("c.wav"));
    EXPECT_EQ(steps.front(), (Step{0, 4, 0}));  // T = 400 ms
    EXPECT_EQ(steps.back(), (Step{4, 4, 400}));
    EXPECT_EQ(doneCount, 1);

    for (int i = 0; i < Playback::kIdleTicksNeeded; ++i) engine->tick();
    steps.clear();
    ASSERT_EQ(engine->playPlaylist(list, 1), PlayOutcome::Started);
    engine->waitUntilFinished();
    EXPECT_THAT(player.loaded(), ElementsAre("c.wav", "b.wav", "c.wav"));
    EXPECT_EQ(steps.front().upper, 10);  // 200 + 400 + 400 ms
    EXPECT_EQ(doneCount, 2);
}

TEST_F(PlaybackTest, NothingSelected) {
    settle();
    const CSoundList list = listOf({sound("a.wav", 400)});
    // A playlist: the bar runs 0..10 in 1 ms steps and the list counts as done.
    ASSERT_EQ(engine->playPlaylist(list, -1), PlayOutcome::Started);
    engine->waitUntilFinished();
    ASSERT_FALSE(steps.empty());
    EXPECT_EQ(steps.back(), (Step{10, 10, 10}));
    EXPECT_EQ(doneCount, 1);
    EXPECT_TRUE(player.loaded().empty());
    EXPECT_TRUE(messages.empty());

    // The library and the background music: the message, nothing plays.
    EXPECT_EQ(engine->playLibrary(list, -1), PlayOutcome::NoSelection);
    EXPECT_EQ(engine->playLibrary(list, 5), PlayOutcome::NoSelection);
    EXPECT_EQ(engine->playBackground(CSoundList{}, 0), PlayOutcome::NoSelection);
    EXPECT_THAT(messages, ElementsAre("LARK40 ZadarAvod: Pls select a sound to play",
                                      "LARK40 ZadarAvod: Pls select a sound to play",
                                      "LARK40 ZadarAvod: Pls select a sound to play"));
    EXPECT_TRUE(player.loaded().empty());
}

TEST_F(PlaybackTest, WithoutADeviceTheReasonIsSentOnceAndNothingPlays) {
    player.setAvailable(false, "No sound can be played: the test has no sound card.");
    settle();
    const CSoundList list = listOf({sound("a.wav", 400)});
    EXPECT_EQ(engine->playLibrary(list, 0), PlayOutcome::NoDevice);
    EXPECT_EQ(engine->playLibrary(list, 0), PlayOutcome::NoDevice);
    EXPECT_EQ(engine->playPlaylist(list, 0), PlayOutcome::NoDevice);
    EXPECT_EQ(engine->playBackground(list, 0), PlayOutcome::NoDevice);
    EXPECT_THAT(
        messages,
        ElementsAre("LARK40 ZadarAvod: No sound can be played: the test has no sound card."));
    EXPECT_TRUE(player.loaded().empty());
    EXPECT_FALSE(engine->busy());
}

TEST_F(PlaybackTest, TheWorkerPlaysACopyOfTheList) {
    settle();
    for (const char* p : {"a.wav", "b.wav", "c.wav"}) player.setLength(p, milliseconds{200});
    auto live = std::make_unique<CSoundList>(listOf(
        {sound("a.wav", 200), CSound::silence(100), sound("b.wav", 200), sound("c.wav", 200)}));
    clock.holdAt(milliseconds{50});
    ASSERT_EQ(engine->playPlaylist(*live, 0), PlayOutcome::Started);
    ASSERT_TRUE(clock.waitUntilHeld());
    // The user edits the list (and the project goes) while it plays.
    live->removeAt(3);
    live->removeAt(1);
    live->at(0).filePath = "changed.wav";
    live.reset();
    clock.release();
    engine->waitUntilFinished();
    EXPECT_THAT(player.loaded(), ElementsAre("a.wav", "b.wav", "c.wav"));
    EXPECT_EQ(now(), 700);
    EXPECT_EQ(doneCount, 1);
}

TEST_F(PlaybackTest, StopAndJoinWhileAListPlays) {
    settle();
    player.setLength("a.wav", milliseconds{500});
    const CSoundList list =
        listOf({sound("a.wav", 500), CSound::silence(2000), sound("b.wav", 500)});
    clock.holdAt(milliseconds{1200});
    ASSERT_EQ(engine->playPlaylist(list, 0), PlayOutcome::Started);
    ASSERT_TRUE(clock.waitUntilHeld());
    // The stop reaches the player before the worker goes on.
    player.onStopAll = [this] { clock.release(); };
    engine->stopAndJoin();
    EXPECT_FALSE(engine->busy());
    EXPECT_LE(now(), 1200 + 10);
    EXPECT_EQ(loads("b.wav"), 0);
    EXPECT_EQ(doneCount, 0);

    // Destroying the engine does the same.
    player.onStopAll = nullptr;
    for (int i = 0; i < Playback::kIdleTicksNeeded; ++i) engine->tick();
    clock.holdAt(milliseconds{now() + 600});
    ASSERT_EQ(engine->playPlaylist(list, 0), PlayOutcome::Started);
    ASSERT_TRUE(clock.waitUntilHeld());
    player.onStopAll = [this] { clock.release(); };
    engine.reset();
    EXPECT_EQ(loads("b.wav"), 0);
    EXPECT_EQ(doneCount, 0);
}

TEST_F(PlaybackTest, AnUnplayableSoundIsReportedOnceAndSkipped) {
    settle();
    player.failLoad("gone.wav", "Cannot read gone.wav: No such file or directory");
    player.setLength("b.wav", milliseconds{200});
    const CSoundList list = listOf(
        {sound("gone.wav", 300), sound("b.wav", 200), sound("gone.wav", 300), CSound::silence(10)});
    ASSERT_EQ(engine->playPlaylist(list, 0), PlayOutcome::Started);
    engine->waitUntilFinished();
    EXPECT_THAT(player.loaded(), ElementsAre("b.wav"));
    EXPECT_THAT(messages,
                ElementsAre("LARK40 ZadarAvod: Cannot read gone.wav: No such file or directory"));
    EXPECT_EQ(doneCount, 1);
}

TEST_F(PlaybackTest, ASoundTheDeviceRefusesIsReportedOnce) {
    settle();
    player.refusePlays(true);
    const CSoundList list = listOf({sound("a.wav", 100), sound("b.wav", 100)});
    ASSERT_EQ(engine->playPlaylist(list, 0), PlayOutcome::Started);
    engine->waitUntilFinished();
    EXPECT_EQ(doneCount, 1);
    EXPECT_EQ(engine->playBackground(list, 0), PlayOutcome::Failed);
    EXPECT_THAT(messages, ElementsAre("LARK40 ZadarAvod: The sound card cannot play a sound of "
                                      "8000 Hz. Convert the sound to one of the supported rates.",
                                      "LARK40 ZadarAvod: The sound card cannot play a sound of "
                                      "8000 Hz. Convert the sound to one of the supported rates."));
}

TEST_F(PlaybackTest, BackgroundMusicPlaysAtOnceOnTheCallersThread) {
    // No ticks needed and no worker: the music starts before the call returns.
    const CSoundList music = listOf({sound("music.wav", 5000)});
    EXPECT_EQ(engine->playBackground(music, 0), PlayOutcome::Started);
    EXPECT_FALSE(engine->busy());
    EXPECT_TRUE(player.isPlaying(kPlaybackChannel));
    EXPECT_THAT(player.calls(),
                ElementsAre("available", "load music.wav", "play 1 paused", "unpause all"));
    EXPECT_TRUE(steps.empty());

    // A library sound still playing on the worker is stopped for the music.
    player.finish();
    settle();
    clock.holdAt(milliseconds{now() + 100});
    ASSERT_EQ(engine->playLibrary(listOf({sound("a.wav", 1000)}), 0), PlayOutcome::Started);
    ASSERT_TRUE(clock.waitUntilHeld());
    player.onStopAll = [this] { clock.release(); };
    EXPECT_EQ(engine->playBackground(music, 0), PlayOutcome::Started);
    EXPECT_FALSE(engine->busy());
    EXPECT_EQ(player.loaded().back(), "music.wav");
}

}  // namespace
}  // namespace zadaravod

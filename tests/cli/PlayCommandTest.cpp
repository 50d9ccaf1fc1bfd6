// zadaravod-cli play, heard through SDL's disk driver: what comes out is the
// sound, the list with its silence, and the list as the chip plays it.
#include <gtest/gtest.h>

#include <filesystem>

#include "downloader/Flashrom.h"
#include "support/AudioFixtures.h"
#include "support/Capture.h"
#include "support/TempDir.h"

namespace zadaravod {
namespace {
namespace fs = std::filesystem;

class PlayCommand : public ::testing::Test {
  protected:
    void SetUp() override {
        test::useDiskAudio(capture);
        project = (dir / "demo.winproj").string();
        ASSERT_EQ(cli({"new", project}).exitCode, 0);
        // Two half-second 440 Hz tones at 8000 Hz, then list 0: a, 300 ms, b.
        for (const char* name : {"a.wav", "b.wav"}) {
            test::writePcmWav(dir / name, 8000, 1, 16, 0.5);
            ASSERT_EQ(cli({"import", project, (dir / name).string()}).exitCode, 0);
        }
        ASSERT_EQ(cli({"list", project, "0", "add", "1", "300ms", "2"}).exitCode, 0);
    }
    download::ProcessResult cli(std::vector<std::string> args) {
        download::SystemProcessRunner runner;
        return runner.run(test::appDir() + "zadaravod-cli", args, {});
    }
    /// The stretches of sound in the capture of the last play.
    std::vector<test::Span> heard() {
        const test::Capture c = test::readCapture(capture, 2);
        fs::remove(capture);
        return test::soundSpans(c.left, 1000, 441);
    }
    static double ms(std::size_t samples) { return static_cast<double>(samples) * 1000 / 44100; }

    test::TempDir dir;
    fs::path capture = dir / "capture.raw";
    std::string project;
};

TEST_F(PlayCommand, ASoundAListAndTheListAsTheChipPlaysIt) {
    auto r = cli({"play", project, "--sound", "1"});
    ASSERT_EQ(r.exitCode, 0) << r.output;
    auto spans = heard();
    ASSERT_EQ(spans.size(), 1U);
    EXPECT_NEAR(ms(spans[0].length()), 500, 5);

    r = cli({"play", project, "--list", "0"});
    ASSERT_EQ(r.exitCode, 0) << r.output;
    spans = heard();
    ASSERT_EQ(spans.size(), 2U);
    EXPECT_GE(ms(spans[1].begin - spans[0].end), 297) << "the silence between the sounds";

    r = cli({"play", project, "--list", "00H", "--as-chip"});
    ASSERT_EQ(r.exitCode, 0) << r.output;
    spans = heard();
    ASSERT_EQ(spans.size(), 2U);
    EXPECT_NEAR(ms(spans[0].length()), 500, 5);
    EXPECT_NEAR(ms(spans[1].begin - spans[0].end), 300, 3) << "the silence the image codes";

    r = cli({"play", project, "--list", "0", "--from", "3"});
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_EQ(heard().size(), 1U) << "from the third entry only the second sound plays";
}

TEST_F(PlayCommand, WhatCannotBePlayedIsRefused) {
    EXPECT_EQ(cli({"play", project, "--sound", "3"}).exitCode, 1);
    EXPECT_EQ(cli({"play", project, "--music"}).exitCode, 1) << "no music is loaded";
    EXPECT_EQ(cli({"play", project}).exitCode, 2) << "nothing named to play";
    EXPECT_EQ(cli({"play", project, "--sound", "1", "--list", "0"}).exitCode, 2);
}

}  // namespace
}  // namespace zadaravod

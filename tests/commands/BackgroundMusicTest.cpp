// Background music load and clear through the scripted seam.
#include <gtest/gtest.h>

#include "commands/BackgroundMusic.h"
#include "format/WavFile.h"
#include "support/AudioFixtures.h"
#include "support/ScriptedUserInterface.h"

namespace zadaravod {
namespace {
namespace fs = std::filesystem;
using test::TempDir;

class Music : public ::testing::Test {
  protected:
    Music() : project(test::openProjectIn(dir)) { fs::create_directory(dir / "src"); }

    std::string src(const std::string& name) const { return (dir / "src" / name).string(); }
    std::string inFolder(const std::string& name) const {
        return soundPath(project.soundFolder, name);
    }

    bool load(const std::string& file, std::optional<int> rate = std::nullopt) {
        ui.openFiles.push_back(file);
        if (rate) ui.samplingRates.push_back(*rate);
        return loadBackgroundMusic(project, ui);
    }

    TempDir dir;
    Project project;
    ScriptedUserInterface ui;
};

TEST_F(Music, ASupportedWavIsCopiedUnchanged) {
    test::writePcmWav(src("m.wav"), 22000, 2, 16, 0.5);
    EXPECT_TRUE(load(src("m.wav")));
    EXPECT_TRUE(ui.rateLimits.empty());
    ASSERT_EQ(project.backgroundMusic.count(), 1U);
    const CSound& s = project.backgroundMusic.at(0);
    EXPECT_EQ(s.name, "m.wav");
    EXPECT_EQ(s.filePath, inFolder("m.wav"));
    EXPECT_EQ(s.sampleRate, 22000);
    EXPECT_EQ(s.stereo, 1);
    EXPECT_EQ(test::readFile(inFolder("m.wav")), test::readFile(src("m.wav")));
    ASSERT_EQ(ui.fileRequests.size(), 1U);
    EXPECT_EQ(ui.fileRequests[0].filter, kMusicLoadFilter);
}

TEST_F(Music, ACompressedFileIsConvertedAtTheChosenRateUpTo8000) {
    test::makeWithFfmpeg(src("m.mp3"), 22050, 2, "libmp3lame", 0.5);
    EXPECT_TRUE(load(src("m.mp3"), 6000));
    EXPECT_EQ(ui.rateLimits, std::vector<int>{8000});
    ASSERT_EQ(project.backgroundMusic.count(), 1U);
    EXPECT_EQ(project.backgroundMusic.at(0).name, "m.mp3.wav");
    EXPECT_EQ(project.backgroundMusic.at(0).sampleRate, 6000);
    EXPECT_EQ(project.backgroundMusic.at(0).stereo, 0);

    // A slow file bounds the offer by its own rate.
    project.backgroundMusic.removeAll();
    test::makeWithFfmpeg(src("slow.wma"), 6000, 1, "wmav2", 0.5);
    EXPECT_TRUE(load(src("slow.wma"), 4000));
    EXPECT_EQ(ui.rateLimits.back(), 6000);
}

TEST_F(Music, AnUnsupportedWavIsConvertedUnderItsOwnName) {
    test::writePcmWav(src("odd.wav"), 11025, 1, 16, 0.5);
    EXPECT_TRUE(load(src("odd.wav"), 8000));
    ASSERT_EQ(project.backgroundMusic.count(), 1U);
    EXPECT_EQ(project.backgroundMusic.at(0).name, "odd.wav");
    EXPECT_EQ(project.backgroundMusic.at(0).sampleRate, 8000);
    WavData wav;
    std::string error;
    ASSERT_TRUE(readWav(inFolder("odd.wav"), wav, error)) << error;
    EXPECT_EQ(wav.sampleRate, 8000);
}

TEST_F(Music, AnUnsupportedWavFromTheSoundFolderCannotReplaceItself) {
    test::writePcmWav(inFolder("odd.wav"), 11025, 1, 16, 0.5);
    const std::string before = test::readFile(inFolder("odd.wav"));
    EXPECT_FALSE(load(inFolder("odd.wav"), 8000));
    EXPECT_EQ(ui.texts(), std::vector<std::string>{"Cannot save to the source file!"});
    EXPECT_TRUE(project.backgroundMusic.empty());
    EXPECT_EQ(test::readFile(inFolder("odd.wav")), before);
}

TEST_F(Music, RefusalsAddNothing) {
    CSound lib;
    lib.kind = 1;
    lib.name = "taken.wav";
    project.library.addTail(lib);
    test::writePcmWav(src("taken.wav"), 8000, 1, 16, 0.1);
    EXPECT_FALSE(load(src("taken.wav")));
    EXPECT_EQ(ui.texts(), std::vector<std::string>{"Sound file loaded already!"});

    // Cancelled rate choice.
    ui.messages.clear();
    test::makeWithFfmpeg(src("m.mp3"), 8000, 1, "libmp3lame", 0.2);
    EXPECT_FALSE(load(src("m.mp3")));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_FALSE(fs::exists(inFolder("m.mp3.wav")));

    // An unreadable file.
    test::writeFile(src("junk.mp3"), "junk");
    EXPECT_FALSE(load(src("junk.mp3"), 8000));
    ASSERT_EQ(ui.messages.size(), 1U);
    EXPECT_NE(ui.messages[0].text.find("junk.mp3"), std::string::npos);
    EXPECT_TRUE(project.backgroundMusic.empty());
}

TEST_F(Music, LoadIsIgnoredWhileMusicIsLoadedAndClearKeepsTheFile) {
    test::writePcmWav(src("m.wav"), 8000, 1, 16, 0.1);
    test::writePcmWav(src("n.wav"), 8000, 1, 16, 0.1);
    ASSERT_TRUE(load(src("m.wav")));
    EXPECT_FALSE(load(src("n.wav")));
    EXPECT_EQ(ui.fileRequests.size(), 1U);  // no dialog the second time
    EXPECT_EQ(project.backgroundMusic.at(0).name, "m.wav");

    EXPECT_TRUE(clearBackgroundMusic(project));
    EXPECT_TRUE(project.backgroundMusic.empty());
    EXPECT_TRUE(fs::exists(inFolder("m.wav")));
    ui.openFiles.clear();
    EXPECT_TRUE(load(src("n.wav")));
    EXPECT_TRUE(fs::exists(inFolder("m.wav")));
    EXPECT_EQ(project.backgroundMusic.at(0).name, "n.wav");
}

}  // namespace
}  // namespace zadaravod

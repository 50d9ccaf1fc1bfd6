// What an import, a background-music load and a delete may touch, and what
// they refuse: links in the sound folder, WAVs the converter cannot take,
// names a project cannot store, sources too long for any flash.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "commands/BackgroundMusic.h"
#include "commands/Conversion.h"
#include "commands/Library.h"
#include "format/WavFile.h"
#include "support/AudioFixtures.h"
#include "support/ScriptedUserInterface.h"

namespace zadaravod {
namespace {
namespace fs = std::filesystem;

class ImportSafety : public ::testing::Test {
  protected:
    ImportSafety() : project(test::openProjectIn(dir)) {
        fs::create_directory(dir / "src");
        fs::create_directory(dir / "elsewhere");
        test::writeFile(victim, "precious, not a sound");
    }

    std::string src(const std::string& name) const { return (dir / "src" / name).string(); }
    fs::path inFolder(const std::string& name) const {
        return soundPath(project.soundFolder, name);
    }
    bool load(std::vector<std::string> files) {
        ui.openFileLists.push_back(std::move(files));
        return loadLibrarySounds(project, ui);
    }

    test::TempDir dir;
    Project project;
    ScriptedUserInterface ui;
    const fs::path victim = dir / "elsewhere" / "victim.txt";
};

TEST_F(ImportSafety, AnImportReplacesALinkInTheSoundFolderNeverItsTarget) {
    test::writePcmWav(src("a.wav"), 8000, 1, 16, 0.1);
    test::makeWithFfmpeg(src("b.mp3"), 8000, 1, "libmp3lame", 0.2);
    fs::create_symlink(victim, inFolder("a.wav"));
    fs::create_symlink(victim, inFolder("b.mp3.wav"));
    EXPECT_TRUE(load({src("a.wav"), src("b.mp3")})) << ::testing::PrintToString(ui.texts());
    EXPECT_EQ(project.library.count(), 2u);
    for (const char* name : {"a.wav", "b.mp3.wav"}) {
        EXPECT_FALSE(fs::is_symlink(inFolder(name))) << name;
        EXPECT_TRUE(fs::is_regular_file(inFolder(name))) << name;
    }
    EXPECT_EQ(test::readFile(inFolder("a.wav")), test::readFile(src("a.wav")));
    EXPECT_EQ(test::readFile(victim), "precious, not a sound");
}

TEST_F(ImportSafety, MusicLoadReplacesALinkToo) {
    test::writePcmWav(src("m.wav"), 8000, 1, 16, 0.1);
    fs::create_symlink(victim, inFolder("m.wav"));
    ui.openFiles.push_back(src("m.wav"));
    EXPECT_TRUE(loadBackgroundMusic(project, ui)) << ::testing::PrintToString(ui.texts());
    EXPECT_FALSE(fs::is_symlink(inFolder("m.wav")));
    EXPECT_EQ(test::readFile(victim), "precious, not a sound");
}

TEST_F(ImportSafety, DeletingASoundRemovesTheLinkNotItsTarget) {
    test::writePcmWav(src("a.wav"), 8000, 1, 16, 0.1);
    ASSERT_TRUE(load({src("a.wav")}));
    fs::remove(inFolder("a.wav"));
    fs::create_symlink(victim, inFolder("a.wav"));
    ui.confirmAnswers.push_back(result::kConfirmOk);
    EXPECT_TRUE(deleteLibrarySound(project, ui, 0));
    EXPECT_FALSE(fs::exists(fs::symlink_status(inFolder("a.wav"))));
    EXPECT_EQ(test::readFile(victim), "precious, not a sound");
}

TEST_F(ImportSafety, WavsTheConverterCannotTakeAreConvertedUnderTheirOwnName) {
    const char* codecs[] = {"pcm_s24le", "pcm_s32le", "pcm_f32le", "pcm_alaw", "pcm_mulaw"};
    std::vector<std::string> files;
    for (const char* codec : codecs) {
        files.push_back(src(std::string(codec) + ".wav"));
        test::makeWithFfmpeg(files.back(), 16000, 2, codec, 0.25);
    }
    EXPECT_TRUE(load(files)) << ::testing::PrintToString(ui.texts());
    ASSERT_EQ(project.library.count(), std::size(codecs));
    for (const CSound& s : project.library) {
        SCOPED_TRACE(s.name);
        EXPECT_EQ(s.bitsPerSample, 16);
        EXPECT_EQ(s.stereo, 0);
        EXPECT_EQ(s.sampleRate, 16000);
        EXPECT_NEAR(s.durationMs, 250, 2);
        // What the build's converter reads: plain 16-bit PCM.
        WavData wav;
        std::string error;
        EXPECT_TRUE(readWav(s.filePath, wav, error)) << error;
    }
    EXPECT_EQ(project.library.at(0).name, "pcm_s24le.wav");
}

TEST_F(ImportSafety, ANameThatIsNotUtf8IsRefused) {
    const std::string bad = src("bad\xff\xfe.wav");
    test::writePcmWav(bad, 8000, 1, 16, 0.1);
    test::writePcmWav(src("good.wav"), 8000, 1, 16, 0.1);
    EXPECT_FALSE(load({bad, src("good.wav")}));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].text.find("not valid UTF-8"), std::string::npos);
    ASSERT_EQ(project.library.count(), 1u);
    EXPECT_EQ(project.library.at(0).name, "good.wav");
    EXPECT_FALSE(fs::exists(inFolder("bad\xff\xfe.wav")));
}

/// A WAV whose data chunk claims `seconds` of 16-bit mono at `rate`: a
/// sparse file, so nothing of that size is written.
void writeLongWav(const fs::path& path, int rate, double seconds) {
    const auto dataBytes = static_cast<std::uint32_t>(seconds * rate * 2);
    const auto header = wavHeader16(rate, 1, dataBytes);
    test::writeFile(path, std::string(header.begin(), header.end()));
    const int fd = ::open(path.c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(44 + std::uint64_t{dataBytes})), 0);
    ::close(fd);
}

TEST_F(ImportSafety, ASourceTooLongForTheLargestFlashIsRefusedWithTheFigures) {
    // 900 s at 8000 Hz needs 4.6 MB of flash; 4M holds about 4.1 MB.
    writeLongWav(src("long.wav"), 8000, 900);
    test::writePcmWav(src("short.wav"), 8000, 1, 16, 0.1);
    EXPECT_FALSE(load({src("long.wav"), src("short.wav")}));
    ASSERT_EQ(ui.messages.size(), 1u);
    const std::string& text = ui.messages[0].text;
    EXPECT_NE(text.find("long.wav lasts 900.0 s"), std::string::npos) << text;
    EXPECT_NE(text.find("8000 Hz"), std::string::npos) << text;
    EXPECT_NE(text.find("4194304 bytes"), std::string::npos) << text;
    ASSERT_EQ(project.library.count(), 1u);
    EXPECT_FALSE(fs::exists(inFolder("long.wav")));
}

TEST_F(ImportSafety, TheConversionToolRefusesASourceTooLongBeforeAnyWork) {
    writeLongWav(src("long.wav"), 22000, 400);
    ui.openFiles.push_back(src("long.wav"));
    ui.samplingRates.push_back(22000);
    ui.saveFiles.push_back((dir / "out.wav").string());
    EXPECT_FALSE(runConversionTool(ui));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].text.find("lasts 400.0 s"), std::string::npos) << ui.messages[0].text;
    EXPECT_FALSE(fs::exists(dir / "out.wav"));
}

}  // namespace
}  // namespace zadaravod

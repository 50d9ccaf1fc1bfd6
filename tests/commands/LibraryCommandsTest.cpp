// Load, delete and clear of the sound library through the scripted seam.
#include <gtest/gtest.h>

#include "commands/Library.h"
#include "format/WavFile.h"
#include "support/AudioFixtures.h"
#include "support/ScriptedUserInterface.h"

namespace zadaravod {
namespace {
namespace fs = std::filesystem;
using test::TempDir;

class LibraryLoad : public ::testing::Test {
  protected:
    LibraryLoad() : project(test::openProjectIn(dir)) { fs::create_directory(dir / "src"); }

    std::string src(const std::string& name) const { return (dir / "src" / name).string(); }
    std::string inFolder(const std::string& name) const {
        return soundPath(project.soundFolder, name);
    }

    bool load(std::vector<std::string> files) {
        ui.openFileLists.push_back(std::move(files));
        return loadLibrarySounds(project, ui);
    }
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (const auto& s : project.library) out.push_back(s.name);
        return out;
    }

    TempDir dir;
    Project project;
    ScriptedUserInterface ui;
};

TEST_F(LibraryLoad, CopiesAWavUnchangedAndRecordsItsHeader) {
    test::writePcmWav(src("s8.wav"), 16000, 2, 8, 1.0);
    EXPECT_TRUE(load({src("s8.wav")}));
    EXPECT_TRUE(ui.messages.empty());
    ASSERT_EQ(project.library.count(), 1U);
    const CSound& s = project.library.at(0);
    EXPECT_EQ(s.kind, 1);
    EXPECT_EQ(s.name, "s8.wav");
    EXPECT_EQ(s.filePath, inFolder("s8.wav"));
    EXPECT_EQ(s.sampleRate, 16000);
    EXPECT_EQ(s.bitsPerSample, 8);
    EXPECT_EQ(s.stereo, 1);
    EXPECT_EQ(s.durationMs, 1000);
    EXPECT_EQ(s.infoExtra, 256);
    EXPECT_EQ(test::readFile(inFolder("s8.wav")), test::readFile(src("s8.wav")));
    ASSERT_EQ(ui.fileRequests.size(), 1U);
    EXPECT_EQ(ui.fileRequests[0].filter, kLibraryLoadFilter);
}

TEST_F(LibraryLoad, FillingUpDuringThePlainPathStopsBeforeTheNextCopy) {
    test::fillLibrary(project, 509);
    for (const char* n : {"a.wav", "b.wav", "c.wav"}) test::writePcmWav(src(n), 8000, 1, 16, 0.2);
    EXPECT_FALSE(load({src("a.wav"), src("b.wav"), src("c.wav")}));
    EXPECT_EQ(ui.texts(), std::vector<std::string>{"Sound Library full!"});
    EXPECT_EQ(ui.messages[0].caption, kAppCaption);
    EXPECT_EQ(project.library.count(), 510U);
    EXPECT_EQ(project.library.at(509).name, "a.wav");
    // No file without a record is left in the sound folder.
    EXPECT_FALSE(fs::exists(inFolder("b.wav")));
    EXPECT_FALSE(fs::exists(inFolder("c.wav")));
}

TEST_F(LibraryLoad, FillingUpDuringTheConvertingPathStopsBeforeTheNextConversion) {
    test::fillLibrary(project, 510);
    project.library.removeAt(0);
    test::makeWithFfmpeg(src("a.mp3"), 22050, 1, "libmp3lame", 0.3);
    test::makeWithFfmpeg(src("b.mp3"), 22050, 1, "libmp3lame", 0.3);
    EXPECT_FALSE(load({src("a.mp3"), src("b.mp3")}));
    EXPECT_EQ(ui.texts(), std::vector<std::string>{"Sound Library Full!"});
    EXPECT_EQ(project.library.at(509).name, "a.mp3.wav");
    EXPECT_FALSE(fs::exists(inFolder("b.mp3.wav")));
}

TEST_F(LibraryLoad, AFullLibraryOrTooManyFilesRefuseBeforeAnythingHappens) {
    test::fillLibrary(project, 510);
    EXPECT_FALSE(loadLibrarySounds(project, ui));
    EXPECT_EQ(ui.texts(), std::vector<std::string>{"Sound Library full!"});
    EXPECT_TRUE(ui.fileRequests.empty());

    project.library.removeAll();
    ui.messages.clear();
    test::writePcmWav(src("a.wav"), 8000, 1, 16, 0.1);
    EXPECT_FALSE(load(std::vector<std::string>(511, src("a.wav"))));
    EXPECT_EQ(ui.texts(), std::vector<std::string>{"Try add fewer files!"});
    EXPECT_TRUE(project.library.empty());
    EXPECT_FALSE(fs::exists(inFolder("a.wav")));
}

TEST_F(LibraryLoad, OnlyALowerCaseWavExtensionIsCopied) {
    test::writePcmWav(src("a.WAV"), 16000, 2, 16, 0.5);
    EXPECT_TRUE(load({src("a.WAV")}));
    ASSERT_EQ(names(), std::vector<std::string>{"a.WAV.wav"});
    const CSound& s = project.library.at(0);
    EXPECT_EQ(s.filePath, inFolder("a.WAV.wav"));
    EXPECT_EQ(s.sampleRate, 16000);
    EXPECT_EQ(s.stereo, 0);
    EXPECT_EQ(s.bitsPerSample, 16);
    EXPECT_FALSE(fs::exists(inFolder("a.WAV")));
}

TEST_F(LibraryLoad, A4000HzWavIsRefusedButA4000HzCompressedFileIsConverted) {
    test::writePcmWav(src("low.wav"), 4000, 1, 16, 0.5);
    EXPECT_FALSE(load({src("low.wav")}));
    EXPECT_EQ(ui.texts(), std::vector<std::string>{"Inappropriate sampling rate!"});
    EXPECT_TRUE(project.library.empty());
    EXPECT_FALSE(fs::exists(inFolder("low.wav")));

    ui.messages.clear();
    test::makeWithFfmpeg(src("low.wma"), 4000, 1, "wmav2", 0.5);
    EXPECT_TRUE(load({src("low.wma")}));
    ASSERT_EQ(project.library.count(), 1U);
    EXPECT_EQ(project.library.at(0).name, "low.wma.wav");
    EXPECT_EQ(project.library.at(0).sampleRate, 4000);
}

TEST_F(LibraryLoad, AnInappropriateWavEndsTheCommandButKeepsEarlierFiles) {
    test::writePcmWav(src("a.wav"), 8000, 1, 16, 0.1);
    test::writePcmWav(src("b.wav"), 11025, 1, 16, 0.1);
    test::writePcmWav(src("c.wav"), 8000, 1, 16, 0.1);
    EXPECT_FALSE(load({src("a.wav"), src("b.wav"), src("c.wav")}));
    EXPECT_EQ(names(), std::vector<std::string>{"a.wav"});
    EXPECT_EQ(ui.texts(), std::vector<std::string>{"Inappropriate sampling rate!"});
}

TEST_F(LibraryLoad, ARateTheImageCannotCodeIsRoundedDownAloneAndInCompany) {
    // The image has no code for 11025 Hz: kept, it would play 27 % slow.
    test::makeWithFfmpeg(src("odd.mp3"), 11025, 1, "libmp3lame", 0.5);
    EXPECT_TRUE(load({src("odd.mp3")}));
    ASSERT_EQ(project.library.count(), 1U);
    EXPECT_EQ(project.library.at(0).sampleRate, 10000);

    project.library.removeAll();
    test::writePcmWav(src("plain.wav"), 8000, 1, 16, 0.2);
    EXPECT_TRUE(load({src("plain.wav"), src("odd.mp3")}));
    ASSERT_EQ(names(), (std::vector<std::string>{"plain.wav", "odd.mp3.wav"}));
    EXPECT_EQ(project.library.at(1).sampleRate, 10000);
    WavData wav;
    std::string error;
    ASSERT_TRUE(readWav(inFolder("odd.mp3.wav"), wav, error)) << error;
    EXPECT_EQ(wav.sampleRate, 10000);
}

TEST_F(LibraryLoad, AFastCompressedFileIsRefusedAloneAndHeldTo22000InCompany) {
    test::makeWithFfmpeg(src("hi.mp3"), 44100, 2, "libmp3lame", 0.3);
    EXPECT_FALSE(load({src("hi.mp3")}));
    EXPECT_EQ(ui.texts(), std::vector<std::string>{"Sampling Rate can not be greater than 22000"});
    EXPECT_TRUE(project.library.empty());

    ui.messages.clear();
    test::makeWithFfmpeg(src("lo.mp3"), 8000, 1, "libmp3lame", 0.3);
    EXPECT_TRUE(load({src("hi.mp3"), src("lo.mp3")}));
    ASSERT_EQ(project.library.count(), 2U);
    EXPECT_EQ(project.library.at(0).sampleRate, 22000);
    EXPECT_EQ(project.library.at(0).stereo, 0);
    EXPECT_EQ(project.library.at(1).sampleRate, 8000);
}

TEST_F(LibraryLoad, AWavAlreadyInTheSoundFolderIsAddedWithoutCopying) {
    test::writePcmWav(inFolder("here.wav"), 12000, 1, 16, 0.4);
    const std::string before = test::readFile(inFolder("here.wav"));
    EXPECT_TRUE(load({inFolder("here.wav")}));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(names(), std::vector<std::string>{"here.wav"});
    EXPECT_EQ(test::readFile(inFolder("here.wav")), before);
}

TEST_F(LibraryLoad, ANameAlreadyInUseEndsTheCommand) {
    test::writePcmWav(src("a.wav"), 8000, 1, 16, 0.1);
    test::writePcmWav(src("b.wav"), 8000, 1, 16, 0.1);
    ASSERT_TRUE(load({src("a.wav")}));
    EXPECT_FALSE(load({src("b.wav"), src("a.wav"), src("c.wav")}));
    EXPECT_EQ(ui.texts(), std::vector<std::string>{"Sound file loaded already!"});
    EXPECT_EQ(names(), (std::vector<std::string>{"a.wav", "b.wav"}));

    // A second a.mp3 would convert over a.mp3.wav and leave two records on one file.
    ui.messages.clear();
    test::makeWithFfmpeg(src("a.mp3"), 8000, 1, "libmp3lame", 0.2);
    ASSERT_TRUE(load({src("a.mp3")}));
    EXPECT_FALSE(load({src("a.mp3")}));
    EXPECT_EQ(ui.texts(), std::vector<std::string>{"Sound file loaded already!"});
    EXPECT_EQ(project.library.count(), 3U);

    // Nor may an import replace the background music's file.
    ui.messages.clear();
    CSound music;
    music.kind = 1;
    music.name = "music.wav";
    project.backgroundMusic.addTail(music);
    test::writePcmWav(src("music.wav"), 8000, 1, 16, 0.1);
    EXPECT_FALSE(load({src("music.wav")}));
    EXPECT_EQ(ui.texts(), std::vector<std::string>{"Sound file loaded already!"});
}

TEST_F(LibraryLoad, UnreadableOrUnconvertibleFilesAreReportedAndSkipped) {
    test::writeFile(src("bad.mp3"), "not an mp3");
    test::writeFile(src("bad.wav"), "RIFF....WAVE but broken");
    test::writePcmWav(src("good.wav"), 8000, 1, 16, 0.1);
    EXPECT_FALSE(load({src("bad.mp3"), src("bad.wav"), src("good.wav")}));
    EXPECT_EQ(names(), std::vector<std::string>{"good.wav"});
    ASSERT_EQ(ui.messages.size(), 2U);
    EXPECT_NE(ui.messages[0].text.find("bad.mp3"), std::string::npos);
    EXPECT_NE(ui.messages[1].text.find("bad.wav"), std::string::npos);
    EXPECT_FALSE(fs::exists(inFolder("bad.mp3.wav")));
    EXPECT_FALSE(fs::exists(inFolder("bad.wav")));
}

TEST_F(LibraryLoad, AFailedCopyIsShownAndAddsNoRecord) {
    test::writePcmWav(src("a.wav"), 8000, 1, 16, 0.1);
    test::writePcmWav(src("b.wav"), 8000, 1, 16, 0.1);
    fs::create_directory(inFolder("a.wav"));  // the copy cannot replace a folder
    EXPECT_FALSE(load({src("a.wav"), src("b.wav")}));
    ASSERT_EQ(ui.messages.size(), 1U);
    EXPECT_EQ(ui.messages[0].caption, "Error");
    EXPECT_EQ(ui.messages[0].icon, UserInterface::Icon::Error);
    EXPECT_EQ(names(), std::vector<std::string>{"b.wav"});
}

TEST_F(LibraryLoad, AMissingOrLinkedSoundFolderRefusesBeforeTheDialog) {
    const std::string outside = (dir / "outside").string();
    fs::create_directory(outside);
    fs::remove_all(project.soundFolder);
    EXPECT_FALSE(loadLibrarySounds(project, ui));
    ASSERT_EQ(ui.messages.size(), 1U);
    EXPECT_NE(ui.messages[0].text.find("is missing"), std::string::npos);

    fs::create_directory_symlink(outside, project.soundFolder);
    EXPECT_FALSE(loadLibrarySounds(project, ui));
    ASSERT_EQ(ui.messages.size(), 2U);
    EXPECT_NE(ui.messages[1].text.find("symbolic link"), std::string::npos);
    EXPECT_TRUE(ui.fileRequests.empty());
    EXPECT_TRUE(fs::is_empty(outside));
}

TEST_F(LibraryLoad, CancelAddsNothing) {
    ui.openFileLists.push_back(std::nullopt);
    EXPECT_FALSE(loadLibrarySounds(project, ui));
    EXPECT_TRUE(project.library.empty());
    EXPECT_TRUE(ui.messages.empty());
}

class LibraryRemoval : public LibraryLoad {
  protected:
    void SetUp() override {
        for (const char* n : {"a.wav", "b.wav"}) test::writePcmWav(src(n), 8000, 1, 16, 0.1);
        ASSERT_TRUE(load({src("a.wav"), src("b.wav")}));
        ui.statusLines.clear();  // the import's progress lines
        const CSound a = project.library.at(0), b = project.library.at(1);
        for (const CSound& s : {a, b, a}) project.playlists[3].addTail(s);
        project.playlists[3].addTail(CSound::silence(10));
        project.playlists[5].addTail(a);
        CSound music = b;
        music.name = "music.wav";
        project.backgroundMusic.addTail(music);
    }
};

TEST_F(LibraryRemoval, DeleteRemovesEveryEntryThatPlaysTheSoundAndTheFile) {
    ui.confirmAnswers.push_back(result::kConfirmOk);
    EXPECT_TRUE(deleteLibrarySound(project, ui, 0));
    EXPECT_EQ(names(), std::vector<std::string>{"b.wav"});
    // Both entries of list 3 go: a left-over one would play a silence.
    ASSERT_EQ(project.playlists[3].count(), 2U);
    EXPECT_EQ(project.playlists[3].at(0).name, "b.wav");
    EXPECT_EQ(project.playlists[3].at(1).kind, 0);
    EXPECT_TRUE(project.playlists[5].empty());
    ASSERT_EQ(ui.statusLines.size(), 1U);
    EXPECT_NE(ui.statusLines[0].find("3 playlist entries"), std::string::npos);
    EXPECT_FALSE(fs::exists(inFolder("a.wav")));
    EXPECT_TRUE(fs::exists(inFolder("b.wav")));
    EXPECT_EQ(ui.confirmCount, 1);
}

TEST_F(LibraryRemoval, NothingChangesWithoutConfirmationOrSelection) {
    const Project before = project;
    ui.confirmAnswers = {1096, 2, result::kConfirmOk, result::kConfirmOk};
    EXPECT_FALSE(deleteLibrarySound(project, ui, 0));
    EXPECT_FALSE(deleteLibrarySound(project, ui, 0));
    EXPECT_FALSE(deleteLibrarySound(project, ui, std::nullopt));
    EXPECT_FALSE(deleteLibrarySound(project, ui, 2));
    EXPECT_EQ(project.library, before.library);
    EXPECT_EQ(project.playlists, before.playlists);
    EXPECT_TRUE(fs::exists(inFolder("a.wav")));
    ui.confirmAnswers = {1096};
    EXPECT_FALSE(clearLibrary(project, ui));
    EXPECT_EQ(project.library, before.library);
}

TEST_F(LibraryRemoval, AFileAlreadyMissingIsNoError) {
    fs::remove(inFolder("a.wav"));
    ui.confirmAnswers.push_back(result::kConfirmOk);
    EXPECT_TRUE(deleteLibrarySound(project, ui, 0));
    EXPECT_TRUE(ui.messages.empty());
    fs::remove(inFolder("b.wav"));
    ui.confirmAnswers.push_back(result::kConfirmOk);
    EXPECT_TRUE(clearLibrary(project, ui));
    EXPECT_EQ(ui.texts(), std::vector<std::string>{"Empty sound library"});
}

TEST_F(LibraryRemoval, ClearDeletesEveryFileAndEmptiesEveryPlaylistButNotTheMusic) {
    ui.confirmAnswers.push_back(result::kConfirmOk);
    EXPECT_TRUE(clearLibrary(project, ui));
    EXPECT_TRUE(project.library.empty());
    for (const auto& list : project.playlists) EXPECT_TRUE(list.empty());
    EXPECT_EQ(project.backgroundMusic.count(), 1U);
    EXPECT_FALSE(fs::exists(inFolder("a.wav")));
    EXPECT_FALSE(fs::exists(inFolder("b.wav")));
    EXPECT_EQ(ui.texts(), std::vector<std::string>{"Empty sound library"});
    EXPECT_EQ(ui.messages[0].caption, kAppCaption);
}

}  // namespace
}  // namespace zadaravod

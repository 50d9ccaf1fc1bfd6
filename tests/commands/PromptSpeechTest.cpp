// Text to speech into the library and into a file, the names it suggests and
// accepts, and undo of speaking and of "Обработать…" down to the bytes.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <map>

#include "commands/EditHistory.h"
#include "commands/Library.h"
#include "commands/ProjectFiles.h"
#include "commands/PromptTools.h"
#include "format/WavFile.h"
#include "model/ProjectFile.h"
#include "model/SamplingRates.h"
#include "support/AudioFixtures.h"
#include "support/ScriptedUserInterface.h"

namespace zadaravod {
namespace {
namespace fs = std::filesystem;
using test::TempDir;

SpeechRequest say(std::string text, int rate = kDefaultSpokenRate, std::string voice = "en") {
    SpeechRequest r;
    r.text = std::move(text);
    r.voice = std::move(voice);
    r.sampleRate = rate;
    return r;
}

double rmsDbfs(const std::vector<std::int16_t>& s) {
    double sum = 0;
    for (std::int16_t v : s) sum += static_cast<double>(v) * v;
    return 10.0 * std::log10(sum / static_cast<double>(s.size()) / (32768.0 * 32768.0));
}

class Speak : public ::testing::Test {
  protected:
    Speak() : project(test::openProjectIn(dir)) {}

    std::string inFolder(const std::string& name) const {
        return soundPath(project.soundFolder, name);
    }
    std::size_t soundFolderSize() const {
        return static_cast<std::size_t>(
            std::distance(fs::directory_iterator(project.soundFolder), fs::directory_iterator()));
    }

    TempDir dir;
    Project project;
    ScriptedUserInterface ui;
};

TEST_F(Speak, AWordAtEveryRateTheLibraryTakesIsAddedAsSpoken) {
    ASSERT_EQ(libraryImportRates().size(), kSupportedRates.size() - 1);
    for (int rate : libraryImportRates()) {
        const std::string name = "w" + std::to_string(rate);
        const Result<std::string> added = speakIntoLibrary(project, ui, say("hello", rate), name);
        ASSERT_TRUE(added.ok()) << rate << ": " << added.error().text;
        EXPECT_EQ(added.value(), name + ".wav");
        const CSound& record = project.library.at(project.library.count() - 1);
        EXPECT_EQ(record.name, name + ".wav");
        EXPECT_EQ(record.filePath, inFolder(name + ".wav"));
        EXPECT_EQ(record.sampleRate, rate);
        EXPECT_EQ(record.bitsPerSample, 16);
        EXPECT_EQ(record.stereo, 0);
        EXPECT_GT(record.durationMs, 200) << rate;
        EXPECT_LT(record.durationMs, 3000) << rate;
        WavData wav;
        std::string error;
        ASSERT_TRUE(readWav(inFolder(name + ".wav"), wav, error)) << error;
        EXPECT_EQ(wav.sampleRate, rate);
        EXPECT_GT(rmsDbfs(wav.samples), -35.0) << rate;
    }
    EXPECT_TRUE(ui.messages.empty()) << ::testing::PrintToString(ui.texts());
}

TEST_F(Speak, TheImportsRulesAndMessagesApply) {
    ASSERT_TRUE(speakIntoLibrary(project, ui, say("door open"), "door.wav").ok());

    // A name already used, in any spelling of the extension.
    Result<std::string> r = speakIntoLibrary(project, ui, say("door closed"), "door.WAV");
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error().text, "Sound file loaded already!");

    // The import keeps no WAV at 4000 Hz.
    r = speakIntoLibrary(project, ui, say("low", 4000), "low.wav");
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error().text, "Inappropriate sampling rate!");

    // A full library is refused before anything is spoken.
    Project full = project;
    test::fillLibrary(full, kLibraryCapacity - 1);
    r = speakIntoLibrary(full, ui, say("one more"), "more.wav");
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error().text, "Sound Library full!");
    EXPECT_EQ(full.library.count(), static_cast<std::size_t>(kLibraryCapacity));

    EXPECT_EQ(project.library.count(), 1U);
    EXPECT_EQ(soundFolderSize(), 1U);
}

TEST_F(Speak, ASynthesisFailureIsReportedAndNothingIsAdded) {
    Result<std::string> r = speakIntoLibrary(project, ui, say("hello", 8000, "no-such-voice"), "");
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error().text.rfind("The text cannot be spoken: ", 0), 0U) << r.error().text;
    EXPECT_NE(r.error().text.find("no-such-voice"), std::string::npos) << r.error().text;

    r = speakIntoLibrary(project, ui, say(" \t "), "");
    ASSERT_FALSE(r.ok());
    r = speakIntoLibrary(project, ui, say("hello", 11025), "");
    ASSERT_FALSE(r.ok());
    r = speakIntoLibrary(project, ui, say("hello"), "../escape.wav");
    ASSERT_FALSE(r.ok());
    EXPECT_NE(r.error().text.find("cannot name a file of the sound folder"), std::string::npos);

    EXPECT_TRUE(project.library.empty());
    EXPECT_EQ(soundFolderSize(), 0U);
    EXPECT_FALSE(fs::exists(dir / "escape.wav"));
}

TEST_F(Speak, TheSuggestedNameMeetsNoSoundAndNoFileOfTheProject) {
    test::writeFile(inFolder("Battery low.wav"), "a file no record names");
    CSound music;
    music.kind = 1;
    music.name = "battery low-2.wav";
    project.backgroundMusic.addTail(music);
    const Result<std::string> r = speakIntoLibrary(project, ui, say("Battery low"), "");
    ASSERT_TRUE(r.ok()) << r.error().text;
    EXPECT_EQ(r.value(), "Battery low-3.wav");
    EXPECT_EQ(test::readFile(inFolder("Battery low.wav")), "a file no record names");

    const std::set<std::string> taken = takenSoundNames(project);
    EXPECT_TRUE(taken.count("Battery low.wav") && taken.count("battery low-2.wav") &&
                taken.count("Battery low-3.wav"));
}

TEST_F(Speak, TrimmingTheSpeechSaysWhatItSaved) {
    const Result<std::string> r = speakIntoLibrary(project, ui, say("yes"), "yes", [] {
        SoundTreatment t;
        t.trim = true;
        t.normalize = true;
        return t;
    }());
    ASSERT_TRUE(r.ok()) << r.error().text;
    ASSERT_EQ(ui.statusLines.size(), 1U);
    EXPECT_EQ(ui.statusLines[0].rfind("Trimming saved ", 0), 0U);
}

TEST_F(Speak, IntoAFileWithoutAProject) {
    const fs::path out = dir / "prompt.wav";
    const Result<std::int64_t> ms = speakIntoFile(ui, say("seven", 16000), out.string());
    ASSERT_TRUE(ms.ok()) << ms.error().text;
    WavData wav;
    std::string error;
    ASSERT_TRUE(readWav(out, wav, error)) << error;
    EXPECT_EQ(wav.sampleRate, 16000);
    EXPECT_EQ(wav.channels, 1);
    EXPECT_EQ(static_cast<std::int64_t>(wav.frameCount()) * 1000 / 16000, ms.value());

    // A failure leaves what was there.
    const std::string before = test::readFile(out);
    EXPECT_FALSE(speakIntoFile(ui, say("seven", 16000, "xx-none"), out.string()).ok());
    EXPECT_EQ(test::readFile(out), before);
    const Result<std::int64_t> folder = speakIntoFile(ui, say("seven"), dir.str());
    ASSERT_FALSE(folder.ok());
    EXPECT_NE(folder.error().text.find("is a folder"), std::string::npos);
}

TEST(SpokenNames, TypedNamesEndInWavAndAreCheckedAgainstTheTakenOnes) {
    EXPECT_EQ(spokenFileName("  door  "), "door.wav");
    EXPECT_EQ(spokenFileName("door.WAV"), "door.wav");
    EXPECT_EQ(spokenFileName("door.wav"), "door.wav");
    EXPECT_EQ(spokenFileName("door.mp3"), "door.mp3.wav");
    EXPECT_EQ(spokenFileName(".wav"), ".wav.wav");
    EXPECT_EQ(spokenFileName(" "), "");

    const std::set<std::string> taken = {"Door.wav"};
    EXPECT_EQ(checkSpokenName("bell.wav", taken), SpokenNameCheck::Usable);
    EXPECT_EQ(checkSpokenName("door.wav", taken), SpokenNameCheck::Taken);
    EXPECT_EQ(checkSpokenName("", taken), SpokenNameCheck::Empty);
    EXPECT_EQ(checkSpokenName("a/b.wav", taken), SpokenNameCheck::Unusable);
    EXPECT_EQ(checkSpokenName("\xff.wav", taken), SpokenNameCheck::Unusable);
    EXPECT_EQ(checkSpokenName(std::string(252, 'x') + ".wav", taken), SpokenNameCheck::Unusable);
    EXPECT_NE(spokenNameProblem("door.wav", taken).find("taken"), std::string::npos);
    EXPECT_EQ(spokenNameProblem("bell.wav", taken), "");
}

// --- undo ----------------------------------------------------------------------

/// Both project files and every sound file with its content.
struct Snapshot {
    std::vector<std::uint8_t> projectFile;
    std::map<std::string, std::string> soundFiles;
    bool operator==(const Snapshot&) const = default;
};

class PromptUndo : public ::testing::Test {
  protected:
    PromptUndo() { EXPECT_TRUE(files.newAt(dir.str() + "/demo.winproj").ok()); }

    Project& project() { return files.project(); }
    Snapshot snapshot() {
        Snapshot s{storeProjectFile(project()), {}};
        for (const auto& entry : fs::directory_iterator(project().soundFolder)) {
            s.soundFiles[entry.path().filename().string()] = test::readFile(entry.path());
        }
        return s;
    }

    TempDir dir;
    ScriptedUserInterface ui;
    ProjectFiles files{ui, AppPaths::ofFolder(test::appDir())};
};

TEST_F(PromptUndo, SpeakingAndProcessingUndoToTheBytesAndRedo) {
    const Snapshot empty = snapshot();
    files.history().record(project(), EditKind::SpeakText, [&] {
        EXPECT_TRUE(speakIntoLibrary(project(), ui, say("door open"), "door.wav").ok());
    });
    files.history().record(project(), EditKind::AppendSound,
                           [&] { project().playlists[0].addTail(project().library.at(0)); });
    const Snapshot spoken = snapshot();
    const CSound spokenRecord = project().library.at(0);

    SoundTreatment t;
    t.trim = true;
    t.normalize = true;
    t.loudnessOptions.targetLufs = -12.0;
    files.history().record(project(), EditKind::ProcessSound,
                           [&] { EXPECT_TRUE(processLibrarySound(project(), ui, 0, t).ok()); });
    ASSERT_EQ(files.history().undoKind(), EditKind::ProcessSound);
    const Snapshot processed = snapshot();
    ASSERT_NE(processed.soundFiles.at("door.wav"), spoken.soundFiles.at("door.wav"));

    ASSERT_TRUE(files.history().undo(project()).ok());
    EXPECT_EQ(snapshot(), spoken);
    EXPECT_EQ(project().library.at(0), spokenRecord);
    ASSERT_TRUE(files.history().redo(project()).ok());
    EXPECT_EQ(snapshot(), processed);

    ASSERT_TRUE(files.history().undo(project()).ok());
    ASSERT_TRUE(files.history().undo(project()).ok());
    ASSERT_EQ(files.history().undoKind(), EditKind::SpeakText);
    ASSERT_TRUE(files.history().undo(project()).ok());
    EXPECT_EQ(snapshot(), empty);
    EXPECT_TRUE(project().library.empty());
}

TEST_F(PromptUndo, ATreatedImportOfAFileAlreadyInTheSoundFolderKeepsTheOldOneForUndo) {
    const std::string inFolder = soundPath(project().soundFolder, "tone.wav");
    ASSERT_EQ(writeWav16(inFolder, test::sineSamples(8000, 1, 0.5, 440, 0.2), 8000, 1), "");
    const Snapshot before = snapshot();
    SoundTreatment t;
    t.normalize = true;
    files.history().record(project(), EditKind::ImportSounds,
                           [&] { EXPECT_TRUE(importSounds(project(), ui, {inFolder}, t).ok()); });
    ASSERT_EQ(project().library.count(), 1U);
    EXPECT_NE(test::readFile(inFolder), before.soundFiles.at("tone.wav"));
    ASSERT_TRUE(files.history().undo(project()).ok());
    EXPECT_EQ(snapshot(), before);
}

}  // namespace
}  // namespace zadaravod

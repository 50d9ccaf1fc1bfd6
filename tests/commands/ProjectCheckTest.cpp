// The project check: each kind of finding on a project made to have it, with
// its place and severity, and none on a project without faults.
#include <gtest/gtest.h>

#include <filesystem>

#include "commands/ProjectCheck.h"
#include "commands/SoundFiles.h"
#include "format/ElementCodec.h"
#include "format/ImageFormat.h"
#include "format/ImageWriter.h"
#include "io/AtomicFile.h"
#include "model/ImageContent.h"
#include "support/AudioFixtures.h"
#include "support/ScriptedUserInterface.h"

namespace zadaravod {
namespace {
namespace fs = std::filesystem;

class ProjectCheckTest : public ::testing::Test {
  protected:
    /// Key mode (keys 1-10 play lists 0-9, each holding the one sound), one
    /// sound at 8000 Hz whose file is there: nothing to find.
    ProjectCheckTest() : project(test::openProjectIn(dir)) {
        project.options.setNewValues();
        project.options.controlMode = kModeKey;
        project.options.backgroundMusic = 0;
        const std::string wav = soundPath(project.soundFolder, "one.wav");
        test::writePcmWav(wav, 8000, 1, 16, 0.2);
        project.library.addTail(makeSoundRecord(wav, "one.wav"));
        for (int list = 0; list < 10; ++list) listAt(list).addTail(project.library.at(0));
    }

    CSoundList& listAt(int n) { return project.playlists[static_cast<std::size_t>(n)]; }

    /// The one finding of `kind`; fails the test when there is not exactly one.
    Finding only(const std::string& kind, CheckPurpose purpose = CheckPurpose::OnDemand) {
        const auto findings = checkProject(project, purpose);
        std::vector<Finding> matching;
        for (const Finding& f : findings) {
            if (f.kind == kind) matching.push_back(f);
        }
        EXPECT_EQ(matching.size(), 1U) << kind << " among " << findings.size() << " findings";
        return matching.empty() ? Finding{} : matching.front();
    }

    /// Writes the image the project would build, with a short tone for
    /// every sound.
    void writeImage() {
        const image::ImageContent content = imageContentOf(project);
        const std::vector<std::int16_t> tone = test::sineSamples(8000, 1, 0.05, 440, 0.5);
        const std::vector<std::vector<std::uint8_t>> elements(content.soundRates.size(),
                                                              element::encodeElement(tone, 8000));
        const auto silence = element::encodeElement(std::vector<std::int16_t>(80, 0), 8000);
        const auto bytes =
            image::assembleImage(content, elements, silence, std::vector<std::uint8_t>(256, 0));
        ASSERT_EQ(writeFileAtomically(project.imagePath(), bytes), "");
    }

    test::TempDir dir;
    Project project;
};

TEST_F(ProjectCheckTest, AProjectWithoutFaultsHasNoFinding) {
    const auto findings = checkProject(project);
    for (const Finding& f : findings) ADD_FAILURE() << findingLine(f);
    EXPECT_EQ(findingsSummary(findings), "No problems found.");
    // Silences side by side are one code run in the image; that is no change.
    listAt(0).addTail(CSound::silence(100));
    listAt(0).addTail(CSound::silence(1300));
    writeImage();
    for (const Finding& f : checkProject(project, CheckPurpose::Download)) {
        ADD_FAILURE() << findingLine(f);
    }
}

TEST_F(ProjectCheckTest, ASoundFileMissingStopsABuildButNotADownload) {
    fs::remove(soundPath(project.soundFolder, "one.wav"));
    const Finding f = only("sound-file-missing");
    EXPECT_EQ(f.severity, Severity::Error);
    EXPECT_EQ(f.sound, 0);
    EXPECT_EQ(f.place, "sound 1 (one.wav)");
    EXPECT_EQ(only("sound-file-missing", CheckPurpose::Download).severity, Severity::Warning);
}

TEST_F(ProjectCheckTest, ARateTheChipCannotPlayIsAnError) {
    project.library.at(0).sampleRate = 11025;
    const Finding f = only("rate-not-playable");
    EXPECT_EQ(f.severity, Severity::Error);
    EXPECT_NE(f.text.find("11025 Hz"), std::string::npos);
}

TEST_F(ProjectCheckTest, AListOverItsSlotIsAnErrorNamingItsBytes) {
    for (int i = 0; i < 130; ++i) listAt(3).addTail(CSound::silence(100));  // 2 bytes each
    const Finding f = only("list-too-long");
    EXPECT_EQ(f.severity, Severity::Error);
    EXPECT_EQ(f.list, 3);
    EXPECT_EQ(f.place, "list 03H");
    EXPECT_NE(f.text.find("263 bytes"), std::string::npos) << f.text;
    EXPECT_TRUE(hasErrors(checkProject(project)));
}

TEST_F(ProjectCheckTest, AnEntryWhoseSoundLeftTheLibraryIsNamedByListAndEntry) {
    CSound gone = project.library.at(0);
    gone.name = "gone.wav";
    gone.filePath = soundPath(project.soundFolder, "gone.wav");
    listAt(4).addTail(gone);
    const Finding f = only("entry-not-in-library");
    EXPECT_EQ(f.severity, Severity::Warning);
    EXPECT_EQ(f.list, 4);
    EXPECT_EQ(f.entry, 1);
    EXPECT_EQ(f.place, "list 04H, entry 2");

    // With a full library the build cannot number it at all.
    test::fillLibrary(project, kLibraryCapacity - 1);
    EXPECT_EQ(only("entry-not-in-library").severity, Severity::Error);
}

TEST_F(ProjectCheckTest, AnEmptyListCutsOffTheListsAfterIt) {
    listAt(5).removeAll();
    listAt(30).addTail(CSound::silence(500));
    const auto findings = checkProject(project);
    const Finding cut = only("empty-list-ends-count");
    EXPECT_EQ(cut.list, 5);
    EXPECT_NE(cut.text.find("1eH"), std::string::npos) << cut.text;
    const Finding key = only("key-list-empty");
    EXPECT_EQ(key.key, 6);
    EXPECT_EQ(key.list, 5);
}

TEST_F(ProjectCheckTest, KeysAreCheckedOnlyWhereTheModeLetsThemPlayALIst) {
    project.equation.listOfKey[1] = 40;  // key 2, past every filled list
    EXPECT_EQ(only("key-list-empty").key, 2);
    project.keys.keyFunction[1] = 14;  // "Stop" plays no list
    EXPECT_TRUE(checkProject(project).empty());
    project.keys.keyFunction[1] = 1;
    project.options.controlMode = kModeParallel;  // only key 1 has a list there
    EXPECT_TRUE(checkProject(project).empty());
    project.options.controlMode = kModeMatrix;  // every key plays, whatever its code
    project.keys.keyFunction[1] = 0;
    const auto findings = checkProject(project);
    int keyFindings = 0;
    for (const Finding& f : findings) keyFindings += f.kind == "key-list-empty";
    EXPECT_EQ(keyFindings, 1 + 14) << "key 2 plays list 40, keys 11-24 the empty lists 10-23";
}

TEST_F(ProjectCheckTest, MusicFlagAndMode) {
    project.options.controlMode = kModeOneLine;
    project.options.backgroundMusic = 1;
    EXPECT_EQ(only("music-flag-without-music").severity, Severity::Warning);

    project.backgroundMusic.addTail(project.library.at(0));
    project.options.controlMode = kModeMp3;
    const Finding f = only("music-in-wrong-mode");
    EXPECT_EQ(f.place, "background music");
    EXPECT_EQ(f.severity, Severity::Warning);

    project.options.controlMode = kModeThreeLine;
    project.options.backgroundMusic = 0;
    EXPECT_EQ(only("music-switched-off").severity, Severity::Hint);
}

TEST_F(ProjectCheckTest, TheGaugeWarnsBeforeTheBuildThatTheFlashIsTooSmall) {
    project.flashSize.sizeIndex = 4;  // 256K: the image's fixed part alone fills most of it
    project.library.at(0).durationMs = 60000;
    project.library.at(0).sampleRate = 22000;
    const Finding f = only("flash-too-small");
    EXPECT_EQ(f.severity, Severity::Warning);
    EXPECT_NE(f.text.find("256K"), std::string::npos);
}

TEST_F(ProjectCheckTest, UnusedSoundsAreHints) {
    const std::string wav = soundPath(project.soundFolder, "spare.wav");
    test::writePcmWav(wav, 8000, 1, 16, 0.1);
    project.library.addTail(makeSoundRecord(wav, "spare.wav"));
    const Finding f = only("sound-unused");
    EXPECT_EQ(f.severity, Severity::Hint);
    EXPECT_EQ(f.sound, 1);
    EXPECT_FALSE(hasErrors(checkProject(project)));
}

TEST_F(ProjectCheckTest, TheDownloadLooksAtTheImageAsBuilt) {
    EXPECT_EQ(only("image-missing", CheckPurpose::Download).severity, Severity::Warning);
    writeImage();
    listAt(2).addTail(CSound::silence(300));
    EXPECT_EQ(only("image-stale", CheckPurpose::Download).severity, Severity::Warning);
    EXPECT_EQ(only("image-stale").severity, Severity::Warning);

    // An image larger than the chosen flash cannot be written to it.
    writeImage();
    project.flashSize.sizeIndex = 4;
    test::writeFile(project.imagePath(), std::string(300 * 1024, '\xff'));
    const auto findings = checkProject(project, CheckPurpose::Download);
    EXPECT_TRUE(hasErrors(findings));
    EXPECT_EQ(findings.front().kind, "image-too-large") << "errors come first";
}

/// The seam's own way of showing findings (a message, or a question).
struct DefaultReview : ScriptedUserInterface {
    bool reviewFindings(const std::vector<Finding>& findings, FindingsReview review) override {
        return UserInterface::reviewFindings(findings, review);
    }
};

TEST_F(ProjectCheckTest, BeforeACommandErrorsStopWarningsAskAndHintsPass) {
    ScriptedUserInterface ui;
    EXPECT_TRUE(checkBeforeCommand(project, CheckPurpose::Build, ui));
    EXPECT_TRUE(ui.reviews.empty());

    const std::string wav = soundPath(project.soundFolder, "spare.wav");
    test::writePcmWav(wav, 8000, 1, 16, 0.1);
    project.library.addTail(makeSoundRecord(wav, "spare.wav"));  // a hint only
    EXPECT_TRUE(checkBeforeCommand(project, CheckPurpose::Build, ui));
    EXPECT_TRUE(ui.reviews.empty());

    project.options.backgroundMusic = 1;  // a warning in key mode
    ui.continueAfterWarnings = false;
    EXPECT_FALSE(checkBeforeCommand(project, CheckPurpose::Build, ui));
    ui.continueAfterWarnings = true;
    EXPECT_TRUE(checkBeforeCommand(project, CheckPurpose::Build, ui));
    ASSERT_EQ(ui.reviews.size(), 2U);
    EXPECT_EQ(ui.reviews[0].second, FindingsReview::MayContinue);
    EXPECT_EQ(ui.reviews[0].first.size(), 2U) << "the warning and the hint";

    project.library.at(0).sampleRate = 11025;  // an error
    EXPECT_FALSE(checkBeforeCommand(project, CheckPurpose::Build, ui));
    ASSERT_EQ(ui.reviews.size(), 3U);
    EXPECT_EQ(ui.reviews[2].second, FindingsReview::Stops);
    EXPECT_EQ(ui.reviews[2].first.front().kind, "rate-not-playable");
}

TEST_F(ProjectCheckTest, TheDefaultReviewAsksOnlyWhenTheUserMayGoOn) {
    DefaultReview ui;
    project.options.backgroundMusic = 1;
    ui.questionAnswers = {false, true};
    EXPECT_FALSE(checkBeforeCommand(project, CheckPurpose::Build, ui));
    EXPECT_TRUE(checkBeforeCommand(project, CheckPurpose::Build, ui));
    ASSERT_EQ(ui.questions.size(), 2U);
    EXPECT_NE(ui.questions[0].find("Background music is switched on"), std::string::npos)
        << ui.questions[0];

    project.library.at(0).sampleRate = 11025;
    ui.questionAnswers = {true};
    EXPECT_FALSE(checkBeforeCommand(project, CheckPurpose::Build, ui));
    EXPECT_EQ(ui.questions.size(), 2U) << "an error is not put to the user as a question";
    ASSERT_FALSE(ui.messages.empty());
    EXPECT_EQ(ui.messages.back().icon, MessageIcon::Error);
    EXPECT_NE(ui.messages.back().text.find("11025 Hz"), std::string::npos);
}

TEST_F(ProjectCheckTest, OnDemandEveryFindingIsShown) {
    DefaultReview ui;
    showProjectCheck(project, ui);
    EXPECT_EQ(ui.texts(), std::vector<std::string>{"No problems found."});
    listAt(7).removeAll();
    showProjectCheck(project, ui);
    ASSERT_EQ(ui.messages.size(), 2U);
    EXPECT_NE(ui.messages[1].text.find("key 8: The key plays list 07H, which is empty."),
              std::string::npos)
        << ui.messages[1].text;
}

TEST(ProjectCheckSummary, CountsEachSeverity) {
    std::vector<Finding> findings(4);
    findings[0].severity = Severity::Error;
    findings[1].severity = Severity::Warning;
    findings[2].severity = Severity::Warning;
    findings[3].severity = Severity::Hint;
    EXPECT_EQ(findingsSummary(findings), "1 error, 2 warnings, 1 hint");
    findings.erase(findings.begin());
    EXPECT_EQ(findingsSummary(findings), "no errors, 2 warnings, 1 hint");
}

}  // namespace
}  // namespace zadaravod

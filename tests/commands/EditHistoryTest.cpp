// Undo and redo of every kind of edit, down to the bytes of the project file
// and the files of the sound folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "commands/BackgroundMusic.h"
#include "commands/EditHistory.h"
#include "commands/Library.h"
#include "commands/Playlists.h"
#include "commands/ProjectFiles.h"
#include "commands/Settings.h"
#include "model/ProjectFile.h"
#include "support/AudioFixtures.h"
#include "support/ScriptedUserInterface.h"

namespace zadaravod {
namespace {
namespace fs = std::filesystem;
using test::TempDir;

/// What undo must give back: both project files' bytes and every file of
/// the sound folder with its content.
struct Snapshot {
    std::vector<std::uint8_t> projectFile;
    std::vector<std::uint8_t> flashFile;
    std::map<std::string, std::string> soundFiles;
    bool operator==(const Snapshot&) const = default;
};

class EditHistoryTest : public ::testing::Test {
  protected:
    EditHistoryTest() {
        fs::create_directory(dir / "src");
        EXPECT_TRUE(files.newAt(dir.str() + "/demo.winproj").ok());
    }

    Project& project() { return files.project(); }
    EditHistory& history() { return files.history(); }
    std::string src(const std::string& name) const { return (dir / "src" / name).string(); }
    std::string holding() const { return (dir / "demo.winproj" / kHoldingFolderName).string(); }

    Snapshot snapshot() {
        Snapshot s{storeProjectFile(project()), storeFlashSizeFile(project().flashSize), {}};
        for (const auto& entry : fs::directory_iterator(project().soundFolder)) {
            s.soundFiles[entry.path().filename().string()] = test::readFile(entry.path());
        }
        return s;
    }

    /// Runs `edit` as one recorded step and keeps the snapshot after it.
    template <typename Edit>
    void step(EditKind kind, Edit&& edit) {
        const std::size_t before = history().size();
        history().record(project(), kind, std::forward<Edit>(edit));
        ASSERT_EQ(history().size(), before + 1) << editKindName(kind) << " was not recorded";
        ASSERT_EQ(history().undoKind(), kind);
        states.push_back(snapshot());
    }

    TempDir dir;
    ScriptedUserInterface ui;
    ProjectFiles files{ui, AppPaths::ofFolder(test::appDir())};
    PlaylistEditor lists{files.project(), ui};
    std::vector<Snapshot> states;
};

TEST_F(EditHistoryTest, EveryKindOfEditUndoesToTheStartAndRedoesToTheEnd) {
    test::writePcmWav(src("a.wav"), 8000, 1, 16, 0.3);
    test::writePcmWav(src("b.wav"), 16000, 2, 8, 0.2);
    test::writePcmWav(src("m.wav"), 8000, 1, 16, 0.4);
    fs::create_directory(dir / "other");
    test::writePcmWav(dir / "other" / "m.wav", 6000, 1, 16, 0.1);  // same name, other content
    states.push_back(snapshot());

    auto ok = [](const auto& result) { EXPECT_TRUE(result.ok()); };
    step(EditKind::ImportSounds, [&] {
        ok(importSounds(project(), ui, {src("a.wav"), src("b.wav")}));
    });
    step(EditKind::InsertSound, [&] { ok(lists.insertSound(0, std::nullopt)); });
    step(EditKind::InsertSilence, [&] { ok(lists.insertSilence(300, 0)); });
    step(EditKind::AppendSound, [&] { ok(lists.appendLibrarySound(1)); });
    step(EditKind::ReplaceEntry, [&] { ok(lists.replaceWithSilence(2, 1500)); });
    step(EditKind::MoveEntry, [&] { EXPECT_TRUE(lists.moveEntry(0, 2)); });
    step(EditKind::DeleteEntry, [&] { ok(lists.removeEntry(1)); });
    lists.setCurrentList(1);
    step(EditKind::InsertSound, [&] { ok(lists.insertSound(1, std::nullopt)); });
    step(EditKind::ClearList, [&] { ok(lists.clearCurrentList()); });
    step(EditKind::LoadMusic, [&] { ok(loadMusic(project(), src("m.wav"), std::nullopt)); });
    step(EditKind::ClearMusic, [&] { clearBackgroundMusic(project()); });
    // The music's file stayed in the sound folder; a sound of that name from
    // elsewhere replaces it, and undo must bring the old content back.
    step(EditKind::ImportSounds,
         [&] { ok(importSounds(project(), ui, {(dir / "other" / "m.wav").string()})); });
    COptions chosen = project().options;
    chosen.controlMode = 0;
    chosen.audioOutput = 0;
    chosen.backgroundMusic = 1;
    step(EditKind::Options, [&] { acceptOptionsDialog(files, 1, chosen); });
    std::array<std::int32_t, kKeyCount> codes{};
    codes.fill(5);
    step(EditKind::KeyFunctions, [&] { acceptKeySetupDialog(files, 1080, codes); });
    codes.fill(3);
    step(EditKind::KeyLists, [&] { acceptEquationDialog(files, 1082, codes); });
    step(EditKind::ControlMode, [&] { files.setControlMode(4); });
    step(EditKind::FlashSize, [&] { files.setFlashSize(3); });
    lists.setCurrentList(0);
    step(EditKind::InsertSound, [&] { ok(lists.insertSound(1, std::nullopt)); });
    step(EditKind::DeleteSound, [&] { ok(removeSound(project(), ui, 0)); });
    step(EditKind::ClearAllLists, [&] { ok(lists.clearEveryList()); });
    step(EditKind::ClearLibrary, [&] { ok(clearSounds(project(), ui)); });
    ASSERT_EQ(states.size(), history().size() + 1);

    for (std::size_t i = states.size() - 1; i > 0; --i) {
        const Done undone = history().undo(project());
        ASSERT_TRUE(undone.ok()) << undone.error().text;
        ASSERT_EQ(snapshot(), states[i - 1]) << "after undoing step " << i;
    }
    EXPECT_FALSE(history().canUndo());
    EXPECT_TRUE(project().library.empty());
    EXPECT_FALSE(history().undo(project()).ok());

    for (std::size_t i = 1; i < states.size(); ++i) {
        const Done redone = history().redo(project());
        ASSERT_TRUE(redone.ok()) << redone.error().text;
        ASSERT_EQ(snapshot(), states[i]) << "after redoing step " << i;
    }
    EXPECT_FALSE(history().canRedo());

    // The automatic save writes what the history left.
    ASSERT_TRUE(files.save().ok());
    EXPECT_EQ(test::readFile(project().projectFilePath),
              std::string(states.back().projectFile.begin(), states.back().projectFile.end()));
}

TEST_F(EditHistoryTest, KeepsOnlyEditsThatChangeSomethingAndANewEditEndsRedo) {
    history().record(project(), EditKind::ClearList, [&] { return lists.clearCurrentList().ok(); });
    history().record(project(), EditKind::FlashSize, [&] { files.setFlashSize(0); });
    EXPECT_EQ(history().size(), 0U) << "edits that changed nothing are not kept";

    history().record(project(), EditKind::InsertSilence,
                     [&] { EXPECT_TRUE(lists.insertSilence(100, std::nullopt).ok()); });
    history().record(project(), EditKind::InsertSilence,
                     [&] { EXPECT_TRUE(lists.insertSilence(200, std::nullopt).ok()); });
    ASSERT_TRUE(history().undo(project()).ok());
    EXPECT_EQ(history().redoKind(), EditKind::InsertSilence);
    history().record(project(), EditKind::FlashSize, [&] { files.setFlashSize(2); });
    EXPECT_FALSE(history().canRedo());
    EXPECT_EQ(history().size(), 2U);
    ASSERT_TRUE(history().undo(project()).ok());
    ASSERT_TRUE(history().undo(project()).ok());
    EXPECT_TRUE(project().playlists[0].empty());
    EXPECT_EQ(project().flashSize.sizeIndex, 0);
}

TEST_F(EditHistoryTest, StatesShareTheListsAnEditDidNotTouch) {
    history().record(project(), EditKind::InsertSilence,
                     [&] { EXPECT_TRUE(lists.insertSilence(100, std::nullopt).ok()); });
    const ProjectState a = captureState(project());
    const ProjectState b = captureState(project(), &a);
    EXPECT_EQ(a.library, b.library);
    EXPECT_EQ(a.playlists[0], b.playlists[0]);
    lists.setCurrentList(5);
    ASSERT_TRUE(lists.insertSilence(100, std::nullopt).ok());
    const ProjectState c = captureState(project(), &b);
    EXPECT_NE(c.playlists[5], b.playlists[5]);
    EXPECT_EQ(c.playlists[6], b.playlists[6]);
    EXPECT_FALSE(c == b);
}

TEST_F(EditHistoryTest, TheOldestStepsGoPastTheLimit) {
    EditHistory small(3);
    small.start(project());
    for (int ms : {100, 200, 300, 400, 500}) {
        small.record(project(), EditKind::InsertSilence,
                     [&] { EXPECT_TRUE(lists.insertSilence(ms, std::nullopt).ok()); });
    }
    EXPECT_EQ(small.size(), 3U);
    while (small.canUndo()) ASSERT_TRUE(small.undo(project()).ok());
    EXPECT_EQ(project().playlists[0].count(), 2U);
    small.end();
}

TEST_F(EditHistoryTest, AChangeTheHistoryDidNotSeeClearsItInsteadOfLosingTheChange) {
    history().record(project(), EditKind::InsertSilence,
                     [&] { EXPECT_TRUE(lists.insertSilence(100, std::nullopt).ok()); });
    project().equation.listOfKey[3] = 77;  // not recorded
    const Done undone = history().undo(project());
    ASSERT_FALSE(undone.ok());
    EXPECT_NE(undone.error().text.find("history was cleared"), std::string::npos);
    EXPECT_EQ(project().equation.listOfKey[3], 77);
    EXPECT_EQ(project().playlists[0].count(), 1U);
    EXPECT_FALSE(history().canUndo());
}

TEST_F(EditHistoryTest, AMissingKeptFileStopsUndoAndChangesNothing) {
    test::writePcmWav(src("a.wav"), 8000, 1, 16, 0.2);
    history().record(project(), EditKind::ImportSounds,
                     [&] { EXPECT_TRUE(importSounds(project(), ui, {src("a.wav")}).ok()); });
    history().record(project(), EditKind::DeleteSound,
                     [&] { EXPECT_TRUE(removeSound(project(), ui, 0).ok()); });
    ASSERT_TRUE(fs::is_directory(holding()));
    EXPECT_FALSE(fs::exists(soundPath(project().soundFolder, "a.wav")));
    fs::remove_all(holding());

    const Done undone = history().undo(project());
    ASSERT_FALSE(undone.ok());
    EXPECT_NE(undone.error().text.find("a.wav"), std::string::npos);
    EXPECT_TRUE(project().library.empty());
    EXPECT_TRUE(history().canUndo()) << "the step stays for when the file is back";
}

TEST_F(EditHistoryTest, AFileInTheWayOfUndoIsLeftAloneAndEverythingMovedIsPutBack) {
    test::writePcmWav(src("a.wav"), 8000, 1, 16, 0.2);
    test::writePcmWav(src("b.wav"), 8000, 1, 16, 0.2);
    history().record(project(), EditKind::ImportSounds, [&] {
        EXPECT_TRUE(importSounds(project(), ui, {src("a.wav"), src("b.wav")}).ok());
    });
    history().record(project(), EditKind::ClearLibrary,
                     [&] { EXPECT_TRUE(clearSounds(project(), ui).ok()); });
    const std::string b = soundPath(project().soundFolder, "b.wav");
    test::writeFile(b, "someone else's file");

    const Done undone = history().undo(project());
    ASSERT_FALSE(undone.ok());
    EXPECT_EQ(test::readFile(b), "someone else's file");
    EXPECT_FALSE(fs::exists(soundPath(project().soundFolder, "a.wav")))
        << "a.wav went back to the undo folder when b.wav could not be put back";
    EXPECT_TRUE(project().library.empty());

    fs::remove(b);
    ASSERT_TRUE(history().undo(project()).ok());
    EXPECT_EQ(project().library.count(), 2U);
    EXPECT_EQ(test::readFile(soundPath(project().soundFolder, "b.wav")),
              test::readFile(src("b.wav")));
}

TEST_F(EditHistoryTest, TheUndoFolderLastsUntilTheProjectIsLeftAndStaysOutOfCopies) {
    test::writePcmWav(src("a.wav"), 8000, 1, 16, 0.2);
    ASSERT_TRUE(importSounds(project(), ui, {src("a.wav")}).ok());
    history().record(project(), EditKind::DeleteSound,
                     [&] { EXPECT_TRUE(removeSound(project(), ui, 0).ok()); });
    ASSERT_TRUE(fs::is_directory(holding()));

    fs::create_directory(dir / "copies");
    const Result<std::string> copy = files.saveAs((dir / "copies").string(), ui);
    ASSERT_TRUE(copy.ok()) << copy.error().text;
    EXPECT_TRUE(fs::exists(fs::path(copy.value()) / "demo.winproj"));
    EXPECT_FALSE(fs::exists(fs::path(copy.value()) / kHoldingFolderName));

    ASSERT_TRUE(files.close().ok());
    EXPECT_FALSE(fs::exists(holding()));
    EXPECT_FALSE(files.history().canUndo());
}

TEST_F(EditHistoryTest, OpenRemovesAnUndoFolderLeftBehindWithoutFollowingALink) {
    const std::string file = project().projectFilePath;
    ASSERT_TRUE(files.close().ok());
    fs::create_directory(dir / "precious");
    test::writeFile(dir / "precious" / "keep.txt", "keep");
    fs::create_directory_symlink(dir / "precious", holding());

    ASSERT_TRUE(files.open(file).ok());
    EXPECT_FALSE(fs::exists(fs::symlink_status(holding())));
    EXPECT_EQ(test::readFile(dir / "precious" / "keep.txt"), "keep");

    // A real folder left by a crash goes with its content.
    ASSERT_TRUE(files.close().ok());
    fs::create_directory(holding());
    test::writeFile(fs::path(holding()) / "1-old.wav", "old");
    ASSERT_TRUE(files.open(file).ok());
    EXPECT_FALSE(fs::exists(holding()));
}

TEST_F(EditHistoryTest, ReplacingAStrayFileKeepsItForUndo) {
    // A file in the sound folder that no record names (music cleared
    // earlier) is replaced by a conversion of the same name.
    const std::string stray = soundPath(project().soundFolder, "tone.wav");
    test::writeFile(stray, "stray");
    test::writePcmWav(src("tone.wav"), 24000, 1, 16, 0.2);
    history().record(project(), EditKind::LoadMusic,
                     [&] { EXPECT_TRUE(loadMusic(project(), src("tone.wav"), 8000).ok()); });
    EXPECT_NE(test::readFile(stray), "stray");
    ASSERT_TRUE(history().undo(project()).ok());
    EXPECT_EQ(test::readFile(stray), "stray");
    EXPECT_TRUE(project().backgroundMusic.empty());
    ASSERT_TRUE(history().redo(project()).ok());
    EXPECT_NE(test::readFile(stray), "stray");
    EXPECT_EQ(project().backgroundMusic.count(), 1U);
}

}  // namespace
}  // namespace zadaravod

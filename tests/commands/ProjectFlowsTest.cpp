#include <gtest/gtest.h>

#include <filesystem>

#include "commands/ProjectFiles.h"
#include "model/ProjectFile.h"
#include "support/ProjectFixtures.h"
#include "support/ScriptedUserInterface.h"
#include "support/TempDir.h"

namespace zadaravod {
namespace {
namespace fs = std::filesystem;

/// Records what the flows ask of the window.
struct RecordingView : ProjectView {
    std::string title;
    std::string modeCaption = "(untouched)";
    int checkedMode = -1;
    int flashSelection = -1;
    int selectedList = -1;
    bool musicViewEnabled = false;
    bool commandsWithProject = false;
    int refills = 0;
    int clears = 0;

    void setTitle(const std::string& t) override { title = t; }
    void refreshCommandState(bool withProject) override { commandsWithProject = withProject; }
    void refillViews() override { ++refills; }
    void clearViews() override { ++clears; }
    void selectList(int n) override { selectedList = n; }
    void selectFlashSize(int index) override { flashSelection = index; }
    void setBackgroundMusicViewEnabled(bool e) override { musicViewEnabled = e; }
    void checkModeItem(int mode) override { checkedMode = mode; }
    void setModeCaption(const std::string& c) override { modeCaption = c; }
};

class ProjectFlows : public ::testing::Test {
  protected:
    test::TempDir dir;
    ScriptedUserInterface ui;
    RecordingView view;
    ProjectFiles editor{ui, AppPaths::ofFolder("/app"), &view};

    std::string newProject(const std::string& name) {
        ui.saveFiles.push_back(dir.str() + "/" + name);
        EXPECT_TRUE(editor.newProject(ui));
        return editor.project().projectFilePath;
    }

    bool open(const std::string& file) {
        ui.openFiles.push_back(file);
        return editor.openProject(ui);
    }
};

TEST_F(ProjectFlows, NewCreatesTheFolderLayoutAndNewValues) {
    const std::string file = newProject("demo.winproj");
    const fs::path folder = dir / "demo.winproj";
    EXPECT_EQ(file, (folder / "demo.winproj").string());
    EXPECT_TRUE(fs::is_directory(folder / "demo.winproj.sound"));
    EXPECT_EQ(fs::file_size(folder / "demo.winproj"), 1144u);
    EXPECT_EQ(fs::file_size(folder / "demo.winprojflash"), 20u);
    EXPECT_EQ(ui.fileRequests.at(0).filter, "Project Files(*.winproj)|*.winproj||");
    EXPECT_EQ(ui.fileRequests.at(0).defaultExtension, "winproj");

    const Project& p = editor.project();
    EXPECT_TRUE(p.projectOpen);
    EXPECT_EQ(p.soundFolder, (folder / "demo.winproj.sound").string());
    EXPECT_EQ(p.options.controlMode, 6);
    EXPECT_EQ(p.options.audioOutput, 0);
    EXPECT_EQ(p.options.pullUp, 1);
    EXPECT_EQ(view.title, "demo.winproj - LARK40 ZadarAvod V1.6e");
    EXPECT_EQ(view.modeCaption, "Key Mode");
    EXPECT_TRUE(view.commandsWithProject);
    EXPECT_EQ(view.selectedList, 0);
}

TEST_F(ProjectFlows, NewAddsTheDefaultExtension) {
    EXPECT_EQ(fs::path(newProject("bare")).filename(), "bare.winproj");
}

TEST_F(ProjectFlows, NewOnAnExistingNameLeavesNoProjectOpen) {
    newProject("demo.winproj");
    ui.saveFiles.push_back((dir / "demo.winproj").string());
    EXPECT_FALSE(editor.newProject(ui));
    EXPECT_TRUE(ui.saw("The project already exists!"));
    EXPECT_FALSE(editor.project().projectOpen);
    // Save does nothing until a project is opened or created again.
    EXPECT_TRUE(shown(editor.save(), ui));
}

TEST_F(ProjectFlows, CancelledNewLeavesNoProjectOpen) {
    newProject("a.winproj");
    EXPECT_FALSE(editor.newProject(ui));
    EXPECT_FALSE(editor.project().projectOpen);
}

TEST_F(ProjectFlows, OpenRestoresWhatWasSavedAndRebasesPaths) {
    const std::string file = newProject("demo.winproj");
    Project& p = editor.project();
    CSound s;
    s.kind = 1;
    s.name = "привет.wav";
    s.filePath = "/elsewhere/привет.wav";
    s.sampleRate = 8000;
    p.library.addTail(s);
    p.playlists[3].addTail(s);
    p.backgroundMusic.addTail(s);
    p.options.controlMode = 1;
    p.options.backgroundMusic = 1;
    p.keys.keyFunction[4] = 11;
    p.equation.listOfKey[0] = 42;
    editor.setFlashSize(2);
    ASSERT_TRUE(shown(editor.save(), ui));
    ASSERT_TRUE(shown(editor.close(), ui));

    // Move the whole folder: the stored paths are not used after loading.
    const fs::path moved = dir / "moved";
    fs::create_directory(moved);
    fs::rename(dir / "demo.winproj", moved / "demo.winproj");
    const std::string movedFile = (moved / "demo.winproj" / "demo.winproj").string();

    ASSERT_TRUE(open(movedFile));
    const Project& q = editor.project();
    const std::string folder = movedFile + ".sound";
    EXPECT_EQ(q.soundFolder, folder);
    EXPECT_EQ(q.library.at(0).filePath, folder + "/привет.wav");
    EXPECT_EQ(q.playlists[3].at(0).filePath, folder + "/привет.wav");
    EXPECT_EQ(q.backgroundMusic.at(0).filePath, folder + "/привет.wav");
    EXPECT_EQ(q.options.controlMode, 1);
    EXPECT_EQ(q.options.backgroundMusic, 1);
    EXPECT_EQ(q.keys.keyFunction[4], 11);
    EXPECT_EQ(q.equation.listOfKey[0], 42);
    EXPECT_EQ(q.flashSize.sizeIndex, 2);
    EXPECT_EQ(view.flashSelection, 2);
    EXPECT_TRUE(view.musicViewEnabled);
    EXPECT_EQ(view.checkedMode, 1);
    EXPECT_EQ(view.modeCaption, "Three Line Mode");
    (void)file;
}

TEST_F(ProjectFlows, FlashSizeFileMissingOrOutOfRangeSelects4M) {
    const std::string file = newProject("demo.winproj");
    editor.setFlashSize(3);
    shown(editor.close(), ui);  // Close does not write the flash-size file
    fs::remove(file + "flash");
    ASSERT_TRUE(open(file));
    EXPECT_EQ(editor.project().flashSize.sizeIndex, 0);

    CFlashSize seven;
    seven.sizeIndex = 7;
    const auto bytes = storeFlashSizeFile(seven);
    test::writeFile(file + "flash", std::string(bytes.begin(), bytes.end()));
    editor.setFlashSize(2);  // a change that is not saved
    shown(editor.close(), ui);
    ASSERT_TRUE(open(file));
    EXPECT_EQ(editor.project().flashSize.sizeIndex, 0);
    EXPECT_EQ(view.flashSelection, 0);
}

TEST_F(ProjectFlows, CloseShowsTheFlashSizeLastSavedNotALaterChange) {
    const std::string file = newProject("demo.winproj");
    editor.setFlashSize(1);
    shown(editor.save(), ui);
    editor.setFlashSize(4);
    shown(editor.close(), ui);
    EXPECT_TRUE(ui.saw("Close Project"));
    EXPECT_FALSE(editor.project().projectOpen);
    EXPECT_EQ(view.title, "LARK40 ZadarAvod V1.6e");
    EXPECT_EQ(view.modeCaption, "");
    ASSERT_TRUE(open(file));
    EXPECT_EQ(editor.project().flashSize.sizeIndex, 1);
}

TEST_F(ProjectFlows, ModeFiveLeavesNoCheckMarkAndDisablesMusic) {
    const std::string file = newProject("demo.winproj");
    editor.project().options.controlMode = 5;
    shown(editor.save(), ui);
    ASSERT_TRUE(open(file));
    EXPECT_EQ(view.checkedMode, 5);
    EXPECT_FALSE(view.musicViewEnabled);
    EXPECT_EQ(view.modeCaption, "Extended Mode");
}

TEST_F(ProjectFlows, AFileThatDoesNotLoadLeavesNoProjectOpenAndIsUntouched) {
    const std::string good = newProject("good.winproj");
    editor.project().library.addTail(CSound::silence(10));
    ASSERT_TRUE(shown(editor.close(), ui));
    const std::string bytes = test::readFile(good);
    const std::string truncated = bytes.substr(0, bytes.size() - 3);
    test::writeFile(good, truncated);

    // A fresh window, so that no open project is saved over the file first.
    RecordingView freshView;
    ProjectFiles fresh(ui, AppPaths::ofFolder("/app"), &freshView);
    ui.openFiles.push_back(good);
    ASSERT_FALSE(fresh.openProject(ui));
    EXPECT_FALSE(fresh.project().projectOpen);
    EXPECT_TRUE(fresh.project().projectFilePath.empty());
    EXPECT_TRUE(fresh.project().library.empty());
    EXPECT_FALSE(freshView.commandsWithProject);
    ASSERT_FALSE(ui.messages.empty());
    const auto& m = ui.messages.back();
    EXPECT_EQ(m.icon, UserInterface::Icon::Error);
    EXPECT_NE(m.text.find(good), std::string::npos);
    EXPECT_NE(m.text.find("end of file"), std::string::npos);

    // Later automatic saves have nothing to write over the broken file.
    EXPECT_TRUE(shown(fresh.save(), ui));
    shown(fresh.exit(), ui);
    EXPECT_EQ(test::readFile(good), truncated);
}

TEST_F(ProjectFlows, OpenSavesTheCurrentProjectFirstAndCancelKeepsIt) {
    const std::string file = newProject("demo.winproj");
    editor.project().playlists[0].addTail(CSound::silence(20));
    EXPECT_FALSE(editor.openProject(ui));  // cancelled
    EXPECT_TRUE(editor.project().projectOpen);
    const ProjectFileContent saved = loadProjectFile(test::readFile(file), file);
    EXPECT_EQ(saved.playlists[0].count(), 1u);
}

TEST_F(ProjectFlows, SaveAsCopiesTheProjectFolder) {
    newProject("demo.winproj");
    const fs::path target = dir / "copies";
    fs::create_directory(target);
    ui.folders.push_back(target.string());
    EXPECT_TRUE(editor.saveAsProject(ui));
    EXPECT_TRUE(fs::exists(target / "demo.winproj" / "demo.winproj"));
    EXPECT_TRUE(fs::is_directory(target / "demo.winproj" / "demo.winproj.sound"));
    // The open project stays the one that was open.
    EXPECT_EQ(editor.project().projectFilePath, (dir / "demo.winproj" / "demo.winproj").string());
}

TEST_F(ProjectFlows, LargestProjectSurvivesSaveAndOpen) {
    const std::string file = newProject("big.winproj");
    Project big = test::largestProject(editor.project().soundFolder);
    big.projectOpen = true;
    big.projectFilePath = file;
    editor.project() = big;
    ASSERT_TRUE(shown(editor.save(), ui));
    ASSERT_TRUE(open(file));
    EXPECT_EQ(editor.project().library, big.library);
    for (std::size_t i = 0; i < big.playlists.size(); ++i) {
        ASSERT_EQ(editor.project().playlists[i].count(), big.playlists[i].count()) << i;
        std::size_t e = 0;
        for (CSound s : big.playlists[i]) {
            // Open rebases every entry, silences too: theirs point at the folder.
            if (s.kind == 0) s.filePath = editor.project().soundFolder + "/";
            ASSERT_EQ(editor.project().playlists[i].at(e), s) << "list " << i << " entry " << e;
            ++e;
        }
    }
    EXPECT_EQ(editor.project().flashSize.sizeIndex, 3);
}

TEST_F(ProjectFlows, ControlModeCommandMovesTheCheckAndCaption) {
    newProject("demo.winproj");
    editor.setControlMode(3);
    EXPECT_EQ(editor.project().options.controlMode, 3);
    EXPECT_EQ(view.checkedMode, 3);
    EXPECT_EQ(view.modeCaption, "3X8 Matrix Mode");
}

}  // namespace
}  // namespace zadaravod

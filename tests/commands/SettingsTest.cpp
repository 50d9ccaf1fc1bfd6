// The main window's acceptance of the settings dialogs and the hand-off launches.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <filesystem>

#include "commands/Handoff.h"
#include "commands/Settings.h"
#include "support/ScriptedUserInterface.h"
#include "support/TempDir.h"

namespace zadaravod {
namespace {

struct RecordingView : ProjectView {
    std::vector<bool> musicView;
    std::vector<int> checkedItems;
    std::vector<std::string> captions;
    void setBackgroundMusicViewEnabled(bool enabled) override { musicView.push_back(enabled); }
    void checkModeItem(int mode) override { checkedItems.push_back(mode); }
    void setModeCaption(const std::string& caption) override { captions.push_back(caption); }
};

struct RecordingLauncher : Launcher {
    struct Call {
        std::string program;
        std::vector<std::string> arguments;
    };
    std::vector<Call> calls;
    std::vector<std::string> urls;
    bool startDetached(const std::string& program,
                       const std::vector<std::string>& arguments) override {
        calls.push_back({program, arguments});
        return true;
    }
    bool openUrl(const std::string& url) override {
        urls.push_back(url);
        return true;
    }
};

class SettingsFlows : public ::testing::Test {
  protected:
    ScriptedUserInterface ui;
    RecordingView view;
    test::TempDir dir;
    ProjectFiles editor{ui, AppPaths::ofFolder(dir.str()), &view};

    COptions chosen(int mode, int music = 0) {
        COptions o = editor.project().options;
        o.controlMode = mode;
        o.backgroundMusic = music;
        return o;
    }
    void makeExecutable(const std::filesystem::path& p) {
        std::filesystem::create_directories(p.parent_path());
        test::writeFile(p, "#!/bin/sh\n");
        ::chmod(p.c_str(), 0755);
    }
};

TEST_F(SettingsFlows, KeyModeDisablesMusicViewAndChecksItsItem) {
    COptions c = chosen(kModeKey);
    c.audioOutput = 0;
    c.busyLevel = 0;
    c.pullUp = 1;
    c.externalMode = 1;
    c.binPath = "/elsewhere.bin";
    editor.project().options.binPath = "/kept.bin";
    EXPECT_TRUE(acceptOptionsDialog(editor, 1074, c));
    const COptions& o = editor.project().options;
    EXPECT_EQ(o.controlMode, kModeKey);
    EXPECT_EQ(o.audioOutput, 0);
    EXPECT_EQ(o.busyLevel, 0);
    EXPECT_EQ(o.pullUp, 1);
    EXPECT_EQ(o.externalMode, 0);  // not stored back
    EXPECT_EQ(o.binPath, "/kept.bin");
    EXPECT_EQ(view.musicView, std::vector<bool>{false});
    EXPECT_EQ(view.checkedItems, std::vector<int>{kModeKey});
    ASSERT_FALSE(view.captions.empty());
    EXPECT_EQ(view.captions.back(), "Key Mode");
}

TEST_F(SettingsFlows, ExtendedModeKeepsTheMenuMarks) {
    EXPECT_TRUE(acceptOptionsDialog(editor, 1074, chosen(kModeExtended)));
    EXPECT_EQ(editor.project().options.controlMode, kModeExtended);
    EXPECT_TRUE(view.checkedItems.empty());
    EXPECT_EQ(view.musicView, std::vector<bool>{false});
    EXPECT_EQ(view.captions.back(), "Extended Mode");
}

TEST_F(SettingsFlows, UnknownModeRunsNoCommandAndLeavesTheCaption) {
    EXPECT_TRUE(acceptOptionsDialog(editor, 2, chosen(9, 1)));
    EXPECT_EQ(editor.project().options.controlMode, 9);
    EXPECT_TRUE(view.checkedItems.empty());
    EXPECT_TRUE(view.captions.empty());
}

TEST_F(SettingsFlows, CloseBoxAcceptsCancelDoesNot) {
    EXPECT_TRUE(acceptOptionsDialog(editor, 2, chosen(kModeThreeLine, 1)));
    EXPECT_EQ(editor.project().options.backgroundMusic, 1);
    EXPECT_EQ(view.musicView, std::vector<bool>{true});
    EXPECT_EQ(view.checkedItems, std::vector<int>{kModeThreeLine});

    EXPECT_FALSE(acceptOptionsDialog(editor, 1075, chosen(kModeMatrix)));
    EXPECT_EQ(editor.project().options.controlMode, kModeThreeLine);
    EXPECT_EQ(view.musicView.size(), 1u);
}

TEST_F(SettingsFlows, KeyAndEquationAcceptance) {
    std::array<std::int32_t, kKeyCount> table{};
    table.fill(14);
    EXPECT_FALSE(acceptKeySetupDialog(editor, 1081, table));
    EXPECT_EQ(editor.project().keys.keyFunction[0], 1);
    EXPECT_TRUE(acceptKeySetupDialog(editor, 2, table));
    EXPECT_EQ(editor.project().keys.keyFunction, table);

    table.fill(7);
    EXPECT_FALSE(acceptEquationDialog(editor, 1083, table));
    EXPECT_EQ(editor.project().equation.listOfKey[3], 3);
    EXPECT_TRUE(acceptEquationDialog(editor, 1082, table));
    EXPECT_EQ(editor.project().equation.listOfKey, table);
}

TEST_F(SettingsFlows, DownloadPassesTheImagePathWithBlanksAsOneParameter) {
    makeExecutable(dir / "V31O_DivaD" / "V31O_DivaD_EN");
    editor.project().projectFilePath = "/home/u/my project.winproj/my project.winproj";
    RecordingLauncher launcher;
    EXPECT_TRUE(startDownloadUtility(editor.paths(), editor.project(), launcher, ui));
    ASSERT_EQ(launcher.calls.size(), 1u);
    EXPECT_EQ(launcher.calls[0].program, dir.str() + "/V31O_DivaD/V31O_DivaD_EN");
    EXPECT_EQ(launcher.calls[0].arguments,
              std::vector<std::string>{"/home/u/my project.winproj/my project.winproj.bin"});
    EXPECT_TRUE(ui.statusLines.empty());
}

TEST_F(SettingsFlows, DownloadWithoutProjectHasAnEmptyParameterString) {
    makeExecutable(dir / "V31O_DivaD" / "V31O_DivaD_EN");
    RecordingLauncher launcher;
    EXPECT_EQ(downloadCommand(editor.paths(), editor.project()).parameters, "");
    EXPECT_TRUE(startDownloadUtility(editor.paths(), editor.project(), launcher, ui));
    ASSERT_EQ(launcher.calls.size(), 1u);
    EXPECT_TRUE(launcher.calls[0].arguments.empty());
}

TEST_F(SettingsFlows, MissingDownloadUtilityLeavesAStatusLineAndNoMessage) {
    RecordingLauncher launcher;
    EXPECT_FALSE(startDownloadUtility(editor.paths(), editor.project(), launcher, ui));
    EXPECT_TRUE(launcher.calls.empty());
    ASSERT_EQ(ui.statusLines.size(), 1u);
    EXPECT_NE(ui.statusLines[0].find("V31O_DivaD_EN"), std::string::npos);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(SettingsFlows, CompanionStartsOnlyWhenPresentAndSilently) {
    RecordingLauncher launcher;
    EXPECT_FALSE(startCompanion(editor.paths(), launcher));
    EXPECT_TRUE(launcher.calls.empty());
    EXPECT_TRUE(ui.statusLines.empty());
    makeExecutable(dir / "RU_Zid_IR");
    EXPECT_TRUE(startCompanion(editor.paths(), launcher));
    ASSERT_EQ(launcher.calls.size(), 1u);
    EXPECT_TRUE(launcher.calls[0].arguments.empty());
}

TEST_F(SettingsFlows, ImageChooserStoresBinPathOnlyOnOk) {
    editor.project().options.binPath = "/old.bin";
    ui.openFiles.push_back(std::nullopt);
    EXPECT_FALSE(chooseImageFile(editor.project(), ui));
    EXPECT_EQ(editor.project().options.binPath, "/old.bin");
    ui.openFiles.push_back(std::string("/new image.bin"));
    EXPECT_TRUE(chooseImageFile(editor.project(), ui));
    EXPECT_EQ(editor.project().options.binPath, "/new image.bin");
    ASSERT_EQ(ui.fileRequests.size(), 2u);
    EXPECT_EQ(ui.fileRequests[1].filter, "BIN Files(*.bin)|*.bin||");
    EXPECT_EQ(ui.fileRequests[1].defaultExtension, "");
}

}  // namespace
}  // namespace zadaravod

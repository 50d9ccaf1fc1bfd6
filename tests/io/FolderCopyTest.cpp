// The recursive folder copy of Save As and of the file-operation utility.
#include <gtest/gtest.h>

#include <filesystem>
#include <utility>
#include <vector>

#include "io/FolderCopy.h"
#include "support/TempDir.h"

namespace zadaravod::test {
namespace {

namespace fs = std::filesystem;

class FolderCopy : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::create_directories(dir / "p.winproj" / "p.winproj.sound");
        writeFile(dir / "p.winproj" / "p.winproj", "project");
        writeFile(dir / "p.winproj" / "p.winproj.sound" / "a.wav", "new sound");
        fs::create_directory(dir / "target");
    }
    std::string source() const { return (dir / "p.winproj").string(); }
    std::string target() const { return (dir / "target").string(); }
    TempDir dir;
};

TEST_F(FolderCopy, CopiesTheWholeTreeWithProgress) {
    std::vector<std::pair<int, int>> steps;
    FolderCopyHooks hooks;
    hooks.progress = [&](int done, int total) {
        steps.emplace_back(done, total);
        return true;
    };
    EXPECT_EQ(copyFolderTree(source(), target(), hooks), "");
    EXPECT_EQ(readFile(dir / "target" / "p.winproj" / "p.winproj"), "project");
    EXPECT_EQ(readFile(dir / "target" / "p.winproj" / "p.winproj.sound" / "a.wav"), "new sound");
    ASSERT_FALSE(steps.empty());
    EXPECT_EQ(steps.front(), std::make_pair(0, 2));
    EXPECT_EQ(steps.back(), std::make_pair(2, 2));
}

TEST_F(FolderCopy, AsksBeforeOverwritingAndHonoursTheAnswer) {
    fs::create_directories(dir / "target" / "p.winproj" / "p.winproj.sound");
    writeFile(dir / "target" / "p.winproj" / "p.winproj", "old project");
    writeFile(dir / "target" / "p.winproj" / "p.winproj.sound" / "a.wav", "old sound");
    std::vector<std::string> asked;
    FolderCopyHooks hooks;
    hooks.askOverwrite = [&](const std::string& t) {
        asked.push_back(t);
        return OverwriteAnswer::No;
    };
    EXPECT_EQ(copyFolderTree(source(), target(), hooks), "");
    EXPECT_EQ(asked.size(), 2u);
    EXPECT_EQ(readFile(dir / "target" / "p.winproj" / "p.winproj"), "old project");

    asked.clear();
    hooks.askOverwrite = [&](const std::string& t) {
        asked.push_back(t);
        return OverwriteAnswer::YesToAll;
    };
    EXPECT_EQ(copyFolderTree(source(), target(), hooks), "");
    EXPECT_EQ(asked.size(), 1u);  // once, then all
    EXPECT_EQ(readFile(dir / "target" / "p.winproj" / "p.winproj"), "project");
    EXPECT_EQ(readFile(dir / "target" / "p.winproj" / "p.winproj.sound" / "a.wav"), "new sound");
}

TEST_F(FolderCopy, CancelStopsAndNothingIsHalfWritten) {
    fs::create_directories(dir / "target" / "p.winproj");
    writeFile(dir / "target" / "p.winproj" / "p.winproj", "old project");
    FolderCopyHooks hooks;
    hooks.askOverwrite = [](const std::string&) { return OverwriteAnswer::Cancel; };
    EXPECT_EQ(copyFolderTree(source(), target(), hooks), "stopped");
    EXPECT_EQ(readFile(dir / "target" / "p.winproj" / "p.winproj"), "old project");
    for (const auto& e : fs::recursive_directory_iterator(dir / "target")) {
        EXPECT_EQ(e.path().filename().string().find(".tmp"), std::string::npos) << e.path();
    }
}

TEST_F(FolderCopy, RefusesACopyIntoItselfAndAMissingSource) {
    FolderCopyHooks hooks;
    EXPECT_NE(copyFolderTree(source(), source(), hooks), "");
    EXPECT_NE(copyFolderTree(source(), (dir / "p.winproj" / "p.winproj.sound").string(), hooks),
              "");
    EXPECT_NE(copyFolderTree((dir / "missing").string(), target(), hooks), "");
    EXPECT_FALSE(fs::exists(dir / "p.winproj" / "p.winproj.sound" / "p.winproj"));
}

TEST(FolderCopyTarget, NamesTheCopyOrSaysWhyThereIsNone) {
    TempDir dir;
    fs::create_directories(dir / "p.winproj" / "p.winproj.sound");
    fs::create_directory(dir / "t");
    const auto target = folderCopyTarget((dir / "p.winproj").string() + "/", (dir / "t").string());
    EXPECT_EQ(target.error, "");
    EXPECT_EQ(target.path, (fs::canonical(dir.path()) / "t" / "p.winproj").string());
    EXPECT_NE(folderCopyTarget((dir / "p.winproj").string(),
                               (dir / "p.winproj" / "p.winproj.sound").string())
                  .error,
              "");
    EXPECT_NE(folderCopyTarget((dir / "missing").string(), (dir / "t").string()).error, "");
    EXPECT_NE(folderCopyTarget((dir / "p.winproj").string(), (dir / "missing").string()).error, "");
}

TEST_F(FolderCopy, LinksStayBehindSoNothingOutsideIsRead) {
    writeFile(dir / "secret.txt", "outside the project");
    fs::create_symlink(dir / "secret.txt", dir / "p.winproj" / "p.winproj.sound" / "b.wav");
    fs::create_directory_symlink(dir.path(), dir / "p.winproj" / "loop");
    EXPECT_EQ(copyFolderTree(source(), target(), {}), "");
    EXPECT_TRUE(fs::exists(dir / "target" / "p.winproj" / "p.winproj.sound" / "a.wav"));
    EXPECT_FALSE(
        fs::exists(fs::symlink_status(dir / "target" / "p.winproj" / "p.winproj.sound" / "b.wav")));
    EXPECT_FALSE(fs::exists(fs::symlink_status(dir / "target" / "p.winproj" / "loop")));
}

}  // namespace
}  // namespace zadaravod::test

// An import of many files tells its progress and stops when asked.
#include <gtest/gtest.h>

#include "commands/Library.h"
#include "support/AudioFixtures.h"
#include "support/ScriptedUserInterface.h"

namespace zadaravod {
namespace {
namespace fs = std::filesystem;

TEST(ImportProgress, EachFileIsToldAndAStopKeepsWhatWasAdded) {
    test::TempDir dir;
    Project project = test::openProjectIn(dir);
    fs::create_directory(dir / "src");
    std::vector<std::string> files;
    for (int i = 0; i < 5; ++i) {
        files.push_back((dir / "src" / ("s" + std::to_string(i) + ".wav")).string());
        test::writePcmWav(files.back(), 8000, 1, 16, 0.1);
    }
    ScriptedUserInterface ui;
    ui.onProgress = [](int done, int) { return done < 3; };
    const Result<ImportReport> stopped = importSounds(project, ui, files);
    ASSERT_FALSE(stopped.ok());
    EXPECT_EQ(stopped.error().text,
              "The import was stopped after 3 of 5 files; the sounds added so far stay in the "
              "library.");
    EXPECT_EQ(project.library.count(), 3u);
    EXPECT_EQ(ui.statusLines,
              (std::vector<std::string>{"Importing sound 1 of 5", "Importing sound 2 of 5",
                                        "Importing sound 3 of 5"}));
    EXPECT_EQ(ui.progressSteps.back(), std::make_pair(3, 5));

    // The rest, unstopped: the last step is the whole.
    ScriptedUserInterface rest;
    const Result<ImportReport> done =
        importSounds(project, rest, std::vector<std::string>(files.begin() + 3, files.end()));
    ASSERT_TRUE(done.ok());
    EXPECT_EQ(done.value().added, 2);
    EXPECT_EQ(rest.progressSteps, (std::vector<std::pair<int, int>>{{0, 2}, {1, 2}, {2, 2}}));

    // One file is no long job: nothing is told.
    ScriptedUserInterface one;
    const std::string single = (dir / "src" / "single.wav").string();
    test::writePcmWav(single, 8000, 1, 16, 0.1);
    ASSERT_TRUE(importSounds(project, one, {single}).ok());
    EXPECT_TRUE(one.progressSteps.empty());
    EXPECT_TRUE(one.statusLines.empty());
}

}  // namespace
}  // namespace zadaravod

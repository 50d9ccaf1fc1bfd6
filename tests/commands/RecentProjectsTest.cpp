// The recent projects list and opening from it.
#include <gtest/gtest.h>

#include <filesystem>

#include "commands/RecentProjects.h"
#include "support/ScriptedUserInterface.h"
#include "support/TempDir.h"

namespace zadaravod {
namespace {
namespace fs = std::filesystem;

TEST(RecentProjects, NewestFirstWithoutRepeatsAndAtMostEight) {
    RecentProjects recent({"/a", "", "/b", "/a", "/c"});
    EXPECT_EQ(recent.entries(), (std::vector<std::string>{"/a", "/b", "/c"}));
    recent.add("/c");
    EXPECT_EQ(recent.entries(), (std::vector<std::string>{"/c", "/a", "/b"}));
    for (int i = 0; i < 10; ++i) recent.add("/p" + std::to_string(i));
    ASSERT_EQ(recent.entries().size(), RecentProjects::kCapacity);
    EXPECT_EQ(recent.entries().front(), "/p9");
    EXPECT_EQ(recent.entries().back(), "/p2");
    EXPECT_TRUE(recent.remove("/p5"));
    EXPECT_FALSE(recent.remove("/p5"));
    EXPECT_EQ(RecentProjects(std::vector<std::string>(20, "/x")).entries().size(), 1U);
}

TEST(RecentProjects, AMissingProjectIsTakenOffTheListWithAMessage) {
    test::TempDir dir;
    ScriptedUserInterface ui;
    ProjectFiles files(ui, AppPaths::ofFolder("/app"));
    ASSERT_TRUE(files.newAt(dir.str() + "/one.winproj").ok());
    const std::string one = files.project().projectFilePath;
    ASSERT_TRUE(files.newAt(dir.str() + "/two.winproj").ok());
    const std::string two = files.project().projectFilePath;

    RecentProjects recent({two, one, dir.str() + "/gone.winproj/gone.winproj"});
    ASSERT_TRUE(openRecentProject(files, recent, one).ok());
    EXPECT_EQ(files.project().projectFilePath, one);
    EXPECT_EQ(recent.entries().front(), one);

    const Done gone = openRecentProject(files, recent, dir.str() + "/gone.winproj/gone.winproj");
    ASSERT_FALSE(gone.ok());
    EXPECT_NE(gone.error().text.find("no longer there"), std::string::npos);
    EXPECT_EQ(recent.entries(), (std::vector<std::string>{one, two}));
    EXPECT_EQ(files.project().projectFilePath, one) << "the open project stays open";
}

}  // namespace
}  // namespace zadaravod

// The download utility's arguments: the window or one job, the files each
// job takes, and the mistakes that are usage errors.
#include <gtest/gtest.h>

#include "downloader/CommandLine.h"

namespace zadaravod::download {
namespace {

TEST(DownloaderArguments, TheWindowJoinsASplitPath) {
    const auto a = parseDownloaderArguments({"/home/u/my", "project.winproj.bin"});
    EXPECT_TRUE(a.error.empty()) << a.error;
    EXPECT_TRUE(a.window);
    EXPECT_EQ(a.request.imagePath, "/home/u/my project.winproj.bin");
    EXPECT_EQ(a.request.programmer, "ch341a_spi");
    EXPECT_TRUE(parseDownloaderArguments({}).window);
    EXPECT_EQ(parseDownloaderArguments({"--", "-odd.bin"}).request.imagePath, "-odd.bin");
}

TEST(DownloaderArguments, EachJobTakesItsFiles) {
    auto a = parseDownloaderArguments(
        {"--write", "--programmer", "dummy:emulate=X", "-c", "C", "--backup", "old.bin", "i.bin"});
    ASSERT_TRUE(a.error.empty()) << a.error;
    EXPECT_FALSE(a.window);
    EXPECT_EQ(a.request.action, Action::Write);
    EXPECT_EQ(a.request.programmer, "dummy:emulate=X");
    EXPECT_EQ(a.request.chip, "C");
    EXPECT_EQ(a.request.imagePath, "i.bin");
    EXPECT_EQ(a.request.backupPath, "old.bin");

    a = parseDownloaderArguments({"--detect", "-p", "serprog:dev=/dev/ttyUSB0", "-v"});
    ASSERT_TRUE(a.error.empty()) << a.error;
    EXPECT_EQ(a.request.action, Action::Detect);
    EXPECT_EQ(a.request.programmer, "serprog:dev=/dev/ttyUSB0");
    EXPECT_TRUE(a.verbose);

    a = parseDownloaderArguments({"--read=chip copy.bin"});
    ASSERT_TRUE(a.error.empty()) << a.error;
    EXPECT_EQ(a.request.action, Action::Read);
    EXPECT_EQ(a.request.readPath, "chip copy.bin");

    a = parseDownloaderArguments({"--verify", "demo.winproj.bin", "--flashrom", "/opt/flashrom"});
    ASSERT_TRUE(a.error.empty()) << a.error;
    EXPECT_EQ(a.request.action, Action::Verify);
    EXPECT_EQ(a.request.imagePath, "demo.winproj.bin");
    EXPECT_EQ(a.request.flashrom, "/opt/flashrom");
}

TEST(DownloaderArguments, UsageErrors) {
    for (const std::vector<std::string>& wrong : {std::vector<std::string>{"--write"},
                                                  {"--write", "i.bin", "--programmer"},
                                                  {"--write", "--programmer", "", "i.bin"},
                                                  {"--bogus", "i.bin"},
                                                  {"--detect", "--write", "i.bin"},
                                                  {"--detect", "i.bin"},
                                                  {"--read"},
                                                  {"--verify", "a.bin", "b.bin"},
                                                  {"--backup", "old.bin", "i.bin"},
                                                  {"--read", "x.bin", "--backup", "old.bin"}}) {
        std::string line;
        for (const auto& w : wrong) line += w + " ";
        EXPECT_FALSE(parseDownloaderArguments(wrong).error.empty()) << line;
    }
    // Help and version win over a missing file.
    EXPECT_TRUE(parseDownloaderArguments({"--write", "--help"}).help);
    EXPECT_TRUE(parseDownloaderArguments({"--version"}).version);
    EXPECT_TRUE(parseDownloaderArguments({"--help-all"}).help);
}

TEST(DownloaderArguments, WhatRunsWithoutAWindow) {
    for (const char* a : {"--write", "-w", "--detect", "--read", "--read=x.bin", "--verify",
                          "--verify=i.bin", "--help", "--help-all", "-h", "-?", "--version"}) {
        EXPECT_TRUE(namesAJobOrHelp(a)) << a;
    }
    for (const char* a : {"image.bin", "--programmer", "--backup", "--writer", "-p"}) {
        EXPECT_FALSE(namesAJobOrHelp(a)) << a;
    }
}

}  // namespace
}  // namespace zadaravod::download

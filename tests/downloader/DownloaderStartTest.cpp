// How the download utility starts: it finds flashrom where Debian puts it
// (/usr/sbin, not on an ordinary user's PATH), without a display its window
// gives way to how to use it and exit status 2, not an abort, and its jobs,
// help and version need no display.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

#include "downloader/CommandLine.h"
#include "downloader/Flashrom.h"
#include "support/TempDir.h"

namespace zadaravod::download {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

/// A PATH as an ordinary user's login shell sets it: no sbin folder.
constexpr const char* kUserPath = "/usr/local/bin:/usr/bin:/bin";

void makeExecutable(const fs::path& path) {
    fs::create_directories(path.parent_path());
    test::writeFile(path, "#!/bin/sh\nexit 0\n");
    ::chmod(path.c_str(), 0755);
}

TEST(FindProgram, LooksInTheSystemFoldersAfterThePath) {
    TempDir dir;
    makeExecutable(dir / "bin" / "tool");
    makeExecutable(dir / "sbin" / "tool");
    test::writeFile(dir / "plain" / ".keep", "");
    test::writeFile(dir / "plain" / "tool", "not executable");
    const std::vector<std::string> system = {(dir / "plain").string(), (dir / "sbin").string()};

    // Not on the PATH: the system folders are searched in order, and a file
    // that cannot be run does not count.
    EXPECT_EQ(findProgram("tool", (dir / "none").string(), system),
              (dir / "sbin" / "tool").string());
    // On the PATH: the PATH wins.
    EXPECT_EQ(findProgram("tool", (dir / "bin").string(), system), (dir / "bin" / "tool").string());
    EXPECT_EQ(findProgram("tool", (dir / "none").string(), {}), "");
    EXPECT_EQ(findProgram("missing", (dir / "bin").string(), system), "");

    const auto folders = systemProgramFolders();
    for (const char* expected : {"/usr/sbin", "/sbin"}) {
        EXPECT_NE(std::find(folders.begin(), folders.end(), expected), folders.end()) << expected;
    }
}

bool flashromInSbin() { return fs::exists("/usr/sbin/flashrom") || fs::exists("/sbin/flashrom"); }

TEST(FindProgram, FindsDebiansFlashromWithAUsersPath) {
    if (!flashromInSbin()) GTEST_SKIP() << "flashrom is not installed in /usr/sbin or /sbin";
    const std::string found = findProgram("flashrom", kUserPath, systemProgramFolders());
    ASSERT_FALSE(found.empty());
    EXPECT_TRUE(found.find("/sbin/flashrom") != std::string::npos) << found;
}

/// Runs the utility through env(1): `unset` names the variables it must
/// not see, `set` those it gets ("NAME=value").
ProcessResult runUtility(const std::vector<std::string>& unset, const std::vector<std::string>& set,
                         const std::vector<std::string>& arguments) {
    std::vector<std::string> args;
    for (const std::string& name : unset) {
        args.push_back("-u");
        args.push_back(name);
    }
    args.insert(args.end(), set.begin(), set.end());
    args.push_back(test::appDir() + "V31O_DivaD/V31O_DivaD_EN");
    args.insert(args.end(), arguments.begin(), arguments.end());
    SystemProcessRunner runner;
    return runner.run("/usr/bin/env", args, {});
}

const std::vector<std::string> kNoDisplay = {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"};

TEST(UtilityStart, WithoutADisplayTheWindowSaysHowToUseItAndExits2) {
    TempDir dir;
    test::writeFile(dir / "image.bin", "abc");
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{(dir / "image.bin").string()}, std::vector<std::string>{}}) {
        const auto run = runUtility(kNoDisplay, {}, arguments);
        ASSERT_TRUE(run.started) << run.startError;
        EXPECT_EQ(run.exitCode, kExitUsage) << run.output;  // -1 after an abort
        EXPECT_NE(run.output.find("no display is available"), std::string::npos) << run.output;
        for (const char* use : {"--write", "--detect", "--read", "--verify", "--help"}) {
            EXPECT_NE(run.output.find(use), std::string::npos) << use;  // what to do instead
        }
    }
}

TEST(UtilityStart, HelpAndVersionNeedNoDisplay) {
    const auto help = runUtility(kNoDisplay, {}, {"--help"});
    EXPECT_EQ(help.exitCode, kExitDone) << help.output;
    for (const char* option :
         {"Usage:", "--write", "--backup <file>", "--detect", "--read <file>", "--verify <image>",
          "--programmer <P>", "--chip <C>", "--version", "Exit status"}) {
        EXPECT_NE(help.output.find(option), std::string::npos) << option << "\n" << help.output;
    }
    const auto version = runUtility(kNoDisplay, {}, {"--version"});
    EXPECT_EQ(version.exitCode, kExitDone);
    EXPECT_EQ(version.output, "V31O_DivaD_EN " ZADARAVOD_VERSION "\n");

    const auto bad = runUtility(kNoDisplay, {}, {"--detect", "--bogus"});
    EXPECT_EQ(bad.exitCode, kExitUsage);
    EXPECT_NE(bad.output.find("bogus"), std::string::npos) << bad.output;
    EXPECT_NE(bad.output.find("Usage:"), std::string::npos);
}

TEST(UtilityStart, ADisplayThatCannotBeReachedGivesTheSameMessage) {
    if (fs::exists("/tmp/.X11-unix/X4242")) GTEST_SKIP() << "an X server runs on :4242";
    TempDir dir;
    test::writeFile(dir / "image.bin", "abc");
    const auto run = runUtility({"WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}, {"DISPLAY=:4242"},
                                {(dir / "image.bin").string()});
    ASSERT_TRUE(run.started) << run.startError;
    EXPECT_EQ(run.exitCode, kExitUsage) << run.output;
    EXPECT_NE(run.output.find("no display is available"), std::string::npos) << run.output;
}

TEST(UtilityStart, WritingNeedsNoDisplayAndFindsFlashromOutsideTheUsersPath) {
    if (!flashromInSbin()) GTEST_SKIP() << "flashrom is not installed in /usr/sbin or /sbin";
    TempDir dir;
    const std::string image(50000, '\x5A');
    test::writeFile(dir / "image.bin", image);
    const std::string chip = (dir / "chip.bin").string();
    const auto run =
        runUtility(kNoDisplay, {std::string("PATH=") + kUserPath},
                   {"--write", "--programmer", "dummy:emulate=SST25VF032B,image=" + chip,
                    (dir / "image.bin").string()});
    ASSERT_TRUE(run.started) << run.startError;
    EXPECT_EQ(run.exitCode, kExitDone) << run.output;
    EXPECT_EQ(test::readFile(chip).substr(0, image.size()), image);
}

}  // namespace
}  // namespace zadaravod::download

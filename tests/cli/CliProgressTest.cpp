// The command line's progress: a line redrawn on standard error when that is
// a terminal (a pseudo-terminal here), nothing in a pipe; Ctrl+C stops a
// build cleanly.
#include <gtest/gtest.h>

#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <random>

#include "format/WavFile.h"
#include "model/ProjectFile.h"
#include "support/Cli.h"
#include "support/ImageFixtures.h"

namespace zadaravod {
namespace {
namespace fs = std::filesystem;

/// A saved project of `sounds` sounds of noise, `samples` each (noise of its
/// own seed, so that no cache holds their elements).
Project noiseProject(const test::TempDir& dir, int sounds, std::size_t samples) {
    Project p = test::makeProject(dir, sounds, 10);
    std::mt19937 rng(std::random_device{}());
    std::vector<std::int16_t> x(samples);
    for (const CSound& s : p.library) {
        for (auto& v : x) v = static_cast<std::int16_t>(static_cast<int>(rng() % 20001) - 10000);
        writeWav16(s.filePath, x, 8000, 1);
    }
    EXPECT_EQ(saveProjectFiles(p), "");
    return p;
}

/// zadaravod-cli on a pseudo-terminal: everything it writes, its exit status
/// (-1 when it did not exit), and `onOutput` called with the output so far
/// after each read, with the child's process id.
struct TerminalRun {
    std::string output;
    int status = -1;
};
template <typename OnOutput>
TerminalRun runOnTerminal(const std::vector<std::string>& arguments, const fs::path& cacheHome,
                          OnOutput onOutput) {
    TerminalRun run;
    int master = -1;
    const pid_t child = ::forkpty(&master, nullptr, nullptr, nullptr);
    if (child < 0) return run;
    if (child == 0) {
        ::setenv("XDG_CACHE_HOME", cacheHome.c_str(), 1);
        const std::string program = test::appDir() + "zadaravod-cli";
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(master, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;  // EIO once the child has closed the terminal
        run.output.append(buffer, static_cast<std::size_t>(n));
        onOutput(run.output, child);
    }
    ::close(master);
    int raw = 0;
    ::waitpid(child, &raw, 0);
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return run;
}

TEST(CliProgress, ATerminalSeesOneLineRedrawnAPipeNothing) {
    test::TempDir dir;
    Project p = noiseProject(dir, 6, 8000);
    const TerminalRun terminal = runOnTerminal({"build", p.projectFilePath}, dir / "cache",
                                               [](const std::string&, pid_t) {});
    ASSERT_EQ(terminal.status, 0) << terminal.output;
    EXPECT_NE(terminal.output.find("Converting sound "), std::string::npos) << terminal.output;
    EXPECT_NE(terminal.output.find(" of 6 ("), std::string::npos) << terminal.output;
    EXPECT_NE(terminal.output.find("\r\033[K"), std::string::npos);
    // The line is taken away before the result is printed.
    const std::size_t lastClear = terminal.output.rfind("\r\033[K");
    EXPECT_NE(terminal.output.find(p.imagePath(), lastClear), std::string::npos) << terminal.output;

    fs::remove(p.imagePath());
    const test::CliRun piped = test::runCli("build " + test::quoted(p.projectFilePath));
    ASSERT_EQ(piped.status, 0) << piped.output;
    EXPECT_EQ(piped.output.find("Converting"), std::string::npos) << piped.output;
    EXPECT_EQ(piped.output.find('\r'), std::string::npos);
    EXPECT_TRUE(fs::exists(p.imagePath()));
}

TEST(CliProgress, CtrlCStopsABuildAndLeavesNoImage) {
    test::TempDir dir;
    Project p = noiseProject(dir, 60, 60000);  // a few seconds of work in all
    bool interrupted = false;
    const TerminalRun run = runOnTerminal(
        {"build", p.projectFilePath}, dir / "cache", [&](const std::string& output, pid_t child) {
            if (!interrupted && output.find("Converting sound ") != std::string::npos) {
                ::kill(child, SIGINT);
                interrupted = true;
            }
        });
    ASSERT_TRUE(interrupted) << run.output;
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_NE(run.output.find("The build was stopped."), std::string::npos) << run.output;
    EXPECT_FALSE(fs::exists(p.imagePath()));
    for (const auto& e : fs::directory_iterator(fs::path(p.projectFilePath).parent_path()))
        EXPECT_EQ(e.path().filename().string().find(".tmp"), std::string::npos) << e.path();
}

}  // namespace
}  // namespace zadaravod

// Times `zadaravod-cli info` on the largest project (510 sounds, 220
// playlists of 85 entries) against `cat` of its project file, both started
// as new processes with their output thrown away, and prints the medians and
// their ratio. The ratio is the start-up cost of the command-line tool: the
// libraries it loads before it can read a project. Target: at most 4 x cat.
// Usage: bench_cli_startup [runs [path of zadaravod-cli]]
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "model/ProjectFile.h"
#include "support/ProjectFixtures.h"

extern char** environ;

using namespace zadaravod;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

/// Runs `argv` with standard output and error on /dev/null; the seconds it
/// took from spawn to exit, or a negative value when it failed.
double run(const std::vector<std::string>& argv) {
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const auto t0 = Clock::now();
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return -1;
    int status = 0;
    ::waitpid(pid, &status, 0);
    const auto t1 = Clock::now();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
    return std::chrono::duration<double>(t1 - t0).count();
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(3, std::atoi(argv[1])) : 40;
    const std::string cli =
        argc > 2 ? std::string(argv[2]) : std::string(ZADARAVOD_APP_DIR) + "/zadaravod-cli";
    const fs::path dir =
        fs::temp_directory_path() / ("zadaravod-cli-bench-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    Project big = test::largestProject();
    big.projectOpen = true;
    big.projectFilePath = (dir / "big.winproj").string();
    big.soundFolder = big.projectFilePath + ".sound";
    big.rebaseLists();
    fs::create_directories(big.soundFolder);
    if (const std::string error = saveProjectFiles(big); !error.empty()) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    const std::string file = big.projectFilePath;
    std::vector<double> cat, info;
    for (int i = 0; i < runs; ++i) {  // interleaved, so both see the same machine
        const double c = run({"/bin/cat", file});
        const double n = run({cli, "info", file});
        if (c < 0 || n < 0) {
            std::fprintf(stderr, "cat or %s info failed\n", cli.c_str());
            return 1;
        }
        cat.push_back(c);
        info.push_back(n);
    }
    std::printf("largest project file: %ju bytes (%s)\n",
                static_cast<std::uintmax_t>(fs::file_size(file)), cli.c_str());
    std::printf("cat:                 median %.2f ms (anchor)\n", 1e3 * median(cat));
    std::printf("zadaravod-cli info:  median %.2f ms = %.1f x cat (target: at most 4 x)\n",
                1e3 * median(info), median(info) / median(cat));
    fs::remove_all(dir);
    return 0;
}

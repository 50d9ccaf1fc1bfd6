// Saves and loads the largest project (510 sounds, 220 playlists of 85
// entries) through the editor's Save and Open, and prints the times.
// Target: under 20 ms each on a 2-core machine.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "model/ProjectFile.h"
#include "support/ProjectFixtures.h"

using namespace zadaravod;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

int main() {
    const fs::path dir = fs::temp_directory_path() / "zadaravod-bench-project";
    fs::remove_all(dir);
    fs::create_directories(dir);
    Project big = test::largestProject();
    big.projectOpen = true;
    big.projectFilePath = (dir / "big.winproj").string();
    big.soundFolder = big.projectFilePath + ".sound";
    big.rebaseLists();
    const std::string file = big.projectFilePath;

    const int rounds = 20;
    std::vector<double> saves, loads;
    for (int i = 0; i < rounds; ++i) {
        auto t0 = Clock::now();
        if (!saveProjectFiles(big).empty()) return 1;
        auto t1 = Clock::now();
        LoadedProject loaded;
        std::string error;
        if (!readProject(file, loaded, error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return 1;
        }
        auto t2 = Clock::now();
        saves.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
        loads.push_back(std::chrono::duration<double, std::milli>(t2 - t1).count());
    }
    std::sort(saves.begin(), saves.end());
    std::sort(loads.begin(), loads.end());
    std::printf("largest project: %ju bytes, 510 sounds, 220 x 85 entries\n",
                static_cast<std::uintmax_t>(fs::file_size(file)));
    std::printf("save: median %.2f ms, best %.2f ms (target < 20 ms)\n", saves[rounds / 2],
                saves[0]);
    std::printf("open: median %.2f ms, best %.2f ms (target < 20 ms)\n", loads[rounds / 2],
                loads[0]);
    fs::remove_all(dir);
    return 0;
}

// Saves and loads the largest project (510 sounds, 220 playlists of 85
// entries) through the editor's Save and Open, and prints the times.
// Target: under 20 ms each on a 2-core machine.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "app/Editor.h"
#include "model/ProjectFixtures.h"
#include "model/ScriptedUserInterface.h"

using namespace zadaravod;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

int main() {
    const fs::path dir = fs::temp_directory_path() / "zadaravod-bench-project";
    fs::remove_all(dir);
    fs::create_directories(dir);
    ScriptedUserInterface ui;
    Editor editor(ui, AppPaths::ofFolder(dir.string()));
    ui.saveFiles.push_back((dir / "big.winproj").string());
    if (!editor.newProject()) return 1;
    const std::string file = editor.project().projectFilePath;
    Project big = test::largestProject(editor.project().soundFolder);
    big.projectOpen = true;
    big.projectFilePath = file;
    big.soundFolder = editor.project().soundFolder;
    editor.project() = big;

    const int rounds = 20;
    std::vector<double> saves, loads;
    for (int i = 0; i < rounds; ++i) {
        auto t0 = Clock::now();
        if (!editor.saveProject()) return 1;
        auto t1 = Clock::now();
        Editor reader(ui, AppPaths::ofFolder(dir.string()));
        ui.openFiles.push_back(file);
        if (!reader.openProject()) return 1;
        auto t2 = Clock::now();
        saves.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
        loads.push_back(std::chrono::duration<double, std::milli>(t2 - t1).count());
    }
    std::sort(saves.begin(), saves.end());
    std::sort(loads.begin(), loads.end());
    std::printf("largest project: %ju bytes, 510 sounds, 220 x 85 entries\n",
                static_cast<std::uintmax_t>(fs::file_size(file)));
    std::printf("save: median %.2f ms, best %.2f ms (target < 20 ms)\n", saves[rounds / 2], saves[0]);
    std::printf("open: median %.2f ms, best %.2f ms (target < 20 ms)\n", loads[rounds / 2], loads[0]);
    fs::remove_all(dir);
    return 0;
}

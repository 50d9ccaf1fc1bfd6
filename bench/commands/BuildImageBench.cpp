// Builds a full project -- 510 sounds at 8000 Hz filling a 4 MiB image --
// and prints the build time (project save, 510 conversions through the
// plugin, image write). Usage: bench_build_image [repetitions]

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include <unistd.h>

#include "commands/Build.h"
#include "format/ElementCodec.h"
#include "format/WavFile.h"

using namespace zadaravod;
namespace fs = std::filesystem;

/// The build's reports are not shown while it is timed.
struct Quiet : Messenger {
    void message(const std::string&, const std::string&, Icon) override {}
};

int main(int argc, char** argv) {
    const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const fs::path dir =
        fs::temp_directory_path() / ("zadaravod-build-bench-" + std::to_string(::getpid()));
    const fs::path folder = dir / "full.winproj";
    fs::create_directories(folder / "full.winproj.sound");

    // 190 blocks a sound: 510 x 8006 bytes + the fixed part = 4181348 bytes.
    const std::size_t samples = 190 * element::kSamplesPerBlock;
    Project p;
    p.projectOpen = true;
    p.projectFilePath = (folder / "full.winproj").string();
    p.soundFolder = (folder / "full.winproj.sound").string();
    std::mt19937 rng(1);
    std::normal_distribution<double> noise(0, 1500);
    for (int i = 0; i < kLibraryCapacity; ++i) {
        CSound s;
        s.kind = 1;
        s.name = "sound" + std::to_string(i + 1) + ".wav";
        s.filePath = soundPath(p.soundFolder, s.name);
        s.sampleRate = 8000;
        std::vector<std::int16_t> x(samples);
        for (std::size_t n = 0; n < samples; ++n)
            x[n] = static_cast<std::int16_t>(
                std::clamp(9000 * std::sin(2 * M_PI * (150 + 7 * i) * n / 8000.0) + noise(rng),
                           -32768.0, 32767.0));
        writeWav16(s.filePath, x, 8000, 1);
        p.library.addTail(s);
        if (i < kPlaylistCount) p.playlists[static_cast<std::size_t>(i)].addTail(s);
    }
    const AppPaths paths = AppPaths::ofFolder(ZADARAVOD_APP_DIR);
    for (unsigned threads : {1u, 0u}) {
        double best = 1e9;
        std::uintmax_t size = 0;
        for (int r = 0; r < repetitions; ++r) {
            Quiet quiet;
            const auto t0 = std::chrono::steady_clock::now();
            BuildOptions options;
            options.threads = threads;
            options.useCache = false;
            const auto built = buildImage(p, paths, quiet, options);
            const auto t1 = std::chrono::steady_clock::now();
            if (!built) {
                std::fprintf(stderr, "%s\n", built.error().text.c_str());
                return 1;
            }
            best = std::min(best, std::chrono::duration<double>(t1 - t0).count());
            size = fs::file_size(p.imagePath());
        }
        std::printf(
            "build of 510 sounds (%zu samples each), image %ju bytes, %s: %.3f s (best of %d)\n",
            samples, size, threads == 1 ? "1 thread" : "all processors", best, repetitions);
    }
    std::printf("working folder: %s (set TMPDIR to measure another file system)\n",
                dir.string().c_str());
    std::printf(
        "target: a few seconds at most on one core (the sound element encoder is the hot "
        "loop)\n");
    std::error_code ec;
    fs::remove_all(dir, ec);
    return 0;
}

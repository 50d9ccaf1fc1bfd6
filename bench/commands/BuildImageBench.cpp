// Builds a full project -- 510 sounds at 8000 Hz filling a 4 MiB image --
// and prints its build times against the I/O floor measured in the same run:
// reading every WAV of the project and writing an image of the same size
// with the same atomic write (and fsync) the build uses. Timed: a build with
// an empty element cache (every sound converted, on all processors), a build
// with the cache warm (nothing converted, and the WAVs' digests remembered
// from the cold build), and a cold build on one thread.
// Targets: cold at most 3 x the floor, warm at most 2 x.
//
// Usage: bench_build_image [repetitions [folder...]]
// The folders are where the project is made (one run each); by default the
// system's temporary folder and, when it is a tmpfs, /dev/shm.

#include <fcntl.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "commands/Build.h"
#include "format/ElementCodec.h"
#include "format/WavFile.h"
#include "io/AtomicFile.h"
#include "io/FileDigests.h"

using namespace zadaravod;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

/// The build's reports are not shown while it is timed.
struct Quiet : Messenger {
    void message(const std::string&, const std::string&, Icon) override {}
};

constexpr long kTmpfsMagic = 0x01021994;

std::string fileSystemOf(const fs::path& folder) {
    struct statfs st {};
    if (::statfs(folder.c_str(), &st) != 0) return "?";
    if (st.f_type == kTmpfsMagic) return "tmpfs";
    if (st.f_type == 0xEF53) return "ext4";
    char hex[32];
    std::snprintf(hex, sizeof hex, "fs 0x%lx", static_cast<unsigned long>(st.f_type));
    return hex;
}

/// 510 sounds of 190 blocks each: 510 x 8006 bytes + the fixed part = 4181348 bytes.
Project makeProject(const fs::path& folder) {
    const std::size_t samples = 190 * element::kSamplesPerBlock;
    fs::create_directories(folder / "full.winproj.sound");
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
    return p;
}

/// The floor: every WAV read whole, then an image of `imageBytes` written
/// atomically beside the project file. Seconds.
double ioFloor(const Project& p, std::size_t imageBytes) {
    const auto t0 = Clock::now();
    std::vector<char> buffer(1 << 16);
    std::size_t total = 0;
    for (const CSound& s : p.library) {
        const int fd = ::open(s.filePath.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) std::abort();
        for (ssize_t n; (n = ::read(fd, buffer.data(), buffer.size())) > 0;)
            total += static_cast<std::size_t>(n);
        ::close(fd);
    }
    std::vector<std::uint8_t> image(imageBytes, static_cast<std::uint8_t>(total));
    if (!writeFileAtomically(p.projectFilePath + ".floor.bin", image).empty()) std::abort();
    return std::chrono::duration<double>(Clock::now() - t0).count();
}

/// One build; seconds, or a negative value (after printing why) on failure.
double timedBuild(Project& p, const fs::path& cache, unsigned threads, BuildStatistics& stats) {
    Quiet quiet;
    BuildOptions options;
    options.threads = threads;
    options.cache.folder = cache;
    options.statistics = &stats;
    const auto t0 = Clock::now();
    const auto built = buildImage(p, AppPaths::ofFolder(ZADARAVOD_APP_DIR), quiet, options);
    const double seconds = std::chrono::duration<double>(Clock::now() - t0).count();
    if (!built) {
        std::fprintf(stderr, "%s\n", built.error().text.c_str());
        return -1;
    }
    return seconds;
}

bool runIn(const fs::path& base, int repetitions) {
    const fs::path dir = base / ("zadaravod-build-bench-" + std::to_string(::getpid()));
    Project p = makeProject(dir / "full.winproj");
    // A build remembers the digests only of WAVs whose times have settled
    // (FileDigests), as they have when a user builds after importing.
    std::this_thread::sleep_for(std::chrono::seconds(FileDigests::kSettledSeconds + 1));
    double floor = 1e9, cold = 1e9, warm = 1e9, single = 1e9;
    BuildStatistics coldStats, warmStats, singleStats;
    std::size_t imageBytes = 0;
    for (int r = 0; r < repetitions; ++r) {
        // Interleaved, so that each figure sees the machine as the others do.
        const fs::path cache = dir / ("cache-" + std::to_string(r));
        const double c = timedBuild(p, cache, 0, coldStats);
        const double w = timedBuild(p, cache, 0, warmStats);
        const double s = timedBuild(p, dir / ("single-" + std::to_string(r)), 1, singleStats);
        if (c < 0 || w < 0 || s < 0) return false;
        imageBytes = fs::file_size(p.imagePath());
        floor = std::min(floor, ioFloor(p, imageBytes));
        cold = std::min(cold, c);
        warm = std::min(warm, w);
        single = std::min(single, s);
    }
    std::printf("%s (%s), image %zu bytes, best of %d:\n", base.string().c_str(),
                fileSystemOf(base).c_str(), imageBytes, repetitions);
    std::printf("  I/O floor (read 510 WAVs, write the image): %7.1f ms (anchor)\n", 1e3 * floor);
    std::printf("  build, cache cold (%d converted):          %7.1f ms = %.1f x floor (target 3)\n",
                coldStats.converted, 1e3 * cold, cold / floor);
    std::printf("  build, cache warm (%d from the cache):     %7.1f ms = %.1f x floor (target 2)\n",
                warmStats.fromCache, 1e3 * warm, warm / floor);
    std::printf("  build, cache cold, one thread:              %7.1f ms = %.1f x floor\n",
                1e3 * single, single / floor);
    std::error_code ec;
    fs::remove_all(dir, ec);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    std::vector<fs::path> folders;
    for (int i = 2; i < argc; ++i) folders.emplace_back(argv[i]);
    if (folders.empty()) {
        folders.push_back(fs::temp_directory_path());
        if (fileSystemOf(folders[0]) != "tmpfs" && fs::is_directory("/dev/shm") &&
            fileSystemOf("/dev/shm") == "tmpfs")
            folders.emplace_back("/dev/shm");
    }
    std::printf("%u processors\n", std::max(1u, std::thread::hardware_concurrency()));
    for (const fs::path& folder : folders)
        if (!runIn(folder, repetitions)) return 1;
    return 0;
}

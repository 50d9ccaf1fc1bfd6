// Converts a 60-second stereo 44.1 kHz MP3 into an 8000 Hz mono 16-bit WAV
// with our audio layer and with the ffmpeg program doing the same work
// ((L+R)/2, soxr), and prints the median times and their ratio. The target
// is a ratio of at most 1 (no slower than the ffmpeg program).
//
// Usage: bench_audio_conversion [runs]   (default 5)
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "audio/AudioLayer.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

template <typename F>
double timeIt(F&& f) {
    const auto start = Clock::now();
    f();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const fs::path dir =
        fs::temp_directory_path() / ("zadaravod-bench-" + std::to_string(getpid()));
    fs::create_directories(dir);
    const std::string mp3 = (dir / "in.mp3").string();
    const std::string ours = (dir / "ours.wav").string();
    const std::string theirs = (dir / "ffmpeg.wav").string();

    const std::string make =
        "/usr/bin/ffmpeg -hide_banner -loglevel error -nostdin -y -f lavfi -i "
        "\"sine=frequency=440:sample_rate=44100:duration=60\" -f lavfi -i "
        "\"sine=frequency=660:sample_rate=44100:duration=60\" -filter_complex amerge -ac 2 "
        "-c:a libmp3lame -b:a 192k \"" +
        mp3 + "\"";
    if (std::system(make.c_str()) != 0) {
        std::fprintf(stderr, "cannot make the MP3 fixture with ffmpeg\n");
        fs::remove_all(dir);
        return 1;
    }
    const std::string program =
        "/usr/bin/ffmpeg -hide_banner -loglevel error -nostdin -y -i \"" + mp3 +
        "\" -af \"pan=mono|c0=0.5*c0+0.5*c1,aresample=8000:resampler=soxr\" -c:a pcm_s16le \"" +
        theirs + "\"";

    std::vector<double> layerTimes, programTimes;
    bool ok = true;
    for (int i = 0; i < runs && ok; ++i) {
        layerTimes.push_back(timeIt([&] {
            const auto r = zadaravod::convertToMonoWav(mp3, ours, 8000);
            if (!r.ok) {
                std::fprintf(stderr, "conversion failed: %s\n", r.error.c_str());
                ok = false;
            }
        }));
        programTimes.push_back(timeIt([&] { ok = ok && std::system(program.c_str()) == 0; }));
    }
    if (ok) {
        const double layer = median(layerTimes), prog = median(programTimes);
        std::printf("60 s stereo MP3 -> 8000 Hz mono WAV, median of %d runs\n", runs);
        std::printf("  audio layer     : %8.1f ms  (%llu bytes)\n", layer * 1000,
                    static_cast<unsigned long long>(fs::file_size(ours)));
        std::printf("  ffmpeg program  : %8.1f ms  (%llu bytes)\n", prog * 1000,
                    static_cast<unsigned long long>(fs::file_size(theirs)));
        std::printf("  ratio layer/ffmpeg: %.2f (target <= 1.00)\n", layer / prog);
    }
    fs::remove_all(dir);
    return ok ? 0 : 1;
}

// How long "as the chip plays it" takes to start a 10-second library sound:
// from the request to the sound running on the player (private copy,
// conversion through the converter plugin of the application folder,
// element decoding, loading, start). The anchors, measured in the same run,
// are starting the same WAV as it is, and encoding and decoding its element
// in memory with the codec (the work without the plugin's copy, loading and
// files). The target is a start within 200 ms.
//
// Usage: bench_playback_aschip [runs]   (default 7)
// The player uses SDL's dummy driver unless SDL_AUDIODRIVER names another.
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "audio/SdlPlayer.h"
#include "commands/AsChip.h"
#include "format/ElementCodec.h"
#include "format/WavFile.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

template <typename F>
double millisecondsOf(F&& f) {
    const auto start = Clock::now();
    f();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

/// Ten seconds of a speech-like signal: a few partials under a slow
/// envelope, with some noise.
std::vector<std::int16_t> tenSeconds(int rate) {
    std::mt19937 rng(7);
    std::normal_distribution<double> noise(0, 300);
    std::vector<std::int16_t> x(static_cast<std::size_t>(rate) * 10);
    for (std::size_t i = 0; i < x.size(); ++i) {
        const double t = static_cast<double>(i) / rate;
        const double env = 0.5 + 0.5 * std::sin(2 * M_PI * 3 * t);
        const double v =
            env * (6000 * std::sin(2 * M_PI * 220 * t) + 3000 * std::sin(2 * M_PI * 660 * t) +
                   1500 * std::sin(2 * M_PI * 1320 * t)) +
            noise(rng);
        x[i] = static_cast<std::int16_t>(std::clamp(v, -32768.0, 32767.0));
    }
    return x;
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    ::setenv("SDL_AUDIODRIVER", "dummy", 0);
    const std::string plugin = std::string(ZADARAVOD_APP_DIR) + "/libZozazeZovevidiz.so";
    std::string folder = (fs::temp_directory_path() / "zadaravod-bench-XXXXXX").string();
    if (::mkdtemp(folder.data()) == nullptr) {
        std::fprintf(stderr, "cannot make a temporary folder\n");
        return 1;
    }
    zadaravod::SdlPlayer player;
    if (!player.available()) {
        std::fprintf(stderr, "%s\n", player.errorText().c_str());
        fs::remove_all(folder);
        return 1;
    }
    int status = 0;
    std::printf("10 s mono 16-bit sound, request to playing, median of %d runs\n", runs);
    for (int rate : {22000, 8000}) {
        const std::string wav = folder + "/sound-" + std::to_string(rate) + ".wav";
        if (!zadaravod::writeWav16(wav, tenSeconds(rate), rate, 1).empty()) {
            std::fprintf(stderr, "cannot write %s\n", wav.c_str());
            status = 1;
            break;
        }
        std::vector<double> plain, codec, chip;
        bool ok = true;
        for (int i = 0; i < runs && ok; ++i) {
            plain.push_back(millisecondsOf([&] {
                const auto loaded = player.loadFile(wav);
                ok = loaded && player.playPaused(zadaravod::kPlaybackChannel, loaded.sample);
                player.unpauseAll();
            }));
            player.stopAll();
            codec.push_back(millisecondsOf([&] {
                std::vector<std::uint8_t> element;
                zadaravod::element::DecodedElement decoded;
                std::string error;
                ok = ok && zadaravod::element::encodeWavFile(wav, element, error) &&
                     zadaravod::element::decodeElement(element, decoded, error);
            }));
            chip.push_back(millisecondsOf([&] {
                zadaravod::RenderedAudio audio;
                std::string error;
                ok = ok && zadaravod::renderSoundAsChip(plugin, wav, rate, audio, error);
                if (!ok) {
                    std::fprintf(stderr, "%s\n", error.c_str());
                    return;
                }
                const auto loaded = player.loadSamples(std::move(audio.samples), audio.sampleRate);
                ok = loaded && player.playPaused(zadaravod::kPlaybackChannel, loaded.sample);
                player.unpauseAll();
            }));
            player.stopAll();
        }
        if (!ok) {
            status = 1;
            break;
        }
        const double p = median(plain), k = median(codec), c = median(chip);
        std::printf("  %5d Hz  the WAV as it is        : %7.1f ms  (anchor)\n", rate, p);
        std::printf("  %5d Hz  codec in memory         : %7.1f ms  (anchor)\n", rate, k);
        std::printf("  %5d Hz  as the chip plays it    : %7.1f ms  (%.2f x the codec in memory)\n",
                    rate, c, c / k);
        std::printf("  %5d Hz  target: playing within 200 ms: %s\n", rate,
                    c <= 200 ? "met" : "MISSED");
    }
    fs::remove_all(folder);
    return status;
}

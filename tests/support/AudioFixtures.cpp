#include "support/AudioFixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <numbers>

#include "format/WavFile.h"

namespace zadaravod::test {

std::vector<std::int16_t> sineSamples(int rate, int channels, double seconds, double frequency,
                                      double amplitude, std::vector<double> gains) {
    const auto frames = static_cast<std::size_t>(std::lround(rate * seconds));
    std::vector<std::int16_t> out;
    out.reserve(frames * static_cast<std::size_t>(channels));
    for (std::size_t i = 0; i < frames; ++i) {
        const double v = amplitude * 32767.0 *
                         std::sin(2 * std::numbers::pi * frequency * static_cast<double>(i) / rate);
        for (int c = 0; c < channels; ++c) {
            out.push_back(
                static_cast<std::int16_t>(std::lround(v * gains[static_cast<std::size_t>(c)])));
        }
    }
    return out;
}

void writePcmWav(const std::filesystem::path& path, int rate, int channels, int bits,
                 double seconds) {
    const auto samples = sineSamples(rate, channels, seconds, 440.0, 0.5);
    std::vector<std::uint8_t> bytes = makeWav16(samples, rate, channels);
    if (bits == 8) {
        // Rewrite as 8-bit unsigned: same header layout, halved sizes.
        std::vector<std::uint8_t> b(bytes.begin(), bytes.begin() + 44);
        auto put32 = [&](std::size_t at, std::uint32_t v) {
            for (int i = 0; i < 4; ++i)
                b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
        };
        const auto dataBytes = static_cast<std::uint32_t>(samples.size());
        put32(4, 36 + dataBytes);
        put32(28, static_cast<std::uint32_t>(rate * channels));
        b[32] = static_cast<std::uint8_t>(channels);
        b[33] = 0;
        b[34] = 8;
        b[35] = 0;
        put32(40, dataBytes);
        for (std::int16_t s : samples) b.push_back(static_cast<std::uint8_t>((s >> 8) + 128));
        bytes = b;
    }
    writeFile(path, std::string(bytes.begin(), bytes.end()));
}

void makeWithFfmpeg(const std::filesystem::path& path, int rate, int channels,
                    const std::string& codec, double seconds) {
    const std::string command =
        "/usr/bin/ffmpeg -hide_banner -loglevel error -nostdin -y -f lavfi -i "
        "\"sine=frequency=440:sample_rate=" +
        std::to_string(rate) + ":duration=" + std::to_string(seconds) + "\" -ac " +
        std::to_string(channels) + " -c:a " + codec + " \"" + path.string() + "\"";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    ASSERT_TRUE(std::filesystem::exists(path)) << command;
}

Project openProjectIn(const TempDir& dir) {
    Project p;
    p.projectOpen = true;
    p.projectFilePath = (dir / "p.winproj").string();
    p.soundFolder = (dir / "p.winproj.sound").string();
    std::filesystem::create_directories(p.soundFolder);
    return p;
}

void fillLibrary(Project& project, int count) {
    for (int i = 0; i < count; ++i) {
        CSound s;
        s.kind = 1;
        s.name = "dummy" + std::to_string(i) + ".wav";
        s.filePath = soundPath(project.soundFolder, s.name);
        s.sampleRate = 8000;
        project.library.addTail(s);
    }
}

}  // namespace zadaravod::test

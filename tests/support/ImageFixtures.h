#pragma once

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "format/ImageFormat.h"
#include "format/ImageReader.h"
#include "format/WavFile.h"
#include "model/ImageContent.h"
#include "model/Project.h"
#include "support/TempDir.h"

namespace zadaravod::test {

inline std::vector<std::int16_t> sine(double hz, int rate, std::size_t n, double amp = 16000) {
    std::vector<std::int16_t> x(n);
    for (std::size_t i = 0; i < n; ++i)
        x[i] = static_cast<std::int16_t>(amp *
                                         std::sin(2 * M_PI * hz * static_cast<double>(i) / rate));
    return x;
}

inline double snrDb(const std::vector<std::int16_t>& ref, const std::vector<std::int16_t>& got) {
    double s = 0, e = 0;
    for (std::size_t i = 0; i < ref.size() && i < got.size(); ++i) {
        s += double(ref[i]) * ref[i];
        const double d = double(ref[i]) - got[i];
        e += d * d;
    }
    return e == 0 ? 200.0 : 10 * std::log10(s / e);
}

inline std::vector<std::uint8_t> bytesOf(const std::string& s) {
    return std::vector<std::uint8_t>(s.begin(), s.end());
}

/// A project folder in `dir` (dir/p.winproj/p.winproj with its sound folder)
/// with `soundCount` short 8000 Hz sounds of `samples` samples each.
inline Project makeProject(const TempDir& dir, int soundCount, std::size_t samples = 130,
                           int rate = 8000) {
    Project p;
    const auto folder = dir.path() / "p.winproj";
    std::filesystem::create_directories(folder / "p.winproj.sound");
    p.projectOpen = true;
    p.projectFilePath = (folder / "p.winproj").string();
    p.soundFolder = (folder / "p.winproj.sound").string();
    for (int i = 0; i < soundCount; ++i) {
        CSound s;
        s.kind = 1;
        s.name = "s" + std::to_string(i + 1) + ".wav";
        s.filePath = soundPath(p.soundFolder, s.name);
        s.sampleRate = rate;
        s.durationMs = static_cast<std::int32_t>(samples * 1000 / static_cast<std::size_t>(rate));
        writeWav16(s.filePath, sine(200.0 + 10 * i, rate, samples, 8000), rate, 1);
        p.library.addTail(s);
    }
    return p;
}

/// The playlist as the image codes it: consecutive silences merged, empty
/// silences dropped, sounds by library position (509 when missing).
inline std::vector<image::PlaylistItem> expectedItems(const Project& p, const CSoundList& list) {
    LibraryIndex index(p.library);
    std::vector<image::PlaylistItem> out;
    for (const CSound& e : list) {
        if (e.isSound()) {
            const int k = index.find(e.filePath);
            out.push_back({true, k < 0 ? 509 : k, 0});
        } else if (e.durationMs > 0) {
            if (!out.empty() && !out.back().isSound)
                out.back().silenceMs += e.durationMs;
            else
                out.push_back({false, 0, e.durationMs});
        }
    }
    return out;
}

}  // namespace zadaravod::test

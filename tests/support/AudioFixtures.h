#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "model/Project.h"
#include "support/TempDir.h"

namespace zadaravod::test {

/// A sine of `frequency` Hz at `amplitude` (0..1 of full scale) as 16-bit
/// samples; channel c of a stereo file carries it times gains[c].
std::vector<std::int16_t> sineSamples(int rate, int channels, double seconds, double frequency,
                                      double amplitude, std::vector<double> gains = {1.0, 1.0});

/// Writes a PCM WAV file by code: 8 (unsigned) or 16 bits, mono or stereo, a
/// 440 Hz sine of half full scale.
void writePcmWav(const std::filesystem::path& path, int rate, int channels, int bits,
                 double seconds = 1.0);

/// Makes a compressed file with the ffmpeg program: a 440 Hz sine of
/// `seconds` at `rate` Hz and `channels` channels, encoded with `codec`
/// ("libmp3lame", "wmav2"). Fails the current test when ffmpeg fails.
void makeWithFfmpeg(const std::filesystem::path& path, int rate, int channels,
                    const std::string& codec, double seconds = 1.0);

/// A project open in a temporary folder: projectFilePath = dir/p.winproj and
/// an existing, empty sound folder dir/p.winproj.sound.
Project openProjectIn(const TempDir& dir);

/// `count` library records named "dummyN.wav" (no files behind them).
void fillLibrary(Project& project, int count);

}  // namespace zadaravod::test

#pragma once

#include "model/UserInterface.h"

namespace zadaravod {

/// The command id of the conversion tool.
inline constexpr int kConvertCommand = 32814;
inline constexpr const char* kConvertSourceFilter =
    "MP3 Files(*.mp3)|*.mp3|WMA Files(*.wma)|*.wma|WAV Files(*.wav)|*.wav||";
inline constexpr const char* kConvertOutputFilter = "WAV Files(*.wav)|*.wav||";

/// The conversion tool: asks for a source file, a rate (all ten supported
/// rates are offered) and an output path, then converts the source into a
/// 16-bit mono WAV at that rate, replacing an existing output. Any cancelled
/// choice ends the command. Shows "MP3/WMA to WAV Convert OK!" on success and
/// the reason on failure. The project is not touched. True on success.
bool runConversionTool(UserInterface& ui);

}  // namespace zadaravod

#pragma once

#include <string>

#include "commands/PromptTools.h"
#include "commands/Result.h"
#include "commands/UserInterface.h"

namespace zadaravod {

/// The command id of the conversion tool.
inline constexpr int kConvertCommand = 32814;
inline constexpr const char* kConvertSourceFilter =
    "MP3 Files(*.mp3)|*.mp3|WMA Files(*.wma)|*.wma|WAV Files(*.wav)|*.wav||";
inline constexpr const char* kConvertOutputFilter = "WAV Files(*.wav)|*.wav||";

/// Converts `source` into a 16-bit mono WAV at `rate` (one of the supported
/// rates), replacing an existing `output`. A source too long for the largest
/// flash at that rate is refused before any work. Fails with
/// "MP3/WMA to WAV Convert failed: " and the reason; the project is not
/// touched. With a `treatment` the result is treated before it is written
/// (a refused one leaves `output` as it was) and what trimming saved goes to
/// `messenger->status` when a messenger is given.
Done convertSound(const std::string& source, const std::string& output, int rate,
                  const SoundTreatment& treatment = {}, Messenger* messenger = nullptr);

/// The window's version: asks for a source file, a rate (all ten supported
/// rates are offered) and an output path; any cancelled choice ends the
/// command. Shows "MP3/WMA to WAV Convert OK!" on success and the reason on
/// failure. True on success.
bool runConversionTool(UserInterface& ui);

}  // namespace zadaravod

#pragma once

#include <optional>
#include <string>

#include "commands/PromptTools.h"
#include "commands/Result.h"
#include "commands/UserInterface.h"
#include "model/Project.h"

namespace zadaravod {

/// The file chooser filter of the background music load command, as the
/// editor has always shown it.
inline constexpr const char* kMusicLoadFilter = "Sound Files(*.wav|*.wav|WAV Files(*.wav)|*.wav||";

/// Whether loading `path` as background music needs a rate: nullopt when the
/// file is copied as it is (a "*.wav" at a supported rate), else the highest
/// rate its conversion may use (the file's own rate, at most 8000 Hz).
/// Fails when the file cannot be read.
Result<std::optional<int>> musicRateLimit(const std::string& path);

/// Load: while no background music is loaded, brings `path` into
/// `backgroundMusic`: copied into the sound folder unchanged when
/// musicRateLimit says so, else converted at `rate` (one of the supported
/// rates up to that limit) into soundFolder/<name> (WAV) or
/// soundFolder/<name>.wav (other files). Fails with the reason — music loaded
/// already, a name the library uses, a missing or wrong rate (naming the
/// allowed ones), a file that cannot be read, copied or converted. With a
/// `treatment` the music is treated on its way in (a refused one, such as
/// pure silence, is not loaded) and what trimming saved goes to
/// `messenger->status` when a messenger is given.
Done loadMusic(Project& project, const std::string& path, std::optional<int> rate,
               const SoundTreatment& treatment = {}, Messenger* messenger = nullptr);

/// Clear: empties `backgroundMusic`; its file stays in the sound folder.
bool clearBackgroundMusic(Project& project);

/// The window's version: the open-file dialog, then loadBackgroundMusicFrom.
/// True when a record was added.
bool loadBackgroundMusic(Project& project, UserInterface& ui, const SoundTreatment& treatment = {});

/// The window's version for a file already chosen (dropped on the music
/// view): the sampling-rate dialog when the file must be converted, then
/// loadMusic; a failure is told. True when a record was added.
bool loadBackgroundMusicFrom(Project& project, UserInterface& ui, const std::string& path,
                             const SoundTreatment& treatment = {});

}  // namespace zadaravod

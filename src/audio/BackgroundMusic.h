#pragma once

#include "model/Project.h"
#include "model/UserInterface.h"

namespace zadaravod {

/// The file chooser filter of the background music load command, as the
/// editor has always shown it.
inline constexpr const char* kMusicLoadFilter = "Sound Files(*.wav|*.wav|WAV Files(*.wav)|*.wav||";

/// Load: while no background music is loaded, brings the one file chosen in
/// the open-file dialog into `backgroundMusic`. A "*.wav" file at a supported
/// rate is copied into the sound folder unchanged; anything else is converted
/// at a rate picked in the sampling-rate dialog (offering rates up to the
/// file's own rate, at most 8000 Hz) into soundFolder/<name> (WAV) or
/// soundFolder/<name>.wav (other files). True when a record was added; false
/// when music was loaded already, the command was cancelled or refused, or the
/// file could not be read or converted (the user was told why).
bool loadBackgroundMusic(Project& project, UserInterface& ui);

/// Clear: empties `backgroundMusic`; its file stays in the sound folder.
bool clearBackgroundMusic(Project& project);

}  // namespace zadaravod

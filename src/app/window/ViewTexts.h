#pragma once

#include <array>
#include <optional>
#include <string>

#include "model/Project.h"

namespace zadaravod {

/// The six cells of a library or background music row for record `r` at
/// 0-based `row`: "No.", "Wav", "Sampling rate", "Bit", "Track", "Time".
std::array<std::string, 6> libraryRowTexts(const CSound& r, int row);

/// The three cells of a playlist row: "No.", "Type", "Wav".
std::array<std::string, 3> playlistRowTexts(const CSound& r, int row);

/// The length of a silence entry: "200 ms", "1500 ms", "2 s".
std::string silenceLengthText(int durationMs);

/// The background music view's enabling after the library was refilled: in
/// control modes 0 and 1 it is enabled when no library sound is above
/// 8000 Hz or background music is loaded; in the other modes the view keeps
/// its state (nullopt).
std::optional<bool> musicViewEnabledAfterLibraryFill(const Project& project);

/// The menu prompt / tooltip resource of a command: "" when it has none.
std::string commandPrompt(int id);

}  // namespace zadaravod

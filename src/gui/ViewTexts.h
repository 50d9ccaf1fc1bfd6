#pragma once

#include <array>
#include <optional>
#include <string>

#include "model/MemoryGauge.h"
#include "model/Project.h"

namespace zadaravod {

// Every number below is written the same under any locale ("3.17", never
// "3,17"; no digit grouping).

/// The six cells of a library or background music row for record `r` at
/// 0-based `row` (row 0 reads "001"): "No.", "Wav", "Sampling rate", "Bit",
/// "Track", "Time". The library picker numbers its rows 1-based through
/// pickerRowTexts() in dialogs/rules.
std::array<std::string, 6> libraryViewRowTexts(const CSound& r, int row);

/// The three cells of a playlist row at 0-based `row`: "No.", "Type", "Wav".
std::array<std::string, 3> playlistRowTexts(const CSound& r, int row);

/// The status bar's flash use: "3.17 % flash used".
std::string memoryUsageText(const MemoryGauge& gauge);
/// The status bar's total length: "1000 msec. total".
std::string trackLengthText(const MemoryGauge& gauge);

/// The length of a silence entry: "200 ms", "1500 ms", "2 s".
std::string silenceLengthText(int durationMs);

/// The background music view's enabling after the library was refilled: in
/// control modes 0 and 1 it is enabled when no library sound is above
/// 8000 Hz or background music is loaded; in the other modes the view keeps
/// its state (nullopt).
std::optional<bool> musicViewEnabledAfterLibraryFill(const Project& project);

/// The menu prompt / tooltip resource of a command in the current interface
/// language: "" when it has none.
std::string commandPrompt(int id);

}  // namespace zadaravod

#pragma once

#include <array>
#include <string>

#include "model/Sound.h"

namespace zadaravod {

/// The columns of the library picker's table: title and width in pixels.
struct LibraryColumn {
    const char* title;
    int width;
};
inline constexpr std::array<LibraryColumn, 6> kLibraryColumns = {{{"No.", 30},
                                                                  {"Wav", 120},
                                                                  {"Sampling rate", 120},
                                                                  {"Bit", 120},
                                                                  {"Track", 120},
                                                                  {"Time", 120}}};

/// The six cell texts of the picker's row for `sound`, which stands at
/// 1-based `rowNumber` (the first row is 1 and reads "001"): "007", name,
/// "22000 Hz", "16 Bit", "STEREO"/"MONO", "1500 ms". The main window's own
/// library view takes 0-based rows: libraryViewRowTexts() in app/window.
std::array<std::string, 6> pickerRowTexts(const CSound& sound, int rowNumber);

}  // namespace zadaravod

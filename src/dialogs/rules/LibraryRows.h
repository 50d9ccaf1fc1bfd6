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

/// The six cell texts of the row for `sound`, which stands at 1-based
/// `rowNumber`: "007", name, "22000 Hz", "16 Bit", "STEREO"/"MONO", "1500 ms".
std::array<std::string, 6> libraryRowTexts(const CSound& sound, int rowNumber);

}  // namespace zadaravod

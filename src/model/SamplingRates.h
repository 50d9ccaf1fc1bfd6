#pragma once

#include <array>
#include <string>
#include <vector>

namespace zadaravod {

/// The sampling rates the flash image can encode, in Hz, ascending.
inline constexpr std::array<int, 10> kSupportedRates = {4000,  6000,  8000,  10000, 12000,
                                                        14000, 16000, 18000, 20000, 22000};
/// The highest rate the import accepts for a single compressed file.
inline constexpr int kMaxImportRate = 22000;
/// Background music that has to be converted is held to at most this rate.
inline constexpr int kMaxMusicRate = 8000;

/// True for one of the ten supported rates.
constexpr bool isSupportedRate(int hz) {
    for (int r : kSupportedRates) {
        if (r == hz) return true;
    }
    return false;
}

/// True when a WAV at `hz` may be copied into the library unchanged: a
/// supported rate other than 4000 Hz.
constexpr bool isPlainImportRate(int hz) { return hz != 4000 && isSupportedRate(hz); }

/// The rate a compressed file is converted at when several files are loaded
/// at once: rounded down to a supported rate, 22000 for 22000 Hz or more, and
/// 4000 for anything below 6000 Hz.
constexpr int roundDownToSupportedRate(int hz) {
    if (hz >= 22000) return 22000;
    if (hz < 6000) return 4000;
    return hz - hz % 2000;
}

/// The rates the sampling-rate dialog offers for `rateLimit`: every supported
/// rate that is at most the limit, ascending (possibly none).
inline std::vector<int> samplingDialogRates(int rateLimit) {
    std::vector<int> out;
    for (int r : kSupportedRates) {
        if (r <= rateLimit) out.push_back(r);
    }
    return out;
}

/// The lines of the sampling-rate dialog's list for `rateLimit`: the offered
/// rates as decimal text, then an empty line (which cancels) unless the limit
/// is negative.
inline std::vector<std::string> samplingDialogLines(int rateLimit) {
    std::vector<std::string> out;
    for (int r : samplingDialogRates(rateLimit)) out.push_back(std::to_string(r));
    if (rateLimit >= 0) out.emplace_back();
    return out;
}

/// "4000, 6000, 8000" for the rates offered under `rateLimit`; "none" when
/// there are none. For messages that say which rates may be chosen.
inline std::string rateListText(int rateLimit) {
    std::string text;
    for (int r : samplingDialogRates(rateLimit)) {
        if (!text.empty()) text += ", ";
        text += std::to_string(r);
    }
    return text.empty() ? std::string("none") : text;
}

}  // namespace zadaravod

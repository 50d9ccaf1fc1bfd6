#pragma once

#include <string>

namespace zadaravod {

/// What picking a line of the sampling-rate dialog gives: the end code and,
/// with 1087, the rate in Hz (never 0).
struct SamplingPick {
    int endCode;  ///< result::kSamplingOk or result::kSamplingCancel
    int rate;     ///< the picked rate; 0 with kSamplingCancel
};

/// The pick of the line `lineText`: its leading decimal digits read as the
/// rate; no digits, 0, or a value beyond the int range cancel.
SamplingPick pickSamplingLine(const std::string& lineText);

}  // namespace zadaravod

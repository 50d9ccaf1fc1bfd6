#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace zadaravod {

/// Resamples 16-bit mono samples held in memory from `fromRate` to `toRate`
/// Hz (each 1..kMaxConversionRate) with FFmpeg's soxr resampler, the filter
/// the file conversion uses. The output replaces `out` and holds about
/// in.size() × toRate / fromRate samples, saturated to 16 bits; equal rates
/// copy the input unchanged. Returns false with a reason in `error` (and
/// `out` empty) when a rate is out of range or the resampler fails.
bool resampleMono16(std::span<const std::int16_t> in, int fromRate, int toRate,
                    std::vector<std::int16_t>& out, std::string& error);

}  // namespace zadaravod

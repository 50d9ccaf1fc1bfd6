#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace zadaravod::download {

/// What an image holds, in a few lines for the download utility's window:
/// its size, control mode, outputs, flash size, sounds and playlists, and
/// the first problems the image reader found. Never fails: an image that
/// cannot be read gives the reason as its lines.
std::vector<std::string> describeImage(std::span<const std::uint8_t> bytes);

}  // namespace zadaravod::download

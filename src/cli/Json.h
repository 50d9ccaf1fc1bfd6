#pragma once

// The JSON documents of info, inspect and check. A project and an image share
// one shape for what both hold (settings, keys, playlists, sounds), so a
// script reads either the same way; docs/json.md lists every field.

#include <nlohmann/json.hpp>

#include <vector>

#include "commands/ProjectCheck.h"
#include "format/ImageReader.h"
#include "model/Project.h"

namespace zadaravod::cli {

/// The "version" of every document; raised when a field changes meaning or
/// goes away (new fields do not raise it).
inline constexpr int kJsonVersion = 1;

/// info --json: "kind": "project".
nlohmann::json projectJson(const Project& project);
/// inspect --json: "kind": "image".
nlohmann::json imageJson(const image::ImageReading& reading);
/// check --json: "kind": "check".
nlohmann::json findingsJson(const Project& project, const std::vector<Finding>& findings);

}  // namespace zadaravod::cli

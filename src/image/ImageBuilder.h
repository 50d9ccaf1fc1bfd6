#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/AppPaths.h"
#include "model/Project.h"
#include "model/UserInterface.h"

namespace zadaravod {

struct BuildOptions {
    /// Conversions run at once; 0 = one per processor.
    unsigned threads = 0;
};

/// The build command: saves the project (project file and flash-size file),
/// converts every library sound and the 10 ms silence through the converter
/// plugin, and writes the flash image (projectFilePath + ".bin") atomically.
/// Every message goes through `ui`: "BIN File Saved!\nSize: N bytes", the fit
/// messages, and the reason of a failed build. A failed build leaves no new
/// image (an old one stays as it was) and returns false.
bool buildImage(Project& project, const AppPaths& paths, UserInterface& ui,
                const BuildOptions& options = {});

/// The image bytes the project gives with the given elements (one per library
/// sound, in order) and the converted silence. Fails with `error` when a
/// playlist does not fit its slot or names a sound missing from a full
/// library; nothing else is checked here.
bool assembleImage(const Project& project, const std::vector<std::vector<std::uint8_t>>& elements,
                   const std::vector<std::uint8_t>& silence,
                   const std::vector<std::uint8_t>& chipCode, std::vector<std::uint8_t>& image,
                   std::string& error);

/// The fit message for an image of `length` bytes on the flash of
/// `sizeIndex`, with its caption; empty text when the image fits.
struct FitMessage {
    std::string text;
    std::string caption;
};
FitMessage fitMessage(std::uint64_t length, int sizeIndex);

}  // namespace zadaravod

#pragma once

#include <cstdint>
#include <string>

#include "commands/Result.h"
#include "commands/UserInterface.h"
#include "io/AppPaths.h"
#include "model/Project.h"

namespace zadaravod {

struct BuildOptions {
    /// Conversions run at once; 0 = one per processor.
    unsigned threads = 0;
};

/// The build command: saves the project (project file and flash-size file),
/// checks every playlist slot and library sound, converts every library
/// sound and the 10 ms silence through the converter plugin of the
/// application folder, and writes the flash image (projectFilePath + ".bin")
/// atomically. It tells "BIN File Saved!\nSize: N bytes" and the fit message
/// through `messenger`, and the converter's own messages of a failed
/// conversion. Returns the image's size, or the reason the build stopped; a
/// failed build leaves no new image (an old one stays as it was).
Result<std::uint64_t> buildImage(Project& project, const AppPaths& paths, Messenger& messenger,
                                 const BuildOptions& options = {});

/// The fit message for an image of `length` bytes on the flash of
/// `sizeIndex`, with its caption; empty text when the image fits.
struct FitMessage {
    std::string text;
    std::string caption;
};
FitMessage fitMessage(std::uint64_t length, int sizeIndex);

}  // namespace zadaravod

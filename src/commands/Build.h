#pragma once

#include <cstdint>
#include <string>

#include "commands/Result.h"
#include "commands/UserInterface.h"
#include "io/AppPaths.h"
#include "io/ElementCache.h"
#include "model/Project.h"

namespace zadaravod {

/// Where a build's elements came from (library sounds and the silence).
struct BuildStatistics {
    int fromCache = 0;  ///< taken from the element cache
    int converted = 0;  ///< made by the converter plugin
};

struct BuildOptions {
    /// Conversions run at once; 0 = one per processor.
    unsigned threads = 0;
    /// Whether elements are taken from and kept in the element cache.
    bool useCache = true;
    /// The cache's folder (empty: $XDG_CACHE_HOME/zadaravod) and bound.
    ElementCacheOptions cache;
    /// When set, receives where the elements came from.
    BuildStatistics* statistics = nullptr;
};

/// The build command: saves the project (project file and flash-size file),
/// checks every playlist slot and library sound, converts every library
/// sound and the 10 ms silence through the converter plugin of the
/// application folder (on every processor, in memory when the plugin can;
/// an element kept in the element cache from an earlier build of the same
/// WAV bytes by the same converter is taken instead), and writes the flash
/// image (projectFilePath + ".bin") atomically. It tells
/// "BIN File Saved!\nSize: N bytes" and the fit message through `messenger`,
/// and the converter's own messages of a failed conversion; progress goes to
/// messenger.progress() and a status line per sound ("Converting sound 12 of
/// 510"), and progress() returning false stops the build. A cache that
/// cannot be used is told in one status line and the build goes on without
/// it. Returns the image's size, or the reason the build stopped; a failed
/// or stopped build leaves no new image (an old one stays as it was).
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

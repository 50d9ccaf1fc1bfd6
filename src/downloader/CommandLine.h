#pragma once

#include <string>
#include <vector>

#include "downloader/DownloadJob.h"

namespace zadaravod::download {

/// The download utility's arguments:
///   V31O_DivaD_EN [<image>]                      the window, with the image chosen
///   V31O_DivaD_EN --write [--programmer P] [--chip C] [--flashrom F] [--verbose] <image>
/// The editor passes the image path as its whole parameter string, unquoted;
/// should a caller split a path with blanks into several arguments, the
/// positional arguments are joined again with single blanks.
struct DownloaderArguments {
    bool write = false;    ///< run without a window
    bool verbose = false;  ///< print flashrom's output too (with --write)
    bool help = false;
    DownloadRequest request;
    std::string error;  ///< a usage error; "" when the arguments are fine
};

DownloaderArguments parseDownloaderArguments(const std::vector<std::string>& arguments);

/// The usage text.
std::string downloaderUsage();

/// Exit statuses of the utility without a window, and the one of the window
/// when no display can be reached.
inline constexpr int kExitWritten = 0, kExitFailed = 1, kExitUsage = 2, kExitNoDisplay = 3;

/// Whether a window system is named by the environment: QT_QPA_PLATFORM,
/// DISPLAY or WAYLAND_DISPLAY set and not empty.
bool displayNamed();

/// What the utility prints when its window cannot be shown.
std::string noDisplayText();

}  // namespace zadaravod::download

#pragma once

#include <string>
#include <vector>

#include "downloader/DownloadJob.h"

namespace zadaravod::download {

/// The download utility's arguments, read with Qt's QCommandLineParser:
///   V31O_DivaD_EN [<image>]                        the window, with the image chosen
///   V31O_DivaD_EN --write <image> [--backup <file>] write without a window
///   V31O_DivaD_EN --detect | --read <file> | --verify <image>
/// each job with [--programmer P] [--chip C] [--flashrom F] [--verbose].
/// The editor passes the image path as its whole parameter string, unquoted;
/// should a caller split a path with blanks into several arguments, the
/// positional arguments are joined again with single blanks.
struct DownloaderArguments {
    bool window = true;    ///< no job was named: the window
    bool verbose = false;  ///< print flashrom's output too (jobs without a window)
    bool help = false;
    bool version = false;
    DownloadRequest request;  ///< the job (its action) and its files
    std::string error;        ///< a usage error; "" when the arguments are fine
};

/// Reads `arguments` (without the program's name). Needs no application
/// object.
DownloaderArguments parseDownloaderArguments(const std::vector<std::string>& arguments);

/// Whether `argument` names a job or asks for the help or the version: with
/// one of these the utility runs without a window.
bool namesAJobOrHelp(const std::string& argument);

/// The help text (QCommandLineParser's, with the modes, the exit statuses
/// and an example). Needs a QCoreApplication, whose program name it shows.
std::string downloaderHelp();

/// "V31O_DivaD_EN 1.6": the name and version --version prints.
std::string versionText();

/// Exit statuses: 0 done (written and verified, found, read, equal), 1 the
/// job failed (the chip differs from the image, too), 2 bad arguments, or the
/// window wanted without a display.
inline constexpr int kExitDone = 0, kExitFailed = 1, kExitUsage = 2;

/// Whether a window system is named by the environment: QT_QPA_PLATFORM,
/// DISPLAY or WAYLAND_DISPLAY set and not empty.
bool displayNamed();

/// What the utility prints when its window cannot be shown: why, and how to
/// run it without a window. `program` is the name it was started by.
std::string noDisplayText(const std::string& program);

}  // namespace zadaravod::download

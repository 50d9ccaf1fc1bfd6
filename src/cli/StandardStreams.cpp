// The lone "-" on the command line: refused where a path is expected, and the
// WAV written to standard output where a command offers that.
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>

#include "cli/Cli.h"
#include "io/AtomicFile.h"
#include "io/ScratchFolder.h"

namespace zadaravod::cli {

namespace {

std::string refusalText(const char* what) {
    return std::string("zadaravod-cli: '-' (standard input/output) is not supported for ") + what +
           "; give a file name";
}

/// Writes all of `bytes` to standard output; "" or the system's reason.
std::string writeAll(const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(STDOUT_FILENO, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return std::strerror(n < 0 ? errno : EIO);
        done += static_cast<std::size_t>(n);
    }
    return {};
}

}  // namespace

bool Session::refuseStandardStream(std::initializer_list<PathArgument> paths) {
    for (const PathArgument& p : paths) {
        if (isStandardStream(p.value)) {
            usage(refusalText(p.what));
            return true;
        }
    }
    return false;
}

bool Session::refuseStandardStream(const std::vector<std::string>& values, const char* what) {
    for (const std::string& value : values) {
        if (refuseStandardStream({{value, what}})) return true;
    }
    return false;
}

void Session::writeToStandardOutput(const std::string& fileName,
                                    const std::function<Done(const std::string& path)>& write) {
    if (::isatty(STDOUT_FILENO) != 0) {
        return usage(
            "standard output is a terminal; send the WAV data to a file or a pipe "
            "(> file.wav, | program), or give a file name instead of '-'");
    }
    console.keepStandardOutputForData();
    const ScratchFolder scratch;
    if (scratch.path().empty()) {
        return refuse(
            "No temporary folder could be made for the WAV data; give a file name "
            "instead of '-'.");
    }
    const std::string path = (scratch.path() / fileName).string();
    if (const Done written = write(path); !written) return refuse(written.error());
    std::string bytes, error;
    if (!readWholeFile(path, bytes, error)) return refuse(error);
    std::cout.flush();
    if (const std::string failed = writeAll(bytes); !failed.empty()) {
        refuse("The WAV data could not be written to standard output: " + failed + ".");
    }
}

}  // namespace zadaravod::cli

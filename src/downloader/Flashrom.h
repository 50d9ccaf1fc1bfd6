#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace zadaravod::download {

/// What a finished program run gave back.
struct ProcessResult {
    bool started = false;    ///< false when the program could not be started at all
    int exitCode = -1;       ///< the exit status; -1 when killed by a signal or not started
    std::string output;      ///< standard output and standard error, interleaved
    std::string startError;  ///< why it could not be started
};

/// Runs a program to its end, waiting for it. Tests replace it to check the
/// command lines without running anything.
class ProcessRunner {
  public:
    using LineSink = std::function<void(const std::string& line)>;
    virtual ~ProcessRunner() = default;
    /// Runs `program` with `arguments`; `onLine`, when set, receives each
    /// output line as it arrives (without its line end).
    virtual ProcessResult run(const std::string& program, const std::vector<std::string>& arguments,
                              const LineSink& onLine) = 0;
};

/// Runs programs with posix_spawn, reading their merged output through a pipe.
class SystemProcessRunner : public ProcessRunner {
  public:
    ProcessResult run(const std::string& program, const std::vector<std::string>& arguments,
                      const LineSink& onLine) override;
};

/// The folders searched after the PATH: where Debian installs programs meant
/// for the administrator (flashrom goes to /usr/sbin), which an ordinary
/// user's PATH does not name.
std::vector<std::string> systemProgramFolders();

/// The full path of an executable `name` found in the folders of
/// `pathVariable` (a PATH value; an empty entry is the current folder), else
/// in `moreFolders`, in that order; `name` itself when it holds a "/" and is
/// executable; "" when there is none.
std::string findProgram(const std::string& name, const std::string& pathVariable,
                        const std::vector<std::string>& moreFolders);
/// Same, with the PATH of this process and systemProgramFolders().
std::string findProgram(const std::string& name);

/// flashrom's command lines. `programmer` is any flashrom programmer string
/// ("ch341a_spi", "dummy:emulate=SST25VF032B,image=/tmp/chip.bin");
/// `chip`, when not empty, is passed with -c.
std::vector<std::string> probeArguments(const std::string& programmer, const std::string& chip);
std::vector<std::string> writeArguments(const std::string& programmer, const std::string& chip,
                                        const std::string& file);
std::vector<std::string> readArguments(const std::string& programmer, const std::string& chip,
                                       const std::string& file);

/// What a probe (--flash-size) found.
struct ProbeResult {
    enum class Kind {
        Found,              ///< a chip of `chipBytes` bytes
        UnknownProgrammer,  ///< flashrom does not know the programmer string
        NoProgrammer,       ///< the programmer did not initialise (not plugged in)
        NoAccess,           ///< this user may not open the programmer's device
        NoChip,             ///< the programmer works but finds no chip
        SeveralChips,       ///< several chip definitions match: -c is needed
        Failed,             ///< anything else
    };
    Kind kind = Kind::Failed;
    std::int64_t chipBytes = 0;
    std::string chipName;  ///< "SST25VF032B" ("" when flashrom did not name it)
    std::string detail;    ///< the flashrom line that explains a failure
};

/// Reads flashrom's output of a --flash-size run.
ProbeResult parseProbe(const ProcessResult& run);

/// Whether one line of flashrom's output (its own, or libusb's that it
/// passes on) says that the programmer's device may not be opened by this
/// user: "Permission denied", "LIBUSB_ERROR_ACCESS", libusb's "couldn't open
/// USB device ..., errno=13" and "requires write access to USB device nodes".
bool isPermissionProblem(const std::string& line);

/// The last few lines of `output`, for messages about a failed run.
std::string lastLines(const std::string& output, int count);

}  // namespace zadaravod::download

#include "downloader/Flashrom.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>

extern char** environ;

namespace zadaravod::download {

ProcessResult SystemProcessRunner::run(const std::string& program,
                                       const std::vector<std::string>& arguments,
                                       const LineSink& onLine) {
    ProcessResult result;
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        result.startError = std::string("cannot create a pipe: ") + std::strerror(errno);
        return result;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDERR_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);

    std::vector<std::string> argvStrings;
    argvStrings.push_back(program);
    argvStrings.insert(argvStrings.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& s : argvStrings) argv.push_back(s.data());
    argv.push_back(nullptr);

    pid_t pid = 0;
    const int spawned =
        ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    if (spawned != 0) {
        ::close(fds[0]);
        result.startError = "cannot start " + program + ": " + std::strerror(spawned);
        return result;
    }
    result.started = true;

    std::string pending;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        result.output.append(buffer, static_cast<std::size_t>(n));
        pending.append(buffer, static_cast<std::size_t>(n));
        std::size_t end;
        while ((end = pending.find_first_of("\r\n")) != std::string::npos) {
            if (onLine && end > 0) onLine(pending.substr(0, end));
            pending.erase(0, end + 1);
        }
    }
    if (onLine && !pending.empty()) onLine(pending);
    ::close(fds[0]);

    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

namespace {
bool isExecutable(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}
}  // namespace

std::vector<std::string> systemProgramFolders() {
    return {"/usr/local/sbin", "/usr/sbin", "/sbin"};
}

std::string findProgram(const std::string& name, const std::string& pathVariable,
                        const std::vector<std::string>& moreFolders) {
    if (name.empty()) return {};
    if (name.find('/') != std::string::npos) return isExecutable(name) ? name : std::string();
    std::size_t start = 0;
    while (start <= pathVariable.size()) {
        std::size_t end = pathVariable.find(':', start);
        if (end == std::string::npos) end = pathVariable.size();
        // An empty PATH entry is the current folder. Built piece by piece:
        // g++ 12 at -O2 warns falsely (-Wrestrict) on assigning "." here.
        std::string candidate(1, '.');
        if (end > start) candidate = pathVariable.substr(start, end - start);
        candidate += '/';
        candidate += name;
        if (isExecutable(candidate)) return candidate;
        start = end + 1;
    }
    for (const std::string& folder : moreFolders) {
        if (folder.empty()) continue;
        const std::string candidate = folder + "/" + name;
        if (isExecutable(candidate)) return candidate;
    }
    return {};
}

std::string findProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    return findProgram(name, path ? path : "/usr/local/bin:/usr/bin:/bin", systemProgramFolders());
}

namespace {
std::vector<std::string> base(const std::string& programmer, const std::string& chip) {
    std::vector<std::string> args = {"-p", programmer};
    if (!chip.empty()) {
        args.push_back("-c");
        args.push_back(chip);
    }
    return args;
}

bool contains(const std::string& text, const char* part) {
    return text.find(part) != std::string::npos;
}

bool containsFolded(const std::string& text, const char* part) {
    std::string folded = text;
    for (char& c : folded) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return contains(folded, part);
}

std::vector<std::string> splitLines(const std::string& output) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < output.size()) {
        std::size_t end = output.find_first_of("\r\n", start);
        if (end == std::string::npos) end = output.size();
        if (end > start) lines.push_back(output.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}
}  // namespace

std::vector<std::string> probeArguments(const std::string& programmer, const std::string& chip) {
    auto args = base(programmer, chip);
    args.push_back("--flash-size");
    return args;
}

std::vector<std::string> writeArguments(const std::string& programmer, const std::string& chip,
                                        const std::string& file) {
    // flashrom's own verification is left out: the chip is read back and
    // compared afterwards, which checks the same and names the first bad byte.
    auto args = base(programmer, chip);
    args.insert(args.end(), {"--noverify", "-w", file});
    return args;
}

std::vector<std::string> readArguments(const std::string& programmer, const std::string& chip,
                                       const std::string& file) {
    auto args = base(programmer, chip);
    args.insert(args.end(), {"-r", file});
    return args;
}

bool isPermissionProblem(const std::string& line) {
    // `part`s are lower case: the match ignores case.
    for (const char* part : {"permission denied", "libusb_error_access", "insufficient permissions",
                             "couldn't open usb device", "could not open usb device",
                             "requires write access", "errno=13"}) {
        if (containsFolded(line, part)) return true;
    }
    return false;
}

ProbeResult parseProbe(const ProcessResult& run) {
    ProbeResult probe;
    const std::vector<std::string> lines = splitLines(run.output);
    // A device this user may not open makes the programmer fail to start:
    // that is the cause to report, not the failure that follows from it.
    for (const std::string& line : lines) {
        if (isPermissionProblem(line)) {
            probe.kind = ProbeResult::Kind::NoAccess;
            probe.detail = line;
            return probe;
        }
    }
    for (const std::string& line : lines) {
        if (contains(line, "Unknown programmer")) {
            probe.kind = ProbeResult::Kind::UnknownProgrammer;
            probe.detail = line;
            return probe;
        }
        if (contains(line, "Programmer initialization failed") ||
            contains(line, "Couldn't open device") || contains(line, "No programmer")) {
            probe.kind = ProbeResult::Kind::NoProgrammer;
            if (probe.detail.empty() || contains(line, "Couldn't open")) probe.detail = line;
        }
        if (contains(line, "Multiple flash chip definitions match")) {
            probe.kind = ProbeResult::Kind::SeveralChips;
            probe.detail = line;
        }
        const auto found = line.find(" flash chip \"");
        if (line.rfind("Found ", 0) == 0 && found != std::string::npos) {
            const auto begin = found + std::strlen(" flash chip \"");
            const auto end = line.find('"', begin);
            if (end != std::string::npos) probe.chipName = line.substr(begin, end - begin);
        }
    }
    if (probe.kind == ProbeResult::Kind::NoProgrammer ||
        probe.kind == ProbeResult::Kind::SeveralChips) {
        return probe;
    }
    for (const std::string& line : lines) {
        if (contains(line, "No EEPROM/flash device found")) {
            probe.kind = ProbeResult::Kind::NoChip;
            probe.detail = line;
            return probe;
        }
    }
    if (run.exitCode == 0) {
        // The size is the last line, digits only.
        for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
            const std::string& line = *it;
            if (line.empty() || line.size() > 15) continue;
            bool digits = true;
            for (char c : line) digits = digits && c >= '0' && c <= '9';
            if (!digits) continue;
            probe.chipBytes = std::stoll(line);
            probe.kind = probe.chipBytes > 0 ? ProbeResult::Kind::Found : ProbeResult::Kind::Failed;
            return probe;
        }
    }
    probe.kind = ProbeResult::Kind::Failed;
    probe.detail = lastLines(run.output, 3);
    return probe;
}

std::string lastLines(const std::string& output, int count) {
    const std::vector<std::string> lines = splitLines(output);
    std::string out;
    const std::size_t first = lines.size() > static_cast<std::size_t>(count)
                                  ? lines.size() - static_cast<std::size_t>(count)
                                  : 0;
    for (std::size_t i = first; i < lines.size(); ++i) {
        if (!out.empty()) out += '\n';
        out += lines[i];
    }
    return out;
}

}  // namespace zadaravod::download

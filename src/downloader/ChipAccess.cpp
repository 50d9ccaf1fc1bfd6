#include "downloader/ChipAccess.h"

#include <pwd.h>
#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "io/AtomicFile.h"

namespace zadaravod::download {
namespace fs = std::filesystem;

std::string hexText(std::int64_t value, int width) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "0x%0*llX", width, static_cast<long long>(value));
    return buffer;
}

std::string userName() {
    if (const char* user = std::getenv("USER"); user != nullptr && *user != '\0') return user;
    if (const passwd* entry = ::getpwuid(::getuid()); entry != nullptr && entry->pw_name) {
        return entry->pw_name;
    }
    return "$USER";
}

namespace {

std::string withoutTrailingDots(std::string text) {
    while (!text.empty() && (text.back() == '.' || text.back() == ' ')) text.pop_back();
    return text;
}

bool mentions(const std::string& text, const char* part) {
    return text.find(part) != std::string::npos;
}

/// What to do when this user may not open the programmer's device. Serial
/// programmers (/dev/ttyUSB…, /dev/ttyACM…) belong to the group dialout;
/// Debian's flashrom package gives the group plugdev the usual USB
/// programmers through its udev rules.
std::string noAccessMessage(const std::string& programmer, const std::string& detail) {
    std::string text = "This user may not use the programmer \"" + programmer +
                       "\" (flashrom: " + withoutTrailingDots(detail) + "). ";
    const bool serial = mentions(programmer, "/dev/tty") || mentions(detail, "/dev/tty") ||
                        mentions(detail, "serial port");
    const bool spidev = mentions(programmer, "/dev/spidev") || mentions(detail, "/dev/spidev");
    if (serial) {
        return text +
               "Serial ports belong to the group dialout: add yourself to it with \"sudo "
               "adduser " +
               userName() + " dialout\", log out and in again, then try again.";
    }
    if (spidev) {
        return text +
               "The SPI device file belongs to root: run the download as root, or give "
               "this user access to it with a udev rule, then try again.";
    }
    return text +
           "Debian's flashrom package lets the group plugdev use the usual USB "
           "programmers, the CH341A included: add yourself to that group with \"sudo "
           "adduser " +
           userName() +
           " plugdev\", log out and in again, unplug the programmer and plug it in again, then "
           "try again.";
}

std::string runFailure(const char* what, const ProcessResult& run) {
    if (!run.started) {
        return std::string("flashrom could not be started to ") + what + ": " + run.startError;
    }
    return std::string("flashrom could not ") + what + " (exit status " +
           std::to_string(run.exitCode) + "). Its last lines:\n" + lastLines(run.output, 4) +
           "\nCheck the programmer's cable and the clip on the chip, then try again.";
}

}  // namespace

ChipAccess::ChipAccess(const DownloadRequest& request, ProcessRunner& runner,
                       DownloadObserver* observer)
    : request_(request), runner_(runner), observer_(observer) {}

void ChipAccess::step(const std::string& text, int percent) {
    if (observer_) observer_->step(text, percent);
}

ProcessRunner::LineSink ChipAccess::sink() const {
    if (!observer_) return {};
    return [o = observer_](const std::string& line) { o->outputLine(line); };
}

std::string ChipAccess::probe(DownloadReport& report) {
    if (request_.programmer.empty()) {
        return "No programmer was given. Choose the programmer, for example " +
               std::string(kDefaultProgrammer) + ".";
    }
    const std::string wanted = request_.flashrom.empty() ? "flashrom" : request_.flashrom;
    flashrom_ = findProgram(wanted);
    if (flashrom_.empty()) {
        return "flashrom is not installed (no \"" + wanted +
               "\" program was found on the PATH, in /usr/local/sbin, /usr/sbin or /sbin). "
               "Install it, for example with \"sudo apt install flashrom\", and try again.";
    }

    step("Looking for the programmer " + request_.programmer + " and its flash chip", 5);
    report.flashromRan = true;
    const ProcessResult run =
        runner_.run(flashrom_, probeArguments(request_.programmer, request_.chip), sink());
    if (!run.started) return runFailure("run", run);
    const ProbeResult probe = parseProbe(run);
    report.chipName = probe.chipName;
    switch (probe.kind) {
        case ProbeResult::Kind::Found:
            break;
        case ProbeResult::Kind::UnknownProgrammer:
            return "flashrom does not know the programmer \"" + request_.programmer +
                   "\". Choose one of the programmers flashrom lists (\"flashrom --help\"), for "
                   "example ch341a_spi.";
        case ProbeResult::Kind::NoAccess:
            return noAccessMessage(request_.programmer, probe.detail);
        case ProbeResult::Kind::NoProgrammer:
            return "No programmer found: flashrom could not open the programmer \"" +
                   request_.programmer + "\" (" + withoutTrailingDots(probe.detail) +
                   "). Plug it in and try again. If it is plugged in, this user may lack the "
                   "right to use it: Debian's flashrom package gives it to the group plugdev "
                   "(\"sudo adduser " +
                   userName() + " plugdev\", then log in again).";
        case ProbeResult::Kind::NoChip:
            return "The programmer works, but no flash chip answers. Check that the clip sits on "
                   "the chip with pin 1 on pin 1 and that the chip has power, then try again.";
        case ProbeResult::Kind::SeveralChips:
            return "Several chip types match the chip found (" + probe.detail +
                   "). Give the chip's name (flashrom -c) and try again.";
        case ProbeResult::Kind::Failed:
            return runFailure("find the flash chip", run);
    }
    report.chipBytes = probe.chipBytes;
    chipText_ = probe.chipName.empty() ? std::string("the chip") : "\"" + probe.chipName + "\"";
    return {};
}

std::string ChipAccess::readInto(const std::string& path, std::int64_t chipBytes) {
    PendingFile pending{fs::path(path)};
    if (!pending.error().empty()) return pending.error();
    const ProcessResult run = runner_.run(
        flashrom_,
        readArguments(request_.programmer, request_.chip, pending.temporaryPath().string()),
        sink());
    if (!run.started || run.exitCode != 0) return runFailure("read the chip", run);
    std::error_code ec;
    const auto bytes = fs::file_size(pending.temporaryPath(), ec);
    if (ec || static_cast<std::int64_t>(bytes) != chipBytes) {
        return "flashrom read " + (ec ? std::string("nothing") : std::to_string(bytes) + " bytes") +
               " from " + chipText_ + ", which holds " + std::to_string(chipBytes) +
               " bytes. Check the programmer's cable and the clip on the chip, then try again.";
    }
    return pending.commit();
}

std::string ChipAccess::write(const std::string& path) {
    const ProcessResult run =
        runner_.run(flashrom_, writeArguments(request_.programmer, request_.chip, path), sink());
    if (!run.started || run.exitCode != 0) return runFailure("write the chip", run);
    return {};
}

}  // namespace zadaravod::download

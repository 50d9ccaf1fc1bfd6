#include "downloader/DownloadJob.h"

#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "io/AtomicFile.h"

namespace zadaravod::download {
namespace fs = std::filesystem;

namespace {

std::string hex(std::int64_t v, int width) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "0x%0*llX", width, static_cast<long long>(v));
    return buffer;
}

/// A private folder under the temporary folder, removed with its content.
class ScratchFolder {
  public:
    ScratchFolder() {
        std::error_code ec;
        std::string pattern = (fs::temp_directory_path(ec) / "zadaravod-download-XXXXXX").string();
        if (ec) pattern = "/tmp/zadaravod-download-XXXXXX";
        if (::mkdtemp(pattern.data())) path_ = pattern;
    }
    ~ScratchFolder() {
        std::error_code ec;
        if (!path_.empty()) fs::remove_all(path_, ec);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

class Steps {
  public:
    explicit Steps(DownloadObserver* o) : observer_(o) {}
    void step(const std::string& text, int percent) {
        if (observer_) observer_->step(text, percent);
    }
    ProcessRunner::LineSink sink() {
        if (!observer_) return {};
        return [o = observer_](const std::string& line) { o->outputLine(line); };
    }

  private:
    DownloadObserver* observer_;
};

DownloadReport fail(DownloadReport report, std::string message) {
    report.ok = false;
    report.message = std::move(message);
    return report;
}

std::string runFailure(const char* what, const ProcessResult& run) {
    if (!run.started)
        return std::string("flashrom could not be started to ") + what + ": " + run.startError;
    return std::string("flashrom could not ") + what + " (exit status " +
           std::to_string(run.exitCode) + "). Its last lines:\n" + lastLines(run.output, 4) +
           "\nCheck the programmer's cable and the clip on the chip, then try again.";
}

}  // namespace

std::string checkImageFile(const std::string& path, std::int64_t& bytes) {
    bytes = 0;
    if (path.empty()) return "No image was given. Choose the image file (*.bin) to write.";
    std::error_code ec;
    if (!fs::exists(path, ec)) {
        return "The image " + path +
               " does not exist. Build the project first (F4), then try again.";
    }
    if (!fs::is_regular_file(path, ec)) return "The image " + path + " is not a file.";
    const auto size = fs::file_size(path, ec);
    if (ec) return "The image " + path + " cannot be read: " + ec.message() + ".";
    bytes = static_cast<std::int64_t>(size);
    if (bytes == 0) return "The image " + path + " is empty. Build the project again.";
    if (bytes > kMaxImageBytes) {
        return "The image " + path + " has " + std::to_string(bytes) +
               " bytes, more than the largest flash the LARK40 takes (4M: " +
               std::to_string(kMaxImageBytes) +
               " bytes). Remove sounds or lower their sampling rates and build it again.";
    }
    return {};
}

std::vector<std::uint8_t> padImage(std::span<const std::uint8_t> image, std::int64_t chipBytes) {
    const std::size_t total = std::max(
        image.size(), chipBytes > 0 ? static_cast<std::size_t>(chipBytes) : std::size_t{0});
    std::vector<std::uint8_t> padded(total, 0xFF);
    std::copy(image.begin(), image.end(), padded.begin());
    return padded;
}

std::int64_t firstDifference(std::span<const std::uint8_t> expected,
                             std::span<const std::uint8_t> readBack) {
    const std::size_t n = std::min(expected.size(), readBack.size());
    for (std::size_t i = 0; i < n; ++i) {
        if (expected[i] != readBack[i]) return static_cast<std::int64_t>(i);
    }
    if (expected.size() != readBack.size()) return static_cast<std::int64_t>(n);
    return -1;
}

DownloadReport runDownload(const DownloadRequest& request, ProcessRunner& runner,
                           DownloadObserver* observer) {
    DownloadReport report;
    Steps steps(observer);

    steps.step("Checking the image " + request.imagePath, 0);
    std::string problem = checkImageFile(request.imagePath, report.imageBytes);
    if (!problem.empty()) return fail(report, problem);
    if (request.programmer.empty()) {
        return fail(report, "No programmer was given. Choose the programmer, for example " +
                                std::string(kDefaultProgrammer) + ".");
    }
    std::string imageText;
    std::string error;
    if (!readWholeFile(request.imagePath, imageText, error,
                       static_cast<std::uintmax_t>(kMaxImageBytes))) {
        return fail(report, error);
    }
    const std::span<const std::uint8_t> image(
        reinterpret_cast<const std::uint8_t*>(imageText.data()), imageText.size());
    report.imageBytes = static_cast<std::int64_t>(image.size());

    const std::string flashrom =
        findProgram(request.flashrom.empty() ? "flashrom" : request.flashrom);
    if (flashrom.empty()) {
        return fail(report,
                    "flashrom is not installed (no \"" +
                        (request.flashrom.empty() ? std::string("flashrom") : request.flashrom) +
                        "\" program was found on the PATH, in /usr/local/sbin, /usr/sbin "
                        "or /sbin). Install it, for example with "
                        "\"sudo apt install flashrom\", and try again.");
    }

    steps.step("Looking for the programmer " + request.programmer + " and its flash chip", 5);
    report.flashromRan = true;
    const ProcessResult probeRun =
        runner.run(flashrom, probeArguments(request.programmer, request.chip), steps.sink());
    if (!probeRun.started) return fail(report, runFailure("run", probeRun));
    const ProbeResult probe = parseProbe(probeRun);
    report.chipName = probe.chipName;
    switch (probe.kind) {
        case ProbeResult::Kind::Found:
            break;
        case ProbeResult::Kind::UnknownProgrammer:
            return fail(report, "flashrom does not know the programmer \"" + request.programmer +
                                    "\". Choose one of the programmers flashrom lists "
                                    "(\"flashrom --help\"), for example ch341a_spi.");
        case ProbeResult::Kind::NoProgrammer: {
            std::string detail = probe.detail;
            while (!detail.empty() && (detail.back() == '.' || detail.back() == ' '))
                detail.pop_back();
            return fail(report,
                        "No programmer found: flashrom could not open the programmer \"" +
                            request.programmer + "\" (" + detail +
                            "). Plug it in, check that this user may use it (a udev rule for "
                            "the USB device, or run as root), and try again.");
        }
        case ProbeResult::Kind::NoChip:
            return fail(report,
                        "The programmer works, but no flash chip answers. Check that the clip "
                        "sits on the chip with pin 1 on pin 1 and that the chip has power, "
                        "then try again.");
        case ProbeResult::Kind::SeveralChips:
            return fail(report, "Several chip types match the chip found (" + probe.detail +
                                    "). Give the chip's name (flashrom -c) and try again.");
        case ProbeResult::Kind::Failed:
            return fail(report, runFailure("find the flash chip", probeRun));
    }
    report.chipBytes = probe.chipBytes;
    const std::string chipText =
        (probe.chipName.empty() ? std::string("the chip") : "\"" + probe.chipName + "\"");
    if (report.chipBytes < report.imageBytes) {
        return fail(report, "The flash chip " + chipText + " holds " +
                                std::to_string(report.chipBytes) + " bytes, but the image has " +
                                std::to_string(report.imageBytes) +
                                " bytes. Fit a bigger chip, or build the project for a smaller "
                                "flash size.");
    }

    ScratchFolder scratch;
    if (scratch.path().empty()) {
        return fail(report, "No temporary folder could be made for the padded image.");
    }
    const std::vector<std::uint8_t> padded = padImage(image, report.chipBytes);
    const std::string paddedPath = scratch.path() + "/image-padded.bin";
    const std::string readPath = scratch.path() + "/read-back.bin";
    error = writeFileAtomically(paddedPath, padded);
    if (!error.empty()) return fail(report, error);

    steps.step("Writing " + std::to_string(report.imageBytes) + " bytes (padded with 0xFF to " +
                   std::to_string(report.chipBytes) + ") to " + chipText,
               15);
    const ProcessResult writeRun = runner.run(
        flashrom, writeArguments(request.programmer, request.chip, paddedPath), steps.sink());
    if (!writeRun.started || writeRun.exitCode != 0) {
        return fail(report, runFailure("write the chip", writeRun));
    }

    steps.step("Reading the chip back", 60);
    const ProcessResult readRun = runner.run(
        flashrom, readArguments(request.programmer, request.chip, readPath), steps.sink());
    if (!readRun.started || readRun.exitCode != 0) {
        return fail(report, runFailure("read the chip back", readRun));
    }

    steps.step("Comparing", 95);
    std::string readText;
    if (!readWholeFile(readPath, readText, error, static_cast<std::uintmax_t>(padded.size()) + 1)) {
        return fail(report, "The chip's content could not be read back: " + error);
    }
    const std::span<const std::uint8_t> readBack(
        reinterpret_cast<const std::uint8_t*>(readText.data()), readText.size());
    const std::int64_t bad = firstDifference(padded, readBack);
    if (bad >= 0) {
        std::string detail;
        if (static_cast<std::size_t>(bad) < readBack.size()) {
            detail = "the byte at " + hex(bad, 6) + " reads " +
                     hex(readBack[static_cast<std::size_t>(bad)], 2) + " instead of " +
                     hex(padded[static_cast<std::size_t>(bad)], 2);
        } else {
            detail = "only " + std::to_string(readBack.size()) + " bytes came back";
        }
        return fail(report, "Verification failed: " + detail +
                                ". Write it again; if this repeats, check the connection and "
                                "the chip.");
    }
    steps.step("Done", 100);
    report.ok = true;
    report.message = "Done: the image (" + std::to_string(report.imageBytes) +
                     " bytes) was written to " + chipText + " (" +
                     std::to_string(report.chipBytes) + " bytes) through " + request.programmer +
                     ", read back and found equal.";
    return report;
}

}  // namespace zadaravod::download

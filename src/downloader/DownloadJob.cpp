#include "downloader/DownloadJob.h"

#include <algorithm>
#include <filesystem>

#include "downloader/ChipAccess.h"
#include "io/AtomicFile.h"
#include "io/ScratchFolder.h"

namespace zadaravod::download {
namespace fs = std::filesystem;

namespace {

DownloadReport fail(DownloadReport report, std::string message) {
    report.ok = false;
    report.message = std::move(message);
    return report;
}

std::span<const std::uint8_t> bytesOf(const std::string& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

/// Checks and loads the request's image into `bytes`; "" or the message.
std::string loadImage(const DownloadRequest& request, DownloadReport& report, std::string& bytes) {
    std::string problem = checkImageFile(request.imagePath, report.imageBytes);
    if (!problem.empty()) return problem;
    std::string error;
    if (!readWholeFile(request.imagePath, bytes, error,
                       static_cast<std::uintmax_t>(kMaxImageBytes))) {
        return error;
    }
    report.imageBytes = static_cast<std::int64_t>(bytes.size());
    return {};
}

std::string chipTooSmall(const ChipAccess& chip, const DownloadReport& report) {
    return "The flash chip " + chip.chipText() + " holds " + std::to_string(report.chipBytes) +
           " bytes, but the image has " + std::to_string(report.imageBytes) +
           " bytes. Fit a bigger chip, or build the project for a smaller flash size.";
}

/// "the byte at 0x000009 reads 0xFE instead of 0xFF", or, past the end of
/// what was read, how much came back.
std::string differenceText(std::span<const std::uint8_t> expected,
                           std::span<const std::uint8_t> found, std::int64_t at) {
    const auto i = static_cast<std::size_t>(at);
    if (i >= found.size()) return "only " + std::to_string(found.size()) + " bytes came back";
    return "the byte at " + hexText(at, 6) + " reads " + hexText(found[i], 2) + " instead of " +
           hexText(expected[i], 2);
}

/// Reads the whole chip into `scratch` and loads it into `bytes`.
std::string readChipContent(ChipAccess& chip, const DownloadReport& report, const fs::path& scratch,
                            std::string& bytes) {
    const std::string path = (scratch / "chip-content.bin").string();
    if (std::string error = chip.readInto(path, report.chipBytes); !error.empty()) return error;
    std::string error;
    if (!readWholeFile(path, bytes, error, static_cast<std::uintmax_t>(report.chipBytes) + 1)) {
        return "The chip's content could not be read back: " + error;
    }
    return {};
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
    const auto mismatch = std::mismatch(expected.begin(), expected.begin() + n, readBack.begin());
    if (mismatch.first != expected.begin() + n) {
        return static_cast<std::int64_t>(mismatch.first - expected.begin());
    }
    if (expected.size() != readBack.size()) return static_cast<std::int64_t>(n);
    return -1;
}

DownloadReport runDownload(const DownloadRequest& request, ProcessRunner& runner,
                           DownloadObserver* observer) {
    DownloadReport report;
    ChipAccess chip(request, runner, observer);
    chip.step("Checking the image " + request.imagePath, 0);
    std::string imageText;
    if (std::string problem = loadImage(request, report, imageText); !problem.empty()) {
        return fail(report, problem);
    }
    const bool backup = !request.backupPath.empty();
    std::error_code ec;
    if (backup && fs::equivalent(request.backupPath, request.imagePath, ec)) {
        return fail(report, "The chip's content would replace the image " + request.imagePath +
                                " itself. Save it into another file.");
    }
    if (std::string problem = chip.probe(report); !problem.empty()) return fail(report, problem);
    if (report.chipBytes < report.imageBytes) return fail(report, chipTooSmall(chip, report));

    if (backup) {
        chip.step("Saving the chip's present content into " + request.backupPath, 10);
        if (std::string error = chip.readInto(request.backupPath, report.chipBytes);
            !error.empty()) {
            return fail(report,
                        "Nothing was written: the chip's present content could not be "
                        "saved first. " +
                            error);
        }
        report.savedPath = request.backupPath;
    }

    ScratchFolder scratch;
    if (scratch.path().empty()) {
        return fail(report, "No temporary folder could be made for the padded image.");
    }
    const std::vector<std::uint8_t> padded = padImage(bytesOf(imageText), report.chipBytes);
    const std::string paddedPath = (scratch.path() / "image-padded.bin").string();
    if (std::string error = writeFileAtomically(paddedPath, padded); !error.empty()) {
        return fail(report, error);
    }

    chip.step("Writing " + std::to_string(report.imageBytes) + " bytes (padded with 0xFF to " +
                  std::to_string(report.chipBytes) + ") to " + chip.chipText(),
              backup ? 35 : 15);
    if (std::string error = chip.write(paddedPath); !error.empty()) return fail(report, error);

    chip.step("Reading the chip back", backup ? 65 : 60);
    std::string readText;
    if (std::string error = readChipContent(chip, report, scratch.path(), readText);
        !error.empty()) {
        return fail(report, error);
    }
    chip.step("Comparing", 95);
    const std::int64_t bad = firstDifference(padded, bytesOf(readText));
    if (bad >= 0) {
        return fail(report,
                    "Verification failed: " + differenceText(padded, bytesOf(readText), bad) +
                        ". Write it again; if this repeats, check the connection and "
                        "the chip.");
    }
    chip.step("Done", 100);
    report.ok = true;
    report.message = "Done: the image (" + std::to_string(report.imageBytes) +
                     " bytes) was written to " + chip.chipText() + " (" +
                     std::to_string(report.chipBytes) + " bytes) through " + request.programmer +
                     ", read back and found equal.";
    if (backup)
        report.message += " The chip's earlier content is saved in " + report.savedPath + ".";
    return report;
}

DownloadReport runDetect(const DownloadRequest& request, ProcessRunner& runner,
                         DownloadObserver* observer) {
    DownloadReport report;
    ChipAccess chip(request, runner, observer);
    if (std::string problem = chip.probe(report); !problem.empty()) return fail(report, problem);
    chip.step("Done", 100);
    report.ok = true;
    report.message = "Found the flash chip " + chip.chipText() + " on the programmer " +
                     request.programmer + ": " + std::to_string(report.chipBytes) + " bytes (" +
                     std::to_string(report.chipBytes / 1024) + " KiB).";
    return report;
}

DownloadReport runRead(const DownloadRequest& request, ProcessRunner& runner,
                       DownloadObserver* observer) {
    DownloadReport report;
    if (request.readPath.empty()) {
        return fail(report, "No file was given to save the chip's content into.");
    }
    ChipAccess chip(request, runner, observer);
    if (std::string problem = chip.probe(report); !problem.empty()) return fail(report, problem);
    chip.step("Reading " + std::to_string(report.chipBytes) + " bytes from " + chip.chipText() +
                  " into " + request.readPath,
              20);
    if (std::string error = chip.readInto(request.readPath, report.chipBytes); !error.empty()) {
        return fail(report, error);
    }
    chip.step("Done", 100);
    report.ok = true;
    report.savedPath = request.readPath;
    report.message = "Done: the whole content of " + chip.chipText() + " (" +
                     std::to_string(report.chipBytes) + " bytes) is saved in " + request.readPath +
                     ".";
    return report;
}

DownloadReport runVerify(const DownloadRequest& request, ProcessRunner& runner,
                         DownloadObserver* observer) {
    DownloadReport report;
    ChipAccess chip(request, runner, observer);
    chip.step("Checking the image " + request.imagePath, 0);
    std::string imageText;
    if (std::string problem = loadImage(request, report, imageText); !problem.empty()) {
        return fail(report, problem);
    }
    if (std::string problem = chip.probe(report); !problem.empty()) return fail(report, problem);
    if (report.chipBytes < report.imageBytes) return fail(report, chipTooSmall(chip, report));

    ScratchFolder scratch;
    if (scratch.path().empty()) {
        return fail(report, "No temporary folder could be made for the chip's content.");
    }
    chip.step("Reading " + chip.chipText(), 20);
    std::string chipText;
    if (std::string error = readChipContent(chip, report, scratch.path(), chipText);
        !error.empty()) {
        return fail(report, error);
    }
    chip.step("Comparing", 95);
    const auto image = bytesOf(imageText);
    const auto content = bytesOf(chipText);
    const auto held = content.first(std::min(content.size(), image.size()));
    report.firstDifference = firstDifference(image, held);
    if (report.firstDifference >= 0) {
        return fail(report, "The chip differs from the image: " +
                                differenceText(image, held, report.firstDifference) +
                                ". Write the image to make them equal.");
    }
    const auto rest = content.subspan(held.size());
    const auto notErased =
        std::find_if(rest.begin(), rest.end(), [](std::uint8_t b) { return b != 0xFF; });
    chip.step("Done", 100);
    report.ok = true;
    report.message = "The chip " + chip.chipText() + " holds the image: its first " +
                     std::to_string(report.imageBytes) + " bytes are equal to it";
    if (rest.empty()) {
        report.message += ".";
    } else if (notErased == rest.end()) {
        report.message += ", and the rest is erased (0xFF).";
    } else {
        report.message += "; the rest is not erased (from " +
                          hexText(static_cast<std::int64_t>(notErased - content.begin()), 6) +
                          "), which a write would change.";
    }
    return report;
}

DownloadReport runJob(const DownloadRequest& request, ProcessRunner& runner,
                      DownloadObserver* observer) {
    switch (request.action) {
        case Action::Detect:
            return runDetect(request, runner, observer);
        case Action::Read:
            return runRead(request, runner, observer);
        case Action::Verify:
            return runVerify(request, runner, observer);
        case Action::Write:
            break;
    }
    return runDownload(request, runner, observer);
}

std::string backupFileName(const std::string& folder, std::time_t when) {
    std::tm local{};
    ::localtime_r(&when, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    const fs::path base = fs::path(folder) / (std::string("chip-before-write-") + stamp);
    fs::path candidate = base;
    candidate += ".bin";
    // A name that cannot be checked (a folder this user may not read) is
    // taken as it is: the write of the backup then says what is wrong.
    for (int n = 2; n < 1000; ++n) {
        std::error_code ec;
        const fs::file_type type = fs::symlink_status(candidate, ec).type();
        if (type == fs::file_type::not_found || type == fs::file_type::none) break;
        candidate = base;
        candidate += "-" + std::to_string(n) + ".bin";
    }
    return candidate.string();
}

}  // namespace zadaravod::download

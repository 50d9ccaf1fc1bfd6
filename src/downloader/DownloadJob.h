#pragma once

#include <cstdint>
#include <ctime>
#include <span>
#include <string>
#include <vector>

#include "downloader/Flashrom.h"

namespace zadaravod::download {

/// The largest flash the LARK40 takes ("4M", 32 Mbit): 4 MiB.
inline constexpr std::int64_t kMaxImageBytes = std::int64_t{4} << 20;
inline constexpr const char* kDefaultProgrammer = "ch341a_spi";

/// What a job does with the chip.
enum class Action {
    Write,   ///< write the image (after saving the chip's content when asked), read back, compare
    Detect,  ///< name the programmer, the chip and its size
    Read,    ///< save the chip's whole content into a file
    Verify,  ///< compare the chip with the image, writing nothing
};

/// One job: what to do, with which image or file, through which programmer.
struct DownloadRequest {
    Action action = Action::Write;
    std::string imagePath;                        ///< Write, Verify: the image
    std::string programmer = kDefaultProgrammer;  ///< any flashrom programmer string
    std::string chip;        ///< flashrom chip name for -c; "" lets flashrom find it
    std::string flashrom;    ///< the flashrom program; "" finds it (findProgram())
    std::string backupPath;  ///< Write: save the chip's present content here first; "" does not
    std::string readPath;    ///< Read: the file that receives the chip's content
};

/// How a job ended. `message` says what happened and, on failure, what to
/// do about it.
struct DownloadReport {
    bool ok = false;
    std::string message;
    std::int64_t imageBytes = 0;
    std::int64_t chipBytes = 0;
    std::string chipName;
    bool flashromRan = false;           ///< whether flashrom was started at all
    std::int64_t firstDifference = -1;  ///< Verify: the first offset where chip and image differ
    std::string savedPath;              ///< Read, and Write with a backup: the file written
};

/// Receives the progress of a download. Every method has an empty default.
class DownloadObserver {
  public:
    virtual ~DownloadObserver() = default;
    /// A new step ("Probing the programmer ..."), with its progress 0..100.
    virtual void step(const std::string& text, int percent) {
        (void)text;
        (void)percent;
    }
    /// One line of flashrom's output.
    virtual void outputLine(const std::string& line) { (void)line; }
};

/// Checks an image file before anything runs: it exists, is not empty and
/// is not larger than 4 MiB. Returns "" when it may be written, else the
/// message for the user. `bytes` receives the file's size.
std::string checkImageFile(const std::string& path, std::int64_t& bytes);

/// The image followed by 0xFF up to `chipBytes` (flashrom writes whole chips;
/// 0xFF is what an erased flash reads). `chipBytes` must not be below the
/// image's size.
std::vector<std::uint8_t> padImage(std::span<const std::uint8_t> image, std::int64_t chipBytes);

/// The first offset where `readBack` differs from `expected`, or -1 when the
/// two are equal (a shorter read-back differs at its end).
std::int64_t firstDifference(std::span<const std::uint8_t> expected,
                             std::span<const std::uint8_t> readBack);

/// Writes the image into the chip: checks the image, finds flashrom, probes
/// the programmer and the chip's size, saves the chip's present content into
/// `backupPath` when one is given (and stops when that fails), writes the
/// padded image, reads the chip back and compares. Runs flashrom through
/// `runner`; reports through `observer` (may be null). Blocks until done.
/// Temporary files live in a private folder under the system's temporary
/// folder and are removed.
DownloadReport runDownload(const DownloadRequest& request, ProcessRunner& runner,
                           DownloadObserver* observer = nullptr);

/// Probes the programmer and names what it found: the chip and its size.
DownloadReport runDetect(const DownloadRequest& request, ProcessRunner& runner,
                         DownloadObserver* observer = nullptr);

/// Saves the chip's whole content into `readPath`, atomically: the file is
/// replaced only by a complete read of the chip's size.
DownloadReport runRead(const DownloadRequest& request, ProcessRunner& runner,
                       DownloadObserver* observer = nullptr);

/// Compares the chip with the image, writing nothing. The image's bytes
/// count: a chip that differs names the first differing offset
/// (`firstDifference`); the message also says whether the rest of the chip
/// is erased (0xFF), as a write leaves it.
DownloadReport runVerify(const DownloadRequest& request, ProcessRunner& runner,
                         DownloadObserver* observer = nullptr);

/// The job `request.action` names.
DownloadReport runJob(const DownloadRequest& request, ProcessRunner& runner,
                      DownloadObserver* observer = nullptr);

/// Where the window saves the chip's content before a write: in `folder`,
/// "chip-before-write-YYYYMMDD-HHMMSS.bin" of the local time `when`; a file of
/// that name that exists already is never chosen ("-2", "-3", ... follow).
std::string backupFileName(const std::string& folder, std::time_t when);

}  // namespace zadaravod::download

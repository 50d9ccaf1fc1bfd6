#pragma once

#include <cstdint>
#include <string>

#include "downloader/DownloadJob.h"

namespace zadaravod::download {

/// The steps every job on the chip shares, each one flashrom run: find the
/// program and probe the programmer and its chip, read the whole chip into a
/// file, write a whole-chip file into it. Every step returns "" when it
/// worked, else the message for the user (what failed and what to do).
/// Holds references to the request, the runner and the observer, which must
/// outlive it.
class ChipAccess {
  public:
    ChipAccess(const DownloadRequest& request, ProcessRunner& runner, DownloadObserver* observer);

    /// Passes a step and its progress (0..100) to the observer.
    void step(const std::string& text, int percent);

    /// Finds flashrom and asks it for the chip's size. Fills the report's
    /// chipName, chipBytes and flashromRan.
    std::string probe(DownloadReport& report);

    /// Reads the whole chip (`chipBytes`, as probed) into `path`: flashrom
    /// writes a temporary file beside it, which is renamed over `path` only
    /// once the read ended well and has the chip's size, so `path` is never
    /// left half written.
    std::string readInto(const std::string& path, std::int64_t chipBytes);

    /// Writes the file `path` (exactly the chip's size) into the chip,
    /// without flashrom's own verification (the callers read back).
    std::string write(const std::string& path);

    /// The chip as messages name it: "\"SST25VF032B\"", or "the chip" when
    /// the probe did not name it (valid after probe()).
    const std::string& chipText() const { return chipText_; }

  private:
    ProcessRunner::LineSink sink() const;

    const DownloadRequest& request_;
    ProcessRunner& runner_;
    DownloadObserver* observer_;
    std::string flashrom_;
    std::string chipText_ = "the chip";
};

/// "0x0001F4" for (500, 6): `value` in hexadecimal, upper case, `width` digits.
std::string hexText(std::int64_t value, int width);

/// The user's login name for the advice on group membership ("$USER" when
/// it cannot be found).
std::string userName();

}  // namespace zadaravod::download

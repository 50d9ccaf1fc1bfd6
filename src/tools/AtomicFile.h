#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

namespace zadaravod {

/// Writes `bytes` to `path` atomically: the data goes to a temporary file in
/// the same folder, is flushed, and is then renamed over `path`. On failure the
/// old file (if any) is untouched, no temporary file is left behind, and the
/// returned text says what went wrong; on success the text is empty.
std::string writeFileAtomically(const std::filesystem::path& path,
                                std::span<const std::uint8_t> bytes);

/// Reads a whole file. Returns false and sets `error` (naming the file and the
/// system's reason) when it cannot be read. Files larger than `maxBytes` are
/// refused instead of being loaded.
bool readWholeFile(const std::filesystem::path& path, std::string& bytes, std::string& error,
                   std::uintmax_t maxBytes = std::uintmax_t{1} << 31);

/// A temporary file beside `target` that is renamed over it by commit(), and
/// removed by the destructor when commit() was never reached. For writers that
/// stream their output rather than building it in memory.
class PendingFile {
public:
    explicit PendingFile(std::filesystem::path target);
    ~PendingFile();
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    /// The temporary path to write to.
    const std::filesystem::path& temporaryPath() const { return temporary_; }
    const std::filesystem::path& targetPath() const { return target_; }
    /// Renames the temporary file over the target; returns an error text or "".
    std::string commit();

private:
    std::filesystem::path target_;
    std::filesystem::path temporary_;
    bool committed_ = false;
};

}  // namespace zadaravod

#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

namespace zadaravod {

/// How writeFileAtomically treats what stands at the target path.
struct AtomicWriteOptions {
    /// When the target is a symbolic link, write the file it names (the new
    /// file is made beside that file and renamed over it), as a save of a
    /// file the user chose should. Otherwise the link itself is replaced and
    /// the file it names is never touched.
    bool followSymlink = false;
};

/// Writes `bytes` to `path` atomically: the data goes to a temporary file in
/// the same folder, is flushed, and is then renamed over `path`. An existing
/// file keeps its permission bits; an existing file without any write
/// permission is refused (a rename would otherwise overwrite it). On failure
/// the old file (if any) is untouched, no temporary file is left behind, and
/// the returned text says what went wrong; on success the text is empty.
std::string writeFileAtomically(const std::filesystem::path& path,
                                std::span<const std::uint8_t> bytes,
                                const AtomicWriteOptions& options = {});

/// Removes the temporary files that writes of `target` left behind when
/// their process was killed (only files of this program's own naming whose
/// writer is no longer running).
void removeStaleTemporaries(const std::filesystem::path& target);

/// Reads a whole file. Returns false and sets `error` (naming the file and the
/// system's reason) when it cannot be read. Files larger than `maxBytes` are
/// refused instead of being loaded.
bool readWholeFile(const std::filesystem::path& path, std::string& bytes, std::string& error,
                   std::uintmax_t maxBytes = std::uintmax_t{1} << 31);

/// A whole file read into memory of its own, for a large file read once:
/// unlike a string's, the memory is not filled with zeros before the read.
class FileContent {
  public:
    FileContent() = default;
    ~FileContent();
    FileContent(const FileContent&) = delete;
    FileContent& operator=(const FileContent&) = delete;

    /// Reads the file at `path`, with the rules and messages of readWholeFile.
    bool read(const std::filesystem::path& path, std::string& error,
              std::uintmax_t maxBytes = std::uintmax_t{1} << 31);
    /// The bytes read (valid while the object lives and is not read again).
    std::string_view bytes() const { return {start_, size_}; }

  private:
    void release();

    void* data_ = nullptr;   ///< the mapping
    char* start_ = nullptr;  ///< the bytes, in the mapping
    std::size_t size_ = 0;
    std::size_t mapped_ = 0;
};

/// A temporary file beside `target` that is renamed over it by commit(), and
/// removed by the destructor when commit() was never reached. For writers that
/// stream their output rather than building it in memory. The temporary file
/// is created empty when the object is made; a target that stands as a symbolic link is
/// replaced by the new file, never followed.
class PendingFile {
  public:
    explicit PendingFile(std::filesystem::path target);
    ~PendingFile();
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    /// The temporary path to write to.
    const std::filesystem::path& temporaryPath() const { return temporary_; }
    const std::filesystem::path& targetPath() const { return target_; }
    /// "" when the temporary file was made, else why not.
    const std::string& error() const { return error_; }
    /// Renames the temporary file over the target; returns an error text or "".
    std::string commit();

  private:
    std::filesystem::path target_;
    std::filesystem::path temporary_;
    std::string error_;
    bool committed_ = false;
};

}  // namespace zadaravod

#pragma once

#include <sys/stat.h>

#include <atomic>
#include <filesystem>
#include <mutex>
#include <string>
#include <unordered_map>

#include "io/Sha256.h"

namespace zadaravod {

/// What the file system says of a file that changes whenever its content
/// may have: device, inode, size, modification and status-change times.
/// "" when the file cannot be looked at.
std::string fileFingerprint(const std::string& path);
std::string fileFingerprint(const struct stat& st);

/// The SHA-256 digests of the files of one folder, remembered by their
/// fingerprints, so that a file that has not changed since it was last
/// hashed is not read again (as version control and compiler caches do).
/// Kept in <memoFolder>/<SHA-256 of the folder's path>, one file per folder
/// that holds the digests looked up or made since the object was made. A
/// memo that no build has written for 60 days is removed by the next save.
///
/// A digest is remembered only when the file did not change while it was
/// hashed and its times were at least kSettledSeconds old then: a write in
/// the same clock tick as the one before could leave the times as they were
/// (coarse file systems count in seconds). The status-change time cannot be
/// set by a program, so a changed content always shows in the fingerprint.
///
/// The memo is the user's own, in the private cache folder; a memo file that
/// is damaged (checksum), of another form or too large is ignored. digestOf()
/// may be called from several threads at once.
class FileDigests {
  public:
    static constexpr int kSettledSeconds = 2;

    /// The memo of `folder` in `memoFolder`; an empty `memoFolder` remembers
    /// nothing (every file is hashed). `settledSeconds` is for tests.
    FileDigests(std::filesystem::path memoFolder, const std::string& folder,
                int settledSeconds = kSettledSeconds);

    /// The digest of the file at `path` and its fingerprint (as
    /// fileFingerprint() gives it, from before the file was read). False
    /// when the file cannot be looked at or read, or is larger than
    /// `maxBytes`; `error` then names the file and the reason.
    bool digestOf(const std::string& path, std::string& fingerprint, Sha256::Digest& digest,
                  std::string& error, std::uintmax_t maxBytes);

    /// Writes the memo when a digest was added or one it held was not looked
    /// up; false when it could not be written (nothing else changes: the
    /// next build reads the files again).
    bool save();

    /// Digests the memo holds for a save, and files read (hashed) so far.
    std::size_t remembered() const;
    std::size_t hashed() const { return hashed_; }

  private:
    void load();
    void forgetOldMemos() const;

    std::filesystem::path file_;
    int settledSeconds_;
    std::atomic<std::size_t> hashed_{0};
    mutable std::mutex mutex_;
    std::unordered_map<std::string, Sha256::Digest> known_;  ///< loaded from the file
    std::unordered_map<std::string, Sha256::Digest> used_;   ///< looked up or made now
    bool added_ = false;
};

}  // namespace zadaravod

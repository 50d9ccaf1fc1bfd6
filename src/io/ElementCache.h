#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "io/Sha256.h"

namespace zadaravod {

/// The folder the element cache lives in by default: $XDG_CACHE_HOME/zadaravod,
/// or $HOME/.cache/zadaravod when XDG_CACHE_HOME is unset or not an absolute
/// path; empty when neither variable gives an absolute path.
std::filesystem::path defaultElementCacheFolder();

struct ElementCacheOptions {
    /// The cache folder; empty takes defaultElementCacheFolder().
    std::filesystem::path folder;
    /// The most bytes the entries may take together after trim().
    std::uintmax_t maxBytes = std::uintmax_t{256} << 20;
};

/// A cache of converted sound elements shared by every build of the user:
/// byte strings stored under a 32-byte key (a SHA-256 of whatever decides
/// the bytes, chosen by the caller), one file per entry in
/// <folder>/elements. The folders are made readable by their owner alone
/// (0700); a folder owned by someone else is not used.
///
/// Every entry carries its key and a SHA-256 of its bytes; an entry that does
/// not match them (a torn write, a damaged disk, a file put there by hand) is
/// removed and reported as absent, never returned. Entries are written to a
/// temporary file and renamed into place, so several processes may read and
/// write the same cache at once without a lock; only trim() takes one (flock
/// on <folder>/elements/lock), and skips its work when another process holds
/// it for long.
///
/// A cache that cannot be used (no folder, a read-only or full disk) is not
/// an error for its callers: usable() turns false, problem() says why, and
/// find() and store() do nothing from then on.
///
/// find(), store() and remove() may be called from several threads at once.
class ElementCache {
  public:
    using Key = Sha256::Digest;

    /// Opens the cache, making its folders when missing. When this fails,
    /// the cache is unusable from the start.
    explicit ElementCache(const ElementCacheOptions& options = {});

    bool usable() const { return usable_; }
    /// Why the cache is not usable (names the folder and the system's
    /// reason); "" while it is, and "" when no folder could be found at all
    /// (no HOME), which is not worth telling.
    std::string problem() const;
    /// The folder holding the entries (<folder>/elements).
    const std::filesystem::path& entryFolder() const { return entries_; }
    /// The folder for the digests of files hashed before (<folder>/digests,
    /// see FileDigests); made private like the entries' folder when the cache
    /// opens.
    std::filesystem::path digestFolder() const { return entries_.parent_path() / "digests"; }

    /// The bytes stored under `key`, checked against their checksum, and the
    /// entry marked as just used (its time, which trim() goes by, is brought
    /// up to date when it is more than ten minutes old); nullopt when there is
    /// none or it is damaged (a damaged entry is removed).
    std::optional<std::vector<std::uint8_t>> find(const Key& key);
    /// Stores `bytes` under `key`, replacing any entry there. False when the
    /// cache could not take them; the cache is then unusable for the rest of
    /// its life (problem() says why) and nothing partial is left.
    bool store(const Key& key, std::span<const std::uint8_t> bytes);
    /// Removes the entry under `key`, if any.
    void remove(const Key& key);

    /// Removes the least recently used entries until the entries take at
    /// most maxBytes. A running total kept in the folder spares the listing
    /// of every entry until that total passes the bound.
    void trim();
    /// Bytes of every entry file, by listing the folder.
    std::uintmax_t totalBytes() const;

    /// The file of the entry under `key`.
    std::filesystem::path entryPath(const Key& key) const;

  private:
    void giveUp(const std::string& reason);
    std::uintmax_t trimLocked(std::uintmax_t limit);

    std::filesystem::path entries_;
    std::uintmax_t maxBytes_;
    std::atomic<bool> usable_{false};
    std::atomic<std::uintmax_t> bytesAdded_{0};
    mutable std::mutex problemMutex_;
    std::string problem_;
};

}  // namespace zadaravod

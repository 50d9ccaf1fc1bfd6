#include "io/ElementCache.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace zadaravod {
namespace fs = std::filesystem;

namespace {

// An entry file: magic, key, payload length, SHA-256 of the payload, payload.
constexpr char kMagic[8] = {'Z', 'A', 'V', 'E', 'L', 'E', 'M', '1'};
constexpr std::size_t kKeyAt = 8;
constexpr std::size_t kLengthAt = 40;
constexpr std::size_t kChecksumAt = 48;
constexpr std::size_t kEntryHeaderBytes = 80;
/// Larger payloads are not kept (no element of a flash image comes near).
constexpr std::uintmax_t kMaxPayloadBytes = std::uintmax_t{64} << 20;
/// How stale an entry's use time may be before a hit brings it up to date.
constexpr auto kUseTimeSlack = std::chrono::minutes(10);
/// Temporary files of writers that died are removed after this long.
constexpr auto kStaleTemporaryAge = std::chrono::hours(1);

std::string systemReason() { return std::strerror(errno); }

bool isAbsolute(const char* value) { return value != nullptr && value[0] == '/'; }

/// Makes `folder` (and missing parents, each 0700) and checks that it is a
/// folder of this user, readable by nobody else. "" when it is fine.
std::string makePrivateFolder(const fs::path& folder) {
    fs::path partial;
    for (const fs::path& part : folder) {
        partial /= part;
        if (::mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST) {
            return "cannot make " + partial.string() + " (" + systemReason() + ")";
        }
    }
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0) {
        return "cannot open " + folder.string() + " (" + systemReason() + ")";
    }
    if (!S_ISDIR(st.st_mode)) return folder.string() + " is not a folder";
    if (st.st_uid != ::geteuid()) return folder.string() + " belongs to another user";
    if ((st.st_mode & 077) != 0 && ::chmod(folder.c_str(), 0700) != 0) {
        return "cannot make " + folder.string() + " private (" + systemReason() + ")";
    }
    return {};
}

void putLength(std::uint8_t* at, std::uint64_t value) {
    for (int i = 0; i < 8; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint64_t getLength(const std::uint8_t* at) {
    std::uint64_t value = 0;
    for (int i = 0; i < 8; ++i) value |= static_cast<std::uint64_t>(at[i]) << (8 * i);
    return value;
}

bool isEntryName(const std::string& name) {
    return name.size() == 64 && std::all_of(name.begin(), name.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
           });
}

bool readAll(int fd, std::uint8_t* into, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::read(fd, into, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        into += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool writeAll(int fd, const std::uint8_t* bytes, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, bytes, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = ENOSPC;
            return false;
        }
        bytes += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

/// Holds an exclusive flock on a file, or nothing when it could not be had
/// within about a second.
class FolderLock {
  public:
    explicit FolderLock(const fs::path& file) {
        fd_ = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd_ < 0) return;
        for (int attempt = 0; attempt < 50; ++attempt) {
            if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) {
                held_ = true;
                return;
            }
            if (errno != EWOULDBLOCK && errno != EINTR) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    ~FolderLock() {
        if (fd_ >= 0) ::close(fd_);  // closing releases the lock
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    bool held() const { return held_; }

  private:
    int fd_ = -1;
    bool held_ = false;
};

std::optional<std::uintmax_t> readUsage(const fs::path& file) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return std::nullopt;
    char text[32] = {};
    const ssize_t n = ::read(fd, text, sizeof text - 1);
    ::close(fd);
    if (n <= 0) return std::nullopt;
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text, &end, 10);
    if (end == text || *end != '\n') return std::nullopt;
    return static_cast<std::uintmax_t>(value);
}

void writeUsage(const fs::path& file, std::uintmax_t total) {
    const fs::path temporary = file.string() + ".tmp-" + std::to_string(::getpid());
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return;
    const std::string text = std::to_string(total) + "\n";
    const bool ok = writeAll(fd, reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    if (::close(fd) == 0 && ok && ::rename(temporary.c_str(), file.c_str()) == 0) return;
    ::unlink(temporary.c_str());
}

}  // namespace

fs::path defaultElementCacheFolder() {
    if (const char* xdg = std::getenv("XDG_CACHE_HOME"); isAbsolute(xdg)) {
        return fs::path(xdg) / "zadaravod";
    }
    if (const char* home = std::getenv("HOME"); isAbsolute(home)) {
        return fs::path(home) / ".cache" / "zadaravod";
    }
    return {};
}

ElementCache::ElementCache(const ElementCacheOptions& options) : maxBytes_(options.maxBytes) {
    const fs::path folder =
        options.folder.empty() ? defaultElementCacheFolder() : options.folder.lexically_normal();
    if (folder.empty()) return;  // nowhere to keep it: quietly without
    entries_ = folder / "elements";
    std::string problem = makePrivateFolder(folder);
    if (problem.empty()) problem = makePrivateFolder(entries_);
    if (problem.empty()) problem = makePrivateFolder(digestFolder());
    if (!problem.empty()) {
        problem_ = "The element cache cannot be used: " + problem + ".";
        return;
    }
    usable_ = true;
}

std::string ElementCache::problem() const {
    const std::lock_guard lock(problemMutex_);
    return problem_;
}

void ElementCache::giveUp(const std::string& reason) {
    const std::lock_guard lock(problemMutex_);
    if (usable_.exchange(false)) problem_ = "The element cache cannot be used: " + reason + ".";
}

fs::path ElementCache::entryPath(const Key& key) const { return entries_ / Sha256::hex(key); }

std::optional<std::vector<std::uint8_t>> ElementCache::find(const Key& key) {
    if (!usable_) return std::nullopt;
    const fs::path path = entryPath(key);
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return std::nullopt;
    struct stat st {};
    std::vector<std::uint8_t> file;
    bool sound = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
                 static_cast<std::uintmax_t>(st.st_size) >= kEntryHeaderBytes &&
                 static_cast<std::uintmax_t>(st.st_size) <= kEntryHeaderBytes + kMaxPayloadBytes;
    if (sound) {
        file.resize(static_cast<std::size_t>(st.st_size));
        sound = readAll(fd, file.data(), file.size());
    }
    if (sound) {
        const std::span<const std::uint8_t> payload(file.data() + kEntryHeaderBytes,
                                                    file.size() - kEntryHeaderBytes);
        const Sha256::Digest checksum = Sha256::of(payload);
        sound =
            std::equal(std::begin(kMagic), std::end(kMagic), file.begin(),
                       [](char a, std::uint8_t b) { return static_cast<std::uint8_t>(a) == b; }) &&
            std::equal(key.begin(), key.end(), file.begin() + kKeyAt) &&
            getLength(file.data() + kLengthAt) == payload.size() &&
            std::equal(checksum.begin(), checksum.end(), file.begin() + kChecksumAt);
    }
    // Used now: the last to go in a trim. A time a few minutes old is near
    // enough, and sparing the update spares a repeated build hundreds of
    // inode writes.
    if (sound && std::chrono::system_clock::now() - std::chrono::system_clock::time_point(
                                                        std::chrono::seconds(st.st_mtim.tv_sec)) >
                     kUseTimeSlack) {
        ::futimens(fd, nullptr);
    }
    ::close(fd);
    if (!sound) {
        ::unlink(path.c_str());
        return std::nullopt;
    }
    file.erase(file.begin(), file.begin() + kEntryHeaderBytes);
    return file;
}

bool ElementCache::store(const Key& key, std::span<const std::uint8_t> bytes) {
    if (!usable_) return false;
    if (bytes.size() > kMaxPayloadBytes) return true;  // not kept, and no fault of the cache
    static std::atomic<unsigned> counter{0};
    const std::string name = Sha256::hex(key);
    const fs::path temporary = entries_ / ("." + name + ".tmp-" + std::to_string(::getpid()) + "-" +
                                           std::to_string(counter++));
    std::uint8_t header[kEntryHeaderBytes] = {};
    std::copy(std::begin(kMagic), std::end(kMagic), header);
    std::copy(key.begin(), key.end(), header + kKeyAt);
    putLength(header + kLengthAt, bytes.size());
    const Sha256::Digest checksum = Sha256::of(bytes);
    std::copy(checksum.begin(), checksum.end(), header + kChecksumAt);

    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        giveUp("cannot write in " + entries_.string() + " (" + systemReason() + ")");
        return false;
    }
    // No fsync: after a crash a torn entry fails its checksum and is made again.
    int failure = 0;
    if (!writeAll(fd, header, sizeof header) || !writeAll(fd, bytes.data(), bytes.size())) {
        failure = errno;
    }
    if (::close(fd) != 0 && failure == 0) failure = errno;
    if (failure == 0 && ::rename(temporary.c_str(), entryPath(key).c_str()) != 0) failure = errno;
    if (failure != 0) {
        ::unlink(temporary.c_str());
        giveUp("cannot write in " + entries_.string() + " (" + std::strerror(failure) + ")");
        return false;
    }
    bytesAdded_ += kEntryHeaderBytes + bytes.size();
    return true;
}

void ElementCache::remove(const Key& key) {
    if (!entries_.empty()) ::unlink(entryPath(key).c_str());
}

std::uintmax_t ElementCache::totalBytes() const {
    std::uintmax_t total = 0;
    std::error_code ec;
    for (fs::directory_iterator it(entries_, ec), end; !ec && it != end; it.increment(ec)) {
        if (!isEntryName(it->path().filename().string())) continue;
        std::error_code sizeError;
        const std::uintmax_t size = it->file_size(sizeError);
        if (!sizeError) total += size;
    }
    return total;
}

std::uintmax_t ElementCache::trimLocked(std::uintmax_t limit) {
    struct Entry {
        std::int64_t usedNs;
        std::string name;
        std::uintmax_t size;
    };
    std::vector<Entry> entries;
    std::uintmax_t total = 0;
    const auto now = std::chrono::system_clock::now();
    std::error_code ec;
    for (fs::directory_iterator it(entries_, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        struct stat st {};
        if (::lstat(it->path().c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
        const std::int64_t usedNs =
            static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
        if (isEntryName(name)) {
            entries.push_back({usedNs, name, static_cast<std::uintmax_t>(st.st_size)});
            total += static_cast<std::uintmax_t>(st.st_size);
        } else if (name.front() == '.' && name.find(".tmp-") != std::string::npos &&
                   now - std::chrono::system_clock::time_point(std::chrono::nanoseconds(usedNs)) >
                       kStaleTemporaryAge) {
            ::unlink(it->path().c_str());  // left by a writer that died
        }
    }
    if (total <= maxBytes_) return total;
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        return a.usedNs != b.usedNs ? a.usedNs < b.usedNs : a.name < b.name;
    });
    for (const Entry& e : entries) {
        if (total <= limit) break;
        if (::unlink((entries_ / e.name).c_str()) == 0 || errno == ENOENT) total -= e.size;
    }
    return total;
}

void ElementCache::trim() {
    std::error_code ec;
    // A folder the user cannot read (another user's cache) is no cache.
    if (entries_.empty() || !fs::is_directory(entries_, ec)) return;
    const FolderLock lock(entries_ / "lock");
    if (!lock.held()) return;  // another process is trimming right now
    const fs::path usageFile = entries_ / "usage";
    const std::optional<std::uintmax_t> known = readUsage(usageFile);
    const std::uintmax_t added = bytesAdded_.exchange(0);
    std::uintmax_t total = 0;
    if (known && *known + added <= maxBytes_) {
        if (added == 0) return;
        total = *known + added;
    } else {
        // Down to seven eighths of the bound, so that the next few builds
        // find room without listing the folder again.
        total = trimLocked(maxBytes_ - maxBytes_ / 8);
    }
    writeUsage(usageFile, total);
}

}  // namespace zadaravod

#include "io/FileDigests.h"

#include <sys/stat.h>

#include <chrono>
#include <cstring>
#include <ctime>
#include <vector>

#include "io/AtomicFile.h"

namespace zadaravod {
namespace fs = std::filesystem;

namespace {

// A memo file: magic, record count (32 bits), records, then the SHA-256 of
// everything before it. A record: fingerprint length (16 bits), the
// fingerprint, the digest. Numbers are little-endian.
constexpr char kMagic[8] = {'Z', 'A', 'V', 'D', 'I', 'G', '1', '\n'};
constexpr std::size_t kMaxFingerprintBytes = 255;
constexpr std::size_t kMaxRecords = 100000;
constexpr std::uintmax_t kMaxMemoBytes = kMaxRecords * (2 + kMaxFingerprintBytes + 32) + 44;

std::string timeText(const struct timespec& t) {
    return std::to_string(t.tv_sec) + "." + std::to_string(t.tv_nsec);
}

/// Whether both times of `st` lie at least `seconds` before now.
bool settled(const struct stat& st, int seconds) {
    struct timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return st.st_mtim.tv_sec + seconds < now.tv_sec && st.st_ctim.tv_sec + seconds < now.tv_sec;
}

void put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

}  // namespace

std::string fileFingerprint(const struct stat& st) {
    return std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino) + ":" +
           std::to_string(st.st_size) + ":" + timeText(st.st_mtim) + ":" + timeText(st.st_ctim);
}

std::string fileFingerprint(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return {};
    return fileFingerprint(st);
}

FileDigests::FileDigests(fs::path memoFolder, const std::string& folder, int settledSeconds)
    : settledSeconds_(settledSeconds) {
    if (memoFolder.empty()) return;
    file_ = memoFolder / Sha256::hex(Sha256::of(folder));
    load();
}

void FileDigests::load() {
    std::string bytes, error;
    std::error_code ec;
    if (!fs::exists(file_, ec) || !readWholeFile(file_, bytes, error, kMaxMemoBytes)) return;
    const auto* p = reinterpret_cast<const std::uint8_t*>(bytes.data());
    const std::size_t size = bytes.size();
    if (size < sizeof kMagic + 4 + 32 || std::memcmp(p, kMagic, sizeof kMagic) != 0) return;
    const std::size_t body = size - 32;
    const Sha256::Digest sum = Sha256::of(std::span<const std::uint8_t>(p, body));
    if (std::memcmp(sum.data(), p + body, 32) != 0) return;  // torn or damaged
    std::size_t at = sizeof kMagic;
    const std::uint32_t count =
        p[at] | p[at + 1] << 8 | p[at + 2] << 16 | static_cast<std::uint32_t>(p[at + 3]) << 24;
    at += 4;
    if (count > kMaxRecords) return;
    std::unordered_map<std::string, Sha256::Digest> records;
    for (std::uint32_t i = 0; i < count; ++i) {
        if (body - at < 2) return;
        const std::size_t length = p[at] | p[at + 1] << 8;
        at += 2;
        if (length > kMaxFingerprintBytes || body - at < length + 32) return;
        Sha256::Digest digest{};
        std::memcpy(digest.data(), p + at + length, 32);
        records.emplace(std::string(bytes, at, length), digest);
        at += length + 32;
    }
    if (at == body) known_ = std::move(records);
}

bool FileDigests::digestOf(const std::string& path, std::string& fingerprint,
                           Sha256::Digest& digest, std::string& error, std::uintmax_t maxBytes) {
    struct stat before {};
    if (::stat(path.c_str(), &before) != 0) {
        error = "Cannot read " + path + ": " + std::strerror(errno);
        return false;
    }
    fingerprint = fileFingerprint(before);
    if (!file_.empty()) {
        const std::lock_guard lock(mutex_);
        if (const auto known = known_.find(fingerprint); known != known_.end()) {
            digest = known->second;
            used_.emplace(fingerprint, digest);
            return true;
        }
    }
    ++hashed_;
    if (!sha256OfFile(path, digest, error, maxBytes)) return false;
    if (file_.empty() || fingerprint.size() > kMaxFingerprintBytes) return true;
    struct stat after {};
    if (::stat(path.c_str(), &after) == 0 && fileFingerprint(after) == fingerprint &&
        settled(after, settledSeconds_)) {
        const std::lock_guard lock(mutex_);
        if (used_.size() < kMaxRecords && used_.emplace(fingerprint, digest).second) added_ = true;
    }
    return true;
}

bool FileDigests::save() {
    const std::lock_guard lock(mutex_);
    if (file_.empty() || (!added_ && used_.size() == known_.size())) return true;
    std::vector<std::uint8_t> out(std::begin(kMagic), std::end(kMagic));
    const auto count = static_cast<std::uint32_t>(used_.size());
    put16(out, count & 0xFFFF);
    put16(out, count >> 16);
    for (const auto& [fingerprint, digest] : used_) {
        put16(out, static_cast<std::uint32_t>(fingerprint.size()));
        out.insert(out.end(), fingerprint.begin(), fingerprint.end());
        out.insert(out.end(), digest.begin(), digest.end());
    }
    const Sha256::Digest sum = Sha256::of(out);
    out.insert(out.end(), sum.begin(), sum.end());
    if (!writeFileAtomically(file_, out).empty()) return false;
    known_ = used_;
    added_ = false;
    forgetOldMemos();
    return true;
}

void FileDigests::forgetOldMemos() const {
    // A memo of a folder no build has used for this long goes: its files
    // have most likely gone or changed.
    constexpr auto kUnusedFor = std::chrono::hours(24 * 60);
    std::error_code ec;
    const auto now = fs::file_time_type::clock::now();
    for (fs::directory_iterator it(file_.parent_path(), ec), end; !ec && it != end;
         it.increment(ec)) {
        const fs::path name = it->path().filename();
        std::error_code timeError;
        const auto written = fs::last_write_time(it->path(), timeError);
        if (name.string().size() == 64 && !timeError && now - written > kUnusedFor &&
            it->is_regular_file(timeError)) {
            fs::remove(it->path(), timeError);
        }
    }
}

std::size_t FileDigests::remembered() const {
    const std::lock_guard lock(mutex_);
    return used_.size();
}

}  // namespace zadaravod

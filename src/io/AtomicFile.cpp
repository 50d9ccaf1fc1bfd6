#include "io/AtomicFile.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <random>

namespace zadaravod {
namespace fs = std::filesystem;

namespace {

/// Temporary files of a target T are named ".T.tmp-<pid>-<n>-<random>".
std::string temporaryPrefix(const fs::path& target) {
    return "." + target.filename().string() + ".tmp-";
}

fs::path temporaryBeside(const fs::path& target) {
    static std::atomic<unsigned> counter{0};
    std::random_device rd;
    return target.parent_path() / (temporaryPrefix(target) + std::to_string(::getpid()) + "-" +
                                   std::to_string(counter++) + "-" + std::to_string(rd() % 100000));
}

std::string systemReason(int err) { return std::strerror(err); }

std::string cannotWrite(const fs::path& path, const std::string& why) {
    return "Cannot write " + path.string() + ": " + why;
}

/// The file a write of `path` replaces: `path` itself, or with
/// followSymlink the file a symbolic link at `path` finally names.
fs::path writeTarget(const fs::path& path, const AtomicWriteOptions& options) {
    if (!options.followSymlink) return path;
    std::error_code ec;
    if (!fs::is_symlink(path, ec)) return path;
    const fs::path resolved = fs::weakly_canonical(path, ec);
    return ec ? path : resolved;
}

/// "" when `target` may be replaced; else why not. `mode` receives the
/// permission bits of an existing file, or stays untouched.
std::string checkReplaceable(const fs::path& target, mode_t& mode) {
    struct stat st {};
    if (::lstat(target.c_str(), &st) != 0) return {};  // nothing there yet
    if (S_ISDIR(st.st_mode)) return "a folder stands there";
    if (S_ISLNK(st.st_mode)) return {};  // the link itself is replaced
    if ((st.st_mode & 0222) == 0) {
        return "the file is write-protected. Make it writable, or save a copy elsewhere";
    }
    mode = st.st_mode & 07777;
    return {};
}

bool writeAll(int fd, const std::uint8_t* p, std::size_t left, int& err) {
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            err = errno;
            return false;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

std::string writeFileAtomically(const fs::path& path, std::span<const std::uint8_t> bytes,
                                const AtomicWriteOptions& options) {
    const fs::path target = writeTarget(path, options);
    mode_t mode = 0;
    if (const std::string refusal = checkReplaceable(target, mode); !refusal.empty()) {
        return cannotWrite(target, refusal);
    }
    const fs::path temporary = temporaryBeside(target);
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW,
                          mode != 0 ? 0600 : 0666);
    if (fd < 0) return cannotWrite(target, systemReason(errno));
    int err = 0;
    const bool ok = writeAll(fd, bytes.data(), bytes.size(), err) &&
                    (mode == 0 || ::fchmod(fd, mode) == 0 || (err = errno, false)) &&
                    (::fsync(fd) == 0 || errno == EINVAL || (err = errno, false));
    if (::close(fd) != 0 && ok) err = errno;
    if (!ok || err != 0 || ::rename(temporary.c_str(), target.c_str()) != 0) {
        if (err == 0) err = errno;
        ::unlink(temporary.c_str());
        return cannotWrite(target, systemReason(err));
    }
    return {};
}

void removeStaleTemporaries(const fs::path& target) {
    const std::string prefix = temporaryPrefix(target);
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(target.parent_path(), ec)) {
        const std::string name = entry.path().filename().string();
        if (name.compare(0, prefix.size(), prefix) != 0) continue;
        const std::string rest = name.substr(prefix.size());
        const auto dash = rest.find('-');
        if (dash == std::string::npos || dash == 0) continue;
        char* end = nullptr;
        const long pid = std::strtol(rest.c_str(), &end, 10);
        if (end != rest.c_str() + dash || pid <= 0) continue;
        if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
        std::error_code removeError;
        if (!entry.is_symlink(removeError) && entry.is_regular_file(removeError)) {
            fs::remove(entry.path(), removeError);
        }
    }
}

bool readWholeFile(const fs::path& path, std::string& bytes, std::string& error,
                   std::uintmax_t maxBytes) {
    std::error_code ec;
    if (fs::is_directory(path, ec)) {
        error = "Cannot read " + path.string() + ": it is a folder, not a file";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "Cannot read " + path.string() + ": " + systemReason(errno);
        return false;
    }
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0) {
        error = "Cannot read " + path.string() + ": its size cannot be determined";
        return false;
    }
    if (static_cast<std::uintmax_t>(size) > maxBytes) {
        error = "Cannot read " + path.string() + ": the file is too large (" +
                std::to_string(size) + " bytes)";
        return false;
    }
    in.seekg(0, std::ios::beg);
    bytes.resize(static_cast<std::size_t>(size));
    if (size > 0 && !in.read(bytes.data(), size)) {
        error = "Cannot read " + path.string() + ": the read failed";
        return false;
    }
    return true;
}

FileContent::~FileContent() { release(); }

void FileContent::release() {
    if (data_ != nullptr) ::munmap(data_, mapped_);
    data_ = nullptr;
    start_ = nullptr;
    size_ = mapped_ = 0;
}

bool FileContent::read(const fs::path& path, std::string& error, std::uintmax_t maxBytes) {
    release();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0) {
        error = "Cannot read " + path.string() + ": " + systemReason(errno);
        if (fd >= 0) ::close(fd);
        return false;
    }
    auto fail = [&](const std::string& why) {
        ::close(fd);
        release();
        error = "Cannot read " + path.string() + ": " + why;
        return false;
    };
    if (S_ISDIR(st.st_mode)) return fail("it is a folder, not a file");
    if (static_cast<std::uintmax_t>(st.st_size) > maxBytes) {
        return fail("the file is too large (" + std::to_string(st.st_size) + " bytes)");
    }
    const auto size = static_cast<std::size_t>(st.st_size);
    char* into = nullptr;
    if (size > 0) {
        // A large file goes into huge pages where the system offers them
        // (one fault for 2 MiB instead of 512), a small one into pages put in
        // place by the mapping itself.
        constexpr std::size_t kHuge = std::size_t{2} << 20;
        const bool huge = size >= kHuge / 2;
        mapped_ = huge ? (size + kHuge - 1) / kHuge * kHuge + kHuge : size;
        data_ = ::mmap(nullptr, mapped_, PROT_READ | PROT_WRITE,
                       MAP_PRIVATE | MAP_ANONYMOUS | (huge ? 0 : MAP_POPULATE), -1, 0);
        if (data_ == MAP_FAILED) {
            data_ = nullptr;
            return fail(systemReason(errno));
        }
        into = static_cast<char*>(data_);
        if (huge) {
            const auto at = reinterpret_cast<std::uintptr_t>(data_);
            into += (kHuge - at % kHuge) % kHuge;
            ::madvise(into, mapped_ - static_cast<std::size_t>(into - static_cast<char*>(data_)),
                      MADV_HUGEPAGE);
        }
    }
    start_ = into;
    while (size_ < size) {
        const ssize_t n = ::read(fd, start_ + size_, size - size_);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return fail("the read failed");
        size_ += static_cast<std::size_t>(n);
    }
    ::close(fd);
    return true;
}

PendingFile::PendingFile(fs::path target)
    : target_(std::move(target)), temporary_(temporaryBeside(target_)) {
    const int fd =
        ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd < 0) {
        error_ = cannotWrite(target_, systemReason(errno));
        return;
    }
    ::close(fd);
}

PendingFile::~PendingFile() {
    if (!committed_ && error_.empty()) {
        std::error_code ec;
        fs::remove(temporary_, ec);
    }
}

std::string PendingFile::commit() {
    if (!error_.empty()) return error_;
    mode_t mode = 0;
    if (const std::string refusal = checkReplaceable(target_, mode); !refusal.empty()) {
        return cannotWrite(target_, refusal);
    }
    // The new file gets the old one's permissions (a new one was made with
    // the usual ones).
    if ((mode != 0 && ::chmod(temporary_.c_str(), mode) != 0) ||
        ::rename(temporary_.c_str(), target_.c_str()) != 0) {
        return cannotWrite(target_, systemReason(errno));
    }
    committed_ = true;
    return {};
}

}  // namespace zadaravod

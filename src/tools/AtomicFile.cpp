#include "tools/AtomicFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <random>

namespace zadaravod {
namespace fs = std::filesystem;

namespace {

fs::path temporaryBeside(const fs::path& target) {
    static std::atomic<unsigned> counter{0};
    std::random_device rd;
    std::string name = "." + target.filename().string() + ".tmp-" + std::to_string(::getpid()) +
                       "-" + std::to_string(counter++) + "-" + std::to_string(rd() % 100000);
    return target.parent_path() / name;
}

std::string systemReason(int err) { return std::strerror(err); }

}  // namespace

std::string writeFileAtomically(const fs::path& path, std::span<const std::uint8_t> bytes) {
    const fs::path temporary = temporaryBeside(path);
    int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        return "Cannot write " + path.string() + ": " + systemReason(errno);
    }
    const std::uint8_t* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            int err = errno;
            ::close(fd);
            ::unlink(temporary.c_str());
            return "Cannot write " + path.string() + ": " + systemReason(err);
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0 && errno != EINVAL) {
        int err = errno;
        ::close(fd);
        ::unlink(temporary.c_str());
        return "Cannot write " + path.string() + ": " + systemReason(err);
    }
    if (::close(fd) != 0) {
        int err = errno;
        ::unlink(temporary.c_str());
        return "Cannot write " + path.string() + ": " + systemReason(err);
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        int err = errno;
        ::unlink(temporary.c_str());
        return "Cannot write " + path.string() + ": " + systemReason(err);
    }
    return {};
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

PendingFile::PendingFile(fs::path target)
    : target_(std::move(target)), temporary_(temporaryBeside(target_)) {}

PendingFile::~PendingFile() {
    if (!committed_) {
        std::error_code ec;
        fs::remove(temporary_, ec);
    }
}

std::string PendingFile::commit() {
    if (::rename(temporary_.c_str(), target_.c_str()) != 0) {
        return "Cannot write " + target_.string() + ": " + systemReason(errno);
    }
    committed_ = true;
    return {};
}

}  // namespace zadaravod

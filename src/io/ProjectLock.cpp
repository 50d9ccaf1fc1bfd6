#include "io/ProjectLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>
#include <utility>

namespace zadaravod {

ProjectLock::ProjectLock(ProjectLock&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), folder_(std::move(other.folder_)) {}

ProjectLock& ProjectLock::operator=(ProjectLock&& other) noexcept {
    if (this != &other) {
        release();
        fd_ = std::exchange(other.fd_, -1);
        folder_ = std::move(other.folder_);
    }
    return *this;
}

std::string ProjectLock::acquire(const std::string& folder, std::chrono::milliseconds wait) {
    release();
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return "Cannot lock the project folder " + folder + ": " + std::strerror(errno);
    }
    const auto deadline = std::chrono::steady_clock::now() + wait;
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int err = errno;
        if (err == EINTR) continue;
        if (err != EWOULDBLOCK || std::chrono::steady_clock::now() >= deadline) {
            ::close(fd);
            if (err != EWOULDBLOCK) {
                return "Cannot lock the project folder " + folder + ": " + std::strerror(err);
            }
            return "The project is in use by another program (" + folder +
                   "). Close it there, or wait until that program has finished, and try again.";
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    fd_ = fd;
    folder_ = folder;
    return {};
}

void ProjectLock::release() {
    if (fd_ >= 0) {
        ::flock(fd_, LOCK_UN);
        ::close(fd_);
    }
    fd_ = -1;
    folder_.clear();
}

}  // namespace zadaravod

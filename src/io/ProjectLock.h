#pragma once

#include <chrono>
#include <string>

namespace zadaravod {

/// An advisory lock (flock) on a project folder. The command-line tool holds
/// it from loading a project to saving it, the editor while the project is
/// open, so two writers never interleave their load and save. Readers need
/// none: every save replaces whole files atomically.
class ProjectLock {
  public:
    /// How long acquire() waits for another holder by default.
    static constexpr std::chrono::milliseconds kDefaultWait{5000};

    ProjectLock() = default;
    ~ProjectLock() { release(); }
    ProjectLock(ProjectLock&& other) noexcept;
    ProjectLock& operator=(ProjectLock&& other) noexcept;
    ProjectLock(const ProjectLock&) = delete;
    ProjectLock& operator=(const ProjectLock&) = delete;

    /// Takes the lock on `folder`, waiting up to `wait` while another program
    /// holds it; a lock held before is released first. Returns "" on success,
    /// else a message saying the project is in use (or cannot be locked).
    std::string acquire(const std::string& folder, std::chrono::milliseconds wait = kDefaultWait);
    /// Releases the lock (nothing happens when none is held).
    void release();
    bool held() const { return fd_ >= 0; }
    /// The folder the lock is held on; "" when none.
    const std::string& folder() const { return folder_; }

  private:
    int fd_ = -1;
    std::string folder_;
};

}  // namespace zadaravod

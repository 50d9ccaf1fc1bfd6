#pragma once

#include <filesystem>

namespace zadaravod {

/// A private scratch folder made with mkdtemp under the system's temporary
/// folder (readable by the user alone, a name nobody can predict), removed
/// with its content when the object goes.
class ScratchFolder {
  public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    /// Empty when no folder could be made.
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

}  // namespace zadaravod

#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "commands/ProjectFiles.h"

namespace zadaravod {

/// The projects opened or created last, newest first, each by its project
/// file's absolute path. The window keeps the list between runs; this class
/// only orders it.
class RecentProjects {
  public:
    static constexpr std::size_t kCapacity = 8;

    RecentProjects() = default;
    /// Takes a stored list: blank and repeated entries go, at most kCapacity stay.
    explicit RecentProjects(const std::vector<std::string>& stored);

    /// Puts `projectFile` first (moved there when already listed).
    void add(const std::string& projectFile);
    /// Takes `projectFile` off the list; false when it was not on it.
    bool remove(const std::string& projectFile);
    const std::vector<std::string>& entries() const { return entries_; }

  private:
    std::vector<std::string> entries_;
};

/// Opens the recent project `projectFile` (after the automatic save of the
/// one open). A project file that is no longer there is taken off the list
/// and the failure says so; a project that opens moves to the top.
Done openRecentProject(ProjectFiles& files, RecentProjects& recent, const std::string& projectFile);

}  // namespace zadaravod

#include "commands/RecentProjects.h"

#include <algorithm>
#include <filesystem>

namespace zadaravod {
namespace fs = std::filesystem;

RecentProjects::RecentProjects(const std::vector<std::string>& stored) {
    for (const std::string& entry : stored) {
        if (entry.empty() || entries_.size() == kCapacity) continue;
        if (std::find(entries_.begin(), entries_.end(), entry) == entries_.end()) {
            entries_.push_back(entry);
        }
    }
}

void RecentProjects::add(const std::string& projectFile) {
    if (projectFile.empty()) return;
    remove(projectFile);
    entries_.insert(entries_.begin(), projectFile);
    if (entries_.size() > kCapacity) entries_.resize(kCapacity);
}

bool RecentProjects::remove(const std::string& projectFile) {
    const auto it = std::find(entries_.begin(), entries_.end(), projectFile);
    if (it == entries_.end()) return false;
    entries_.erase(it);
    return true;
}

Done openRecentProject(ProjectFiles& files, RecentProjects& recent,
                       const std::string& projectFile) {
    std::error_code ec;
    if (!fs::is_regular_file(projectFile, ec)) {
        recent.remove(projectFile);
        return failure("The project " + projectFile +
                       " is no longer there (moved, renamed or deleted), so it was taken off "
                       "the recent projects. Open it from where it is now with Open.");
    }
    const Done opened = files.open(projectFile);
    if (opened) recent.add(files.project().projectFilePath);
    return opened;
}

}  // namespace zadaravod

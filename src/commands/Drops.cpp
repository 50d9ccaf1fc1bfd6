#include "commands/Drops.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace zadaravod {
namespace fs = std::filesystem;

bool isDroppedProject(const std::string& path) {
    std::error_code ec;
    if (fs::is_directory(path, ec)) return true;
    std::string ext = fs::path(path).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext == ".winproj";
}

DropPlan planDrop(const std::vector<std::string>& paths, DropTarget target) {
    DropPlan plan;
    if (paths.empty()) return plan;
    const auto projects = std::count_if(paths.begin(), paths.end(), isDroppedProject);
    if (projects > 0) {
        if (paths.size() == 1) {
            plan.action = DropPlan::Action::OpenProject;
            plan.files = paths;
            return plan;
        }
        plan.action = DropPlan::Action::Refuse;
        plan.message =
            "A project (a folder or a *.winproj file) is opened only when it is dropped on its "
            "own. Drop one project, or only sound files.";
        return plan;
    }
    if (target == DropTarget::Music) {
        if (paths.size() != 1) {
            plan.action = DropPlan::Action::Refuse;
            plan.message = "The background music is one sound: drop a single file on it.";
            return plan;
        }
        plan.action = DropPlan::Action::LoadMusic;
        plan.files = paths;
        return plan;
    }
    plan.action = DropPlan::Action::ImportSounds;
    plan.files = paths;
    return plan;
}

}  // namespace zadaravod

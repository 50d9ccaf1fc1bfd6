#include "io/AppPaths.h"

#include <filesystem>

namespace zadaravod {

AppPaths AppPaths::ofRunningExecutable() {
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return ofFolder(std::filesystem::current_path(ec).string());
    return ofFolder(exe.parent_path().string());
}

AppPaths AppPaths::ofFolder(const std::string& folder) {
    AppPaths paths;
    paths.appFolder = folder;
    if (paths.appFolder.empty() || paths.appFolder.back() != '/') paths.appFolder += '/';
    return paths;
}

}  // namespace zadaravod

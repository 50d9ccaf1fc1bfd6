#include "model/Project.h"

#include <cstdio>
#include <filesystem>

namespace zadaravod {

std::string soundPath(const std::string& soundFolder, const std::string& name) {
    return soundFolder + "/" + name;
}

std::string fileNameOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string folderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string projectFileOf(const std::string& path) {
    std::string file = path;
    while (file.size() > 1 && file.back() == '/') file.pop_back();
    std::error_code ec;
    if (std::filesystem::is_directory(file, ec)) return file + "/" + fileNameOf(file);
    return file;
}

void Project::clearLists() {
    library.removeAll();
    for (auto& list : playlists) list.removeAll();
    backgroundMusic.removeAll();
}

void Project::rebaseLists() {
    // soundPath() for every entry, with the folder part made once and each
    // entry's string reused (a large project has some 19 000 entries).
    const std::string prefix = soundFolder + "/";
    auto rebase = [&prefix](CSoundList& list) {
        for (auto& s : list) s.filePath.assign(prefix).append(s.name);
    };
    rebase(library);
    for (auto& list : playlists) rebase(list);
    rebase(backgroundMusic);
}

std::string Project::imagePath() const {
    return projectFilePath.empty() ? std::string() : projectFilePath + ".bin";
}

}  // namespace zadaravod

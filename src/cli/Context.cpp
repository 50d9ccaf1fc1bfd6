#include <filesystem>
#include <iostream>

#include "app/Editor.h"
#include "cli/Cli.h"
#include "model/ProjectFile.h"

namespace zadaravod::cli {
namespace fs = std::filesystem;

void Context::refuse(const std::string& text) {
    std::cerr << text << '\n';
    exitCode = kExitRefused;
}

bool Context::openProject(const std::string& argument, Project& project) {
    const std::string file = projectFileOf(argument);
    std::error_code ec;
    if (!fs::is_regular_file(file, ec)) {
        refuse("No project at " + argument + ": " + file +
               " does not exist. Give a project folder or its project file.");
        return false;
    }
    Editor editor(ui, paths);
    if (!editor.openProjectFile(fs::absolute(file, ec).lexically_normal().string())) {
        exitCode = kExitRefused;
        return false;
    }
    project = editor.project();
    lock = editor.takeLock();
    return true;
}

bool Context::saveProject(const Project& project) {
    const std::string error = saveProjectFiles(project);
    if (!error.empty()) {
        refuse(error);
        return false;
    }
    return true;
}

int parseListNumber(const std::string& text) {
    if (text.empty()) return -1;
    int value = -1;
    try {
        std::size_t used = 0;
        if (text.size() >= 2 && (text.back() == 'H' || text.back() == 'h')) {
            value = std::stoi(text.substr(0, text.size() - 1), &used, 16);
            if (used != text.size() - 1) return -1;
        } else {
            value = std::stoi(text, &used, 10);
            if (used != text.size()) return -1;
        }
    } catch (const std::exception&) {
        return -1;
    }
    return value >= 0 && value < kPlaylistCount ? value : -1;
}

}  // namespace zadaravod::cli

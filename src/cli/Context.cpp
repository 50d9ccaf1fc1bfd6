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

namespace {
/// A project folder D/N holds its project file D/N/N.
std::string projectFileOf(const std::string& argument) {
    std::string path = argument;
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    std::error_code ec;
    if (fs::is_directory(path, ec)) {
        const std::string name = fileNameOf(path);
        return path + "/" + name;
    }
    return path;
}
}  // namespace

bool Context::openProject(const std::string& argument, Project& project) {
    const std::string file = projectFileOf(argument);
    std::error_code ec;
    if (!fs::is_regular_file(file, ec)) {
        refuse("No project at " + argument + ": " + file +
               " does not exist. Give a project folder or its project file.");
        return false;
    }
    Editor editor(ui, paths);
    ui.openFiles.push_back(fs::absolute(file, ec).lexically_normal().string());
    if (!editor.openProject()) {
        exitCode = kExitRefused;
        return false;
    }
    project = editor.project();
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

std::string listNumberText(int n) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, n <= 15 ? "0%xH" : "%xH", n);
    return buffer;
}

}  // namespace zadaravod::cli

#include "app/Editor.h"

#include <filesystem>

#include "model/ProjectFile.h"
#include "tools/AtomicFile.h"

namespace zadaravod {
namespace fs = std::filesystem;

Editor::Editor(UserInterface& ui, AppPaths paths, EditorView* view)
    : ui_(ui), paths_(std::move(paths)), view_(view ? view : &defaultView_) {
    project_.options.setStartupValues();
    project_.keys.setDefaults();
    project_.equation.setDefaults();
    project_.flashSize.sizeIndex = 0;
}

void Editor::setView(EditorView* view) { view_ = view ? view : &defaultView_; }

void Editor::showFileError(const std::string& text) {
    ui_.message(text, kAppCaption, UserInterface::Icon::Error);
}

bool Editor::saveProject() {
    if (!project_.projectOpen) return true;
    const std::string error = saveProjectFiles(project_);
    if (!error.empty()) {
        showFileError(error);
        return false;
    }
    return true;
}

bool Editor::newProject() {
    saveProject();
    project_.projectOpen = false;

    FileDialogRequest request{kProjectFilter, "winproj", {}, {}};
    auto chosen = ui_.chooseSaveFile(request);
    if (!chosen) return false;
    std::string path = *chosen;
    if (fileNameOf(path).find('.') == std::string::npos) path += ".winproj";

    std::error_code ec;
    if (fs::exists(path, ec)) {
        ui_.message("The project already exists!", kAppCaption);
        return false;
    }
    const std::string name = fileNameOf(path);
    const std::string soundFolder = path + "/" + name + ".sound";
    if (!fs::create_directory(path, ec) || !fs::create_directory(soundFolder, ec)) {
        showFileError("Cannot create the project folder " + path + ": " + ec.message());
        return false;
    }

    title_ = name + " - " + kAppTitle;
    view_->setTitle(title_);
    project_.projectOpen = true;
    project_.clearLists();
    project_.options.setNewValues();
    project_.keys.setDefaults();
    project_.equation.setDefaults();
    view_->setBackgroundMusicViewEnabled(false);
    view_->selectList(0);
    view_->refillViews();

    project_.projectFilePath = path + "/" + name;
    project_.soundFolder = soundFolder;
    view_->refreshCommandState(true);
    const std::string error = saveProjectFiles(project_);
    if (!error.empty()) {
        showFileError(error);
        project_.projectOpen = false;
        project_.projectFilePath.clear();
        project_.soundFolder.clear();
        view_->refreshCommandState(false);
        return false;
    }
    refreshModeCaption();
    return true;
}

bool Editor::openProject() {
    saveProject();
    FileDialogRequest request{kProjectFilter, {}, {}, {}};
    auto chosen = ui_.chooseOpenFile(request);
    if (!chosen) return false;
    return loadProject(*chosen);
}

bool Editor::loadProject(const std::string& file) {
    // Read both files before anything changes, so a file that does not load
    // leaves nothing half-loaded behind that a later save could write out.
    std::string bytes;
    std::string error;
    ProjectFileContent content;
    int sizeIndex = 0;
    bool ok = readWholeFile(file, bytes, error);
    if (ok) {
        try {
            content = loadProjectFile(bytes, file);
            const std::string flashFile = file + "flash";
            std::error_code ec;
            if (fs::exists(flashFile, ec)) {
                std::string flashBytes;
                if (!readWholeFile(flashFile, flashBytes, error)) {
                    ok = false;
                } else {
                    const int stored = loadFlashSizeFile(flashBytes, flashFile).sizeIndex;
                    sizeIndex = stored >= 0 && stored < kFlashSizeCount ? stored : 0;
                }
            }
        } catch (const ArchiveError& e) {
            error = e.what();
            ok = false;
        }
    }

    title_ = fileNameOf(file) + " - " + kAppTitle;
    project_.clearLists();
    project_.options.setOpenValues();
    project_.keys.setDefaults();
    project_.equation.setDefaults();
    view_->selectList(0);

    if (!ok) {
        project_.projectOpen = false;
        project_.projectFilePath.clear();
        project_.soundFolder.clear();
        title_ = kAppTitle;
        view_->setTitle(title_);
        view_->clearViews();
        view_->setModeCaption({});
        view_->refreshCommandState(false);
        showFileError("The project could not be opened.\n" + error +
                      "\nThe file was left as it is.");
        return false;
    }

    view_->setTitle(title_);
    project_.projectOpen = true;
    project_.projectFilePath = file;
    project_.soundFolder = file + ".sound";
    project_.keys.keyFunction = content.keys.keyFunction;
    project_.equation.listOfKey = content.equation.listOfKey;
    COptions& o = project_.options;
    o.externalMode = content.options.externalMode;
    o.controlMode = content.options.controlMode;
    o.audioOutput = content.options.audioOutput;
    o.busyLevel = content.options.busyLevel;
    o.pullUp = content.options.pullUp;
    o.binPath = content.options.binPath;
    o.backgroundMusic = content.options.backgroundMusic;
    view_->setBackgroundMusicViewEnabled(o.controlMode == kModeOneLine ||
                                         o.controlMode == kModeThreeLine);
    view_->checkModeItem(o.controlMode);

    project_.library = std::move(content.library);
    project_.playlists = std::move(content.playlists);
    project_.backgroundMusic = std::move(content.backgroundMusic);
    project_.rebaseLists();

    project_.flashSize.sizeIndex = sizeIndex;
    view_->selectFlashSize(sizeIndex);
    view_->refillViews();
    view_->refreshCommandState(true);
    refreshModeCaption();
    return true;
}

bool Editor::saveAs() {
    const std::string folder = folderOf(project_.projectFilePath);
    auto target = ui_.chooseFolder("Save As", folder);
    if (!target) return false;
    if (folder.empty()) return false;
    return ui_.copyFolder(folder, *target);
}

void Editor::closeProject() {
    title_ = kAppTitle;
    view_->setTitle(title_);
    if (project_.projectOpen) {
        const std::string error = saveProjectFile(project_);
        if (!error.empty()) showFileError(error);
    }
    project_.projectOpen = false;
    view_->refreshCommandState(false);
    project_.projectFilePath.clear();
    project_.soundFolder.clear();
    project_.clearLists();
    view_->clearViews();
    view_->setModeCaption({});
    ui_.message("Close Project", kAppCaption);
}

bool Editor::exit() { return saveProject(); }

void Editor::setControlMode(int mode) {
    project_.options.controlMode = mode;
    view_->checkModeItem(mode);
    refreshModeCaption();
}

void Editor::refreshModeCaption() {
    if (const char* caption = controlModeCaption(project_.options.controlMode)) {
        view_->setModeCaption(caption);
    }
}

void Editor::setFlashSize(int index) {
    project_.flashSize.sizeIndex = index;
}

}  // namespace zadaravod

#include "app/Editor.h"

#include <filesystem>

#include "model/ProjectFile.h"
#include "tools/AtomicFile.h"
#include "tools/ProjectLock.h"

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

bool Editor::saveBeforeLeaving(bool projectFileOnly) {
    if (!project_.projectOpen) return true;
    const std::string error =
        projectFileOnly ? saveProjectFile(project_) : saveProjectFiles(project_);
    if (error.empty()) return true;
    showFileError(error +
                  "\nThe project stays open and nothing was lost. Make its folder "
                  "writable (or free some space), or keep a copy with Save As, then try "
                  "again.");
    return false;
}

void Editor::leaveProject() {
    project_.projectOpen = false;
    project_.projectFilePath.clear();
    project_.soundFolder.clear();
    lock_.release();
}

bool Editor::newProject() {
    if (!saveBeforeLeaving()) return false;
    // No project is open while the dialog is up, nor after a cancel: the
    // window still shows the old content, but nothing can be edited.
    project_.projectOpen = false;
    lock_.release();
    view_->refreshCommandState(false);

    FileDialogRequest request{kProjectFilter, "winproj", {}, {}};
    auto chosen = ui_.chooseSaveFile(request);
    if (!chosen) return false;
    std::string path = *chosen;
    if (fileNameOf(path).find('.') == std::string::npos) path += ".winproj";

    std::error_code ec;
    if (fs::exists(fs::symlink_status(path, ec))) {
        ui_.message("The project already exists!", kAppCaption);
        return false;
    }
    const std::string name = fileNameOf(path);
    const std::string soundFolder = path + "/" + name + ".sound";
    if (!fs::create_directory(path, ec)) {
        showFileError("Cannot create the project folder " + path + ": " + ec.message());
        return false;
    }
    // Whatever fails from here on removes the folder again, so the name
    // stays free for the next try.
    std::string error;
    if (!fs::create_directory(soundFolder, ec)) {
        error = "Cannot create the sound folder " + soundFolder + ": " + ec.message();
    } else {
        error = lock_.acquire(path, lockWait_);
    }
    Project created;
    if (error.empty()) {
        created.projectFilePath = path + "/" + name;
        created.soundFolder = soundFolder;
        created.options = project_.options;
        created.options.setNewValues();
        created.keys.setDefaults();
        created.equation.setDefaults();
        created.flashSize = project_.flashSize;
        error = saveProjectFiles(created);
    }
    if (!error.empty()) {
        lock_.release();
        fs::remove_all(path, ec);
        showFileError(error + "\nNo project was created.");
        view_->refreshCommandState(false);
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
    project_.projectFilePath = created.projectFilePath;
    project_.soundFolder = soundFolder;
    view_->refreshCommandState(true);
    refreshModeCaption();
    return true;
}

bool Editor::openProject() {
    if (!saveBeforeLeaving()) return false;
    FileDialogRequest request{kProjectFilter, {}, {}, {}};
    auto chosen = ui_.chooseOpenFile(request);
    if (!chosen) return false;
    return loadProject(*chosen);
}

bool Editor::openProjectFile(const std::string& path) {
    if (!saveBeforeLeaving()) return false;
    return loadProject(projectFileOf(path));
}

namespace {

/// True when `a` and `b` name the same existing folder.
bool sameFolder(const std::string& a, const std::string& b) {
    if (a.empty() || b.empty()) return false;
    std::error_code ec;
    return a == b || (fs::equivalent(a, b, ec) && !ec);
}

/// The flash size a flash-size file gives; "" in `ignored` when it was used,
/// else why it was not (a missing file is no problem: 4M).
int readFlashSize(const std::string& flashFile, std::string& ignored) {
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(flashFile, ec))) return 0;
    std::string bytes;
    std::string error;
    if (!readWholeFile(flashFile, bytes, error, 1 << 16)) {
        ignored = error;
        return 0;
    }
    try {
        const int stored = loadFlashSizeFile(bytes, flashFile).sizeIndex;
        return stored >= 0 && stored < kFlashSizeCount ? stored : 0;
    } catch (const ArchiveError& e) {
        ignored = e.what();
        return 0;
    }
}

}  // namespace

bool Editor::loadProject(const std::string& file) {
    // The lock comes first, so no other program saves while the files are
    // read; both files are read before anything changes, so a file that does
    // not load leaves nothing half-loaded behind that a later save could
    // write out.
    std::string error;
    const std::string folder = folderOf(file);
    ProjectLock newLock;
    const bool reopening = sameFolder(folder, lock_.folder());
    if (!reopening) error = newLock.acquire(folder.empty() ? std::string(".") : folder, lockWait_);

    std::string bytes;
    ProjectFileContent content;
    if (error.empty() && readWholeFile(file, bytes, error)) {
        try {
            content = loadProjectFile(bytes, file);
            error = checkProjectContent(content, file);
        } catch (const ArchiveError& e) {
            error = e.what();
        }
    } else if (error.empty()) {
        error = "The file cannot be read.";
    }
    std::string flashIgnored;
    const int sizeIndex = error.empty() ? readFlashSize(file + "flash", flashIgnored) : 0;

    title_ = fileNameOf(file) + " - " + kAppTitle;
    project_.clearLists();
    project_.options.setOpenValues();
    project_.keys.setDefaults();
    project_.equation.setDefaults();
    view_->selectList(0);

    if (!error.empty()) {
        leaveProject();
        title_ = kAppTitle;
        view_->setTitle(title_);
        view_->clearViews();
        view_->setModeCaption({});
        view_->refreshCommandState(false);
        showFileError("The project could not be opened.\n" + error +
                      "\nThe file was left as it is.");
        return false;
    }
    if (!reopening) lock_ = std::move(newLock);

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
    if (!flashIgnored.empty()) {
        ui_.message("The flash size file was ignored: " + flashIgnored +
                        "\nThe flash size is set to 4M; the file is written anew with the "
                        "next save.",
                    kAppCaption, UserInterface::Icon::Warning);
    }
    return true;
}

bool Editor::saveAs() {
    const std::string folder = folderOf(project_.projectFilePath);
    auto target = ui_.chooseFolder("Save As", folder);
    if (!target) return false;
    if (folder.empty()) return false;
    return ui_.copyFolder(folder, *target);
}

bool Editor::closeProject() {
    // Close stores the project file only; the flash-size file keeps what the
    // last save wrote.
    if (!saveBeforeLeaving(true)) return false;
    title_ = kAppTitle;
    view_->setTitle(title_);
    leaveProject();
    view_->refreshCommandState(false);
    project_.clearLists();
    view_->clearViews();
    view_->setModeCaption({});
    ui_.message("Close Project", kAppCaption);
    return true;
}

bool Editor::exit() { return saveBeforeLeaving(); }

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

void Editor::setFlashSize(int index) { project_.flashSize.sizeIndex = index; }

}  // namespace zadaravod

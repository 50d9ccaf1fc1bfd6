#include "commands/ProjectFiles.h"

#include <filesystem>

#include "io/AtomicFile.h"
#include "io/FolderCopy.h"
#include "model/ProjectFile.h"

namespace zadaravod {
namespace fs = std::filesystem;

namespace {

/// True when `a` and `b` name the same existing folder.
bool sameFolder(const std::string& a, const std::string& b) {
    if (a.empty() || b.empty()) return false;
    std::error_code ec;
    return a == b || (fs::equivalent(a, b, ec) && !ec);
}

Message fileError(const std::string& text) { return failure(text); }

}  // namespace

ProjectFiles::ProjectFiles(Messenger& messenger, AppPaths paths, ProjectView* view)
    : messenger_(messenger), paths_(std::move(paths)), view_(view ? view : &defaultView_) {
    project_.options.setStartupValues();
    project_.keys.setDefaults();
    project_.equation.setDefaults();
    project_.flashSize.sizeIndex = 0;
}

ProjectFiles::~ProjectFiles() { history_.end(); }

void ProjectFiles::setView(ProjectView* view) { view_ = view ? view : &defaultView_; }

Done ProjectFiles::save() {
    if (!project_.projectOpen) return {};
    const std::string error = saveProjectFiles(project_);
    if (!error.empty()) return fileError(error);
    return {};
}

Done ProjectFiles::saveBeforeLeaving(bool projectFileOnly) {
    if (!project_.projectOpen) return {};
    const std::string error =
        projectFileOnly ? saveProjectFile(project_) : saveProjectFiles(project_);
    if (error.empty()) return {};
    return fileError(error +
                     "\nThe project stays open and nothing was lost. Make its folder writable "
                     "(or free some space), or keep a copy with Save As, then try again.");
}

void ProjectFiles::leaveProject() {
    project_.projectOpen = false;
    project_.projectFilePath.clear();
    project_.soundFolder.clear();
    history_.end();
    lock_.release();
}

Done ProjectFiles::newAt(const std::string& path) {
    if (Done saved = saveBeforeLeaving(); !saved) return saved;
    return create(path);
}

Done ProjectFiles::create(std::string path) {
    // No project is open from here on, nor after a refusal: the window still
    // shows the old content, but nothing can be edited.
    project_.projectOpen = false;
    history_.end();
    lock_.release();
    view_->refreshCommandState(false);

    if (fileNameOf(path).find('.') == std::string::npos) path += ".winproj";
    std::error_code ec;
    if (fs::exists(fs::symlink_status(path, ec))) {
        return failure("The project already exists!", MessageIcon::None);
    }
    const std::string name = fileNameOf(path);
    const std::string soundFolder = path + "/" + name + ".sound";
    if (!fs::create_directory(path, ec)) {
        return fileError("Cannot create the project folder " + path + ": " + ec.message());
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
        return fileError(error + "\nNo project was created.");
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
    history_.start(project_);
    view_->refreshCommandState(true);
    refreshModeCaption();
    return {};
}

Done ProjectFiles::open(const std::string& path) {
    if (Done saved = saveBeforeLeaving(); !saved) return saved;
    return load(projectFileOf(path));
}

Done ProjectFiles::load(const std::string& file) {
    // The lock comes first, so no other program saves while the files are
    // read; both files are read before anything changes, so a file that does
    // not load leaves nothing half-loaded behind that a later save could
    // write out.
    std::string error;
    const std::string folder = folderOf(file);
    ProjectLock newLock;
    const bool reopening = sameFolder(folder, lock_.folder());
    if (!reopening) error = newLock.acquire(folder.empty() ? std::string(".") : folder, lockWait_);

    LoadedProject loaded;
    if (error.empty()) readProject(file, loaded, error);

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
        return fileError("The project could not be opened.\n" + error +
                         "\nThe file was left as it is.");
    }
    if (!reopening) lock_ = std::move(newLock);

    view_->setTitle(title_);
    project_.projectOpen = true;
    project_.projectFilePath = file;
    project_.soundFolder = loaded.project.soundFolder;
    project_.keys = loaded.project.keys;
    project_.equation = loaded.project.equation;
    project_.options = loaded.project.options;
    const COptions& o = project_.options;
    view_->setBackgroundMusicViewEnabled(modeHasBackgroundMusic(o.controlMode));
    view_->checkModeItem(o.controlMode);

    project_.library = std::move(loaded.project.library);
    project_.playlists = std::move(loaded.project.playlists);
    project_.backgroundMusic = std::move(loaded.project.backgroundMusic);

    const int sizeIndex = loaded.project.flashSize.sizeIndex;
    project_.flashSize.sizeIndex = sizeIndex;
    history_.start(project_);
    view_->selectFlashSize(sizeIndex);
    view_->refillViews();
    view_->refreshCommandState(true);
    refreshModeCaption();
    if (!loaded.flashIgnored.empty()) {
        messenger_.message("The flash size file was ignored: " + loaded.flashIgnored +
                               "\nThe flash size is set to 4M; the file is written anew with "
                               "the next save.",
                           kAppCaption, MessageIcon::Warning);
    }
    return {};
}

Result<std::string> ProjectFiles::saveAs(const std::string& parentFolder, Messenger& messenger) {
    const std::string folder = folderOf(project_.projectFilePath);
    if (folder.empty()) return fileError("No project is open.");
    const FolderCopyTarget target = folderCopyTarget(folder, parentFolder);
    if (!target.error.empty()) return fileError(target.error);
    FolderCopyHooks hooks;
    hooks.askOverwrite = [](const std::string&) { return OverwriteAnswer::YesToAll; };
    hooks.progress = [&](int done, int total) { return messenger.progress(done, total); };
    // What undo keeps is no part of the project.
    hooks.skip = [](const std::string& relative) { return relative == kHoldingFolderName; };
    const std::string error = copyFolderTree(folder, parentFolder, hooks);
    if (error == kCopyStopped) return fileError("The copy was stopped; it is incomplete.");
    if (!error.empty()) return fileError(error);
    return target.path;
}

Done ProjectFiles::close() {
    // Close stores the project file only; the flash-size file keeps what the
    // last save wrote.
    if (Done saved = saveBeforeLeaving(true); !saved) return saved;
    title_ = kAppTitle;
    view_->setTitle(title_);
    leaveProject();
    view_->refreshCommandState(false);
    project_.clearLists();
    view_->clearViews();
    view_->setModeCaption({});
    messenger_.message("Close Project", kAppCaption);
    return {};
}

Done ProjectFiles::exit() { return saveBeforeLeaving(); }

void ProjectFiles::setControlMode(int mode) {
    project_.options.controlMode = mode;
    view_->checkModeItem(mode);
    refreshModeCaption();
}

void ProjectFiles::refreshModeCaption() {
    if (const char* caption = controlModeCaption(project_.options.controlMode)) {
        view_->setModeCaption(caption);
    }
}

void ProjectFiles::setFlashSize(int index) { project_.flashSize.sizeIndex = index; }

// --- the window's dialog-asking versions ----------------------------------------

namespace {
/// Shows a failed result; returns whether it succeeded.
bool shown(const Done& result, Messenger& messenger) {
    if (!result) messenger.tell(result.error());
    return result.ok();
}
}  // namespace

bool ProjectFiles::newProject(UserInterface& ui) {
    if (!shown(saveBeforeLeaving(), ui)) return false;
    project_.projectOpen = false;
    history_.end();
    lock_.release();
    view_->refreshCommandState(false);
    const auto chosen = ui.chooseSaveFile({kProjectFilter, "winproj", {}, {}});
    if (!chosen) return false;
    return shown(create(*chosen), ui);
}

bool ProjectFiles::openProject(UserInterface& ui) {
    if (!shown(saveBeforeLeaving(), ui)) return false;
    const auto chosen = ui.chooseOpenFile({kProjectFilter, {}, {}, {}});
    if (!chosen) return false;
    return shown(load(*chosen), ui);
}

bool ProjectFiles::saveAsProject(UserInterface& ui) {
    const std::string folder = folderOf(project_.projectFilePath);
    const auto parent = ui.chooseFolder("Save As", folder);
    if (!parent || folder.empty()) return false;
    const FolderCopyTarget target = folderCopyTarget(folder, *parent);
    if (!target.error.empty()) {
        ui.message(target.error, kAppCaption, MessageIcon::Error);
        return false;
    }
    std::error_code ec;
    if (fs::exists(target.path, ec) &&
        !ui.confirm("The folder\n" + *parent + "\nalready holds " + fileNameOf(target.path) +
                    ".\nReplace the files in it with the project's files?")) {
        return false;
    }
    const Result<std::string> copied = saveAs(*parent, ui);
    if (!copied) {
        ui.tell(copied.error());
        return false;
    }
    ui.status("The project folder was copied to " + copied.value());
    return true;
}

}  // namespace zadaravod

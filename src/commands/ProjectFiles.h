#pragma once

#include <chrono>
#include <string>

#include "commands/EditHistory.h"
#include "commands/Result.h"
#include "commands/UserInterface.h"
#include "io/AppPaths.h"
#include "io/ProjectLock.h"
#include "model/Project.h"

namespace zadaravod {

/// What the project commands ask of the window that shows the project. Every
/// method has an empty default, so the command-line tool and the tests need
/// not implement what they do not show.
class ProjectView {
  public:
    virtual ~ProjectView() = default;
    virtual void setTitle(const std::string& title) { (void)title; }
    /// Enables or grays the project commands (with a project open or not).
    virtual void refreshCommandState(bool withProject) { (void)withProject; }
    /// Rebuilds the three list views and the memory gauge from the model.
    virtual void refillViews() {}
    /// Removes every item from the three list views.
    virtual void clearViews() {}
    /// Selects list n in the list-number combo and list box.
    virtual void selectList(int n) { (void)n; }
    /// Selects entry `index` of the flash-size combo.
    virtual void selectFlashSize(int index) { (void)index; }
    virtual void setBackgroundMusicViewEnabled(bool enabled) { (void)enabled; }
    /// Puts the check mark of the mode menu on `controlMode`'s item (none for 5).
    virtual void checkModeItem(int controlMode) { (void)controlMode; }
    /// Shows the control mode caption, or clears it when `caption` is empty.
    virtual void setModeCaption(const std::string& caption) { (void)caption; }
};

/// The open project and the project file commands: New, Open, Save, Save
/// As, Close, Exit. It owns the project and the lock of its folder, tells
/// the user through the Messenger and shows results through the view.
///
/// The entry points take the values a dialog would have produced (a path, a
/// folder) and return Done or the message saying why not; the dialog-asking
/// versions (newProject, openProject, saveAsProject) ask through the
/// UserInterface, call them and show their failure.
class ProjectFiles {
  public:
    static constexpr const char* kStartTitle = "KD-7731 редактор образов";
    static constexpr const char* kProjectFilter = "Project Files(*.winproj)|*.winproj||";

    ProjectFiles(Messenger& messenger, AppPaths paths, ProjectView* view = nullptr);
    /// Ends the edit history (its undo folder goes) without saving.
    ~ProjectFiles();
    ProjectFiles(const ProjectFiles&) = delete;
    ProjectFiles& operator=(const ProjectFiles&) = delete;

    Project& project() { return project_; }
    const Project& project() const { return project_; }
    const AppPaths& paths() const { return paths_; }
    ProjectView& view() { return *view_; }
    void setView(ProjectView* view);
    const std::string& title() const { return title_; }
    /// The undo and redo history of the open project; it starts when a
    /// project is opened or created and ends when it is left.
    EditHistory& history() { return history_; }

    // --- entry points ------------------------------------------------------

    /// Writes the project file and the flash-size file; done at once without
    /// an open project.
    Done save();
    /// The automatic save when a project is left (for New, Open, Close,
    /// Exit). A failure keeps the project open and unchanged and says so.
    Done saveBeforeLeaving(bool projectFileOnly = false);
    /// Saves the open project, then creates the project `path` (a ".winproj"
    /// extension is added to a name without any). On a failure after the
    /// save no project is open, and a half-made folder is removed again.
    Done newAt(const std::string& path);
    /// Saves the open project, then opens `path` (a project file or its
    /// folder). A file that does not load leaves no project open and is not
    /// touched; the lock of another program refuses it.
    Done open(const std::string& path);
    /// Copies the project folder into `parentFolder` (its files replace those
    /// of an earlier copy there); progress goes to `messenger`. Returns the
    /// path of the copy.
    Result<std::string> saveAs(const std::string& parentFolder, Messenger& messenger);
    /// Stores the project file (not the flash-size file) and closes.
    Done close();
    /// Saves the project before the window goes away.
    Done exit();

    /// The control mode commands: set the mode, move the check mark, caption.
    void setControlMode(int mode);
    /// Shows the caption of the current control mode (unknown modes leave it).
    void refreshModeCaption();
    /// The flash-size combo changed.
    void setFlashSize(int index);

    // --- the window's dialog-asking versions ---------------------------------

    /// New with the save dialog. False when cancelled or failed (shown).
    bool newProject(UserInterface& ui);
    /// Open with the open dialog; a cancel keeps the current project open.
    bool openProject(UserInterface& ui);
    /// Save As with the folder browser, asking before an earlier copy's files
    /// are replaced; says where the copy went.
    bool saveAsProject(UserInterface& ui);

    /// Hands the lock of the open project's folder to the caller, which then
    /// keeps the project from other writers (this object no longer does).
    ProjectLock takeLock() { return std::move(lock_); }
    /// How long Open and New wait for another program to let go of a project.
    void setLockWait(std::chrono::milliseconds wait) { lockWait_ = wait; }

  private:
    /// Loads `file` into the project with the Open rules.
    Done load(const std::string& file);
    /// Clears the project state and releases the folder's lock.
    void leaveProject();
    /// New after the automatic save: no project is open from here on.
    Done create(std::string path);

    Messenger& messenger_;
    AppPaths paths_;
    ProjectView defaultView_;
    ProjectView* view_;
    Project project_;
    EditHistory history_;
    std::string title_ = kStartTitle;
    ProjectLock lock_;
    std::chrono::milliseconds lockWait_ = ProjectLock::kDefaultWait;
};

}  // namespace zadaravod

#pragma once

#include <string>

#include "model/AppPaths.h"
#include "model/Project.h"
#include "model/UserInterface.h"
#include "tools/ProjectLock.h"

namespace zadaravod {

/// What the project flows ask of the window that shows the project. Every
/// method has an empty default, so the command-line tool and the tests need
/// not implement what they do not show.
class EditorView {
  public:
    virtual ~EditorView() = default;
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

/// The project commands of the main window — New, Open, Save, Save As,
/// Close, Exit — in plain C++. The editor owns the project; it asks the user
/// only through the UserInterface and shows results only through the view.
class Editor {
  public:
    static constexpr const char* kStartTitle = "KD-7731 редактор образов";
    static constexpr const char* kProjectFilter = "Project Files(*.winproj)|*.winproj||";

    Editor(UserInterface& ui, AppPaths paths, EditorView* view = nullptr);

    Project& project() { return project_; }
    const Project& project() const { return project_; }
    const AppPaths& paths() const { return paths_; }
    UserInterface& ui() { return ui_; }
    EditorView& view() { return *view_; }
    void setView(EditorView* view);
    const std::string& title() const { return title_; }

    /// Writes the project file and the flash-size file; does nothing without
    /// an open project. A failure is shown and returns false.
    bool saveProject();
    /// Saves, then creates a project chosen in the save dialog. False when
    /// the save failed (the project stays open), or when cancelled, refused
    /// or failed (no project is open then, and a half-made folder is removed).
    bool newProject();
    /// Saves, then opens a project chosen in the open dialog. False when the
    /// save failed or the dialog was cancelled (the old project stays open),
    /// or when loading failed (no project is open, the file is untouched and
    /// the user was told why).
    bool openProject();
    /// Open without the dialog: `path` is a project file or its folder.
    bool openProjectFile(const std::string& path);
    /// Copies the project folder into a folder the user chooses.
    bool saveAs();
    /// Stores the project file (not the flash-size file) and closes. False
    /// when the store failed: the project then stays open, unchanged.
    bool closeProject();
    /// Saves the project before the window goes away; false when that failed.
    bool exit();
    /// Hands the lock of the open project's folder to the caller, which then
    /// keeps the project from other writers (the editor no longer does).
    ProjectLock takeLock() { return std::move(lock_); }
    /// How long Open and New wait for another program to let go of a project.
    void setLockWait(std::chrono::milliseconds wait) { lockWait_ = wait; }

    /// The control mode commands: set the mode, move the check mark, caption.
    void setControlMode(int mode);
    /// Shows the caption of the current control mode (unknown modes leave it).
    void refreshModeCaption();
    /// The flash-size combo changed.
    void setFlashSize(int index);

  private:
    /// Loads `file` into the project with the Open rules; false on failure.
    bool loadProject(const std::string& file);
    void showFileError(const std::string& text);
    /// The automatic save when a project is left; a failure is shown with
    /// what to do, and returns false.
    bool saveBeforeLeaving(bool projectFileOnly = false);
    /// Clears the project state and releases the folder's lock.
    void leaveProject();

    UserInterface& ui_;
    AppPaths paths_;
    EditorView defaultView_;
    EditorView* view_;
    Project project_;
    std::string title_ = kStartTitle;
    ProjectLock lock_;
    std::chrono::milliseconds lockWait_ = ProjectLock::kDefaultWait;
};

}  // namespace zadaravod

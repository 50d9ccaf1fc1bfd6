#pragma once

#include <QString>
#include <functional>
#include <string>

#include "model/UserInterface.h"

class QWidget;

namespace zadaravod {

/// Turns a classic filter ("Project Files(*.winproj)|*.winproj||") into the
/// name filters of a Qt file dialog ("Project Files(*.winproj)"), one filter
/// per description/pattern pair. A pattern list "*.a;*.b" becomes "*.a *.b".
QString qtFileFilter(const std::string& classic);

/// What the folder copy asks before it overwrites an existing file or folder.
enum class OverwriteAnswer { Yes, YesToAll, No, Cancel };

/// The callbacks of copyFolderTree().
struct FolderCopyHooks {
    /// Asked once per existing target entry until YesToAll.
    std::function<OverwriteAnswer(const std::string& target)> askOverwrite;
    /// Files copied so far and in all; false stops the copy.
    std::function<bool(int done, int total)> progress;
};

/// Where copyFolderTree() puts the copy of `source`: destinationParent/<the
/// name of source>, both made absolute and free of "..". `error` says why no
/// copy can be made there (a folder that does not exist, a copy into the
/// folder itself or below it); `path` is then empty.
struct FolderCopyTarget {
    std::string path;
    std::string error;
};
FolderCopyTarget folderCopyTarget(const std::string& source, const std::string& destinationParent);

/// Copies the folder `source` with all its content into `destinationParent`
/// (the copy is destinationParent/<source's name>). Every file is written
/// through a temporary file and renamed into place, so an interrupted copy
/// never leaves a half-written file. Copying a folder into itself or below
/// itself is refused. Returns "" on success, "stopped" when the user
/// stopped, else the reason.
std::string copyFolderTree(const std::string& source, const std::string& destinationParent,
                           const FolderCopyHooks& hooks);

/// The user-interface seam with real Qt dialogs: message boxes with their
/// caption and icon, the file dialogs with the classic filters and default
/// extensions, the folder browser, the folder copy with a progress dialog,
/// and the small dialogs of the editor.
///
/// The folder copy asks before its progress dialog shows whether a copy that
/// is already in the target folder may be replaced (both are modal: a
/// question under the progress dialog could not be answered), and after a
/// copy it says in the status line where the copy went.
///
/// Test hook: with setTestAnswers() every request is answered by the given
/// object (usually a ScriptedUserInterface) instead of a dialog, so the whole
/// window runs in tests without a person. The hook is per object, not global.
class QtUserInterface : public UserInterface {
  public:
    explicit QtUserInterface(QWidget* parent = nullptr) : parent_(parent) {}

    void setParent(QWidget* parent) { parent_ = parent; }
    /// Answers every request from `answers` (not owned; nullptr = real dialogs).
    void setTestAnswers(UserInterface* answers) { answers_ = answers; }
    UserInterface* testAnswers() const { return answers_; }
    /// Where status() texts go (the status bar); empty = nowhere.
    void setStatusSink(std::function<void(const QString&)> sink) { statusSink_ = std::move(sink); }
    void setProgressSink(std::function<void(int)> sink) { progressSink_ = std::move(sink); }

    void message(const std::string& text, const std::string& caption, Icon icon) override;
    std::optional<std::string> chooseSaveFile(const FileDialogRequest& request) override;
    std::optional<std::string> chooseOpenFile(const FileDialogRequest& request) override;
    std::optional<std::vector<std::string>> chooseOpenFiles(
        const FileDialogRequest& request) override;
    std::optional<std::string> chooseFolder(const std::string& title,
                                            const std::string& startFolder) override;
    bool copyFolder(const std::string& source, const std::string& destinationParent) override;
    int confirmDelete() override;
    int chooseLibrarySound(const CSoundList& library) override;
    int chooseSilence(int listWeight) override;
    int chooseSamplingRate(int rateLimit) override;
    void status(const std::string& text) override;
    void progress(int percent) override;

  private:
    QWidget* parent_;
    UserInterface* answers_ = nullptr;
    std::function<void(const QString&)> statusSink_;
    std::function<void(int)> progressSink_;
};

}  // namespace zadaravod

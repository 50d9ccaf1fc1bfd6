#pragma once

#include <QString>
#include <functional>
#include <string>

#include "commands/UserInterface.h"

class QWidget;

namespace zadaravod {

/// Turns a classic filter ("Project Files(*.winproj)|*.winproj||") into the
/// name filters of a Qt file dialog ("Project Files(*.winproj)"), one filter
/// per description/pattern pair. A pattern list "*.a;*.b" becomes "*.a *.b".
QString qtFileFilter(const std::string& classic);

/// The user-interface seam with real Qt dialogs: message boxes with their
/// caption and icon, the file dialogs with the classic filters and default
/// extensions, the folder browser, yes/no questions, and the small dialogs
/// of the editor; status lines and progress go to the sinks the window sets.
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
    /// Where progress() goes (the progress bar): done of total steps.
    void setProgressSink(std::function<void(int, int)> sink) { progressSink_ = std::move(sink); }

    void message(const std::string& text, const std::string& caption, Icon icon) override;
    std::optional<std::string> chooseSaveFile(const FileDialogRequest& request) override;
    std::optional<std::string> chooseOpenFile(const FileDialogRequest& request) override;
    std::optional<std::vector<std::string>> chooseOpenFiles(
        const FileDialogRequest& request) override;
    std::optional<std::string> chooseFolder(const std::string& title,
                                            const std::string& startFolder) override;
    bool confirm(const std::string& question) override;
    int confirmDelete() override;
    int chooseLibrarySound(const CSoundList& library) override;
    int chooseSilence(int listWeight) override;
    int chooseSamplingRate(int rateLimit) override;
    bool reviewFindings(const std::vector<Finding>& findings, FindingsReview review) override;
    void status(const std::string& text) override;
    bool progress(int done, int total) override;

  private:
    QWidget* parent_;
    UserInterface* answers_ = nullptr;
    std::function<void(const QString&)> statusSink_;
    std::function<void(int, int)> progressSink_;
};

}  // namespace zadaravod

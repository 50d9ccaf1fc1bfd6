#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "commands/ProjectCheck.h"
#include "commands/UserInterface.h"

namespace zadaravod {

/// A UserInterface for tests: it answers from queues filled in advance and
/// records every message, status line and progress step. An empty queue
/// answers "cancel" (and "no" to a question).
class ScriptedUserInterface : public UserInterface {
  public:
    std::vector<Message> messages;
    std::vector<std::string> statusLines;
    std::function<void(const Message&)> onMessage;  ///< called for every message

    std::deque<std::optional<std::string>> saveFiles;
    std::deque<std::optional<std::string>> openFiles;
    std::deque<std::optional<std::vector<std::string>>> openFileLists;
    std::deque<std::optional<std::string>> folders;
    std::deque<bool> questionAnswers;
    /// When set, answers the yes/no questions instead of questionAnswers.
    std::function<bool(const std::string&)> onConfirm;
    std::deque<int> confirmAnswers;
    std::deque<int> librarySounds;
    std::deque<int> silences;
    std::deque<int> samplingRates;
    /// The answer to a project check's warnings before a command: go on
    /// (tests of other things build and download without being asked).
    bool continueAfterWarnings = true;
    /// What each check showed, and how it was shown.
    std::vector<std::pair<std::vector<Finding>, FindingsReview>> reviews;

    /// The requests the dialogs were opened with, for assertions.
    std::vector<FileDialogRequest> fileRequests;
    std::vector<int> rateLimits;
    std::vector<int> silenceWeights;
    std::vector<std::string> questions;
    std::vector<std::pair<int, int>> progressSteps;
    int confirmCount = 0;
    int libraryPickerCount = 0;

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
    void status(const std::string& text) override { statusLines.push_back(text); }
    /// When set, answers progress(): false asks the command to stop.
    std::function<bool(int, int)> onProgress;
    bool progress(int done, int total) override {
        progressSteps.emplace_back(done, total);
        return onProgress ? onProgress(done, total) : true;
    }

    /// The texts of all messages so far, in order.
    std::vector<std::string> texts() const;
    bool saw(const std::string& text) const;
};

/// Shows a command's failure as the window does (unless it has nothing to
/// say) and tells whether the command succeeded.
template <typename R>
bool shown(const R& result, Messenger& messenger) {
    if (!result && !result.error().text.empty()) messenger.tell(result.error());
    return result.ok();
}

}  // namespace zadaravod

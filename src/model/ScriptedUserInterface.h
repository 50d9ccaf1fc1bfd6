#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "model/UserInterface.h"

namespace zadaravod {

/// A UserInterface that answers from queues filled in advance and records
/// every message. The command-line tool fills it from its arguments (and
/// prints the messages); the tests script it. An empty queue answers "cancel".
class ScriptedUserInterface : public UserInterface {
  public:
    struct Message {
        std::string text;
        std::string caption;
        Icon icon;
    };

    std::vector<Message> messages;
    std::vector<std::string> statusLines;
    std::function<void(const Message&)> onMessage;  ///< called for every message

    std::deque<std::optional<std::string>> saveFiles;
    std::deque<std::optional<std::string>> openFiles;
    std::deque<std::optional<std::vector<std::string>>> openFileLists;
    std::deque<std::optional<std::string>> folders;
    std::deque<int> confirmAnswers;
    std::deque<int> librarySounds;
    std::deque<int> silences;
    std::deque<int> samplingRates;
    /// What copyFolder does; the default copies with std::filesystem.
    std::function<bool(const std::string&, const std::string&)> folderCopier;

    /// The requests the dialogs were opened with, for assertions.
    std::vector<FileDialogRequest> fileRequests;
    std::vector<int> rateLimits;
    std::vector<int> silenceWeights;
    int confirmCount = 0;
    int libraryPickerCount = 0;

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
    void status(const std::string& text) override { statusLines.push_back(text); }

    /// The texts of all messages so far, in order.
    std::vector<std::string> texts() const;
    bool saw(const std::string& text) const;
};

}  // namespace zadaravod

#include "support/ScriptedUserInterface.h"

#include <algorithm>

namespace zadaravod {

namespace {
// The next scripted answer, or "cancelled" when the script has run out.
template <typename T>
std::optional<T> take(std::deque<std::optional<T>>& queue) {
    std::optional<T> value;
    if (!queue.empty()) {
        value.swap(queue.front());
        queue.pop_front();
    }
    return value;
}

int take(std::deque<int>& queue, int fallback) {
    if (queue.empty()) return fallback;
    const int value = queue.front();
    queue.pop_front();
    return value;
}
}  // namespace

void ScriptedUserInterface::message(const std::string& text, const std::string& caption,
                                    Icon icon) {
    messages.push_back({text, caption, icon});
    if (onMessage) onMessage(messages.back());
}

std::optional<std::string> ScriptedUserInterface::chooseSaveFile(const FileDialogRequest& r) {
    fileRequests.push_back(r);
    return take(saveFiles);
}

std::optional<std::string> ScriptedUserInterface::chooseOpenFile(const FileDialogRequest& r) {
    fileRequests.push_back(r);
    return take(openFiles);
}

std::optional<std::vector<std::string>> ScriptedUserInterface::chooseOpenFiles(
    const FileDialogRequest& r) {
    fileRequests.push_back(r);
    return take(openFileLists);
}

std::optional<std::string> ScriptedUserInterface::chooseFolder(const std::string&,
                                                               const std::string&) {
    return take(folders);
}

bool ScriptedUserInterface::confirm(const std::string& question) {
    questions.push_back(question);
    if (onConfirm) return onConfirm(question);
    if (questionAnswers.empty()) return false;
    const bool answer = questionAnswers.front();
    questionAnswers.pop_front();
    return answer;
}

int ScriptedUserInterface::confirmDelete() {
    ++confirmCount;
    return take(confirmAnswers, 1096);
}

int ScriptedUserInterface::chooseLibrarySound(const CSoundList&) {
    ++libraryPickerCount;
    return take(librarySounds, 1073);
}

int ScriptedUserInterface::chooseSilence(int listWeight) {
    silenceWeights.push_back(listWeight);
    return take(silences, 1071);
}

int ScriptedUserInterface::chooseSamplingRate(int rateLimit) {
    rateLimits.push_back(rateLimit);
    return take(samplingRates, 0);
}

std::vector<std::string> ScriptedUserInterface::texts() const {
    std::vector<std::string> out;
    for (const auto& m : messages) out.push_back(m.text);
    return out;
}

bool ScriptedUserInterface::saw(const std::string& text) const {
    return std::any_of(messages.begin(), messages.end(),
                       [&](const Message& m) { return m.text == text; });
}

bool ScriptedUserInterface::reviewFindings(const std::vector<Finding>& findings,
                                           FindingsReview review) {
    reviews.emplace_back(findings, review);
    return review == FindingsReview::MayContinue && continueAfterWarnings;
}

}  // namespace zadaravod

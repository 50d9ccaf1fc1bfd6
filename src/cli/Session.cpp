#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <csignal>
#include <filesystem>
#include <iostream>

#include "cli/Cli.h"
#include "format/ChipConstants.h"
#include "io/ProjectLock.h"
#include "model/ProjectFile.h"

namespace zadaravod::cli {
namespace fs = std::filesystem;

namespace {

/// Set by Ctrl+C inside a StopOnInterrupt.
volatile std::sig_atomic_t interruptAsked = 0;
void (*previousInterrupt)(int) = SIG_DFL;

extern "C" void askToStop(int) {
    interruptAsked = 1;
    std::signal(SIGINT, SIG_DFL);  // the next Ctrl+C ends the program
}

}  // namespace

Console::Console() : terminal_(::isatty(STDERR_FILENO) != 0) {}

Console::StopOnInterrupt::StopOnInterrupt() {
    interruptAsked = 0;
    previousInterrupt = std::signal(SIGINT, askToStop);
}

Console::StopOnInterrupt::~StopOnInterrupt() {
    std::signal(SIGINT, previousInterrupt == SIG_ERR ? SIG_DFL : previousInterrupt);
    interruptAsked = 0;
}

void Console::clearProgress() {
    if (!drawn_) return;
    std::cerr << "\r\033[K" << std::flush;
    drawn_ = false;
}

void Console::drawProgress() {
    if (!terminal_ || !running_) return;
    const std::string text = label_.empty() ? std::string("Working") : label_;
    std::cerr << "\r\033[K" << text;
    if (total_ > 0) std::cerr << " (" << 100LL * done_ / total_ << " %)";
    std::cerr << std::flush;
    drawn_ = true;
}

void Console::message(const std::string& text, const std::string&, Icon) {
    clearProgress();
    std::cerr << text << '\n';
    drawProgress();
}

void Console::status(const std::string& text) {
    if (running_) {  // the progress line's text
        label_ = text;
        drawProgress();
        return;
    }
    clearProgress();
    (statusToError_ ? std::cerr : std::cout) << text << '\n';
}

bool Console::progress(int done, int total) {
    if (interruptAsked != 0) {
        endProgress();
        return false;
    }
    if (total <= 0 || done < total) {
        if (!running_) label_.clear();
        running_ = true;
        done_ = done;
        total_ = total;
        drawProgress();
    } else {
        endProgress();
    }
    return true;
}

void Console::endProgress() {
    running_ = false;
    clearProgress();
}

void Session::refuse(const Message& message) {
    console.endProgress();
    // An empty text: the command has told the user already.
    if (!message.text.empty()) console.tell(message);
    exitCode = kExitRefused;
}

void Session::usage(const std::string& text) {
    static const std::string program = "zadaravod-cli: ";
    std::cerr << (text.rfind(program, 0) == 0 ? "" : program) << text << '\n';
    exitCode = kExitUsage;
}

std::string lowerCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string absolutePath(const std::string& path) {
    std::error_code ec;
    const fs::path p = fs::absolute(path, ec);
    return ec ? path : p.lexically_normal().string();
}

namespace {

/// The project file the argument names; "" (refused) when there is none.
std::string projectFileNamed(Session& session, const std::string& argument) {
    const std::string file = projectFileOf(absolutePath(argument));
    std::error_code ec;
    if (!fs::is_regular_file(file, ec)) {
        session.refuse("No project at " + argument + ": " + file +
                       " does not exist. Give a project folder or its project file.");
        return {};
    }
    return file;
}

/// The project with its content read; nullopt (refused) when it does not load.
std::optional<Project> load(Session& session, const std::string& file,
                            const PlaylistEntryVisitor* visit = nullptr) {
    LoadedProject loaded;
    std::string error;
    if (visit != nullptr ? !readProject(file, loaded, error, *visit)
                         : !readProject(file, loaded, error)) {
        session.refuse(
            Message{"The project could not be opened.\n" + error + "\nThe file was left as it is.",
                    kAppCaption, MessageIcon::Error});
        return std::nullopt;
    }
    if (!loaded.flashIgnored.empty()) {
        session.console.message("The flash size file was ignored: " + loaded.flashIgnored +
                                    "\nThe flash size is set to 4M.",
                                kAppCaption, MessageIcon::Warning);
    }
    return std::move(loaded.project);
}

bool sameContent(const Project& a, const Project& b) {
    return a.options == b.options && a.keys == b.keys && a.equation == b.equation &&
           a.flashSize == b.flashSize && a.library == b.library && a.playlists == b.playlists &&
           a.backgroundMusic == b.backgroundMusic;
}

}  // namespace

std::optional<Project> Session::read(const std::string& argument) {
    if (refuseStandardStream({{argument, "the project"}})) return std::nullopt;
    const std::string file = projectFileNamed(*this, argument);
    if (file.empty()) return std::nullopt;
    return load(*this, file);
}

std::optional<Project> Session::read(const std::string& argument,
                                     const PlaylistEntryVisitor& visit) {
    if (refuseStandardStream({{argument, "the project"}})) return std::nullopt;
    const std::string file = projectFileNamed(*this, argument);
    if (file.empty()) return std::nullopt;
    return load(*this, file, &visit);
}

void Session::edit(const std::string& argument, const std::function<Done(Project&)>& command,
                   SaveWhen when) {
    if (refuseStandardStream({{argument, "the project"}})) return;
    const std::string file = projectFileNamed(*this, argument);
    if (file.empty()) return;
    // Held from load to save, so no other writer comes in between.
    ProjectLock lock;
    if (const std::string refused = lock.acquire(folderOf(file)); !refused.empty()) {
        return refuse(refused);
    }
    std::optional<Project> project = load(*this, file);
    if (!project) return;
    const Project before = *project;
    const Done done = command(*project);
    const bool save = when == SaveWhen::Changed ? !sameContent(before, *project) : done.ok();
    if (save) {
        if (const std::string error = saveProjectFiles(*project); !error.empty()) {
            return refuse(error);
        }
    }
    if (!done) refuse(done.error());
}

int parseListNumber(const std::string& text) {
    if (text.empty()) return -1;
    int value = -1;
    try {
        std::size_t used = 0;
        if (text.size() >= 2 && (text.back() == 'H' || text.back() == 'h')) {
            value = std::stoi(text.substr(0, text.size() - 1), &used, 16);
            if (used != text.size() - 1) return -1;
        } else {
            value = std::stoi(text, &used, 10);
            if (used != text.size()) return -1;
        }
    } catch (const std::exception&) {
        return -1;
    }
    return value >= 0 && value < kPlaylistCount ? value : -1;
}

}  // namespace zadaravod::cli

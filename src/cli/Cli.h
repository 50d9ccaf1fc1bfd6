#pragma once

#include <functional>
#include <initializer_list>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "commands/Result.h"
#include "commands/UserInterface.h"
#include "io/AppPaths.h"
#include "model/Project.h"
#include "model/ProjectFile.h"

namespace CLI {
class App;
class Validator;
}  // namespace CLI
namespace zadaravod {
struct SoundTreatment;
}

namespace zadaravod::cli {

/// Exit statuses of zadaravod-cli.
inline constexpr int kExitOk = 0;
inline constexpr int kExitRefused = 1;  ///< a command refused or failed
inline constexpr int kExitUsage = 2;    ///< bad arguments

/// The command line's messenger: messages (what the editor shows in a box)
/// go to standard error, status lines to standard output.
///
/// Progress of a long command (progress(done, total) with done < total until
/// the last step) is one line on standard error, redrawn in place, when
/// standard error is a terminal; the status lines that come while it runs
/// ("Converting sound 12 of 510") are its text. Elsewhere (a pipe, a file)
/// progress and those status lines print nothing. progress() returns false
/// once Ctrl+C was pressed inside a StopOnInterrupt.
class Console final : public Messenger {
  public:
    /// Draws progress when standard error is a terminal.
    Console();
    /// Draws progress when `terminal` says so (for tests).
    explicit Console(bool terminal) : terminal_(terminal) {}
    /// Takes a progress line that still stands off the terminal.
    ~Console() override { endProgress(); }
    Console(const Console&) = delete;
    Console& operator=(const Console&) = delete;

    /// Status lines go to standard error from now on: standard output carries
    /// a file's bytes.
    void keepStandardOutputForData() { statusToError_ = true; }

    void message(const std::string& text, const std::string& caption, Icon icon) override;
    void status(const std::string& text) override;
    /// done < total (or total 0: not known) draws; done >= total ends it.
    bool progress(int done, int total) override;
    /// Ends a progress that a failed command left running.
    void endProgress();

    /// While one lives, Ctrl+C asks the running command to stop (progress()
    /// returns false) instead of ending the program; a second Ctrl+C ends it.
    class StopOnInterrupt {
      public:
        StopOnInterrupt();
        ~StopOnInterrupt();
        StopOnInterrupt(const StopOnInterrupt&) = delete;
        StopOnInterrupt& operator=(const StopOnInterrupt&) = delete;
    };

  private:
    void drawProgress();
    void clearProgress();

    bool terminal_ = false;
    bool statusToError_ = false;
    bool running_ = false;  ///< a progress has begun and not reached its end
    bool drawn_ = false;    ///< the progress line stands on the terminal
    int done_ = 0;
    int total_ = 0;
    std::string label_;
};

/// When an edit of a project is saved.
enum class SaveWhen {
    Changed,    ///< whenever the command changed the project, also when it then stopped
    Succeeded,  ///< only when the command succeeded: a refusal leaves the files as they were
};

/// What every command shares: the console, the application folder and the
/// exit status; and the one way a command works on a project: open it by the
/// path given (a project folder or its project file, locked against other
/// writers) → run the command's entry point → save when it changed.
class Session {
  public:
    Console console;
    AppPaths paths;
    int exitCode = kExitOk;

    /// Prints the refusal on standard error (nothing for an empty text: the
    /// command told the user already); the exit status becomes 1.
    void refuse(const Message& message);
    void refuse(const std::string& text) { refuse(Message{text}); }
    /// Prints a usage error on standard error, after the program's name;
    /// the exit status becomes 2.
    void usage(const std::string& text);

    /// A path argument and what it names in a message ("the project").
    struct PathArgument {
        const std::string& value;
        const char* what;
    };
    /// Refuses the first of `paths` that is a lone "-" (standard input or
    /// output, which these arguments do not take) with a usage error; true
    /// when one was refused. A file named "-" is given as "./-".
    bool refuseStandardStream(std::initializer_list<PathArgument> paths);
    bool refuseStandardStream(const std::vector<std::string>& values, const char* what);

    /// Runs `write` on a file of a private scratch folder, then copies the
    /// file to standard output; status lines go to standard error meanwhile.
    /// Standard output that is a terminal is a usage error (nothing is run).
    /// A failure of `write` or of the copy is printed and ends with status 1.
    void writeToStandardOutput(const std::string& fileName,
                               const std::function<Done(const std::string& path)>& write);

    /// Reads the project `argument` names without locking it (for commands
    /// that only read). Refuses and returns nullopt when it does not load
    /// (a usage error for "-").
    std::optional<Project> read(const std::string& argument);
    /// The same, for a listing: the playlists' entries go to `visit` as
    /// they are read and the project's playlists stay empty.
    std::optional<Project> read(const std::string& argument, const PlaylistEntryVisitor& visit);
    /// Opens the project `argument` names, locked, runs `command` on it and
    /// saves it as `when` says. A failure of `command` is printed and ends
    /// the run with status 1; "-" for the project is a usage error.
    void edit(const std::string& argument, const std::function<Done(Project&)>& command,
              SaveWhen when = SaveWhen::Changed);
};

// Each group of commands registers itself on the application. The callbacks
// run after parsing and set session.exitCode.
void addProjectCommands(CLI::App& app, Session& session);  // new, info, check
void addImageCommands(CLI::App& app, Session& session);    // build, inspect
void addAudioCommands(CLI::App& app,
                      Session& session);  // import, remove, clear-library, music, convert
void addListCommands(CLI::App& app, Session& session);    // list, clear-lists
void addSetCommands(CLI::App& app, Session& session);     // set
void addPlayCommands(CLI::App& app, Session& session);    // play
void addExportCommands(CLI::App& app, Session& session);  // export
void addPromptCommands(CLI::App& app, Session& session);  // say, process

/// Adds --trim, --normalize and their settings (--threshold, --loudness) to
/// `command`, filling `treatment` when it is parsed.
void addTreatmentOptions(CLI::App& command, SoundTreatment& treatment);

/// Accepts a rate in Hz that the image can encode (4000, 6000 .. 22000);
/// anything else is a usage error naming the rates.
CLI::Validator supportedRate();
/// Accepts a whole number from 1 (a sound number, an entry position).
CLI::Validator numberFromOne();

/// Parses a list number written in decimal ("10") or as the editor shows it
/// ("0aH"); returns -1 when it is not 0..219.
int parseListNumber(const std::string& text);

/// True for the lone "-" that names standard input or output.
inline bool isStandardStream(const std::string& argument) { return argument == "-"; }

/// `text` in ASCII lower case.
std::string lowerCase(std::string text);

/// `path` made absolute, without "." and ".." parts.
std::string absolutePath(const std::string& path);

}  // namespace zadaravod::cli

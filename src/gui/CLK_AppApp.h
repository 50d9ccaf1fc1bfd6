#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace zadaravod {

/// What the editor's command line asks for.
struct StartOptions {
    /// Set when the program ends at once with this status (after --help,
    /// --version or a usage error) instead of opening the window.
    std::optional<int> exitStatus;
    /// What to print before that end: on standard output for status 0, on
    /// standard error otherwise.
    QString output;
    /// "ru" or "en" from --lang; empty = the stored language.
    QString language;
    /// The project file to open at start; empty = none.
    QString projectFile;
};

/// The application object: checks that a display can be reached, creates
/// the Qt application and the main window, and runs it until Exit.
class CLK_AppApp {
  public:
    /// The exit status when no display can be reached.
    static constexpr int kNoDisplayStatus = 3;
    /// The exit status of a usage error (an unknown option or language).
    static constexpr int kUsageStatus = 2;

    /// Reads the command line (`arguments` starts with the program name):
    /// --help, --version, --lang ru|en and an optional project file. Needs
    /// no application object and no display.
    static StartOptions parseCommandLine(const QStringList& arguments);
    /// The interface language a run starts in: --lang when given (it is not
    /// stored), else the stored one. Needs the QApplication (for the store).
    static QString startLanguage(const StartOptions& options);

    /// Runs the editor; returns the process exit status (0 after Exit).
    static int run(int argc, char** argv);

    /// Names the running Qt application (name and desktop file, no display
    /// name, so window captions stay exactly as set), sets its icon and puts
    /// the C library's number formatting back to the C locale. Needs the
    /// QApplication.
    static void configureApplication();

    /// Whether a window system is named by the environment: QT_QPA_PLATFORM,
    /// DISPLAY or WAYLAND_DISPLAY set and not empty.
    static bool displayNamed();
};

}  // namespace zadaravod

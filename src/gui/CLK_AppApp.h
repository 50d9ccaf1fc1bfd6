#pragma once

namespace zadaravod {

/// The application object: checks that a display can be reached, creates
/// the Qt application and the main window, and runs it until Exit.
class CLK_AppApp {
  public:
    /// The exit status when no display can be reached.
    static constexpr int kNoDisplayStatus = 3;

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

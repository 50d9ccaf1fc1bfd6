#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <memory>
#include <string>
#include <vector>

#include "gui/CLK_AppDlg.h"
#include "support/FakePlayer.h"
#include "support/QtTestApplication.h"
#include "support/ScriptedUserInterface.h"
#include "support/TempDir.h"

namespace zadaravod::test {

/// Records the programs and addresses the window asks to start.
class RecordingLauncher : public Launcher {
  public:
    struct Start {
        std::string program;
        std::vector<std::string> arguments;
    };
    std::vector<Start> starts;
    std::vector<std::string> urls;
    bool startDetached(const std::string& program,
                       const std::vector<std::string>& arguments) override {
        starts.push_back({program, arguments});
        return true;
    }
    bool openUrl(const std::string& url) override {
        urls.push_back(url);
        return true;
    }
};

/// A main window whose dialogs are answered by `scripted`, whose launches
/// are recorded and whose player is a fake, with a temporary folder for
/// projects.
class WindowTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    /// Creates and opens the project dir/<name> through New.
    void newProject(const std::string& name = "demo.winproj");
    /// Writes a mono 16-bit WAV of `ms` at `rate` into the sound folder and
    /// adds its record to the library (as the import would).
    void addLibrarySound(const std::string& name, int rate, int ms);
    QAction* action(int id) const { return window->commandAction(id); }
    /// Waits out the idle ticks a play needs, plays the current list from
    /// its first entry and lets it run to its end (the fake player finishes
    /// every sound at once). False when the play did not start.
    bool playCurrentListToTheEnd();

    ScriptedUserInterface scripted;
    RecordingLauncher launcher;
    /// The window's player: it plays nothing aloud (owned by the window).
    FakePlayer* player = nullptr;
    TempDir dir;
    std::unique_ptr<CLK_AppDlg> window;
};

/// A canonical 16-bit mono PCM WAV of `ms` milliseconds of a quiet tone.
std::string makeWav(int rate, int ms);

}  // namespace zadaravod::test

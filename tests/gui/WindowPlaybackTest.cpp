// The window's play commands over a fake player: what is played, the bar,
// the messages, the check item, and leaving a project while it plays.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMenu>
#include <QProgressBar>
#include <QTest>
#include <algorithm>
#include <functional>

#include "gui/CommandIds.h"
#include "gui/ListControls.h"
#include "support/WindowFixture.h"

namespace zadaravod::test {
namespace {

class WindowPlayback : public WindowTest {
  protected:
    /// Handles the window's queued calls until `done` holds (at most 5 s).
    bool pumpUntil(const std::function<bool()>& done) {
        QElapsedTimer timer;
        timer.start();
        while (!done() && timer.elapsed() < 5000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        return done();
    }
    void waitIdle() {
        for (int i = 0; i < Playback::kIdleTicksNeeded; ++i) window->onTimer();
    }
    bool called(const std::string& call) const {
        const auto calls = player->calls();
        return std::find(calls.begin(), calls.end(), call) != calls.end();
    }
    /// A project with one 450 ms sound in the library and in list 0.
    void projectWithOneSound() {
        newProject();
        addLibrarySound("a.wav", 8000, 450);
        window->project().playlists[0].addTail(window->project().library.at(0));
        window->fillLibraryView();
        window->fillPlaylistView();
    }
};

TEST_F(WindowPlayback, LibraryPlayLoadsTheSelectedSoundAndSetsTheBarRange) {
    projectWithOneSound();
    waitIdle();
    window->libraryView()->selectRow(0);
    window->runCommand(cmd::kLibraryPlay);
    ASSERT_TRUE(pumpUntil([&] { return window->progressBar()->maximum() == 450 / 100 + 1; }))
        << window->progressBar()->maximum();
    // The bar's range is set before the sound is loaded and started: end it
    // only once it plays, or the worker would start it after the end and
    // wait for ever.
    ASSERT_TRUE(pumpUntil([&] { return called("unpause all"); }));
    EXPECT_EQ(player->loaded(), std::vector<std::string>{window->project().library.at(0).filePath});
    player->finish();
    window->playback().waitUntilFinished();
}

TEST_F(WindowPlayback, SpaceInTheLibraryViewPlaysAndEscapeStops) {
    projectWithOneSound();
    waitIdle();
    window->show();
    window->libraryView()->selectRow(0);
    QTest::keyRelease(window->libraryView(), Qt::Key_Space);
    ASSERT_TRUE(pumpUntil([&] { return !player->loaded().empty(); }));
    QTest::keyRelease(window->libraryView(), Qt::Key_Escape);
    window->playback().waitUntilFinished();
    EXPECT_TRUE(called("stop all"));
}

TEST_F(WindowPlayback, WithNothingSelectedTheUserIsAskedToSelect) {
    projectWithOneSound();
    waitIdle();
    window->libraryView()->clearSelection();
    window->runCommand(cmd::kLibraryPlay);
    EXPECT_TRUE(pumpUntil([&] { return scripted.saw("Pls select a sound to play"); }));
    EXPECT_TRUE(player->loaded().empty());
}

TEST_F(WindowPlayback, AMissingDeviceIsToldOnceAndTheEditorGoesOn) {
    projectWithOneSound();
    player->setAvailable(false, "No audio device could be opened.");
    window->libraryView()->selectRow(0);
    for (int round = 0; round < 2; ++round) {
        waitIdle();
        window->runCommand(cmd::kLibraryPlay);
        window->playback().waitUntilFinished();
        QCoreApplication::processEvents();
    }
    const auto texts = scripted.texts();
    EXPECT_EQ(std::count_if(texts.begin(), texts.end(),
                            [](const std::string& t) {
                                return t.find("No audio device") != std::string::npos;
                            }),
              1);
    EXPECT_TRUE(action(cmd::kSave)->isEnabled());
}

TEST_F(WindowPlayback, TheCheckItemPlaysTheSoundAsTheChipWill) {
    projectWithOneSound();
    QAction* asChip = action(cmd::kPlayAsChip);
    ASSERT_NE(asChip, nullptr);
    EXPECT_FALSE(asChip->isChecked());
    for (CListCtrl* view : {static_cast<CListCtrl*>(window->libraryView()),
                            static_cast<CListCtrl*>(window->playlistView()),
                            static_cast<CListCtrl*>(window->musicView())}) {
        std::unique_ptr<QMenu> menu(view->makeContextMenu(window.get()));
        EXPECT_TRUE(menu->actions().contains(asChip)) << view->controlId();
    }
    asChip->trigger();
    ASSERT_TRUE(window->playsAsChip());
    waitIdle();
    window->libraryView()->selectRow(0);
    window->runCommand(cmd::kLibraryPlay);
    ASSERT_TRUE(pumpUntil([&] { return player->lastSamples() != nullptr; }));
    EXPECT_TRUE(player->loaded().empty()) << "the file itself is not played";
    EXPECT_EQ(player->lastSamples()->sampleRate, 8000);
    EXPECT_NEAR(static_cast<double>(player->lastSamples()->durationMs()), 450, 20);
    player->finish();
    window->playback().waitUntilFinished();
}

TEST_F(WindowPlayback, NewWhileAListPlaysStopsItFirst) {
    projectWithOneSound();
    waitIdle();
    window->playlistView()->selectRow(0);
    window->runCommand(cmd::kPlaylistPlay);
    ASSERT_TRUE(window->playback().busy());
    EXPECT_FALSE(action(cmd::kSave)->isEnabled());

    // The fake sound never ends by itself: New must stop it and wait.
    window->project().library.removeAll();
    window->project().playlists[0].removeAll();
    newProject("second.winproj");
    EXPECT_FALSE(window->playback().busy());
    EXPECT_TRUE(called("stop all"));
    EXPECT_TRUE(action(cmd::kSave)->isEnabled());
}

TEST_F(WindowPlayback, ClosingTheWindowWhileAListPlaysEndsThePlayback) {
    projectWithOneSound();
    waitIdle();
    window->playlistView()->selectRow(0);
    window->runCommand(cmd::kPlaylistPlay);
    ASSERT_TRUE(window->playback().busy());
    window->show();
    EXPECT_TRUE(window->close());
    player = nullptr;
    window.reset();  // joins the worker; a hang or a dangling call fails here
    SUCCEED();
}

}  // namespace
}  // namespace zadaravod::test

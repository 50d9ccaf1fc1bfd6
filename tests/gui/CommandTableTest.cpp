// The command table on its own, and the main window's: every command with an
// action has a row, the refreshes of a row are what the views show after the
// command, and "Excel" follows the image and the refills of the playlist view.

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <filesystem>
#include <set>
#include <stdexcept>
#include <vector>

#include "gui/CommandIds.h"
#include "gui/CommandTable.h"
#include "gui/ListControls.h"
#include "gui/MenuTips.h"
#include "rules/DialogResults.h"
#include "support/WindowFixture.h"

namespace zadaravod::test {
namespace {

namespace fs = std::filesystem;

struct Applied {
    std::vector<Refreshes> calls;
    std::function<void(Refreshes)> sink() {
        return [this](Refreshes r) { calls.push_back(r); };
    }
};

TEST(CommandTable, RunsTheHandlerThenHandsOverItsRefreshesOnce) {
    CommandTable table;
    int runs = 0;
    table.add({32785, 57600}, kRefreshLibrary | kRefreshGauge, [&] { ++runs; });
    table.add({32815}, kRefreshNothing, [&] { runs += 10; });
    Applied applied;

    EXPECT_TRUE(table.run(32785, applied.sink()));
    EXPECT_TRUE(table.run(57600, applied.sink()));  // the twin shares the row
    EXPECT_EQ(runs, 2);
    EXPECT_EQ(applied.calls, (std::vector<Refreshes>{kRefreshLibrary | kRefreshGauge,
                                                     kRefreshLibrary | kRefreshGauge}));

    applied.calls.clear();
    EXPECT_TRUE(table.run(32815, applied.sink()));
    EXPECT_EQ(runs, 12);
    EXPECT_TRUE(applied.calls.empty());  // nothing due, nothing handed over

    EXPECT_FALSE(table.run(4, applied.sink()));
    EXPECT_EQ(runs, 12);
    EXPECT_TRUE(applied.calls.empty());
    EXPECT_EQ(table.refreshesOf(4, true), kRefreshNothing);
    EXPECT_EQ(table.ids(), (std::vector<int>{32785, 32815, 57600}));
}

TEST(CommandTable, ConditionalRefreshesOnlyAfterAChange) {
    CommandTable table;
    bool changes = false;
    table.addConditional({32795}, kRefreshGauge, kRefreshPlaylist, [&] { return changes; });
    table.addConditional({32796}, kRefreshNothing, kRefreshPlaylist, [] { return false; });
    Applied applied;

    table.run(32795, applied.sink());
    changes = true;
    table.run(32795, applied.sink());
    table.run(32796, applied.sink());
    EXPECT_EQ(applied.calls,
              (std::vector<Refreshes>{kRefreshGauge, kRefreshGauge | kRefreshPlaylist}));
    EXPECT_EQ(table.refreshesOf(32795, false), kRefreshGauge);
    EXPECT_EQ(table.refreshesOf(32795, true), kRefreshGauge | kRefreshPlaylist);
}

TEST(CommandTable, AnIdGivenTwiceIsRefusedAndNothingOfThatRowIsAdded) {
    CommandTable table;
    table.add({1}, kRefreshNothing, [] {});
    EXPECT_THROW(table.add({2, 1}, kRefreshLibrary, [] {}), std::logic_error);
    EXPECT_FALSE(table.contains(2));
    EXPECT_THROW(table.addConditional({5, 5}, kRefreshNothing, kRefreshGauge, [] { return true; }),
                 std::logic_error);
    EXPECT_FALSE(table.contains(5));
    EXPECT_EQ(table.ids(), (std::vector<int>{1}));
}

TEST_F(WindowTest, EveryCommandWithAnActionHasARowAndEveryRowAnAction) {
    const CommandTable& table = window->commandTable();
    std::set<int> actionIds;
    for (const QAction* a : window->actions()) {
        if (const int id = commandIdOf(a)) actionIds.insert(id);
    }
    ASSERT_GT(actionIds.size(), 50u);
    for (int id : actionIds) {
        EXPECT_TRUE(table.contains(id)) << id;
    }
    for (int id : table.ids()) EXPECT_EQ(actionIds.count(id), 1u) << id;
    // Every item of the menus and of the three context menus is one of them.
    std::vector<const QMenu*> menus;
    for (const QMenu* m : window->findChildren<QMenu*>()) menus.push_back(m);
    std::vector<std::unique_ptr<QMenu>> context;
    for (CListCtrl* view : {static_cast<CListCtrl*>(window->libraryView()),
                            static_cast<CListCtrl*>(window->playlistView()),
                            static_cast<CListCtrl*>(window->musicView())}) {
        context.emplace_back(view->makeContextMenu(nullptr));
        menus.push_back(context.back().get());
        for (const QMenu* sub : context.back()->findChildren<QMenu*>()) menus.push_back(sub);
    }
    int items = 0;
    for (const QMenu* m : menus) {
        for (const QAction* a : m->actions()) {
            // The recent projects are files, not commands.
            if (a->isSeparator() || a->menu() || a->objectName().startsWith("recent_")) continue;
            ++items;
            EXPECT_EQ(actionIds.count(commandIdOf(a)), 1u) << a->text().toStdString();
        }
    }
    EXPECT_GT(items, 40);
}

TEST_F(WindowTest, ClearingTheMusicShowsTheLibraryAndTheGaugeAgain) {
    newProject();
    window->runCommand(cmd::kModeOneLine);  // music commands only in modes 0 and 1
    window->refreshCommandState(true);
    ASSERT_TRUE(window->commandAction(cmd::kMusicClear)->isEnabled());
    addLibrarySound("a.wav", 8000, 1000);  // in the model only, not yet shown
    ASSERT_EQ(window->libraryView()->rowCount(), 0);
    ASSERT_EQ(window->lengthPane()->text(), QStringLiteral("0 msec. total"));
    CSound music = window->project().library.at(0);
    window->project().backgroundMusic.addTail(music);
    window->fillBackgroundMusicView();
    ASSERT_EQ(window->musicView()->rowCount(), 1);

    ASSERT_TRUE(window->runCommand(cmd::kMusicClear));
    EXPECT_EQ(window->musicView()->rowCount(), 0);
    EXPECT_EQ(window->libraryView()->rowCount(), 1);
    EXPECT_EQ(window->lengthPane()->text(), QStringLiteral("1000 msec. total"));
}

TEST_F(WindowTest, ARefusedDeletionUpdatesTheGaugeButLeavesTheViewAndTheImage) {
    newProject();
    addLibrarySound("a.wav", 8000, 300);
    Project& p = window->project();
    p.playlists[0].addTail(p.library.at(0));
    window->refillViews();
    ASSERT_TRUE(window->runCommand(cmd::kBuild));
    ASSERT_TRUE(window->commandAction(cmd::kExcel)->isEnabled())
        << ::testing::PrintToString(scripted.texts());
    // Changed behind the window's back: the views do not show it yet.
    addLibrarySound("b.wav", 8000, 700);
    p.playlists[0].addTail(CSound::silence(200));
    p.playlists[0].addTail(CSound::silence(300));
    window->playlistView()->selectRow(0);

    window->runCommand(cmd::kPlaylistDelete);  // no answer: "Отмена"
    EXPECT_EQ(scripted.confirmCount, 1);
    EXPECT_EQ(p.playlists[0].count(), 3u);
    EXPECT_EQ(window->playlistView()->rowCount(), 1);
    EXPECT_EQ(window->lengthPane()->text(), QStringLiteral("1000 msec. total"));
    EXPECT_TRUE(window->commandAction(cmd::kExcel)->isEnabled());

    scripted.confirmAnswers.push_back(result::kConfirmOk);
    window->runCommand(cmd::kPlaylistDelete);
    EXPECT_EQ(p.playlists[0].count(), 2u);
    EXPECT_EQ(window->playlistView()->rowCount(), 2);
    EXPECT_FALSE(window->commandAction(cmd::kExcel)->isEnabled());
}

TEST_F(WindowTest, ExcelFollowsTheImageFileAndTheLastRefill) {
    newProject();
    addLibrarySound("a.wav", 8000, 300);
    window->project().playlists[0].addTail(window->project().library.at(0));
    QAction* excel = window->commandAction(cmd::kExcel);
    ASSERT_FALSE(excel->isEnabled());
    window->runCommand(cmd::kToolBuild);
    ASSERT_TRUE(fs::exists(window->project().imagePath()));
    EXPECT_TRUE(excel->isEnabled());

    // Showing another list refills the playlist view: the image is stale
    // until the next refresh, which looks for the file again.
    window->listBox()->setCurrentRow(1);
    EXPECT_FALSE(excel->isEnabled());
    window->refreshCommandState(true);
    EXPECT_TRUE(excel->isEnabled());
    fs::remove(window->project().imagePath());
    window->refreshCommandState(true);
    EXPECT_FALSE(excel->isEnabled());

    window->listBox()->setCurrentRow(0);
    window->runCommand(cmd::kBuild);
    EXPECT_TRUE(excel->isEnabled());
    ASSERT_TRUE(playCurrentListToTheEnd());
    EXPECT_FALSE(excel->isEnabled()) << "grayed while the list plays";
    for (int i = 0; i <= 10; ++i) window->onTimer();
    EXPECT_TRUE(excel->isEnabled());
    window->runCommand(cmd::kCloseProject);
    EXPECT_FALSE(excel->isEnabled());
}

}  // namespace
}  // namespace zadaravod::test

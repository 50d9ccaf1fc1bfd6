// The list controls: context menus and their enabling, the keyboard menu
// position, the key releases routed to their commands.

#include <QComboBox>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTest>
#include <filesystem>

#include "WindowFixture.h"
#include "app/window/CommandIds.h"
#include "app/window/ListControls.h"

namespace zadaravod::test {
namespace {

namespace fs = std::filesystem;

/// The texts and enabled flags of a menu's items, "-" for separators and
/// ">" before a popup's title.
std::vector<std::pair<QString, bool>> items(const QMenu* menu) {
    std::vector<std::pair<QString, bool>> out;
    for (const QAction* a : menu->actions()) {
        if (a->isSeparator()) {
            out.emplace_back(QStringLiteral("-"), true);
        } else {
            out.emplace_back((a->menu() ? QStringLiteral(">") : QString()) + a->text(),
                             a->isEnabled());
        }
    }
    return out;
}

TEST_F(WindowTest, ContextMenusAreGrayWithoutAProject) {
    std::unique_ptr<QMenu> lib(window->libraryView()->makeContextMenu(window.get()));
    EXPECT_EQ(items(lib.get()), (std::vector<std::pair<QString, bool>>{
                                    {"&Загрузить", false}, {"&Удалить", false},
                                    {"&Очистить", false}, {"-", true},
                                    {"&Воспроизвести", false}}));
    std::unique_ptr<QMenu> music(window->musicView()->makeContextMenu(window.get()));
    EXPECT_EQ(items(music.get()), (std::vector<std::pair<QString, bool>>{
                                      {"&Загрузить", false}, {"&Очистить", false},
                                      {"-", true}, {"&Воспроизвести", false}}));
    std::unique_ptr<QMenu> list(window->playlistView()->makeContextMenu(window.get()));
    // "Очистить &все" and the popup itself are never gray.
    EXPECT_EQ(items(list.get()), (std::vector<std::pair<QString, bool>>{
                                     {">&Вставить", true}, {"&Удалить", false},
                                     {"&Очистить", false}, {"Очистить &все", true},
                                     {"-", true}, {"&Воспроизвести", false}}));
    QMenu* insert = list->actions().front()->menu();
    EXPECT_EQ(items(insert), (std::vector<std::pair<QString, bool>>{
                                 {"Трек", false}, {"-", true}, {"&10 мСек", false},
                                 {"&20 мСек", false}, {"&50 мСек", false},
                                 {"100 мСек", false}, {"200 мСек", false},
                                 {"300 мСек", false}, {"-", true},
                                 {"Произвольная тишина", false}}));
}

TEST_F(WindowTest, ContextMenusFollowTheProjectAndTheMode) {
    newProject();  // key mode: the music view's commands stay gray
    std::unique_ptr<QMenu> lib(window->libraryView()->makeContextMenu(window.get()));
    for (const QAction* a : lib->actions()) EXPECT_TRUE(a->isEnabled()) << a->text().toStdString();
    std::unique_ptr<QMenu> music(window->musicView()->makeContextMenu(window.get()));
    EXPECT_FALSE(music->actions().front()->isEnabled());
    std::unique_ptr<QMenu> list(window->playlistView()->makeContextMenu(window.get()));
    for (const QAction* a : list->actions().front()->menu()->actions()) {
        EXPECT_TRUE(a->isEnabled()) << a->text().toStdString();
    }

    // While a playlist plays the window grays its commands.
    window->refreshCommandState(false);
    std::unique_ptr<QMenu> during(window->playlistView()->makeContextMenu(window.get()));
    EXPECT_TRUE(during->actions()[0]->isEnabled());   // "&Вставить"
    EXPECT_FALSE(during->actions()[1]->isEnabled());  // "&Удалить"
    EXPECT_TRUE(during->actions()[3]->isEnabled());   // "Очистить &все"
}

TEST_F(WindowTest, KeyboardMenuOpensBesideTheTopLeftCorner) {
    window->show();
    CListCtrl* view = window->libraryView();
    QMenu* shown = nullptr;
    QObject::connect(view, &CListCtrl::contextMenuShown, [&](QMenu* m) { shown = m; });
    QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(0, 0), view->mapToGlobal(QPoint(0, 0)));
    QApplication::sendEvent(view, &event);
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(view->keyboardMenuPosition(), view->mapToGlobal(QPoint(5, 5)));
    QApplication::processEvents();
    EXPECT_EQ(shown->pos(), view->keyboardMenuPosition());
    shown->close();
}

TEST_F(WindowTest, DeleteOnTheLibraryViewAsksFirst) {
    newProject();
    addLibrarySound("a.wav", 8000, 500);
    const std::string file = window->project().library.at(0).filePath;
    window->project().playlists[0].addTail(window->project().library.at(0));
    window->refillViews();
    window->show();
    window->libraryView()->selectRow(0);

    scripted.confirmAnswers.push_back(1096);
    QTest::keyPress(window->libraryView(), Qt::Key_Delete);
    EXPECT_EQ(scripted.confirmCount, 0);  // acted on when the key goes up
    QTest::keyRelease(window->libraryView(), Qt::Key_Delete);
    EXPECT_EQ(scripted.confirmCount, 1);
    EXPECT_EQ(window->project().library.count(), 1u);
    EXPECT_EQ(window->libraryView()->rowCount(), 1);

    // The refill cleared the selection: select again.
    window->libraryView()->selectRow(0);
    scripted.confirmAnswers.push_back(1095);
    QTest::keyRelease(window->libraryView(), Qt::Key_Delete);
    EXPECT_EQ(scripted.confirmCount, 2);
    EXPECT_EQ(window->project().library.count(), 0u);
    EXPECT_EQ(window->libraryView()->rowCount(), 0);
    EXPECT_EQ(window->playlistView()->rowCount(), 0);
    EXPECT_FALSE(fs::exists(file));
}

TEST_F(WindowTest, DeleteOnThePlaylistViewRemovesTheSelectedEntry) {
    newProject();
    window->project().playlists[0].addTail(CSound::silence(20));
    window->project().playlists[0].addTail(CSound::silence(300));
    window->refillViews();
    window->show();
    window->playlistView()->selectRow(1);
    scripted.confirmAnswers.push_back(1095);
    QTest::keyRelease(window->playlistView(), Qt::Key_Delete);
    EXPECT_EQ(scripted.confirmCount, 1);
    ASSERT_EQ(window->playlistView()->rowCount(), 1);
    EXPECT_EQ(window->playlistView()->item(0, 2)->text(), QStringLiteral("20 ms"));
}

TEST_F(WindowTest, KeysDoNothingWithoutAProject) {
    window->show();
    QTest::keyRelease(window->libraryView(), Qt::Key_Delete);
    QTest::keyRelease(window->playlistView(), Qt::Key_Delete);
    EXPECT_EQ(scripted.confirmCount, 0);
}

TEST_F(WindowTest, EscapeInAListViewGivesTheCommandsBack) {
    newProject();
    window->refreshCommandState(false);  // as while a playlist plays
    window->show();
    QTest::keyRelease(window->playlistView(), Qt::Key_Escape);
    EXPECT_TRUE(window->stopRequested);
    EXPECT_TRUE(action(cmd::kPlaylistDelete)->isEnabled());
    EXPECT_TRUE(window->playlistView()->commandsEnabled());
}

TEST_F(WindowTest, LibraryActivationAppendsToTheCurrentList) {
    newProject();
    addLibrarySound("a.wav", 8000, 500);
    window->refillViews();
    window->listCombo()->setCurrentIndex(2);
    emit window->libraryView()->activated(window->libraryView()->model()->index(0, 0));
    EXPECT_EQ(window->playlistView()->rowCount(), 1);
    EXPECT_EQ(window->project().playlists[2].count(), 1u);
    EXPECT_EQ(window->project().playlists[0].count(), 1u);  // back-filled
}

}  // namespace
}  // namespace zadaravod::test

// The list controls: context menus and their enabling, the keyboard menu
// position, the key releases routed to their commands.

#include <QComboBox>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QTest>
#include <filesystem>

#include "gui/CommandIds.h"
#include "gui/ListControls.h"
#include "gui/MenuTips.h"
#include "support/WindowFixture.h"

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

/// The check item of the Play menus, never gray: it only says how to play.
const QString kAsChip = QStringLiteral("Как на &микросхеме");
/// The import options: never gray either, they say how later loads work.
const QString kTrim = QStringLiteral("Обрезать тишину при загрузке");
const QString kNormalize = QStringLiteral("Выравнивать громкость при загрузке");

TEST_F(WindowTest, ContextMenusAreGrayWithoutAProject) {
    std::unique_ptr<QMenu> lib(window->libraryView()->makeContextMenu(window.get()));
    EXPECT_EQ(items(lib.get()), (std::vector<std::pair<QString, bool>>{{"&Загрузить", false},
                                                                       {"&Удалить", false},
                                                                       {"&Очистить", false},
                                                                       {"-", true},
                                                                       {"Синтез речи…", false},
                                                                       {"Обработать…", false},
                                                                       {kTrim, true},
                                                                       {kNormalize, true},
                                                                       {"-", true},
                                                                       {"&Воспроизвести", false},
                                                                       {kAsChip, true},
                                                                       {"-", true},
                                                                       {"&Отменить", false},
                                                                       {"&Повторить", false}}));
    std::unique_ptr<QMenu> music(window->musicView()->makeContextMenu(window.get()));
    EXPECT_EQ(items(music.get()), (std::vector<std::pair<QString, bool>>{{"&Загрузить", false},
                                                                         {"&Очистить", false},
                                                                         {"-", true},
                                                                         {"&Воспроизвести", false},
                                                                         {kAsChip, true}}));
    std::unique_ptr<QMenu> list(window->playlistView()->makeContextMenu(window.get()));
    // "Очистить &все" and the popup itself are never gray.
    EXPECT_EQ(items(list.get()), (std::vector<std::pair<QString, bool>>{{">&Вставить", true},
                                                                        {"&Удалить", false},
                                                                        {"&Очистить", false},
                                                                        {"Очистить &все", true},
                                                                        {"-", true},
                                                                        {"&Воспроизвести", false},
                                                                        {kAsChip, true},
                                                                        {"-", true},
                                                                        {"&Отменить", false},
                                                                        {"&Повторить", false}}));
    QMenu* insert = list->actions().front()->menu();
    EXPECT_EQ(items(insert),
              (std::vector<std::pair<QString, bool>>{{"Трек", false},
                                                     {"-", true},
                                                     {"&10 мСек", false},
                                                     {"&20 мСек", false},
                                                     {"&50 мСек", false},
                                                     {"100 мСек", false},
                                                     {"200 мСек", false},
                                                     {"300 мСек", false},
                                                     {"-", true},
                                                     {"Произвольная тишина", false}}));
}

TEST_F(WindowTest, ContextMenusFollowTheProjectAndTheMode) {
    newProject();  // key mode: the music view's commands stay gray
    std::unique_ptr<QMenu> lib(window->libraryView()->makeContextMenu(window.get()));
    for (const QAction* a : lib->actions()) {
        // Undo and redo follow the history, which is empty.
        const int id = commandIdOf(a);
        if (id == cmd::kUndo || id == cmd::kRedo) continue;
        EXPECT_TRUE(a->isEnabled()) << a->text().toStdString();
    }
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
    QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(0, 0),
                            view->mapToGlobal(QPoint(0, 0)));
    QApplication::sendEvent(view, &event);
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(view->keyboardMenuPosition(), view->mapToGlobal(QPoint(5, 5)));
    QApplication::processEvents();
    EXPECT_EQ(shown->pos(), view->keyboardMenuPosition());
    shown->close();
}

TEST_F(WindowTest, ShiftF10AndTheMenuKeyOpenTheMenuOfTheFocusedView) {
    newProject();
    window->show();
    for (CListCtrl* view : {static_cast<CListCtrl*>(window->libraryView()),
                            static_cast<CListCtrl*>(window->playlistView())}) {
        std::vector<QMenu*> shown;
        const auto c = QObject::connect(view, &CListCtrl::contextMenuShown,
                                        [&](QMenu* m) { shown.push_back(m); });
        view->setFocus();
        QTest::keyClick(view, Qt::Key_F10, Qt::ShiftModifier);
        ASSERT_EQ(shown.size(), 1u) << view->objectName().toStdString();
        QApplication::processEvents();
        EXPECT_EQ(shown.back()->pos(), view->mapToGlobal(QPoint(5, 5)));
        EXPECT_EQ(shown.back()->objectName(),
                  QStringLiteral("contextMenu_%1").arg(view->controlId()));
        shown.back()->close();
        QApplication::processEvents();

        QTest::keyClick(view, Qt::Key_Menu);
        ASSERT_EQ(shown.size(), 2u);
        QApplication::processEvents();
        EXPECT_EQ(shown.back()->pos(), view->mapToGlobal(QPoint(5, 5)));
        // While the menu is open the key opens no second one.
        QKeyEvent again(QEvent::KeyPress, Qt::Key_Menu, Qt::NoModifier);
        QApplication::sendEvent(view, &again);
        EXPECT_EQ(shown.size(), 2u);
        shown.back()->close();
        QApplication::processEvents();

        // F10 alone is no menu request.
        QTest::keyClick(view, Qt::Key_F10);
        EXPECT_EQ(shown.size(), 2u);
        QObject::disconnect(c);
    }
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
    const auto calls = player->calls();
    EXPECT_NE(std::find(calls.begin(), calls.end(), "stop all"), calls.end());
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

namespace zadaravod::test {
namespace {

TEST_F(WindowTest, LibraryLoadImportsTheChosenWav) {
    newProject();
    writeFile(dir / "hello.wav", makeWav(8000, 500));
    scripted.openFileLists.push_back(std::vector<std::string>{(dir / "hello.wav").string()});
    action(cmd::kLibraryLoad)->trigger();
    ASSERT_EQ(window->libraryView()->rowCount(), 1) << ::testing::PrintToString(scripted.texts());
    EXPECT_EQ(window->libraryView()->item(0, 1)->text(), QStringLiteral("hello.wav"));
    EXPECT_EQ(window->libraryView()->item(0, 2)->text(), QStringLiteral("8000 Hz"));
    EXPECT_EQ(window->lengthPane()->text(), QStringLiteral("500 msec. total"));
    EXPECT_TRUE(fs::exists(fs::path(window->project().soundFolder) / "hello.wav"));
}

TEST_F(WindowTest, BackgroundMusicLoadAndClearInOneLineMode) {
    newProject();
    action(cmd::kModeOneLine)->trigger();
    // The mode command leaves the music view alone; the next refresh with a
    // project gives it its commands.
    EXPECT_FALSE(action(cmd::kMusicLoad)->isEnabled());
    window->refreshCommandState(true);
    ASSERT_TRUE(action(cmd::kMusicLoad)->isEnabled());
    writeFile(dir / "music.wav", makeWav(8000, 700));
    scripted.openFiles.push_back((dir / "music.wav").string());
    action(cmd::kMusicLoad)->trigger();
    ASSERT_EQ(window->musicView()->rowCount(), 1) << ::testing::PrintToString(scripted.texts());
    EXPECT_EQ(window->musicView()->item(0, 1)->text(), QStringLiteral("music.wav"));
    action(cmd::kMusicClear)->trigger();
    EXPECT_EQ(window->musicView()->rowCount(), 0);
    EXPECT_TRUE(window->project().backgroundMusic.empty());
}

}  // namespace
}  // namespace zadaravod::test

#include <QMimeData>
#include <QTimer>

namespace zadaravod::test {
namespace {

/// Drops row data "<view> <row>" on the playlist view at the row `atRow`.
void dropOnPlaylist(CLK_AppDlg& w, const QByteArray& data, int atRow) {
    QMimeData mime;
    mime.setData(QStringLiteral("application/x-zadaravod-row"), data);
    CListCtrl* view = w.playlistView();
    const QPoint at = atRow >= 0 ? view->visualRect(view->model()->index(atRow, 0)).center()
                                 : QPoint(5, view->viewport()->height() - 5);
    QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &enter);
    QApplication::sendEvent(view->viewport(), &drop);
}

TEST_F(WindowTest, DroppingALibrarySoundAppendsItAndForeignRowsAreIgnored) {
    newProject();
    addLibrarySound("a.wav", 8000, 100);
    window->refillViews();
    window->show();
    dropOnPlaylist(*window, "1006 0", -1);
    ASSERT_EQ(window->project().playlists[0].count(), 1u);
    EXPECT_EQ(window->playlistView()->rowCount(), 1);
    // Rows the library does not have, and data of no view, change nothing.
    dropOnPlaylist(*window, "1006 7", -1);
    dropOnPlaylist(*window, "1094 0", -1);
    dropOnPlaylist(*window, "garbage", -1);
    EXPECT_EQ(window->project().playlists[0].count(), 1u);
    // Without a project nothing is dropped at all.
    window->refreshCommandState(false);
    dropOnPlaylist(*window, "1006 0", -1);
    EXPECT_EQ(window->project().playlists[0].count(), 1u);
}

TEST_F(WindowTest, AboutBoxShowsItsLinesAndItsLinkOpensTheHomePage) {
    QString title;
    QTimer::singleShot(0, [&] {
        QWidget* about = QApplication::activeModalWidget();
        ASSERT_NE(about, nullptr);
        title = about->windowTitle();
        auto* link = about->findChild<QLabel*>(QStringLiteral("control_1097"));
        ASSERT_NE(link, nullptr);
        emit link->linkActivated(QStringLiteral("home"));
        auto* line = about->findChild<QLabel*>(QStringLiteral("aboutTitle"));
        ASSERT_NE(line, nullptr);
        EXPECT_EQ(line->text(), QStringLiteral("KD-7731 редактор образов v.1.0"));
        about->close();
    });
    action(cmd::kAbout)->trigger();
    EXPECT_EQ(title, QStringLiteral("О программе"));
    EXPECT_EQ(launcher.urls, std::vector<std::string>{kHomePageUrl});
}

}  // namespace
}  // namespace zadaravod::test

#include <QScrollBar>

namespace zadaravod::test {
namespace {

TEST_F(WindowTest, RefillKeepsTheScrollPosition) {
    newProject();
    for (int i = 0; i < 60; ++i) {
        CSound s;
        s.kind = 1;
        s.name = "s" + std::to_string(i) + ".wav";
        s.sampleRate = 8000;
        s.durationMs = 10;
        window->project().library.addTail(s);
    }
    window->show();
    window->fillLibraryView();
    QApplication::processEvents();
    QScrollBar* bar = window->libraryView()->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 12);
    bar->setValue(12);
    window->project().library.removeAt(59);
    window->fillLibraryView();
    EXPECT_EQ(window->libraryView()->rowCount(), 59);
    EXPECT_EQ(bar->value(), 12);
    EXPECT_EQ(window->libraryView()->item(12, 1)->text(), QStringLiteral("s12.wav"));
}

}  // namespace
}  // namespace zadaravod::test

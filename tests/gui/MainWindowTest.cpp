// The main window: start-up state, the project commands through the seam's
// test hook, the gauge, the keys, the mode and view commands, the timer.

#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <cstdlib>
#include <filesystem>

#include "gui/CommandIds.h"
#include "gui/ListControls.h"
#include "gui/MenuTips.h"
#include "support/WindowFixture.h"

namespace zadaravod::test {
namespace {

namespace fs = std::filesystem;

QStringList menuTexts(const QMenu* menu) {
    QStringList out;
    for (const QAction* a : menu->actions()) {
        if (a->isSeparator()) {
            out << QStringLiteral("-");
        } else {
            QString text = a->text();
            if (!a->shortcut().isEmpty()) text += QLatin1Char('\t') + a->shortcut().toString();
            out << text;
        }
    }
    return out;
}

QMenu* menuNamed(CLK_AppDlg& w, const char* name) {
    return w.findChild<QMenu*>(QLatin1String(name));
}

TEST_F(WindowTest, MenusHoldEveryItemWithItsCaptionAndAccelerator) {
    QStringList titles;
    for (const QAction* a : window->menuBar()->actions()) titles << a->text();
    EXPECT_EQ(titles, (QStringList{"&Файл", "&Правка", "&Вид", "&Режим", "&Действия",
                                   "&Инструменты", "&Язык", "&Помощь"}));
    EXPECT_EQ(menuTexts(menuNamed(*window, "menu_file")),
              (QStringList{"Создать\tF2", "Открыть\tF3", "Сохранить", "Сохранить как\tCtrl+S",
                           "Закрыть проект\tCtrl+C", "Последние проекты", "-", "Выход\tCtrl+E",
                           "Excel"}));
    EXPECT_EQ(menuTexts(menuNamed(*window, "menu_edit")),
              (QStringList{"&Отменить\tCtrl+Z", "&Повторить\tCtrl+Shift+Z"}));
    EXPECT_EQ(menuTexts(menuNamed(*window, "menu_view")),
              (QStringList{"Панель инструментов", "Строка состояния"}));
    EXPECT_EQ(menuTexts(menuNamed(*window, "menu_mode")),
              (QStringList{"Ключевой", "Однопроводный", "3-х проводный", "Параллельный порт",
                           "Матрица 3x8"}));
    EXPECT_EQ(
        menuTexts(menuNamed(*window, "menu_actions")),
        (QStringList{"Собрать образ (BIN)\tF4", "Проверить проект", "-", "Конфигурация кодека",
                     "Настройка ключевого режима", "Настройки выравнивания"}));
    EXPECT_EQ(menuTexts(menuNamed(*window, "menu_tools")),
              (QStringList{"Загрузить в устройство\tF5"}));
    EXPECT_EQ(menuTexts(menuNamed(*window, "menu_language")), (QStringList{"Русский", "English"}));
    EXPECT_TRUE(menuNamed(*window, "menu_language")->menuAction()->isEnabled());
    EXPECT_EQ(menuTexts(menuNamed(*window, "menu_help")),
              (QStringList{"О программе", "Помощь\tF1"}));
}

TEST_F(WindowTest, StartsWithoutProjectAndGraysTheProjectCommands) {
    EXPECT_EQ(window->windowTitle(), QStringLiteral("KD-7731 редактор образов"));
    for (int id : {cmd::kSave, cmd::kSaveAs, cmd::kCloseProject, cmd::kExcel, cmd::kBuild,
                   cmd::kOptions, cmd::kModeKey, cmd::kModeMatrix, cmd::kKeySetup}) {
        EXPECT_FALSE(action(id)->isEnabled()) << id;
    }
    for (int id : {cmd::kNew, cmd::kOpen, cmd::kExit, cmd::kHelp, cmd::kAbout, cmd::kDownload,
                   cmd::kViewToolbar, cmd::kViewStatusBar}) {
        EXPECT_TRUE(action(id)->isEnabled()) << id;
    }
    // The toolbar: build and settings disabled, the others usable.
    auto* build = window->findChild<QToolButton*>(QStringLiteral("button_32787"));
    auto* options = window->findChild<QToolButton*>(QStringLiteral("button_32788"));
    auto* newButton = window->findChild<QToolButton*>(QStringLiteral("button_32785"));
    ASSERT_TRUE(build && options && newButton);
    EXPECT_FALSE(build->isEnabled());
    EXPECT_FALSE(options->isEnabled());
    EXPECT_TRUE(newButton->isEnabled());
    EXPECT_FALSE(window->listCombo()->isEnabled());
    EXPECT_FALSE(window->flashCombo()->isEnabled());
    EXPECT_FALSE(window->listBox()->isEnabled());
    EXPECT_EQ(window->flashCombo()->currentText(), QStringLiteral("4M"));
    EXPECT_TRUE(action(cmd::kViewToolbar)->isChecked());
    EXPECT_TRUE(action(cmd::kViewStatusBar)->isChecked());
    EXPECT_GE(window->minimumSize().width(), 800);
    EXPECT_GE(window->minimumSize().height(), 500);
    EXPECT_TRUE(window->modeCaption()->isReadOnly());
    EXPECT_TRUE(window->modeCaption()->text().isEmpty());
    // The hidden step buttons exist.
    auto* plus = window->findChild<QWidget*>(QStringLiteral("control_1004"));
    ASSERT_NE(plus, nullptr);
    EXPECT_TRUE(plus->isHidden());
}

TEST_F(WindowTest, ListNumberControlsHoldTheHexTexts) {
    QListWidget* box = window->listBox();
    QComboBox* combo = window->listCombo();
    ASSERT_EQ(box->count(), 220);
    ASSERT_EQ(combo->count(), 220);
    EXPECT_EQ(box->item(0)->text(), QStringLiteral("00H"));
    EXPECT_EQ(box->item(9)->text(), QStringLiteral("09H"));
    EXPECT_EQ(box->item(10)->text(), QStringLiteral("0aH"));
    EXPECT_EQ(box->item(15)->text(), QStringLiteral("0fH"));
    EXPECT_EQ(box->item(16)->text(), QStringLiteral("10H"));
    EXPECT_EQ(box->item(219)->text(), QStringLiteral("dbH"));
    EXPECT_EQ(combo->itemText(219), QStringLiteral("dbH"));
    EXPECT_EQ(box->currentRow(), 0);
}

TEST_F(WindowTest, GaugeOfAnEmptyLibraryOn4M) {
    EXPECT_EQ(window->usagePane()->text(), QStringLiteral("3.17 % flash used"));
    EXPECT_EQ(window->lengthPane()->text(), QStringLiteral("0 msec. total"));
}

TEST_F(WindowTest, GaugeOfOneSecondAt8000HzOn256KAndTheStoredFlashSize) {
    newProject();
    addLibrarySound("a.wav", 8000, 1000);
    window->fillLibraryView();
    window->flashCombo()->setCurrentIndex(4);
    EXPECT_EQ(window->usagePane()->text(), QStringLiteral("52.67 % flash used"));
    EXPECT_EQ(window->lengthPane()->text(), QStringLiteral("1000 msec. total"));
    EXPECT_EQ(window->project().flashSize.sizeIndex, 4);
}

TEST_F(WindowTest, CloseShowsTheGaugeOfAnEmptyLibrary) {
    newProject();
    addLibrarySound("a.wav", 8000, 1000);
    window->flashCombo()->setCurrentIndex(4);
    window->fillLibraryView();
    ASSERT_EQ(window->usagePane()->text(), QStringLiteral("52.67 % flash used"));
    action(cmd::kCloseProject)->trigger();
    // 786304 + 510 x 544 bits of the 256K flash that stays selected.
    EXPECT_EQ(window->usagePane()->text(), QStringLiteral("50.72 % flash used"));
    EXPECT_EQ(window->lengthPane()->text(), QStringLiteral("0 msec. total"));
}

TEST_F(WindowTest, NewProjectOpensItAndEnablesItsCommands) {
    newProject();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("demo.winproj - LARK40 ZadarAvod V1.6e"));
    EXPECT_TRUE(fs::is_directory(dir / "demo.winproj" / "demo.winproj.sound"));
    for (int id : {cmd::kSave, cmd::kSaveAs, cmd::kCloseProject, cmd::kBuild, cmd::kOptions,
                   cmd::kKeySetup, cmd::kModeKey}) {
        EXPECT_TRUE(action(id)->isEnabled()) << id;
    }
    // No image yet: "Excel" stays grayed.
    EXPECT_FALSE(action(cmd::kExcel)->isEnabled());
    EXPECT_TRUE(window->listCombo()->isEnabled());
    EXPECT_TRUE(window->findChild<QToolButton*>(QStringLiteral("button_32787"))->isEnabled());
    // New sets the key mode.
    EXPECT_EQ(window->modeCaption()->text(), QStringLiteral("Key Mode"));
    EXPECT_FALSE(window->musicView()->isEnabled());
    ASSERT_EQ(scripted.fileRequests.size(), 1u);
    EXPECT_EQ(scripted.fileRequests[0].defaultExtension, "winproj");
}

TEST_F(WindowTest, NewWithAnExistingNameLeavesNoProjectOpen) {
    fs::create_directory(dir / "demo.winproj");
    scripted.saveFiles.push_back((dir / "demo.winproj").string());
    action(cmd::kNew)->trigger();
    EXPECT_TRUE(scripted.saw("The project already exists!"));
    EXPECT_FALSE(window->project().projectOpen);
    EXPECT_FALSE(action(cmd::kSave)->isEnabled());
}

TEST_F(WindowTest, OpenShowsTheStoredProject) {
    newProject();
    addLibrarySound("one.wav", 8000, 250);
    addLibrarySound("two.wav", 16000, 1500);
    window->project().playlists[0].addTail(window->project().library.at(0));
    window->project().playlists[0].addTail(CSound::silence(2000));
    window->project().options.controlMode = 0;
    window->flashCombo()->setCurrentIndex(2);
    action(cmd::kSave)->trigger();
    const std::string file = window->project().projectFilePath;

    action(cmd::kCloseProject)->trigger();
    EXPECT_TRUE(scripted.saw("Close Project"));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("LARK40 ZadarAvod V1.6e"));
    EXPECT_EQ(window->libraryView()->rowCount(), 0);
    EXPECT_FALSE(action(cmd::kSave)->isEnabled());

    scripted.openFiles.push_back(file);
    action(cmd::kOpen)->trigger();
    ASSERT_TRUE(window->project().projectOpen);
    auto* lib = window->libraryView();
    ASSERT_EQ(lib->rowCount(), 2);
    EXPECT_EQ(lib->item(1, 0)->text(), QStringLiteral("002"));
    EXPECT_EQ(lib->item(1, 1)->text(), QStringLiteral("two.wav"));
    EXPECT_EQ(lib->item(1, 2)->text(), QStringLiteral("16000 Hz"));
    EXPECT_EQ(lib->item(1, 3)->text(), QStringLiteral("16 Bit"));
    EXPECT_EQ(lib->item(1, 4)->text(), QStringLiteral("MONO"));
    EXPECT_EQ(lib->item(1, 5)->text(), QStringLiteral("1500 ms"));
    auto* list = window->playlistView();
    ASSERT_EQ(list->rowCount(), 2);
    EXPECT_EQ(list->item(0, 1)->text(), QStringLiteral("SOUND"));
    EXPECT_EQ(list->item(0, 2)->text(), QStringLiteral("one.wav"));
    EXPECT_EQ(list->item(1, 1)->text(), QStringLiteral("SILENCE"));
    EXPECT_EQ(list->item(1, 2)->text(), QStringLiteral("2 s"));
    EXPECT_EQ(window->flashCombo()->currentText(), QStringLiteral("1M"));
    EXPECT_TRUE(action(cmd::kModeOneLine)->isChecked());
    EXPECT_FALSE(action(cmd::kModeKey)->isChecked());
    EXPECT_EQ(window->modeCaption()->text(), QStringLiteral("One Line Mode"));
    // Mode 0 with a 16000 Hz sound and no music: the music view is disabled,
    // but its commands may be used.
    EXPECT_FALSE(window->musicView()->isEnabled());
    EXPECT_TRUE(window->musicView()->commandsEnabled());
}

TEST_F(WindowTest, EnterAndEscapeDoNothingInTheWindow) {
    window->show();
    newProject();
    const QString title = window->windowTitle();
    const std::size_t messages = scripted.messages.size();
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
        QTest::keyClick(window.get(), key);
        QTest::keyClick(window->listCombo(), key);
    }
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), title);
    EXPECT_EQ(scripted.messages.size(), messages);
    EXPECT_TRUE(window->project().projectOpen);
}

TEST_F(WindowTest, ModeCommandsMoveTheCheckMarkAndKeepTheMusicView) {
    newProject();
    const bool musicEnabled = window->musicView()->isEnabled();
    action(cmd::kModeMatrix)->trigger();
    EXPECT_EQ(window->project().options.controlMode, kModeMatrix);
    EXPECT_EQ(window->modeCaption()->text(), QStringLiteral("3X8 Matrix Mode"));
    for (int id : {cmd::kModeKey, cmd::kModeOneLine, cmd::kModeThreeLine, cmd::kModeParallel}) {
        EXPECT_FALSE(action(id)->isChecked()) << id;
    }
    EXPECT_TRUE(action(cmd::kModeMatrix)->isChecked());
    EXPECT_EQ(window->musicView()->isEnabled(), musicEnabled);
    action(cmd::kModeThreeLine)->trigger();
    EXPECT_FALSE(action(cmd::kModeMatrix)->isChecked());
    EXPECT_TRUE(action(cmd::kModeThreeLine)->isChecked());
    EXPECT_EQ(window->modeCaption()->text(), QStringLiteral("Three Line Mode"));
}

TEST_F(WindowTest, ViewTogglesHideAndShowTheBars) {
    window->show();
    action(cmd::kViewToolbar)->trigger();
    EXPECT_FALSE(window->toolBar()->isVisible());
    EXPECT_FALSE(action(cmd::kViewToolbar)->isChecked());
    action(cmd::kViewToolbar)->trigger();
    EXPECT_TRUE(window->toolBar()->isVisible());
    EXPECT_TRUE(action(cmd::kViewToolbar)->isChecked());

    action(cmd::kViewStatusBar)->trigger();
    EXPECT_FALSE(window->statusBar()->isVisible());
    EXPECT_FALSE(window->progressBar()->isVisible());
    EXPECT_FALSE(action(cmd::kViewStatusBar)->isChecked());
    action(cmd::kViewStatusBar)->trigger();
    EXPECT_TRUE(window->statusBar()->isVisible());
    EXPECT_TRUE(window->progressBar()->isVisible());
}

TEST_F(WindowTest, TimerRefreshesTheCommandsAfterAPlaylistEnded) {
    newProject();
    addLibrarySound("a.wav", 8000, 200);
    window->project().playlists[0].addTail(window->project().library.at(0));
    window->fillPlaylistView();
    ASSERT_TRUE(playCurrentListToTheEnd());
    EXPECT_FALSE(action(cmd::kSave)->isEnabled()) << "off while the list plays";
    int ticks = 0;
    while (!action(cmd::kSave)->isEnabled() && ticks < 20) {
        window->onTimer();
        ++ticks;
    }
    EXPECT_TRUE(action(cmd::kSave)->isEnabled());
    EXPECT_LE(ticks, Playback::kIdleTicksNeeded + 1);

    // Without a project the tick gives back no project command.
    window->runCommand(cmd::kCloseProject);
    for (int i = 0; i < 20; ++i) window->onTimer();
    EXPECT_FALSE(action(cmd::kSave)->isEnabled());
}

TEST_F(WindowTest, ToolbarTooltipsAndMenuTips) {
    EXPECT_EQ(action(cmd::kToolNew)->toolTip(), QStringLiteral("Новый проект"));
    EXPECT_EQ(action(cmd::kToolOpen)->toolTip(), QStringLiteral("Открыть проект"));
    EXPECT_EQ(action(cmd::kToolBuild)->toolTip(), QStringLiteral("Собрать образ"));
    EXPECT_EQ(action(cmd::kToolOptions)->toolTip(), QStringLiteral("Настройки"));
    EXPECT_EQ(action(cmd::kToolDownload)->toolTip(), QStringLiteral("Выгрузить в устройство"));
    EXPECT_EQ(action(cmd::kToolHelp)->toolTip(), QStringLiteral("Помощь"));
    EXPECT_EQ(window->toolBar()->iconSize(), QSize(36, 36));

    newProject();  // grayed items show no tip
    window->show();
    QMenu* file = menuNamed(*window, "menu_file");
    file->popup(window->mapToGlobal(QPoint(10, 10)));
    CMenuTipManager* tips = window->menuTips();
    tips->itemHovered(file, action(cmd::kCloseProject));
    ASSERT_NE(tips->tip(), nullptr);
    EXPECT_EQ(tips->tip()->text(), QStringLiteral("Закрыть проект"));
    EXPECT_FALSE(tips->tip()->isVisible());  // the first tip waits
    EXPECT_EQ(tips->tip()->x(), file->mapToGlobal(QPoint(file->width(), 0)).x());
    EXPECT_EQ(tips->tip()->y(),
              file->mapToGlobal(file->actionGeometry(action(cmd::kCloseProject)).topLeft()).y());
    for (int i = 0; i < 100 && !tips->tip()->isVisible(); ++i) QTest::qWait(20);
    EXPECT_TRUE(tips->tip()->isVisible());
    // The next item's tip replaces it at once.
    tips->itemHovered(file, action(cmd::kExit));
    EXPECT_TRUE(tips->tip()->isVisible());
    EXPECT_EQ(tips->tip()->text(), QStringLiteral("Выход"));
    tips->itemHovered(file, action(cmd::kSave));
    EXPECT_EQ(tips->tip()->text(), QStringLiteral("Сохранить проект"));
    // An item without a prompt shows no tip.
    tips->itemHovered(menuNamed(*window, "menu_actions"), action(cmd::kBuild));
    EXPECT_FALSE(tips->tip()->isVisible());
    file->hide();
}

TEST_F(WindowTest, HelpOpensTheEditorsOwnPageWithoutAMessage) {
    action(cmd::kHelp)->trigger();
    ASSERT_EQ(launcher.urls.size(), 1u);
    EXPECT_EQ(launcher.urls[0].rfind("file://", 0), 0u);
    EXPECT_NE(launcher.urls[0].find("/help/index.html"), std::string::npos);
    EXPECT_TRUE(scripted.messages.empty());
}

TEST_F(WindowTest, FixedSilenceAndPlaylistSwitching) {
    newProject();
    action(cmd::kSilence100)->trigger();
    ASSERT_EQ(window->playlistView()->rowCount(), 1);
    EXPECT_EQ(window->playlistView()->item(0, 2)->text(), QStringLiteral("100 ms"));
    // Choosing list 3 in the list box follows in the combo and shows it.
    window->listBox()->setCurrentRow(3);
    EXPECT_EQ(window->listCombo()->currentIndex(), 3);
    EXPECT_EQ(window->playlistView()->rowCount(), 0);
    action(cmd::kSilence10)->trigger();
    // The lists below were filled with one 10 ms silence each.
    EXPECT_EQ(window->project().playlists[1].count(), 1u);
    EXPECT_EQ(window->project().playlists[2].count(), 1u);
    window->listCombo()->setCurrentIndex(0);
    EXPECT_EQ(window->listBox()->currentRow(), 0);
    EXPECT_EQ(window->playlistView()->rowCount(), 1);
}

TEST_F(WindowTest, BuildWritesTheImageAndEnablesExcel) {
    newProject();
    addLibrarySound("a.wav", 8000, 300);
    window->fillLibraryView();
    window->project().playlists[0].addTail(window->project().library.at(0));
    action(cmd::kBuild)->trigger();
    EXPECT_TRUE(fs::exists(window->project().imagePath()))
        << ::testing::PrintToString(scripted.texts());
    EXPECT_TRUE(action(cmd::kExcel)->isEnabled());
    // A changed playlist makes the image stale.
    window->fillPlaylistView();
    EXPECT_FALSE(action(cmd::kExcel)->isEnabled());
}

TEST_F(WindowTest, DownloadPassesTheImagePathAsOneArgument) {
    scripted.saveFiles.push_back((dir / "my demo.winproj").string());
    action(cmd::kNew)->trigger();
    ASSERT_TRUE(window->project().projectOpen);
    action(cmd::kDownload)->trigger();
    for (const auto& start : launcher.starts) {
        EXPECT_NE(start.program.find("V31O_DivaD"), std::string::npos);
        ASSERT_EQ(start.arguments.size(), 1u);
        EXPECT_EQ(start.arguments[0], window->project().imagePath());
    }
}

TEST_F(WindowTest, ScreenshotOfASmallProject) {
    newProject();
    for (auto [name, rate, ms] :
         {std::tuple{"welcome.wav", 8000, 1820}, std::tuple{"button_press.wav", 8000, 240},
          std::tuple{"door_open.wav", 6000, 1300}, std::tuple{"goodbye.wav", 8000, 960}}) {
        addLibrarySound(name, rate, ms);
    }
    Project& p = window->project();
    p.playlists[0].addTail(p.library.at(0));
    p.playlists[0].addTail(CSound::silence(200));
    p.playlists[0].addTail(p.library.at(2));
    p.playlists[0].addTail(CSound::silence(2000));
    p.playlists[0].addTail(p.library.at(3));
    p.playlists[1].addTail(p.library.at(1));
    CSound music = p.library.at(0);
    music.name = "theme.wav";
    music.durationMs = 30000;
    p.backgroundMusic.addTail(music);
    action(cmd::kModeOneLine)->trigger();
    window->refreshCommandState(true);
    window->refillViews();
    window->resize(1000, 620);
    window->show();
    window->libraryView()->selectRow(0);
    QApplication::processEvents();
    const QImage shot = window->grab().toImage();
    EXPECT_GE(shot.width(), 800);
    EXPECT_GE(shot.height(), 500);
    if (const char* out = std::getenv("ZADARAVOD_SCREENSHOT")) {
        EXPECT_TRUE(shot.save(QString::fromLocal8Bit(out)));
    }
}

}  // namespace
}  // namespace zadaravod::test

namespace zadaravod::test {
namespace {

TEST_F(WindowTest, ProjectNamedAtStartOpensWithoutTheDialog) {
    newProject();
    addLibrarySound("a.wav", 8000, 100);
    window->runCommand(cmd::kSave);
    const std::string file = window->project().projectFilePath;
    window->runCommand(cmd::kCloseProject);
    const std::size_t requests = scripted.fileRequests.size();

    ASSERT_TRUE(window->openProjectFile((dir / "demo.winproj").string()));  // the folder
    EXPECT_EQ(window->project().projectFilePath, file);
    EXPECT_EQ(window->libraryView()->rowCount(), 1);
    EXPECT_EQ(scripted.fileRequests.size(), requests);  // no dialog was asked
    // A broken file is reported through the same user interface.
    writeFile(dir / "bad.winproj", "not a project");
    EXPECT_FALSE(window->openProjectFile((dir / "bad.winproj").string()));
    EXPECT_FALSE(window->project().projectOpen);
    EXPECT_FALSE(scripted.messages.empty());
}

}  // namespace
}  // namespace zadaravod::test

namespace zadaravod::test {
namespace {

TEST_F(WindowTest, ResizingStretchesThePlaylistAndKeepsTheLibraryWidth) {
    window->resize(900, 560);
    window->show();
    QApplication::processEvents();
    const QRect library = window->libraryView()->geometry();
    const QRect playlist = window->playlistView()->geometry();
    const QRect flash = window->flashCombo()->geometry();
    window->resize(1300, 800);
    QApplication::processEvents();
    EXPECT_EQ(window->libraryView()->geometry().left(), library.left());
    EXPECT_EQ(window->libraryView()->width(), library.width());
    EXPECT_GT(window->libraryView()->height(), library.height());
    EXPECT_EQ(window->playlistView()->geometry().left(), playlist.left());
    EXPECT_EQ(window->playlistView()->width(), playlist.width() + 400);
    EXPECT_GT(window->playlistView()->height(), playlist.height());
    // The flash-size combo keeps its distance to the right edge.
    EXPECT_EQ(window->flashCombo()->geometry().right() - flash.right(), 400);
    EXPECT_EQ(window->flashCombo()->width(), flash.width());
}

TEST_F(WindowTest, ExcelWritesTheRecordSheetAndShowsItFromTheSecondExportOn) {
    newProject();
    addLibrarySound("a.wav", 8000, 300);
    window->project().playlists[0].addTail(window->project().library.at(0));
    window->runCommand(cmd::kBuild);
    ASSERT_TRUE(action(cmd::kExcel)->isEnabled());
    const std::string sheet = window->project().projectFilePath + ".xlsx";

    window->runCommand(cmd::kExcel);
    EXPECT_TRUE(std::filesystem::is_regular_file(sheet));
    EXPECT_TRUE(launcher.urls.empty()) << "the first export only writes";
    window->runCommand(cmd::kExcel);
    ASSERT_EQ(launcher.urls.size(), 1U);
    EXPECT_EQ(launcher.urls[0], "file://" + sheet);
}

}  // namespace
}  // namespace zadaravod::test

// The interface language: the window and its dialogs in English, switching
// at run time, the stored choice and --lang, Qt's own buttons, the export's
// messages, and the editor's command line without a display.

#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QToolBar>
#include <filesystem>
#include <fstream>

#include "gui/CLK_AppApp.h"
#include "gui/CommandIds.h"
#include "gui/ConfirmDlg.h"
#include "gui/KeySetupDlg.h"
#include "gui/Language.h"
#include "gui/WindowSettings.h"
#include "support/WindowFixture.h"

namespace zadaravod::test {
namespace {

const QString kRu = QStringLiteral("ru");
const QString kEn = QStringLiteral("en");

/// A window test that puts the application back into Russian afterwards, so
/// the other tests of the program see the source texts.
class LanguageTest : public WindowTest {
  protected:
    void TearDown() override {
        applyLanguage(kRu);
        WindowTest::TearDown();
    }
    QMenu* menu(const char* name) const { return window->findChild<QMenu*>(QLatin1String(name)); }
    QStringList menuTitles() const {
        QStringList titles;
        for (const QAction* a : window->menuBar()->actions()) titles << a->text();
        return titles;
    }
    /// Chooses a language item as the user does.
    void choose(int id) {
        ASSERT_TRUE(action(id)->isEnabled());
        action(id)->trigger();
    }
};

TEST_F(LanguageTest, AWindowMadeInEnglishShowsEnglishMenusToolbarAndLabels) {
    ASSERT_TRUE(applyLanguage(kEn));
    window = std::make_unique<CLK_AppDlg>(AppPaths::ofFolder(appDir()));
    EXPECT_EQ(menuTitles(), (QStringList{"&File", "&Edit", "&View", "&Mode", "&Actions", "&Tools",
                                         "&Language", "&Help"}));
    EXPECT_EQ(action(cmd::kNew)->text(), QStringLiteral("&New"));
    EXPECT_EQ(action(cmd::kSaveAs)->text(), QStringLiteral("Save &As..."));
    EXPECT_EQ(menu("menu_recent")->title(), QStringLiteral("&Recent Projects"));
    EXPECT_EQ(action(cmd::kToolNew)->toolTip(), QStringLiteral("New project"));
    EXPECT_EQ(window->toolBar()->windowTitle(), QStringLiteral("Toolbar"));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("KD-7731 Image Editor"));
    auto* listLabel = window->findChild<QLabel*>(QStringLiteral("control_%1").arg(ctl::kListLabel));
    ASSERT_TRUE(listLabel);
    EXPECT_EQ(listLabel->text(), QStringLiteral("List No.:"));
    // The language items name themselves in their own language.
    EXPECT_EQ(action(cmd::kCompanion)->text(), QStringLiteral("Русский"));
    EXPECT_EQ(action(cmd::kEnglish)->text(), QStringLiteral("English"));
    EXPECT_TRUE(action(cmd::kEnglish)->isChecked());
    EXPECT_FALSE(action(cmd::kCompanion)->isChecked());
}

TEST_F(LanguageTest, EveryMenuKeepsItsAcceleratorsUniqueInEnglish) {
    ASSERT_TRUE(applyLanguage(kEn));
    window = std::make_unique<CLK_AppDlg>(AppPaths::ofFolder(appDir()));
    std::vector<const QMenu*> menus;
    for (const QAction* top : window->menuBar()->actions()) menus.push_back(top->menu());
    // The context menus are filled when they open; their items are the
    // window's actions, so check those sets as the views put them together.
    for (const QMenu* m : menus) {
        QStringList keys;
        for (const QAction* a : m->actions()) {
            const QString text = a->menu() ? a->menu()->title() : a->text();
            const int amp = text.indexOf(QLatin1Char('&'));
            if (amp < 0 || amp + 1 >= text.size()) continue;
            const QString key = text.mid(amp + 1, 1).toLower();
            EXPECT_FALSE(keys.contains(key))
                << m->objectName().toStdString() << ": " << text.toStdString();
            keys << key;
        }
    }
    for (const auto& ids : std::vector<std::vector<int>>{
             {cmd::kLibraryLoad, cmd::kLibraryDelete, cmd::kLibraryClear, cmd::kLibraryPlay,
              cmd::kPlayAsChip, cmd::kUndo, cmd::kRedo},
             {cmd::kPlaylistDelete, cmd::kPlaylistClear, cmd::kPlaylistClearAll, cmd::kPlaylistPlay,
              cmd::kPlayAsChip, cmd::kUndo, cmd::kRedo}}) {
        QStringList keys{QStringLiteral("i")};  // "&Insert" of the playlist menu
        for (int id : ids) {
            const QString text = action(id)->text();
            const int amp = text.indexOf(QLatin1Char('&'));
            ASSERT_GE(amp, 0) << text.toStdString();
            const QString key = text.mid(amp + 1, 1).toLower();
            EXPECT_FALSE(keys.contains(key)) << text.toStdString();
            keys << key;
        }
    }
}

TEST_F(LanguageTest, SwitchingReTranslatesTheOpenWindowAndMovesTheCheckMark) {
    newProject();
    addLibrarySound("a.wav", 8000, 100);
    window->fillLibraryView();
    action(cmd::kSilence50)->trigger();  // an edit, so undo names a step
    ASSERT_EQ(action(cmd::kUndo)->text(), QStringLiteral("&Отменить: вставка тишины"));
    EXPECT_TRUE(action(cmd::kCompanion)->isChecked());

    choose(cmd::kEnglish);
    EXPECT_EQ(currentLanguage(), kEn);
    EXPECT_EQ(menu("menu_file")->title(), QStringLiteral("&File"));
    EXPECT_EQ(action(cmd::kCloseProject)->text(), QStringLiteral("&Close Project"));
    EXPECT_EQ(action(cmd::kUndo)->text(), QStringLiteral("&Undo: Insert silence"));
    EXPECT_TRUE(action(cmd::kEnglish)->isChecked());
    EXPECT_FALSE(action(cmd::kCompanion)->isChecked());
    // A project's title is the program's own and stays as it is.
    EXPECT_EQ(window->windowTitle().toStdString(), window->editor().title());
    // The window's keys are untouched by the change.
    EXPECT_EQ(action(cmd::kSaveAs)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_S));

    choose(cmd::kCompanion);
    EXPECT_EQ(currentLanguage(), kRu);
    EXPECT_EQ(menu("menu_file")->title(), QStringLiteral("&Файл"));
    EXPECT_EQ(action(cmd::kCloseProject)->text(), QStringLiteral("Закрыть проект"));
    EXPECT_EQ(action(cmd::kUndo)->text(), QStringLiteral("&Отменить: вставка тишины"));
    EXPECT_TRUE(action(cmd::kCompanion)->isChecked());
    EXPECT_FALSE(action(cmd::kEnglish)->isChecked());
}

TEST_F(LanguageTest, ChoosingRussianSwitchesAndStillStartsTheCompanion) {
    // An application folder of this test's own, with a companion program.
    const std::filesystem::path folder = dir / "app";
    std::filesystem::create_directories(folder);
    const std::filesystem::path companion = folder / "RU_Zid_IR";
    { std::ofstream(companion) << "#!/bin/sh\n"; }
    std::filesystem::permissions(companion, std::filesystem::perms::owner_all);
    window = std::make_unique<CLK_AppDlg>(AppPaths::ofFolder(folder.string()));
    window->userInterface().setTestAnswers(&scripted);
    window->setLauncher(&launcher);

    choose(cmd::kEnglish);
    EXPECT_TRUE(launcher.starts.empty());
    choose(cmd::kCompanion);
    EXPECT_EQ(currentLanguage(), kRu);
    ASSERT_EQ(launcher.starts.size(), 1u);
    EXPECT_EQ(std::filesystem::path(launcher.starts[0].program), companion);
}

TEST_F(LanguageTest, TheChoiceIsStoredAndReadBack) {
    EXPECT_EQ(storedLanguage(), kRu);  // nothing stored yet: the default
    choose(cmd::kEnglish);
    EXPECT_EQ(storedLanguage(), kEn);
    choose(cmd::kCompanion);
    EXPECT_EQ(storedLanguage(), kRu);
}

TEST_F(LanguageTest, LangOnTheCommandLineOverridesTheStoredChoiceWithoutStoringIt) {
    storeLanguage(kRu);
    const StartOptions english =
        CLK_AppApp::parseCommandLine({QStringLiteral("zadaravod"), QStringLiteral("--lang"), kEn});
    ASSERT_FALSE(english.exitStatus.has_value());
    EXPECT_EQ(CLK_AppApp::startLanguage(english), kEn);
    EXPECT_EQ(storedLanguage(), kRu);

    storeLanguage(kEn);
    const StartOptions plain = CLK_AppApp::parseCommandLine(
        {QStringLiteral("zadaravod"), QStringLiteral("/p/demo.winproj")});
    EXPECT_EQ(CLK_AppApp::startLanguage(plain), kEn);
    EXPECT_EQ(plain.projectFile, QStringLiteral("/p/demo.winproj"));
    const StartOptions russian = CLK_AppApp::parseCommandLine(
        {QStringLiteral("zadaravod"), QStringLiteral("--lang=ru"), QStringLiteral("x.winproj")});
    EXPECT_EQ(CLK_AppApp::startLanguage(russian), kRu);
    EXPECT_EQ(russian.projectFile, QStringLiteral("x.winproj"));
    EXPECT_EQ(storedLanguage(), kEn);
}

TEST(LanguageCommandLine, UsageErrorsEndWithStatusTwo) {
    for (const QStringList& args :
         {QStringList{"zadaravod", "--lang", "xx"}, QStringList{"zadaravod", "--lang"},
          QStringList{"zadaravod", "--frobnicate"}, QStringList{"zadaravod", "a", "b"}}) {
        const StartOptions options = CLK_AppApp::parseCommandLine(args);
        ASSERT_TRUE(options.exitStatus.has_value()) << args.join(' ').toStdString();
        EXPECT_EQ(*options.exitStatus, CLK_AppApp::kUsageStatus);
        EXPECT_FALSE(options.output.isEmpty());
    }
}

TEST_F(LanguageTest, DialogsMadeInEnglishShowEnglishTexts) {
    ASSERT_TRUE(applyLanguage(kEn));
    CConfirmDlg confirm;
    EXPECT_EQ(confirm.windowTitle(), QStringLiteral("Confirm"));
    CKeySetupDlg keys;
    EXPECT_EQ(keys.windowTitle(), QStringLiteral("Key Mode Setup"));
    QStringList labels;
    for (const QLabel* l : keys.findChildren<QLabel*>()) labels << l->text();
    EXPECT_TRUE(labels.contains(QStringLiteral("Key 7"))) << labels.join('|').toStdString();
    EXPECT_TRUE(labels.contains(QStringLiteral("Key 24")));
}

TEST_F(LanguageTest, RussianShowsTheSourceTextsAndEnglishOfTheCoreIsLeftAlone) {
    ASSERT_TRUE(applyLanguage(kRu));
    EXPECT_EQ(coreText("Настройка кодека"), QStringLiteral("Настройка кодека"));
    EXPECT_EQ(coreText("кл. 7"), QStringLiteral("кл. 7"));
    ASSERT_TRUE(applyLanguage(kEn));
    EXPECT_EQ(coreText("Настройка кодека"), QStringLiteral("Codec Settings"));
    // The commands' own English messages are not translated.
    EXPECT_EQ(coreText("Pls select a sound to play"), QStringLiteral("Pls select a sound to play"));
    EXPECT_FALSE(applyLanguage(QStringLiteral("xx")));
    EXPECT_EQ(currentLanguage(), kEn);
}

TEST_F(LanguageTest, TheExportsChineseMessagesAreEnglishOnlyInEnglish) {
    const std::string saveFirst = "请先存文件后,方可打开!";
    const std::string badPath = "路径/p/a b.xlsx错误,不能打开显示!";
    const std::string initFailed = "EXCEL初始化时出错!\nno sheet named worksheet";

    window->userInterface().message(saveFirst, kAppCaption, MessageIcon::Information);
    ASSERT_FALSE(scripted.texts().empty());
    EXPECT_EQ(scripted.texts().back(), saveFirst);

    ASSERT_TRUE(applyLanguage(kEn));
    window->userInterface().message(saveFirst, kAppCaption, MessageIcon::Information);
    EXPECT_EQ(scripted.texts().back(), "Please save the project first, then it can be opened!");
    window->userInterface().message(badPath, kAppCaption, MessageIcon::Information);
    EXPECT_EQ(scripted.texts().back(),
              "The path /p/a b.xlsx is wrong; it cannot be opened for display!");
    window->userInterface().message(initFailed, kAppCaption, MessageIcon::Error);
    EXPECT_EQ(scripted.texts().back(),
              "The workbook could not be prepared!\nno sheet named worksheet");
}

TEST_F(LanguageTest, QtsStandardButtonsAreRussianInRussian) {
    ASSERT_TRUE(applyLanguage(kRu));
    if (!qtTranslationLoaded())
        GTEST_SKIP() << "Qt's Russian translation (qtbase_ru.qm) is missing";
    QMessageBox box;
    box.setStandardButtons(QMessageBox::Save | QMessageBox::Cancel);
    EXPECT_EQ(box.button(QMessageBox::Save)->text(), QStringLiteral("Сохранить"));
    EXPECT_EQ(box.button(QMessageBox::Cancel)->text(), QStringLiteral("Отмена"));
    ASSERT_TRUE(applyLanguage(kEn));
    QMessageBox english;
    english.setStandardButtons(QMessageBox::Save);
    EXPECT_EQ(english.button(QMessageBox::Save)->text(), QStringLiteral("Save"));
}

/// Runs the editor with `arguments` and no display named at all.
struct EditorRun {
    int status = -1;
    QString out;
    QString err;
};
EditorRun runEditorWithoutDisplay(const QStringList& arguments) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        env.remove(QLatin1String(name));
    }
    process.setProcessEnvironment(env);
    process.start(QString::fromStdString(appDir() + "/zadaravod"), arguments);
    EditorRun run;
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.status = process.exitCode();
    run.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    run.err = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}

TEST(LanguageCommandLine, HelpVersionAndABadLanguageNeedNoDisplay) {
    ensureApplication();
    const EditorRun version = runEditorWithoutDisplay({QStringLiteral("--version")});
    EXPECT_EQ(version.status, 0) << version.err.toStdString();
    EXPECT_TRUE(version.out.startsWith(QStringLiteral("zadaravod "))) << version.out.toStdString();

    const EditorRun help = runEditorWithoutDisplay({QStringLiteral("--help")});
    EXPECT_EQ(help.status, 0) << help.err.toStdString();
    EXPECT_TRUE(help.out.contains(QStringLiteral("--lang"))) << help.out.toStdString();
    EXPECT_TRUE(help.out.contains(QStringLiteral("Usage: zadaravod"))) << help.out.toStdString();

    const EditorRun bad = runEditorWithoutDisplay({QStringLiteral("--lang"), QStringLiteral("xx")});
    EXPECT_EQ(bad.status, 2);
    EXPECT_TRUE(bad.err.contains(QStringLiteral("xx"))) << bad.err.toStdString();

    // With a good command line the window is wanted, and there is no display.
    const EditorRun window =
        runEditorWithoutDisplay({QStringLiteral("--lang"), QStringLiteral("en")});
    EXPECT_EQ(window.status, CLK_AppApp::kNoDisplayStatus);
}

}  // namespace
}  // namespace zadaravod::test

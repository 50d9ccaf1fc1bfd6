// Save As into a folder that already holds the project: the question comes
// before the copy, on top and with the focus, and its answer decides;
// afterwards the status line says where the copy went.

#include <QAbstractButton>
#include <QMessageBox>
#include <QProgressDialog>
#include <QStatusBar>
#include <QTest>
#include <filesystem>

#include "gui/CommandIds.h"
#include "gui/QtUserInterface.h"
#include "io/FolderCopy.h"
#include "support/WhenShown.h"
#include "support/WindowFixture.h"

namespace zadaravod::test {
namespace {

namespace fs = std::filesystem;

/// What the test saw while the question was open.
struct QuestionSeen {
    QString title;
    QString text;
    bool modalOnTop = false;     ///< the question is the active modal window
    bool hasFocus = false;       ///< ... and the active window
    bool progressShown = false;  ///< a copy progress dialog was visible meanwhile
};

QuestionSeen answer(QMessageBox* box, QMessageBox::StandardButton button) {
    QuestionSeen seen;
    seen.title = box->windowTitle();
    seen.text = box->text();
    seen.modalOnTop = QApplication::activeModalWidget() == box;
    // The window system activates a new window a moment after showing it.
    seen.hasFocus = QTest::qWaitFor([box] { return QApplication::activeWindow() == box; }, 2000);
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (qobject_cast<QProgressDialog*>(w) && w->isVisible()) seen.progressShown = true;
    }
    box->button(button)->click();
    return seen;
}

class SaveAsIntoAFolderWithTheProject : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        newProject();
        addLibrarySound("a.wav", 8000, 100);
        action(cmd::kSave)->trigger();
        source = fs::path(window->project().projectFilePath).parent_path();
        // An older copy of the project is already in the target folder.
        fs::create_directories(dir / "backup" / "demo.winproj" / "demo.winproj.sound");
        writeFile(dir / "backup" / "demo.winproj" / "demo.winproj", "old project");
        writeFile(dir / "backup" / "demo.winproj" / "only-in-backup.txt", "kept");
        window->show();
        // The real question; the folder browser stays scripted.
        QtUserInterface& real = window->userInterface();
        scripted.onConfirm = [&real, this](const std::string& question) {
            real.setTestAnswers(nullptr);
            const bool yes = real.confirm(question);
            real.setTestAnswers(&scripted);
            return yes;
        };
    }
    bool copy() {
        scripted.folders.push_back((dir / "backup").string());
        return window->editor().saveAsProject(window->userInterface());
    }
    fs::path copied() const { return dir / "backup" / "demo.winproj"; }

    fs::path source;
};

TEST_F(SaveAsIntoAFolderWithTheProject, QuestionIsOnTopAndYesReplacesTheFiles) {
    QuestionSeen seen;
    WhenShown<QMessageBox> question(QStringLiteral("overwriteQuestion"), [&](QMessageBox* box) {
        seen = answer(box, QMessageBox::Yes);
    });
    EXPECT_TRUE(copy());
    ASSERT_TRUE(question.seen());
    EXPECT_EQ(seen.title, QStringLiteral("LARK40 ZadarAvod"));
    EXPECT_TRUE(seen.text.contains(QStringLiteral("demo.winproj"))) << seen.text.toStdString();
    EXPECT_TRUE(seen.modalOnTop);
    EXPECT_TRUE(seen.hasFocus);
    EXPECT_FALSE(seen.progressShown);

    EXPECT_EQ(readFile(copied() / "demo.winproj"),
              readFile(source / "demo.winproj"));  // replaced
    EXPECT_TRUE(fs::exists(copied() / "demo.winproj.sound" / "a.wav"));
    EXPECT_EQ(readFile(copied() / "only-in-backup.txt"), "kept");
    // The user is told where the copy went.
    const QString status = window->statusBar()->currentMessage();
    EXPECT_TRUE(status.contains(QString::fromStdString(copied().string()))) << status.toStdString();
}

TEST_F(SaveAsIntoAFolderWithTheProject, NoCopiesNothing) {
    QuestionSeen seen;
    WhenShown<QMessageBox> question(QStringLiteral("overwriteQuestion"),
                                    [&](QMessageBox* box) { seen = answer(box, QMessageBox::No); });
    EXPECT_FALSE(copy());
    ASSERT_TRUE(question.seen());
    EXPECT_FALSE(seen.progressShown);
    EXPECT_EQ(readFile(copied() / "demo.winproj"), "old project");
    EXPECT_FALSE(fs::exists(copied() / "demo.winproj.sound" / "a.wav"));
    EXPECT_TRUE(window->statusBar()->currentMessage().isEmpty());
}

TEST_F(WindowTest, SaveAsIntoAnEmptyFolderAsksNothingAndSaysWhereTheCopyIs) {
    newProject();
    fs::create_directory(dir / "copies");
    scripted.folders.push_back((dir / "copies").string());
    bool asked = false;
    WhenShown<QMessageBox> question(QStringLiteral("overwriteQuestion"), [&](QMessageBox* box) {
        asked = true;
        box->button(QMessageBox::No)->click();
    });
    action(cmd::kSaveAs)->trigger();
    EXPECT_FALSE(asked);
    const fs::path copy = dir / "copies" / "demo.winproj";
    EXPECT_TRUE(fs::exists(copy / "demo.winproj"));
    EXPECT_EQ(window->statusBar()->currentMessage(),
              QString::fromStdString("The project folder was copied to " + copy.string()));
    // The open project stays the one that was open.
    EXPECT_EQ(window->project().projectFilePath, (dir / "demo.winproj" / "demo.winproj").string());
}

}  // namespace
}  // namespace zadaravod::test

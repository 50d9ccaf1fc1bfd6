// The Qt side of the seam: filters, the folder copy, and the real message
// box and confirmation dialog (closed by the test).

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QTimer>
#include <filesystem>

#include "WindowFixture.h"
#include "app/window/QtUserInterface.h"

namespace zadaravod::test {
namespace {

namespace fs = std::filesystem;

TEST(QtFileFilter, ClassicFiltersBecomeQtNameFilters) {
    EXPECT_EQ(qtFileFilter("Project Files(*.winproj)|*.winproj||").toStdString(),
              "Project Files(*.winproj)");
    EXPECT_EQ(qtFileFilter("Sound Files(*.wav)|*.wav|WAV Files(*.wav)|*.wav||").toStdString(),
              "Sound Files(*.wav);;WAV Files(*.wav)");
    EXPECT_EQ(qtFileFilter("Audio|*.mp3;*.wma||").toStdString(), "Audio (*.mp3 *.wma)");
    // The background music filter as the editor has always shown it still
    // offers its WAV patterns.
    EXPECT_EQ(qtFileFilter("Sound Files(*.wav|*.wav|WAV Files(*.wav)|*.wav||").toStdString(),
              "Sound Files(*.wav (*.wav);;WAV Files(*.wav)");
    EXPECT_TRUE(qtFileFilter("").isEmpty());
}

class FolderCopy : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(dir / "p.winproj" / "p.winproj.sound");
        writeFile(dir / "p.winproj" / "p.winproj", "project");
        writeFile(dir / "p.winproj" / "p.winproj.sound" / "a.wav", "new sound");
        fs::create_directory(dir / "target");
    }
    std::string source() const { return (dir / "p.winproj").string(); }
    std::string target() const { return (dir / "target").string(); }
    TempDir dir;
};

TEST_F(FolderCopy, CopiesTheWholeTreeWithProgress) {
    std::vector<std::pair<int, int>> steps;
    FolderCopyHooks hooks;
    hooks.progress = [&](int done, int total) {
        steps.emplace_back(done, total);
        return true;
    };
    EXPECT_EQ(copyFolderTree(source(), target(), hooks), "");
    EXPECT_EQ(readFile(dir / "target" / "p.winproj" / "p.winproj"), "project");
    EXPECT_EQ(readFile(dir / "target" / "p.winproj" / "p.winproj.sound" / "a.wav"), "new sound");
    ASSERT_FALSE(steps.empty());
    EXPECT_EQ(steps.front(), std::make_pair(0, 2));
    EXPECT_EQ(steps.back(), std::make_pair(2, 2));
}

TEST_F(FolderCopy, AsksBeforeOverwritingAndHonoursTheAnswer) {
    fs::create_directories(dir / "target" / "p.winproj" / "p.winproj.sound");
    writeFile(dir / "target" / "p.winproj" / "p.winproj", "old project");
    writeFile(dir / "target" / "p.winproj" / "p.winproj.sound" / "a.wav", "old sound");
    std::vector<std::string> asked;
    FolderCopyHooks hooks;
    hooks.askOverwrite = [&](const std::string& t) {
        asked.push_back(t);
        return OverwriteAnswer::No;
    };
    EXPECT_EQ(copyFolderTree(source(), target(), hooks), "");
    EXPECT_EQ(asked.size(), 2u);
    EXPECT_EQ(readFile(dir / "target" / "p.winproj" / "p.winproj"), "old project");

    asked.clear();
    hooks.askOverwrite = [&](const std::string& t) {
        asked.push_back(t);
        return OverwriteAnswer::YesToAll;
    };
    EXPECT_EQ(copyFolderTree(source(), target(), hooks), "");
    EXPECT_EQ(asked.size(), 1u);  // once, then all
    EXPECT_EQ(readFile(dir / "target" / "p.winproj" / "p.winproj"), "project");
    EXPECT_EQ(readFile(dir / "target" / "p.winproj" / "p.winproj.sound" / "a.wav"), "new sound");
}

TEST_F(FolderCopy, CancelStopsAndNothingIsHalfWritten) {
    fs::create_directories(dir / "target" / "p.winproj");
    writeFile(dir / "target" / "p.winproj" / "p.winproj", "old project");
    FolderCopyHooks hooks;
    hooks.askOverwrite = [](const std::string&) { return OverwriteAnswer::Cancel; };
    EXPECT_EQ(copyFolderTree(source(), target(), hooks), "stopped");
    EXPECT_EQ(readFile(dir / "target" / "p.winproj" / "p.winproj"), "old project");
    for (const auto& e : fs::recursive_directory_iterator(dir / "target")) {
        EXPECT_EQ(e.path().filename().string().find(".tmp"), std::string::npos) << e.path();
    }
}

TEST_F(FolderCopy, RefusesACopyIntoItselfAndAMissingSource) {
    FolderCopyHooks hooks;
    EXPECT_NE(copyFolderTree(source(), source(), hooks), "");
    EXPECT_NE(copyFolderTree(source(), (dir / "p.winproj" / "p.winproj.sound").string(), hooks), "");
    EXPECT_NE(copyFolderTree((dir / "missing").string(), target(), hooks), "");
    EXPECT_FALSE(fs::exists(dir / "p.winproj" / "p.winproj.sound" / "p.winproj"));
}

TEST(QtUserInterfaceDialogs, MessageBoxCarriesCaptionAndIcon) {
    ensureApplication();
    QtUserInterface ui;
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        box->accept();
    });
    ui.message("Full, cannot insert more!", "LARK40 ZadarAvod", UserInterface::Icon::Warning);
    EXPECT_EQ(title, QStringLiteral("LARK40 ZadarAvod"));
    EXPECT_EQ(text, QStringLiteral("Full, cannot insert more!"));
    EXPECT_EQ(icon, QMessageBox::Warning);
}

TEST(QtUserInterfaceDialogs, ConfirmationClosedWithEscapeIsNoConfirmation) {
    ensureApplication();
    QtUserInterface ui;
    QString title;
    QTimer::singleShot(0, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        title = dialog->windowTitle();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(dialog, &press);
    });
    EXPECT_EQ(ui.confirmDelete(), 2);
    EXPECT_EQ(title, QStringLiteral("Подтвердить"));
}

}  // namespace
}  // namespace zadaravod::test

#include <QFileDialog>

namespace zadaravod::test {
namespace {

TEST(QtUserInterfaceDialogs, SaveDialogGetsTheFilterAndTheDefaultExtension) {
    ensureApplication();
    QtUserInterface ui;
    QStringList filters;
    QString suffix;
    bool saving = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        filters = dialog->nameFilters();
        suffix = dialog->defaultSuffix();
        saving = dialog->acceptMode() == QFileDialog::AcceptSave;
        dialog->reject();
    });
    const auto chosen =
        ui.chooseSaveFile({"Project Files(*.winproj)|*.winproj||", "winproj", {}, {}});
    EXPECT_FALSE(chosen.has_value());  // cancelled
    EXPECT_EQ(filters, QStringList{QStringLiteral("Project Files(*.winproj)")});
    EXPECT_EQ(suffix, QStringLiteral("winproj"));
    EXPECT_TRUE(saving);
}

}  // namespace
}  // namespace zadaravod::test

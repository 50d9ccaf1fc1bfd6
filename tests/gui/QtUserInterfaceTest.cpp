// The Qt side of the seam: filters, the folder copy, and the real message
// box and confirmation dialog (closed by the test).

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QTimer>
#include <filesystem>

#include "gui/QtUserInterface.h"
#include "support/WindowFixture.h"

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

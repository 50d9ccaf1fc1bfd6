// The library picker run from the editor's own window (the program that also
// holds the library view's row texts): it numbers its rows 001..510.

#include <QPushButton>
#include <QTreeWidget>

#include "gui/CommandIds.h"
#include "gui/ListControls.h"
#include "support/WhenShown.h"
#include "support/WindowFixture.h"

namespace zadaravod::test {
namespace {

TEST_F(WindowTest, LibraryPickerNumbersItsRowsFromOneInsideTheEditor) {
    newProject();
    for (int i = 0; i < 510; ++i) {
        CSound s;
        s.kind = 1;
        s.name = "s" + std::to_string(i) + ".wav";
        s.sampleRate = 8000;
        s.bitsPerSample = 16;
        s.durationMs = 10 + i;
        window->project().library.addTail(s);
    }
    window->refillViews();
    ASSERT_EQ(window->libraryView()->item(0, 0)->text(), QStringLiteral("001"));

    QString title;
    QStringList first;
    QStringList last;
    WhenShown<QDialog> picker(QStringLiteral("soundLibraryDlg"), [&](QDialog* dialog) {
        title = dialog->windowTitle();
        auto* table = dialog->findChild<QTreeWidget*>(QStringLiteral("soundTable"));
        ASSERT_NE(table, nullptr);
        ASSERT_EQ(table->topLevelItemCount(), 510);
        for (int c = 0; c < table->columnCount(); ++c) {
            first << table->topLevelItem(0)->text(c);
            last << table->topLevelItem(509)->text(c);
        }
        table->setCurrentItem(table->topLevelItem(1));
        dialog->findChild<QPushButton*>(QStringLiteral("okButton"))->click();
    });
    // Insert track with the real picker; every other request stays scripted.
    window->userInterface().setTestAnswers(nullptr);
    action(cmd::kInsertTrack)->trigger();
    window->userInterface().setTestAnswers(&scripted);

    ASSERT_TRUE(picker.seen());
    EXPECT_EQ(title, QStringLiteral("Звуковая библиотека"));
    EXPECT_EQ(first, (QStringList{"001", "s0.wav", "8000 Hz", "16 Bit", "MONO", "10 ms"}));
    EXPECT_EQ(last.front(), QStringLiteral("510"));
    // The second row was picked: its sound is the new entry.
    ASSERT_EQ(window->project().playlists[0].count(), 1u);
    EXPECT_EQ(window->project().playlists[0].at(0).name, "s1.wav");
    EXPECT_EQ(window->playlistView()->item(0, 2)->text(), QStringLiteral("s1.wav"));
}

}  // namespace
}  // namespace zadaravod::test

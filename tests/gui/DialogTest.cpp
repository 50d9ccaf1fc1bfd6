// The playlist dialogs offscreen: titles, controls, texts and end codes; and
// their rules as plain functions.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <memory>
#include <string>
#include <vector>

#include "gui/AddSilenceDlg.h"
#include "gui/ConfirmDlg.h"
#include "gui/SamplingDlg.h"
#include "gui/SoundLibraryDlg.h"
#include "rules/DialogResults.h"
#include "rules/LibraryRows.h"
#include "rules/SamplingRules.h"
#include "support/QtTestApplication.h"

namespace zadaravod {
namespace {

class DialogTest : public ::testing::Test {
  protected:
    void SetUp() override { test::ensureApplication(); }
};

template <typename T>
T* child(QWidget& parent, const char* name) {
    T* widget = parent.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
}

CSound sound(const std::string& name, int rate, int bits, int stereo, int ms) {
    CSound s;
    s.kind = 1;
    s.name = name;
    s.sampleRate = rate;
    s.bitsPerSample = bits;
    s.stereo = stereo;
    s.durationMs = ms;
    return s;
}

// --- CConfirmDlg ---------------------------------------------------------

TEST_F(DialogTest, ConfirmEndsWithTheButtonIds) {
    {
        CConfirmDlg dlg;
        EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Подтвердить"));
        EXPECT_EQ(child<QLabel>(dlg, "confirmLabel")->text(),
                  QStringLiteral("Подтвердите удаление"));
        QPushButton* ok = child<QPushButton>(dlg, "okButton");
        EXPECT_EQ(ok->text(), QStringLiteral("ОК"));
        EXPECT_TRUE(ok->isDefault());
        dlg.show();
        ok->click();
        EXPECT_EQ(dlg.result(), 1095);
        EXPECT_FALSE(dlg.isVisible());
    }
    {
        CConfirmDlg dlg;
        dlg.show();
        QPushButton* cancel = child<QPushButton>(dlg, "cancelButton");
        EXPECT_EQ(cancel->text(), QStringLiteral("Отмена"));
        cancel->click();
        EXPECT_EQ(dlg.result(), 1096);
    }
    {
        CConfirmDlg dlg;
        dlg.show();
        QTest::keyClick(&dlg, Qt::Key_Escape);
        EXPECT_EQ(dlg.result(), result::kCancel);
        EXPECT_FALSE(dlg.isVisible());
    }
}

// --- CSoundLibraryDlg ----------------------------------------------------

TEST(LibraryRows, CellTextsOfThe1BasedRowNumber) {
    EXPECT_EQ(pickerRowTexts(sound("hello.wav", 22000, 16, 1, 1500), 7),
              (std::array<std::string, 6>{"007", "hello.wav", "22000 Hz", "16 Bit", "STEREO",
                                          "1500 ms"}));
    EXPECT_EQ(pickerRowTexts(sound("m.wav", 8000, 8, 0, 0), 510)[0], "510");
    EXPECT_EQ(pickerRowTexts(sound("m.wav", 8000, 8, 2, 0), 1)[4], "MONO");  // only 1 is stereo
}

TEST_F(DialogTest, LibraryShowsEverySoundInItsColumns) {
    CSoundList library;
    for (int i = 0; i < 510; ++i)
        library.addTail(sound("s" + std::to_string(i) + ".wav", 8000, 16, 0, i));
    library.at(1) = sound("st.wav", 22000, 16, 1, 1500);
    CSoundLibraryDlg dlg(library);
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Звуковая библиотека"));
    QTreeWidget* table = child<QTreeWidget>(dlg, "soundTable");
    ASSERT_EQ(table->columnCount(), 6);
    const char* titles[] = {"No.", "Wav", "Sampling rate", "Bit", "Track", "Time"};
    const int widths[] = {30, 120, 120, 120, 120, 120};
    for (int c = 0; c < 6; ++c) {
        EXPECT_EQ(table->headerItem()->text(c), QString::fromLatin1(titles[c]));
        EXPECT_EQ(table->columnWidth(c), widths[c]);
    }
    ASSERT_EQ(table->topLevelItemCount(), 510);
    EXPECT_EQ(table->topLevelItem(0)->text(0), QStringLiteral("001"));
    EXPECT_EQ(table->topLevelItem(509)->text(0), QStringLiteral("510"));
    const QTreeWidgetItem* row = table->topLevelItem(1);
    EXPECT_EQ(row->text(1), QStringLiteral("st.wav"));
    EXPECT_EQ(row->text(2), QStringLiteral("22000 Hz"));
    EXPECT_EQ(row->text(3), QStringLiteral("16 Bit"));
    EXPECT_EQ(row->text(4), QStringLiteral("STEREO"));
    EXPECT_EQ(row->text(5), QStringLiteral("1500 ms"));
}

TEST_F(DialogTest, LibraryEndsWithTheIndexOr1073) {
    CSoundList library;
    for (const char* n : {"a.wav", "b.wav", "c.wav"}) library.addTail(sound(n, 8000, 16, 0, 100));
    {
        CSoundLibraryDlg dlg(library);
        dlg.show();
        child<QPushButton>(dlg, "okButton")->click();  // nothing selected
        EXPECT_EQ(dlg.result(), 1073);
    }
    {
        CSoundLibraryDlg dlg(library);
        dlg.show();
        dlg.table()->topLevelItem(2)->setSelected(true);
        child<QPushButton>(dlg, "okButton")->click();
        EXPECT_EQ(dlg.result(), 2);
    }
    {
        CSoundLibraryDlg dlg(library);
        dlg.show();
        dlg.table()->topLevelItem(1)->setSelected(true);
        child<QPushButton>(dlg, "cancelButton")->click();
        EXPECT_EQ(dlg.result(), 1073);
    }
    {
        // Enter on a row picks it (and the default button does not decide again).
        CSoundLibraryDlg dlg(library);
        dlg.show();
        QTreeWidget* table = dlg.table();
        table->setFocus();
        table->setCurrentItem(table->topLevelItem(1));
        QTest::keyClick(table, Qt::Key_Return);
        EXPECT_EQ(dlg.result(), 1);
        EXPECT_FALSE(dlg.isVisible());
    }
    {
        CSoundLibraryDlg dlg(library);
        dlg.show();
        QTreeWidget* table = dlg.table();
        const QRect rect = table->visualItemRect(table->topLevelItem(0));
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, rect.center());
        QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, rect.center());
        EXPECT_EQ(dlg.result(), 0);
    }
    {
        CSoundLibraryDlg dlg(library);
        dlg.show();
        QTest::keyClick(&dlg, Qt::Key_Escape);
        EXPECT_EQ(dlg.result(), 1073);
    }
}

// --- CAddSilenceDlg ------------------------------------------------------

struct SilenceRun {
    int result;
    bool visible;
    std::vector<std::string> messages;
};

SilenceRun runSilence(const QString& text, int unit, int weight = 10) {
    CAddSilenceDlg dlg(weight);
    SilenceRun run{-1, false, {}};
    dlg.setMessageSink([&](const std::string& m) { run.messages.push_back(m); });
    dlg.show();
    child<QLineEdit>(dlg, "lengthEdit")->setText(text);
    child<QComboBox>(dlg, "unitCombo")->setCurrentIndex(unit);
    child<QPushButton>(dlg, "okButton")->click();
    run.result = dlg.result();
    run.visible = dlg.isVisible();
    return run;
}

TEST_F(DialogTest, SilenceControls) {
    CAddSilenceDlg dlg(0);
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Добавить тишину"));
    QComboBox* unit = child<QComboBox>(dlg, "unitCombo");
    ASSERT_EQ(unit->count(), 2);
    EXPECT_EQ(unit->itemText(0), QStringLiteral("10 мСек"));
    EXPECT_EQ(unit->itemText(1), QStringLiteral("Сек"));
    EXPECT_EQ(unit->currentIndex(), 0);
    EXPECT_TRUE(child<QPushButton>(dlg, "okButton")->isDefault());
    EXPECT_EQ(child<QLabel>(dlg, "promptLabel")->text(),
              QStringLiteral("Введите продолжительность:"));
}

TEST_F(DialogTest, SilenceEndsWithTheLengthInMilliseconds) {
    EXPECT_EQ(runSilence("25", 0).result, 250);
    EXPECT_EQ(runSilence("3", 1).result, 3000);
    EXPECT_EQ(runSilence("1", 0).result, 10);
    EXPECT_EQ(runSilence("10", 1).result, 10000);
    EXPECT_EQ(runSilence("255", 0).result, 2550);
}

TEST_F(DialogTest, SilenceOutOfRangeStaysOpenWithItsMessage) {
    for (const QString& text :
         {QStringLiteral("0"), QStringLiteral("256"), QStringLiteral("abc")}) {
        const SilenceRun run = runSilence(text, 0);
        EXPECT_TRUE(run.visible) << text.toStdString();
        EXPECT_EQ(run.messages, std::vector<std::string>{"Out of range! (1 - 255)"});
    }
    for (const QString& text : {QStringLiteral("0"), QStringLiteral("11")}) {
        const SilenceRun run = runSilence(text, 1);
        EXPECT_TRUE(run.visible);
        EXPECT_EQ(run.messages, std::vector<std::string>{"Out of range! (1 - 10)"});
    }
    const SilenceRun full = runSilence("5", 0, 256);
    EXPECT_TRUE(full.visible);
    EXPECT_EQ(full.messages, std::vector<std::string>{"Playlist full!"});
}

TEST_F(DialogTest, SilenceCancelEndsWith1071) {
    {
        CAddSilenceDlg dlg(0);
        dlg.show();
        child<QLineEdit>(dlg, "lengthEdit")->setText("25");
        child<QPushButton>(dlg, "cancelButton")->click();
        EXPECT_EQ(dlg.result(), 1071);
    }
    {
        CAddSilenceDlg dlg(0);
        dlg.show();
        QTest::keyClick(&dlg, Qt::Key_Escape);
        EXPECT_EQ(dlg.result(), 1071);
    }
}

// --- CSamplingDlg --------------------------------------------------------

TEST(SamplingRules, APickOfZeroCancels) {
    EXPECT_EQ(pickSamplingLine("8000").endCode, 1087);
    EXPECT_EQ(pickSamplingLine("8000").rate, 8000);
    EXPECT_EQ(pickSamplingLine("").endCode, 1088);
    EXPECT_EQ(pickSamplingLine("").rate, 0);
    EXPECT_EQ(pickSamplingLine("0").endCode, 1088);
    EXPECT_EQ(pickSamplingLine("x").endCode, 1088);
    EXPECT_EQ(pickSamplingLine("99999999999").endCode, 1088);
}

QStringList lines(const CSamplingDlg& dlg) {
    QStringList out;
    for (int i = 0; i < dlg.rateList()->count(); ++i) out << dlg.rateList()->item(i)->text();
    return out;
}

TEST_F(DialogTest, SamplingOffersTheRatesUpToTheLimitAndAnEmptyLine) {
    CSamplingDlg dlg(8000);
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Выберите частоту дескритизации"));
    EXPECT_EQ(lines(dlg), (QStringList{"4000", "6000", "8000", ""}));
    EXPECT_EQ(dlg.chosenRate(), 0);
    QComboBox* combo = child<QComboBox>(dlg, "rateCombo");
    EXPECT_EQ(combo->count(), 4);
    EXPECT_EQ(combo->currentIndex(), 0);
    dlg.show();
    EXPECT_FALSE(combo->isVisible());
    EXPECT_FALSE(child<QPushButton>(dlg, "okButton")->isVisible());
    EXPECT_FALSE(child<QPushButton>(dlg, "cancelButton")->isVisible());

    EXPECT_EQ(lines(CSamplingDlg(5000)), (QStringList{"4000", ""}));
    EXPECT_EQ(lines(CSamplingDlg(3000)), QStringList{""});
    EXPECT_EQ(lines(CSamplingDlg(22000)).size(), 11);
    EXPECT_TRUE(lines(CSamplingDlg(-1)).isEmpty());
}

TEST_F(DialogTest, SamplingDoubleClickPicksALine) {
    {
        CSamplingDlg dlg(22000);
        dlg.show();
        QListWidget* list = dlg.rateList();
        const QRect rect = list->visualItemRect(list->item(1));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, rect.center());
        EXPECT_EQ(dlg.result(), 1087);
        EXPECT_EQ(dlg.chosenRate(), 6000);
    }
    {
        CSamplingDlg dlg(8000);
        dlg.show();
        QListWidget* list = dlg.rateList();
        const QRect rect = list->visualItemRect(list->item(3));  // the empty line
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, rect.center());
        EXPECT_EQ(dlg.result(), 1088);
        EXPECT_EQ(dlg.chosenRate(), 0);
    }
}

TEST_F(DialogTest, SamplingEnterPicksTheSelectedLineAndNeverGivesZero) {
    {
        CSamplingDlg dlg(8000);
        dlg.show();
        QListWidget* list = dlg.rateList();
        list->setFocus();
        list->setCurrentRow(2);
        QTest::keyClick(list, Qt::Key_Return);
        EXPECT_EQ(dlg.result(), 1087);
        EXPECT_EQ(dlg.chosenRate(), 8000);
    }
    {
        CSamplingDlg dlg(8000);
        dlg.show();
        dlg.rateList()->setFocus();
        QTest::keyClick(dlg.rateList(), Qt::Key_Enter);  // nothing selected
        EXPECT_EQ(dlg.result(), 1088);
        EXPECT_EQ(dlg.chosenRate(), 0);
    }
    {
        CSamplingDlg dlg(8000);
        dlg.show();
        dlg.rateList()->setCurrentRow(0);
        QTest::keyClick(&dlg, Qt::Key_Escape);
        EXPECT_EQ(dlg.result(), 1088);
        EXPECT_EQ(dlg.chosenRate(), 0);
    }
}

}  // namespace
}  // namespace zadaravod

// The three settings dialogs offscreen: controls, live updates, result codes.
#include <gtest/gtest.h>

#include "support/QtTestApplication.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

#include "gui/EquationSetupDlg.h"
#include "gui/KeySetupDlg.h"
#include "gui/OptionsDlg.h"
#include "model/Settings.h"
#include "support/ScriptedUserInterface.h"

namespace zadaravod {
namespace {

class Dialogs : public ::testing::Test {
  protected:
    void SetUp() override { test::ensureApplication(); }
    ScriptedUserInterface ui;
};

template <typename T>
T* as(QWidget* w) {
    auto* t = qobject_cast<T*>(w);
    EXPECT_NE(t, nullptr);
    return t;
}

/// Clicks where a button reacts: a radio button or check box only takes
/// clicks on its indicator and text, so those are clicked near their left edge.
void click(QWidget* w) {
    ASSERT_NE(w, nullptr);
    if (qobject_cast<QRadioButton*>(w) || qobject_cast<QCheckBox*>(w)) {
        QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(6, w->height() / 2));
    } else {
        QTest::mouseClick(w, Qt::LeftButton);
    }
}

TEST_F(Dialogs, OptionsTemplate) {
    COptionsDlg dlg;
    dlg.show();
    EXPECT_EQ(dlg.windowTitle(), QString::fromUtf8("Настройка кодека"));
    for (int id : {1014, 1015, 1017, 1018, 1084, 1010, 1011, 1012, 1013, 1020}) {
        ASSERT_NE(dlg.control(id), nullptr) << id;
        EXPECT_TRUE(dlg.control(id)->isVisible()) << id;
    }
    for (int id : {1016, 1019, 1009, 1092}) {
        ASSERT_NE(dlg.control(id), nullptr) << id;
        EXPECT_FALSE(dlg.control(id)->isVisible()) << id;
    }
    EXPECT_EQ(as<QRadioButton>(dlg.control(1018))->text(), QString::fromUtf8("3 x 8 Матрица"));
    EXPECT_EQ(as<QPushButton>(dlg.control(1074))->text(), QString::fromUtf8("ОК"));
    EXPECT_TRUE(as<QPushButton>(dlg.control(1074))->isDefault());
}

TEST_F(Dialogs, OptionsParallelThenOneLineClearsMusic) {
    COptionsDlg dlg;
    dlg.setUserInterface(&ui);
    OptionsValues v;
    v.controlMode = 0;
    v.backgroundMusic = 1;
    dlg.setValues(v);
    dlg.show();
    auto* music = as<QCheckBox>(dlg.control(1092));
    EXPECT_TRUE(music->isChecked());
    EXPECT_TRUE(music->isEnabled());
    click(dlg.control(1017));
    EXPECT_FALSE(music->isChecked());
    EXPECT_FALSE(music->isEnabled());
    click(dlg.control(1014));
    EXPECT_TRUE(music->isEnabled());
    EXPECT_FALSE(music->isChecked());
    EXPECT_FALSE(as<QRadioButton>(dlg.control(1017))->isChecked());
    click(dlg.control(1074));
    EXPECT_EQ(dlg.result(), 1074);
    EXPECT_EQ(dlg.controlMode(), 0);
    EXPECT_EQ(dlg.backgroundMusic(), 0);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(Dialogs, OptionsArrowKeysMoveTheModeAndFollowTheMusicRule) {
    COptionsDlg dlg;
    OptionsValues v;
    v.controlMode = 1;
    v.backgroundMusic = 1;
    dlg.setValues(v);
    dlg.show();
    dlg.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dlg));
    QWidget* threeLine = dlg.control(1015);
    threeLine->setFocus();
    QTest::keyClick(threeLine, Qt::Key_Down);  // past the hidden "MP3 Mode"
    EXPECT_TRUE(as<QRadioButton>(dlg.control(1017))->isChecked());
    EXPECT_FALSE(as<QRadioButton>(dlg.control(1015))->isChecked());
    EXPECT_FALSE(as<QRadioButton>(dlg.control(1016))->isChecked());
    EXPECT_FALSE(dlg.control(1092)->isEnabled());
    click(dlg.control(1074));
    EXPECT_EQ(dlg.controlMode(), 4);
    EXPECT_EQ(dlg.backgroundMusic(), 0);
}

TEST_F(Dialogs, OptionsUnknownModeShowsTheMessageAndKeepsIt) {
    COptionsDlg dlg;
    dlg.setUserInterface(&ui);
    dlg.setControlMode(9);
    dlg.show();
    for (int id : {1014, 1015, 1016, 1017, 1018, 1019, 1084}) {
        EXPECT_FALSE(as<QRadioButton>(dlg.control(id))->isChecked()) << id;
    }
    click(dlg.control(1074));
    EXPECT_EQ(dlg.result(), 1074);
    EXPECT_EQ(dlg.controlMode(), 9);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Pls select a key mode");
    EXPECT_EQ(ui.messages[0].caption, kAppTitle);
}

TEST_F(Dialogs, OptionsButtonsStoreTheirCodes) {
    COptionsDlg dlg;
    OptionsValues v;
    v.controlMode = 2;  // hidden "MP3 Mode"
    v.audioOutput = 0;
    v.busyLevel = 0;
    dlg.setValues(v);
    dlg.show();
    EXPECT_TRUE(as<QRadioButton>(dlg.control(1016))->isChecked());
    click(dlg.control(1010));  // "ЦАП"
    click(dlg.control(1012));  // "Лог. 0"
    click(dlg.control(1020));
    EXPECT_FALSE(as<QRadioButton>(dlg.control(1011))->isChecked());
    click(dlg.control(1074));
    EXPECT_EQ(dlg.controlMode(), 2);
    EXPECT_EQ(dlg.audioOutput(), 1);
    EXPECT_EQ(dlg.busyLevel(), 1);
    EXPECT_EQ(dlg.pullUp(), 1);
}

TEST_F(Dialogs, OptionsCancelAndCloseBoxCodesKeepOpeningValues) {
    for (const bool closeBox : {false, true}) {
        COptionsDlg dlg;
        dlg.setControlMode(0);
        dlg.show();
        click(dlg.control(1084));
        if (closeBox) {
            dlg.close();
        } else {
            click(dlg.control(1075));
        }
        EXPECT_EQ(dlg.result(), closeBox ? 2 : 1075);
        EXPECT_EQ(dlg.controlMode(), 0);  // the OK handler never ran
    }
}

TEST_F(Dialogs, OptionsOffersTheKeyFunctionDialogWithTheCheckedMode) {
    COptionsDlg dlg;
    dlg.setControlMode(0);
    dlg.show();
    QSignalSpy spy(&dlg, &COptionsDlg::keySetupRequested);
    click(dlg.control(1017));
    click(dlg.keySetupButton());
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).toInt(), 4);
    EXPECT_TRUE(dlg.isVisible());  // the options dialog stays open
}

TEST_F(Dialogs, KeySetupMatrixShowsEdgeRetriggerAndKeepsCodes) {
    CKeySetupDlg dlg;
    KeyTable codes;
    for (int i = 0; i < kKeyCount; ++i) codes[static_cast<std::size_t>(i)] = i % 15;
    dlg.setKeyFunctions(codes);
    dlg.setControlMode(3);
    dlg.show();
    EXPECT_EQ(dlg.windowTitle(), QString::fromUtf8("Настройка ключевого режима"));
    for (int key = 1; key <= kKeyCount; ++key) {
        QComboBox* list = dlg.keyList(key);
        EXPECT_FALSE(list->isEnabled());
        EXPECT_EQ(list->currentText(), "Edge retrigger");
        EXPECT_EQ(list->count(), 15);
    }
    click(dlg.control(1080));
    EXPECT_EQ(dlg.result(), 1080);
    EXPECT_EQ(dlg.keyFunctions(), codes);
}

TEST_F(Dialogs, KeySetupParallelAndOneLineEnabling) {
    CKeySetupDlg parallel;
    parallel.setControlMode(4);
    parallel.show();
    EXPECT_TRUE(parallel.keyList(1)->isEnabled());
    EXPECT_FALSE(parallel.keyList(2)->isEnabled());
    EXPECT_EQ(parallel.control(1003), parallel.keyList(1));

    CKeySetupDlg oneLine;
    oneLine.setControlMode(0);
    oneLine.show();
    EXPECT_FALSE(oneLine.keyList(4)->isEnabled());
    for (int key = 5; key <= 10; ++key) EXPECT_TRUE(oneLine.keyList(key)->isEnabled());
    EXPECT_FALSE(oneLine.keyList(11)->isEnabled());
}

TEST_F(Dialogs, KeySetupCloseBoxKeepsAPickAndCancelCodeDiffers) {
    CKeySetupDlg dlg;
    KeyTable codes;
    codes.fill(1);
    codes[0] = 20;
    dlg.setKeyFunctions(codes);
    dlg.setControlMode(9);  // every list enabled
    dlg.show();
    EXPECT_EQ(dlg.keyList(1)->currentIndex(), -1);  // code 20: no selection
    QComboBox* key24 = dlg.control(1043) == dlg.keyList(24) ? dlg.keyList(24) : nullptr;
    ASSERT_NE(key24, nullptr);
    key24->setFocus();
    QTest::keyClick(key24, Qt::Key_End);  // the last entry, "Stop"
    EXPECT_EQ(key24->currentText(), "Stop");
    dlg.close();
    EXPECT_EQ(dlg.result(), 2);
    EXPECT_EQ(dlg.keyFunctions()[23], 14);
    EXPECT_EQ(dlg.keyFunctions()[0], 20);

    CKeySetupDlg other;
    other.show();
    click(other.control(1081));
    EXPECT_EQ(other.result(), 1081);
}

/// The label whose buddy is `control`, or nullptr.
QLabel* labelOf(const QWidget& dialog, const QWidget* control) {
    for (QLabel* label : dialog.findChildren<QLabel*>()) {
        if (label->buddy() == control) return label;
    }
    return nullptr;
}

/// Both 24-key dialogs: each key's label beside its control, three columns
/// of eight in key order, the controls named by their template ids, and the
/// two buttons with their captions, the default one first.
void expectKeyGrid(KeyGridDialog& dlg, int (*controlId)(int), std::string (*label)(int),
                   const char* okCaption, int okId, int cancelId) {
    dlg.resize(900, 500);
    dlg.show();
    for (int key = 1; key <= kKeyCount; ++key) {
        QWidget* control = dlg.keyControl(key);
        ASSERT_NE(control, nullptr) << key;
        EXPECT_EQ(dlg.control(controlId(key)), control) << key;
        EXPECT_EQ(control->objectName(), QStringLiteral("control%1").arg(controlId(key)));
        QLabel* text = labelOf(dlg, control);
        ASSERT_NE(text, nullptr) << key;
        EXPECT_EQ(text->text(), QString::fromStdString(label(key)));
        EXPECT_LT(text->geometry().right(), control->geometry().left()) << key;
        EXPECT_EQ(text->geometry().center().y(), control->geometry().center().y()) << key;
        if (key % 8 != 1) {  // below the key before it, in the same column
            const QRect above = dlg.keyControl(key - 1)->geometry();
            EXPECT_EQ(control->geometry().left(), above.left()) << key;
            EXPECT_GT(control->geometry().top(), above.bottom()) << key;
        } else if (key > 1) {  // a new column, level with the first key
            EXPECT_GT(control->geometry().left(), dlg.keyControl(key - 8)->geometry().right());
            EXPECT_EQ(control->geometry().top(), dlg.keyControl(1)->geometry().top());
        }
    }
    auto* ok = as<QPushButton>(dlg.control(okId));
    auto* cancel = as<QPushButton>(dlg.control(cancelId));
    ASSERT_TRUE(ok && cancel);
    EXPECT_EQ(ok->text(), QString::fromUtf8(okCaption));
    EXPECT_TRUE(ok->isDefault());
    EXPECT_EQ(cancel->text(), QString::fromUtf8("Отмена"));
    EXPECT_LT(ok->geometry().right(), cancel->geometry().left());
    EXPECT_GT(ok->geometry().top(), dlg.keyControl(8)->geometry().bottom());
    EXPECT_EQ(dlg.keyControl(0), nullptr);
    EXPECT_EQ(dlg.keyControl(25), nullptr);
    EXPECT_EQ(dlg.control(1), nullptr);
}

TEST_F(Dialogs, BothKeyGridsHoldTheirTemplates) {
    CKeySetupDlg keys;
    expectKeyGrid(keys, keySetupListId, keySetupLabel, "OK", 1080, 1081);
    EXPECT_EQ(keys.objectName(), QStringLiteral("keySetupDlg"));
    EXPECT_TRUE(keys.findChildren<QLineEdit*>().isEmpty());

    CEquationSetupDlg lists;
    expectKeyGrid(lists, equationEditId, equationKeyLabel, "ОК", 1082, 1083);
    EXPECT_EQ(lists.objectName(), QStringLiteral("equationSetupDlg"));
    EXPECT_TRUE(lists.findChildren<QComboBox*>().isEmpty());
    // Only the key-to-playlist dialog names the range, left of its buttons.
    QLabel* range = nullptr;
    for (QLabel* l : lists.findChildren<QLabel*>()) {
        if (l->text() == QString::fromUtf8("Диапазон : 0 - 219")) range = l;
    }
    ASSERT_NE(range, nullptr);
    EXPECT_LT(range->geometry().right(), lists.control(1082)->geometry().left());
    EXPECT_EQ(keys.findChildren<QLabel*>().size(), kKeyCount);
}

TEST_F(Dialogs, EquationTyping220ShowsErrorAndResets) {
    CEquationSetupDlg dlg;
    dlg.setUserInterface(&ui);
    dlg.setControlMode(0);
    dlg.show();
    EXPECT_EQ(dlg.windowTitle(), QString::fromUtf8("Настройки выравнивания"));
    QLineEdit* key5 = dlg.keyEdit(5);
    EXPECT_EQ(key5->text(), "4");
    key5->clear();
    EXPECT_EQ(dlg.listOfKey()[4], 0);
    EXPECT_TRUE(ui.messages.empty());  // clearing stores 0 silently
    QTest::keyClicks(key5, "22");
    EXPECT_EQ(dlg.listOfKey()[4], 22);
    QTest::keyClicks(key5, "0");
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Error");
    EXPECT_EQ(ui.messages[0].caption, "LARK40 ZadarAvod ");
    EXPECT_EQ(key5->text(), "0");
    EXPECT_EQ(dlg.listOfKey()[4], 0);
    key5->clear();
    QTest::keyClicks(key5, "219");
    EXPECT_EQ(dlg.listOfKey()[4], 219);
    EXPECT_EQ(ui.messages.size(), 1u);
    QTest::keyClicks(key5, "x");  // digits only
    EXPECT_EQ(key5->text(), "219");
}

TEST_F(Dialogs, EquationEnablingAndCloseBox) {
    CEquationSetupDlg threeLine;
    threeLine.setControlMode(1);
    threeLine.show();
    EXPECT_TRUE(threeLine.keyEdit(1)->isEnabled());
    EXPECT_FALSE(threeLine.keyEdit(2)->isEnabled());
    EXPECT_TRUE(threeLine.keyEdit(5)->isEnabled());
    EXPECT_TRUE(threeLine.keyEdit(10)->isEnabled());
    EXPECT_FALSE(threeLine.keyEdit(11)->isEnabled());
    EXPECT_EQ(threeLine.control(1068), threeLine.keyEdit(1));
    EXPECT_EQ(threeLine.control(1066), threeLine.keyEdit(24));

    CEquationSetupDlg dlg;
    dlg.setControlMode(3);
    dlg.show();
    for (int key = 1; key <= kKeyCount; ++key) EXPECT_TRUE(dlg.keyEdit(key)->isEnabled());
    dlg.keyEdit(2)->clear();
    QTest::keyClicks(dlg.keyEdit(2), "7");
    dlg.close();
    EXPECT_EQ(dlg.result(), 2);
    EXPECT_EQ(dlg.listOfKey()[1], 7);

    CEquationSetupDlg cancelled;
    cancelled.show();
    click(cancelled.control(1083));
    EXPECT_EQ(cancelled.result(), 1083);
}

}  // namespace
}  // namespace zadaravod

// The speech and sound-processing dialogs offscreen: their controls, the file
// name that follows the text, what OK allows, what "Прослушать" plays, and
// the values they give back.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include <algorithm>

#include "gui/ProcessSoundDialog.h"
#include "gui/SpeakDialog.h"
#include "model/SamplingRates.h"
#include "support/FakePlayer.h"
#include "support/QtTestApplication.h"

namespace zadaravod {
namespace {

template <typename T>
T* child(QWidget& parent, const char* name) {
    T* widget = parent.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
}

class SpeakDialogTest : public ::testing::Test {
  protected:
    void SetUp() override { test::ensureApplication(); }

    void type(QWidget* w, const QString& text) { QTest::keyClicks(w, text); }

    test::FakePlayer player;
};

TEST_F(SpeakDialogTest, OffersTheVoicesAndRatesWithRussianAnd8000First) {
    SpeakDialog dlg(player);
    EXPECT_EQ(dlg.windowTitle(), QString::fromUtf8("Синтез речи"));
    auto* voices = child<QComboBox>(dlg, "voiceCombo");
    ASSERT_GT(voices->count(), 2);
    EXPECT_EQ(voices->itemData(0).toString(), QStringLiteral("zle/ru"));
    EXPECT_GE(voices->findData(QStringLiteral("gmw/en")), 1);
    EXPECT_EQ(child<QPushButton>(dlg, "listenButton")->text(), QString::fromUtf8("Прослушать"));

    auto* rates = child<QComboBox>(dlg, "rateCombo");
    ASSERT_EQ(rates->count(), static_cast<int>(kSupportedRates.size()));
    EXPECT_EQ(rates->currentData().toInt(), 8000);
    dlg.setRates(libraryImportRates());
    EXPECT_EQ(rates->count(), static_cast<int>(kSupportedRates.size()) - 1);
    EXPECT_EQ(rates->itemData(0).toInt(), 6000);
    EXPECT_EQ(rates->currentData().toInt(), 8000);
    dlg.setRates({16000, 22000});
    EXPECT_EQ(rates->currentData().toInt(), 16000);

    EXPECT_EQ(child<QSpinBox>(dlg, "speedSpin")->value(), kDefaultSpeechWordsPerMinute);
    EXPECT_EQ(child<QSpinBox>(dlg, "pitchSpin")->value(), kDefaultSpeechPitch);
}

TEST_F(SpeakDialogTest, TheNameFollowsTheTextUntilTheUserEditsIt) {
    SpeakDialog dlg(player);
    dlg.setTakenNames({"Дверь открыта.wav", "x.wav"});
    auto* text = child<QPlainTextEdit>(dlg, "textEdit");
    auto* name = child<QLineEdit>(dlg, "nameEdit");
    auto* ok = child<QPushButton>(dlg, "okButton");
    dlg.show();

    EXPECT_FALSE(ok->isEnabled()) << "no text yet";
    EXPECT_FALSE(child<QLabel>(dlg, "problemLabel")->text().isEmpty());
    text->insertPlainText(QString::fromUtf8("Дверь: открыта"));  // keyClicks takes ASCII only
    EXPECT_EQ(name->text(), QString::fromUtf8("Дверь открыта-2.wav")) << "safe and not taken";
    EXPECT_TRUE(ok->isEnabled());

    name->selectAll();
    type(name, QStringLiteral("X"));
    EXPECT_EQ(dlg.fileName(), "X.wav");
    EXPECT_FALSE(ok->isEnabled()) << "x.wav is taken, whatever the letter case";
    EXPECT_TRUE(child<QLabel>(dlg, "problemLabel")->text().contains(QStringLiteral("X.wav")));
    type(name, QStringLiteral("/y"));
    EXPECT_FALSE(ok->isEnabled()) << "a path is no file name";
    name->selectAll();
    type(name, QStringLiteral("door"));
    EXPECT_TRUE(ok->isEnabled());
    type(text, QStringLiteral(" again"));
    EXPECT_EQ(name->text(), QStringLiteral("door")) << "the user's name stays";

    text->clear();
    EXPECT_FALSE(ok->isEnabled());
    QTest::mouseClick(ok, Qt::LeftButton);
    EXPECT_TRUE(dlg.isVisible()) << "a disabled OK does not close";
}

TEST_F(SpeakDialogTest, GivesBackTheRequestAndTheName) {
    SpeakDialog dlg(player);
    dlg.show();
    type(child<QPlainTextEdit>(dlg, "textEdit"), QStringLiteral("battery low"));
    auto* voices = child<QComboBox>(dlg, "voiceCombo");
    voices->setCurrentIndex(voices->findData(QStringLiteral("gmw/en")));
    child<QSpinBox>(dlg, "speedSpin")->setValue(220);
    child<QSpinBox>(dlg, "pitchSpin")->setValue(30);
    auto* rates = child<QComboBox>(dlg, "rateCombo");
    rates->setCurrentIndex(rates->findData(12000));
    QTest::mouseClick(child<QPushButton>(dlg, "okButton"), Qt::LeftButton);

    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    const SpeechRequest r = dlg.request();
    EXPECT_EQ(r.text, "battery low");
    EXPECT_EQ(r.voice, "gmw/en");
    EXPECT_EQ(r.wordsPerMinute, 220);
    EXPECT_EQ(r.pitch, 30);
    EXPECT_EQ(r.sampleRate, 12000);
    EXPECT_EQ(dlg.fileName(), "battery low.wav");
    EXPECT_TRUE(player.calls().empty()) << "nothing was played";
}

TEST_F(SpeakDialogTest, ListenPlaysTheSpeechAndClosingStopsIt) {
    SpeakDialog dlg(player);
    dlg.show();
    auto* listen = child<QPushButton>(dlg, "listenButton");
    EXPECT_FALSE(listen->isEnabled()) << "nothing to say yet";
    type(child<QPlainTextEdit>(dlg, "textEdit"), QStringLiteral("yes"));
    ASSERT_TRUE(listen->isEnabled());
    QTest::mouseClick(listen, Qt::LeftButton);

    const std::vector<std::string> calls = player.calls();
    ASSERT_EQ(calls.size(), 4U) << ::testing::PrintToString(calls);
    EXPECT_EQ(calls[0], "stop all");
    EXPECT_EQ(calls[1].rfind("samples ", 0), 0U);
    EXPECT_NE(calls[1].find(" at 8000"), std::string::npos) << calls[1];
    EXPECT_EQ(calls[2], "play 1 paused");
    EXPECT_EQ(calls[3], "unpause all");
    ASSERT_NE(player.lastSamples(), nullptr);
    EXPECT_GT(player.lastSamples()->durationMs(), 100);
    EXPECT_TRUE(child<QLabel>(dlg, "statusLabel")->text().contains(QString::fromUtf8("мс")));

    QTest::mouseClick(child<QPushButton>(dlg, "cancelButton"), Qt::LeftButton);
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
    EXPECT_EQ(player.calls().back(), "stop all");
}

TEST_F(SpeakDialogTest, ListenTellsWhyNothingPlays) {
    SpeakDialog dlg(player);
    dlg.show();
    type(child<QPlainTextEdit>(dlg, "textEdit"), QStringLiteral("yes"));
    player.setAvailable(false, "No sound card.");
    QTest::mouseClick(child<QPushButton>(dlg, "listenButton"), Qt::LeftButton);
    EXPECT_EQ(child<QLabel>(dlg, "statusLabel")->text(), QStringLiteral("No sound card."));

    // A treatment that refuses the speech is told, not played.
    SoundTreatment t;
    t.trim = true;
    t.trimOptions.thresholdDbfs = 0.0;
    dlg.setTreatment(t);
    player.setAvailable(true);
    QTest::mouseClick(child<QPushButton>(dlg, "listenButton"), Qt::LeftButton);
    EXPECT_TRUE(child<QLabel>(dlg, "statusLabel")->text().contains(QStringLiteral("silent")))
        << child<QLabel>(dlg, "statusLabel")->text().toStdString();
    const std::vector<std::string> calls = player.calls();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "unpause all"), 0);
}

// --- ProcessSoundDialog --------------------------------------------------------------

class ProcessSoundDialogTest : public ::testing::Test {
  protected:
    void SetUp() override { test::ensureApplication(); }
};

/// Clicks a check box on its indicator.
void check(QCheckBox* box) {
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
}

TEST_F(ProcessSoundDialogTest, OkNeedsOneOfTheTwoAndEachSettingFollowsItsBox) {
    ProcessSoundDialog dlg;
    dlg.show();
    EXPECT_EQ(dlg.windowTitle(), QString::fromUtf8("Обработка звука"));
    auto* trim = child<QCheckBox>(dlg, "trimCheck");
    auto* normalize = child<QCheckBox>(dlg, "normalizeCheck");
    auto* threshold = child<QDoubleSpinBox>(dlg, "thresholdSpin");
    auto* target = child<QDoubleSpinBox>(dlg, "targetSpin");
    auto* ok = child<QPushButton>(dlg, "okButton");
    EXPECT_EQ(trim->text(), QString::fromUtf8("Обрезать тишину"));
    EXPECT_EQ(normalize->text(), QString::fromUtf8("Выровнять громкость"));

    EXPECT_FALSE(ok->isEnabled());
    EXPECT_FALSE(threshold->isEnabled());
    EXPECT_FALSE(target->isEnabled());
    check(trim);
    EXPECT_TRUE(ok->isEnabled());
    EXPECT_TRUE(threshold->isEnabled());
    check(normalize);
    check(trim);
    EXPECT_TRUE(ok->isEnabled());
    EXPECT_FALSE(threshold->isEnabled());
    EXPECT_TRUE(target->isEnabled());
    check(normalize);
    EXPECT_FALSE(ok->isEnabled());
    QTest::mouseClick(ok, Qt::LeftButton);
    EXPECT_TRUE(dlg.isVisible());

    check(normalize);
    target->setValue(-20);
    QTest::mouseClick(ok, Qt::LeftButton);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    const SoundTreatment t = dlg.treatment();
    EXPECT_FALSE(t.trim);
    EXPECT_TRUE(t.normalize);
    EXPECT_EQ(t.loudnessOptions.targetLufs, -20.0);
}

TEST_F(ProcessSoundDialogTest, StartsFromTheGivenChoiceAndKeepsWhatItDoesNotShow) {
    SoundTreatment given;
    given.trim = true;
    given.trimOptions.thresholdDbfs = -50;
    given.trimOptions.fadeMs = 12;
    given.loudnessOptions.targetLufs = -23;
    given.loudnessOptions.truePeakCeilingDbtp = -2;
    ProcessSoundDialog dlg;
    dlg.setTreatment(given);
    dlg.setSoundName(QStringLiteral("door.wav"));
    EXPECT_TRUE(child<QCheckBox>(dlg, "trimCheck")->isChecked());
    EXPECT_EQ(child<QDoubleSpinBox>(dlg, "thresholdSpin")->value(), -50.0);
    EXPECT_EQ(child<QDoubleSpinBox>(dlg, "targetSpin")->value(), -23.0);
    EXPECT_TRUE(child<QLabel>(dlg, "soundLabel")->text().contains(QStringLiteral("door.wav")));
    const SoundTreatment same = dlg.treatment();
    EXPECT_TRUE(same.trim);
    EXPECT_FALSE(same.normalize);
    EXPECT_EQ(same.trimOptions.thresholdDbfs, -50.0);
    EXPECT_EQ(same.loudnessOptions.targetLufs, -23.0);

    child<QDoubleSpinBox>(dlg, "thresholdSpin")->setValue(-30);
    const SoundTreatment changed = dlg.treatment();
    EXPECT_EQ(changed.trimOptions.thresholdDbfs, -30.0);
    EXPECT_EQ(changed.trimOptions.fadeMs, 12);
    EXPECT_EQ(changed.loudnessOptions.truePeakCeilingDbtp, -2.0);
}

}  // namespace
}  // namespace zadaravod

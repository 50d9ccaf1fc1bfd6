// The options, key function and key-to-playlist rules per control mode.
#include <gtest/gtest.h>

#include "rules/EquationRules.h"
#include "rules/KeySetupRules.h"
#include "rules/OptionsRules.h"

namespace zadaravod {
namespace {

OptionsValues values(int mode, int music = 0) {
    OptionsValues v;
    v.controlMode = mode;
    v.backgroundMusic = music;
    return v;
}

TEST(OptionsRules, HiddenMp3ModeIsCheckedAndKeptThroughOk) {
    const OptionsControls c = optionsInitialControls(values(2));
    EXPECT_EQ(c.checkedMode, 2);
    EXPECT_FALSE(optionsModeButtonVisible(2));
    const OptionsOkOutcome out = optionsOk(c, values(2));
    EXPECT_EQ(out.values.controlMode, 2);
    EXPECT_TRUE(out.messages.empty());
}

TEST(OptionsRules, ClickOnAnotherModeClearsMusicForGood) {
    OptionsControls c = optionsInitialControls(values(0, 1));
    EXPECT_TRUE(c.musicEnabled);
    EXPECT_TRUE(c.musicChecked);
    optionsModeClicked(c, 4);  // "Параллельный порт"
    EXPECT_FALSE(c.musicEnabled);
    EXPECT_FALSE(c.musicChecked);
    optionsModeClicked(c, 0);  // back to "Однопроводный": enabled, mark not restored
    EXPECT_TRUE(c.musicEnabled);
    EXPECT_FALSE(c.musicChecked);
    const OptionsOkOutcome out = optionsOk(c, values(0, 1));
    EXPECT_EQ(out.values.controlMode, 0);
    EXPECT_EQ(out.values.backgroundMusic, 0);
}

TEST(OptionsRules, MusicSurvivesOnlyInModesZeroAndOne) {
    for (int mode = 0; mode <= 6; ++mode) {
        const OptionsOkOutcome out =
            optionsOk(optionsInitialControls(values(mode, 1)), values(mode, 1));
        EXPECT_EQ(out.values.backgroundMusic, mode <= 1 ? 1 : 0) << "mode " << mode;
    }
}

TEST(OptionsRules, UnknownModeChecksNothingAndKeepsItsValueWithAMessage) {
    OptionsControls templateState;  // 1092 enabled in the template
    const OptionsControls c = optionsInitialControls(values(9, 1), templateState);
    EXPECT_EQ(c.checkedMode, -1);
    EXPECT_TRUE(c.musicEnabled);  // left as the template has it
    EXPECT_TRUE(c.musicChecked);
    const OptionsOkOutcome out = optionsOk(c, values(9, 1));
    EXPECT_EQ(out.values.controlMode, 9);
    ASSERT_EQ(out.messages.size(), 1u);
    EXPECT_EQ(out.messages[0], "Pls select a key mode");
}

TEST(OptionsRules, ButtonCodesOfOutputAndBusy) {
    OptionsValues v;
    v.audioOutput = 0;  // PWM
    v.busyLevel = 0;    // "Лог. 1"
    OptionsControls c = optionsInitialControls(v);
    EXPECT_EQ(c.audioChecked, 0);
    EXPECT_EQ(c.busyChecked, 0);
    c.audioChecked = 1;  // "ЦАП"
    c.busyChecked = 1;   // "Лог. 0"
    const OptionsOkOutcome out = optionsOk(c, v);
    EXPECT_EQ(out.values.audioOutput, 1);
    EXPECT_EQ(out.values.busyLevel, 1);
}

TEST(OptionsRules, MissingRadioChoicesKeepOldValuesAndReportEach) {
    OptionsControls c;
    c.checkedMode = -1;
    c.audioChecked = -1;
    c.busyChecked = -1;
    c.externalChecked = true;
    c.pullUpChecked = true;
    OptionsValues opening = values(3);
    opening.audioOutput = 0;
    opening.busyLevel = 0;
    const OptionsOkOutcome out = optionsOk(c, opening);
    EXPECT_EQ(out.values.controlMode, 3);
    EXPECT_EQ(out.values.audioOutput, 0);
    EXPECT_EQ(out.values.busyLevel, 0);
    EXPECT_EQ(out.values.externalMode, 1);
    EXPECT_EQ(out.values.pullUp, 1);
    EXPECT_EQ(out.messages,
              (std::vector<std::string>{"Pls select a key mode", "Pls select a sound mode",
                                        "Pls select a busy mode"}));
}

TEST(OptionsRules, ModeButtonIdsRoundTrip) {
    EXPECT_EQ(optionsModeButton(3), 1018);  // "3 x 8 Матрица"
    EXPECT_EQ(optionsModeButton(4), 1017);  // "Параллельный порт"
    EXPECT_EQ(optionsModeButton(6), 1084);
    for (int mode = 0; mode <= 6; ++mode) {
        EXPECT_EQ(optionsModeOfButton(optionsModeButton(mode)), mode);
    }
    EXPECT_EQ(optionsModeOfButton(1020), -1);
    EXPECT_EQ(optionsModeButton(7), 0);
}

std::vector<int> enabledKeys(bool (*rule)(int, int), int mode) {
    std::vector<int> keys;
    for (int key = 1; key <= kKeyCount; ++key) {
        if (rule(mode, key)) keys.push_back(key);
    }
    return keys;
}

TEST(KeySetupRules, EnabledListsPerMode) {
    EXPECT_EQ(enabledKeys(keySetupKeyEnabled, 0), (std::vector<int>{1, 2, 3, 5, 6, 7, 8, 9, 10}));
    EXPECT_TRUE(enabledKeys(keySetupKeyEnabled, 1).empty());
    EXPECT_TRUE(enabledKeys(keySetupKeyEnabled, 2).empty());
    EXPECT_TRUE(enabledKeys(keySetupKeyEnabled, 3).empty());
    EXPECT_EQ(enabledKeys(keySetupKeyEnabled, 4), (std::vector<int>{1}));
    EXPECT_EQ(enabledKeys(keySetupKeyEnabled, 5).size(), 10u);
    EXPECT_EQ(enabledKeys(keySetupKeyEnabled, 6).back(), 10);
    EXPECT_EQ(enabledKeys(keySetupKeyEnabled, 9).size(), 24u);
}

TEST(KeySetupRules, ForcedEntriesOnlyChangeWhatIsShown) {
    KeyTable codes;
    codes.fill(5);
    codes[23] = 20;  // out of range, from a project file
    const auto matrix = keySetupInitialLists(3, codes);
    for (const KeyListState& s : matrix) {
        EXPECT_EQ(s.shownIndex, 1);  // "Edge retrigger"
        EXPECT_FALSE(s.enabled);
    }
    const auto threeLine = keySetupInitialLists(1, codes);
    EXPECT_EQ(threeLine[0].shownIndex, 0);
    EXPECT_EQ(threeLine[2].shownIndex, 0);
    EXPECT_EQ(threeLine[3].shownIndex, 5);
    const auto mp3 = keySetupInitialLists(2, codes);
    EXPECT_EQ(mp3[5].shownIndex, 5);
    EXPECT_EQ(mp3[6].shownIndex, 0);
    EXPECT_EQ(mp3[9].shownIndex, 0);
    EXPECT_EQ(mp3[10].shownIndex, 5);
    const auto any = keySetupInitialLists(6, codes);
    EXPECT_EQ(any[23].shownIndex, -1);  // no selection for code 20
}

TEST(KeySetupRules, TemplateIdsAndLabels) {
    EXPECT_EQ(keySetupListId(1), 1003);
    EXPECT_EQ(keySetupListId(2), 1021);
    EXPECT_EQ(keySetupListId(24), 1043);
    EXPECT_EQ(keySetupListId(25), 0);
    EXPECT_EQ(keySetupLabel(7), "кл. 7");
    EXPECT_EQ(keySetupLabel(8), "Кл. 8");
    EXPECT_TRUE(keySetupAccepted(2));
    EXPECT_TRUE(keySetupAccepted(1080));
    EXPECT_FALSE(keySetupAccepted(1081));
}

TEST(EquationRules, ModeOneEnablesDifferentKeysThanTheKeyDialog) {
    EXPECT_EQ(enabledKeys(equationKeyEnabled, 1), (std::vector<int>{1, 5, 6, 7, 8, 9, 10}));
    EXPECT_TRUE(enabledKeys(keySetupKeyEnabled, 1).empty());
    EXPECT_EQ(enabledKeys(equationKeyEnabled, 2), (std::vector<int>{7, 8, 9, 10}));
    EXPECT_EQ(enabledKeys(equationKeyEnabled, 3).size(), 24u);
    EXPECT_EQ(enabledKeys(equationKeyEnabled, 4), (std::vector<int>{1}));
    EXPECT_EQ(enabledKeys(equationKeyEnabled, 0), (std::vector<int>{1, 2, 3, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(enabledKeys(equationKeyEnabled, -1).size(), 24u);
}

TEST(KeyEnablingTable, BothDialogsPerModeAndKeysOutsideTheGrid) {
    const std::vector<int> none;
    const std::vector<int> oneToTen{1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    std::vector<int> all;
    for (int key = 1; key <= kKeyCount; ++key) all.push_back(key);
    const auto editable = [](KeyDialog dialog, int mode) {
        std::vector<int> keys;
        for (int key = 1; key <= kKeyCount; ++key) {
            if (keyEditableInMode(dialog, mode, key)) keys.push_back(key);
        }
        return keys;
    };
    struct Expected {
        int mode;
        std::vector<int> functions;
        std::vector<int> playlists;
    };
    const Expected table[] = {
        {0, {1, 2, 3, 5, 6, 7, 8, 9, 10}, {1, 2, 3, 5, 6, 7, 8, 9, 10}},
        {1, none, {1, 5, 6, 7, 8, 9, 10}},
        {2, none, {7, 8, 9, 10}},
        {3, none, all},
        {4, {1}, {1}},
        {5, oneToTen, oneToTen},
        {6, oneToTen, oneToTen},
        {7, all, all},
        {-1, all, all},
    };
    for (const Expected& e : table) {
        EXPECT_EQ(editable(KeyDialog::Functions, e.mode), e.functions) << "mode " << e.mode;
        EXPECT_EQ(editable(KeyDialog::Playlists, e.mode), e.playlists) << "mode " << e.mode;
    }
    for (KeyDialog dialog : {KeyDialog::Functions, KeyDialog::Playlists}) {
        for (int mode : {0, 9}) {
            EXPECT_FALSE(keyEditableInMode(dialog, mode, 0));
            EXPECT_FALSE(keyEditableInMode(dialog, mode, kKeyCount + 1));
            EXPECT_FALSE(keyEditableInMode(dialog, mode, -1));
        }
    }
}

TEST(EquationRules, UpdateRule) {
    EXPECT_EQ(equationEditUpdate("219"), (EquationUpdate{219, false, ""}));
    EXPECT_EQ(equationEditUpdate("220"), (EquationUpdate{0, true, "0"}));
    EXPECT_EQ(equationEditUpdate(""), (EquationUpdate{0, false, ""}));
    EXPECT_EQ(equationEditUpdate("22"), (EquationUpdate{22, false, ""}));
    EXPECT_EQ(equationEditUpdate("007"), (EquationUpdate{7, false, ""}));
    EXPECT_EQ(equationEditUpdate("12abc"), (EquationUpdate{12, false, ""}));
    EXPECT_EQ(equationEditUpdate("-3"), (EquationUpdate{0, true, "0"}));
    // A number far beyond any integer is an error, not an overflow.
    EXPECT_EQ(equationEditUpdate("99999999999999999999999999"), (EquationUpdate{0, true, "0"}));
}

TEST(EquationRules, TemplateIdsAndTexts) {
    EXPECT_EQ(equationEditId(1), 1068);
    EXPECT_EQ(equationEditId(2), 1044);
    EXPECT_EQ(equationEditId(24), 1066);
    EXPECT_EQ(equationInitialText(-5), "-5");
    EXPECT_STREQ(equation_dlg::kErrorCaption, "LARK40 ZadarAvod ");
}

}  // namespace
}  // namespace zadaravod

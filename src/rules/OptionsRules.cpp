#include "rules/OptionsRules.h"

namespace zadaravod {

using namespace options_dlg;

int optionsModeButton(int controlMode) {
    switch (controlMode) {
        case 0:
            return kOneLine;
        case 1:
            return kThreeLine;
        case 2:
            return kMp3;
        case 3:
            return kMatrix;
        case 4:
            return kParallel;
        case 5:
            return kExtended;
        case 6:
            return kKeyMode;
        default:
            return 0;
    }
}

int optionsModeOfButton(int buttonId) {
    for (int mode = 0; mode <= 6; ++mode) {
        if (optionsModeButton(mode) == buttonId) return mode;
    }
    return -1;
}

bool optionsModeButtonVisible(int controlMode) {
    return controlMode >= 0 && controlMode <= 6 && controlMode != 2 && controlMode != 5;
}

const std::vector<int>& optionsModeButtonOrder() {
    static const std::vector<int> order = {kOneLine, kThreeLine, kMp3,    kParallel,
                                           kMatrix,  kExtended,  kKeyMode};
    return order;
}

OptionsControls optionsInitialControls(const OptionsValues& values, OptionsControls initial) {
    OptionsControls c = initial;
    if (values.externalMode == 1) c.externalChecked = true;
    if (values.backgroundMusic == 1) c.musicChecked = true;
    if (modeHasBackgroundMusic(values.controlMode)) {
        c.checkedMode = values.controlMode;
        c.musicEnabled = true;
    } else if (values.controlMode >= 2 && values.controlMode <= 6) {
        c.checkedMode = values.controlMode;
        c.musicEnabled = false;
        c.musicChecked = false;
    } else {
        c.checkedMode = -1;
    }
    c.audioChecked = values.audioOutput == 1 ? 1 : 0;
    c.busyChecked = values.busyLevel == 1 ? 1 : 0;
    if (values.pullUp == 1) c.pullUpChecked = true;
    return c;
}

void optionsModeClicked(OptionsControls& controls, int controlMode) {
    if (controlMode < 0 || controlMode > 6) return;
    controls.checkedMode = controlMode;
    controls.musicEnabled = modeHasBackgroundMusic(controlMode);
    controls.musicChecked = musicFlagAfterModeChoice(controlMode, controls.musicChecked) != 0;
}

OptionsOkOutcome optionsOk(const OptionsControls& controls, const OptionsValues& opening) {
    OptionsOkOutcome out;
    out.values = opening;
    out.values.externalMode = controls.externalChecked ? 1 : 0;
    if (controls.checkedMode >= 0 && controls.checkedMode <= 6) {
        out.values.controlMode = controls.checkedMode;
    } else {
        out.messages.emplace_back(kNoModeMessage);
    }
    if (controls.audioChecked == 1 || controls.audioChecked == 0) {
        out.values.audioOutput = controls.audioChecked;
    } else {
        out.messages.emplace_back(kNoSoundMessage);
    }
    if (controls.busyChecked == 1 || controls.busyChecked == 0) {
        out.values.busyLevel = controls.busyChecked;
    } else {
        out.messages.emplace_back(kNoBusyMessage);
    }
    out.values.pullUp = controls.pullUpChecked ? 1 : 0;
    out.values.backgroundMusic = controls.musicChecked ? 1 : 0;
    return out;
}

}  // namespace zadaravod

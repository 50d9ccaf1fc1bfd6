#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "format/ChipConstants.h"

namespace zadaravod {

/// The options dialog's template: control ids and captions.
namespace options_dlg {
inline constexpr const char* kTitle = "Настройка кодека";
inline constexpr int kOk = 1074, kCancel = 1075;
inline constexpr int kModeGroup = 1076, kAudioGroup = 1077, kBusyGroup = 1078;
inline constexpr int kExternalMode = 1009, kPullUp = 1020, kBackgroundMusic = 1092;
inline constexpr int kDac = 1010, kPwm = 1011;
inline constexpr int kBusyLow = 1012, kBusyHigh = 1013;
inline constexpr int kOneLine = 1014, kThreeLine = 1015, kMp3 = 1016, kParallel = 1017,
                     kMatrix = 1018, kExtended = 1019, kKeyMode = 1084;

inline constexpr const char* kNoModeMessage = "Pls select a key mode";
inline constexpr const char* kNoSoundMessage = "Pls select a sound mode";
inline constexpr const char* kNoBusyMessage = "Pls select a busy mode";
}  // namespace options_dlg

/// The six integers the options dialog carries, in its order. They mirror
/// the `COptions` fields of the same names.
struct OptionsValues {
    std::int32_t externalMode = 0;
    std::int32_t controlMode = 0;
    std::int32_t audioOutput = 1;
    std::int32_t busyLevel = 1;
    std::int32_t pullUp = 0;
    std::int32_t backgroundMusic = 0;
    bool operator==(const OptionsValues&) const = default;
};

/// What the options dialog's controls show. `checkedMode` is the control
/// mode (0..6) whose radio button is checked, or -1 when none is; the audio
/// and busy fields hold the stored code of the checked button, -1 for none.
struct OptionsControls {
    int checkedMode = -1;
    bool externalChecked = false;
    bool musicEnabled = true;  ///< the template enables 1092
    bool musicChecked = false;
    int audioChecked = -1;  ///< 1 = "ЦАП" (1010), 0 = "ШИМ" (1011)
    int busyChecked = -1;   ///< 1 = "Лог. 0" (1012), 0 = "Лог. 1" (1013)
    bool pullUpChecked = false;
    bool operator==(const OptionsControls&) const = default;
};

/// The radio button of a control mode (1014 ... 1084); 0 for an unknown mode.
int optionsModeButton(int controlMode);
/// The control mode of a radio button id; -1 when `buttonId` is no mode button.
int optionsModeOfButton(int buttonId);
/// Whether the template shows the button of `controlMode` (all but MP3 and extended).
bool optionsModeButtonVisible(int controlMode);
/// The control-mode radio buttons in their template (tab) order.
const std::vector<int>& optionsModeButtonOrder();

/// The controls as the dialog's initialisation sets them from `values`,
/// starting from the template state `initial`. A control mode outside 0..6
/// checks no mode button and leaves 1092 as it was.
OptionsControls optionsInitialControls(const OptionsValues& values,
                                       OptionsControls initial = OptionsControls{});

/// The background-music flag after control mode `mode` was chosen (a click
/// in the options dialog, or `set mode=`): a mode without background music
/// clears it, modes 0 and 1 keep it.
constexpr std::int32_t musicFlagAfterModeChoice(int mode, std::int32_t musicFlag) {
    return modeHasBackgroundMusic(mode) ? musicFlag : 0;
}

/// A click on the button of `controlMode`: modes 0 and 1 enable 1092 (its
/// check mark is not restored), modes 2..6 disable and uncheck it.
void optionsModeClicked(OptionsControls& controls, int controlMode);

/// What the OK handler stores, and the messages it shows on the way (texts
/// of options_dlg, in order). A field without a checked button keeps its
/// value from `opening`; the external mode and the pull-up and music flags
/// are read from their check boxes.
struct OptionsOkOutcome {
    OptionsValues values;
    std::vector<std::string> messages;
};
OptionsOkOutcome optionsOk(const OptionsControls& controls, const OptionsValues& opening);

/// Whether the main window treats a result of the options dialog as acceptance
/// (every result but "Отмена").
inline bool optionsAccepted(int result) { return result != options_dlg::kCancel; }

}  // namespace zadaravod

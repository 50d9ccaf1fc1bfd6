#include "commands/Settings.h"

#include "rules/DialogResults.h"

namespace zadaravod {

bool acceptOptionsDialog(ProjectFiles& files, int result, const COptions& chosen) {
    if (result == result::kOptionsCancel) return false;
    COptions& o = files.project().options;
    o.controlMode = chosen.controlMode;
    o.audioOutput = chosen.audioOutput;
    o.busyLevel = chosen.busyLevel;
    o.pullUp = chosen.pullUp;
    o.backgroundMusic = chosen.backgroundMusic;

    const int mode = o.controlMode;
    files.view().setBackgroundMusicViewEnabled(modeHasBackgroundMusic(mode));
    switch (mode) {
        case kModeOneLine:
        case kModeThreeLine:
        case kModeMp3:
        case kModeMatrix:
        case kModeParallel:
        case kModeKey:
            files.setControlMode(mode);
            break;
        default:
            break;  // extended and unknown modes have no menu command
    }
    files.refreshModeCaption();
    return true;
}

bool acceptKeySetupDialog(ProjectFiles& files, int result,
                          const std::array<std::int32_t, kKeyCount>& codes) {
    if (result == result::kKeySetupCancel) return false;
    files.project().keys.keyFunction = codes;
    return true;
}

bool acceptEquationDialog(ProjectFiles& files, int result,
                          const std::array<std::int32_t, kKeyCount>& numbers) {
    if (result == result::kEquationCancel) return false;
    files.project().equation.listOfKey = numbers;
    return true;
}

}  // namespace zadaravod

#include "rules/KeySetupRules.h"

namespace zadaravod {

int keySetupListId(int key) {
    if (key < 1 || key > kKeyCount) return 0;
    return key == 1 ? 1003 : 1019 + key;
}

std::string keySetupLabel(int key) {
    if (key == 7) return "кл. 7";
    return "Кл. " + std::to_string(key);
}

bool keySetupKeyEnabled(int controlMode, int key) {
    if (key < 1 || key > kKeyCount) return false;
    switch (controlMode) {
        case 0:
            return (key >= 1 && key <= 3) || (key >= 5 && key <= 10);
        case 1:
        case 2:
        case 3:
            return false;
        case 4:
            return key == 1;
        case 5:
        case 6:
            return key <= 10;
        default:
            return true;
    }
}

int keySetupForcedEntry(int controlMode, int key) {
    switch (controlMode) {
        case 1:
            return key >= 1 && key <= 3 ? 0 : -1;
        case 2:
            return key >= 7 && key <= 10 ? 0 : -1;
        case 3:
            return key >= 1 && key <= kKeyCount ? 1 : -1;
        default:
            return -1;
    }
}

std::array<KeyListState, kKeyCount> keySetupInitialLists(int controlMode, const KeyTable& codes) {
    std::array<KeyListState, kKeyCount> lists{};
    for (int key = 1; key <= kKeyCount; ++key) {
        KeyListState& s = lists[static_cast<std::size_t>(key - 1)];
        const std::int32_t code = codes[static_cast<std::size_t>(key - 1)];
        s.shownIndex = code >= 0 && code < kKeyFunctionCount ? code : -1;
        const int forced = keySetupForcedEntry(controlMode, key);
        if (forced >= 0) s.shownIndex = forced;
        s.enabled = keySetupKeyEnabled(controlMode, key);
    }
    return lists;
}

}  // namespace zadaravod

#include "rules/KeySetupRules.h"

namespace zadaravod {

namespace {

/// Keys first..last (1-based) as bits 0..23.
constexpr std::uint32_t keys(int first, int last) {
    std::uint32_t mask = 0;
    for (int key = first; key <= last; ++key) mask |= 1u << (key - 1);
    return mask;
}
constexpr std::uint32_t kAllKeys = keys(1, kKeyCount);

/// The keys each dialog leaves editable, per control mode.
struct ModeKeys {
    int controlMode;
    std::uint32_t functions;
    std::uint32_t playlists;
};
constexpr ModeKeys kEditableKeys[] = {
    {kModeOneLine, keys(1, 3) | keys(5, 10), keys(1, 3) | keys(5, 10)},
    {kModeThreeLine, 0, keys(1, 1) | keys(5, 10)},
    {kModeMp3, 0, keys(7, 10)},
    {kModeMatrix, 0, kAllKeys},
    {kModeParallel, keys(1, 1), keys(1, 1)},
    {kModeExtended, keys(1, 10), keys(1, 10)},
    {kModeKey, keys(1, 10), keys(1, 10)},
};

}  // namespace

int keySetupListId(int key) {
    if (key < 1 || key > kKeyCount) return 0;
    return key == 1 ? 1003 : 1019 + key;
}

std::string keySetupLabel(int key) {
    if (key == 7) return "кл. 7";
    return "Кл. " + std::to_string(key);
}

bool keyEditableInMode(KeyDialog dialog, int controlMode, int key) {
    if (key < 1 || key > kKeyCount) return false;
    std::uint32_t editable = kAllKeys;
    for (const ModeKeys& row : kEditableKeys) {
        if (row.controlMode == controlMode) {
            editable = dialog == KeyDialog::Functions ? row.functions : row.playlists;
        }
    }
    return (editable >> (key - 1)) & 1u;
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

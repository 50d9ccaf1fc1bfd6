#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "model/Settings.h"

namespace zadaravod {

/// The key function dialog's template.
namespace key_setup_dlg {
inline constexpr const char* kTitle = "Настройка ключевого режима";
inline constexpr int kOk = 1080, kCancel = 1081;
}  // namespace key_setup_dlg

using KeyTable = std::array<std::int32_t, kKeyCount>;

/// The drop-down list of key `key` (1..24): 1003 for key 1, 1019 + key for
/// the others; 0 for a key outside 1..24.
int keySetupListId(int key);
/// The label of key `key` (1..24): "Кл. n", the seventh reads "кл. 7".
std::string keySetupLabel(int key);

/// What one key's list shows. `shownIndex` is the entry shown (0..14), or -1
/// for no selection.
struct KeyListState {
    bool enabled = true;
    int shownIndex = -1;
    bool operator==(const KeyListState&) const = default;
};

/// The two dialogs that set something for each of the 24 keys. They enable
/// the same keys per control mode except in modes 1 to 3, where the key
/// function dialog enables none (the mode fixes what the keys do).
enum class KeyDialog {
    Functions,  ///< "Настройка ключевого режима": a function per key
    Playlists,  ///< "Настройки выравнивания": a playlist number per key
};
/// Whether key `key` (1..24) can be edited in `controlMode` in `dialog`; a
/// mode outside 0..6 leaves all 24 keys editable, a key outside 1..24 none.
bool keyEditableInMode(KeyDialog dialog, int controlMode, int key);

/// Whether the list of key `key` (1..24) can be edited in `controlMode`.
inline bool keySetupKeyEnabled(int controlMode, int key) {
    return keyEditableInMode(KeyDialog::Functions, controlMode, key);
}
/// The entry forced into key `key`'s list in `controlMode`, or -1 when the
/// list shows the key's own code. A forced entry changes only what is shown.
int keySetupForcedEntry(int controlMode, int key);
/// The initial state of every list: the stored code (none when outside
/// 0..14), overridden by the forced entries, enabled per control mode.
std::array<KeyListState, kKeyCount> keySetupInitialLists(int controlMode, const KeyTable& codes);

/// Whether the main window takes the dialog's codes (every result but "Отмена").
inline bool keySetupAccepted(int result) { return result != key_setup_dlg::kCancel; }

}  // namespace zadaravod

#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "model/Settings.h"
#include "rules/KeySetupRules.h"

namespace zadaravod {

/// The key-to-playlist dialog's template and its message.
namespace equation_dlg {
inline constexpr const char* kTitle = "Настройки выравнивания";
inline constexpr const char* kRangeLabel = "Диапазон : 0 - 219";
inline constexpr int kOk = 1082, kCancel = 1083;
inline constexpr const char* kErrorText = "Error";
/// The caption of the range message, with its trailing blank.
inline constexpr const char* kErrorCaption = "LARK40 ZadarAvod ";
inline constexpr int kMaxList = kPlaylistCount - 1;  ///< 219
}  // namespace equation_dlg

/// The edit field of key `key` (1..24): 1068 for key 1, 1042 + key for the
/// others; 0 for a key outside 1..24.
int equationEditId(int key);
/// The label of key `key`: "Кл. n".
std::string equationKeyLabel(int key);
/// Whether the edit of key `key` (1..24) can be edited in `controlMode`
/// (the playlist column of the shared table).
inline bool equationKeyEnabled(int controlMode, int key) {
    return keyEditableInMode(KeyDialog::Playlists, controlMode, key);
}
/// The initial text of an edit: the number written with "%d".
std::string equationInitialText(std::int32_t number);

/// The update rule of an edit. `number` is what the key now holds; when
/// `error` is set the user is shown kErrorText and the edit's text becomes
/// `resetText` ("0").
struct EquationUpdate {
    std::int32_t number = 0;
    bool error = false;
    std::string resetText;
    bool operator==(const EquationUpdate&) const = default;
};
/// Reads the leading decimal digits of `text` (an optional sign first; no
/// digits read as 0). A number below 0 or above 219, however many digits it
/// has, is an error and gives 0.
EquationUpdate equationEditUpdate(std::string_view text);

/// Whether the main window takes the dialog's numbers (every result but "Отмена").
inline bool equationAccepted(int result) { return result != equation_dlg::kCancel; }

}  // namespace zadaravod

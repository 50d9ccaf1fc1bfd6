#pragma once

#include <array>
#include <optional>
#include <string>

#include "model/Sound.h"

namespace zadaravod {

/// The fixed silence commands of the playlist menu and their lengths in ms.
struct FixedSilence {
    int commandId;
    int durationMs;
};
inline constexpr std::array<FixedSilence, 6> kFixedSilences = {
    {{32827, 10}, {32828, 20}, {32829, 50}, {32830, 100}, {32831, 200}, {32832, 300}}};
/// The command that asks for a free length through the silence dialog.
inline constexpr int kFreeSilenceCommand = 32801;
/// The length of the silences that fill empty lower lists.
inline constexpr int kBackFillSilenceMs = 10;

/// The silence record of fixed silence command `commandId`; nullopt for any
/// other command.
std::optional<CSound> fixedSilence(int commandId);

/// The silence dialog's end codes and its units.
inline constexpr int kSilenceCancel = 1071;
enum SilenceUnit : int { kUnitTensOfMs = 0, kUnitSeconds = 1 };

/// The dialog's reading of its edit text: an optional run of blanks, an
/// optional sign, then the leading decimal digits; no digits reads as 0.
/// Values beyond the int range are clamped to it.
int leadingDecimal(const std::string& text);

/// What pressing "ОК" in the silence dialog does: either a message to show
/// while the dialog stays open, or the dialog closes with `endCode`.
struct SilenceOutcome {
    bool closes = false;
    int endCode = kSilenceCancel;  ///< the length in ms (10..10000), or 1071
    std::string message;           ///< shown with the application's title as caption
};

/// The "ОК" rules of the silence dialog for edit text `text`, unit combo
/// index `unit` and the weight `listWeight` of the current list.
SilenceOutcome acceptSilence(const std::string& text, int unit, int listWeight);

}  // namespace zadaravod

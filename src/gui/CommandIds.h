#pragma once

// The command and control ids of the main window, in one table. Menus,
// toolbar buttons, accelerators and context menus carry these ids; every
// action's objectName is "action_<id>" and every control's "control_<id>", so
// tests and other code find them by id.

#include "format/ChipConstants.h"

namespace zadaravod::cmd {

// File menu.
inline constexpr int kNew = 57600;           ///< "Создать", F2
inline constexpr int kOpen = 57601;          ///< "Открыть", F3
inline constexpr int kSave = 57603;          ///< "Сохранить"
inline constexpr int kSaveAs = 32811;        ///< "Сохранить как", Ctrl+S
inline constexpr int kCloseProject = 32816;  ///< "Закрыть проект", Ctrl+C
inline constexpr int kExit = 32815;          ///< "Выход", Ctrl+E
inline constexpr int kExcel = 32853;         ///< spreadsheet export

// View menu.
inline constexpr int kViewToolbar = 59392;
inline constexpr int kViewStatusBar = 32774;

// Mode menu; 32834 (MP3 mode) has no menu item but is routed all the same.
inline constexpr int kModeKey = 32775;        ///< "Ключевой", mode 6
inline constexpr int kModeOneLine = 32778;    ///< "Однопроводный", mode 0
inline constexpr int kModeThreeLine = 32779;  ///< "3-х проводный", mode 1
inline constexpr int kModeParallel = 32812;   ///< "Параллельный порт", mode 4
inline constexpr int kModeMatrix = 32813;     ///< "Матрица 3x8", mode 3
inline constexpr int kModeMp3 = 32834;        ///< mode 2

// Actions menu and the toolbar twins.
inline constexpr int kBuild = 32780;     ///< "Собрать образ (BIN)", F4
inline constexpr int kOptions = 32781;   ///< "Конфигурация кодека"
inline constexpr int kKeySetup = 32802;  ///< "Настройка ключевого режима"
inline constexpr int kEquationSetup = 32803;  ///< "Настройки выравнивания"
inline constexpr int kDownload = 32782;       ///< "Загрузить в устройство", F5
inline constexpr int kChooseImage = 32809;    ///< no menu item; choose an image file
inline constexpr int kConvert = 32814;        ///< no menu item; MP3/WMA to WAV
/// "Русский" of "&Язык": the interface in Russian, and the companion program started.
inline constexpr int kCompanion = 32835;
inline constexpr int kEnglish = 32836;  ///< "English" of "&Язык": the interface in English
inline constexpr int kAbout = 32783;    ///< "О программе"
inline constexpr int kHelp = 32784;     ///< "Помощь", F1
inline constexpr int kAboutAlt = 32790;

inline constexpr int kToolNew = 32785;
inline constexpr int kToolOpen = 32786;
inline constexpr int kToolBuild = 32787;
inline constexpr int kToolOptions = 32788;
inline constexpr int kToolDownload = 32789;
inline constexpr int kToolHelp = 32791;

// Library view context menu.
inline constexpr int kLibraryLoad = 32810;
inline constexpr int kLibraryDelete = 32792;
inline constexpr int kLibraryClear = 32793;
inline constexpr int kLibraryPlay = 32794;

// Background music view context menu.
inline constexpr int kMusicLoad = 32823;
inline constexpr int kMusicClear = 32826;
inline constexpr int kMusicPlay = 32825;

// Playlist view context menu.
inline constexpr int kInsertTrack = 32800;
inline constexpr int kInsertSilence = 32801;
inline constexpr int kSilence10 = 32827;
inline constexpr int kSilence20 = 32828;
inline constexpr int kSilence50 = 32829;
inline constexpr int kSilence100 = 32830;
inline constexpr int kSilence200 = 32831;
inline constexpr int kSilence300 = 32832;
inline constexpr int kPlaylistDelete = 32795;
inline constexpr int kPlaylistClear = 32796;
inline constexpr int kPlaylistClearAll = 32848;
inline constexpr int kPlaylistPlay = 32797;

// Our own commands, beyond the original's ids.
inline constexpr int kPlayAsChip = 33001;  ///< "Как на микросхеме", a check item of the Play menus
inline constexpr int kUndo = 33002;          ///< "Отменить", Ctrl+Z
inline constexpr int kRedo = 33003;          ///< "Повторить", Ctrl+Shift+Z and Ctrl+Y
inline constexpr int kCheckProject = 33004;  ///< "Проверить проект"
/// Check items of the library menu: the import options of Load, drops and
/// the background music load; the window keeps them between runs.
inline constexpr int kTrimOnImport = 33005;  ///< "Обрезать тишину при загрузке"
inline constexpr int kNormalizeOnImport = 33006;  ///< "Выравнивать громкость при загрузке"
inline constexpr int kSpeakText = 33007;     ///< "Синтез речи…"
inline constexpr int kProcessSound = 33008;  ///< "Обработать…"

/// A mode command and the control mode it sets.
struct ModeCommand {
    int id;
    int controlMode;
};
inline constexpr ModeCommand kModeCommands[] = {
    {kModeOneLine, zadaravod::kModeOneLine},   {kModeThreeLine, zadaravod::kModeThreeLine},
    {kModeMp3, zadaravod::kModeMp3},           {kModeMatrix, zadaravod::kModeMatrix},
    {kModeParallel, zadaravod::kModeParallel}, {kModeKey, zadaravod::kModeKey}};

}  // namespace zadaravod::cmd

namespace zadaravod::ctl {

// Controls of the main window.
inline constexpr int kPlus = 1004;
inline constexpr int kMinus = 1005;
inline constexpr int kLibraryView = 1006;
inline constexpr int kPlaylistView = 1007;
inline constexpr int kModeCaption = 1008;
inline constexpr int kListCombo = 1079;
inline constexpr int kListLabel = 1085;
inline constexpr int kFlashCombo = 1089;
inline constexpr int kFlashLabel = 1090;
inline constexpr int kProgress = 1093;
inline constexpr int kMusicView = 1094;
inline constexpr int kListSpin = 1098;
inline constexpr int kListBox = 1100;
inline constexpr int kModeLabel = 1101;
inline constexpr int kToolbar = 0xE800;
inline constexpr int kStatusBar = 0xE801;

}  // namespace zadaravod::ctl

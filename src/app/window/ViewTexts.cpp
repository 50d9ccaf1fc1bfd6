#include "app/window/ViewTexts.h"

#include <algorithm>
#include <cstdio>

#include "app/window/CommandIds.h"

namespace zadaravod {
namespace {

std::string formatted(const char* format, long value) {
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

}  // namespace


std::string silenceLengthText(int durationMs) {
    if (durationMs < 1000 || durationMs % 1000 != 0) return formatted("%ld ms", durationMs);
    return formatted("%ld s", durationMs / 1000);
}

std::array<std::string, 6> libraryRowTexts(const CSound& r, int row) {
    return {formatted("%.3ld", row + 1L),
            r.name,
            formatted("%ld Hz", r.sampleRate),
            formatted("%ld Bit", r.bitsPerSample),
            r.stereo == 1 ? "STEREO" : "MONO",
            formatted("%ld ms", r.durationMs)};
}

std::array<std::string, 3> playlistRowTexts(const CSound& r, int row) {
    const bool sound = r.kind != 0;
    return {formatted("%.3ld", row + 1L), sound ? "SOUND" : "SILENCE",
            sound ? r.name : silenceLengthText(r.durationMs)};
}

std::optional<bool> musicViewEnabledAfterLibraryFill(const Project& project) {
    const int mode = project.options.controlMode;
    if (mode != kModeOneLine && mode != kModeThreeLine) return std::nullopt;
    int highest = 0;
    for (const CSound& r : project.library) highest = std::max(highest, int{r.sampleRate});
    return highest <= 8000 || !project.backgroundMusic.empty();
}

std::string commandPrompt(int id) {
    switch (id) {
        case cmd::kViewStatusBar:
        case cmd::kViewToolbar:
            return "Содержит команды для отображения и скрытия строки состояния";
        case cmd::kToolNew:
        case cmd::kNew:
            return "Новый проект";
        case cmd::kToolOpen:
        case cmd::kOpen:
            return "Открыть проект";
        case cmd::kToolBuild: return "Собрать образ";
        case cmd::kToolOptions: return "Настройки";
        case cmd::kToolDownload: return "Выгрузить в устройство";
        case cmd::kToolHelp: return "Помощь";
        case cmd::kSaveAs: return "Сохранить как";
        case cmd::kExit: return "Выход";
        case cmd::kCloseProject: return "Закрыть проект";
        case cmd::kExcel: return "Экспорт в excel";
        case cmd::kSave: return "Сохранить проект";
        default: return {};
    }
}

}  // namespace zadaravod

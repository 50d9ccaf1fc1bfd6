#include "gui/ViewTexts.h"

#include <QCoreApplication>
#include <algorithm>

#include "gui/CommandIds.h"
#include "rules/NumberText.h"

namespace zadaravod {
namespace {

/// A prompt in the current interface language, as UTF-8.
std::string prompt(const char* source) {
    return QCoreApplication::translate("ViewTexts", source).toStdString();
}

}  // namespace

std::string silenceLengthText(int durationMs) {
    if (durationMs < 1000 || durationMs % 1000 != 0) return decimalText(durationMs) + " ms";
    return decimalText(durationMs / 1000) + " s";
}

std::array<std::string, 6> libraryViewRowTexts(const CSound& r, int row) {
    return {decimalText(row + 1LL, 3),         r.name,
            decimalText(r.sampleRate) + " Hz", decimalText(r.bitsPerSample) + " Bit",
            r.stereo == 1 ? "STEREO" : "MONO", decimalText(r.durationMs) + " ms"};
}

std::array<std::string, 3> playlistRowTexts(const CSound& r, int row) {
    const bool sound = r.kind != 0;
    return {decimalText(row + 1LL, 3), sound ? "SOUND" : "SILENCE",
            sound ? r.name : silenceLengthText(r.durationMs)};
}

std::string memoryUsageText(const MemoryGauge& gauge) {
    return fixedText(gauge.percent, 2) + " % flash used";
}

std::string trackLengthText(const MemoryGauge& gauge) {
    return fixedText(gauge.totalMs, 0) + " msec. total";
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
            return prompt(QT_TRANSLATE_NOOP(
                "ViewTexts", "Содержит команды для отображения и скрытия строки состояния"));
        case cmd::kToolNew:
        case cmd::kNew:
            return prompt(QT_TRANSLATE_NOOP("ViewTexts", "Новый проект"));
        case cmd::kToolOpen:
        case cmd::kOpen:
            return prompt(QT_TRANSLATE_NOOP("ViewTexts", "Открыть проект"));
        case cmd::kToolBuild:
            return prompt(QT_TRANSLATE_NOOP("ViewTexts", "Собрать образ"));
        case cmd::kToolOptions:
            return prompt(QT_TRANSLATE_NOOP("ViewTexts", "Настройки"));
        case cmd::kToolDownload:
            return prompt(QT_TRANSLATE_NOOP("ViewTexts", "Выгрузить в устройство"));
        case cmd::kToolHelp:
            return prompt(QT_TRANSLATE_NOOP("ViewTexts", "Помощь"));
        case cmd::kSaveAs:
            return prompt(QT_TRANSLATE_NOOP("ViewTexts", "Сохранить как"));
        case cmd::kExit:
            return prompt(QT_TRANSLATE_NOOP("ViewTexts", "Выход"));
        case cmd::kCloseProject:
            return prompt(QT_TRANSLATE_NOOP("ViewTexts", "Закрыть проект"));
        case cmd::kExcel:
            return prompt(QT_TRANSLATE_NOOP("ViewTexts", "Экспорт в excel"));
        case cmd::kSave:
            return prompt(QT_TRANSLATE_NOOP("ViewTexts", "Сохранить проект"));
        default:
            return {};
    }
}

}  // namespace zadaravod

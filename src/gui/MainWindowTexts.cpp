#include "gui/MainWindowTexts.h"

#include <QAction>
#include <QCoreApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QToolBar>

#include "gui/CommandIds.h"
#include "gui/MainWindowBuilder.h"
#include "gui/ViewTexts.h"

namespace zadaravod {
namespace {

constexpr const char* kContext = "MainWindow";

struct Caption {
    int id;
    const char* text;
};

/// The captions of the commands, as the menus and context menus show them.
constexpr Caption kCommandCaptions[] = {
    {cmd::kNew, QT_TRANSLATE_NOOP("MainWindow", "Создать")},
    {cmd::kOpen, QT_TRANSLATE_NOOP("MainWindow", "Открыть")},
    {cmd::kSave, QT_TRANSLATE_NOOP("MainWindow", "Сохранить")},
    {cmd::kSaveAs, QT_TRANSLATE_NOOP("MainWindow", "Сохранить как")},
    {cmd::kCloseProject, QT_TRANSLATE_NOOP("MainWindow", "Закрыть проект")},
    {cmd::kExit, QT_TRANSLATE_NOOP("MainWindow", "Выход")},
    {cmd::kExcel, QT_TRANSLATE_NOOP("MainWindow", "Excel")},
    {cmd::kViewToolbar, QT_TRANSLATE_NOOP("MainWindow", "Панель инструментов")},
    {cmd::kViewStatusBar, QT_TRANSLATE_NOOP("MainWindow", "Строка состояния")},
    {cmd::kModeKey, QT_TRANSLATE_NOOP("MainWindow", "Ключевой")},
    {cmd::kModeOneLine, QT_TRANSLATE_NOOP("MainWindow", "Однопроводный")},
    {cmd::kModeThreeLine, QT_TRANSLATE_NOOP("MainWindow", "3-х проводный")},
    {cmd::kModeParallel, QT_TRANSLATE_NOOP("MainWindow", "Параллельный порт")},
    {cmd::kModeMatrix, QT_TRANSLATE_NOOP("MainWindow", "Матрица 3x8")},
    {cmd::kModeMp3, QT_TRANSLATE_NOOP("MainWindow", "Mp3")},
    {cmd::kBuild, QT_TRANSLATE_NOOP("MainWindow", "Собрать образ (BIN)")},
    {cmd::kOptions, QT_TRANSLATE_NOOP("MainWindow", "Конфигурация кодека")},
    {cmd::kKeySetup, QT_TRANSLATE_NOOP("MainWindow", "Настройка ключевого режима")},
    {cmd::kEquationSetup, QT_TRANSLATE_NOOP("MainWindow", "Настройки выравнивания")},
    {cmd::kDownload, QT_TRANSLATE_NOOP("MainWindow", "Загрузить в устройство")},
    {cmd::kChooseImage, QT_TRANSLATE_NOOP("MainWindow", "Образ")},
    {cmd::kConvert, QT_TRANSLATE_NOOP("MainWindow", "MP3/WMA в WAV")},
    {cmd::kUndo, QT_TRANSLATE_NOOP("MainWindow", "&Отменить")},
    {cmd::kRedo, QT_TRANSLATE_NOOP("MainWindow", "&Повторить")},
    {cmd::kCheckProject, QT_TRANSLATE_NOOP("MainWindow", "Проверить проект")},
    {cmd::kAbout, QT_TRANSLATE_NOOP("MainWindow", "О программе")},
    {cmd::kAboutAlt, QT_TRANSLATE_NOOP("MainWindow", "О программе")},
    {cmd::kHelp, QT_TRANSLATE_NOOP("MainWindow", "Помощь")},
    {cmd::kLibraryLoad, QT_TRANSLATE_NOOP("MainWindow", "&Загрузить")},
    {cmd::kLibraryDelete, QT_TRANSLATE_NOOP("MainWindow", "&Удалить")},
    {cmd::kLibraryClear, QT_TRANSLATE_NOOP("MainWindow", "&Очистить")},
    {cmd::kLibraryPlay, QT_TRANSLATE_NOOP("MainWindow", "&Воспроизвести")},
    {cmd::kMusicLoad, QT_TRANSLATE_NOOP("MainWindow", "&Загрузить")},
    {cmd::kMusicClear, QT_TRANSLATE_NOOP("MainWindow", "&Очистить")},
    {cmd::kMusicPlay, QT_TRANSLATE_NOOP("MainWindow", "&Воспроизвести")},
    {cmd::kInsertTrack, QT_TRANSLATE_NOOP("MainWindow", "Трек")},
    {cmd::kSilence10, QT_TRANSLATE_NOOP("MainWindow", "&10 мСек")},
    {cmd::kSilence20, QT_TRANSLATE_NOOP("MainWindow", "&20 мСек")},
    {cmd::kSilence50, QT_TRANSLATE_NOOP("MainWindow", "&50 мСек")},
    {cmd::kSilence100, QT_TRANSLATE_NOOP("MainWindow", "100 мСек")},
    {cmd::kSilence200, QT_TRANSLATE_NOOP("MainWindow", "200 мСек")},
    {cmd::kSilence300, QT_TRANSLATE_NOOP("MainWindow", "300 мСек")},
    {cmd::kInsertSilence, QT_TRANSLATE_NOOP("MainWindow", "Произвольная тишина")},
    {cmd::kPlaylistDelete, QT_TRANSLATE_NOOP("MainWindow", "&Удалить")},
    {cmd::kPlaylistClear, QT_TRANSLATE_NOOP("MainWindow", "&Очистить")},
    {cmd::kPlaylistClearAll, QT_TRANSLATE_NOOP("MainWindow", "Очистить &все")},
    {cmd::kPlaylistPlay, QT_TRANSLATE_NOOP("MainWindow", "&Воспроизвести")},
    {cmd::kPlayAsChip, QT_TRANSLATE_NOOP("MainWindow", "Как на &микросхеме")},
    {cmd::kSpeakText, QT_TRANSLATE_NOOP("MainWindow", "Синтез речи…")},
    {cmd::kProcessSound, QT_TRANSLATE_NOOP("MainWindow", "Обработать…")},
    {cmd::kTrimOnImport, QT_TRANSLATE_NOOP("MainWindow", "Обрезать тишину при загрузке")},
    {cmd::kNormalizeOnImport,
     QT_TRANSLATE_NOOP("MainWindow", "Выравнивать громкость при загрузке")},
};

struct MenuCaption {
    const char* objectName;
    const char* text;
};

constexpr MenuCaption kMenuTitles[] = {
    {"menu_file", QT_TRANSLATE_NOOP("MainWindow", "&Файл")},
    {"menu_recent", QT_TRANSLATE_NOOP("MainWindow", "Последние проекты")},
    {"menu_edit", QT_TRANSLATE_NOOP("MainWindow", "&Правка")},
    {"menu_view", QT_TRANSLATE_NOOP("MainWindow", "&Вид")},
    {"menu_mode", QT_TRANSLATE_NOOP("MainWindow", "&Режим")},
    {"menu_actions", QT_TRANSLATE_NOOP("MainWindow", "&Действия")},
    {"menu_tools", QT_TRANSLATE_NOOP("MainWindow", "&Инструменты")},
    {"menu_language", QT_TRANSLATE_NOOP("MainWindow", "&Язык")},
    {"menu_help", QT_TRANSLATE_NOOP("MainWindow", "&Помощь")},
};

/// The labels of the controls, by control id.
constexpr Caption kLabels[] = {
    {ctl::kModeLabel, QT_TRANSLATE_NOOP("MainWindow", "Режим:")},
    {ctl::kListLabel, QT_TRANSLATE_NOOP("MainWindow", "Список № :")},
    {ctl::kFlashLabel, QT_TRANSLATE_NOOP("MainWindow", "Память :")},
};

/// The toolbar's own title: the same Russian as its View item, which in
/// English has an accelerator the title must not have.
constexpr struct {
    const char* source;
    const char* comment;
} kToolBarTitle = QT_TRANSLATE_NOOP3("MainWindow", "Панель инструментов", "toolbar title");

QString translated(const char* text) { return QCoreApplication::translate(kContext, text); }

}  // namespace

QString commandCaption(int id) {
    for (const Caption& c : kCommandCaptions) {
        if (c.id == id) return translated(c.text);
    }
    return {};
}

QString menuTitle(const QString& name) {
    for (const MenuCaption& m : kMenuTitles) {
        if (name == QLatin1String(m.objectName)) return translated(m.text);
    }
    return {};
}

void retranslateMainWindow(QMainWindow& window, const MainWindowWidgets& widgets) {
    for (const Caption& c : kCommandCaptions) {
        if (const auto it = widgets.actions.find(c.id); it != widgets.actions.end()) {
            it->second->setText(translated(c.text));
        }
    }
    // The toolbar buttons: the tip is the part of the prompt after its line
    // break, or all of it.
    for (int id : {cmd::kToolNew, cmd::kToolOpen, cmd::kToolBuild, cmd::kToolOptions,
                   cmd::kToolDownload, cmd::kToolHelp}) {
        const auto it = widgets.actions.find(id);
        if (it == widgets.actions.end()) continue;
        const QString prompt = QString::fromStdString(commandPrompt(id));
        const QString tip = prompt.section(QLatin1Char('\n'), -1);
        it->second->setToolTip(tip);
        it->second->setText(tip);
    }
    for (QMenu* menu : window.findChildren<QMenu*>()) {
        if (const QString title = menuTitle(menu->objectName()); !title.isEmpty()) {
            menu->setTitle(title);
        }
    }
    if (widgets.toolBar) {
        widgets.toolBar->setWindowTitle(
            QCoreApplication::translate(kContext, kToolBarTitle.source, kToolBarTitle.comment));
    }
    for (const Caption& c : kLabels) {
        if (auto* label = window.findChild<QLabel*>(QStringLiteral("control_%1").arg(c.id))) {
            label->setText(translated(c.text));
        }
    }
}

}  // namespace zadaravod

#include "gui/Language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>
#include <string_view>

namespace zadaravod {
namespace {

/// The context of the texts below in the translation files.
constexpr const char* kCoreContext = "CoreTexts";

/// The Russian texts of the layers below the window that the window shows as
/// they stand (dialog titles and labels kept with the dialogs' rules, the
/// window's first title), and the export's Chinese messages. Each is the
/// source text of its translation.
constexpr const char* kCoreTexts[] = {
    QT_TRANSLATE_NOOP("CoreTexts", "KD-7731 редактор образов"),
    QT_TRANSLATE_NOOP("CoreTexts", "Настройка кодека"),
    QT_TRANSLATE_NOOP("CoreTexts", "Настройка ключевого режима"),
    QT_TRANSLATE_NOOP("CoreTexts", "Настройки выравнивания"),
    QT_TRANSLATE_NOOP("CoreTexts", "Диапазон : 0 - 219"),
    QT_TRANSLATE_NOOP("CoreTexts", "请先存文件后,方可打开!"),
};

/// Texts with a variable part: the source text before the part, the source
/// text after it, and the translatable pattern with "%1" in its place.
struct CoreTextPattern {
    std::string_view prefix;
    std::string_view suffix;
    const char* pattern;
};
constexpr CoreTextPattern kCorePatterns[] = {
    // The key labels of the two key dialogs: "Кл. 12" (and the template's "кл. 7").
    {"Кл. ", "", QT_TRANSLATE_NOOP("CoreTexts", "Кл. %1")},
    {"кл. ", "", QT_TRANSLATE_NOOP("CoreTexts", "Кл. %1")},
    {"EXCEL初始化时出错!\n", "", QT_TRANSLATE_NOOP("CoreTexts", "EXCEL初始化时出错!\n%1")},
    {"路径", "错误,不能打开显示!", QT_TRANSLATE_NOOP("CoreTexts", "路径%1错误,不能打开显示!")},
};

QString& language() {
    static QString current = QString::fromLatin1(kLanguageRussian);
    return current;
}

/// The translators installed for the current language; children of the
/// application, so they go with it.
QPointer<QTranslator>& ownTranslator() {
    static QPointer<QTranslator> t;
    return t;
}
QPointer<QTranslator>& qtTranslator() {
    static QPointer<QTranslator> t;
    return t;
}

void removeTranslator(QPointer<QTranslator>& translator) {
    if (!translator) return;
    QCoreApplication::removeTranslator(translator);
    delete translator.data();
    translator = nullptr;
}

/// Loads `file` from `folder` into a new translator and installs it; a file
/// that is missing or unreadable installs nothing.
void installTranslator(QPointer<QTranslator>& slot, const QString& file, const QString& folder) {
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(file, folder)) {
        delete translator;
        return;
    }
    slot = translator;
    QCoreApplication::installTranslator(translator);
}

}  // namespace

bool isKnownLanguage(const QString& code) {
    return code == QLatin1String(kLanguageRussian) || code == QLatin1String(kLanguageEnglish);
}

bool applyLanguage(const QString& code) {
    if (!isKnownLanguage(code) || !QCoreApplication::instance()) return false;
    removeTranslator(ownTranslator());
    removeTranslator(qtTranslator());
    if (code == QLatin1String(kLanguageEnglish)) {
        installTranslator(ownTranslator(), QStringLiteral("zadaravod_en"),
                          QStringLiteral(":/i18n"));
    }
    installTranslator(qtTranslator(), QStringLiteral("qtbase_") + code,
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    language() = code;
    return true;
}

QString currentLanguage() { return language(); }

bool qtTranslationLoaded() { return !qtTranslator().isNull(); }

QString coreText(const std::string& text) {
    const QString source = QString::fromStdString(text);
    if (language() == QLatin1String(kLanguageRussian)) return source;
    for (const char* known : kCoreTexts) {
        if (text == known) return QCoreApplication::translate(kCoreContext, known);
    }
    const std::string_view view(text);
    for (const CoreTextPattern& p : kCorePatterns) {
        if (view.size() < p.prefix.size() + p.suffix.size() || !view.starts_with(p.prefix) ||
            !view.ends_with(p.suffix)) {
            continue;
        }
        const std::string_view part =
            view.substr(p.prefix.size(), view.size() - p.prefix.size() - p.suffix.size());
        return QCoreApplication::translate(kCoreContext, p.pattern)
            .arg(QString::fromUtf8(part.data(), static_cast<qsizetype>(part.size())));
    }
    return source;
}

}  // namespace zadaravod

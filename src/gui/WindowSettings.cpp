#include "gui/WindowSettings.h"

#include <QSettings>
#include <QStringList>

namespace zadaravod {
namespace {

QSettings settings() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("ZadarAvod"),
                     QStringLiteral("zadaravod"));
}

}  // namespace

QString storedLanguage() {
    const QString language = settings().value(QStringLiteral("language")).toString();
    return language == QStringLiteral("en") ? language : QStringLiteral("ru");
}

void storeLanguage(const QString& language) {
    settings().setValue(QStringLiteral("language"), language);
}

ImportOptions storedImportOptions() {
    QSettings s = settings();
    ImportOptions options;
    options.trim = s.value(QStringLiteral("import/trim"), false).toBool();
    options.normalize = s.value(QStringLiteral("import/normalize"), false).toBool();
    return options;
}

void storeImportOptions(const ImportOptions& options) {
    QSettings s = settings();
    s.setValue(QStringLiteral("import/trim"), options.trim);
    s.setValue(QStringLiteral("import/normalize"), options.normalize);
}

std::vector<std::string> storedRecentProjects() {
    std::vector<std::string> out;
    for (const QString& path : settings().value(QStringLiteral("recentProjects")).toStringList()) {
        out.push_back(path.toStdString());
    }
    return out;
}

void storeRecentProjects(const std::vector<std::string>& projectFiles) {
    QStringList list;
    for (const std::string& path : projectFiles) list << QString::fromStdString(path);
    settings().setValue(QStringLiteral("recentProjects"), list);
}

}  // namespace zadaravod

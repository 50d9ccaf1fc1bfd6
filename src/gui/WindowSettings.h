#pragma once

#include <QString>
#include <string>
#include <vector>

namespace zadaravod {

// What the editor keeps between runs outside any project, in the user's
// configuration folder (QSettings, "ZadarAvod/zadaravod"): the interface
// language, the recent projects and the import options of the window.

/// "ru" (the default) or "en".
QString storedLanguage();
void storeLanguage(const QString& language);

/// The import options of the window: trim silence and even out loudness on
/// the way in (both off by default).
struct ImportOptions {
    bool trim = false;
    bool normalize = false;
};
ImportOptions storedImportOptions();
void storeImportOptions(const ImportOptions& options);

std::vector<std::string> storedRecentProjects();
void storeRecentProjects(const std::vector<std::string>& projectFiles);

}  // namespace zadaravod

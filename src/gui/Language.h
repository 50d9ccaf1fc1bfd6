#pragma once

#include <QString>
#include <string>

namespace zadaravod {

// The interface language of the editor. Russian is the language the sources
// are written in, so it needs no translation of ours; English comes from the
// translation built into the program (":/i18n/zadaravod_en.qm"). Qt's own
// dialogs (standard buttons, file dialogs) follow through Qt's translation of
// the same language, taken from Qt's translations folder when it is there.

/// "ru", the source language and the default.
inline constexpr const char* kLanguageRussian = "ru";
/// "en".
inline constexpr const char* kLanguageEnglish = "en";

/// Whether `code` names a language the editor has ("ru" or "en").
bool isKnownLanguage(const QString& code);

/// Makes `code` the interface language of the running application: removes
/// the translations installed for the previous language and installs those
/// of `code` (ours for English, Qt's own for both). Qt then sends every
/// window a LanguageChange event. A missing translation file of Qt's is
/// skipped silently. Returns false and changes nothing for an unknown code;
/// needs a QCoreApplication.
bool applyLanguage(const QString& code);

/// The language applyLanguage() last made current; "ru" before any call.
QString currentLanguage();

/// Whether Qt's own translation for the current language was found and
/// installed (false for English, whose texts are Qt's sources).
bool qtTranslationLoaded();

/// A text of the layers below the window (a dialog title or label kept with
/// a dialog's rules, an export message) as the current language shows it.
/// The Russian texts and the export's Chinese messages have English
/// equivalents; anything else (the commands' English messages, file paths)
/// comes back unchanged. In Russian every text comes back unchanged.
QString coreText(const std::string& text);

}  // namespace zadaravod

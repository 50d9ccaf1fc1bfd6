// The interface language of the main window: switching it from the language
// menu, and showing every text of the window again when it changes.

#include <QAction>
#include <QEvent>

#include "gui/CLK_AppDlg.h"
#include "gui/CommandIds.h"
#include "gui/CommandState.h"
#include "gui/Language.h"
#include "gui/MainWindowTexts.h"
#include "gui/WindowSettings.h"

namespace zadaravod {

void CLK_AppDlg::setInterfaceLanguage(const QString& code) {
    if (!applyLanguage(code)) return;
    storeLanguage(code);
    // Qt posts the change to the windows; this one shows it at once.
    retranslate();
}

void CLK_AppDlg::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange && commandState_) retranslate();
    QMainWindow::changeEvent(event);
}

void CLK_AppDlg::retranslate() {
    retranslateMainWindow(*this, w_);
    // The undo and redo items name the step they take.
    commandState_->historyChanged();
    setWindowTitle(coreText(editor_->title()));
    showLanguageChecks();
}

void CLK_AppDlg::showLanguageChecks() {
    const bool english = currentLanguage() == QLatin1String(kLanguageEnglish);
    w_.actions.at(cmd::kEnglish)->setChecked(english);
    w_.actions.at(cmd::kCompanion)->setChecked(!english);
}

}  // namespace zadaravod

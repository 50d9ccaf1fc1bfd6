#pragma once

#include <QString>

class QMainWindow;

namespace zadaravod {

struct MainWindowWidgets;

/// The caption of command `id`'s action in the current interface language
/// (the menu item's text without its key), or an empty string for a command
/// whose caption is set elsewhere (the toolbar buttons, the language items).
QString commandCaption(int id);

/// The title of the menu with objectName `name` ("menu_file", ...) in the
/// current language; empty for an unknown name.
QString menuTitle(const QString& name);

/// Sets every text of the main window that its builder sets, in the current
/// language: the actions' captions, the menu titles, the toolbar's title
/// and its buttons' tips, and the labels of the controls. The two items of
/// the language menu keep their own names ("Русский", "English"). The
/// status bar panes, the undo and redo items and the window title carry
/// texts of the moment and are left to their owners.
void retranslateMainWindow(QMainWindow& window, const MainWindowWidgets& widgets);

}  // namespace zadaravod

#pragma once

#include <QLabel>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <string>

class QAction;
class QMenu;

namespace zadaravod {

/// The tip window beside an open menu: a borderless tool-tip coloured label
/// that sizes itself to its one-line text (margins 4 × 0) and shows after a
/// delay or at once, without taking the focus.
class CPopupText : public QLabel {
    Q_OBJECT
  public:
    explicit CPopupText(QWidget* owner = nullptr);

    /// Sets the text and resizes the window to fit it (it does not move).
    void setTipText(const QString& text);
    /// Shows after `delayMs` milliseconds, or at once for 0.
    void showDelayed(int delayMs);
    /// Stops a pending show and hides the tip.
    void cancel();

  private:
    QTimer timer_;
};

/// Shows each menu item's prompt beside the open menu: the tip's left edge on
/// the menu's right edge, its top at the item's row. The first tip of a menu
/// session comes after half a second; moving on while a tip shows replaces
/// it at once. Items without a prompt, grayed items, separators and popups
/// hide the tip, and so does the pointer leaving the menu.
class CMenuTipManager : public QObject {
    Q_OBJECT
  public:
    /// `prompt` gives an item's prompt by command id ("" for none).
    explicit CMenuTipManager(std::function<std::string(int id)> prompt, QObject* parent = nullptr);
    ~CMenuTipManager() override;

    static constexpr int kShowDelayMs = 500;

    /// Watches `menu` and all its sub-menus (added now or later).
    void install(QMenu* menu);
    /// The tip window (created on first use; null before).
    CPopupText* tip() const { return tip_; }

    /// Reacts to the hover of `action` in `menu` (public for tests).
    void itemHovered(QMenu* menu, QAction* action);
    /// The menu closed: hide the tip and forget that it was visible.
    void menuClosed();

  protected:
    /// Watches the pointer in the installed menus: leaving a menu hides the
    /// tip, and so does moving onto a grayed item (which Qt's menus do not
    /// highlight, so they report no hover for it).
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    /// Hides the tip, remembering whether it was visible so that the next
    /// tip of this menu session shows at once.
    void hideTip();

    std::function<std::string(int)> prompt_;
    QPointer<CPopupText> tip_;
    bool wasVisible_ = false;
};

/// The command id carried by an action's objectName "action_<id>" (0 if none).
int commandIdOf(const QAction* action);

}  // namespace zadaravod

#include "gui/MenuTips.h"

#include <QAction>
#include <QEvent>
#include <QMenu>
#include <QMouseEvent>

namespace zadaravod {

int commandIdOf(const QAction* action) {
    if (!action) return 0;
    const QString name = action->objectName();
    if (!name.startsWith(QStringLiteral("action_"))) return 0;
    bool ok = false;
    const int id = name.mid(7).toInt(&ok);
    return ok ? id : 0;
}

CPopupText::CPopupText(QWidget* owner)
    : QLabel(owner, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus) {
    setObjectName(QStringLiteral("menuTip"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setForegroundRole(QPalette::ToolTipText);
    setBackgroundRole(QPalette::ToolTipBase);
    setAutoFillBackground(true);
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    setAlignment(Qt::AlignCenter);
    setContentsMargins(4, 0, 4, 0);
    setWordWrap(false);
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, [this] {
        show();
        raise();
    });
}

void CPopupText::setTipText(const QString& text) {
    setText(text);
    resize(sizeHint());
}

void CPopupText::showDelayed(int delayMs) {
    if (delayMs > 0) {
        timer_.start(delayMs);
        return;
    }
    timer_.stop();
    show();
    raise();
    update();
}

void CPopupText::cancel() {
    timer_.stop();
    hide();
}

CMenuTipManager::CMenuTipManager(std::function<std::string(int)> prompt, QObject* parent)
    : QObject(parent), prompt_(std::move(prompt)) {}

CMenuTipManager::~CMenuTipManager() { delete tip_.data(); }

void CMenuTipManager::install(QMenu* menu) {
    menu->installEventFilter(this);
    connect(menu, &QMenu::hovered, this, [this, menu](QAction* a) { itemHovered(menu, a); });
    connect(menu, &QMenu::aboutToHide, this, [this] { menuClosed(); });
    for (QAction* a : menu->actions()) {
        if (QMenu* sub = a->menu()) install(sub);
    }
}

void CMenuTipManager::itemHovered(QMenu* menu, QAction* action) {
    if (!tip_) tip_ = new CPopupText(nullptr);
    if (!action || action->menu()) {
        tip_->cancel();
        wasVisible_ = false;
        return;
    }
    if (action->isSeparator() || !action->isEnabled()) {
        hideTip();
        return;
    }
    const bool showAtOnce = wasVisible_ || tip_->isVisible();
    wasVisible_ = showAtOnce;
    const std::string text = prompt_ ? prompt_(commandIdOf(action)) : std::string();
    if (text.empty()) {
        tip_->cancel();
        return;
    }
    // Only the first line of a prompt is the menu tip.
    QString line = QString::fromStdString(text);
    line = line.section(QLatin1Char('\n'), 0, 0);
    const QRect row = menu->actionGeometry(action);
    tip_->setTipText(line);
    tip_->move(menu->mapToGlobal(QPoint(menu->width(), row.top())));
    tip_->showDelayed(showAtOnce ? 0 : kShowDelayMs);
}

void CMenuTipManager::hideTip() {
    if (!tip_) return;
    wasVisible_ = wasVisible_ || tip_->isVisible();
    tip_->cancel();
}

bool CMenuTipManager::eventFilter(QObject* watched, QEvent* event) {
    auto* menu = qobject_cast<QMenu*>(watched);
    if (!menu || !tip_) return QObject::eventFilter(watched, event);
    if (event->type() == QEvent::Leave) {
        hideTip();
    } else if (event->type() == QEvent::MouseMove) {
        const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
        const QAction* under = menu->actionAt(at);
        if (under && !under->isSeparator() && !under->isEnabled()) hideTip();
    }
    return QObject::eventFilter(watched, event);
}

void CMenuTipManager::menuClosed() {
    if (tip_) tip_->cancel();
    wasVisible_ = false;
}

}  // namespace zadaravod

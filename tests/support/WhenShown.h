#pragma once

#include <QApplication>
#include <QDialog>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace zadaravod::test {

/// Watches the top-level windows every 10 ms from whatever event loop runs
/// (a modal dialog's, a progress dialog's) and hands the first visible one of
/// type T named `name` to `answer`, once. After five seconds without it, the
/// open modal dialog is rejected instead, so that a test whose window never
/// shows fails rather than hangs.
template <class T>
class WhenShown {
  public:
    WhenShown(const QString& name, std::function<void(T*)> answer) {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this, name, answer] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                auto* found = qobject_cast<T*>(w);
                if (found && found->isVisible() && found->objectName() == name) {
                    timer_.stop();
                    seen_ = true;
                    answer(found);
                    return;
                }
            }
            if (++ticks_ > 500) {
                timer_.stop();
                if (auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                    modal->reject();
                }
            }
        });
        timer_.start();
    }
    WhenShown(const WhenShown&) = delete;
    WhenShown& operator=(const WhenShown&) = delete;

    /// Whether the window showed and was answered.
    bool seen() const { return seen_; }

  private:
    QTimer timer_;
    int ticks_ = 0;
    bool seen_ = false;
};

}  // namespace zadaravod::test

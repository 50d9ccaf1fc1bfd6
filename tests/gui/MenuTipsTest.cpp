// The menu tips hide when the pointer highlights a grayed item and when it
// leaves the menu.

#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QTest>

#include "gui/CommandIds.h"
#include "gui/MenuTips.h"
#include "support/WindowFixture.h"

namespace zadaravod::test {
namespace {

/// Moves the pointer, as far as the menu can tell, to the middle of the row
/// of `action`.
void moveOnto(QMenu* menu, QAction* action) {
    const QPoint at = menu->actionGeometry(action).center();
    QMouseEvent move(QEvent::MouseMove, QPointF(at), QPointF(menu->mapToGlobal(at)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(menu, &move);
}

class MenuTipTest : public WindowTest {
  protected:
    /// Opens the "&Файл" menu and shows the tip of "Открыть" (enabled
    /// without a project), waiting out the first tip's delay.
    void showOpenTip() {
        window->show();
        file = window->findChild<QMenu*>(QStringLiteral("menu_file"));
        ASSERT_NE(file, nullptr);
        file->popup(window->mapToGlobal(QPoint(10, 10)));
        tips = window->menuTips();
        moveOnto(file, action(cmd::kOpen));
        tips->itemHovered(file, action(cmd::kOpen));
        ASSERT_NE(tips->tip(), nullptr);
        for (int i = 0; i < 100 && !tips->tip()->isVisible(); ++i) QTest::qWait(20);
        ASSERT_TRUE(tips->tip()->isVisible());
        ASSERT_EQ(tips->tip()->text(), QStringLiteral("Открыть проект"));
    }
    void TearDown() override {
        if (file) file->hide();
        WindowTest::TearDown();
    }

    QMenu* file = nullptr;
    CMenuTipManager* tips = nullptr;
};

TEST_F(MenuTipTest, AGrayedItemHidesTheTip) {
    ASSERT_NO_FATAL_FAILURE(showOpenTip());
    ASSERT_FALSE(action(cmd::kCloseProject)->isEnabled());  // no project
    moveOnto(file, action(cmd::kCloseProject));
    EXPECT_FALSE(tips->tip()->isVisible());
    // Back on an enabled item, the tip shows again at once.
    moveOnto(file, action(cmd::kNew));
    tips->itemHovered(file, action(cmd::kNew));
    EXPECT_TRUE(tips->tip()->isVisible());
    EXPECT_EQ(tips->tip()->text(), QStringLiteral("Новый проект"));
    // A style that highlights grayed items reports the hover: no tip either.
    tips->itemHovered(file, action(cmd::kSave));
    EXPECT_FALSE(tips->tip()->isVisible());
}

TEST_F(MenuTipTest, LeavingTheMenuHidesTheTip) {
    ASSERT_NO_FATAL_FAILURE(showOpenTip());
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(file, &leave);
    EXPECT_FALSE(tips->tip()->isVisible());
    // Nor does a pending tip come back by its timer.
    QTest::qWait(CMenuTipManager::kShowDelayMs + 100);
    EXPECT_FALSE(tips->tip()->isVisible());
}

}  // namespace
}  // namespace zadaravod::test

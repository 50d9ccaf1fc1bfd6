// The application set-up of the editor: captions stay exactly as each window
// sets them, and number conversions below the window keep the C locale.

#include <QApplication>
#include <clocale>
#include <string>

#include "gui/CLK_AppApp.h"
#include "support/DecimalCommaLocale.h"
#include "support/WindowFixture.h"

namespace zadaravod::test {
namespace {

TEST(Application, SetsNoDisplayNameThatThePlatformWouldAppendToCaptions) {
    ensureApplication();
    CLK_AppApp::configureApplication();
    EXPECT_EQ(QApplication::applicationName(), QStringLiteral("zadaravod"));
    EXPECT_EQ(QApplication::desktopFileName(), QStringLiteral("zadaravod"));
    // Without a display name of its own the application's name stands in,
    // and the platform appends nothing to a window's caption.
    EXPECT_EQ(QApplication::applicationDisplayName(), QApplication::applicationName());
}

TEST(Application, PutsTheCLibraryNumbersBackToTheCLocale) {
    ensureApplication();
    DecimalCommaLocale comma;  // what QApplication installs for a Russian user
    ZADARAVOD_NEED_DECIMAL_COMMA(comma);
    CLK_AppApp::configureApplication();
    EXPECT_EQ(std::string(std::setlocale(LC_NUMERIC, nullptr)), "C");
    EXPECT_EQ(DecimalCommaLocale::printed(), "3.17");
}

}  // namespace
}  // namespace zadaravod::test

#include "support/QtTestApplication.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <memory>

// LeakSanitizer: fontconfig keeps its caches until the process ends, which
// the sanitizer reports as leaks of ours. Only sanitized builds ask for this.
extern "C" __attribute__((used)) const char* __lsan_default_suppressions() {
    return "leak:libfontconfig\n";
}

namespace zadaravod::test {

namespace {

std::unique_ptr<QApplication>& application() {
    static std::unique_ptr<QApplication> instance;
    return instance;
}

/// Destroys the application after the last test.
class QtEnvironment : public ::testing::Environment {
  public:
    void TearDown() override { application().reset(); }
};

[[maybe_unused]] ::testing::Environment* const qtEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace

void ensureApplication() {
    if (QApplication::instance()) return;
    // The tests never need a screen; ctest's environment may not say so.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "zadaravod_gui_tests";
    static char* argv[] = {name, nullptr};
    application() = std::make_unique<QApplication>(argc, argv);
    // Settings the window keeps between runs go to a test location, never
    // into the user's own configuration.
    QStandardPaths::setTestModeEnabled(true);
    // And to a folder of this process alone: ctest runs test programs side
    // by side, and one test's clean start must not wipe another's settings.
    static QTemporaryDir settingsFolder;
    if (settingsFolder.isValid()) {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsFolder.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsFolder.path());
    }
}

}  // namespace zadaravod::test

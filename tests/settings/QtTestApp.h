#pragma once

#include <QApplication>

// LeakSanitizer: fontconfig keeps its caches until the process ends, which
// the sanitizer reports as leaks of ours. Only sanitized builds ask for this.
// Include this header from one source file of each test program only.
extern "C" __attribute__((used)) const char* __lsan_default_suppressions() { return "leak:libfontconfig\n"; }

namespace zadaravod::test {

/// The one QApplication of a GUI test, on the offscreen platform unless the
/// environment names another. Never destroyed: tearing Qt down during static
/// destruction crashes.
inline QApplication& qtApplication() {
    static int argc = 1;
    static char name[] = "settings_gui_tests";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

}  // namespace zadaravod::test

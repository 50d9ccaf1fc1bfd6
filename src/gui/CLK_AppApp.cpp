#include "gui/CLK_AppApp.h"

#include <QApplication>
#include <QIcon>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "gui/CLK_AppDlg.h"

namespace zadaravod {
namespace {

constexpr const char* kNoDisplayText =
    "zadaravod: no display is available (DISPLAY and WAYLAND_DISPLAY are not set or cannot be "
    "reached).\nStart it inside a desktop session, set QT_QPA_PLATFORM=offscreen for a window "
    "without a screen, or use zadaravod-cli.\n";

bool isSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

/// While the Qt application starts, a platform plugin that cannot connect
/// ends the process with this message instead of an abort.
void startupMessageHandler(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type == QtFatalMsg) {
        std::fputs(kNoDisplayText, stderr);
        std::fprintf(stderr, "(%s)\n", text.toLocal8Bit().constData());
        std::fflush(stderr);
        std::_Exit(CLK_AppApp::kNoDisplayStatus);
    }
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

}  // namespace

bool CLK_AppApp::displayNamed() {
    return isSet("QT_QPA_PLATFORM") || isSet("DISPLAY") || isSet("WAYLAND_DISPLAY");
}

void CLK_AppApp::configureApplication() {
    // No display name: the platform would append it to every caption
    // ("Close Project — LARK40 ZadarAvod"), and each window carries its own.
    QApplication::setApplicationName(QStringLiteral("zadaravod"));
    QApplication::setDesktopFileName(QStringLiteral("zadaravod"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/zadaravod.svg")));
    // QApplication has installed the user's locale into the C library; number
    // conversions in the layers below (printf, strtod in the workbook and
    // audio libraries) keep the C locale's '.' before decimals.
    std::setlocale(LC_NUMERIC, "C");
}

int CLK_AppApp::run(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::puts(
                "Usage: zadaravod [<project file>]\nThe LARK40 flash image editor; a "
                "project file named here is opened at start.\nWithout a display, use "
                "zadaravod-cli.");
            return 0;
        }
    }
    if (!displayNamed()) {
        std::fputs(kNoDisplayText, stderr);
        return kNoDisplayStatus;
    }
    const QtMessageHandler previous = qInstallMessageHandler(startupMessageHandler);
    QApplication app(argc, argv);
    qInstallMessageHandler(previous);
    configureApplication();

    CLK_AppDlg window(AppPaths::ofRunningExecutable());
    window.show();
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1) window.openProjectFile(arguments.at(1).toStdString());
    return QApplication::exec();
}

}  // namespace zadaravod

#include "gui/CLK_AppApp.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>
#include <clocale>
#include <cstdio>
#include <cstdlib>

#include "gui/CLK_AppDlg.h"
#include "gui/Language.h"
#include "gui/WindowSettings.h"

#ifndef ZADARAVOD_VERSION
#error "ZADARAVOD_VERSION must name the version"
#endif

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

StartOptions CLK_AppApp::parseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "The LARK40 flash image editor; a project file named here is opened at start.\n"
        "Without a display, use zadaravod-cli."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and exit."));
    const QCommandLineOption version(QStringLiteral("version"),
                                     QStringLiteral("Show the version and exit."));
    const QCommandLineOption lang(
        QStringLiteral("lang"),
        QStringLiteral("The interface language for this run: ru or en (the menu's choice is "
                       "kept for later runs; this is not)."),
        QStringLiteral("ru|en"));
    parser.addOptions({help, version, lang});
    parser.addPositionalArgument(
        QStringLiteral("project"),
        QStringLiteral("A project to open: its folder (name.winproj) or its project file."),
        QStringLiteral("[<project>]"));

    StartOptions options;
    const auto usageError = [&](const QString& what) {
        options.exitStatus = kUsageStatus;
        options.output = QStringLiteral("zadaravod: %1\nTry 'zadaravod --help'.\n").arg(what);
        return options;
    };
    if (!parser.parse(arguments)) return usageError(parser.errorText());
    if (parser.isSet(help)) {
        options.exitStatus = 0;
        // Without an application object the parser cannot name the program.
        options.output = parser.helpText().replace(QStringLiteral("<executable_name>"),
                                                   QStringLiteral("zadaravod"));
        return options;
    }
    if (parser.isSet(version)) {
        options.exitStatus = 0;
        options.output = QStringLiteral("zadaravod %1\n").arg(QLatin1String(ZADARAVOD_VERSION));
        return options;
    }
    if (parser.isSet(lang)) {
        options.language = parser.value(lang);
        if (!isKnownLanguage(options.language)) {
            return usageError(QStringLiteral("unknown language '%1' for --lang; use ru or en.")
                                  .arg(options.language));
        }
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.size() > 1) return usageError(QStringLiteral("name one project file at most."));
    if (!positional.isEmpty()) options.projectFile = positional.front();
    return options;
}

QString CLK_AppApp::startLanguage(const StartOptions& options) {
    // --lang holds for this run only; the language menu's choice is kept.
    return options.language.isEmpty() ? storedLanguage() : options.language;
}

int CLK_AppApp::run(int argc, char** argv) {
    // The command line is read before any window system is asked for, so
    // --help, --version and a usage error need no display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    const StartOptions options = parseCommandLine(arguments);
    if (options.exitStatus) {
        std::fputs(options.output.toLocal8Bit().constData(),
                   *options.exitStatus == 0 ? stdout : stderr);
        return *options.exitStatus;
    }
    if (!displayNamed()) {
        std::fputs(kNoDisplayText, stderr);
        return kNoDisplayStatus;
    }
    const QtMessageHandler previous = qInstallMessageHandler(startupMessageHandler);
    QApplication app(argc, argv);
    qInstallMessageHandler(previous);
    configureApplication();
    applyLanguage(startLanguage(options));

    CLK_AppDlg window(AppPaths::ofRunningExecutable());
    window.show();
    if (!options.projectFile.isEmpty()) window.openProjectFile(options.projectFile.toStdString());
    return QApplication::exec();
}

}  // namespace zadaravod

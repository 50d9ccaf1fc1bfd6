// V31O_DivaD_EN: writes a LARK40 flash image into the SPI flash with flashrom.
// With a job (--write, --detect, --read, --verify), --help or --version it
// runs without a window (for scripts); otherwise it opens its window with the
// image given as its parameter.
#include <QApplication>
#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

#include "downloader/CommandLine.h"
#include "downloader/DownloadWindow.h"

namespace {

using namespace zadaravod::download;

class ConsoleObserver : public DownloadObserver {
  public:
    explicit ConsoleObserver(bool verbose) : verbose_(verbose) {}
    void step(const std::string& text, int percent) override {
        std::cout << "[" << percent << "%] " << text << std::endl;
    }
    void outputLine(const std::string& line) override {
        if (verbose_) std::cout << "  flashrom: " << line << '\n';
    }

  private:
    bool verbose_;
};

/// The name the utility was started by (a link on the PATH has its own).
std::string programName(const char* argv0) {
    std::string name = argv0 != nullptr ? argv0 : "V31O_DivaD_EN";
    const auto slash = name.rfind('/');
    return slash == std::string::npos ? name : name.substr(slash + 1);
}

std::string& startedAs() {
    static std::string name;
    return name;
}

/// While the Qt application starts, a platform plugin that cannot connect
/// (a DISPLAY that names no reachable server) ends the process with the
/// utility's message instead of Qt's abort and its core dump.
void startupMessageHandler(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type == QtFatalMsg) {
        std::fputs(noDisplayText(startedAs()).c_str(), stderr);
        std::fprintf(stderr, "(%s)\n", text.toLocal8Bit().constData());
        std::fflush(stderr);
        std::_Exit(kExitUsage);
    }
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

std::vector<std::string> argumentsOf(const QStringList& arguments) {
    std::vector<std::string> out;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        out.push_back(arguments[i].toLocal8Bit().toStdString());
    }
    return out;
}

/// Runs without a window: a job, the help, the version, or the message that
/// the window cannot be shown.
int runWithoutWindow(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const DownloaderArguments args = parseDownloaderArguments(argumentsOf(app.arguments()));
    if (!args.error.empty()) {
        std::cerr << args.error << "\n\n" << downloaderHelp();
        return kExitUsage;
    }
    if (args.help) {
        std::cout << downloaderHelp();
        return kExitDone;
    }
    if (args.version) {
        std::cout << versionText();
        return kExitDone;
    }
    if (args.window) {
        std::cerr << noDisplayText(startedAs());
        return kExitUsage;
    }
    SystemProcessRunner runner;
    ConsoleObserver observer(args.verbose);
    const DownloadReport report = runJob(args.request, runner, &observer);
    (report.ok ? std::cout : std::cerr) << report.message << '\n';
    return report.ok ? kExitDone : kExitFailed;
}

}  // namespace

int main(int argc, char** argv) {
    startedAs() = programName(argc > 0 ? argv[0] : nullptr);
    bool withoutWindow = !displayNamed();
    for (int i = 1; i < argc; ++i) withoutWindow = withoutWindow || namesAJobOrHelp(argv[i]);
    if (withoutWindow) return runWithoutWindow(argc, argv);

    const QtMessageHandler previous = qInstallMessageHandler(startupMessageHandler);
    QApplication app(argc, argv);  // takes Qt's own options out of the arguments
    qInstallMessageHandler(previous);
    const DownloaderArguments args = parseDownloaderArguments(argumentsOf(app.arguments()));
    if (!args.error.empty()) {
        std::cerr << args.error << "\n\n" << downloaderHelp();
        return kExitUsage;
    }
    DownloadWindow window(args.request);
    window.show();
    return app.exec();
}

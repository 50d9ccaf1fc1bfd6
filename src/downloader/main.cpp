// V31O_DivaD_EN: writes a LARK40 flash image into the SPI flash with flashrom.
// With --write it runs without a window (for scripts); otherwise it opens its
// window with the image given as its parameter.
#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>

#include "downloader/CommandLine.h"
#include "downloader/DownloadWindow.h"

namespace {

class ConsoleObserver : public zadaravod::download::DownloadObserver {
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

/// While the Qt application starts, a platform plugin that cannot connect
/// (a DISPLAY that names no reachable server) ends the process with the
/// utility's message instead of Qt's abort and its core dump.
void startupMessageHandler(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type == QtFatalMsg) {
        std::fputs(zadaravod::download::noDisplayText().c_str(), stderr);
        std::fprintf(stderr, "(%s)\n", text.toLocal8Bit().constData());
        std::fflush(stderr);
        std::_Exit(zadaravod::download::kExitNoDisplay);
    }
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

std::vector<std::string> argumentsOf(int argc, char** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    return args;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace zadaravod::download;
    bool headless = false;
    for (int i = 1; i < argc; ++i) {
        headless = headless || std::strcmp(argv[i], "--write") == 0 ||
                   std::strcmp(argv[i], "-w") == 0 || std::strcmp(argv[i], "--help") == 0 ||
                   std::strcmp(argv[i], "-h") == 0;
    }
    if (headless) {
        const DownloaderArguments args = parseDownloaderArguments(argumentsOf(argc, argv));
        if (args.help) {
            std::cout << downloaderUsage();
            return kExitWritten;
        }
        if (!args.error.empty()) {
            std::cerr << args.error << '\n' << downloaderUsage();
            return kExitUsage;
        }
        SystemProcessRunner runner;
        ConsoleObserver observer(args.verbose);
        const DownloadReport report = runDownload(args.request, runner, &observer);
        (report.ok ? std::cout : std::cerr) << report.message << '\n';
        return report.ok ? kExitWritten : kExitFailed;
    }

    if (!displayNamed()) {
        std::cerr << noDisplayText();
        return kExitNoDisplay;
    }
    const QtMessageHandler previous = qInstallMessageHandler(startupMessageHandler);
    QApplication app(argc, argv);  // takes Qt's own options out of argv
    qInstallMessageHandler(previous);
    const DownloaderArguments args = parseDownloaderArguments(argumentsOf(argc, argv));
    if (!args.error.empty()) {
        std::cerr << args.error << '\n' << downloaderUsage();
        return kExitUsage;
    }
    DownloadWindow window(args.request);
    window.show();
    return app.exec();
}

#include "downloader/CommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdlib>

#ifndef ZADARAVOD_VERSION
#error "ZADARAVOD_VERSION must name the version"
#endif

namespace zadaravod::download {

namespace {

/// The options, in the order the help lists them.
struct Options {
    QCommandLineOption write{{"w", "write"},
                             "Write <image> into the flash without a window, read it back and "
                             "compare."};
    QCommandLineOption backup{
        "backup", "With --write: first save the chip's present content into <file>.", "file"};
    QCommandLineOption detect{"detect", "Name the programmer's chip and its size."};
    QCommandLineOption read{"read", "Save the chip's whole content into <file>.", "file"};
    QCommandLineOption verify{"verify", "Compare the chip with <image>, writing nothing.", "image"};
    QCommandLineOption programmer{{"p", "programmer"},
                                  "A flashrom programmer string (default ch341a_spi), e.g. "
                                  "\"dummy:emulate=SST25VF032B,image=chip.bin\".",
                                  "P",
                                  kDefaultProgrammer};
    QCommandLineOption chip{{"c", "chip"},
                            "The chip's name, when flashrom finds several that "
                            "match.",
                            "C"};
    QCommandLineOption flashrom{"flashrom",
                                "The flashrom program (default: flashrom on the PATH, else in "
                                "/usr/local/sbin, /usr/sbin or /sbin).",
                                "F"};
    QCommandLineOption verbose{{"v", "verbose"}, "Print flashrom's output."};
    QCommandLineOption version{"version", "Print the version."};
};

const Options& options() {
    static const Options o;
    return o;
}

void describe(QCommandLineParser& parser) {
    const Options& o = options();
    parser.setApplicationDescription(
        "Writes a LARK40 flash image into the SPI flash with flashrom. Without a job it opens "
        "its window with <image> chosen.\n"
        "Jobs without a window: --write <image> [--backup <file>], --detect, --read <file>, "
        "--verify <image>.\n"
        "Exit status: 0 done, 1 the job failed (or the chip differs from the image), 2 bad "
        "arguments, or no display for the window.\n"
        "Example: V31O_DivaD_EN --write --backup old.bin --programmer ch341a_spi demo.winproj.bin");
    parser.addHelpOption();
    parser.addOptions({o.write, o.backup, o.detect, o.read, o.verify, o.programmer, o.chip,
                       o.flashrom, o.verbose, o.version});
    parser.addPositionalArgument("image", "The image file (*.bin) to write.", "[image]");
}

}  // namespace

DownloaderArguments parseDownloaderArguments(const std::vector<std::string>& arguments) {
    DownloaderArguments out;
    QCommandLineParser parser;
    describe(parser);
    QStringList list{"V31O_DivaD_EN"};
    for (const std::string& a : arguments) list << QString::fromLocal8Bit(a);
    if (!parser.parse(list)) {
        out.error = parser.errorText().toStdString();
        if (!out.error.empty() && out.error.back() != '.') out.error += '.';
        return out;
    }
    const Options& o = options();
    out.help = parser.isSet("help") || parser.isSet("help-all");
    out.version = parser.isSet(o.version);
    out.verbose = parser.isSet(o.verbose);
    DownloadRequest& r = out.request;
    r.programmer = parser.value(o.programmer).trimmed().toStdString();
    r.chip = parser.value(o.chip).toStdString();
    r.flashrom = parser.value(o.flashrom).toStdString();
    r.backupPath = parser.value(o.backup).toStdString();
    r.imagePath = parser.positionalArguments().join(' ').toStdString();

    int jobs = 0;
    if (parser.isSet(o.write)) {
        r.action = Action::Write;
        ++jobs;
    }
    if (parser.isSet(o.detect)) {
        r.action = Action::Detect;
        ++jobs;
    }
    if (parser.isSet(o.read)) {
        r.action = Action::Read;
        r.readPath = parser.value(o.read).toStdString();
        ++jobs;
    }
    if (parser.isSet(o.verify)) {
        r.action = Action::Verify;
        r.imagePath = parser.value(o.verify).toStdString();
        ++jobs;
    }
    out.window = jobs == 0;
    if (out.help || out.version) return out;

    const bool takesImageArgument = out.window || r.action == Action::Write;
    if (jobs > 1) {
        out.error = "Give one job at a time: --write, --detect, --read or --verify.";
    } else if (!takesImageArgument && !parser.positionalArguments().isEmpty()) {
        out.error = "Unexpected argument \"" +
                    parser.positionalArguments().join(' ').toStdString() +
                    "\": --detect, --read and --verify take no image argument.";
    } else if (parser.isSet(o.backup) && (out.window || r.action != Action::Write)) {
        out.error = "--backup goes with --write.";
    } else if (parser.isSet(o.backup) && r.backupPath.empty()) {
        out.error = "--backup needs the file that receives the chip's content.";
    } else if (!out.window && r.action == Action::Write && r.imagePath.empty()) {
        out.error = "--write needs the image file.";
    } else if (r.action == Action::Read && r.readPath.empty()) {
        out.error = "--read needs the file that receives the chip's content.";
    } else if (r.action == Action::Verify && r.imagePath.empty()) {
        out.error = "--verify needs the image file.";
    } else if (r.programmer.empty()) {
        out.error = "--programmer needs a flashrom programmer, for example ch341a_spi.";
    }
    return out;
}

bool namesAJobOrHelp(const std::string& argument) {
    for (const char* name :
         {"--write", "--detect", "--read", "--verify", "--help", "--help-all", "--version"}) {
        const std::string n = name;
        if (argument == n || argument.rfind(n + "=", 0) == 0) return true;
    }
    return argument == "-w" || argument == "-h" || argument == "-?";
}

std::string downloaderHelp() {
    QCommandLineParser parser;
    describe(parser);
    return parser.helpText().toStdString();
}

std::string versionText() { return std::string("V31O_DivaD_EN ") + ZADARAVOD_VERSION + "\n"; }

namespace {
bool isSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}
}  // namespace

bool displayNamed() {
    return isSet("QT_QPA_PLATFORM") || isSet("DISPLAY") || isSet("WAYLAND_DISPLAY");
}

std::string noDisplayText(const std::string& program) {
    return program +
           ": no display is available for the window (DISPLAY and WAYLAND_DISPLAY are not set "
           "or cannot be reached).\nStart it inside a desktop session, or use it without a "
           "window:\n  " +
           program + " --write [--backup <file>] [--programmer P] <image>\n  " + program +
           " --detect [--programmer P]\n  " + program + " --read <file> [--programmer P]\n  " +
           program + " --verify <image> [--programmer P]\n" + program +
           " --help lists every option.\n";
}

}  // namespace zadaravod::download

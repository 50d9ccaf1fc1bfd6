#include "downloader/CommandLine.h"

#include <cstdlib>

namespace zadaravod::download {

DownloaderArguments parseDownloaderArguments(const std::vector<std::string>& arguments) {
    DownloaderArguments out;
    std::vector<std::string> positional;
    bool onlyPositional = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        if (onlyPositional || a.empty() || a[0] != '-' || a == "-") {
            positional.push_back(a);
            continue;
        }
        if (a == "--") {
            onlyPositional = true;
            continue;
        }
        auto value = [&](const std::string& name, std::string& target) {
            const std::string prefix = name + "=";
            if (a.rfind(prefix, 0) == 0) {
                target = a.substr(prefix.size());
                return true;
            }
            if (a != name) return false;
            if (i + 1 >= arguments.size()) {
                out.error = name + " needs a value.";
            } else {
                target = arguments[++i];
            }
            return true;
        };
        if (a == "--write" || a == "-w") {
            out.write = true;
        } else if (a == "--verbose" || a == "-v") {
            out.verbose = true;
        } else if (a == "--help" || a == "-h") {
            out.help = true;
        } else if (value("--programmer", out.request.programmer) ||
                   value("-p", out.request.programmer) || value("--chip", out.request.chip) ||
                   value("-c", out.request.chip) || value("--flashrom", out.request.flashrom)) {
            if (!out.error.empty()) return out;
        } else {
            out.error = "Unknown option " + a + ".";
            return out;
        }
    }
    for (std::size_t i = 0; i < positional.size(); ++i) {
        if (i) out.request.imagePath += ' ';
        out.request.imagePath += positional[i];
    }
    if (out.write && !out.help && out.request.imagePath.empty()) {
        out.error = "--write needs the image file.";
    }
    if (out.request.programmer.empty() && out.error.empty()) {
        out.error = "--programmer needs a flashrom programmer, for example ch341a_spi.";
    }
    return out;
}

std::string downloaderUsage() {
    return "Usage:\n"
           "  V31O_DivaD_EN [<image>]\n"
           "      the window: shows what the image holds and writes it into the flash\n"
           "  V31O_DivaD_EN --write [--programmer P] [--chip C] [--flashrom F] [--verbose] "
           "<image>\n"
           "      writes the image without a window, reads it back and compares\n"
           "Options:\n"
           "  --programmer P  a flashrom programmer string (default ch341a_spi), e.g.\n"
           "                  \"dummy:emulate=SST25VF032B,image=chip.bin\"\n"
           "  --chip C        the chip name, when flashrom finds several that match\n"
           "  --flashrom F    the flashrom program (default: flashrom on the PATH, else\n"
           "                  in /usr/local/sbin, /usr/sbin or /sbin)\n"
           "  --verbose       print flashrom's output\n"
           "Exit status: 0 written and verified, 1 failed, 2 bad arguments, 3 no display\n"
           "for the window.\n";
}

namespace {
bool isSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}
}  // namespace

bool displayNamed() {
    return isSet("QT_QPA_PLATFORM") || isSet("DISPLAY") || isSet("WAYLAND_DISPLAY");
}

std::string noDisplayText() {
    return "V31O_DivaD_EN: no display is available for the window (DISPLAY and WAYLAND_DISPLAY "
           "are not set or cannot be reached).\nStart it inside a desktop session, or write "
           "without a window:\n  V31O_DivaD_EN --write --programmer ch341a_spi <image>\n";
}

}  // namespace zadaravod::download

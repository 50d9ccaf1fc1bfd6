// build and inspect: the flash image from a project, and an image read back.
#include <CLI/CLI.hpp>

#include <iostream>

#include "cli/Cli.h"
#include "cli/Json.h"
#include "commands/Build.h"
#include "format/ImageFormat.h"
#include "format/ImageReader.h"
#include "io/AtomicFile.h"

namespace zadaravod::cli {

namespace {

struct Arguments {
    std::string project;
    std::string image;
    bool json = false;
    std::string extract;
    bool force = false;
};

/// What --extract may write without --force.
constexpr std::uint64_t kExtractBudget = std::uint64_t{256} << 20;

void printText(const image::ImageReading& r) {
    std::cout << "Image: " << r.fileBytes << " bytes\n"
              << "Control mode: " << image::controlModeName(r.controlMode) << " (code 0x"
              << std::hex << static_cast<int>(r.modeCode) << std::dec << ")\n"
              << "Output: " << audioOutputName(r.audioOutput)
              << ", busy level: " << lowerCase(busyLevelName(r.busyLevel))
              << ", pull-up: " << (r.pullUp ? "on" : "off") << "\n"
              << "Flash: "
              << (r.flashSizeIndex >= 0 ? flashSizeCaption(r.flashSizeIndex) : "unknown")
              << ", list count byte: " << static_cast<int>(r.listCountByte) << "\n";
    std::cout << "Keys:\n";
    for (const auto& k : r.keys) {
        std::cout << "  key " << k.key << ": function ";
        if (k.function >= 0)
            std::cout << k.function << " (" << keyFunctionName(k.function) << ")";
        else
            std::cout << "-";
        std::cout << ", list " << (k.list >= 0 ? listNumberText(k.list) : std::string("-")) << "\n";
    }
    std::cout << "Playlists:\n";
    for (int n = 0; n < kPlaylistCount; ++n) {
        const auto& items = r.playlists[static_cast<std::size_t>(n)];
        if (items.empty()) continue;
        std::cout << "  " << listNumberText(n) << ":";
        for (const auto& it : items) {
            if (it.isSound)
                std::cout << " " << it.soundIndex + 1;
            else
                std::cout << " " << it.silenceMs << "ms";
        }
        std::cout << "\n";
    }
    std::cout << "Sounds: " << r.libraryCount << " in the library\n";
    for (int k = 0; k < r.libraryCount; ++k) {
        const auto& s = r.sounds[static_cast<std::size_t>(k)];
        std::cout << "  " << k + 1 << ": " << s.sampleRate << " Hz, at 0x" << std::hex << s.address
                  << std::dec << ", " << s.element.elementBytes() << " bytes, "
                  << s.element.sampleCount << " samples\n";
    }
}

}  // namespace

void addImageCommands(CLI::App& app, Session& session) {
    static Arguments args;

    auto* build = app.add_subcommand("build", "Build the flash image of a project");
    build->add_option("project", args.project, "Project folder or project file")->required();
    build->callback([&session] {
        session.edit(args.project, [&](Project& project) -> Done {
            const Console::StopOnInterrupt ctrlCStops;
            const Result<std::uint64_t> built = buildImage(project, session.paths, session.console);
            if (!built) return built.error();
            std::cout << project.imagePath() << "\n";
            return {};
        });
    });

    auto* inspect = app.add_subcommand("inspect", "Read a flash image back");
    inspect->add_option("image", args.image, "Flash image file")->required();
    inspect->add_flag("--json", args.json, "Print the reading as JSON");
    auto* extract = inspect->add_option(
        "--extract", args.extract,
        "Write every sound and every non-empty list as WAV files into this folder");
    inspect
        ->add_flag("--force", args.force,
                   "With --extract: write even when the files would pass 256 MB in all")
        ->needs(extract);
    inspect->callback([&session] {
        if (session.refuseStandardStream(
                {{args.image, "the image"}, {args.extract, "the --extract folder"}})) {
            return;
        }
        std::string bytes, error;
        if (!readWholeFile(args.image, bytes, error, std::uintmax_t{1} << 30)) {
            return session.refuse(error);
        }
        const std::span<const std::uint8_t> data(
            reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
        image::ImageReading reading;
        const bool whole = image::readImage(data, reading);
        if (whole) {
            if (args.json)
                std::cout << imageJson(reading).dump(2) << "\n";
            else
                printText(reading);
        }
        std::vector<std::string> problems = reading.problems;
        if (whole && !args.extract.empty()) {
            const std::uint64_t planned = image::extractionBytes(reading);
            if (planned > kExtractBudget && !args.force) {
                problems.push_back("The extraction would write " + std::to_string(planned >> 20) +
                                   " MB of WAV files, more than the 256 MB allowed; nothing was "
                                   "written. Give --force to write them anyway.");
            } else {
                const auto more = image::extractImage(data, reading, args.extract);
                problems.insert(problems.end(), more.begin(), more.end());
            }
        }
        for (const auto& p : problems) std::cerr << p << "\n";
        if (!problems.empty()) session.exitCode = kExitRefused;
    });
}

}  // namespace zadaravod::cli

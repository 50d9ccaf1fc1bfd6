// import, remove, clear-library, music load/clear, convert: the audio
// commands of the editor, with the values taken from the arguments (and the
// treatment options of PromptCommands.cpp on import, music load and convert).
#include <CLI/CLI.hpp>

#include <iostream>
#include <optional>
#include <vector>

#include "cli/Cli.h"
#include "commands/BackgroundMusic.h"
#include "commands/Conversion.h"
#include "commands/Library.h"
#include "commands/PromptTools.h"
#include "model/SamplingRates.h"

namespace zadaravod::cli {

namespace {

struct Arguments {
    std::string project;
    std::vector<std::string> files;
    int number = 0;
    std::string musicFile;
    std::optional<int> musicRate;
    std::string source;
    std::string output;
    std::optional<int> convertRate;
    SoundTreatment treatment;
};
Arguments args;

Done importFiles(Project& project, Messenger& console) {
    std::vector<std::string> files;
    for (const auto& f : args.files) files.push_back(absolutePath(f));
    const std::size_t before = project.library.count();
    const Console::StopOnInterrupt ctrlCStops;
    const Result<ImportReport> report = importSounds(project, console, files, args.treatment);
    std::cout << "Added " << project.library.count() - before << " of " << files.size()
              << " file(s); the library holds " << project.library.count() << " of "
              << kLibraryCapacity << " sounds.\n";
    if (!report) return report.error();
    // A skipped file was told already; the run still says it did not all.
    if (report.value().skipped > 0) return Message{};
    return {};
}

Done removeNumbered(Project& project, Messenger& console) {
    const auto count = static_cast<int>(project.library.count());
    if (args.number < 1 || args.number > count) {
        return failure(count == 0 ? std::string("The sound library is empty.")
                                  : "There is no sound " + std::to_string(args.number) +
                                        " in the library; give 1.." + std::to_string(count) + ".");
    }
    const std::string name = project.library.at(static_cast<std::size_t>(args.number - 1)).name;
    const Result<int> removed = removeSound(project, console, args.number - 1);
    // The record goes even when its file cannot be deleted.
    if (project.library.count() < static_cast<std::size_t>(count) &&
        (!removed || removed.value() == 0)) {
        std::cout << "Removed " << name << ".\n";
    }
    if (!removed) return removed.error();
    return {};
}

Done loadMusicFile(Project& project, Messenger& console) {
    const std::string path = absolutePath(args.musicFile);
    const Done loaded = loadMusic(project, path, args.musicRate, args.treatment, &console);
    if (!loaded) return loaded;
    if (args.musicRate) {
        const Result<std::optional<int>> limit = musicRateLimit(path);
        if (limit && !limit.value()) {
            std::cerr << "--rate is not used: the WAV file is copied unchanged.\n";
        }
    }
    std::cout << "Background music: " << project.backgroundMusic.at(0).name << ".\n";
    return {};
}

void runConvert(Session& session) {
    if (session.refuseStandardStream({{args.source, "the source sound file"}})) return;
    if (!args.convertRate) {
        return session.usage("convert needs --rate <hz> with one of these rates (Hz): " +
                             rateListText(kSupportedRates.back()));
    }
    const std::string source = absolutePath(args.source);
    const auto convertInto = [&](const std::string& output) {
        return convertSound(source, output, *args.convertRate, args.treatment, &session.console);
    };
    if (isStandardStream(args.output)) {
        session.writeToStandardOutput("converted.wav", convertInto);
    } else if (const Done converted = convertInto(absolutePath(args.output)); !converted) {
        session.refuse(converted.error());
    }
    if (session.exitCode == kExitOk) {
        session.console.message("MP3/WMA to WAV Convert OK!", kAppCaption, MessageIcon::None);
    }
}

}  // namespace

void addAudioCommands(CLI::App& app, Session& session) {
    auto* importCommand = app.add_subcommand("import", "Load sound files into the sound library");
    importCommand->add_option("project", args.project, "Project folder or project file")
        ->required();
    importCommand->add_option("files", args.files, "WAV, MP3, WMA or other sound files")
        ->required();
    addTreatmentOptions(*importCommand, args.treatment);
    importCommand->callback([&session] {
        if (session.refuseStandardStream(args.files, "a sound file")) return;
        session.edit(args.project,
                     [&](Project& project) { return importFiles(project, session.console); });
    });

    auto* remove = app.add_subcommand("remove", "Delete a sound from the library (1-based No.)");
    remove->add_option("project", args.project, "Project folder or project file")->required();
    remove->add_option("no", args.number, "The sound's number in the library, from 1")
        ->required()
        ->check(numberFromOne());
    remove->callback([&session] {
        session.edit(args.project,
                     [&](Project& project) { return removeNumbered(project, session.console); });
    });

    auto* clear =
        app.add_subcommand("clear-library", "Delete every library sound and empty every playlist");
    clear->add_option("project", args.project, "Project folder or project file")->required();
    clear->callback([&session] {
        session.edit(args.project, [&](Project& project) -> Done {
            const Result<int> failed = clearSounds(project, session.console);
            if (!failed) return failed.error();
            if (failed.value() > 0) return Message{};  // each one was told
            return {};
        });
    });

    auto* music = app.add_subcommand("music", "Load or clear the background music");
    music->add_option("project", args.project, "Project folder or project file")->required();
    music->require_subcommand(1);
    auto* load = music->add_subcommand("load", "Load a sound file as the background music");
    load->add_option("file", args.musicFile, "A WAV, MP3, WMA or other sound file")->required();
    load->add_option("--rate", args.musicRate,
                     "Rate in Hz when the file must be converted (4000..8000, at most its own)");
    addTreatmentOptions(*load, args.treatment);
    load->callback([&session] {
        if (session.refuseStandardStream({{args.musicFile, "the music file"}})) return;
        session.edit(args.project,
                     [&](Project& project) { return loadMusicFile(project, session.console); });
    });
    auto* musicClear = music->add_subcommand("clear", "Remove the background music");
    musicClear->callback([&session] {
        session.edit(args.project, [](Project& project) -> Done {
            clearBackgroundMusic(project);
            return {};
        });
    });

    auto* convert =
        app.add_subcommand("convert", "Convert a sound file into a 16-bit mono WAV file");
    convert->add_option("source", args.source, "An MP3, WMA, WAV or other sound file")->required();
    convert
        ->add_option("output", args.output,
                     "The WAV file to write (replaced if it exists); - writes the WAV to "
                     "standard output")
        ->required();
    convert->add_option("--rate", args.convertRate, "Rate in Hz: " + rateListText(22000))
        ->check(supportedRate());
    addTreatmentOptions(*convert, args.treatment);
    convert->callback([&session] { runConvert(session); });
}

}  // namespace zadaravod::cli

// play <project> (--sound <no> | --list <n> [--from <pos>] | --music) [--as-chip]:
// the play commands of the editor through the same player, returning when
// the sound or list has played; Ctrl+C stops it cleanly.
#include <unistd.h>
#include <CLI/CLI.hpp>

#include <atomic>
#include <chrono>
#include <csignal>
#include <iostream>
#include <optional>
#include <thread>

#include "audio/SdlPlayer.h"
#include "cli/Cli.h"
#include "commands/Playback.h"
#include "format/ImageFormat.h"

namespace zadaravod::cli {

namespace {

struct PlayArguments {
    std::string project;
    std::optional<int> sound;
    std::optional<std::string> list;
    int from = 1;
    bool music = false;
    bool asChip = false;
};
PlayArguments args;

std::atomic<bool> interrupted{false};
extern "C" void onInterrupt(int) { interrupted = true; }

/// While `playing` holds, waits in 10 ms steps; Ctrl+C asks `stop` once.
template <typename Playing, typename Stop>
void waitWhile(Playing playing, Stop stop) {
    bool stopped = false;
    while (playing()) {
        if (interrupted && !stopped) {
            stop();
            stopped = true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

void run(Session& session) {
    const int chosen = args.sound.has_value() + args.list.has_value() + (args.music ? 1 : 0);
    if (chosen != 1) return session.usage("Give one of --sound <no>, --list <n> or --music.");
    if (args.music && args.asChip) {
        return session.usage(
            "--as-chip plays what the image holds; background music is not in it.");
    }
    int listNumber = -1;
    if (args.list) {
        listNumber = parseListNumber(*args.list);
        if (listNumber < 0) {
            return session.usage("No list " + *args.list +
                                 ": a list number is 0..219, in decimal or as the editor shows "
                                 "it (0aH).");
        }
    }
    const std::optional<Project> project = session.read(args.project);
    if (!project) return;

    SdlPlayer player;
    if (!player.available()) return session.refuse(player.errorText());
    const bool terminal = ::isatty(STDERR_FILENO) != 0;
    bool failed = false;
    PlaybackEvents events;
    events.message = [&](const std::string& text, const std::string&) {
        std::cerr << (terminal ? "\r" : "") << text << '\n';
        failed = true;
    };
    if (terminal) {
        events.progress = [](int position, int upper) {
            std::cerr << "\rPlaying: " << position << " of " << upper << std::flush;
        };
    }
    PlaybackOptions options;
    options.converterPath = session.paths.converterPath();
    Playback engine(player, events, options);
    for (int i = 0; i < Playback::kIdleTicksNeeded; ++i) engine.tick();

    interrupted = false;
    const auto previous = std::signal(SIGINT, onInterrupt);
    const PlayMode mode = args.asChip ? PlayMode::AsChip : PlayMode::File;
    PlayOutcome outcome = PlayOutcome::Refused;
    if (args.sound) {
        outcome = engine.playLibrary(project->library, *args.sound - 1, mode);
    } else if (args.list) {
        const CSoundList& list = project->playlists[static_cast<std::size_t>(listNumber)];
        if (args.from < 1 || static_cast<std::size_t>(args.from) > list.count()) {
            std::signal(SIGINT, previous);
            return session.refuse("No entry " + std::to_string(args.from) + " in list " +
                                  listNumberText(listNumber) + " (it holds " +
                                  std::to_string(list.count()) + " entries).");
        }
        outcome = engine.playPlaylist(list, args.from - 1, mode);
    } else {
        outcome = engine.playBackground(project->backgroundMusic, 0);
    }
    if (outcome == PlayOutcome::Started) {
        if (args.music) {
            waitWhile([&] { return player.isPlaying(kPlaybackChannel); },
                      [&] { player.stopAll(); });
        } else {
            waitWhile([&] { return engine.busy(); }, [&] { engine.requestStop(); });
        }
    }
    engine.stopAndJoin();
    std::signal(SIGINT, previous);
    if (terminal && outcome == PlayOutcome::Started) std::cerr << '\n';
    if (interrupted) std::cerr << "Stopped.\n";
    if (outcome != PlayOutcome::Started || failed) session.exitCode = kExitRefused;
}

}  // namespace

void addPlayCommands(CLI::App& app, Session& session) {
    auto* play =
        app.add_subcommand("play", "Play a library sound, a playlist or the background music");
    play->add_option("project", args.project, "Project folder or project file")->required();
    play->add_option("--sound", args.sound, "The library sound's number, from 1")
        ->check(numberFromOne());
    auto* list =
        play->add_option("--list", args.list, "The list number 0..219, decimal or as shown (0aH)");
    play->add_option("--from", args.from, "With --list: the entry to start at, from 1")
        ->check(numberFromOne())
        ->needs(list);
    play->add_flag("--music", args.music, "Play the background music");
    play->add_flag("--as-chip", args.asChip,
                   "Play what the chip will play: each sound converted into its sound element "
                   "and decoded, silences as the image codes them");
    play->callback([&session] { run(session); });
}

}  // namespace zadaravod::cli

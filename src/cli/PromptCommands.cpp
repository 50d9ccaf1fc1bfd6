// say, process, and the treatment options (--trim, --normalize) that import,
// music load and convert share with them.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <iostream>
#include <optional>
#include <vector>

#include "cli/Cli.h"
#include "commands/PromptTools.h"
#include "model/SamplingRates.h"

namespace zadaravod::cli {

namespace {

struct PromptArguments {
    std::vector<std::string> positionals;  ///< say: [<project>] <text>
    std::string to;
    std::string voice;
    int rate = kDefaultSpokenRate;
    int speed = kDefaultSpeechWordsPerMinute;
    int pitch = kDefaultSpeechPitch;
    std::string name;
    bool listVoices = false;
    SoundTreatment sayTreatment;

    std::string project;
    int number = 0;
    SoundTreatment processTreatment;
};
PromptArguments args;

std::string oneDecimal(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

void printVoices(Session& session) {
    std::vector<SpeechVoice> voices;
    std::string error;
    if (!listSpeechVoices(voices, error)) return session.refuse(error);
    for (const SpeechVoice& v : voices) {
        std::cout << v.language << '\t' << v.identifier << '\t' << v.name << '\n';
    }
}

SpeechRequest speechRequest(const std::string& text) {
    SpeechRequest request;
    request.text = text;
    request.voice = args.voice;
    request.sampleRate = args.rate;
    request.wordsPerMinute = args.speed;
    request.pitch = args.pitch;
    return request;
}

void say(Session& session) {
    if (args.listVoices) return printVoices(session);
    if (!args.to.empty()) {
        if (args.positionals.size() != 1) {
            return session.usage("say --to <file.wav> takes the text only, not a project.");
        }
        if (!args.name.empty()) {
            return session.usage("--name names a sound of a project; --to names the file.");
        }
        std::int64_t ms = 0;
        const auto speakInto = [&](const std::string& output) -> Done {
            const Result<std::int64_t> spoken = speakIntoFile(
                session.console, speechRequest(args.positionals[0]), output, args.sayTreatment);
            if (!spoken) return spoken.error();
            ms = spoken.value();
            return {};
        };
        if (isStandardStream(args.to)) {
            session.writeToStandardOutput("speech.wav", speakInto);
            if (session.exitCode == kExitOk) {
                std::cerr << "Wrote the WAV to standard output (" << ms << " ms at " << args.rate
                          << " Hz).\n";
            }
            return;
        }
        const std::string output = absolutePath(args.to);
        if (const Done spoken = speakInto(output); !spoken) return session.refuse(spoken.error());
        std::cout << "Wrote " << output << " (" << ms << " ms at " << args.rate << " Hz).\n";
        return;
    }
    if (args.positionals.size() != 2) {
        return session.usage(
            "say needs a project and the text: say <project> \"<text>\", or "
            "say --to <file.wav> \"<text>\".");
    }
    session.edit(args.positionals[0], [&](Project& project) -> Done {
        const Result<std::string> added =
            speakIntoLibrary(project, session.console, speechRequest(args.positionals[1]),
                             args.name, args.sayTreatment);
        if (!added) return added.error();
        const CSound& record = project.library.at(project.library.count() - 1);
        std::cout << "Added " << added.value() << " (" << record.durationMs << " ms at "
                  << record.sampleRate << " Hz); the library holds " << project.library.count()
                  << " of " << kLibraryCapacity << " sounds.\n";
        return {};
    });
}

void process(Session& session) {
    if (!args.processTreatment.any()) {
        return session.usage("process needs --trim, --normalize or both.");
    }
    session.edit(args.project, [&](Project& project) -> Done {
        const auto count = static_cast<int>(project.library.count());
        if (args.number < 1 || args.number > count) {
            return failure(count == 0
                               ? std::string("The sound library is empty.")
                               : "There is no sound " + std::to_string(args.number) +
                                     " in the library; give 1.." + std::to_string(count) + ".");
        }
        const Result<ProcessReport> done =
            processLibrarySound(project, session.console, args.number - 1, args.processTreatment);
        if (!done) return done.error();
        const ProcessReport& r = done.value();
        std::cout << "Processed " << r.name << ": " << r.durationBeforeMs << " ms -> "
                  << r.durationAfterMs << " ms";
        if (args.processTreatment.normalize) {
            const LoudnessResult& l = r.details.loudness;
            std::cout << ", loudness " << oneDecimal(l.before.integratedLufs) << " -> "
                      << oneDecimal(l.after.integratedLufs) << " LUFS";
            if (l.peakLimited) std::cout << " (held below the target by the peak ceiling)";
        }
        std::cout << ".\n";
        return {};
    });
}

}  // namespace

void addTreatmentOptions(CLI::App& command, SoundTreatment& treatment) {
    auto* trim = command.add_flag("--trim", treatment.trim,
                                  "Trim leading and trailing silence (keeps a short fade)");
    auto* normalize =
        command.add_flag("--normalize", treatment.normalize,
                         "Bring the loudness to the target (EBU R128), no peak above -1 dBTP");
    command
        .add_option("--threshold", treatment.trimOptions.thresholdDbfs,
                    "With --trim: what counts as silence, in dBFS (default -45)")
        ->check(CLI::Range(-96.0, 0.0))
        ->needs(trim);
    command
        .add_option("--loudness", treatment.loudnessOptions.targetLufs,
                    "With --normalize: the target loudness in LUFS (default -16)")
        ->check(CLI::Range(-70.0, -5.0))
        ->needs(normalize);
}

void addPromptCommands(CLI::App& app, Session& session) {
    auto* sayCommand = app.add_subcommand(
        "say", "Speak a text into the sound library, or into a WAV file with --to");
    sayCommand
        ->add_option("args", args.positionals,
                     "<project> <text>, or only <text> with --to (quote the text)")
        ->expected(0, 2);
    sayCommand->add_option("--to", args.to,
                           "Write this WAV file instead of adding to a project; - writes the "
                           "WAV to standard output");
    sayCommand->add_option("--voice", args.voice,
                           "Voice: a language (ru, en, en-us), a name or an identifier "
                           "(see --voices); default the first Russian voice");
    sayCommand->add_option("--rate", args.rate, "Sampling rate in Hz (default 8000)")
        ->check(supportedRate());
    sayCommand->add_option("--speed", args.speed, "Words per minute, 80..450 (default 175)")
        ->check(CLI::Range(kMinSpeechWordsPerMinute, kMaxSpeechWordsPerMinute));
    sayCommand->add_option("--pitch", args.pitch, "Pitch 0..100 (default 50)")
        ->check(CLI::Range(0, 100));
    sayCommand->add_option("--name", args.name,
                           "The sound's file name in the project (default: made from the text)");
    sayCommand->add_flag("--voices", args.listVoices, "List the voices and stop");
    addTreatmentOptions(*sayCommand, args.sayTreatment);
    sayCommand->callback([&session] { say(session); });

    auto* processCommand = app.add_subcommand(
        "process", "Trim the silence of a library sound and/or even out its loudness");
    processCommand->add_option("project", args.project, "Project folder or project file")
        ->required();
    processCommand->add_option("no", args.number, "The sound's number in the library, from 1")
        ->required()
        ->check(numberFromOne());
    addTreatmentOptions(*processCommand, args.processTreatment);
    processCommand->callback([&session] { process(session); });
}

}  // namespace zadaravod::cli

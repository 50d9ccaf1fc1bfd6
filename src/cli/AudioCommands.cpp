// import, remove, clear-library, music load/clear, convert: the audio
// commands of the editor, answered from the arguments.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <vector>

#include "audio/BackgroundMusic.h"
#include "audio/ConversionTool.h"
#include "audio/LibraryCommands.h"
#include "audio/SamplingRates.h"
#include "cli/Cli.h"

namespace zadaravod::cli {
namespace fs = std::filesystem;

namespace {

std::string absolutePath(const std::string& path) {
    std::error_code ec;
    const fs::path p = fs::absolute(path, ec);
    return ec ? path : p.lexically_normal().string();
}

/// Answers the sampling-rate dialog from --rate and forwards everything else
/// to the scripted seam. It remembers what the dialog was asked, so that the
/// command can say which rates the file allows when --rate is missing or not
/// among them.
class RateAnswer final : public UserInterface {
  public:
    RateAnswer(UserInterface& target, std::optional<int> rate) : target_(target), rate_(rate) {}

    bool asked() const { return limit_.has_value(); }
    int limit() const { return limit_.value_or(0); }
    bool refused() const { return refused_; }

    int chooseSamplingRate(int rateLimit) override {
        limit_ = rateLimit;
        const auto offered = samplingDialogRates(rateLimit);
        if (rate_ && std::find(offered.begin(), offered.end(), *rate_) != offered.end()) {
            return *rate_;
        }
        refused_ = true;
        return 0;
    }

    void message(const std::string& text, const std::string& caption, Icon icon) override {
        target_.message(text, caption, icon);
    }
    std::optional<std::string> chooseSaveFile(const FileDialogRequest& r) override {
        return target_.chooseSaveFile(r);
    }
    std::optional<std::string> chooseOpenFile(const FileDialogRequest& r) override {
        return target_.chooseOpenFile(r);
    }
    std::optional<std::vector<std::string>> chooseOpenFiles(const FileDialogRequest& r) override {
        return target_.chooseOpenFiles(r);
    }
    std::optional<std::string> chooseFolder(const std::string& title,
                                            const std::string& start) override {
        return target_.chooseFolder(title, start);
    }
    bool copyFolder(const std::string& source, const std::string& parent) override {
        return target_.copyFolder(source, parent);
    }
    int confirmDelete() override { return target_.confirmDelete(); }
    int chooseLibrarySound(const CSoundList& library) override {
        return target_.chooseLibrarySound(library);
    }
    int chooseSilence(int weight) override { return target_.chooseSilence(weight); }
    void status(const std::string& text) override { target_.status(text); }
    void progress(int percent) override { target_.progress(percent); }

  private:
    UserInterface& target_;
    std::optional<int> rate_;
    std::optional<int> limit_;
    bool refused_ = false;
};

/// The message for a rate dialog that --rate could not answer.
std::string rateRefusal(const RateAnswer& answer, std::optional<int> given,
                        const std::string& what) {
    const std::string allowed = rateListText(answer.limit());
    if (given) {
        return "--rate " + std::to_string(*given) + " cannot be used for " + what +
               "; the allowed rates (Hz) are: " + allowed;
    }
    return what + " must be converted: give --rate <hz> with one of these rates (Hz): " + allowed;
}

bool listsDiffer(const Project& a, const Project& b) {
    return !(a.library == b.library) || a.playlists != b.playlists ||
           !(a.backgroundMusic == b.backgroundMusic);
}

/// Runs `flow` on the opened project, saves it when the flow changed it and
/// sets the exit status (1 when the flow returned false).
template <typename Flow>
void onProject(Context& ctx, const std::string& argument, Flow flow) {
    Project project;
    if (!ctx.openProject(argument, project)) return;
    const Project before = project;
    const bool done = flow(project);
    if (listsDiffer(before, project) && !ctx.saveProject(project)) return;
    if (!done) ctx.exitCode = kExitRefused;
}

struct Arguments {
    std::string project;
    std::vector<std::string> files;
    int number = 0;
    std::string musicFile;
    std::optional<int> musicRate;
    std::string source;
    std::string output;
    std::optional<int> convertRate;
};

}  // namespace

void addAudioCommands(CLI::App& app, Context& ctx) {
    static Arguments args;

    auto* import = app.add_subcommand("import", "Load sound files into the sound library");
    import->add_option("project", args.project, "Project folder or project file")->required();
    import->add_option("files", args.files, "WAV, MP3, WMA or other sound files")->required();
    import->callback([&ctx] {
        onProject(ctx, args.project, [&](Project& project) {
            std::vector<std::string> files;
    for (const auto& f : args.files) files.push_back(absolutePath(f));
    ctx.ui.openFileLists.push_back(files);
    const std::size_t before = project.library.count();
    const bool done = loadLibrarySounds(project, ctx.ui);
    std::cout << "Added " << project.library.count() - before << " of " << files.size()
              << " file(s); the library holds " << project.library.count() << " of "
              << kLibraryCapacity << " sounds.\n";
    return done;
});
}  // namespace zadaravod::cli
);

auto* remove = app.add_subcommand("remove", "Delete a sound from the library (1-based No.)");
remove->add_option("project", args.project, "Project folder or project file")->required();
remove->add_option("no", args.number, "The sound's number in the library, from 1")->required();
remove->callback([&ctx] {
    onProject(ctx, args.project, [&](Project& project) {
        const auto count = static_cast<int>(project.library.count());
        if (args.number < 1 || args.number > count) {
            ctx.refuse(count == 0 ? std::string("The sound library is empty.")
                                  : "There is no sound " + std::to_string(args.number) +
                                        " in the library; give 1.." + std::to_string(count) + ".");
            return false;
        }
        const std::size_t before = project.library.count();
        const std::string name = project.library.at(static_cast<std::size_t>(args.number - 1)).name;
        ctx.ui.confirmAnswers.push_back(kConfirmYes);
        const bool done = deleteLibrarySound(project, ctx.ui, args.number - 1);
        for (const std::string& line : ctx.ui.statusLines) std::cout << line << "\n";
        if (project.library.count() < before && ctx.ui.statusLines.empty()) {
            std::cout << "Removed " << name << ".\n";
        }
        return done;
    });
});

auto* clear =
    app.add_subcommand("clear-library", "Delete every library sound and empty every playlist");
clear->add_option("project", args.project, "Project folder or project file")->required();
clear->callback([&ctx] {
    onProject(ctx, args.project, [&](Project& project) {
        ctx.ui.confirmAnswers.push_back(kConfirmYes);
        return clearLibrary(project, ctx.ui);
    });
});

auto* music = app.add_subcommand("music", "Load or clear the background music");
music->add_option("project", args.project, "Project folder or project file")->required();
music->require_subcommand(1);
auto* load = music->add_subcommand("load", "Load a sound file as the background music");
load->add_option("file", args.musicFile, "A WAV, MP3, WMA or other sound file")->required();
load->add_option("--rate", args.musicRate,
                 "Rate in Hz when the file must be converted (4000..8000, at most its own)");
load->callback([&ctx] {
    onProject(ctx, args.project, [&](Project& project) {
        if (!project.backgroundMusic.empty()) {
            ctx.refuse("Background music is loaded already (" + project.backgroundMusic.at(0).name +
                       "); clear it first.");
            return false;
        }
        RateAnswer answer(ctx.ui, args.musicRate);
        ctx.ui.openFiles.push_back(absolutePath(args.musicFile));
        const bool done = loadBackgroundMusic(project, answer);
        if (answer.refused()) {
            ctx.refuse(rateRefusal(answer, args.musicRate, args.musicFile));
            return false;
        }
        if (done) {
            if (args.musicRate && !answer.asked()) {
                std::cerr << "--rate is not used: the WAV file is copied unchanged.\n";
            }
            std::cout << "Background music: " << project.backgroundMusic.at(0).name << ".\n";
        }
        return done;
    });
});
auto* musicClear = music->add_subcommand("clear", "Remove the background music");
musicClear->callback([&ctx] {
    onProject(ctx, args.project, [](Project& project) { return clearBackgroundMusic(project); });
});

auto* convert = app.add_subcommand("convert", "Convert a sound file into a 16-bit mono WAV file");
convert->add_option("source", args.source, "An MP3, WMA, WAV or other sound file")->required();
convert->add_option("output", args.output, "The WAV file to write (replaced if it exists)")
    ->required();
convert->add_option("--rate", args.convertRate, "Rate in Hz: " + rateListText(22000));
convert->callback([&ctx] {
    RateAnswer answer(ctx.ui, args.convertRate);
    if (!args.convertRate) {
        ctx.refuse("convert needs --rate <hz> with one of these rates (Hz): " +
                   rateListText(kSupportedRates.back()));
        return;
    }
    ctx.ui.openFiles.push_back(absolutePath(args.source));
    ctx.ui.saveFiles.push_back(absolutePath(args.output));
    const bool done = runConversionTool(answer);
    if (answer.refused()) {
        ctx.refuse(rateRefusal(answer, args.convertRate, args.source));
        return;
    }
    if (!done) ctx.exitCode = kExitRefused;
});
}

}  // namespace zadaravod::cli

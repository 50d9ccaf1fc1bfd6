#include "commands/Build.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <optional>
#include <thread>
#include <vector>

#include "commands/ConverterPlugin.h"
#include "format/ImageFormat.h"
#include "format/ImageWriter.h"
#include "io/AtomicFile.h"
#include "io/ScratchFolder.h"
#include "model/ImageContent.h"
#include "model/ProjectFile.h"

namespace zadaravod {
namespace fs = std::filesystem;

namespace {

Message stopped(const std::string& text) { return failure("The build stopped: " + text); }

/// Done when every library sound can go into the image: a rate the sound
/// table can code, and a file that lies inside the project folder (a link
/// to a file elsewhere would make the build read it).
Done checkLibrarySounds(const Project& project) {
    std::error_code ec;
    const fs::path projectFolder = fs::weakly_canonical(folderOf(project.projectFilePath), ec);
    int number = 0;
    for (const CSound& s : project.library) {
        if (++number > kLibraryCapacity) break;
        const std::string soundName = "sound " + std::to_string(number) + " \"" + s.name + "\"";
        if (!image::hasRateCode(s.sampleRate)) {
            return stopped(soundName + " is recorded at " + std::to_string(s.sampleRate) +
                           " Hz, a rate the chip cannot play (it plays 4000, 6000, ... 22000 Hz "
                           "in steps of 2000). Convert it to one of these rates, load it again "
                           "and build again.");
        }
        if (fs::is_symlink(s.filePath, ec)) {
            const fs::path target = fs::weakly_canonical(s.filePath, ec);
            const auto [end, rest] = std::mismatch(projectFolder.begin(), projectFolder.end(),
                                                   target.begin(), target.end());
            if (ec || end != projectFolder.end()) {
                return stopped(soundName + " is a link to a file outside the project folder (" +
                               target.string() +
                               "). Put a copy of the file into the sound folder instead.");
            }
        }
    }
    return {};
}

Result<std::vector<std::uint8_t>> readChipCode(const AppPaths& paths) {
    std::string chipCode, error;
    if (!readWholeFile(paths.chipCodePath(), chipCode, error, std::uintmax_t{1} << 24)) {
        return stopped("the chip code file cannot be read: " + error);
    }
    if (chipCode.size() < image::kChipCodeBytes) {
        return stopped("the chip code file " + paths.chipCodePath() + " holds " +
                       std::to_string(chipCode.size()) + " bytes, 256 are needed.");
    }
    return std::vector<std::uint8_t>(chipCode.begin(), chipCode.end());
}

/// Converts every library sound, on a few threads, then reads the elements
/// in library order, stopping at the first failure. The element files are
/// removed in every case.
Result<std::vector<std::vector<std::uint8_t>>> convertLibrary(
    const std::vector<const CSound*>& sounds, const ConverterPlugin& plugin, Messenger& messenger,
    unsigned threads) {
    std::vector<ConversionOutcome> outcomes(sounds.size());
    threads =
        std::min<unsigned>(threads, static_cast<unsigned>(std::max<std::size_t>(sounds.size(), 1)));
    std::atomic<std::size_t> next{0};
    auto work = [&] {
        for (std::size_t i = next++; i < sounds.size(); i = next++)
            outcomes[i] = plugin.convert(sounds[i]->filePath);
    };
    std::vector<std::thread> pool;
    for (unsigned t = 1; t < threads; ++t) pool.emplace_back(work);
    work();
    for (std::thread& t : pool) t.join();

    struct RemoveOutputs {
        const std::vector<ConversionOutcome>& all;
        ~RemoveOutputs() {
            for (const ConversionOutcome& o : all) {
                std::error_code ec;
                fs::remove(o.elementPath, ec);
                fs::remove(o.elementPath + ".h", ec);
            }
        }
    } cleanup{outcomes};

    std::vector<std::vector<std::uint8_t>> elements;
    elements.reserve(sounds.size());
    for (std::size_t i = 0; i < sounds.size(); ++i) {
        const std::string soundName =
            "sound " + std::to_string(i + 1) + " \"" + sounds[i]->name + "\"";
        // A failed conversion stops the build even when an element file of an
        // earlier run lies beside the WAV: that one is not this sound's.
        if (outcomes[i].result == 0) {
            tellConversionFailure(messenger, sounds[i]->filePath);
            const std::string reason =
                outcomes[i].reason.empty() ? std::string() : ": " + outcomes[i].reason;
            return stopped("the conversion of " + soundName + " failed" + reason + ".");
        }
        Result<std::vector<std::uint8_t>> element =
            readElementFile(outcomes[i].elementPath, soundName);
        if (!element) return element.error();
        elements.push_back(std::move(element.value()));
    }
    return elements;
}

/// The converted 10 ms silence. Its converter outputs stay beside the silence
/// file; an installed application folder may be read-only, and the silence
/// is then converted from a copy in a private scratch folder.
Result<std::vector<std::uint8_t>> convertSilence(const AppPaths& paths,
                                                 const ConverterPlugin& plugin,
                                                 Messenger& messenger) {
    std::string wav = paths.silencePath();
    std::optional<ScratchFolder> scratch;
    if (::access(paths.appFolder.c_str(), W_OK) != 0 && fs::is_regular_file(wav)) {
        scratch.emplace();
        std::error_code ec;
        const fs::path copy = scratch->path() / "silence10ms.wav";
        if (!scratch->path().empty() &&
            fs::copy_file(wav, copy, fs::copy_options::overwrite_existing, ec)) {
            wav = copy.string();
        }
    }
    const ConversionOutcome outcome = plugin.convert(wav);
    if (outcome.result == 0) {
        tellConversionFailure(messenger, wav);
        return stopped("the conversion of the 10 ms silence file " + wav + " failed.");
    }
    return readElementFile(outcome.elementPath, "the 10 ms silence file " + wav);
}

}  // namespace

FitMessage fitMessage(std::uint64_t length, int sizeIndex) {
    const std::uint64_t capacity = static_cast<std::uint64_t>(flashCapacityBits(sizeIndex)) / 8;
    if (length <= capacity) return {};
    if (length <= 524288) return {"Bin File don't fit in flash! Pls select 4M flash", kAppCaption};
    if (length <= 1048576) return {"Bin File don't fit in flash! Pls select 8M flash", kAppCaption};
    if (length <= 2097152)
        return {"Bin File don't fit in flash! Pls select 16M flash", kAppCaption};
    if (length <= 4194304)
        return {"Bin File don't fit in flash! Pls select 32M flash", kAppCaption};
    return {"Bin File don't dit in flash", kAppTitle};
}

Result<std::uint64_t> buildImage(Project& project, const AppPaths& paths, Messenger& messenger,
                                 const BuildOptions& options) {
    if (project.projectFilePath.empty()) return failure("No project is open.");
    if (const std::string error = saveProjectFiles(project); !error.empty()) {
        return failure(error);
    }
    // Everything that can be checked is checked before any conversion is
    // spent on the build.
    const image::ImageContent content = imageContentOf(project);
    if (std::string error = image::checkSlots(content); !error.empty()) return failure(error);
    if (std::string error = soundMissingFromFullLibrary(project); !error.empty()) {
        return failure(error);
    }
    if (Done sounds = checkLibrarySounds(project); !sounds) return sounds.error();
    const Result<std::vector<std::uint8_t>> chipCode = readChipCode(paths);
    if (!chipCode) return chipCode.error();

    const ConverterPlugin plugin(paths.converterPath());
    if (!plugin.loaded()) return failure(kConverterLoadFailure);
    std::vector<const CSound*> sounds;
    for (const CSound& s : project.library) {
        if (sounds.size() == static_cast<std::size_t>(kLibraryCapacity)) break;
        sounds.push_back(&s);
    }
    const unsigned threads =
        options.threads != 0 ? options.threads : std::max(1u, std::thread::hardware_concurrency());
    const auto elements = convertLibrary(sounds, plugin, messenger, threads);
    if (!elements) return elements.error();
    const auto silence = convertSilence(paths, plugin, messenger);
    if (!silence) return silence.error();

    const std::vector<std::uint8_t> bytes =
        image::assembleImage(content, elements.value(), silence.value(), chipCode.value());
    if (const std::string error = writeFileAtomically(project.imagePath(), bytes); !error.empty()) {
        return stopped(error);
    }
    messenger.message("BIN File Saved!\nSize: " + std::to_string(bytes.size()) + " bytes",
                      kAppCaption, MessageIcon::Information);
    const FitMessage fit = fitMessage(bytes.size(), project.flashSize.sizeIndex);
    if (!fit.text.empty()) messenger.message(fit.text, fit.caption, MessageIcon::Warning);
    return static_cast<std::uint64_t>(bytes.size());
}

}  // namespace zadaravod

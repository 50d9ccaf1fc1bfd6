#include "commands/Build.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include "commands/BuildElements.h"
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

/// The converted 10 ms silence. A plugin that converts only into files
/// leaves its outputs beside the silence file; an installed application
/// folder may be read-only, and the silence is then converted from a copy in
/// a private scratch folder.
Result<std::vector<std::uint8_t>> convertSilence(const AppPaths& paths,
                                                 const ConverterPlugin& plugin,
                                                 const ElementSource& source,
                                                 Messenger& messenger) {
    ElementJob job{paths.silencePath(), "the 10 ms silence file " + paths.silencePath()};
    std::optional<ScratchFolder> scratch;
    std::error_code ec;
    if (!plugin.convertsInMemory() && ::access(paths.appFolder.c_str(), W_OK) != 0 &&
        fs::is_regular_file(job.wavPath, ec)) {
        scratch.emplace();
        const fs::path copy = scratch->path() / "silence10ms.wav";
        if (!scratch->path().empty() &&
            fs::copy_file(job.wavPath, copy, fs::copy_options::overwrite_existing, ec)) {
            job.wavPath = copy.string();
        }
    }
    ElementConversion silence = source.elementOf(job);
    if (silence.ok()) return std::move(silence.element);
    if (!silence.converterFailed) return failure(silence.reason);
    tellConversionFailure(messenger, job.wavPath);
    return stopped("the conversion of the 10 ms silence file " + job.wavPath + " failed.");
}

/// Writes `bytes` to `path` atomically unless the file there holds them
/// already; returns an error text or "".
std::string writeUnlessSame(const fs::path& path, const std::vector<std::uint8_t>& bytes,
                            const AtomicWriteOptions& options = {}) {
    std::string present, error;
    std::error_code ec;
    if (fs::is_regular_file(path, ec) && readWholeFile(path, present, error, bytes.size()) &&
        present.size() == bytes.size() &&
        std::equal(bytes.begin(), bytes.end(), present.begin(),
                   [](std::uint8_t a, char b) { return a == static_cast<std::uint8_t>(b); })) {
        return {};
    }
    removeStaleTemporaries(path);
    return writeFileAtomically(path, bytes, options);
}

/// Saves the project as every build does first, but a file that already holds
/// exactly what would be written is left alone, so that building again
/// forces nothing to disk. Returns an error text or "".
std::string saveBeforeBuild(const Project& project) {
    // The project file is the one the user opened: a link is written through.
    std::string error =
        writeUnlessSame(project.projectFilePath, storeProjectFile(project, project.projectFilePath),
                        {.followSymlink = true});
    if (error.empty()) {
        error = writeUnlessSame(project.flashSizePath(),
                                storeFlashSizeFile(project.flashSize, project.flashSizePath()));
    }
    return error;
}

/// The cache of a build: the one the options name, or none.
std::unique_ptr<ElementCache> openCache(const BuildOptions& options, Messenger& messenger) {
    if (!options.useCache) return nullptr;
    auto cache = std::make_unique<ElementCache>(options.cache);
    if (!cache->usable() && !cache->problem().empty()) {
        messenger.status(cache->problem() + " Building without it.");
    }
    return cache;
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
    if (const std::string error = saveBeforeBuild(project); !error.empty()) {
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
    std::vector<ElementJob> jobs;
    for (const CSound& s : project.library) {
        if (jobs.size() == static_cast<std::size_t>(kLibraryCapacity)) break;
        jobs.push_back(
            {s.filePath, "sound " + std::to_string(jobs.size() + 1) + " \"" + s.name + "\""});
    }
    const std::unique_ptr<ElementCache> cache = openCache(options, messenger);
    const bool cacheWasUsable = cache && cache->usable();
    FileDigests digests(cacheWasUsable ? cache->digestFolder() : std::filesystem::path(),
                        project.soundFolder);
    const ElementSource source(plugin, cache.get(), &digests);
    const unsigned threads =
        options.threads != 0 ? options.threads : std::max(1u, std::thread::hardware_concurrency());
    const auto elements = makeElements(jobs, source, messenger, threads);
    if (!elements) return elements.error();
    const auto silence = convertSilence(paths, plugin, source, messenger);
    if (!silence) return silence.error();
    if (options.statistics != nullptr) {
        options.statistics->fromCache = source.cacheHits();
        options.statistics->converted = source.conversions();
    }
    if (cache) {
        if (cacheWasUsable && !cache->usable()) {
            messenger.status(cache->problem() + " The build went on without it.");
        }
        cache->trim();
        digests.save();  // a memo not written only costs the next build its hashing
    }

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

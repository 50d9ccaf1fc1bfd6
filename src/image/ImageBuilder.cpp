#include "image/ImageBuilder.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <optional>
#include <thread>

#include "image/ImageFormat.h"
#include "image/MelodyConverter.h"
#include "model/ProjectFile.h"
#include "tools/AtomicFile.h"

namespace zadaravod {

namespace fs = std::filesystem;
using namespace image;

namespace {

/// Element files are sounds of at most a few MiB; anything beyond this is
/// not an element.
constexpr std::uintmax_t kMaxElementBytes = std::uintmax_t{64} << 20;

std::vector<std::uint8_t> toBytes(const std::string& s) {
    return std::vector<std::uint8_t>(s.begin(), s.end());
}

void fail(UserInterface& ui, const std::string& text) {
    ui.message(text, kAppCaption, UserInterface::Icon::Error);
}

/// Reads an element file the converter made; false with a message naming
/// the sound when there is none or it cannot be read.
bool readElement(const std::string& elementPath, const std::string& soundName,
                 std::vector<std::uint8_t>& element, UserInterface& ui) {
    std::string bytes, error;
    std::error_code ec;
    if (elementPath.empty() || !fs::is_regular_file(elementPath, ec)) {
        fail(ui, "The build stopped: the conversion of " + soundName +
                     " produced no sound element (" + elementPath + ").");
        return false;
    }
    if (!readWholeFile(elementPath, bytes, error, kMaxElementBytes)) {
        fail(ui,
             "The build stopped: the sound element of " + soundName + " cannot be read: " + error);
        return false;
    }
    if (bytes.empty()) {
        fail(ui, "The build stopped: the sound element of " + soundName + " is empty (" +
                     elementPath + ").");
        return false;
    }
    element = toBytes(bytes);
    return true;
}

/// "" when every library sound can go into the image: a rate the sound
/// table can code, and a file that lies inside the project folder (a link
/// to a file elsewhere would make the build read it). Else the message.
std::string checkLibrarySounds(const Project& project) {
    std::error_code ec;
    const fs::path projectFolder = fs::weakly_canonical(folderOf(project.projectFilePath), ec);
    int number = 0;
    for (const CSound& s : project.library) {
        if (++number > kLibraryCapacity) break;
        const std::string soundName = "sound " + std::to_string(number) + " \"" + s.name + "\"";
        if (!hasRateCode(s.sampleRate)) {
            return "The build stopped: " + soundName + " is recorded at " +
                   std::to_string(s.sampleRate) +
                   " Hz, a rate the chip cannot play (it plays 4000, 6000, ... 22000 Hz in "
                   "steps of 2000). Convert it to one of these rates, load it again and build "
                   "again.";
        }
        if (fs::is_symlink(s.filePath, ec)) {
            const fs::path target = fs::weakly_canonical(s.filePath, ec);
            const auto [end, rest] = std::mismatch(projectFolder.begin(), projectFolder.end(),
                                                   target.begin(), target.end());
            if (ec || end != projectFolder.end()) {
                return "The build stopped: " + soundName +
                       " is a link to a file outside the project folder (" + target.string() +
                       "). Put a copy of the file into the sound folder instead.";
            }
        }
    }
    return {};
}

/// A private scratch folder (mkdtemp, readable by the user alone), removed
/// with its content when the object goes.
class ScratchFolder {
  public:
    ScratchFolder() {
        std::error_code ec;
        std::string pattern = (fs::temp_directory_path(ec) / "zadaravod-XXXXXX").string();
        if (ec) pattern = "/tmp/zadaravod-XXXXXX";
        if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
    }
    ~ScratchFolder() {
        std::error_code ec;
        if (!path_.empty()) fs::remove_all(path_, ec);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    /// "" when no folder could be made.
    const fs::path& path() const { return path_; }

  private:
    fs::path path_;
};

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

bool assembleImage(const Project& project, const std::vector<std::vector<std::uint8_t>>& elements,
                   const std::vector<std::uint8_t>& silence,
                   const std::vector<std::uint8_t>& chipCode, std::vector<std::uint8_t>& image,
                   std::string& error) {
    const std::size_t libraryCount =
        std::min<std::size_t>(project.library.count(), kLibraryCapacity);
    const LibraryIndex index(project.library);
    // Every slot is checked before anything is written.
    for (int j = 0; j < kPlaylistCount; ++j) {
        const CSoundList& list = project.playlists[static_cast<std::size_t>(j)];
        const int bytes = listImageBytes(list);
        if (bytes > static_cast<int>(kSlotBytes)) {
            error = "List " + listCaption(j) + " needs " + std::to_string(bytes) +
                    " bytes in the image, but a list holds at most 256. Shorten the list or "
                    "use fewer silences.";
            return false;
        }
        if (libraryCount >= static_cast<std::size_t>(kLibraryCapacity)) {
            for (const CSound& e : list) {
                if (e.isSound() && index.find(e.filePath) < 0) {
                    error = "List " + listCaption(j) + " plays " + e.name +
                            ", which is not in the library.";
                    return false;
                }
            }
        }
    }
    std::size_t dataBytes = 0;
    for (std::size_t i = 0; i < libraryCount; ++i) dataBytes += elements[i].size();
    const std::size_t spare = kLibraryCapacity - libraryCount;
    dataBytes += spare * silence.size();

    image.assign(kSoundDataOffset + dataBytes, 0);
    writeHeader(image, project);
    for (int j = 0; j < kPlaylistCount; ++j)
        writeSlot(image, j, project.playlists[static_cast<std::size_t>(j)], index);

    // Sound data: library elements, then the silence copies.
    std::size_t at = kSoundDataOffset;
    std::vector<std::uint32_t> starts(kLibraryCapacity);
    for (std::size_t i = 0; i < libraryCount; ++i) {
        starts[i] = static_cast<std::uint32_t>(at);
        std::copy(elements[i].begin(), elements[i].end(), image.begin() + static_cast<long>(at));
        at += elements[i].size();
    }
    const std::size_t end = at;
    for (std::size_t k = 0; k < spare; ++k) {
        std::copy(silence.begin(), silence.end(), image.begin() + static_cast<long>(at));
        at += silence.size();
    }
    // Spare entries step by the converted silence's nominal length.
    for (std::size_t k = libraryCount; k < static_cast<std::size_t>(kLibraryCapacity); ++k)
        starts[k] = static_cast<std::uint32_t>(end + kHeaderSize * (k - libraryCount + 1));

    auto sound = project.library.begin();
    for (std::size_t k = 0; k < static_cast<std::size_t>(kLibraryCapacity); ++k) {
        std::uint8_t* e = image.data() + kSoundTableOffset + kSoundEntryBytes * k;
        const auto rate = k < libraryCount ? ratePair((sound++)->sampleRate) : ratePair(0);
        const auto address = encodeAddress(starts[k]);
        e[0] = rate[0];
        e[1] = rate[1];
        e[2] = address[0];
        e[3] = address[1];
        e[4] = address[2];
        e[5] = 0x88;
        e[6] = 0x01;
        e[7] = 0xFF;
    }
    std::copy_n(chipCode.begin(), std::min(chipCode.size(), kChipCodeBytes),
                image.begin() + static_cast<long>(kChipCodeOffset));
    return true;
}

bool buildImage(Project& project, const AppPaths& paths, UserInterface& ui,
                const BuildOptions& options) {
    if (project.projectFilePath.empty()) {
        fail(ui, "No project is open.");
        return false;
    }
    std::string error = saveProjectFiles(project);
    if (!error.empty()) {
        fail(ui, error);
        return false;
    }
    // The slots are checked before any conversion is spent on the build.
    {
        std::vector<std::uint8_t> unused;
        Project headerOnly;
        headerOnly.library = project.library;
        headerOnly.playlists = project.playlists;
        std::string slotError;
        if (!assembleImage(headerOnly,
                           std::vector<std::vector<std::uint8_t>>(headerOnly.library.count()), {},
                           {}, unused, slotError)) {
            fail(ui, slotError);
            return false;
        }
    }

    error = checkLibrarySounds(project);
    if (!error.empty()) {
        fail(ui, error);
        return false;
    }

    std::string chipCode;
    if (!readWholeFile(paths.chipCodePath(), chipCode, error, std::uintmax_t{1} << 24)) {
        fail(ui, "The build stopped: the chip code file cannot be read: " + error);
        return false;
    }
    if (chipCode.size() < kChipCodeBytes) {
        fail(ui, "The build stopped: the chip code file " + paths.chipCodePath() + " holds " +
                     std::to_string(chipCode.size()) + " bytes, 256 are needed.");
        return false;
    }

    // Conversions are independent: run them on a few threads, then report
    // and read them in library order, stopping at the first failure.
    std::vector<const CSound*> sounds;
    for (const CSound& s : project.library) {
        if (sounds.size() == static_cast<std::size_t>(kLibraryCapacity)) break;
        sounds.push_back(&s);
    }
    std::vector<ConversionOutcome> outcomes(sounds.size());
    const std::string plugin = paths.converterPath();
    {
        unsigned threads = options.threads != 0 ? options.threads
                                                : std::max(1u, std::thread::hardware_concurrency());
        threads = std::min<unsigned>(
            threads, static_cast<unsigned>(std::max<std::size_t>(sounds.size(), 1)));
        std::atomic<std::size_t> next{0};
        auto work = [&] {
            for (std::size_t i = next++; i < sounds.size(); i = next++)
                outcomes[i] = runConverter(plugin, sounds[i]->filePath);
        };
        std::vector<std::thread> pool;
        for (unsigned t = 1; t < threads; ++t) pool.emplace_back(work);
        work();
        for (std::thread& t : pool) t.join();
    }
    auto removeOutputs = [](std::size_t from, const std::vector<ConversionOutcome>& all) {
        for (std::size_t i = from; i < all.size(); ++i) {
            if (all[i].elementPath.empty()) continue;
            std::error_code ec;
            fs::remove(all[i].elementPath, ec);
            fs::remove(all[i].elementPath + ".h", ec);
        }
    };
    std::vector<std::vector<std::uint8_t>> elements(sounds.size());
    for (std::size_t i = 0; i < sounds.size(); ++i) {
        const std::string elementPath = reportConversion(outcomes[i], sounds[i]->filePath, ui);
        if (!outcomes[i].loaded) {
            removeOutputs(0, outcomes);
            return false;
        }
        const std::string soundName =
            "sound " + std::to_string(i + 1) + " \"" + sounds[i]->name + "\"";
        // A failed conversion stops the build even when an element file of an
        // earlier run lies beside the WAV: that one is not this sound's.
        const std::string reason =
            outcomes[i].reason.empty() ? std::string() : ": " + outcomes[i].reason;
        const bool ok = outcomes[i].result != 0
                            ? readElement(elementPath, soundName, elements[i], ui)
                            : (fail(ui, "The build stopped: the conversion of " + soundName +
                                            " failed" + reason + "."),
                               false);
        if (!ok) {
            removeOutputs(0, outcomes);
            return false;
        }
    }
    removeOutputs(0, outcomes);

    // The silence element: its converter outputs stay beside the silence
    // file. An installed application folder may be read-only; the silence is
    // then converted from a copy in a temporary folder of this build.
    std::vector<std::uint8_t> silence;
    {
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
        const ConversionOutcome outcome = runConverter(paths.converterPath(), wav);
        const std::string elementPath = reportConversion(outcome, wav, ui);
        if (elementPath.empty()) return false;
        if (outcome.result == 0) {
            fail(ui,
                 "The build stopped: the conversion of the 10 ms silence file " + wav + " failed.");
            return false;
        }
        if (!readElement(elementPath, "the 10 ms silence file " + wav, silence, ui)) return false;
    }

    std::vector<std::uint8_t> bytes;
    if (!assembleImage(project, elements, silence, toBytes(chipCode), bytes, error)) {
        fail(ui, error);
        return false;
    }
    error = writeFileAtomically(project.imagePath(), bytes);
    if (!error.empty()) {
        fail(ui, "The build stopped: " + error);
        return false;
    }
    ui.message("BIN File Saved!\nSize: " + std::to_string(bytes.size()) + " bytes", kAppCaption,
               UserInterface::Icon::Information);
    const FitMessage fit = fitMessage(bytes.size(), project.flashSize.sizeIndex);
    if (!fit.text.empty()) ui.message(fit.text, fit.caption, UserInterface::Icon::Warning);
    return true;
}

}  // namespace zadaravod

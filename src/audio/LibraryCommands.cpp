#include "audio/LibraryCommands.h"

#include <algorithm>
#include <filesystem>
#include <vector>

#include "audio/AudioLayer.h"
#include "audio/ImportSupport.h"
#include "audio/SamplingRates.h"
#include "model/Cp1251.h"
#include "model/MemoryGauge.h"
#include "model/ProjectFile.h"
#include "model/Settings.h"

namespace zadaravod {
namespace fs = std::filesystem;

std::string audioFileExtension(const std::string& name) {
    const auto dot = name.find_last_of('.');
    return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

CSound makeSoundRecord(const std::string& path, const std::string& name, std::string* error) {
    CSound s;
    s.kind = 1;
    s.filePath = path;
    s.name = name;
    AudioInfo info;
    std::string why;
    if (!readAudioInfo(path, info, why)) {
        if (error) *error = why;
        return s;
    }
    s.sampleRate = static_cast<std::int32_t>(info.sampleRate);
    s.bitsPerSample = info.bitsPerSample;
    s.stereo = info.channels != 1 ? 1 : 0;
    s.durationMs = static_cast<std::int32_t>(info.lengthSeconds * 1000.0);
    s.infoExtra = static_cast<std::int32_t>(info.extra);
    return s;
}

namespace import {

bool nameInList(const CSoundList& list, const std::string& name) {
    return std::any_of(list.begin(), list.end(), [&](const CSound& s) { return s.name == name; });
}

bool samePath(const std::string& a, const std::string& b) {
    if (a == b) return true;
    std::error_code ec;
    return fs::equivalent(a, b, ec) && !ec;
}

bool copyIntoSoundFolder(const std::string& source, const Project& project, UserInterface& ui) {
    CFileOperation operation;
    operation.overwrite = true;
    if (!operation.copy(source, project.soundFolder)) {
        ui.message(operation.errorText(), "Error", UserInterface::Icon::Error);
        return false;
    }
    return true;
}

std::string soundFolderProblem(const Project& project) {
    std::error_code ec;
    const auto status = fs::symlink_status(project.soundFolder, ec);
    if (fs::is_symlink(status)) {
        return "The sound folder " + project.soundFolder +
               " is a symbolic link. A project keeps its sounds in a folder of its own: replace "
               "the link with a real folder.";
    }
    if (!fs::is_directory(status)) {
        return "The sound folder " + project.soundFolder +
               " is missing. Create it (or copy the project's sounds back into it) and try "
               "again.";
    }
    return {};
}

std::string unusableName(const std::string& name) {
    if (!isValidUtf8(name)) {
        return "The file name \"" + name +
               "\" is not valid UTF-8 text, which a project cannot store. Rename the file and "
               "load it again.";
    }
    if (!unsafeFileNameReason(name).empty()) {
        return "\"" + name + "\" cannot name a file of the sound folder.";
    }
    return {};
}

void tell(UserInterface& ui, const std::string& text) {
    ui.message(text, kAppCaption, UserInterface::Icon::None);
}

void tellSkipped(UserInterface& ui, const std::string& reason) {
    ui.message("The file is skipped: " + reason, kAppCaption, UserInterface::Icon::Error);
}

}  // namespace import

namespace {

using import::tell;
using import::tellSkipped;

bool libraryFull(const Project& project) {
    return project.library.count() >= static_cast<std::size_t>(kLibraryCapacity);
}

/// A name is taken when a library sound or the background music uses it:
/// both live in the sound folder under their names.
bool nameTaken(const Project& project, const std::string& name) {
    return import::nameInList(project.library, name) ||
           import::nameInList(project.backgroundMusic, name);
}

enum class Step { Added, Skipped, Stop };

Step importOne(Project& project, UserInterface& ui, const std::string& source,
               const std::string& name, const std::string& extension, bool severalFiles) {
    if (const std::string why = import::unusableName(name); !why.empty()) {
        tellSkipped(ui, why);
        return Step::Skipped;
    }
    const bool wavName = extension == "wav";
    const std::string targetName = wavName ? name : name + ".wav";
    if (nameTaken(project, name) || nameTaken(project, targetName)) {
        tell(ui, "Sound file loaded already!");
        return Step::Stop;
    }
    AudioInfo info;
    std::string error;
    if (!readAudioInfo(source, info, error)) {
        tellSkipped(ui, error);
        return Step::Skipped;
    }
    const int rate = static_cast<int>(info.sampleRate);
    const std::string target = soundPath(project.soundFolder, targetName);

    int targetRate = rate;
    if (wavName) {
        if (!isPlainImportRate(rate)) {
            tell(ui, "Inappropriate sampling rate!");
            return Step::Stop;
        }
    } else {
        if (!severalFiles && rate > kMaxImportRate) {
            tell(ui, "Sampling Rate can not be greater than 22000");
            return Step::Stop;
        }
        // The image codes only the supported rates: anything between them
        // (11025 Hz) is converted to the next one below.
        targetRate = roundDownToSupportedRate(rate);
    }
    if (const std::string tooLong = checkFitsLargestFlash(name, info.lengthSeconds, targetRate);
        !tooLong.empty()) {
        tellSkipped(ui, tooLong);
        return Step::Skipped;
    }

    if (wavName && info.plainPcm) {
        if (libraryFull(project)) {
            tell(ui, "Sound Library full!");
            return Step::Stop;
        }
        if (!import::copyIntoSoundFolder(source, project, ui)) return Step::Skipped;
        project.library.addTail(makeSoundRecord(target, name));
        return Step::Added;
    }

    // Compressed files, and WAV files whose samples the converter cannot
    // take (24/32-bit, float, A-law, µ-law, ...), become 16-bit mono WAVs.
    if (import::samePath(target, source)) {
        tell(ui, "Cannot save to the source file!");
        return Step::Skipped;
    }
    if (libraryFull(project)) {
        tell(ui, wavName ? "Sound Library full!" : "Sound Library Full!");
        return Step::Stop;
    }
    const ConversionResult converted = convertToMonoWav(source, target, targetRate);
    if (!converted.ok) {
        tellSkipped(ui, converted.error);
        return Step::Skipped;
    }
    project.library.addTail(makeSoundRecord(target, targetName));
    return Step::Added;
}

/// Deletes a sound folder file; a file already gone is no error.
bool deleteSoundFile(const Project& project, const std::string& name, UserInterface& ui) {
    const std::string path = soundPath(project.soundFolder, name);
    std::error_code ec;
    fs::remove(path, ec);
    if (ec) {
        ui.message("Cannot delete " + path + ": " + ec.message(), kAppCaption,
                   UserInterface::Icon::Error);
        return false;
    }
    return true;
}

}  // namespace

bool loadLibrarySounds(Project& project, UserInterface& ui) {
    if (!project.projectOpen || project.soundFolder.empty()) return false;
    if (libraryFull(project)) {
        tell(ui, "Sound Library full!");
        return false;
    }
    if (const std::string problem = import::soundFolderProblem(project); !problem.empty()) {
        ui.message(problem, kAppCaption, UserInterface::Icon::Error);
        return false;
    }
    FileDialogRequest request;
    request.filter = kLibraryLoadFilter;
    request.initialPath = project.soundFolder;
    const auto chosen = ui.chooseOpenFiles(request);
    if (!chosen || chosen->empty()) return false;
    if (chosen->size() > static_cast<std::size_t>(kLibraryCapacity)) {
        tell(ui, "Try add fewer files!");
        return false;
    }
    const bool several = chosen->size() > 1;
    bool everyFileAdded = true;
    for (const std::string& source : *chosen) {
        const std::string name = fileNameOf(source);
        const Step step = importOne(project, ui, source, name, audioFileExtension(name), several);
        if (step == Step::Stop) return false;
        if (step == Step::Skipped) everyFileAdded = false;
    }
    return everyFileAdded;
}

int removeUsesOf(Project& project, const CSound& sound) {
    int removed = 0;
    for (CSoundList& list : project.playlists) {
        const auto before = list.count();
        list.sounds.remove_if(
            [&](const CSound& e) { return e.isSound() && e.filePath == sound.filePath; });
        removed += static_cast<int>(before - list.count());
    }
    return removed;
}

bool deleteLibrarySound(Project& project, UserInterface& ui, std::optional<int> selected) {
    if (ui.confirmDelete() != kConfirmYes) return false;
    if (!selected || *selected < 0 ||
        static_cast<std::size_t>(*selected) >= project.library.count()) {
        return false;
    }
    if (const std::string problem = import::soundFolderProblem(project); !problem.empty()) {
        ui.message(problem, kAppCaption, UserInterface::Icon::Error);
        return false;
    }
    const auto n = static_cast<std::size_t>(*selected);
    const CSound removed = project.library.at(n);
    project.library.removeAt(n);
    // Every entry that plays the sound goes with it: a left-over entry would
    // play the silence in its place on the chip.
    const int entries = removeUsesOf(project, removed);
    if (entries > 0) {
        ui.status("Removed " + removed.name + " and " + std::to_string(entries) +
                  (entries == 1 ? " playlist entry that played it."
                                : " playlist entries that played it."));
    }
    return deleteSoundFile(project, removed.name, ui);
}

bool clearLibrary(Project& project, UserInterface& ui) {
    if (ui.confirmDelete() != kConfirmYes) return false;
    if (const std::string problem = import::soundFolderProblem(project); !problem.empty()) {
        ui.message(problem, kAppCaption, UserInterface::Icon::Error);
        return false;
    }
    bool allDeleted = true;
    for (const CSound& s : project.library) {
        if (!deleteSoundFile(project, s.name, ui)) allDeleted = false;
    }
    project.library.removeAll();
    for (CSoundList& list : project.playlists) list.removeAll();
    tell(ui, "Empty sound library");
    return allDeleted;
}

}  // namespace zadaravod

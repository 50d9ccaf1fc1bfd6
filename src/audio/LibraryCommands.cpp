#include "audio/LibraryCommands.h"

#include <algorithm>
#include <filesystem>
#include <vector>

#include "audio/AudioLayer.h"
#include "audio/ImportSupport.h"
#include "audio/SamplingRates.h"
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

void copyIntoSoundFolder(const std::string& source, const Project& project, UserInterface& ui) {
    CFileOperation operation;
    operation.overwrite = true;
    if (!operation.copy(source, project.soundFolder)) {
        ui.message(operation.errorText(), "Error", UserInterface::Icon::Error);
    }
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
    const bool plain = extension == "wav";
    const std::string targetName = plain ? name : name + ".wav";
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

    if (plain) {
        if (!isPlainImportRate(rate)) {
            tell(ui, "Inappropriate sampling rate!");
            return Step::Stop;
        }
        import::copyIntoSoundFolder(source, project, ui);
        if (libraryFull(project)) {
            tell(ui, "Sound Library full!");
            return Step::Stop;
        }
        const std::string target = soundPath(project.soundFolder, name);
        project.library.addTail(makeSoundRecord(target, name));
        return Step::Added;
    }

    int targetRate = rate;
    if (!severalFiles) {
        if (rate > kMaxImportRate) {
            tell(ui, "Sampling Rate can not be greater than 22000");
            return Step::Stop;
        }
    } else {
        targetRate = roundDownToSupportedRate(rate);
    }
    const std::string target = soundPath(project.soundFolder, targetName);
    if (import::samePath(target, source)) {
        tell(ui, "Cannot save to the source file!");
        return Step::Skipped;
    }
    const ConversionResult converted = convertToMonoWav(source, target, targetRate);
    if (!converted.ok) {
        tellSkipped(ui, converted.error);
        return Step::Skipped;
    }
    if (libraryFull(project)) {
        tell(ui, "Sound Library Full!");
        return Step::Stop;
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

bool deleteLibrarySound(Project& project, UserInterface& ui, std::optional<int> selected) {
    if (ui.confirmDelete() != kConfirmYes) return false;
    if (!selected || *selected < 0 ||
        static_cast<std::size_t>(*selected) >= project.library.count()) {
        return false;
    }
    const auto n = static_cast<std::size_t>(*selected);
    const CSound removed = project.library.at(n);
    project.library.removeAt(n);
    for (CSoundList& list : project.playlists) {
        auto it = std::find_if(list.begin(), list.end(),
                               [&](const CSound& s) { return s.filePath == removed.filePath; });
        if (it != list.end()) list.sounds.erase(it);
    }
    return deleteSoundFile(project, removed.name, ui);
}

bool clearLibrary(Project& project, UserInterface& ui) {
    if (ui.confirmDelete() != kConfirmYes) return false;
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

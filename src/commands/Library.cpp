#include "commands/Library.h"

#include "audio/AudioLayer.h"
#include "commands/EditHistory.h"
#include "commands/SoundFiles.h"
#include "model/MemoryGauge.h"
#include "model/SamplingRates.h"
#include "model/Settings.h"

namespace zadaravod {
namespace {

bool libraryFull(const Project& project) {
    return project.library.count() >= static_cast<std::size_t>(kLibraryCapacity);
}

/// A stop of the import, told as the original tells it: a plain box.
Message stop(const char* text) { return failure(text, MessageIcon::None); }

void skip(Messenger& messenger, const std::string& reason) {
    messenger.message("The file is skipped: " + reason, kAppCaption, MessageIcon::Error);
}

/// One file of an import: true when added, false when skipped (told), or the
/// message that stops the whole import.
Result<bool> importOne(Project& project, Messenger& messenger, const std::string& source,
                       bool severalFiles, TreatmentStage& stage) {
    const std::string name = fileNameOf(source);
    if (const std::string why = unusableName(name); !why.empty()) {
        skip(messenger, why);
        return false;
    }
    const std::string extension = audioFileExtension(name);
    const bool wavName = extension == "wav";
    const std::string targetName = wavName ? name : name + ".wav";
    if (nameTaken(project, name) || nameTaken(project, targetName)) {
        return stop("Sound file loaded already!");
    }
    AudioInfo info;
    std::string error;
    if (!readAudioInfo(source, info, error)) {
        skip(messenger, error);
        return false;
    }
    const int rate = static_cast<int>(info.sampleRate);
    const std::string target = soundPath(project.soundFolder, targetName);

    int targetRate = rate;
    if (wavName) {
        if (!isPlainImportRate(rate)) return stop("Inappropriate sampling rate!");
    } else {
        if (!severalFiles && rate > kMaxImportRate) {
            return stop("Sampling Rate can not be greater than 22000");
        }
        // The image codes only the supported rates: anything between them
        // (11025 Hz) is converted to the next one below.
        targetRate = roundDownToSupportedRate(rate);
    }
    if (const std::string tooLong = checkFitsLargestFlash(name, info.lengthSeconds, targetRate);
        !tooLong.empty()) {
        skip(messenger, tooLong);
        return false;
    }

    if (wavName && info.plainPcm) {
        if (libraryFull(project)) return stop("Sound Library full!");
        std::string from = source;
        if (stage.active()) {
            const Result<std::string> treated = stage.copy(source, name);
            if (!treated) {
                skip(messenger, treated.error().text);
                return false;
            }
            from = treated.value();
        }
        if (Done copied = copyIntoSoundFolder(from, project); !copied) {
            messenger.tell(copied.error());
            return false;
        }
        project.library.addTail(makeSoundRecord(target, name));
        return true;
    }

    // Compressed files, and WAV files whose samples the converter cannot
    // take (24/32-bit, float, A-law, µ-law, ...), become 16-bit mono WAVs.
    if (samePath(target, source)) {
        messenger.message("Cannot save to the source file!", kAppCaption);
        return false;
    }
    if (libraryFull(project)) return stop(wavName ? "Sound Library full!" : "Sound Library Full!");
    if (stage.active()) {
        const Result<std::string> treated = stage.convert(source, targetName, targetRate);
        if (!treated) {
            skip(messenger, treated.error().text);
            return false;
        }
        if (Done copied = copyIntoSoundFolder(treated.value(), project); !copied) {
            messenger.tell(copied.error());
            return false;
        }
        project.library.addTail(makeSoundRecord(target, targetName));
        return true;
    }
    if (Done room = makeRoomFor(project, targetName); !room) {
        messenger.tell(room.error());
        return false;
    }
    const ConversionResult converted = convertToMonoWav(source, target, targetRate);
    if (!converted.ok) {
        skip(messenger, converted.error);
        return false;
    }
    project.library.addTail(makeSoundRecord(target, targetName));
    return true;
}

}  // namespace

Done checkLibraryImport(const Project& project) {
    if (!project.projectOpen || project.soundFolder.empty()) return failure("No project is open.");
    if (libraryFull(project)) return stop("Sound Library full!");
    return checkSoundFolder(project);
}

Result<ImportReport> importSounds(Project& project, Messenger& messenger,
                                  const std::vector<std::string>& paths,
                                  const SoundTreatment& treatment) {
    if (Done ready = checkLibraryImport(project); !ready) return ready.error();
    if (paths.size() > static_cast<std::size_t>(kLibraryCapacity)) {
        return stop("Try add fewer files!");
    }
    ImportReport report;
    const bool several = paths.size() > 1;
    TreatmentStage stage(treatment);
    const auto total = static_cast<int>(paths.size());
    for (int i = 0; i < total; ++i) {
        // Several files are a long job: each is told, and the user may stop
        // between two (what was added stays).
        if (several) {
            if (!messenger.progress(i, total)) {
                stage.tellSavings(&messenger);
                return failure("The import was stopped after " + std::to_string(i) + " of " +
                                   std::to_string(total) +
                                   " files; the sounds added so far stay in the library.",
                               MessageIcon::None);
            }
            messenger.status("Importing sound " + std::to_string(i + 1) + " of " +
                             std::to_string(total));
        }
        const Result<bool> added =
            importOne(project, messenger, paths[static_cast<std::size_t>(i)], several, stage);
        if (!added) {
            stage.tellSavings(&messenger);
            return added.error();
        }
        ++(added.value() ? report.added : report.skipped);
    }
    if (several) messenger.progress(total, total);
    stage.tellSavings(&messenger);
    return report;
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

Result<int> removeSound(Project& project, Messenger& messenger, int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= project.library.count()) {
        return failure("There is no sound " + std::to_string(index + 1) + " in the library.");
    }
    if (Done folder = checkSoundFolder(project); !folder) return folder.error();
    const auto n = static_cast<std::size_t>(index);
    const CSound removed = project.library.at(n);
    project.library.removeAt(n);
    // Every entry that plays the sound goes with it: a left-over entry would
    // play the silence in its place on the chip.
    const int entries = removeUsesOf(project, removed);
    if (entries > 0) {
        messenger.status("Removed " + removed.name + " and " + std::to_string(entries) +
                         (entries == 1 ? " playlist entry that played it."
                                       : " playlist entries that played it."));
    }
    if (const Result<std::string> retired = retireSoundFile(project, removed.name); !retired) {
        return retired.error();
    }
    return entries;
}

Result<int> clearSounds(Project& project, Messenger& messenger) {
    if (Done folder = checkSoundFolder(project); !folder) return folder.error();
    int failed = 0;
    for (const CSound& s : project.library) {
        if (!deleteSoundFile(project, s.name, messenger)) ++failed;
    }
    project.library.removeAll();
    for (CSoundList& list : project.playlists) list.removeAll();
    messenger.message("Empty sound library", kAppCaption);
    return failed;
}

bool loadLibrarySounds(Project& project, UserInterface& ui, const SoundTreatment& treatment) {
    if (!project.projectOpen || project.soundFolder.empty()) return false;
    if (Done ready = checkLibraryImport(project); !ready) {
        ui.tell(ready.error());
        return false;
    }
    FileDialogRequest request;
    request.filter = kLibraryLoadFilter;
    request.initialPath = project.soundFolder;
    const auto chosen = ui.chooseOpenFiles(request);
    if (!chosen || chosen->empty()) return false;
    const Result<ImportReport> report = importSounds(project, ui, *chosen, treatment);
    if (!report) {
        ui.tell(report.error());
        return false;
    }
    return report.value().skipped == 0;
}

bool deleteLibrarySound(Project& project, UserInterface& ui, std::optional<int> selected) {
    if (ui.confirmDelete() != result::kConfirmOk) return false;
    if (!selected || *selected < 0 ||
        static_cast<std::size_t>(*selected) >= project.library.count()) {
        return false;
    }
    const Result<int> removed = removeSound(project, ui, *selected);
    if (!removed) ui.tell(removed.error());
    return removed.ok();
}

bool clearLibrary(Project& project, UserInterface& ui) {
    if (ui.confirmDelete() != result::kConfirmOk) return false;
    const Result<int> failed = clearSounds(project, ui);
    if (!failed) ui.tell(failed.error());
    return failed.ok() && failed.value() == 0;
}

}  // namespace zadaravod

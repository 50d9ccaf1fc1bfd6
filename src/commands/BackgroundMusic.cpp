#include "commands/BackgroundMusic.h"

#include <algorithm>
#include "audio/AudioLayer.h"

#include "commands/SoundFiles.h"
#include "model/SamplingRates.h"

namespace zadaravod {

Result<std::optional<int>> musicRateLimit(const std::string& path) {
    AudioInfo info;
    std::string error;
    if (!readAudioInfo(path, info, error)) return failure("The file cannot be used: " + error);
    const int rate = static_cast<int>(info.sampleRate);
    if (audioFileExtension(fileNameOf(path)) == "wav" && isSupportedRate(rate)) {
        return std::optional<int>();
    }
    return std::optional<int>(rate <= kMaxMusicRate ? rate : kMaxMusicRate);
}

Done loadMusic(Project& project, const std::string& path, std::optional<int> rate,
               const SoundTreatment& treatment, Messenger* messenger) {
    if (!project.projectOpen || project.soundFolder.empty()) return failure("No project is open.");
    if (!project.backgroundMusic.empty()) {
        return failure("Background music is loaded already (" + project.backgroundMusic.at(0).name +
                       "); clear it first.");
    }
    if (Done folder = checkSoundFolder(project); !folder) return folder;
    const std::string name = fileNameOf(path);
    const bool wav = audioFileExtension(name) == "wav";
    const std::string targetName = wav ? name : name + ".wav";
    if (const std::string why = unusableName(name); !why.empty()) return failure(why);
    // The converted file must not replace a library sound's file either.
    if (nameInList(project.library, name) || nameInList(project.library, targetName)) {
        return failure("Sound file loaded already!", MessageIcon::None);
    }
    const Result<std::optional<int>> limit = musicRateLimit(path);
    if (!limit) return limit.error();

    TreatmentStage stage(treatment);
    if (!limit.value()) {
        std::string from = path;
        if (stage.active()) {
            const Result<std::string> treated = stage.copy(path, name);
            if (!treated) return treated.error();
            from = treated.value();
        }
        if (Done copied = copyIntoSoundFolder(from, project); !copied) return copied;
        stage.tellSavings(messenger);
        const std::string target = soundPath(project.soundFolder, name);
        project.backgroundMusic.addTail(makeSoundRecord(target, name));
        return {};
    }

    const std::vector<int> allowed = samplingDialogRates(*limit.value());
    if (!rate || std::find(allowed.begin(), allowed.end(), *rate) == allowed.end()) {
        const std::string rates = rateListText(*limit.value());
        return failure(rate
                           ? std::to_string(*rate) + " Hz cannot be used for " + name +
                                 "; the allowed rates (Hz) are: " + rates
                           : name + " must be converted: choose one of these rates (Hz): " + rates);
    }
    const std::string target = soundPath(project.soundFolder, targetName);
    if (samePath(target, path))
        return failure("Cannot save to the source file!", MessageIcon::None);
    if (stage.active()) {
        const Result<std::string> treated = stage.convert(path, targetName, *rate);
        if (!treated) return treated.error();
        if (Done copied = copyIntoSoundFolder(treated.value(), project); !copied) return copied;
        stage.tellSavings(messenger);
        project.backgroundMusic.addTail(makeSoundRecord(target, targetName));
        return {};
    }
    if (Done room = makeRoomFor(project, targetName); !room) return room;
    const ConversionResult converted = convertToMonoWav(path, target, *rate);
    if (!converted.ok) {
        return failure("The background music cannot be converted: " + converted.error);
    }
    project.backgroundMusic.addTail(makeSoundRecord(target, targetName));
    return {};
}

bool clearBackgroundMusic(Project& project) {
    project.backgroundMusic.removeAll();
    return true;
}

bool loadBackgroundMusic(Project& project, UserInterface& ui, const SoundTreatment& treatment) {
    if (!project.projectOpen || project.soundFolder.empty()) return false;
    if (!project.backgroundMusic.empty()) return false;
    if (Done folder = checkSoundFolder(project); !folder) {
        ui.tell(folder.error());
        return false;
    }
    FileDialogRequest request;
    request.filter = kMusicLoadFilter;
    request.initialPath = project.soundFolder;
    const auto chosen = ui.chooseOpenFile(request);
    if (!chosen || chosen->empty()) return false;
    return loadBackgroundMusicFrom(project, ui, *chosen, treatment);
}

bool loadBackgroundMusicFrom(Project& project, UserInterface& ui, const std::string& path,
                             const SoundTreatment& treatment) {
    if (!project.projectOpen || project.soundFolder.empty()) return false;
    std::optional<int> rate;
    const std::string name = fileNameOf(path);
    const bool wav = audioFileExtension(name) == "wav";
    // The name checks come before the rate dialog, as they always did.
    if (project.backgroundMusic.empty() && unusableName(name).empty() &&
        !nameInList(project.library, name) &&
        !nameInList(project.library, wav ? name : name + ".wav")) {
        if (const Result<std::optional<int>> limit = musicRateLimit(path); limit && limit.value()) {
            const int chosenRate = ui.chooseSamplingRate(*limit.value());
            if (chosenRate <= 0) return false;
            rate = chosenRate;
        }
    }
    const Done loaded = loadMusic(project, path, rate, treatment, &ui);
    if (!loaded) ui.tell(loaded.error());
    return loaded.ok();
}

}  // namespace zadaravod

#include "audio/BackgroundMusic.h"

#include "audio/AudioLayer.h"
#include "audio/ImportSupport.h"
#include "audio/LibraryCommands.h"
#include "audio/SamplingRates.h"

namespace zadaravod {

bool loadBackgroundMusic(Project& project, UserInterface& ui) {
    if (!project.projectOpen || project.soundFolder.empty()) return false;
    if (!project.backgroundMusic.empty()) return false;
    if (const std::string problem = import::soundFolderProblem(project); !problem.empty()) {
        ui.message(problem, kAppCaption, UserInterface::Icon::Error);
        return false;
    }
    FileDialogRequest request;
    request.filter = kMusicLoadFilter;
    request.initialPath = project.soundFolder;
    const auto chosen = ui.chooseOpenFile(request);
    if (!chosen || chosen->empty()) return false;
    const std::string& source = *chosen;
    const std::string name = fileNameOf(source);
    const std::string extension = audioFileExtension(name);
    const bool wav = extension == "wav";
    const std::string targetName = wav ? name : name + ".wav";
    if (const std::string why = import::unusableName(name); !why.empty()) {
        ui.message(why, kAppCaption, UserInterface::Icon::Error);
        return false;
    }
    // The converted file must not replace a library sound's file either.
    if (import::nameInList(project.library, name) ||
        import::nameInList(project.library, targetName)) {
        import::tell(ui, "Sound file loaded already!");
        return false;
    }
    AudioInfo info;
    std::string error;
    if (!readAudioInfo(source, info, error)) {
        ui.message("The file cannot be used: " + error, kAppCaption, UserInterface::Icon::Error);
        return false;
    }
    const int rate = static_cast<int>(info.sampleRate);

    if (wav && isSupportedRate(rate)) {
        if (!import::copyIntoSoundFolder(source, project, ui)) return false;
        const std::string target = soundPath(project.soundFolder, name);
        project.backgroundMusic.addTail(makeSoundRecord(target, name));
        return true;
    }

    const int limit = rate <= kMaxMusicRate ? rate : kMaxMusicRate;
    const int chosenRate = ui.chooseSamplingRate(limit);
    if (chosenRate <= 0) return false;
    const std::string target = soundPath(project.soundFolder, targetName);
    if (import::samePath(target, source)) {
        import::tell(ui, "Cannot save to the source file!");
        return false;
    }
    const ConversionResult converted = convertToMonoWav(source, target, chosenRate);
    if (!converted.ok) {
        ui.message("The background music cannot be converted: " + converted.error, kAppCaption,
                   UserInterface::Icon::Error);
        return false;
    }
    project.backgroundMusic.addTail(makeSoundRecord(target, targetName));
    return true;
}

bool clearBackgroundMusic(Project& project) {
    project.backgroundMusic.removeAll();
    return true;
}

}  // namespace zadaravod

#include "commands/SoundFiles.h"

#include <algorithm>
#include <filesystem>

#include "audio/AudioLayer.h"
#include "commands/EditHistory.h"
#include "format/Utf8.h"
#include "io/FileOperation.h"
#include "model/ProjectFile.h"

namespace zadaravod {
namespace fs = std::filesystem;

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

std::string audioFileExtension(const std::string& name) {
    const auto dot = name.find_last_of('.');
    return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

bool nameInList(const CSoundList& list, const std::string& name) {
    return std::any_of(list.begin(), list.end(), [&](const CSound& s) { return s.name == name; });
}

bool nameTaken(const Project& project, const std::string& name) {
    return nameInList(project.library, name) || nameInList(project.backgroundMusic, name);
}

bool samePath(const std::string& a, const std::string& b) {
    if (a == b) return true;
    std::error_code ec;
    return fs::equivalent(a, b, ec) && !ec;
}

Done checkSoundFolder(const Project& project) {
    std::error_code ec;
    const auto status = fs::symlink_status(project.soundFolder, ec);
    if (fs::is_symlink(status)) {
        return failure("The sound folder " + project.soundFolder +
                       " is a symbolic link. A project keeps its sounds in a folder of its own: "
                       "replace the link with a real folder.");
    }
    if (!fs::is_directory(status)) {
        return failure("The sound folder " + project.soundFolder +
                       " is missing. Create it (or copy the project's sounds back into it) and "
                       "try again.");
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

Done makeRoomFor(const Project& project, const std::string& name, const std::string& source) {
    const std::string path = soundPath(project.soundFolder, name);
    std::error_code ec;
    // A folder in the way stays where it is, and the writer says it cannot
    // replace it; a file about to be copied onto itself stays too.
    if (fs::is_directory(fs::symlink_status(path, ec))) return {};
    if (!source.empty() && samePath(source, path)) return {};
    const Result<std::string> retired = retireSoundFile(project, name);
    if (!retired) return retired.error();
    return {};
}

Done copyIntoSoundFolder(const std::string& source, const Project& project) {
    // A file of that name (one no record names) is kept aside, so that undo
    // can bring it back.
    if (Done room = makeRoomFor(project, fileNameOf(source), source); !room) return room;
    CFileOperation operation;
    operation.overwrite = true;
    if (!operation.copy(source, project.soundFolder)) {
        return Message{operation.errorText(), "Error", MessageIcon::Error};
    }
    return {};
}

bool deleteSoundFile(const Project& project, const std::string& name, Messenger& messenger) {
    const Result<std::string> retired = retireSoundFile(project, name);
    if (!retired) messenger.tell(retired.error());
    return retired.ok();
}

}  // namespace zadaravod

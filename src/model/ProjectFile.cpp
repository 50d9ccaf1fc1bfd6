#include "model/ProjectFile.h"

#include "tools/AtomicFile.h"

namespace zadaravod {

std::vector<std::uint8_t> storeProjectFile(const Project& project, const std::string& fileName) {
    CArchive ar(fileName);
    ar.writeObject(&project.keys);
    ar.writeObject(&project.equation);
    ar.writeObject(&project.options);
    // The lists store themselves without tags; Serialize only reads them here.
    const_cast<CSoundList&>(project.library).Serialize(ar);
    for (const auto& list : project.playlists) const_cast<CSoundList&>(list).Serialize(ar);
    const_cast<CSoundList&>(project.backgroundMusic).Serialize(ar);
    return ar.bytes();
}

std::vector<std::uint8_t> storeFlashSizeFile(const CFlashSize& flashSize,
                                             const std::string& fileName) {
    CArchive ar(fileName);
    ar.writeObject(&flashSize);
    return ar.bytes();
}

namespace {
template <typename T>
void copyLoaded(CArchive& ar, const CRuntimeClass* cls, T& target, const char* what) {
    auto obj = ar.readObject(cls);
    if (!obj) ar.fail(ArchiveError::Kind::BadClass, std::string("expected ") + what +
                                                         " but found a null object");
    target = *static_cast<T*>(obj.get());
}
}  // namespace

ProjectFileContent loadProjectFile(const std::string& bytes, const std::string& fileName) {
    CArchive ar(fileName, bytes);
    ProjectFileContent content;
    copyLoaded(ar, &CKey::classCKey, content.keys, "the key functions (CKey)");
    copyLoaded(ar, &CEquation::classCEquation, content.equation,
               "the key playlists (CEquation)");
    copyLoaded(ar, &COptions::classCOptions, content.options, "the options (COptions)");
    content.library.Serialize(ar);
    for (auto& list : content.playlists) list.Serialize(ar);
    content.backgroundMusic.Serialize(ar);
    return content;
}

CFlashSize loadFlashSizeFile(const std::string& bytes, const std::string& fileName) {
    CArchive ar(fileName, bytes);
    CFlashSize flash;
    copyLoaded(ar, &CFlashSize::classCFlashSize, flash, "the flash size (CFlashSize)");
    return flash;
}

std::string saveProjectFile(const Project& project) {
    if (project.projectFilePath.empty()) return "No project file to save";
    return writeFileAtomically(project.projectFilePath,
                               storeProjectFile(project, project.projectFilePath));
}

std::string saveFlashSizeFile(const Project& project) {
    if (project.projectFilePath.empty()) return "No project file to save";
    return writeFileAtomically(project.flashSizePath(),
                               storeFlashSizeFile(project.flashSize, project.flashSizePath()));
}

std::string saveProjectFiles(const Project& project) {
    std::string error = saveProjectFile(project);
    if (error.empty()) error = saveFlashSizeFile(project);
    return error;
}

}  // namespace zadaravod

#include "model/ProjectFile.h"

#include "format/ImageFormat.h"

#include <filesystem>

#include "io/AtomicFile.h"

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
    if (!obj)
        ar.fail(ArchiveError::Kind::BadClass,
                std::string("expected ") + what + " but found a null object");
    target = *static_cast<T*>(obj.get());
}
}  // namespace

ProjectFileContent loadProjectFile(std::string_view bytes, const std::string& fileName,
                                   const PlaylistEntryVisitor* visit) {
    CArchive ar(fileName, CArchive::Borrowed{bytes});
    ProjectFileContent content;
    copyLoaded(ar, &CKey::classCKey, content.keys, "the key functions (CKey)");
    copyLoaded(ar, &CEquation::classCEquation, content.equation, "the key playlists (CEquation)");
    copyLoaded(ar, &COptions::classCOptions, content.options, "the options (COptions)");
    content.library.Serialize(ar);
    if (visit == nullptr) {
        for (auto& list : content.playlists) list.Serialize(ar);
    } else {
        CSound entry;
        for (int n = 0; n < kPlaylistCount; ++n) {
            const std::uint32_t count = ar.readDword();
            for (std::uint32_t i = 0; i < count; ++i) {
                entry.loadWithoutPath(ar);
                (*visit)(n, entry);
            }
        }
    }
    content.backgroundMusic.Serialize(ar);
    return content;
}

CFlashSize loadFlashSizeFile(const std::string& bytes, const std::string& fileName) {
    CArchive ar(fileName, bytes);
    // Schema 1 holds the same one field.
    ar.acceptSchema(&CFlashSize::classCFlashSize, 1);
    CFlashSize flash;
    copyLoaded(ar, &CFlashSize::classCFlashSize, flash, "the flash size (CFlashSize)");
    return flash;
}

bool isPlainFileName(std::string_view name) {
    if (name.empty() || name == "." || name == "..") return false;
    for (char c : name)
        if (c == '/' || c == '\\' || c == '\0') return false;
    return true;
}

std::string unsafeFileNameReason(const std::string& name) {
    if (name.empty()) return "it is empty";
    if (name == "." || name == "..") return "it names a folder";
    if (name.find('/') != std::string::npos || name.find('\\') != std::string::npos) {
        return "it holds a path separator";
    }
    if (name.find('\0') != std::string::npos) return "it holds a NUL character";
    return {};
}

namespace {

/// Why entry number `entry` of `listName` cannot be used, or "".
std::string nameProblem(const CSound& s, int entry, const std::string& listName, bool soundsOnly) {
    if (soundsOnly && !s.isSound()) return {};
    const std::string why = unsafeFileNameReason(s.name);
    if (why.empty()) return {};
    std::string shown = s.name;
    for (char& c : shown)
        if (c == '\0') c = '?';
    return "entry " + std::to_string(entry) + " of " + listName + " names the file \"" + shown +
           "\", which is not a plain file name (" + why + ")";
}

/// "" or the first record of `list` whose name is not a plain file name.
std::string checkNames(const CSoundList& list, const std::string& listName, bool soundsOnly) {
    int entry = 0;
    for (const CSound& s : list) {
        std::string problem = nameProblem(s, ++entry, listName, soundsOnly);
        if (!problem.empty()) return problem;
    }
    return {};
}

std::string listName(int n) { return "list " + listNumberText(n); }

std::string checkLibrary(const ProjectFileContent& content) {
    if (content.library.count() > static_cast<std::size_t>(kLibraryCapacity)) {
        return "the sound library holds " + std::to_string(content.library.count()) +
               " sounds; a flash image has room for " + std::to_string(kLibraryCapacity);
    }
    return checkNames(content.library, "the sound library", false);
}

std::string refusal(const std::string& problem, const std::string& fileName) {
    if (problem.empty()) return {};
    return "The project file " + fileName + " cannot be used: " + problem +
           ". A project like this could make the editor read, write or delete files outside "
           "its folder.";
}

}  // namespace

std::string checkProjectContent(const ProjectFileContent& content, const std::string& fileName) {
    std::string problem = checkLibrary(content);
    for (int n = 0; problem.empty() && n < kPlaylistCount; ++n) {
        problem = checkNames(content.playlists[static_cast<std::size_t>(n)], listName(n), true);
    }
    if (problem.empty())
        problem = checkNames(content.backgroundMusic, "the background music", false);
    return refusal(problem, fileName);
}

namespace {

/// The flash size a flash-size file gives; "" in `ignored` when it was used,
/// else why it was not (a missing file is no problem: 4M).
int readFlashSize(const std::string& flashFile, std::string& ignored) {
    std::error_code ec;
    if (!std::filesystem::exists(std::filesystem::symlink_status(flashFile, ec))) return 0;
    std::string bytes;
    std::string error;
    if (!readWholeFile(flashFile, bytes, error, 1 << 16)) {
        ignored = error;
        return 0;
    }
    try {
        const int stored = loadFlashSizeFile(bytes, flashFile).sizeIndex;
        return stored >= 0 && stored < kFlashSizeCount ? stored : 0;
    } catch (const ArchiveError& e) {
        ignored = e.what();
        return 0;
    }
}

}  // namespace

namespace {

/// The project of `content`, read from `file`, as Open makes it.
void takeContent(ProjectFileContent& content, const std::string& file, LoadedProject& out) {
    Project& p = out.project;
    p.projectOpen = true;
    p.projectFilePath = file;
    p.soundFolder = file + ".sound";
    p.keys.keyFunction = content.keys.keyFunction;
    p.equation.listOfKey = content.equation.listOfKey;
    p.options = content.options;
    p.library = std::move(content.library);
    p.playlists = std::move(content.playlists);
    p.backgroundMusic = std::move(content.backgroundMusic);
    p.rebaseLists();
    out.flashIgnored.clear();
    p.flashSize.sizeIndex = readFlashSize(p.flashSizePath(), out.flashIgnored);
}

}  // namespace

bool readProject(const std::string& file, LoadedProject& out, std::string& error) {
    FileContent bytes;
    ProjectFileContent content;
    if (!bytes.read(file, error)) return false;
    try {
        content = loadProjectFile(bytes.bytes(), file);
    } catch (const ArchiveError& e) {
        error = e.what();
        return false;
    }
    error = checkProjectContent(content, file);
    if (!error.empty()) return false;
    takeContent(content, file, out);
    return true;
}

bool readProject(const std::string& file, LoadedProject& out, std::string& error,
                 const PlaylistEntryVisitor& visit) {
    FileContent bytes;
    ProjectFileContent content;
    if (!bytes.read(file, error)) return false;
    // The entries are checked as they pass; the first problem is kept and
    // told in the order checkProjectContent tells them (library first).
    std::string listProblem;
    int list = -1, entry = 0;
    const PlaylistEntryVisitor checked = [&](int n, const CSound& s) {
        if (!listProblem.empty()) return;
        entry = n == list ? entry + 1 : 1;
        list = n;
        if (s.isSound() && !isPlainFileName(s.name)) {
            listProblem = nameProblem(s, entry, listName(n), true);
            return;
        }
        visit(n, s);
    };
    try {
        content = loadProjectFile(bytes.bytes(), file, &checked);
    } catch (const ArchiveError& e) {
        error = e.what();
        return false;
    }
    std::string problem = checkLibrary(content);
    if (problem.empty()) problem = listProblem;
    if (problem.empty())
        problem = checkNames(content.backgroundMusic, "the background music", false);
    error = refusal(problem, file);
    if (!error.empty()) return false;
    takeContent(content, file, out);
    return true;
}

std::string saveProjectFile(const Project& project) {
    if (project.projectFilePath.empty()) return "No project file to save";
    removeStaleTemporaries(project.projectFilePath);
    // The project file is the one the user opened: a link is written through.
    return writeFileAtomically(project.projectFilePath,
                               storeProjectFile(project, project.projectFilePath),
                               {.followSymlink = true});
}

std::string saveFlashSizeFile(const Project& project) {
    if (project.projectFilePath.empty()) return "No project file to save";
    removeStaleTemporaries(project.flashSizePath());
    return writeFileAtomically(project.flashSizePath(),
                               storeFlashSizeFile(project.flashSize, project.flashSizePath()));
}

std::string saveProjectFiles(const Project& project) {
    std::string error = saveProjectFile(project);
    if (error.empty()) error = saveFlashSizeFile(project);
    return error;
}

}  // namespace zadaravod
